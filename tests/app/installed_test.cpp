// What is already on the machine, with real installers that register
// themselves under Wine: /check and /auto before and after an older
// version and the disc's version install, and the lookup the window uses,
// on whichever build runs the test (the x86 build sees the 64-bit view too).
#include "catalogue/install_state.h"
#include "shell/installed_programs.h"
#include "tests/support/probe_installers.h"
#include "tests/support/running_program.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace testing_support;

// The catalogue's entry for the probe, with the disc's version 2.0.
SoftwareEntry ProbeEntry(const ProbeInstaller& probe)
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

class Installed : public ::testing::TestWithParam<ProbeInstaller> {
protected:
    void SetUp() override
    {
        Remove();
        const ProbeInstaller& probe = GetParam();
        m_exe = CopyProgramTo(m_disc, L"Quillset.exe");
        m_setup = L"setup" + std::wstring(probe.extension);
        ASSERT_TRUE(::CopyFileW(ProbeSample(probe, L"2.0").c_str(), (m_disc / m_setup).c_str(), FALSE));
        ASSERT_TRUE(::CopyFileW(ProbeSample(probe, L"1.0").c_str(), (m_old / m_setup).c_str(), FALSE));
        WriteFile(m_disc / L"Quillset.INI",
                  ToUtf16LeWithBom(L"[Type]\r\nSort1=工具\r\n[工具.List]\r\nList1=探针\r\n[探针]\r\nWorkingDir=%CurrDir%\r\n"
                                   L"AutoInstall=" + m_setup + L" " + probe.switches + L"\r\nManualInstall=" + m_setup +
                                   L"\r\nChecked=1\r\nVersion=2.0\r\n" + probe.keys));
    }
    // Leaves the prefix as it was: each kind uninstalled the way it was
    // registered, whatever a test that ended halfway left behind.
    void TearDown() override { Remove(); }

