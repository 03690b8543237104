// A row's links on the real program: each install is a batch of one behind
// the progress window, with its log, its result in a message captioned by
// the link and on the row; a second click while it runs starts nothing; a
// stop goes straight to ending the installer; an entry without an automatic
// install says so on its row and when its link is clicked; and the demo
// disc's entries installed and saved through their links.
#include "batch/prog_dlg.h"
#include "res/resource.h"
#include "tests/support/running_program.h"
#include "tests/support/test_support.h"
#include "tests/ui/main/link_points.h"
#include "ui/main/QuillsetDlg.h"

#include <dlgs.h>
#include <gtest/gtest.h>
#include <shellapi.h>

#include <chrono>
#include <string>
#include <vector>

namespace main_window_test {
namespace {

using namespace testing_support;
using std::chrono::milliseconds;

// Rows of the all-software list: 1 压缩 (slow enough to be clicked again
// while it runs), 2 看图 (no automatic install), 3 向导 (never ends).
constexpr wchar_t kCatalogue[] = LR"([Type]
Sort1=工具
[工具.List]
List1=压缩
List2=看图
List3=向导
[压缩]
WorkingDir=%CurrDir%
AutoInstall=zip.exe /S /delay=3000
ManualInstall=zip.exe
[看图]
WorkingDir=%CurrDir%
ManualInstall=view.exe
[向导]
WorkingDir=%CurrDir%
AutoInstall=wizard.exe
ManualInstall=wizard.exe
)";

HWND AllList(HWND hMain)
{
    return ::GetDlgItem(hMain, static_cast<int>(CQuillsetDlg::kIdFirstList));
}

// The program, its window on show with every row's size in place.
HWND OpenWindow(const RunningProgram& program)
{
    const HWND hMain = program.MainWindow();
    if (!hMain || !PumpUntil([&] { return ::GetPropW(hMain, kDetailsLoadedProp) != nullptr; }))
        return nullptr;
    return hMain;
}

// Clicks link nLink (1 手动安装, 2 自动安装) of row nRow where it is drawn;
// twice: a second click on the link waits in the queue behind the first,
// far enough from it not to make a double click.
testing::AssertionResult ClickLink(HWND hMain, int nRow, int nLink, bool bTwice = false)
{
    const POINT pt = ProgramLinkPoints(AllList(hMain), nRow)[static_cast<size_t>(nLink)];
    if (!bTwice)
        return ClickWindow(AllList(hMain), pt);
    return ClickWindow(AllList(hMain), std::vector<POINT>{{pt.x - 6, pt.y}, {pt.x + 6, pt.y}});
}

// The log file a report names.
std::wstring LogNamedIn(const std::wstring& report)
{
    const size_t at = report.find(L"日志文件: ");
    return at == std::wstring::npos ? std::wstring() : report.substr(at + 6, report.find(L'\n', at) - at - 6);
}

void Close(const RunningProgram& program, HWND hMain)
{
    ::PostMessageW(hMain, WM_SYSCOMMAND, SC_CLOSE, 0);
    DWORD exitCode = 1;
    EXPECT_TRUE(program.WaitForExit(10000, &exitCode));
}

TEST(RowBatch, ARowsInstallRunsOnceBehindTheProgressWindowAndTellsItsResult)
{
    struct Case {
        const char* name;
        int nLink;
        // Clicked twice before the program takes the first click.
        bool bTwice;
        std::wstring caption;
        std::wstring installed;
    };
    const Case cases[] = {
        {"自动安装 clicked twice", 2, true, L"自动安装", L"zip.exe|/S /delay=3000\r\n"},
        {"手动安装", 1, false, L"手动安装", L"zip.exe|\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const InstallerDisc disc(kCatalogue, {L"zip.exe", L"view.exe"}, {L"wizard.exe"});
        const RunningProgram program(disc / L"Quillset.exe", disc.Path());
        const HWND hMain = OpenWindow(program);
        ASSERT_NE(hMain, nullptr);
        ASSERT_TRUE(ClickLink(hMain, 1, c.nLink, c.bTwice));
        // No question: the click was the confirmation.
        const HWND hProgress = WaitForOwnedWindow(hMain, L"正在安装");
        ASSERT_NE(hProgress, nullptr);
        const std::wstring zip = disc / L"zip.exe";
        EXPECT_TRUE(PumpUntil([&] { return Caption(hProgress) == L"正在安装...100.0% (1/1) 压缩 | " + zip; }))
            << ToUtf8(Caption(hProgress));
        EXPECT_FALSE(::IsWindowVisible(hMain)) << "the main window hides while the batch runs";

        const HWND hReport = WaitForOwnedWindow(hMain, c.caption, 30000);
        ASSERT_NE(hReport, nullptr);
        const std::wstring report = MessageBoxText(hReport);
        EXPECT_EQ(report.rfind(L"压缩 安装完毕!\n\n日志文件: ", 0), 0u) << ToUtf8(report);
        EXPECT_TRUE(::IsWindow(hProgress)) << "the progress window stays until the result is read";
        const std::wstring log = FromUtf8(ReadFile(LogNamedIn(report)));
        EXPECT_NE(log.find(L"\r\n成功 | 压缩 | "), std::wstring::npos) << ToUtf8(log);
        ASSERT_TRUE(Answer(hReport, IDOK));

        // Back: the row shows what became of it, nothing more is asked and
        // nothing more runs.
        EXPECT_TRUE(PumpUntil([&] { return ::IsWindowVisible(hMain) != FALSE; }));
        EXPECT_TRUE(PumpUntil([&] { return ListRowTexts(AllList(hMain), 1).at(1) == L"已完成"; }))
            << ToUtf8(ListRowTexts(AllList(hMain), 1).at(1));
        EXPECT_EQ(FindOwnedWindow(hMain, L""), nullptr) << "no second batch, no question";
        EXPECT_EQ(disc.Installed(), c.installed);
        Close(program, hMain);
        ::DeleteFileW(LogNamedIn(report).c_str());
    }
}

TEST(RowBatch, AnEntryWithoutAnAutomaticInstallSaysSoAndRunsNothing)
{
    const InstallerDisc disc(kCatalogue, {L"zip.exe", L"view.exe"}, {L"wizard.exe"});
    const RunningProgram program(disc / L"Quillset.exe", disc.Path());
    const HWND hMain = OpenWindow(program);
    ASSERT_NE(hMain, nullptr);
    const std::wstring state = ListRowTexts(AllList(hMain), 1).at(2);
    EXPECT_EQ(state.rfind(L"无自动安装, ", 0), 0u) << ToUtf8(state);
    EXPECT_EQ(state.substr(state.size() - 3), L" MB") << "the installer's size stays";

    ASSERT_TRUE(ClickLink(hMain, 2, 2));
    const HWND hBox = WaitForOwnedWindow(hMain, L"自动安装");
    ASSERT_NE(hBox, nullptr);
    EXPECT_EQ(MessageBoxText(hBox).rfind(L"此软件无自动安装: ", 0), 0u) << ToUtf8(MessageBoxText(hBox));
    EXPECT_NE(MessageBoxText(hBox).find(L"\n\n软件: 看图"), std::wstring::npos) << ToUtf8(MessageBoxText(hBox));
    EXPECT_TRUE(::IsWindowVisible(hMain)) << "no batch";
    ASSERT_TRUE(Answer(hBox, IDOK));
    EXPECT_EQ(disc.Installed(), L"");
    Close(program, hMain);
}

TEST(RowBatch, AStopOffersAtOnceToEndTheOneInstaller)
{
    const InstallerDisc disc(kCatalogue, {L"zip.exe", L"view.exe"}, {L"wizard.exe"});
    const RunningProgram program(disc / L"Quillset.exe", disc.Path());
    const HWND hMain = OpenWindow(program);
    ASSERT_NE(hMain, nullptr);
    ASSERT_TRUE(ClickLink(hMain, 3, 2));
    const HWND hProgress = WaitForOwnedWindow(hMain, L"正在安装");
    ASSERT_NE(hProgress, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return ProcessIdsIn(disc / L"pids.txt").size() == 2; }, milliseconds(30000)));

