// The list's model: cells, link lists, check states, column widths, row
// height, and the refusals of requests beyond the list.
#include "tests/ui/controls/listex_fixture.h"

#include "tests/support/test_support.h"

#include <algorithm>

using namespace listex_test;

namespace {

using Links = std::vector<std::wstring>;

class ListModel : public ListTest {
protected:
    ListModel() : list(MakeEntryList(RECT{0, 0, 560, 400})) {}

    // A list of the given number of plain columns and one row.
    std::unique_ptr<CListEx> WideList(int nColumns)
    {
        auto wide = std::make_unique<CListEx>();
        EXPECT_TRUE(wide->Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDRAWFIXED, RECT{0, 420, 800, 600},
                                 host.m_hWnd, 1100));
        for (int c = 0; c < nColumns; ++c)
            wide->InsertListColumn(c, L"c" + std::to_wstring(c), LVCFMT_LEFT, 40);
        wide->InsertListItem(0, L"row", 0, L"");
        return wide;
    }

    std::unique_ptr<CListEx> list;
};

TEST_F(ListModel, SetLinksWithNoneOneOrThreeLinks)
{
    const int r = list->InsertListItem(0, L"Editor", 0, L"A text editor");
    list->SetCellText(r, 2, L"before", 0);

    EXPECT_EQ(list->SetLinks(r, {}), 0);
    EXPECT_EQ(list->ColumnKinds()[2], 0u);
    EXPECT_EQ(list->GetItemText(r, 2), L"before");

    EXPECT_EQ(list->SetLinks(r, {L"Open"}), 1);
    EXPECT_EQ(list->ColumnKinds()[2], 1u);
    EXPECT_EQ(list->GetItemText(r, 2), L"Open");
    EXPECT_EQ(list->LinkColumns(), 0);

    EXPECT_EQ(list->SetLinks(r, {L"Install", L"Setup", L"Save"}), 1);
    EXPECT_EQ(list->ColumnKinds()[2], 3u);
    EXPECT_EQ(list->GetItemText(r, 2), L"Install    Setup    Save");
    EXPECT_EQ(list->LinkColumns(), 1);
    EXPECT_EQ(list->LinkList(0), (Links{L"Install", L"Setup", L"Save"}));

    // A second row shares the column's list.
    const int r2 = list->InsertListItem(1, L"Viewer", 0, L"");
    EXPECT_EQ(list->SetLinks(r2, {L"A", L"B", L"C"}), 1);
    EXPECT_EQ(list->LinkColumns(), 1);
    EXPECT_EQ(list->LinkList(0), (Links{L"A", L"B", L"C"}));
    EXPECT_TRUE(list->LinkList(1).empty());

    // A plain cell text turns the column back into a plain column.
    EXPECT_EQ(list->SetCellText(r, 2, L"plain", 0), 1);
    EXPECT_EQ(list->ColumnKinds()[2], 0u);
    EXPECT_EQ(list->LinkColumns(), 0);
    EXPECT_TRUE(list->LinkList(0).empty());
}

TEST_F(ListModel, LinkListsFollowTheirColumnsAsColumnsComeAndGo)
{
    auto wide = WideList(8);
    // Column 2's links, then column 5 a multi-link column: its list goes
    // after column 2's.
    EXPECT_EQ(wide->SetLinks(0, {L"a", L"b"}), 1);
    EXPECT_EQ(wide->SetCellText(0, 5, L"p    q", 2), 1);
    EXPECT_EQ(wide->LinkColumns(), 2);
    EXPECT_EQ(wide->LinkList(0), (Links{L"a", L"b"}));
    EXPECT_TRUE(wide->LinkList(1).empty());

    // New links for column 2 replace its list in place.
    EXPECT_EQ(wide->SetLinks(0, {L"x", L"y", L"z"}), 1);
    EXPECT_EQ(wide->LinkColumns(), 2);
    EXPECT_EQ(wide->LinkList(0), (Links{L"x", L"y", L"z"}));

    // Column 1 before it gets an empty list of its own; column 2's moves up.
    EXPECT_EQ(wide->SetCellText(0, 1, L"", 2), 1);
    EXPECT_EQ(wide->LinkColumns(), 3);
    EXPECT_TRUE(wide->LinkList(0).empty());
    EXPECT_EQ(wide->LinkList(1), (Links{L"x", L"y", L"z"}));
    EXPECT_TRUE(wide->LinkList(2).empty());

    // Column 1 becomes plain: the later lists move down.
    EXPECT_EQ(wide->SetCellText(0, 1, L"plain", 0), 1);
    EXPECT_EQ(wide->LinkColumns(), 2);
    EXPECT_EQ(wide->LinkList(0), (Links{L"x", L"y", L"z"}));
    EXPECT_TRUE(wide->LinkList(1).empty());

    // So do they when column 2 goes.
    EXPECT_EQ(wide->SetCellText(0, 2, L"", 1), 1);
    EXPECT_EQ(wide->LinkColumns(), 1);
    EXPECT_TRUE(wide->LinkList(0).empty());
    EXPECT_EQ(wide->ColumnKinds(), (std::vector<DWORD>{0, 0, 1, 0, 0, 2, 0, 0}));
}

