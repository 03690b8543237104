// Which kind of installer a file is, told from its own bytes, and the
// switches that make that kind install without asking anything.
#pragma once

#include <string>

enum class InstallerKind { Nsis, InnoSetup, Msi, WixBundle, InstallShield, Unknown };

enum class FileVerdict {
    Installer,  // a program or package to list; its kind may be Unknown
    NotProgram, // neither a Windows program nor an installer package
    Damaged,    // cut short or with headers that point outside the file
    Unreadable  // could not be opened or read
};

struct Identification {
    FileVerdict verdict = FileVerdict::Unreadable;
    InstallerKind kind = InstallerKind::Unknown;
    // "x86", "x64", "ARM64" for programs; empty for packages and others.
    std::wstring architecture;
    // A WiX bundle's id ({GUID}), the name of the Uninstall subkey it
    // registers under; empty for other kinds.
    std::wstring bundleId;
    // Why the file is not listed (a system error text, or what is wrong).
    std::wstring problem;
};

Identification IdentifyInstaller(const std::wstring& path);

// "NSIS", "Inno Setup", "MSI", "WiX bundle", "InstallShield", "unknown".
const wchar_t* KindName(InstallerKind kind);

// The parameters of an unattended install; empty for an unknown kind.
const wchar_t* SilentSwitches(InstallerKind kind);
