// What is already on the machine, with real installers that register
// themselves under Wine: /check and /auto before and after an older
// version and the disc's version install, and the lookup the window uses,
// on whichever build runs the test (the x86 build sees the 64-bit view too).
#include "catalogue/install_state.h"
#include "shell/installed_programs.h"
#include "tests/support/running_program.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace testing_support;

// A sample installer of one kind, built at versions 1.0 and 2.0.
struct Probe {
    const char* name;
    const wchar_t* stem;      // detect-samples\<stem>-<version><extension>
    const wchar_t* extension;
    const wchar_t* keys;      // the entry's identity keys
    const wchar_t* switches;  // its unattended switches
    const wchar_t* installed; // the version Windows reports for 2.0
};

const Probe kProbes[] = {
    {"NsisIn64BitViewByName", L"probe-nsis", L".exe", L"InstalledName=Quill Probe NSIS\r\n", L"/S", L"2.0"},
    {"InnoSetupIn32BitViewByKey", L"probe-inno", L".exe",
     L"UninstallKey={6E0B1C55-3F7A-4C1E-9B0D-2A4C6E8F1A01}_is1\r\n", L"/VERYSILENT /SUPPRESSMSGBOXES /NORESTART /SP-",
     L"2.0"},
    {"PackageByProductCode", L"probe-msi", L".msi", L"ProductCode={3D5C7A90-1B2E-4F60-8A4B-6C7D8E9F0A12}\r\n",
     L"/qn /norestart", L"2.0.0"},
};

const wchar_t kUninstall[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

std::wstring SystemProgram(const wchar_t* name)
{
    wchar_t szSystem[MAX_PATH];
    const UINT n = ::GetSystemDirectoryW(szSystem, MAX_PATH);
    return std::wstring(szSystem, n) + L"\\" + name;
}

// The catalogue's entry for the probe, with the disc's version 2.0.
SoftwareEntry ProbeEntry(const Probe& probe)
{
    const std::wstring keys = probe.keys;
    const size_t equals = keys.find(L'=');
    const std::wstring value = keys.substr(equals + 1, keys.find(L'\r') - equals - 1);
    SoftwareEntry entry;
    entry.Name = L"探针";
    (keys.starts_with(L"InstalledName") ? entry.InstalledName
     : keys.starts_with(L"UninstallKey") ? entry.UninstallKey
                                          : entry.ProductCode) = value;
    entry.Version = L"2.0";
    return entry;
}

// Runs a program to its end; its exit code.
DWORD RunToEnd(const std::wstring& exe, const std::wstring& folder, const std::wstring& arguments,
               const std::wstring& output = L"")
{
    const RunningProgram program(exe, folder, arguments, output);
    DWORD exitCode = 0xDEAD;
    EXPECT_TRUE(program.Started()) << ToUtf8(exe);
    EXPECT_TRUE(program.WaitForExit(120000, &exitCode)) << ToUtf8(exe + L" " + arguments);
    return exitCode;
}

class Installed : public ::testing::TestWithParam<Probe> {
protected:
    void SetUp() override
    {
        Remove();
        const Probe& probe = GetParam();
        m_exe = CopyProgramTo(m_disc, L"Quillset.exe");
        m_setup = L"setup" + std::wstring(probe.extension);
        ASSERT_TRUE(::CopyFileW(Sample(L"2.0").c_str(), (m_disc / m_setup).c_str(), FALSE));
        ASSERT_TRUE(::CopyFileW(Sample(L"1.0").c_str(), (m_old / m_setup).c_str(), FALSE));
        WriteFile(m_disc / L"Quillset.INI",
                  ToUtf16LeWithBom(L"[Type]\r\nSort1=工具\r\n[工具.List]\r\nList1=探针\r\n[探针]\r\nWorkingDir=%CurrDir%\r\n"
                                   L"AutoInstall=" + m_setup + L" " + probe.switches + L"\r\nManualInstall=" + m_setup +
                                   L"\r\nChecked=1\r\nVersion=2.0\r\n" + probe.keys));
    }
    // Leaves the prefix as it was: each kind uninstalled the way it was
    // registered, whatever a test that ended halfway left behind.
    void TearDown() override { Remove(); }

    static std::wstring Sample(const wchar_t* version)
    {
        return ProgramFolder() + L"detect-samples\\" + GetParam().stem + L"-" + version + GetParam().extension;
    }
    static void Remove()
    {
        const std::wstring stem = GetParam().stem;
        if (stem == L"probe-msi") {
            RunToEnd(SystemProgram(L"msiexec.exe"), ProgramFolder(), L"/x {3D5C7A90-1B2E-4F60-8A4B-6C7D8E9F0A12} /qn");
        } else {
            const bool bNsis = stem == L"probe-nsis";
            const std::wstring key = kUninstall + std::wstring(bNsis ? L"QuillProbeNsis"
                                                                     : L"{6E0B1C55-3F7A-4C1E-9B0D-2A4C6E8F1A01}_is1");
            ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), bNsis ? KEY_WOW64_64KEY : KEY_WOW64_32KEY, 0);
        }
        ASSERT_EQ(ReadInstalledPrograms().StatusOf(ProbeEntry(GetParam())).state, InstallState::Missing);
    }

    // The program with the arguments; its exit code, its output in m_output.
    DWORD Quillset(const std::wstring& arguments)
    {
        const DWORD exitCode = RunToEnd(m_exe, m_elsewhere.Path(), arguments, m_elsewhere / L"output.txt");
        m_output = FromUtf8(ReadFile(m_elsewhere / L"output.txt"));
        return exitCode;
    }
    InstallStatus Status() const { return ReadInstalledPrograms().StatusOf(m_entry); }

    TempDir m_disc;
    TempDir m_old;
    TempDir m_elsewhere;
    std::wstring m_exe;
    std::wstring m_setup;
    std::wstring m_output;
    const SoftwareEntry m_entry = ProbeEntry(GetParam());
};

