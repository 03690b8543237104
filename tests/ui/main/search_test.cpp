// The search box of the running program, worked with real keys and read
// from outside as a screen reader reads it: typing filters the
// all-software list, the keys reach the box and leave it, and the count
// beside the select-all box follows the marks.
#include "tests/support/running_program.h"
#include "tests/support/test_support.h"
#include "ui/main/QuillsetDlg.h"

#include <gtest/gtest.h>

#include <memory>

namespace main_window_test {
namespace {

using namespace testing_support;
using Texts = std::vector<std::wstring>;

const wchar_t kCatalogue[] = LR"([Config]
[Type]
Sort1=甲类
Sort2=乙类
[甲类.List]
List1=微信
List2=极速压缩
List3=Notepad++
[乙类.List]
List1=QQ音乐
List2=驿站
[微信]
Description=聊天工具
WorkingDir=%CurrDir%
ManualInstall=wx.exe
AutoInstall=wx.exe /S
[极速压缩]
Description=Zip 和 RAR 的解压
WorkingDir=%CurrDir%
ManualInstall=zip.exe
AutoInstall=zip.exe /S
[Notepad++]
Description=文本编辑器
[QQ音乐]
Description=听歌
[驿站]
Description=物流
)";

const Texts kEveryRow = {L"甲类 (3款)", L"微信", L"极速压缩", L"Notepad++", L"乙类 (2款)", L"QQ音乐", L"驿站"};

// The window takes keys: it is the foreground window and its own thread has
// made it the active one.
bool TakesKeys(HWND hMain)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    return ::GetGUIThreadInfo(::GetWindowThreadProcessId(hMain, nullptr), &info) && info.hwndActive == hMain &&
           ::GetForegroundWindow() == hMain;
}

class Search : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteFile(m_disc / L"Quillset.INI", ToUtf16LeWithBom(kCatalogue));
        WriteFile(m_disc / L"wx.exe", std::string(1572864, 'x'));
        WriteFile(m_disc / L"zip.exe", std::string(524288, 'z'));
        m_program = std::make_unique<RunningProgram>(CopyProgramTo(m_disc, L"Quillset.exe"), m_disc.Path());
        m_hMain = m_program->MainWindow();
        ASSERT_NE(m_hMain, nullptr);
        ASSERT_TRUE(PumpUntil([&] { return ::GetPropW(m_hMain, kDetailsLoadedProp) != nullptr; }));
        m_hList = ::GetDlgItem(m_hMain, CQuillsetDlg::kIdFirstList);
        m_hSearch = ::GetDlgItem(m_hMain, CQuillsetDlg::kIdSearch);
        ::SetForegroundWindow(m_hMain);
        ASSERT_TRUE(PumpUntil([&] {
            return TakesKeys(m_hMain) && FocusOf(m_hMain) == ::GetDlgItem(m_hMain, CQuillsetDlg::kIdPane);
        }));
    }
    void TearDown() override
    {
        if (m_hMain)
            ::PostMessageW(m_hMain, WM_SYSCOMMAND, SC_CLOSE, 0);
        DWORD exitCode = 1;
        if (m_program) {
            EXPECT_TRUE(m_program->WaitForExit(10000, &exitCode));
        }
    }
    std::wstring Text(UINT nID) const
    {
        wchar_t text[512] = {};
        ::GetDlgItemTextW(m_hMain, static_cast<int>(nID), text, 512);
        return text;
    }
    // Letters typed one by one, each waited for in the box.
    void Type(const std::wstring& letters)
    {
        for (const wchar_t letter : letters) {
            const std::wstring before = Text(CQuillsetDlg::kIdSearch);
            const SHORT key = ::VkKeyScanW(letter);
            PressKey(static_cast<WORD>(key & 0xFF), (key & 0x100) ? VK_SHIFT : 0);
            ASSERT_TRUE(PumpUntil([&] { return Text(CQuillsetDlg::kIdSearch) == before + letter; }))
                << "the box never took " << static_cast<char>(letter);
        }
    }
    bool ListShows(const Texts& rows) const
    {
        return ::IsWindowVisible(m_hList) && ListRowTexts(m_hList, 0) == rows;
    }

    TempDir m_disc;
    std::unique_ptr<RunningProgram> m_program;
    HWND m_hMain = nullptr;
    HWND m_hList = nullptr;
    HWND m_hSearch = nullptr;
};

