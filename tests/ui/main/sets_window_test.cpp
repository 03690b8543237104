// The real program on discs the tests lay out: its window dragged larger by
// its frame and opened again at that size, and the saved selections chosen
// from the install-options menu and saved into the catalogue.
#include "tests/support/running_program.h"
#include "tests/support/test_support.h"
#include "ui/main/QuillsetDlg.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace testing_support;
using Checks = std::vector<bool>;

const wchar_t kCatalogue[] = L"[Type]\r\nSort1=办公\r\nSort2=工具\r\n[办公.List]\r\nList1=甲\r\nList2=乙\r\n"
                             L"[工具.List]\r\nList1=丙\r\nList2=丁\r\n";

// A disc: the program beside its catalogue.
struct Disc {
    explicit Disc(const std::wstring& catalogue)
    {
        CopyProgramTo(dir, L"Quillset.exe");
        WriteFile(dir / L"Quillset.INI", ToUtf16LeWithBom(catalogue));
    }
    TempDir dir;
};

HWND Control(HWND hMain, UINT nID)
{
    return ::GetDlgItem(hMain, static_cast<int>(nID));
}

// The main window once every icon and size is in.
HWND Shown(const RunningProgram& program)
{
    const HWND hMain = program.MainWindow();
    EXPECT_TRUE(hMain && PumpUntil([&] { return ::GetPropW(hMain, kDetailsLoadedProp) != nullptr; }));
    return hMain;
}

SIZE WindowSize(HWND hMain)
{
    RECT rc{};
    ::GetWindowRect(hMain, &rc);
    return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}

