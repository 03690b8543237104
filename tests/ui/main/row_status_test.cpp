// What the size column of a row says: the words for each state, then the
// real program on a disc the machine partly has (its Uninstall entries
// written for real), before and after a batch, and after a restart the
// batch asked for.
#include "batch/batch_log.h"
#include "tests/support/probe_installers.h"
#include "tests/support/running_program.h"
#include "tests/support/test_support.h"
#include "ui/main/QuillsetDlg.h"
#include "ui/main/row_status.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace main_window_test {
namespace {

using namespace testing_support;
using Texts = std::vector<std::wstring>;
using Checks = std::vector<bool>;

LoggedItem Result(ItemOutcome outcome, const std::wstring& note = L"")
{
    return LoggedItem{outcome, L"名称", L"a.exe /S", note};
}

TEST(RowStatusText, EachStateInWords)
{
    const InstallStatus current{InstallState::Current, L"2.3.4"};
    const InstallStatus older{InstallState::Older, L"2.0"};
    const InstallStatus missing{InstallState::Missing, L""};
    const InstallStatus unknown{InstallState::Unknown, L""};
    const InstallStatus currentNoVersion{InstallState::Current, L""};
    const InstallStatus olderNoVersion{InstallState::Older, L""};
    SoftwareEntry entry;
    entry.Version = L"2.3.4";
    entry.AutoInstall = L"a.exe /S";
    SoftwareEntry manualOnly = entry;
    manualOnly.AutoInstall = L"  ";
    struct Case {
        const char* name;
        RowStatus status;
        std::wstring text;
        bool bStartsUnchecked;
    };
    const Case cases[] = {
        {"not read yet", RowStatus{}, L"", false},
        {"not installed", RowStatus{true, true, 1572864, true, true, missing, {}}, L"1.50 MB", false},
        {"no identity keys", RowStatus{true, true, 1572864, true, true, unknown, {}}, L"1.50 MB", false},
        {"file missing", RowStatus{true, false, 0, true, true, missing, {}}, L"文件缺失", false},
        {"64-bit installer", RowStatus{true, true, 10, false, true, missing, {}}, L"需要 64 位 Windows", true},
        {"current", RowStatus{true, true, 10, true, true, current, {}}, L"已安装 2.3.4", true},
        {"current before the disc is read", RowStatus{false, false, 0, true, true, current, {}}, L"已安装 2.3.4",
         true},
        {"current, version not told", RowStatus{true, true, 10, true, true, currentNoVersion, {}},
         L"已安装", true},
        {"current, installer missing", RowStatus{true, false, 0, true, true, current, {}}, L"已安装 2.3.4", true},
        {"older", RowStatus{true, true, 10, true, true, older, {}}, L"可更新 2.0 → 2.3.4", false},
        {"older, installed version not told", RowStatus{true, true, 10, true, true, olderNoVersion, {}},
         L"可更新 (版本不明) → 2.3.4", false},
        {"older, installer missing", RowStatus{true, false, 0, true, true, older, {}}, L"文件缺失", false},
        {"done, now current", RowStatus{true, true, 10, true, true, current, Result(ItemOutcome::Succeeded)},
         L"已完成, 已安装 2.3.4", true},
        {"done, nothing to detect", RowStatus{true, true, 10, true, true, unknown, Result(ItemOutcome::Succeeded)},
         L"已完成", false},
        {"done, restart needed", RowStatus{true, true, 10, true, true, older, Result(ItemOutcome::RestartNeeded)},
         L"已完成, 需要重新启动", false},
        {"failed", RowStatus{true, true, 10, true, true, older, Result(ItemOutcome::Failed, L"退出代码 1603")},
         L"失败 (退出代码 1603)", false},
        {"not run", RowStatus{true, true, 10, true, true, missing, Result(ItemOutcome::NotRun, L"批处理已按用户要求停止")},
         L"未运行", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RowStatusText(c.status, entry), c.text) << c.name;
        EXPECT_EQ(StartsUnchecked(c.status), c.bStartsUnchecked) << c.name;
    }
    // An entry with no automatic install says so before its state, once
    // there is a state to tell.
    const std::pair<RowStatus, std::wstring> manualCases[] = {
        {RowStatus{}, L""},
        {RowStatus{true, true, 1572864, true, true, missing, {}}, L"无自动安装, 1.50 MB"},
        {RowStatus{true, false, 0, true, true, missing, {}}, L"无自动安装, 文件缺失"},
        {RowStatus{true, true, 10, true, true, current, {}}, L"无自动安装, 已安装 2.3.4"},
        {RowStatus{true, true, 10, true, true, unknown, Result(ItemOutcome::Succeeded)}, L"已完成"},
    };
    for (const auto& [status, text] : manualCases)
        EXPECT_EQ(RowStatusText(status, manualOnly), text);
}

// Uninstall entries of the current user, as an installer writes them;
// removed again when the object goes.
class UninstallEntries {
public:
    UninstallEntries() = default;
    UninstallEntries(const UninstallEntries&) = delete;
    UninstallEntries& operator=(const UninstallEntries&) = delete;
    ~UninstallEntries()
    {
        for (const std::wstring& key : m_keys)
            ::RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
    }
    bool Add(const std::wstring& name, const std::wstring& displayName, const std::wstring& version)
    {
        const std::wstring key = std::wstring(L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") + name;
        m_keys.push_back(key);
        auto set = [&](const wchar_t* value, const std::wstring& text) {
            return ::RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), value, REG_SZ, text.c_str(),
                                     static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
        };
        return set(L"DisplayName", displayName) && set(L"DisplayVersion", version);
    }

private:
    std::vector<std::wstring> m_keys;
};

// A disc with the program and the demo installer under each name given.
class RowDisc {
public:
    RowDisc(const std::wstring& catalogue, const std::vector<std::wstring>& installers)
    {
        CopyProgramTo(m_dir, L"Quillset.exe");
        WriteFile(m_dir / L"Quillset.INI", ToUtf16LeWithBom(catalogue));
        for (const std::wstring& name : installers)
            ::CopyFileW((ProgramFolder() + L"demo_installer.exe").c_str(), (m_dir / name).c_str(), FALSE);
    }
    std::wstring operator/(const std::wstring& relative) const { return m_dir / relative; }
    const std::wstring& Path() const { return m_dir.Path(); }

private:
    TempDir m_dir;
};

// The installer's size as the column shows it.
std::wstring SizeOfDemoInstaller()
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ::GetFileAttributesExW((ProgramFolder() + L"demo_installer.exe").c_str(), GetFileExInfoStandard, &data);
    wchar_t text[32] = {};
    std::swprintf(text, 32, L"%.2f MB", static_cast<double>(data.nFileSizeLow) / 1048576.0);
    return text;
}