TEST_F(ListModel, TenLinkListsAtMost)
{
    auto wide = WideList(13);
    for (int c = 3; c < 13; ++c)
        ASSERT_EQ(wide->SetCellText(0, c, L"l", 2), 1) << c;
    EXPECT_EQ(wide->LinkColumns(), 10);

    EXPECT_EQ(wide->SetLinks(0, {L"a", L"b", L"c"}), 0);
    EXPECT_EQ(wide->ColumnKinds()[2], 0u);
    EXPECT_EQ(wide->SetCellText(0, 1, L"more", 2), 0) << "an eleventh list";
    EXPECT_EQ(wide->ColumnKinds()[1], 0u);
    EXPECT_EQ(wide->GetItemText(0, 1), L"");
    EXPECT_EQ(wide->LinkColumns(), 10);

    // A single link needs no list.
    EXPECT_EQ(wide->SetLinks(0, {L"one"}), 1);
    EXPECT_EQ(wide->ColumnKinds()[2], 1u);
    // Once a list is free again, links can be set.
    EXPECT_EQ(wide->SetCellText(0, 12, L"", 0), 1);
    EXPECT_EQ(wide->SetLinks(0, {L"a", L"b"}), 1);
    EXPECT_EQ(wide->LinkColumns(), 10);
    EXPECT_EQ(wide->LinkList(0), (Links{L"a", L"b"}));
}

TEST_F(ListModel, ColumnsInsertedWithSeveralLinksGetTheirListsAndNothingGoesPastTheTen)
{
    auto wide = WideList(1);
    for (int c = 1; c <= 10; ++c)
        ASSERT_EQ(wide->InsertListColumn(c, L"l", LVCFMT_CENTER, 30, 2), c);
    EXPECT_EQ(wide->LinkColumns(), 10);
    EXPECT_EQ(wide->InsertListColumn(11, L"", LVCFMT_LEFT, 30, 3), -1) << "an eleventh list";
    EXPECT_EQ(wide->InsertListColumn(0, L"", LVCFMT_LEFT, 30, 2), -1) << "column 0 shows no links";
    EXPECT_EQ(wide->InsertListColumn(11, L"", LVCFMT_LEFT, 30, 0), 11);
    EXPECT_EQ(wide->SetCellText(0, 11, L"x    y", 2), 0);
    EXPECT_EQ(wide->SetLinks(0, {L"a", L"b"}), 0);
    EXPECT_EQ(wide->LinkColumns(), 10);
    EXPECT_EQ(wide->ColumnKinds().size(), 12u);
}

TEST_F(ListModel, SettersBeforeTheWindowExistsTouchNoOtherWindow)
{
    // With another window holding the one update lock and nothing left to
    // paint in the host, a list without a window releases no lock and
    // invalidates nothing (a null window means the desktop).
    ASSERT_TRUE(::LockWindowUpdate(list->m_hWnd));
    ::UpdateWindow(host.m_hWnd);
    CListEx unborn;
    unborn.SetEraseColor(RGB(1, 2, 3));
    unborn.SetDrawFlags(14);
    unborn.SetAllChecks(TRUE);
    EXPECT_EQ(unborn.Color(CListEx::Erase), RGB(1, 2, 3));
    EXPECT_FALSE(::LockWindowUpdate(host.m_hWnd)) << "the list's lock was released";
    EXPECT_FALSE(::GetUpdateRect(host.m_hWnd, nullptr, FALSE));
    ::LockWindowUpdate(nullptr);
}

TEST_F(ListModel, CellTextOnTheFirstColumnClearsTheDescription)
{
    const int r = list->InsertListItem(0, L"Editor", 0, L"A text editor");
    EXPECT_EQ(list->SetCellText(r, 0, L"Editor 2", 5), 1);
    EXPECT_EQ(list->Description(0), L"");
    EXPECT_EQ(list->ColumnKinds()[0], 0u) << "the kind is not used for column 0";
    EXPECT_EQ(list->GetItemText(r, 0), L"Editor 2");
}

