// A technician stops a running batch of the real program: the demo
// installer runs slowly behind the progress window, the stop is asked for
// with real key presses and clicks, and the real question box is answered
// by a click on its button. Each key and click is given once, when the
// window it is for is there to take it.
#include "batch/prog_dlg.h"
#include "res/resource.h"
#include "tests/support/running_program.h"
#include "tests/support/test_support.h"
#include "ui/main/QuillsetDlg.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace main_window_test {
namespace {

using namespace testing_support;
using std::chrono::milliseconds;

enum class Ask { kEscape, kCloseBox, kButton, kAltF4 };

testing::AssertionResult AskToStop(HWND hProgress, Ask ask)
{
    switch (ask) {
    case Ask::kEscape:
        return PressKeyIn(hProgress, VK_ESCAPE);
    case Ask::kCloseBox:
        return ClickWindow(hProgress, CloseBoxPoint(hProgress));
    case Ask::kButton:
        return ClickMiddle(::GetDlgItem(hProgress, IDC_STOP));
    case Ask::kAltF4:
        return PressKeyIn(hProgress, VK_F4, VK_MENU);
    }
    return testing::AssertionFailure() << "no such way to ask";
}

// Three checked entries; the first installer runs long enough to be
// stopped under, the later ones briefly.
constexpr wchar_t kCatalogue[] = LR"([Config]
Default=1
[Type]
Sort1=工具
[工具.List]
List1=第一
List2=第二
List3=第三
[第一]
WorkingDir=%CurrDir%
AutoInstall=first.exe /S /delay=7000
ManualInstall=first.exe
Checked=1
[第二]
WorkingDir=%CurrDir%
AutoInstall=second.exe /S /delay=300
ManualInstall=second.exe
Checked=1
[第三]
WorkingDir=%CurrDir%
AutoInstall=third.exe /S /delay=300
ManualInstall=third.exe
Checked=1
)";

struct StopCase {
    const char* name;
    Ask ask;
    // The answer clicked.
    int nAnswer;
    // Whether the question is left open past the end of the first item
    // before it is answered.
    bool bAnswerLate;
};

