// A technician stops a running batch of the real program: the demo
// installer runs slowly behind the progress window, the stop is asked for
// with real key presses and clicks, and the real question box is answered
// by a click on its button.
#include "batch/batch_texts.h"
#include "batch/prog_dlg.h"
#include "res/resource.h"
#include "tests/support/running_program.h"
#include "tests/support/test_support.h"
#include "ui/main/QuillsetDlg.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace main_window_test {
namespace {

using namespace testing_support;
using std::chrono::milliseconds;

BOOL CALLBACK CollectTextProc(HWND hWnd, LPARAM lp)
{
    *reinterpret_cast<std::wstring*>(lp) += Caption(hWnd) + L"\n";
    return TRUE;
}

// The texts of a message box's controls, its message among them.
std::wstring BoxText(HWND hBox)
{
    std::wstring text;
    ::EnumChildWindows(hBox, &CollectTextProc, reinterpret_cast<LPARAM>(&text));
    return text;
}

POINT Centre(HWND hWnd)
{
    RECT rcWindow{};
    ::GetWindowRect(hWnd, &rcWindow);
    return POINT{(rcWindow.left + rcWindow.right) / 2, (rcWindow.top + rcWindow.bottom) / 2};
}

// The close box in the caption of a window of another process, found where
// the window itself says it is.
POINT CloseBox(HWND hWnd)
{
    RECT rc{};
    ::GetWindowRect(hWnd, &rc);
    for (int y = rc.top; y < rc.top + 30; ++y) {
        for (int x = rc.right - 1; x > rc.right - 40; --x) {
            if (::SendMessageW(hWnd, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE)
                return POINT{x - 3, y + 3};
        }
    }
    return POINT{-1, -1};
}

// Acts as a person does until the program shows it took the act: input
// given to a window the moment it shows may be lost under Wine's desktop, so
// a person would press or click again.
bool ActUntil(const std::function<void()>& act, const std::function<bool()>& done)
{
    for (int tries = 0; tries < 4; ++tries) {
        act();
        if (PumpUntil(done, milliseconds(3000)))
            return true;
    }
    return false;
}

// Clicks a button of a message box until the box has gone.
bool Answer(HWND hBox, int nButton)
{
    return ActUntil([&] { ClickScreen(Centre(::GetDlgItem(hBox, nButton))); }, [&] { return !::IsWindow(hBox); });
}

enum class Ask { kEscape, kCloseBox, kButton, kAltF4 };

void AskToStop(HWND hProgress, Ask ask)
{
    ::SetForegroundWindow(hProgress);
    switch (ask) {
    case Ask::kEscape:
        PressKey(VK_ESCAPE);
        break;
    case Ask::kCloseBox:
        ClickScreen(CloseBox(hProgress));
        break;
    case Ask::kButton:
        ClickScreen(Centre(::GetDlgItem(hProgress, IDC_STOP)));
        break;
    case Ask::kAltF4:
        PressKey(VK_F4, VK_MENU);
        break;
    }
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
    // The answer clicked, or 0 for a question left open until the batch ends.
    int nAnswer;
};

TEST(StopBatchProgram, ATechnicianStopsARunningBatchAfterTheItemThatRuns)
{
    const StopCase cases[] = {
        {"Escape, Yes", Ask::kEscape, IDYES},
        {"close box, Yes", Ask::kCloseBox, IDYES},
        {"stop button, Yes", Ask::kButton, IDYES},
        {"Alt+F4, No", Ask::kAltF4, IDNO},
        {"stop button, left open", Ask::kButton, 0},
    };
    for (const StopCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir disc;
        CopyProgramTo(disc, L"Quillset.exe");
        WriteFile(disc / L"Quillset.INI", ToUtf16LeWithBom(kCatalogue));
        for (const wchar_t* name : {L"first.exe", L"second.exe", L"third.exe"})
            ASSERT_TRUE(::CopyFileW((ProgramFolder() + L"demo_installer.exe").c_str(), (disc / name).c_str(), FALSE));
        const std::wstring installLog = disc / L"install.log";
        ASSERT_TRUE(::SetEnvironmentVariableW(L"QUILLSET_DEMO_LOG", installLog.c_str()));

        RunningProgram program(disc / L"Quillset.exe", disc.Path());
        const HWND hMain = program.MainWindow();
        ASSERT_NE(hMain, nullptr);
        HWND hConfirm = nullptr;
        ASSERT_TRUE(ActUntil(
            [&] {
                ::SetForegroundWindow(hMain);
                ClickScreen(Centre(::GetDlgItem(hMain, CQuillsetDlg::kIdInstall)));
            },
            [&] { return (hConfirm = FindOwnedWindow(hMain, L"软件安装")) != nullptr; }));
        ASSERT_TRUE(Answer(hConfirm, IDYES));

        // The first item runs; the technician asks to stop.
        const HWND hProgress = WaitForOwnedWindow(hMain, L"正在安装...33.3%");
        ASSERT_NE(hProgress, nullptr);
        HWND hQuestion = nullptr;
        ASSERT_TRUE(ActUntil([&] { AskToStop(hProgress, c.ask); },
                             [&] { return (hQuestion = FindOwnedWindow(hProgress, L"软件安装")) != nullptr; }));
        EXPECT_NE(BoxText(hQuestion).find(kStopQuestion), std::wstring::npos) << BoxText(hQuestion);
        EXPECT_EQ(::GetWindowLongPtrW(::GetDlgItem(hQuestion, IDNO), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON)
            << "No is the default";
        if (c.nAnswer) {
            EXPECT_TRUE(Answer(hQuestion, c.nAnswer));
        }
        if (c.nAnswer == IDYES) {
            const HWND hStop = ::GetDlgItem(hProgress, IDC_STOP);
            EXPECT_TRUE(PumpUntil([&] { return Caption(hStop) == kStoppingLabel; }));
            EXPECT_EQ(Caption(hProgress).rfind(kStoppingCaptionPrefix, 0), 0u) << platform_text::ToUtf8(Caption(hProgress));
            // Asked again, it does not ask again.
            AskToStop(hProgress, c.ask);
            EXPECT_FALSE(PumpUntil([&] { return FindOwnedWindow(hProgress, L"软件安装") != nullptr; }, milliseconds(1500)));
        }

        // The report, shown over the hidden main window.
        const HWND hReport = WaitForOwnedWindow(hMain, L"软件安装", 30000);
        ASSERT_NE(hReport, nullptr);
        EXPECT_FALSE(::IsWindow(hQuestion)) << "a question left open goes when the batch ends";
        const std::wstring report = BoxText(hReport);
        const std::wstring installed = FromUtf8(ReadFile(installLog));
        const size_t at = report.find(L"日志文件: ");
        ASSERT_NE(at, std::wstring::npos) << report;
        const std::wstring logPath = report.substr(at + 6, report.find(L'\n', at) - at - 6);
        const std::wstring log = FromUtf8(ReadFile(logPath));
        if (c.nAnswer == IDYES) {
            EXPECT_EQ(installed, L"first.exe|/S /delay=7000\r\n") << "the running item ended on its own, no other began";
            EXPECT_NE(report.find(std::wstring(kStoppedHeader) + (disc / L"second.exe") + L"\n" +
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
        ::PostMessageW(hMain, WM_SYSCOMMAND, SC_CLOSE, 0);
        DWORD exitCode = 1;
        EXPECT_TRUE(program.WaitForExit(10000, &exitCode));
        ::DeleteFileW(logPath.c_str());
    }
    ::SetEnvironmentVariableW(L"QUILLSET_DEMO_LOG", nullptr);
}

} // namespace
} // namespace main_window_test