TEST_F(ListModel, RequestsBeyondTheListAreRefusedWithoutChange)
{
    const int r = list->InsertListItem(0, L"Editor", 0, L"A text editor");
    EXPECT_EQ(list->SetCellText(1, 0, L"x", 0), 0);
    EXPECT_EQ(list->SetCellText(-1, 0, L"x", 0), 0);
    EXPECT_EQ(list->SetCellText(r, 4, L"x", 0), 0);
    EXPECT_EQ(list->SetCellText(r, -1, L"x", 0), 0);
    EXPECT_EQ(list->Description(0), L"A text editor");
    EXPECT_EQ(list->SetLinks(1, ActionNames()), 0);
    EXPECT_EQ(list->SetLinks(-1, ActionNames()), 0);
    EXPECT_EQ(list->SetLinks(1, {L"one"}), 0);
    EXPECT_EQ(list->ColumnKinds(), (std::vector<DWORD>{0, 0, 0, 0}));
    EXPECT_EQ(list->LinkColumns(), 0);
    EXPECT_EQ(list->AutoSizeColumn(4), 0);
    EXPECT_EQ(list->AutoSizeColumn(-1), 0);

    // Links need an actions column.
    auto narrow = WideList(2);
    EXPECT_EQ(narrow->SetLinks(0, ActionNames()), 0);
    EXPECT_EQ(narrow->LinkColumns(), 0);
}

TEST_F(ListModel, SetAllChecksLeavesHeaderRowsAlone)
{
    AddHeader(*list, L"Tools");
    AddEntry(*list, L"Editor", L"");
    AddEntry(*list, L"Viewer", L"");
    AddHeader(*list, L"Games");
    AddEntry(*list, L"Chess", L"");
    EXPECT_EQ(list->HeaderRows(), 2);

    list->SetAllChecks(TRUE);
    const std::vector<bool> expected{false, true, true, false, true};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(list->GetCheck(i), expected[static_cast<size_t>(i)]) << i;
    list->SetCheck(0, true);
    list->SetAllChecks(FALSE);
    EXPECT_TRUE(list->GetCheck(0)) << "a header row keeps its state";
    for (int i : {1, 2, 4})
        EXPECT_FALSE(list->GetCheck(i)) << i;
}

TEST_F(ListModel, AutoSizedColumnsFollowTheirWidestCell)
{
    AddEntry(*list, L"Editor", L"");
    AddEntry(*list, L"A much longer name", L"");
    list->SetCellText(1, 1, L"123.45 MB", 0);
    const int sizeWidth = TextWidth(font.Get(), L"123.45 MB");
    EXPECT_NE(list->AutoSizeColumn(1), 0);
    EXPECT_EQ(list->GetColumnWidth(1), sizeWidth + 12);
    EXPECT_EQ(list->AutoSizeFlags()[1], 1u);

    // Later texts refit the column.
    list->SetCellText(0, 1, L"99999.99 MB", 0);
    EXPECT_EQ(list->GetColumnWidth(1), TextWidth(font.Get(), L"99999.99 MB") + 12);

    EXPECT_NE(list->AutoSizeColumn(0), 0);
    const int iconRight = Icon(*list, 0).right;
    EXPECT_EQ(list->GetColumnWidth(0), iconRight + TextWidth(font.Get(), L"A much longer name") + 6);

    // The links' column refits when links are set.
    EXPECT_NE(list->AutoSizeColumn(2), 0);
    list->SetLinks(0, {L"a", L"bb", L"ccc"});
    list->SetLinks(1, {L"a", L"bb", L"ccc"});
    EXPECT_EQ(list->GetColumnWidth(2), TextWidth(font.Get(), L"a    bb    ccc") + 12);
}

TEST_F(ListModel, RowHeightIsAnsweredToTheListView)
{
    AddEntry(*list, L"Editor", L"");
    EXPECT_EQ(Bounds(*list, 0).bottom - Bounds(*list, 0).top, 60);
    list->SetRowHeight(52);
    EXPECT_EQ(Bounds(*list, 0).bottom - Bounds(*list, 0).top, 52);

    // A height of 0 leaves the list view's own.
    CListEx plain;
    ASSERT_TRUE(plain.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDRAWFIXED, RECT{0, 420, 300, 600},
                             host.m_hWnd, 1101));
    plain.SetFont(font.Get());
    plain.InsertListColumn(0, L"c", LVCFMT_LEFT, 100);
    plain.InsertListItem(0, L"row", 0, L"");
    RECT before{};
    plain.GetItemRect(0, &before, LVIR_BOUNDS);
    plain.SetRowHeight(0);
    RECT after{};
    plain.GetItemRect(0, &after, LVIR_BOUNDS);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
    EXPECT_NE(after.bottom - after.top, 0);
    EXPECT_LT(after.bottom - after.top, 52);
}

TEST_F(ListModel, SettersKeepColoursWhenGivenNone)
{
    const COLORREF erase = list->Color(CListEx::Erase);
    const COLORREF link = list->Color(CListEx::LinkSelFocus);
    list->SetEraseColor(0);
    list->SetLinkColorSelFocus(0);
    EXPECT_EQ(list->Color(CListEx::Erase), erase);
    EXPECT_EQ(list->Color(CListEx::LinkSelFocus), link);
    list->SetLinkColorSelFocus(RGB(1, 2, 3));
    EXPECT_EQ(list->Color(CListEx::LinkSelFocus), RGB(1, 2, 3));
}

} // namespace