    static void Remove()
    {
        RemoveProbe(GetParam());
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
    const ProbeInstaller& probe = GetParam();
    EXPECT_EQ(Status().state, InstallState::Missing);
    EXPECT_EQ(Quillset(L"/check"), 1u);
    EXPECT_EQ(m_output, L"");

    // An older version: an update, and not what /check asks for.
    const bool bPackage = std::wstring(probe.extension) == L".msi";
    ASSERT_EQ(InstallProbe(probe, m_old / m_setup), 0u);
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

// The script's entry table read back as PowerShell reads it: each
// single-quoted string with its doubled quotes (' and U+2018 to U+201B)
// made single again.
std::vector<SoftwareEntry> ScriptEntries(const std::wstring& script)
{
    std::vector<SoftwareEntry> entries;
    for (size_t at = script.find(L"    @{ Name = "); at != std::wstring::npos; at = script.find(L"    @{ Name = ", at)) {
        std::vector<std::wstring> values;
        while (values.size() < 5 && (at = script.find(L" = ", at)) != std::wstring::npos) {
            at += 4;
            std::wstring value;
            for (; at < script.size(); ++at) {
                const wchar_t c = script[at];
                const bool bQuote = c == L'\'' || (c >= 0x2018 && c <= 0x201B);
                if (bQuote && at + 1 < script.size() && script[at + 1] == c)
                    value += script[++at];
                else if (bQuote)
                    break;
                else
                    value += c;
            }
            values.push_back(value);
        }
        if (values.size() == 5)
            entries.push_back(SoftwareEntry{values[0], L"", 0, L"", L"", L"", values[1], values[2], values[3], values[4]});
    }
    return entries;
}

TEST(DetectionScript, CarriesTheEntriesWholeAndTheRulesOfTheProgram)
{
    TempDir disc;
    TempDir elsewhere;
    const std::wstring exe = CopyProgramTo(disc, L"Quillset.exe");
    WriteFile(disc / L"Quillset.INI",
              ToUtf16LeWithBom(L"[Type]\r\nSort1=工具\r\n[工具.List]\r\nList1=O'Brien ‘工具’\r\nList2=包\r\nList3=盲\r\n"
                               L"[O'Brien ‘工具’]\r\nInstalledName=O'Brien’s $Tool `x`\r\nVersion=1.2\r\nChecked=1\r\n"
                               L"[包]\r\nProductCode={3D5C7A90-1B2E-4F60-8A4B-6C7D8E9F0A12}\r\nVersion=2.0.0\r\nChecked=1\r\n"
                               L"[盲]\r\nAutoInstall=x.exe\r\n"));
    const std::wstring script = elsewhere / L"检测\\q.ps1";
    const std::wstring output = elsewhere / L"output.txt";

    // An entry that names nothing to look for gets no script.
    EXPECT_EQ(RunToEnd(exe, elsewhere.Path(), L"/detectscript:" + script + L" /select:盲;包 /quiet", output), 1603u);
    EXPECT_EQ(::GetFileAttributesW(script.c_str()), INVALID_FILE_ATTRIBUTES);

    ASSERT_EQ(RunToEnd(exe, elsewhere.Path(), L"/detectscript:" + script + L" /quiet", output), 0u);
    const std::string bytes = ReadFile(script);
    ASSERT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
    const std::wstring text = FromUtf8(bytes.substr(3));
    for (const wchar_t* piece :
         {L"OpenBaseKey('LocalMachine', 'Registry64')", L"OpenBaseKey('LocalMachine', 'Registry32')",
          L"OpenBaseKey('CurrentUser', 'Default')", L"'Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall'",
          L"WindowsInstaller.Installer", L"ProductState($entry.ProductCode) -eq 5", L"'VersionString'",
          L"{ exit 1 }", L"Write-Output ('已安装: '", L"exit 0\r\n"})
        EXPECT_NE(text.find(piece), std::wstring::npos) << ToUtf8(piece);

    // The twin: the entries the script carries, decided by the program's
    // own rules, decide as the catalogue's entries do.
    const std::vector<SoftwareEntry> carried = ScriptEntries(text);
    ASSERT_EQ(carried.size(), 2u) << ToUtf8(text);
    EXPECT_EQ(carried[0].Name, L"O'Brien ‘工具’");
    EXPECT_EQ(carried[0].InstalledName, L"O'Brien’s $Tool `x`");
    EXPECT_EQ(carried[0].Version, L"1.2");
    EXPECT_EQ(carried[1].ProductCode, L"{3D5C7A90-1B2E-4F60-8A4B-6C7D8E9F0A12}");
    const struct {
        const char* what;
        CInstalledSnapshot snapshot;
        bool bInstalled;
    } machines[] = {
        {"nothing", CInstalledSnapshot(), false},
        {"both current", CInstalledSnapshot({{RegistryView::User, L"k", L"o'brien’s $tool `x` 1.10", L"1.10"}},
                                            {{L"{3d5c7a90-1b2e-4f60-8a4b-6c7d8e9f0a12}", L"2.0.0"}}),
         true},
        {"one older", CInstalledSnapshot({{RegistryView::Machine32, L"k", L"O'Brien’s $Tool `x`", L"1.1.9"}},
                                         {{L"{3D5C7A90-1B2E-4F60-8A4B-6C7D8E9F0A12}", L"2.0.0"}}),
         false},
    };
    for (const auto& machine : machines) {
        bool bAll = true;
        for (const SoftwareEntry& entry : carried)
            bAll = bAll && machine.snapshot.StatusOf(entry).IsCurrent();
        EXPECT_EQ(bAll, machine.bInstalled) << machine.what;
    }
}

INSTANTIATE_TEST_SUITE_P(RealInstallers, Installed, ::testing::ValuesIn(kProbeInstallers),
                         [](const ::testing::TestParamInfo<ProbeInstaller>& info) { return std::string(info.param.name); });

} // namespace
