#include "tests/support/probe_installers.h"

#include "tests/support/running_program.h"
#include "tests/support/test_support.h"

namespace testing_support {

const ProbeInstaller kProbeInstallers[3] = {
    {"NsisIn64BitViewByName", L"probe-nsis", L".exe", L"InstalledName=Quill Probe NSIS\r\n", L"/S", L"2.0"},
    {"InnoSetupIn32BitViewByKey", L"probe-inno", L".exe",
     L"UninstallKey={6E0B1C55-3F7A-4C1E-9B0D-2A4C6E8F1A01}_is1\r\n", L"/VERYSILENT /SUPPRESSMSGBOXES /NORESTART /SP-",
     L"2.0"},
    {"PackageByProductCode", L"probe-msi", L".msi", L"ProductCode={3D5C7A90-1B2E-4F60-8A4B-6C7D8E9F0A12}\r\n",
     L"/qn /norestart", L"2.0.0"},
};

namespace {

std::wstring SystemProgram(const wchar_t* name)
{
    wchar_t szSystem[MAX_PATH];
    const UINT n = ::GetSystemDirectoryW(szSystem, MAX_PATH);
    return std::wstring(szSystem, n) + L"\\" + name;
}

bool IsPackage(const ProbeInstaller& probe)
{
    return std::wstring(probe.extension) == L".msi";
}

} // namespace

std::wstring ProbeSample(const ProbeInstaller& probe, const wchar_t* version)
{
    return ProgramFolder() + L"detect-samples\\" + probe.stem + L"-" + version + probe.extension;
}

DWORD RunToEnd(const std::wstring& exe, const std::wstring& folder, const std::wstring& arguments,
               const std::wstring& outputFile)
{
    const RunningProgram program(exe, folder, arguments, outputFile);
    DWORD exitCode = 0xDEAD;
    if (program.Started() && !program.WaitForExit(120000, &exitCode))
        exitCode = 0xDEAD;
    return exitCode;
}

DWORD InstallProbe(const ProbeInstaller& probe, const std::wstring& copy)
{
    const std::wstring folder = copy.substr(0, copy.find_last_of(L'\\'));
    return IsPackage(probe) ? RunToEnd(SystemProgram(L"msiexec.exe"), folder, L"/i \"" + copy + L"\" " + probe.switches)
                            : RunToEnd(copy, folder, probe.switches);
}

void RemoveProbe(const ProbeInstaller& probe)
{
    if (IsPackage(probe)) {
        RunToEnd(SystemProgram(L"msiexec.exe"), ProgramFolder(), L"/x {3D5C7A90-1B2E-4F60-8A4B-6C7D8E9F0A12} /qn");
        return;
    }
    const bool bNsis = std::wstring(probe.stem) == L"probe-nsis";
    const std::wstring key = std::wstring(L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") +
                             (bNsis ? L"QuillProbeNsis" : L"{6E0B1C55-3F7A-4C1E-9B0D-2A4C6E8F1A01}_is1");
    ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), bNsis ? KEY_WOW64_64KEY : KEY_WOW64_32KEY, 0);
}

} // namespace testing_support
