// The count beside the select-all box and the whole texts over the rows, in
// the real window worked with the real pointer; and the search over a
// catalogue of 5,000 entries.
#include "tests/ui/main/main_window_fixture.h"
#include "ui/controls/list_geometry.h"

#include <cstdio>

namespace main_window_test {
namespace {

using namespace testing_support;

const wchar_t kLong[] = L"这是一段很长的说明文字, 写着这款软件能做的每一件事情, 一直写下去, 直到一行再也放不下为止, "
                        L"然后还要再写一些, 好让它在任何宽度的窗口里都被截短显示";

class CountsAndTips : public MainWindow {
protected:
    void SetUp() override
    {
        WriteCatalogue(std::wstring(L"[Config]\n[Type]\nSort1=甲类\n[甲类.List]\nList1=大包\nList2=小包\nList3=长说明\n"
                                    L"[大包]\nWorkingDir=%CurrDir%\nManualInstall=big.exe\nDescription=短\n"
                                    L"[小包]\nWorkingDir=%CurrDir%\nManualInstall=small.exe\n"
                                    L"[长说明]\nDescription=") +
                       kLong + L"\n");
        WriteFile(m_disc / L"big.exe", std::string(1572864, 'b'));
        WriteFile(m_disc / L"small.exe", std::string(524288, 's'));
    }
};

// The point in the middle of row nRow's check box, and of its description.
POINT CheckPoint(CListEx& list, int nRow)
{
    RECT icon{};
    list.GetItemRect(nRow, &icon, LVIR_ICON);
    return POINT{icon.left / 2 + 2, (icon.top + icon.bottom) / 2};
}

POINT DescriptionPoint(CListEx& list, int nRow, const dpi::Scale& scale)
{
    RECT bounds{}, label{}, icon{};
    list.GetItemRect(nRow, &bounds, LVIR_BOUNDS);
    list.GetItemRect(nRow, &label, LVIR_LABEL);
    list.GetItemRect(nRow, &icon, LVIR_ICON);
    bounds.left = 0;
    const RECT desc = list_geometry::DescriptionBox(list_geometry::EntryRow(bounds, label, icon, true, true, scale));
    POINT pt{(desc.left + desc.right) / 2, (desc.top + desc.bottom) / 2};
    ::ClientToScreen(list.m_hWnd, &pt);
    return pt;
}

std::wstring TipText(HWND hTip)
{
    wchar_t text[512] = {};
    ::SendMessageW(hTip, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
    return text;
}

TEST_F(CountsAndTips, TheCountFollowsEveryMarkAndItsInstallersSize)
{
    Open([&](TestDlg& dlg) {
        CListEx& all = dlg.m_pEntryLists[0];
        auto count = [&] { return dlg.m_stcCount.GetWindowText(); };
        EXPECT_EQ(count(), L"已选 0 款, 共 0.00 MB");
        ASSERT_TRUE(ClickWindow(all.m_hWnd, CheckPoint(all, 1)));
        EXPECT_TRUE(PumpUntil([&] { return count() == L"已选 1 款, 共 1.50 MB"; })) << "大包's box";
        ASSERT_TRUE(ClickWindow(all.m_hWnd, CheckPoint(all, 2)));
        EXPECT_TRUE(PumpUntil([&] { return count() == L"已选 2 款, 共 2.00 MB"; })) << "小包's box";
        ASSERT_TRUE(ClickMiddle(dlg.m_btnSelectAll.m_hWnd));
        EXPECT_TRUE(PumpUntil([&] { return count() == L"已选 3 款, 共 2.00 MB"; })) << "select-all";
        // Away from the first click: a second click where the first was is a
        // double click, which only the window's own loop makes a click.
        POINT aside = Middle(dlg.m_btnSelectAll.m_hWnd);
        aside.x += 2 * ::GetSystemMetrics(SM_CXDOUBLECLK) + 2;
        ASSERT_TRUE(ClickWindow(dlg.m_btnSelectAll.m_hWnd, aside));
        EXPECT_TRUE(PumpUntil([&] { return count() == L"已选 0 款, 共 0.00 MB"; })) << "clear-all";
        // The count stands right of the select-all box, on show.
        const RECT box = dlg.m_btnSelectAll.GetWindowRect();
        const RECT text = dlg.m_stcCount.GetWindowRect();
        EXPECT_TRUE(::IsWindowVisible(dlg.m_stcCount.m_hWnd));
        EXPECT_GE(text.left, box.right);
        EXPECT_LT(text.top, box.bottom);
        EXPECT_GT(text.bottom, box.top);
    });
}

TEST_F(CountsAndTips, ADescriptionCutShortShowsWholeInATooltipOverIt)
{
    Open([&](TestDlg& dlg) {
        CListEx& all = dlg.m_pEntryLists[0];
        ::SetForegroundWindow(dlg.m_hWnd);
        MovePointer(DescriptionPoint(all, 3, dlg.Scale()));
        ASSERT_TRUE(PumpUntil([&] { return all.WholeTextTip() && ::IsWindowVisible(all.WholeTextTip()); }))
            << "no tooltip over the cut description";
        EXPECT_EQ(TipText(all.WholeTextTip()), kLong);
        // A description drawn whole has none.
        MovePointer(DescriptionPoint(all, 1, dlg.Scale()));
        EXPECT_TRUE(PumpUntil([&] { return !::IsWindowVisible(all.WholeTextTip()); }));
        TTTOOLINFOW ti{};
        wchar_t text[512] = {};
        ti.cbSize = sizeof(ti);
        ti.hwnd = all.m_hWnd;
        ti.uId = 1;
        ti.lpszText = text;
        ::SendMessageW(all.WholeTextTip(), TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&ti));
        EXPECT_STREQ(text, L"");
    });
}

// 50 categories of 100 entries, 软件0000 .. 软件4999.
std::wstring ManyEntries()
{
    std::wstring types = L"[Config]\n[Type]\n";
    std::wstring lists;
    for (int c = 0; c < 50; ++c) {
        wchar_t name[32] = {};
        std::swprintf(name, 32, L"类%02d", c);
        types += L"Sort" + std::to_wstring(c + 1) + L"=" + name + L"\n";
        lists += L"[" + std::wstring(name) + L".List]\n";
        for (int e = 0; e < 100; ++e) {
            wchar_t entry[32] = {};
            std::swprintf(entry, 32, L"软件%04d", c * 100 + e);
            lists += L"List" + std::to_wstring(e + 1) + L"=" + entry + L"\n";
        }
    }
    return types + lists;
}

class ManyEntriesSearch : public MainWindow {
protected:
    void SetUp() override { WriteCatalogue(ManyEntries()); }
};

TEST_F(ManyEntriesSearch, TypingFiltersFiveThousandEntriesAndClearingShowsThemAll)
{
    Open([&](TestDlg& dlg) {
        CListEx& all = dlg.m_pEntryLists[0];
        ASSERT_EQ(all.GetItemCount(), 5050);
        ASSERT_TRUE(ClickMiddle(dlg.m_editSearch.m_hWnd));
        ASSERT_TRUE(PumpUntil([&] { return ::GetFocus() == dlg.m_editSearch.m_hWnd; }));
        for (const WORD key : {WORD{'4'}, WORD{'2'}, WORD{'1'}, WORD{'7'}}) {
            PressKey(key);
        }
        ASSERT_TRUE(PumpUntil([&] { return dlg.m_editSearch.GetWindowText() == L"4217"; }));
        EXPECT_EQ(Texts(all, 0), (std::vector<std::wstring>{L"类42 (100款)", L"软件4217"}));
        // 软件 is ruǎn jiàn: its initials find every entry.
        dlg.m_editSearch.SetWindowText(L"RJ");
        PumpMessages();
        EXPECT_EQ(all.GetItemCount(), 5050);
        dlg.m_editSearch.SetWindowText(L"软件49");
        PumpMessages();
        EXPECT_EQ(all.GetItemCount(), 101);
        EXPECT_EQ(all.GetItemText(100, 0), L"软件4999");
        dlg.m_editSearch.SetWindowText(L"");
        PumpMessages();
        EXPECT_EQ(all.GetItemCount(), 5050);
        EXPECT_EQ(all.GetItemText(5049, 0), L"软件4999");
    });
}

} // namespace
} // namespace main_window_test
