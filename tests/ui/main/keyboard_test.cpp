// The running program worked with real key presses and a real right button:
// Tab goes round every control in order and each shows the focus while it
// has it; the Apps key, Shift+F10 and a right-click on an entry row open a
// menu of the row's links, which act as the links do.
#include "tests/support/running_program.h"
#include "tests/support/test_support.h"
#include "tests/ui/main/link_points.h"
#include "ui/controls/focus_cue.h"
#include "ui/main/QuillsetDlg.h"
#include "ui/main/main_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace main_window_test {
namespace {

using namespace testing_support;
using namespace std::string_literals;

const wchar_t kCatalogue[] = LR"([Config]
[Type]
Sort1=甲类
Sort2=乙类
[甲类.List]
List1=压缩
[乙类.List]
List1=看图
[压缩]
WorkingDir=%CurrDir%
ManualInstall=soft\zip setup.exe
AutoInstall=soft\zip setup.exe /S
[看图]
WorkingDir=%CurrDir%
ManualInstall=soft\看图.exe
AutoInstall=soft\看图.exe /quiet
)";

// Rows of the all-software list: a header row above each entry.
const int kZipRow = 1;
const int kViewerRow = 3;
// A stop whose focus shows as its caret.
const int kCaret = -1;

// --- What the program shows -------------------------------------------------------

// Pixels of a control as the screen shows them; a differing size reads as
// every pixel differing.
int DifferingPixels(const ScreenPixels& a, const ScreenPixels& b, const RECT& area)
{
    int n = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            n += a.At(x, y) != b.At(x, y) ? 1 : 0;
    return n;
}

// The program on a catalogue of two entries whose installers are copies of
// the demo installer that log their runs, its main window shown in front.
class Keyboard : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteFile(m_disc / L"Quillset.INI", ToUtf16LeWithBom(kCatalogue));
        for (const wchar_t* name : {L"zip setup.exe", L"看图.exe"})
            WriteFile(m_disc / (L"soft\\"s + name), ReadFile(ProgramFolder() + L"demo_installer.exe"));
        ASSERT_TRUE(::SetEnvironmentVariableW(L"QUILLSET_DEMO_LOG", m_log.c_str()));
        m_program = std::make_unique<RunningProgram>(CopyProgramTo(m_disc, L"Quillset.exe"), m_disc.Path());
        m_hMain = m_program->MainWindow();
        ASSERT_NE(m_hMain, nullptr);
        // Every icon and size in place: the rows look as they stay.
        ASSERT_TRUE(PumpUntil([&] { return ::GetPropW(m_hMain, kDetailsLoadedProp) != nullptr; }));
        Settle();
        ::SetForegroundWindow(m_hMain);
        // The pointer rests outside the window, lighting nothing.
        RECT rc{};
        ::GetWindowRect(m_hMain, &rc);
        ::SetCursorPos(rc.right + 20, rc.bottom + 20);
        m_hList = ::GetDlgItem(m_hMain, CQuillsetDlg::kIdFirstList);
        ASSERT_TRUE(PumpUntil([&] { return FocusOf(m_hMain) == ::GetDlgItem(m_hMain, CQuillsetDlg::kIdPane); }));
    }
    void TearDown() override
    {
        if (m_hMain)
            ::PostMessageW(m_hMain, WM_SYSCOMMAND, SC_CLOSE, 0);
        DWORD exitCode = 1;
        if (m_program) {
            EXPECT_TRUE(m_program->WaitForExit(10000, &exitCode));
        }
        ::SetEnvironmentVariableW(L"QUILLSET_DEMO_LOG", nullptr);
    }
    DWORD Pid() const { return m_program->ProcessId(); }
    // The program has painted what it last changed, and the screen shows it.
    static void Settle() { PumpUntil([] { return false; }, std::chrono::milliseconds(500)); }
    // Row nRow of a list of rows nHeight high (without a header control,
    // rows start at the top), over the width of its columns.
    static RECT RowRect(HWND hList, int nRow, int nHeight)
    {
        const HWND hHeader = reinterpret_cast<HWND>(::SendMessageW(hList, LVM_GETHEADER, 0, 0));
        const int nColumns = static_cast<int>(::SendMessageW(hHeader, HDM_GETITEMCOUNT, 0, 0));
        int right = 0;
        for (int col = 0; col < nColumns; ++col)
            right += static_cast<int>(::SendMessageW(hList, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(col), 0));
        return RECT{0, nRow * nHeight, right, (nRow + 1) * nHeight};
    }
    static RECT ClientRect(HWND hWnd)
    {
        RECT rc{};
        ::GetClientRect(hWnd, &rc);
        return rc;
    }

    TempDir m_disc;
    TempDir m_out;
    const std::wstring m_log = m_out / L"install.log";
    std::unique_ptr<RunningProgram> m_program;
    HWND m_hMain = nullptr;
    HWND m_hList = nullptr;
};