// Where the options button stands in the main window's client area.
RECT OptionsPlace(HWND hMain)
{
    RECT rc{};
    ::GetWindowRect(Control(hMain, CQuillsetDlg::kIdOptions), &rc);
    ::MapWindowPoints(nullptr, hMain, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

// The window's bottom right corner dragged by (dx, dy); true once the
// window has taken the size wanted and laid its controls out for it (the
// options button in the client area's corner).
bool DragCorner(HWND hMain, int dx, int dy, SIZE wanted)
{
    RECT rc{};
    ::GetWindowRect(hMain, &rc);
    if (!ClickWindow(hMain, POINT{10, 10}))
        return false;
    const POINT corner{rc.right - 3, rc.bottom - 3};
    DragScreen(corner, POINT{corner.x + dx, corner.y + dy});
    return PumpUntil([&] {
        const SIZE size = WindowSize(hMain);
        RECT client{};
        ::GetClientRect(hMain, &client);
        const RECT options = OptionsPlace(hMain);
        // The frame's drag is over: the window's thread holds the mouse no
        // more, and a click after it reaches what it is meant for.
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        const bool bDragging = !::GetGUIThreadInfo(::GetWindowThreadProcessId(hMain, nullptr), &info) ||
                               (info.flags & GUI_INMOVESIZE) != 0 || info.hwndCapture != nullptr;
        return !bDragging && size.cx == wanted.cx && size.cy == wanted.cy && options.right == client.right - 11 &&
               options.bottom == client.bottom - 21;
    });
}

void CloseByItsBox(const RunningProgram& program, HWND hMain)
{
    ASSERT_TRUE(ClickWindow(hMain, CloseBoxPoint(hMain)));
    DWORD exitCode = 1;
    EXPECT_TRUE(program.WaitForExit(10000, &exitCode));
}

std::wstring SettingsFile()
{
    wchar_t appData[MAX_PATH] = L"";
    ::GetEnvironmentVariableW(L"APPDATA", appData, MAX_PATH);
    return std::wstring(appData) + L"\\Tovrin Quillset\\settings.ini";
}

TEST(GrowingWindow, TheFrameGrowsTheWindowDownToTheCataloguesSizeAndItOpensAgainAsLeft)
{
    const Disc disc(std::wstring(L"[Config]\r\nMainWidth=820\r\nMainHeight=520\r\n") + kCatalogue);
    {
        RunningProgram program(disc.dir / L"Quillset.exe", disc.dir.Path());
        const HWND hMain = Shown(program);
        ASSERT_NE(hMain, nullptr);
        ASSERT_EQ(WindowSize(hMain).cx, 820);
        RECT listBefore{};
        ::GetWindowRect(Control(hMain, CQuillsetDlg::kIdFirstList), &listBefore);

        ASSERT_TRUE(DragCorner(hMain, 200, 150, SIZE{1020, 670})) << InputStateAround(hMain);
        // The lists follow the frame, as the buttons did.
        RECT client{};
        ::GetClientRect(hMain, &client);
        RECT listAfter{};
        ::GetWindowRect(Control(hMain, CQuillsetDlg::kIdFirstList), &listAfter);
        EXPECT_EQ(listAfter.right - listAfter.left, listBefore.right - listBefore.left + 200);
        EXPECT_EQ(listAfter.bottom - listAfter.top, listBefore.bottom - listBefore.top + 150);
        // The frame is painted around the list where it stands now, and
        // nothing of it is left where it stood.
        ::MapWindowPoints(nullptr, hMain, reinterpret_cast<POINT*>(&listAfter), 2);
        const ScreenPixels px(hMain);
        const COLORREF back = px.At(client.right - 3, listAfter.top + 40);
        EXPECT_EQ(back, RGB(220, 230, 232));
        EXPECT_NE(px.At(listAfter.right + 2, listAfter.top + 40), back) << "the frame's right edge";
        EXPECT_NE(px.At(listAfter.left + 40, listAfter.bottom + 2), back) << "the frame's bottom edge";

        // Never smaller than the catalogue's size.
        ASSERT_TRUE(DragCorner(hMain, -700, -600, SIZE{820, 520})) << WindowSize(hMain).cx;
        ASSERT_TRUE(DragCorner(hMain, 180, 130, SIZE{1000, 650}));
        CloseByItsBox(program, hMain);
    }
    EXPECT_NE(ReadFile(SettingsFile()).find("Width=1000\r\nHeight=650"), std::string::npos);
    {
        RunningProgram program(disc.dir / L"Quillset.exe", disc.dir.Path());
        const HWND hMain = Shown(program);
        ASSERT_NE(hMain, nullptr);
        EXPECT_EQ(WindowSize(hMain).cx, 1000) << "opened as it was left";
        EXPECT_EQ(WindowSize(hMain).cy, 650);
        CloseByItsBox(program, hMain);
    }
    // A settings file that is no settings file gives the catalogue's size.
    WriteFile(SettingsFile(), std::string("\xFF\xFE[\0W\0", 6) + std::string(3000, '\x7F'));
    RunningProgram program(disc.dir / L"Quillset.exe", disc.dir.Path());
    const HWND hMain = Shown(program);
    ASSERT_NE(hMain, nullptr);
    EXPECT_EQ(WindowSize(hMain).cx, 820);
    EXPECT_EQ(WindowSize(hMain).cy, 520);
    ASSERT_TRUE(DragCorner(hMain, 30, 20, SIZE{850, 540}));
    CloseByItsBox(program, hMain);
    EXPECT_NE(ReadFile(SettingsFile()).find("Width=850\r\nHeight=540"), std::string::npos) << "written anew";
}

HWND AllList(HWND hMain)
{
    return Control(hMain, CQuillsetDlg::kIdFirstList);
}

// The install-options menu, open.
testing::AssertionResult OptionsMenu(const RunningProgram& program, HWND hMain)
{
    const testing::AssertionResult clicked = ClickMiddle(Control(hMain, CQuillsetDlg::kIdOptions));
    if (!clicked)
        return clicked;
    if (!WaitForMenu(program.ProcessId()))
        return testing::AssertionFailure() << "no menu opened";
    return testing::AssertionSuccess();
}

TEST(SavedSelections, TheMenuChecksExactlyASetsEntriesAndSavesTodaysMarksIntoTheCatalogue)
{
    const std::wstring catalogue =
        std::wstring(L"; 技术员的注释\r\n[Quillset.Sets]\r\n办公电脑=@基础;乙\r\n基础=甲;丙\r\n旧的=甲;无此\r\n") + kCatalogue +
        L"[丁]\r\nChecked=1\r\n";
    const Disc disc(catalogue);
    RunningProgram program(disc.dir / L"Quillset.exe", disc.dir.Path());
    const HWND hMain = Shown(program);
    ASSERT_NE(hMain, nullptr);
    // Each selection is an item of the menu, reached by its number.
    ASSERT_TRUE(OptionsMenu(program, hMain));
    PressKey('3');
    // 无此 is not in the catalogue: the technician is told, the rest checked.
    const HWND hMissing = WaitForOwnedWindow(hMain, L"选择集");
    ASSERT_NE(hMissing, nullptr);
    EXPECT_NE(MessageBoxText(hMissing).find(L"无此"), std::wstring::npos) << MessageBoxText(hMissing);
    ASSERT_TRUE(Answer(hMissing, IDOK));
    EXPECT_TRUE(PumpUntil([&] { return ListRowChecks(AllList(hMain)) == Checks{false, true, false, false, false, false}; }))
        << "丁 was checked and is no longer";
    // A selection that takes in another.
    ASSERT_TRUE(OptionsMenu(program, hMain));
    PressKey('1');
    EXPECT_TRUE(PumpUntil([&] { return ListRowChecks(AllList(hMain)) == Checks{false, true, true, false, true, false}; }));

    // Saved under a new name, typed in the program's own box.
    ASSERT_TRUE(OptionsMenu(program, hMain));
    PressKey('N');
    const HWND hName = WaitForOwnedWindow(hMain, L"保存选择集");
    ASSERT_NE(hName, nullptr);
    ASSERT_NE(::GetDlgItem(hName, IDOK), nullptr) << "the name box, not a message";
    for (const WORD vk : {'O', 'F', 'F', 'I', 'C', 'E', '2'})
        ASSERT_TRUE(PressKeyIn(hName, vk));
    ASSERT_TRUE(ClickMiddle(::GetDlgItem(hName, IDOK)));
    ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(hName); })) << ToUtf8(MessageBoxText(FindOwnedWindow(hName, L"")));
    const HWND hDone = WaitForOwnedWindow(hMain, L"保存选择集");
    ASSERT_NE(hDone, nullptr);
    EXPECT_NE(MessageBoxText(hDone).find(L"\"office2\" (3 款) 已保存"), std::wstring::npos) << MessageBoxText(hDone);
    ASSERT_TRUE(Answer(hDone, IDOK));
    // The catalogue keeps every line it had, the new selection in its section.
    std::wstring expected = catalogue;
    expected.insert(expected.find(L"[Type]"), L"office2=甲;乙;丙\r\n");
    EXPECT_EQ(ReadFile(disc.dir / L"Quillset.INI"), ToUtf16LeWithBom(expected));
    // The menu offers it at once, after the others.
    ASSERT_TRUE(OptionsMenu(program, hMain));
    PressKey('2');
    EXPECT_TRUE(PumpUntil([&] { return ListRowChecks(AllList(hMain)) == Checks{false, true, false, false, true, false}; }));
    ASSERT_TRUE(OptionsMenu(program, hMain));
    PressKey('4');
    EXPECT_TRUE(PumpUntil([&] { return ListRowChecks(AllList(hMain)) == Checks{false, true, true, false, true, false}; }));
    CloseByItsBox(program, hMain);
}

