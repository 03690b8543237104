// Check marks made every way a user makes them, read back from every list
// (as another process reads them) and from the screen.
#include "platform/system_dialogs.h"
#include "tests/ui/main/main_window_fixture.h"
#include "ui/controls/list_geometry.h"

#include <algorithm>

namespace main_window_test {
namespace {

using namespace testing_support;
using Ints = std::vector<int>;

// 甲类 with three entries, 乙类 with two; A1 starts checked. The window
// shows every row of the all-software list.
const wchar_t kCatalogue[] = L"[Config]\nMainHeight=560\n[Type]\nSort1=甲类\nSort2=乙类\n[甲类.List]\nList1=A1\nList2=A2\nList3=A3\n"
                             L"[A1]\nChecked=1\n[A2]\n[A3]\n[乙类.List]\nList1=B1\nList2=B2\n[B1]\n[B2]\n";

class CheckMarks : public MainWindow {
protected:
    void SetUp() override { WriteCatalogue(kCatalogue); }
};

// A row that shows no check box: a header row, or one out of view.
constexpr int kNoBox = -2;

// The check box each row shows on the screen: 1 ticked, 0 empty, -1 neither
// recognised, kNoBox where no box is on show.
Ints Painted(CListEx& list)
{
    const WindowPixels screen(list.m_hWnd);
    const std::vector<COLORREF> on = ImagePixels(list.GetImageList(LVSIL_STATE), 1);
    const std::vector<COLORREF> off = ImagePixels(list.GetImageList(LVSIL_STATE), 0);
    Ints painted;
    for (int r = 0; r < list.GetItemCount(); ++r) {
        RECT bounds{}, label{}, icon{};
        list.GetItemRect(r, &bounds, LVIR_BOUNDS);
        list.GetItemRect(r, &label, LVIR_LABEL);
        list.GetItemRect(r, &icon, LVIR_ICON);
        const POINT box = list_geometry::EntryRow(bounds, label, icon, false, true).check;
        if (list.RowKind(r) != 0 || box.y < 0 || box.y + 16 > screen.Height()) {
            painted.push_back(kNoBox);
            continue;
        }
        int nOn = 0, nOff = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const size_t i = static_cast<size_t>(y * 32 + x);
                if (on[i] != off[i]) {
                    nOn += screen.At(box.x + x, box.y + y) == on[i];
                    nOff += screen.At(box.x + x, box.y + y) == off[i];
                }
            }
        painted.push_back(nOn > nOff ? 1 : nOff > nOn ? 0 : -1);
    }
    return painted;
}

TEST_F(CheckMarks, EveryWayOfCheckingShowsInBothListsTheCatalogueAndOnTheScreen)
{
    enum Action { SelectAll, Space, ClickBox, Show };
    struct Step {
        const char* what;
        Action action;
        int nRow;
        Ints all, a, b;
    };
    const Step steps[] = {
        {"select-all in the all-software list", SelectAll, 0, {0, 1, 1, 1, 0, 1, 1}, {1, 1, 1}, {1, 1}},
        {"clear-all there", SelectAll, 0, {0, 0, 0, 0, 0, 0, 0}, {0, 0, 0}, {0, 0}},
        {"甲类 shown", Show, 1, {0, 0, 0, 0, 0, 0, 0}, {0, 0, 0}, {0, 0}},
        {"Space on A2", Space, 1, {0, 0, 1, 0, 0, 0, 0}, {0, 1, 0}, {0, 0}},
        {"select-all in 甲类", SelectAll, 0, {0, 1, 1, 1, 0, 0, 0}, {1, 1, 1}, {0, 0}},
        {"a click on A3's box", ClickBox, 2, {0, 1, 1, 0, 0, 0, 0}, {1, 1, 0}, {0, 0}},
        {"the all-software list shown", Show, 0, {0, 1, 1, 0, 0, 0, 0}, {1, 1, 0}, {0, 0}},
        {"Space on B1", Space, 5, {0, 1, 1, 0, 0, 1, 0}, {1, 1, 0}, {1, 0}},
        {"乙类 shown", Show, 2, {0, 1, 1, 0, 0, 1, 0}, {1, 1, 0}, {1, 0}},
    };
    Open([&](TestDlg& dlg) {
        for (const Step& step : steps) {
            CListEx& shown = dlg.m_pEntryLists[static_cast<size_t>(dlg.m_nCurList)];
            if (step.action == SelectAll)
                dlg.m_btnSelectAll.SendMessage(BM_CLICK);
            else if (step.action == ClickBox)
                ClickCheck(shown, step.nRow);
            else
                ClickRow(step.action == Show ? dlg.m_listCategories : shown, step.nRow);
            if (step.action == Space) {
                ::PostMessageW(shown.m_hWnd, WM_KEYDOWN, VK_SPACE, 0x00390001);
                ::PostMessageW(shown.m_hWnd, WM_KEYUP, VK_SPACE, 0xC0390001);
            }
            PumpMessages();
            EXPECT_EQ(Checks(dlg.m_pEntryLists[0]), step.all) << step.what;
            EXPECT_EQ(Checks(dlg.m_pEntryLists[1]), step.a) << step.what;
            EXPECT_EQ(Checks(dlg.m_pEntryLists[2]), step.b) << step.what;
            const Ints& expected = dlg.m_nCurList == 0 ? step.all : dlg.m_nCurList == 1 ? step.a : step.b;
            const Ints painted = Painted(dlg.m_pEntryLists[static_cast<size_t>(dlg.m_nCurList)]);
            // Every entry row on show shows its own mark, and there are some.
            EXPECT_GE(std::count_if(painted.begin(), painted.end(), [](int n) { return n != kNoBox; }), 2) << step.what;
            for (size_t r = 0; r < painted.size(); ++r) {
                if (painted[r] != kNoBox) {
                    EXPECT_EQ(painted[r], expected[r]) << step.what << ", row " << r;
                }
            }
        }
    });
}

// One entry section listed three times: under 甲类, and twice under 乙类; a
// window tall enough to show every row.
const wchar_t kListedThrice[] = L"[Config]\nMainHeight=800\n[Type]\nSort1=甲类\nSort2=乙类\n[甲类.List]\nList1=共享\nList2=单独\n"
                                L"[乙类.List]\nList1=共享\nList2=共享\n[共享]\nChecked=1\nWorkingDir=%CurrDir%\n"
                                L"AutoInstall=shared.exe /S\n[单独]\nWorkingDir=%CurrDir%\nAutoInstall=alone.exe /S\n";

class SharedMarks : public MainWindow {
protected:
    void SetUp() override { WriteCatalogue(kListedThrice); }
};

TEST_F(SharedMarks, EveryRowOfOneEntrySectionSharesItsMarkInEveryListInSelectAllAndInTheBatch)
{
    enum Action { ClickBox, Space, Show, SelectAll };
    struct Step {
        const char* what;
        Action action;
        int nRow;
        Ints all, a, b;
        // What 自动安装 then asks or says.
        const wchar_t* install;
    };
    const Ints noneAll{0, 0, 0, 0, 0, 0}, sharedAll{0, 1, 0, 0, 1, 1};
    const Step steps[] = {
        {"共享's box under 甲类 in the all-software list", ClickBox, 1, noneAll, {0, 0}, {0, 0}, L"您没有选中任何一款软件"},
        {"共享's second box under 乙类 there", ClickBox, 5, sharedAll, {1, 0}, {1, 1}, L"shared.exe /S\n"},
        {"乙类 shown", Show, 2, sharedAll, {1, 0}, {1, 1}, nullptr},
        {"select-all cleared in 乙类", SelectAll, 0, noneAll, {0, 0}, {0, 0}, L"您没有选中任何一款软件"},
        {"Space on 共享's second row in 乙类", Space, 1, sharedAll, {1, 0}, {1, 1}, L"shared.exe /S\n"},
        {"甲类 shown", Show, 1, sharedAll, {1, 0}, {1, 1}, nullptr},
        {"共享's box in 甲类", ClickBox, 0, noneAll, {0, 0}, {0, 0}, L"您没有选中任何一款软件"},
    };
    std::vector<std::wstring> shown;
    SystemDialogHooks hooks;
    hooks.messageBox = [&](HWND, const std::wstring& text, const std::wstring&, UINT) {
        shown.push_back(text);
        return IDNO;
    };
    SetSystemDialogHooks(hooks);
    Open([&](TestDlg& dlg) {
        for (const Step& step : steps) {
            CListEx& list = dlg.m_pEntryLists[static_cast<size_t>(dlg.m_nCurList)];
            if (step.action == SelectAll) {
                dlg.m_btnSelectAll.SendMessage(BM_CLICK);
            } else if (step.action == ClickBox) {
                ClickCheck(list, step.nRow);
            } else {
                ClickRow(step.action == Show ? dlg.m_listCategories : list, step.nRow);
            }
            if (step.action == Space) {
                ::PostMessageW(list.m_hWnd, WM_KEYDOWN, VK_SPACE, 0x00390001);
                ::PostMessageW(list.m_hWnd, WM_KEYUP, VK_SPACE, 0xC0390001);
            }
            PumpMessages();
            EXPECT_EQ(Checks(dlg.m_pEntryLists[0]), step.all) << step.what;
            EXPECT_EQ(Checks(dlg.m_pEntryLists[1]), step.a) << step.what;
            EXPECT_EQ(Checks(dlg.m_pEntryLists[2]), step.b) << step.what;
            // Every row of the list on show paints the mark it has.
            CListEx& shownList = dlg.m_pEntryLists[static_cast<size_t>(dlg.m_nCurList)];
            const Ints& expected = dlg.m_nCurList == 0 ? step.all : dlg.m_nCurList == 1 ? step.a : step.b;
            const Ints painted = Painted(shownList);
            for (size_t r = 0; r < painted.size(); ++r) {
                if (shownList.RowKind(static_cast<int>(r)) == 0) {
                    EXPECT_EQ(painted[r], expected[r]) << step.what << ", row " << r;
                }
            }
            if (!step.install)
                continue;
            shown.clear();
            dlg.m_btnInstall.SendMessage(BM_CLICK);
            PumpMessages();
            ASSERT_EQ(shown.size(), 1u) << step.what;
            // An entry listed three times is installed once.
            const size_t at = shown[0].find(step.install);
            EXPECT_NE(at, std::wstring::npos) << step.what << ": " << ToUtf8(shown[0]);
            EXPECT_EQ(shown[0].find(step.install, at + 1), std::wstring::npos) << step.what << ": " << ToUtf8(shown[0]);
        }
    });
}

} // namespace
} // namespace main_window_test