HWND AllList(HWND hMain)
{
    return ::GetDlgItem(hMain, static_cast<int>(CQuillsetDlg::kIdFirstList));
}

// Waits until the machine's answer has come n times and every size is in.
bool StatesRead(HWND hMain, int n)
{
    return PumpUntil([&] {
        return ::GetPropW(hMain, kStatesReadProp) == reinterpret_cast<HANDLE>(static_cast<INT_PTR>(n)) &&
               ::GetPropW(hMain, kDetailsLoadedProp) != nullptr;
    });
}

// Runs the checked entries through the install button and its confirmation.
HWND RunInstallBatch(HWND hMain)
{
    if (!ClickMiddle(::GetDlgItem(hMain, static_cast<int>(CQuillsetDlg::kIdInstall))))
        return nullptr;
    const HWND hConfirm = WaitForOwnedWindow(hMain, L"软件安装");
    if (!hConfirm || !Answer(hConfirm, IDYES))
        return nullptr;
    return WaitForOwnedWindow(hMain, L"软件安装", 60000);
}

void Close(RunningProgram& program, HWND hMain)
{
    ::PostMessageW(hMain, WM_SYSCOMMAND, SC_CLOSE, 0);
    DWORD exitCode = 1;
    EXPECT_TRUE(program.WaitForExit(10000, &exitCode));
}