    // Nothing comes after the one item: the question is whether to end it.
    ASSERT_TRUE(ClickMiddle(::GetDlgItem(hProgress, IDC_STOP)));
    const HWND hEnd = WaitForOwnedWindow(hProgress, L"自动安装");
    ASSERT_NE(hEnd, nullptr);
    EXPECT_EQ(MessageBoxText(hEnd), kEndItemQuestion);
    ASSERT_TRUE(Answer(hEnd, IDYES));

    const HWND hReport = WaitForOwnedWindow(hMain, L"自动安装", 30000);
    ASSERT_NE(hReport, nullptr);
    const std::wstring report = MessageBoxText(hReport);
    EXPECT_EQ(report.rfind(L"安装失败, 请查看失败原因!\n\n向导 | " + (disc / L"wizard.exe") +
                               L" (已按要求结束安装程序及其启动的所有进程, 该软件可能只安装了一部分)\n\n日志文件: ",
                           0),
              0u)
        << ToUtf8(report);
    EXPECT_TRUE(PumpUntil([] { return !ProcessRunning(L"wizard.exe"); })) << "the installer or its helper runs on";
    ASSERT_TRUE(Answer(hReport, IDOK));
    EXPECT_TRUE(PumpUntil([&] { return ListRowTexts(AllList(hMain), 1).at(3).rfind(L"失败 (", 0) == 0; }))
        << ToUtf8(ListRowTexts(AllList(hMain), 1).at(3));
    Close(program, hMain);
    ::DeleteFileW(LogNamedIn(report).c_str());
}