TEST(StopBatchProgram, ATechnicianStopsARunningBatchAfterTheItemThatRuns)
{
    const StopCase cases[] = {
        {"Escape, Yes", Ask::kEscape, IDYES, false},
        {"close box, Yes", Ask::kCloseBox, IDYES, false},
        {"stop button, Yes", Ask::kButton, IDYES, false},
        {"Alt+F4, No", Ask::kAltF4, IDNO, false},
        {"stop button, left open past the first item, then No", Ask::kButton, IDNO, true},
    };
    for (const StopCase& c : cases) {
        SCOPED_TRACE(c.name);
        const InstallerDisc disc(kCatalogue, {L"first.exe", L"second.exe", L"third.exe"});
        const std::wstring installLog = disc / L"install.log";

        RunningProgram program(disc.Program(), disc.Path());
        const HWND hMain = program.MainWindow();
        ASSERT_NE(hMain, nullptr);
        ASSERT_TRUE(ClickMiddle(::GetDlgItem(hMain, CQuillsetDlg::kIdInstall)));
        const HWND hConfirm = WaitForOwnedWindow(hMain, L"软件安装");
        ASSERT_NE(hConfirm, nullptr);
        ASSERT_TRUE(Answer(hConfirm, IDYES));

        // The first item runs; the technician asks to stop.
        const HWND hProgress = WaitForOwnedWindow(hMain, L"正在安装...33.3%");
        ASSERT_NE(hProgress, nullptr);
        ASSERT_TRUE(AskToStop(hProgress, c.ask));
        const HWND hQuestion = WaitForOwnedWindow(hProgress, L"软件安装");
        ASSERT_NE(hQuestion, nullptr);
        EXPECT_NE(MessageBoxText(hQuestion).find(kStopQuestion), std::wstring::npos) << MessageBoxText(hQuestion);
        EXPECT_EQ(::GetWindowLongPtrW(::GetDlgItem(hQuestion, IDNO), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON)
            << "No is the default";
        if (c.bAnswerLate) {
            // The first item ends while the question is open; the next one
            // waits for the answer.
            EXPECT_TRUE(PumpUntil([&] { return !ReadFile(installLog).empty(); }, milliseconds(30000)));
            PumpUntil([&] { return ReadFile(installLog).find("second.exe") != std::string::npos; }, milliseconds(3000));
            EXPECT_EQ(FromUtf8(ReadFile(installLog)), L"first.exe|/S /delay=7000\r\n")
                << "no item starts while the question is open";
        }
        EXPECT_TRUE(Answer(hQuestion, c.nAnswer));
        if (c.nAnswer == IDYES) {
            const HWND hStop = ::GetDlgItem(hProgress, IDC_STOP);
            EXPECT_TRUE(PumpUntil([&] { return Caption(hStop) == kStoppingLabel; }));
            EXPECT_EQ(Caption(hProgress).rfind(kStoppingCaptionPrefix, 0), 0u) << platform_text::ToUtf8(Caption(hProgress));
            // Asked again, it offers to end the installer; No lets it end on its own.
            EXPECT_TRUE(AskToStop(hProgress, c.ask));
            const HWND hEnd = WaitForOwnedWindow(hProgress, L"软件安装");
            ASSERT_NE(hEnd, nullptr);
            EXPECT_NE(MessageBoxText(hEnd).find(kEndItemQuestion), std::wstring::npos) << MessageBoxText(hEnd);
            EXPECT_EQ(::GetWindowLongPtrW(::GetDlgItem(hEnd, IDNO), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON)
                << "No is the default";
            EXPECT_TRUE(Answer(hEnd, IDNO));
        }

        // The report, shown over the hidden main window.
        const HWND hReport = WaitForOwnedWindow(hMain, L"软件安装", 30000);
        ASSERT_NE(hReport, nullptr);
        const std::wstring report = MessageBoxText(hReport);
        const std::wstring installed = FromUtf8(ReadFile(installLog));
        const size_t at = report.find(L"日志文件: ");
        ASSERT_NE(at, std::wstring::npos) << report;
        const std::wstring logPath = report.substr(at + 6, report.find(L'\n', at) - at - 6);
        const std::wstring log = FromUtf8(ReadFile(logPath));
        if (c.nAnswer == IDYES) {
            EXPECT_EQ(installed, L"first.exe|/S /delay=7000\r\n") << "the running item ended on its own, no other began";
            EXPECT_NE(report.find(L"已按要求停止, 以下项目没有运行:\n第二 | " + (disc / L"second.exe") + L"\n第三 | " +
                                  (disc / L"third.exe") + L"\n"),
                      std::wstring::npos)
                << report;
            EXPECT_EQ(report.find(L"所有项目安装完毕"), std::wstring::npos) << report;
            EXPECT_NE(log.find(L"\r\n成功 | 第一 | "), std::wstring::npos) << log;
            EXPECT_NE(log.find(L"\r\n未运行 | 第二 | "), std::wstring::npos) << log;
            EXPECT_NE(log.find(L" | " + (disc / L"second.exe") + L" |  | /S /delay=300 |  | 批处理已按用户要求停止 | \r\n"),
                      std::wstring::npos)
                << log;
            EXPECT_NE(log.find(L"\r\n未运行 | 第三 | "), std::wstring::npos) << log;
        } else {
            EXPECT_EQ(installed, L"first.exe|/S /delay=7000\r\nsecond.exe|/S /delay=300\r\nthird.exe|/S /delay=300\r\n");
            EXPECT_NE(report.find(L"所有项目安装完毕!"), std::wstring::npos) << report;
            EXPECT_EQ(log.find(L"未运行"), std::wstring::npos) << log;
        }
        EXPECT_TRUE(Answer(hReport, IDOK));
        EXPECT_TRUE(PumpUntil([&] { return ::IsWindowVisible(hMain) != FALSE; })) << "the main window is back";
        if (c.nAnswer == IDYES) {
            // Items were left out: whether to check them again is asked.
            const HWND hAgain = WaitForOwnedWindow(hMain, L"软件安装");
            ASSERT_NE(hAgain, nullptr);
            EXPECT_NE(MessageBoxText(hAgain).find(L"有 2 款软件安装失败或没有运行"), std::wstring::npos) << MessageBoxText(hAgain);
            EXPECT_TRUE(Answer(hAgain, IDNO));
        }
        ::PostMessageW(hMain, WM_SYSCOMMAND, SC_CLOSE, 0);
        DWORD exitCode = 1;
        EXPECT_TRUE(program.WaitForExit(10000, &exitCode));
        ::DeleteFileW(logPath.c_str());
    }
}

// An installer that waits for an answer nobody sees (one without a silent
// switch behind 自动安装): while it holds the window's batch, a command line
// on the same machine is refused; the stop asked again ends it with the
// helper it has started, and the report says what may be left behind.
TEST(StopBatchProgram, AHungInstallerIsEndedWhenTheStopIsAskedAgain)
{
    const InstallerDisc disc(LR"([Config]
Default=1
[Type]
Sort1=工具
[工具.List]
List1=向导
List2=第二
[向导]
WorkingDir=%CurrDir%
AutoInstall=wizard.exe
Checked=1
[第二]
WorkingDir=%CurrDir%
AutoInstall=second.exe /S
Checked=1
)",
                             {L"second.exe"}, {L"wizard.exe"});
    const std::wstring exe = disc.Program();
    const std::wstring installLog = disc / L"install.log";
    const std::wstring pids = disc / L"pids.txt";

    RunningProgram program(exe, disc.Path());
    const HWND hMain = program.MainWindow();
    ASSERT_NE(hMain, nullptr);
    ASSERT_TRUE(ClickMiddle(::GetDlgItem(hMain, CQuillsetDlg::kIdInstall)));
    const HWND hConfirm = WaitForOwnedWindow(hMain, L"软件安装");
    ASSERT_NE(hConfirm, nullptr);
    ASSERT_TRUE(Answer(hConfirm, IDYES));
    const HWND hProgress = WaitForOwnedWindow(hMain, L"正在安装...50.0%");
    ASSERT_NE(hProgress, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return ProcessIdsIn(pids).size() == 2; }, milliseconds(30000)));

    // A command line started meanwhile runs nothing.
    {
        const RunningProgram second(exe, disc.Path(), L"/auto /quiet /select:第二 /log:" + (disc / L"second.log"));
        DWORD exitCode = 0;
        EXPECT_TRUE(second.WaitForExit(30000, &exitCode));
        EXPECT_EQ(exitCode, 1618u);
        EXPECT_EQ(ReadFile(installLog), "");
    }

    ASSERT_TRUE(AskToStop(hProgress, Ask::kButton));
    const HWND hQuestion = WaitForOwnedWindow(hProgress, L"软件安装");
    ASSERT_NE(hQuestion, nullptr);
    ASSERT_TRUE(Answer(hQuestion, IDYES));
    const HWND hStop = ::GetDlgItem(hProgress, IDC_STOP);
    ASSERT_TRUE(PumpUntil([&] { return Caption(hStop) == kStoppingLabel; }));
    // Stopping waits for the installer, which never ends: asked again, the
    // window offers to end it, with a warning.
    ASSERT_TRUE(AskToStop(hProgress, Ask::kButton));
    const HWND hEnd = WaitForOwnedWindow(hProgress, L"软件安装");
    ASSERT_NE(hEnd, nullptr);
    EXPECT_NE(MessageBoxText(hEnd).find(kEndItemQuestion), std::wstring::npos) << MessageBoxText(hEnd);
    EXPECT_TRUE(Answer(hEnd, IDYES));

    const HWND hReport = WaitForOwnedWindow(hMain, L"软件安装", 30000);
    ASSERT_NE(hReport, nullptr);
    const std::wstring report = MessageBoxText(hReport);
    EXPECT_NE(report.find(L"\n向导 | " + (disc / L"wizard.exe") +
                          L" (已按要求结束安装程序及其启动的所有进程, 该软件可能只安装了一部分)\n"),
              std::wstring::npos)
        << report;
    EXPECT_NE(report.find(L"已按要求停止, 以下项目没有运行:\n第二 | " + (disc / L"second.exe") + L"\n"),
              std::wstring::npos)
        << report;
    EXPECT_TRUE(PumpUntil([] { return !ProcessRunning(L"wizard.exe"); })) << "the installer or its helper runs on";
    EXPECT_EQ(ReadFile(installLog), "");
    EXPECT_TRUE(Answer(hReport, IDOK));
    EXPECT_TRUE(PumpUntil([&] { return ::IsWindowVisible(hMain) != FALSE; }));

    // The lock went with the batch, before the window asks whether to check
    // the unfinished ones again: a command line runs now.
    const HWND hAgain = WaitForOwnedWindow(hMain, L"软件安装");
    ASSERT_NE(hAgain, nullptr);
    {
        const RunningProgram second(exe, disc.Path(), L"/auto /quiet /select:第二 /log:" + (disc / L"second.log"));
        DWORD exitCode = 1;
        EXPECT_TRUE(second.WaitForExit(30000, &exitCode));
        EXPECT_EQ(exitCode, 0u);
    }
    EXPECT_TRUE(Answer(hAgain, IDNO));
    ::PostMessageW(hMain, WM_SYSCOMMAND, SC_CLOSE, 0);
    DWORD exitCode = 1;
    EXPECT_TRUE(program.WaitForExit(10000, &exitCode));
}

} // namespace
} // namespace main_window_test
