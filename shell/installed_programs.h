// The machine's installed programs, read from the system: the Uninstall
// entries under HKLM in both registry views and under HKCU, and the
// products Windows Installer knows as installed.
#pragma once

#include "catalogue/install_state.h"

// Reads them once. Takes a while on a machine with many programs (each
// Windows Installer product is asked for its version), so a window calls
// it off its own thread. Whatever cannot be read is left out.
CInstalledSnapshot ReadInstalledPrograms();

// The Uninstall key, under HKLM and HKCU.
inline constexpr wchar_t kUninstallKeyPath[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