const wchar_t kFourEntries[] = LR"([Type]
Sort1=测试
[测试.List]
List1=甲
List2=乙
List3=丙
List4=丁
[甲]
WorkingDir=%CurrDir%
AutoInstall=a.exe /S
ManualInstall=a.exe
InstalledName=Quillset Rows Alpha
Version=2.3.4
Checked=1
[乙]
WorkingDir=%CurrDir%
AutoInstall=b.exe /exit=3
ManualInstall=b.exe
UninstallKey=QuillsetRowsBeta
Version=2.3.4
Checked=1
[丙]
WorkingDir=%CurrDir%
AutoInstall=c.exe /S
ManualInstall=c.exe
InstalledName=Quillset Rows Gamma
Version=1.0
Checked=1
[丁]
WorkingDir=%CurrDir%
AutoInstall=missing.exe /S
ManualInstall=missing.exe
)";

TEST(RowStates, RowsSayWhatIsInstalledAndShowWhatTheBatchDid)
{
    UninstallEntries entries;
    ASSERT_TRUE(entries.Add(L"QuillsetRowsAlphaX", L"Quillset Rows Alpha 2.3.4", L"2.3.4"));
    ASSERT_TRUE(entries.Add(L"QuillsetRowsBeta", L"Beta", L"2.0"));
    const RowDisc disc(kFourEntries, {L"a.exe", L"b.exe", L"c.exe"});
    const std::wstring installLog = disc / L"install.log";
    ASSERT_TRUE(::SetEnvironmentVariableW(L"QUILLSET_DEMO_LOG", installLog.c_str()));
    RunningProgram program(disc / L"Quillset.exe", disc.Path());
    const HWND hMain = program.MainWindow();
    ASSERT_NE(hMain, nullptr);
    ASSERT_TRUE(StatesRead(hMain, 1));

    // The current one starts unchecked, though the catalogue checks it.
    const std::wstring size = SizeOfDemoInstaller();
    EXPECT_EQ(ListRowTexts(AllList(hMain), 1), (Texts{L"", L"已安装 2.3.4", L"可更新 2.0 → 2.3.4", size, L"文件缺失"}));
    EXPECT_EQ(ListRowChecks(AllList(hMain)), (Checks{false, false, true, true, false}));
    const HWND hTools = ::GetDlgItem(hMain, static_cast<int>(CQuillsetDlg::kIdFirstList) + 1);
    EXPECT_EQ(ListRowTexts(hTools, 1), (Texts{L"已安装 2.3.4", L"可更新 2.0 → 2.3.4", size, L"文件缺失"}));

    // 乙 fails, 丙 is done; whether to check the failed one again is asked.
    const HWND hReport = RunInstallBatch(hMain);
    ASSERT_NE(hReport, nullptr);
    ASSERT_TRUE(Answer(hReport, IDOK));
    const HWND hAgain = WaitForOwnedWindow(hMain, L"软件安装");
    ASSERT_NE(hAgain, nullptr);
    EXPECT_NE(MessageBoxText(hAgain).find(L"有 1 款软件安装失败或没有运行"), std::wstring::npos) << MessageBoxText(hAgain);
    ASSERT_TRUE(Answer(hAgain, IDYES));
    ASSERT_TRUE(StatesRead(hMain, 2));
    EXPECT_EQ(ListRowTexts(AllList(hMain), 1), (Texts{L"", L"已安装 2.3.4", L"失败 (退出代码 3)", L"已完成", L"文件缺失"}));
    EXPECT_EQ(ListRowChecks(AllList(hMain)), (Checks{false, false, true, false, false}));
    EXPECT_EQ(FromUtf8(ReadFile(installLog)), L"b.exe|/exit=3\r\nc.exe|/S\r\n");
    Close(program, hMain);
    ::SetEnvironmentVariableW(L"QUILLSET_DEMO_LOG", nullptr);
}