TEST(SavedSelections, ACatalogueThatIsALinkIsNeverWrittenThrough)
{
    const Disc disc(kCatalogue);
    const TempDir elsewhere;
    const std::string original = ToUtf16LeWithBom(std::wstring(kCatalogue) + L"[甲]\r\nChecked=1\r\n");
    WriteFile(elsewhere / L"real.INI", original);
    ::DeleteFileW((disc.dir / L"Quillset.INI").c_str());
    ASSERT_TRUE(LayLink(disc.dir / L"Quillset.INI", elsewhere / L"real.INI"));
    RunningProgram program(disc.dir / L"Quillset.exe", disc.dir.Path());
    const HWND hMain = Shown(program);
    ASSERT_NE(hMain, nullptr);
    ASSERT_TRUE(OptionsMenu(program, hMain));
    PressKey('N');
    const HWND hName = WaitForOwnedWindow(hMain, L"保存选择集");
    ASSERT_NE(hName, nullptr);
    ASSERT_TRUE(PressKeyIn(hName, 'A'));
    ASSERT_TRUE(ClickMiddle(::GetDlgItem(hName, IDOK)));
    ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(hName); })) << ToUtf8(MessageBoxText(FindOwnedWindow(hName, L"")));
    const HWND hRefused = WaitForOwnedWindow(hMain, L"保存选择集");
    ASSERT_NE(hRefused, nullptr);
    const std::wstring said = MessageBoxText(hRefused);
    ASSERT_TRUE(Answer(hRefused, IDOK));
    EXPECT_EQ(ReadFile(elsewhere / L"real.INI"), original) << "never written through";
    // Where the system shows the link it is refused; where it does not (Wine
    // shows a Linux link as the file), a new file took the link's place.
    if (said.find(L"符号链接") == std::wstring::npos) {
        EXPECT_NE(said.find(L"已保存"), std::wstring::npos) << ToUtf8(said);
        EXPECT_NE(ReadFile(disc.dir / L"Quillset.INI"), original);
        EXPECT_NE(ReadFile(disc.dir / L"Quillset.INI").find(std::string("a\0=\0\x32u", 6)), std::string::npos);
    }
    CloseByItsBox(program, hMain);
}

} // namespace
