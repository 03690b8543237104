// Check marks made every way a user makes them, read back from every list
// (as another process reads them) and from the screen.
#include "tests/ui/main/main_window_fixture.h"
#include "ui/controls/list_geometry.h"

#include <algorithm>

namespace main_window_test {
namespace {

using namespace testing_support;
using Ints = std::vector<int>;

// 甲类 with three entries, 乙类 with two; A1 starts checked.
const wchar_t kCatalogue[] = L"[Config]\n[Type]\nSort1=甲类\nSort2=乙类\n[甲类.List]\nList1=A1\nList2=A2\nList3=A3\n"
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

} // namespace
} // namespace main_window_test