TEST(RowStates, AfterTheRestartABatchAskedForTheNextStartShowsItsResults)
{
    const RowDisc disc(LR"([Type]
Sort1=测试
[测试.List]
List1=甲
List2=乙
List3=丙
[甲]
WorkingDir=%CurrDir%
AutoInstall=a.exe /exit=3010
ManualInstall=a.exe
Checked=1
[乙]
WorkingDir=%CurrDir%
AutoInstall=b.exe /exit=5
ManualInstall=b.exe
Checked=1
[丙]
WorkingDir=%CurrDir%
AutoInstall=c.exe /S
ManualInstall=c.exe
)",
                       {L"a.exe", L"b.exe", L"c.exe"});
    const std::wstring size = SizeOfDemoInstaller();
    ASSERT_TRUE(::SetEnvironmentVariableW(L"QUILLSET_DEMO_LOG", (disc / L"install.log").c_str()));
    {
        RunningProgram program(disc / L"Quillset.exe", disc.Path());
        const HWND hMain = program.MainWindow();
        ASSERT_NE(hMain, nullptr);
        ASSERT_TRUE(StatesRead(hMain, 1));
        const HWND hReport = RunInstallBatch(hMain);
        ASSERT_NE(hReport, nullptr);
        ASSERT_TRUE(Answer(hReport, IDNO)) << "no restart now";
        const HWND hAgain = WaitForOwnedWindow(hMain, L"软件安装");
        ASSERT_NE(hAgain, nullptr);
        ASSERT_TRUE(Answer(hAgain, IDNO));
        Close(program, hMain);
    }
    ::SetEnvironmentVariableW(L"QUILLSET_DEMO_LOG", nullptr);
    const Texts plain{L"", size, size, size};
    {
        // Started again before any restart: nothing to read back.
        RunningProgram program(disc / L"Quillset.exe", disc.Path());
        const HWND hMain = program.MainWindow();
        ASSERT_NE(hMain, nullptr);
        ASSERT_TRUE(StatesRead(hMain, 1));
        EXPECT_EQ(ListRowTexts(AllList(hMain), 1), plain);
        Close(program, hMain);
    }
    // The machine restarts: the note the batch left is older than its start.
    const std::wstring note = MachineLogFolder(RunsWithAdministratorRights()) + L"\\" + kRestartNoteName;
    {
        const CFileHandle file(::CreateFileW(note.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                             OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(file);
        const FILETIME boot = BootTime();
        const ULONGLONG nBefore = ((static_cast<ULONGLONG>(boot.dwHighDateTime) << 32) | boot.dwLowDateTime) -
                                  60ULL * 10000000ULL;
        const FILETIME before{static_cast<DWORD>(nBefore), static_cast<DWORD>(nBefore >> 32)};
        ASSERT_TRUE(::SetFileTime(file.Get(), nullptr, nullptr, &before));
    }
    RunningProgram program(disc / L"Quillset.exe", disc.Path());
    const HWND hMain = program.MainWindow();
    ASSERT_NE(hMain, nullptr);
    ASSERT_TRUE(StatesRead(hMain, 1));
    EXPECT_EQ(ListRowTexts(AllList(hMain), 1), (Texts{L"", L"已完成, 需要重新启动", L"失败 (退出代码 5)", size}));
    // The failed one is checked again from the install-options menu, by its key.
    ASSERT_TRUE(ClickMiddle(::GetDlgItem(hMain, static_cast<int>(CQuillsetDlg::kIdOptions))));
    ASSERT_NE(WaitForMenu(program.ProcessId()), nullptr);
    PressKey('R');
    EXPECT_TRUE(PumpUntil([&] { return ListRowChecks(AllList(hMain)) == Checks{false, false, true, false}; }));
    Close(program, hMain);
    ::DeleteFileW(note.c_str());
}

class RealInstaller : public ::testing::TestWithParam<ProbeInstaller> {
protected:
    void SetUp() override { RemoveProbe(GetParam()); }
    void TearDown() override { RemoveProbe(GetParam()); }
    // The size column of the probe's row, and its check, once the
    // machine's answer has come n times.
    static std::pair<std::wstring, bool> Row(HWND hMain, int n)
    {
        if (!StatesRead(hMain, n))
            return {L"(no answer)", false};
        return {ListRowTexts(AllList(hMain), 1).at(1), ListRowChecks(AllList(hMain)).at(1)};
    }
};

TEST_P(RealInstaller, TheRowFollowsWhatIsInstalledBeforeAndAfterItsBatch)
{
    const ProbeInstaller& probe = GetParam();
    if (::GetFileAttributesW(ProbeSample(probe, L"2.0").c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "the sample installers are built only where makensis, wixl and ISCC are";
    const bool bPackage = std::wstring(probe.extension) == L".msi";
    const std::wstring setup = L"setup" + std::wstring(probe.extension);
    const RowDisc disc(L"[Type]\r\nSort1=工具\r\n[工具.List]\r\nList1=探针\r\n[探针]\r\nWorkingDir=%CurrDir%\r\n"
                       L"AutoInstall=" + setup + L" " + probe.switches + L"\r\nManualInstall=" + setup +
                           L"\r\nChecked=1\r\nVersion=2.0\r\n" + probe.keys,
                       {});
    ASSERT_TRUE(::CopyFileW(ProbeSample(probe, L"2.0").c_str(), (disc / setup).c_str(), FALSE));
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ::GetFileAttributesExW((disc / setup).c_str(), GetFileExInfoStandard, &data);
    wchar_t size[32] = {};
    std::swprintf(size, 32, L"%.2f MB", static_cast<double>(data.nFileSizeLow) / 1048576.0);
    const auto start = [&](auto check) {
        RunningProgram program(disc / L"Quillset.exe", disc.Path());
        const HWND hMain = program.MainWindow();
        ASSERT_NE(hMain, nullptr);
        check(hMain);
        Close(program, hMain);
    };
    start([&](HWND hMain) { EXPECT_EQ(Row(hMain, 1), std::make_pair(std::wstring(size), true)) << "not installed"; });

    // An older version installed: an update, still checked.
    const TempDir old;
    ASSERT_TRUE(::CopyFileW(ProbeSample(probe, L"1.0").c_str(), (old / setup).c_str(), FALSE));
    ASSERT_EQ(InstallProbe(probe, old / setup), 0u);
    start([&](HWND hMain) {
        const std::wstring older = bPackage ? L"1.0.0" : L"1.0";
        EXPECT_EQ(Row(hMain, 1), std::make_pair(L"可更新 " + older + L" → 2.0", true));
        // A package is not installed over another version of its product:
        // the technician removes the old one first.
        if (bPackage)
            RemoveProbe(probe);
        // The window's batch installs the disc's version; the row says so.
        const HWND hReport = RunInstallBatch(hMain);
        ASSERT_NE(hReport, nullptr);
        EXPECT_NE(MessageBoxText(hReport).find(L"所有项目安装完毕"), std::wstring::npos) << MessageBoxText(hReport);
        ASSERT_TRUE(Answer(hReport, IDOK));
        EXPECT_EQ(Row(hMain, 2), std::make_pair(L"已完成, 已安装 " + std::wstring(probe.installed), true));
    });
    // Current: it starts unchecked, though the catalogue checks it.
    start([&](HWND hMain) {
        EXPECT_EQ(Row(hMain, 1), std::make_pair(L"已安装 " + std::wstring(probe.installed), false));
    });
}

INSTANTIATE_TEST_SUITE_P(Probes, RealInstaller, ::testing::ValuesIn(kProbeInstallers),
                         [](const ::testing::TestParamInfo<ProbeInstaller>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
} // namespace main_window_test