// The real program on the demo disc, its save dialog and message box real.
TEST(RowActionsProgram, ATechnicianInstallsAndSavesOneEntryOfTheDemoDisc)
{
    TempDir copy;
    TempDir out;
    const std::wstring target = out / L"极速压缩.exe";
    // Each installer logs into its current folder.
    ASSERT_TRUE(::SetEnvironmentVariableW(L"QUILLSET_DEMO_LOG", L"install.log"));
    // A copy of the disc, as a technician copies it to a hard disk.
    const std::wstring from = ProgramFolder() + L"demo-disc\\*" + L'\0';
    const std::wstring to = copy.Path() + L'\0';
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_COPY;
    op.pFrom = from.c_str();
    op.pTo = to.c_str();
    op.fFlags = FOF_NO_UI;
    ASSERT_EQ(::SHFileOperationW(&op), 0);
    const std::wstring disc = copy.Path() + L"\\";
    const std::wstring zip = disc + L"setup\\Zip Tool\\zip setup.exe";
    // Started from a prompt in another folder.
    RunningProgram program(disc + L"Quillset.exe", out.Path());
    const HWND hMain = program.MainWindow();
    ASSERT_NE(hMain, nullptr);
    const HWND hList = ::GetDlgItem(hMain, CQuillsetDlg::kIdFirstList);
    // Maximised, the list shows every row up to the PDF entry's.
    ::ShowWindow(hMain, SW_MAXIMIZE);
    ASSERT_TRUE(PumpUntil([&] { return ::SendMessageW(hList, LVM_GETCOUNTPERPAGE, 0, 0) > 8; }));

    // 极速压缩 is row 1 of the all-software list, under its category's
    // header; the PDF entry, row 8, names its installer relative to the
    // program's folder.
    const auto points = ProgramLinkPoints(hList, 1);
    const std::wstring zipLog = disc + L"setup\\Zip Tool\\install.log";
    const std::wstring pdfLog = disc + L"setup\\install.log";
    // Each link is clicked once, as a technician clicks it; each install
    // is a batch of one that tells its result once its installer has ended,
    // and the window is back before the next link is clicked.
    const struct {
        POINT pt;
        std::wstring caption;
        std::wstring log;
        std::vector<std::wstring> logged;
    } clicks[] = {
        {points[1], L"手动安装", zipLog, {L"zip setup.exe|"}},
        {points[2], L"自动安装", zipLog, {L"zip setup.exe|", L"zip setup.exe|/S /D=C:\\Program Files\\QuickZip"}},
        {ProgramLinkPoints(hList, 8)[1], L"手动安装", pdfLog, {L"pdfreader.exe|"}},
    };
    for (const auto& click : clicks) {
        ASSERT_TRUE(ClickWindow(hList, click.pt));
        const HWND hResult = WaitForOwnedWindow(hMain, click.caption, 30000);
        ASSERT_NE(hResult, nullptr);
        EXPECT_NE(MessageBoxText(hResult).find(L" 安装完毕!\n\n日志文件: "), std::wstring::npos)
            << ToUtf8(MessageBoxText(hResult));
        EXPECT_EQ(SortedLines(click.log), click.logged);
        ASSERT_TRUE(Answer(hResult, IDOK));
        ASSERT_TRUE(PumpUntil([&] { return ::IsWindowVisible(hMain) != FALSE; }));
    }

    // The save: the progress window it runs behind is checked in-process,
    // where no caption can slip by unseen.
    ASSERT_TRUE(ClickWindow(hList, points[3]));
    const HWND hSave = WaitForOwnedWindow(hMain, L"");
    ASSERT_NE(hSave, nullptr);
    // The file name field: the edit box of the dialog's name combo box.
    const HWND hCombo = ::FindWindowExW(::GetDlgItem(hSave, cmb13), nullptr, L"ComboBox", nullptr);
    ::SetWindowTextW(::FindWindowExW(hCombo, nullptr, L"Edit", nullptr), target.c_str());
    ::PostMessageW(hSave, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(hSave); }));
    const HWND hBox = WaitForOwnedWindow(hMain, L"保存安装包");
    ASSERT_NE(hBox, nullptr);
    ::PostMessageW(hBox, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(hBox); }));
    EXPECT_TRUE(ReadFile(target) == ReadFile(zip)) << "the copy's bytes";

    ::PostMessageW(hMain, WM_SYSCOMMAND, SC_CLOSE, 0);
    DWORD exitCode = 1;
    EXPECT_TRUE(program.WaitForExit(10000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
    ::SetEnvironmentVariableW(L"QUILLSET_DEMO_LOG", nullptr);
}

} // namespace
} // namespace main_window_test