TEST_P(Installed, CheckAndAutoFollowWhatIsInstalled)
{
    const Probe& probe = GetParam();
    EXPECT_EQ(Status().state, InstallState::Missing);
    EXPECT_EQ(Quillset(L"/check"), 1u);
    EXPECT_EQ(m_output, L"");

    // An older version: an update, and not what /check asks for.
    const bool bPackage = std::wstring(probe.extension) == L".msi";
    ASSERT_EQ(bPackage ? RunToEnd(SystemProgram(L"msiexec.exe"), m_old.Path(),
                                  L"/i \"" + (m_old / m_setup) + L"\" " + probe.switches)
                       : RunToEnd(m_old / m_setup, m_old.Path(), probe.switches),
              0u);
    const InstallStatus older = Status();
    EXPECT_EQ(older.state, InstallState::Older);
    EXPECT_EQ(InstallStateText(m_entry, older), L"可更新 " + older.strInstalled + L" → 2.0");
    EXPECT_EQ(Quillset(L"/check /select:探针"), 1u);
    EXPECT_EQ(m_output, L"");
    // A package of the same product code is not installed over another
    // version: the technician removes the old one first.
    if (bPackage)
        Remove();

    // The disc's version installs; then it is current.
    EXPECT_EQ(Quillset(L"/auto /quiet"), 0u);
    EXPECT_NE(m_output.find(L"共 1 项, 失败 0 项"), std::wstring::npos) << ToUtf8(m_output);
    const InstallStatus current = Status();
    EXPECT_EQ(current.state, InstallState::Current);
    EXPECT_EQ(current.strInstalled, probe.installed);
    EXPECT_EQ(Quillset(L"/check"), 0u);
    EXPECT_EQ(m_output, L"已安装: 探针 " + std::wstring(probe.installed) + L"\r\n");

    // Installed at its version: /auto leaves it out and says so, in the
    // output and the log; /reinstall runs it anyway.
    const std::wstring log = m_elsewhere / L"batch.log";
    EXPECT_EQ(Quillset(L"/auto /quiet /log:" + log), 0u);
    const std::wstring skipped = L"探针: 已安装 " + std::wstring(probe.installed) + L", 跳过";
    EXPECT_NE(m_output.find(skipped), std::wstring::npos) << ToUtf8(m_output);
    EXPECT_NE(m_output.find(L"共 0 项"), std::wstring::npos) << ToUtf8(m_output);
    EXPECT_NE(FromUtf8(ReadFile(log)).find(skipped), std::wstring::npos);
    if (!bPackage) {
        EXPECT_EQ(Quillset(L"/auto /quiet /reinstall"), 0u);
        EXPECT_NE(m_output.find(L"共 1 项, 失败 0 项"), std::wstring::npos) << ToUtf8(m_output);
    }
}

INSTANTIATE_TEST_SUITE_P(RealInstallers, Installed, ::testing::ValuesIn(kProbes),
                         [](const ::testing::TestParamInfo<Probe>& info) { return std::string(info.param.name); });

} // namespace