TEST_F(Keyboard, TabGoesRoundEveryControlAndEachShowsTheFocusWhileItHasIt)
{
    struct Stop {
        UINT nID;
        const char* what;
        // Where the focus look is drawn: the control's client area, or for a
        // list its focused row, of that height (the pane's first row, the
        // entry list's first entry row, which takes the focus); kCaret: the
        // box's own caret.
        int nRow;
        int nRowHeight;
    };
    const Stop order[] = {{CQuillsetDlg::kIdPane, "category pane", 0, main_layout::kPaneRowHeight},
                          {CQuillsetDlg::kIdFirstList, "all-software list", kZipRow, main_layout::kEntryRowHeight},
                          {CQuillsetDlg::kIdSearch, "search box", kCaret, 0},
                          {CQuillsetDlg::kIdSelectAll, "select-all box", 0, 0},
                          {CQuillsetDlg::kIdSave, "save button", 0, 0},
                          {CQuillsetDlg::kIdInstall, "install button", 0, 0},
                          {CQuillsetDlg::kIdOptions, "install options button", 0, 0},
                          {CQuillsetDlg::kIdHomepage, "homepage button", 0, 0},
                          {CQuillsetDlg::kIdHelp, "help button", 0, 0}};
    const size_t n = std::size(order);
    std::map<UINT, ScreenPixels> unfocused;
    // Twice round: every control is seen without the focus before it takes it.
    for (size_t step = 1; step <= 2 * n; ++step) {
        const Stop& from = order[(step - 1) % n];
        const Stop& to = order[step % n];
        const HWND hFrom = ::GetDlgItem(m_hMain, from.nID);
        const HWND hTo = ::GetDlgItem(m_hMain, to.nID);
        const ScreenPixels before(hTo);
        PressKey(VK_TAB);
        ASSERT_TRUE(PumpUntil([&] { return FocusOf(m_hMain) == hTo; })) << "Tab from the " << from.what;
        Settle();

        if (const auto it = unfocused.find(from.nID); it != unfocused.end()) {
            EXPECT_EQ(DifferingPixels(ScreenPixels(hFrom), it->second, ClientRect(hFrom)), 0)
                << "the " << from.what << " looks as before once the focus has left";
        }
        unfocused.insert_or_assign(to.nID, before);
        if (step <= n || to.nRow == kCaret)
            continue;
        // The dotted rectangle: every other pixel of its edges changes.
        const RECT area = to.nRowHeight ? RowRect(hTo, to.nRow, to.nRowHeight) : ClientRect(hTo);
        const RECT cue = focus_cue::Rect(area);
        const ScreenPixels focused(hTo);
        const int nEdge = DifferingPixels(focused, before, RECT{cue.left, cue.top, cue.right, cue.top + 1}) +
                          DifferingPixels(focused, before, RECT{cue.left, cue.bottom - 1, cue.right, cue.bottom});
        EXPECT_GE(nEdge, (cue.right - cue.left) * 2 / 3) << "the " << to.what << " shows the focus";
    }
}