TEST_F(Search, KeysReachTheBoxTypingFiltersTheAllSoftwareListAndEscShowsEverything)
{
    // A category on show: typing looks among all software.
    PressKey(VK_END);
    ASSERT_TRUE(PumpUntil([&] { return !::IsWindowVisible(m_hList); }));

    PressKey('F', VK_CONTROL);
    ASSERT_TRUE(PumpUntil([&] { return FocusOf(m_hMain) == m_hSearch; })) << "Ctrl+F";
    Type(L"wx");
    EXPECT_TRUE(PumpUntil([&] { return ListShows({L"甲类 (3款)", L"微信"}); })) << "wx: 微信 by its initials";

    PressKey(VK_ESCAPE);
    EXPECT_TRUE(PumpUntil([&] { return Text(CQuillsetDlg::kIdSearch).empty() && ListShows(kEveryRow); }))
        << "Esc clears the box and shows every row";
    EXPECT_EQ(FocusOf(m_hMain), m_hSearch) << "Esc leaves the focus in the box";

    // Down goes on to the list; Alt+F comes back.
    PressKey(VK_DOWN);
    ASSERT_TRUE(PumpUntil([&] { return FocusOf(m_hMain) == m_hList; })) << "Down";
    PressKey('F', VK_MENU);
    ASSERT_TRUE(PumpUntil([&] { return FocusOf(m_hMain) == m_hSearch; })) << "Alt+F";

    Type(L"jsys");
    EXPECT_TRUE(PumpUntil([&] { return ListShows({L"甲类 (3款)", L"极速压缩"}); })) << "jsys: 极速压缩";
    // Each row says its own size in the column a screen reader reads.
    EXPECT_EQ(ListRowTexts(m_hList, 1), (Texts{L"", L"0.50 MB"}));

    // Enter goes to the found row; Space checks it, and the count says so.
    EXPECT_EQ(Text(CQuillsetDlg::kIdCount), L"已选 0 款, 共 0.00 MB");
    PressKey(VK_RETURN);
    ASSERT_TRUE(PumpUntil([&] { return FocusOf(m_hMain) == m_hList; })) << "Enter";
    EXPECT_EQ(::SendMessageW(m_hList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), 1);
    PressKey(VK_SPACE);
    EXPECT_TRUE(PumpUntil([&] { return ListRowChecks(m_hList) == std::vector<bool>{false, true}; }));
    EXPECT_TRUE(PumpUntil([&] { return Text(CQuillsetDlg::kIdCount) == L"已选 1 款, 共 0.50 MB"; }));

    // Case and full width do not matter; a description is looked in too.
    PressKey('F', VK_CONTROL);
    ASSERT_TRUE(PumpUntil([&] { return FocusOf(m_hMain) == m_hSearch && Text(CQuillsetDlg::kIdSearch) == L"jsys"; }));
    PressKey(VK_BACK);
    ASSERT_TRUE(PumpUntil([&] { return Text(CQuillsetDlg::kIdSearch).empty(); }));
    Type(L"RAR");
    EXPECT_TRUE(PumpUntil([&] { return ListShows({L"甲类 (3款)", L"极速压缩"}); })) << "RAR, in the description";
    ::SendMessageW(m_hSearch, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"ＮＯＴＥ"));
    EXPECT_TRUE(PumpUntil([&] { return ListShows({L"甲类 (3款)", L"Notepad++"}); })) << "full-width NOTE";

    // The entry still checked in its category's list, whatever was on show.
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(PumpUntil([&] { return ListShows(kEveryRow); }));
    EXPECT_EQ(ListRowChecks(m_hList), (std::vector<bool>{false, false, true, false, false, false, false}));
}

TEST_F(Search, AnEmptyResultSaysSoInTheMiddleOfTheList)
{
    ASSERT_TRUE(ClickMiddle(m_hSearch));
    ASSERT_TRUE(PumpUntil([&] { return FocusOf(m_hMain) == m_hSearch; }));
    Type(L"zzz");
    ASSERT_TRUE(PumpUntil([&] { return ListShows({}); }));
    // The line is drawn in the list's upper middle, where rows stood before.
    PumpUntil([] { return false; }, std::chrono::milliseconds(500));
    const ScreenPixels after(m_hList);
    const COLORREF back = after.At(2, after.Height() - 2);
    int nInk = 0, nInkAside = 0;
    for (int y = 0; y < after.Height(); ++y) {
        for (int x = 0; x < after.Width(); ++x) {
            const bool bInk = after.At(x, y) != back;
            const bool bMiddle = y < 80 && x > after.Width() / 4 && x < after.Width() * 3 / 4;
            (bMiddle ? nInk : nInkAside) += bInk ? 1 : 0;
        }
    }
    EXPECT_GT(nInk, 200) << "the line of text";
    EXPECT_EQ(nInkAside, 0) << "nothing else";
}

} // namespace
} // namespace main_window_test
