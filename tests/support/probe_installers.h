// Real installers that register themselves under Wine, built at versions 1.0
// and 2.0 from tests/app/samples (target detect_samples): installed by their
// own unattended switches and removed the way each kind was registered, so a
// test leaves the prefix as it found it.
#pragma once

#include <windows.h>

#include <string>

namespace testing_support {

struct ProbeInstaller {
    const char* name;         // for test names
    const wchar_t* stem;      // detect-samples\<stem>-<version><extension>
    const wchar_t* extension; // .exe or .msi
    const wchar_t* keys;      // the catalogue's identity key line, "Key=value\r\n"
    const wchar_t* switches;  // the unattended switches
    const wchar_t* installed; // the version Windows reports for 2.0
};

// NSIS in the 64-bit view (found by InstalledName), Inno Setup in the 32-bit
// view (UninstallKey), an installer package (ProductCode).
extern const ProbeInstaller kProbeInstallers[3];

// The sample at a version ("1.0", "2.0") beside the test program.
std::wstring ProbeSample(const ProbeInstaller& probe, const wchar_t* version);
// Runs a program to its end, waiting at most two minutes; its exit code
// (0xDEAD when it did not start or end).
DWORD RunToEnd(const std::wstring& exe, const std::wstring& folder, const std::wstring& arguments,
               const std::wstring& outputFile = L"");
// Installs a copy of a sample (a package through the system's msiexec) with
// its unattended switches; the installer's exit code.
DWORD InstallProbe(const ProbeInstaller& probe, const std::wstring& copy);
// Removes whatever the kind registered: the package uninstalled, the
// others' Uninstall keys deleted.
void RemoveProbe(const ProbeInstaller& probe);

} // namespace testing_support
