// Check marks made every way a user makes them, read back from both lists,
// from the catalogue, from the screen and from another process.
#include "tests/support/running_program.h"
#include "tests/ui/main/link_points.h"
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
    Ints Stored(int category) const
    {
        Ints checks;
        for (const SoftwareEntry* p = m_settings.Categories[static_cast<size_t>(category)].Entries.get(); p && !p->Name.empty(); ++p)
            checks.push_back(p->Checked);
        return checks;
    }
};

// The check box each row shows on the screen: 1 ticked, 0 empty, -1 none
// seen (a header row, or a row out of view).
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
        int nOn = 0, nOff = 0;
        for (int y = 0; y < 16 && list.RowKind(r) == 0 && box.y + 16 <= screen.Height(); ++y)
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
            EXPECT_EQ(Stored(0), step.a) << step.what;
            EXPECT_EQ(Stored(1), step.b) << step.what;
            const Ints& expected = dlg.m_nCurList == 0 ? step.all : dlg.m_nCurList == 1 ? step.a : step.b;
            const Ints painted = Painted(dlg.m_pEntryLists[static_cast<size_t>(dlg.m_nCurList)]);
            EXPECT_GE(std::count_if(painted.begin(), painted.end(), [](int n) { return n >= 0; }), 2) << step.what;
            for (size_t r = 0; r < painted.size(); ++r)
                EXPECT_TRUE(painted[r] < 0 || painted[r] == expected[r]) << step.what << ", row " << r;
        }
    });
}

TEST_F(CheckMarks, AnotherProcessReadsTheMarksOfEveryList)
{
    RunningProgram program(CopyProgramTo(m_disc, L"Quillset.exe"), m_disc.Path());
    const HWND hMain = program.MainWindow();
    ASSERT_NE(hMain, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return ::GetPropW(hMain, kDetailsLoadedProp) != nullptr; }));
    const auto read = [hMain](int nList) {
        const HWND hList = ::GetDlgItem(hMain, CQuillsetDlg::kIdFirstList + static_cast<UINT>(nList));
        Ints checks;
        for (int r = 0; r < ::SendMessageW(hList, LVM_GETITEMCOUNT, 0, 0); ++r)
            checks.push_back(::SendMessageW(hList, LVM_GETITEMSTATE, r, LVIS_STATEIMAGEMASK) == 0x2000);
        return checks;
    };
    const std::vector<Ints> before{{0, 1, 0, 0, 0, 0, 0}, {1, 0, 0}, {0, 0}};
    const std::vector<Ints> after{{0, 1, 1, 1, 0, 1, 1}, {1, 1, 1}, {1, 1}};
    for (int nList = 0; nList < 3; ++nList)
        EXPECT_EQ(read(nList), before[static_cast<size_t>(nList)]) << nList;
    const HWND hBox = ::GetDlgItem(hMain, CQuillsetDlg::kIdSelectAll);
    RECT rc{};
    ::GetClientRect(hBox, &rc);
    ClickRemote(hBox, POINT{rc.right / 2, rc.bottom / 2}, false);
    for (int nList = 0; nList < 3; ++nList)
        EXPECT_EQ(read(nList), after[static_cast<size_t>(nList)]) << nList;
    ::PostMessageW(hMain, WM_SYSCOMMAND, SC_CLOSE, 0);
    DWORD exitCode = 1;
    EXPECT_TRUE(program.WaitForExit(10000, &exitCode));
}

} // namespace
} // namespace main_window_test