TEST_F(Keyboard, TheAppsKeyShiftF10AndTheRightButtonOpenAnEntryRowsLinksWhichActAsTheLinksDo)
{
    struct Case {
        const char* how;
        int nRow;
        // Opens the menu on a row of the list, which has the keyboard.
        std::function<void(HWND hList, const RECT& row)> open;
        // Down presses that reach the chosen item; -1 leaves with Escape,
        // -2: no menu opens at all.
        int nDowns;
        std::vector<std::wstring> logged;
        // The caption of the result an install tells; empty for none.
        std::wstring result;
    };
    auto byKey = [](WORD vk, WORD modifier) { return [vk, modifier](HWND, const RECT&) { PressKey(vk, modifier); }; };
    auto byRightClick = [](HWND hList, const RECT& row) {
        RightClickRemote(hList, POINT{(row.left + row.right) / 2, (row.top + row.bottom) / 2});
    };
    // The keyboard starts on the first entry row; End goes to the last.
    const Case cases[] = {
        {"the Apps key", kZipRow, byKey(VK_APPS, 0), 2, {L"zip setup.exe|/S"}, L"自动安装"},
        {"Shift+F10", kViewerRow, byKey(VK_F10, VK_SHIFT), 1, {L"看图.exe|"}, L"手动安装"},
        {"Escape", kViewerRow, byKey(VK_APPS, 0), -1, {}, L""},
        {"a right-click", kViewerRow, byRightClick, 2, {L"看图.exe|/quiet"}, L"自动安装"},
        {"a right-click on a header row", 0, byRightClick, -2, {}, L""},
        {"the Apps key on the header row just clicked", 0, byKey(VK_APPS, 0), -2, {}, L""},
        {"a right-click below the rows", kViewerRow + 1, byRightClick, -2, {}, L""},
    };
    PressKey(VK_TAB);
    ASSERT_TRUE(PumpUntil([&] { return FocusOf(m_hMain) == m_hList; }));
    for (const Case& c : cases) {
        ::DeleteFileW(m_log.c_str());
        if (c.nRow == kViewerRow)
            PressKey(VK_END);
        const RECT row = RowRect(m_hList, c.nRow, main_layout::kEntryRowHeight);
        c.open(m_hList, row);
        const HWND hMenu = WaitForMenu(Pid(), c.nDowns == -2 ? 1500 : 10000);
        if (c.nDowns == -2) {
            EXPECT_EQ(hMenu, nullptr) << c.how;
            if (hMenu)
                PressKey(VK_ESCAPE);
            continue;
        }
        ASSERT_NE(hMenu, nullptr) << c.how;
        if (c.open.target<decltype(byRightClick)>() == nullptr) {
            // Opened by a key, the menu opens under the row's links.
            RECT rcMenu{};
            ::GetWindowRect(hMenu, &rcMenu);
            POINT at{static_cast<int>(::SendMessageW(m_hList, LVM_GETCOLUMNWIDTH, 0, 0) +
                                      ::SendMessageW(m_hList, LVM_GETCOLUMNWIDTH, 1, 0)),
                     row.bottom};
            ::ClientToScreen(m_hList, &at);
            EXPECT_EQ(rcMenu.left, at.x) << c.how;
            EXPECT_EQ(rcMenu.top, at.y) << c.how;
        }
        for (int i = 0; i < c.nDowns; ++i)
            PressKey(VK_DOWN);
        PressKey(c.nDowns < 0 ? VK_ESCAPE : VK_RETURN);
        if (!c.result.empty()) {
            // An install is a batch of one; the window is back once its
            // result has been read.
            const HWND hResult = WaitForOwnedWindow(m_hMain, c.result, 30000);
            ASSERT_NE(hResult, nullptr) << c.how;
            ASSERT_TRUE(Answer(hResult, IDOK)) << c.how;
            ASSERT_TRUE(PumpUntil([&] { return ::IsWindowVisible(m_hMain) != FALSE; })) << c.how;
        }
        PumpUntil([&] { return SortedLines(m_log) == c.logged && !::IsWindowVisible(hMenu); },
                  std::chrono::seconds(c.logged.empty() ? 2 : 20));
        EXPECT_EQ(SortedLines(m_log), c.logged) << c.how;
        EXPECT_TRUE(PumpUntil([&] { return FocusOf(m_hMain) == m_hList; })) << c.how << ": the list keeps the keyboard";
        ::SetForegroundWindow(m_hMain);
    }
}

} // namespace
} // namespace main_window_test
