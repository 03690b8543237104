// The pointer over a list: the check area, the action links, the hand
// cursor, the check toggle on a click, what the parent learns of a click,
// and the header dividers of link columns.
#include "tests/ui/controls/listex_fixture.h"

#include "tests/support/test_support.h"
#include "ui/controls/list_geometry.h"

#include <algorithm>

using namespace listex_test;

namespace {

class ListPointer : public ListTest {
protected:
    ListPointer() : list(MakeEntryList(RECT{0, 0, 560, 420}))
    {
        AddHeader(*list, L"Tools");
        AddEntry(*list, L"Editor", L"A text editor");
        AddEntry(*list, L"Viewer", L"");
        AddHeader(*list, L"Games");
        AddEntry(*list, L"Chess", L"");
    }

    bool NothingHot() const { return !list->CheckHot() && !list->HotLinkKind() && !list->HotLink(); }

    // Left edges and widths of the action links of a row, measured the way
    // the list lays them out.
    struct LinkPlaces {
        std::vector<int> lefts;
        std::vector<int> widths;
    };
    LinkPlaces Links(int nItem) const
    {
        const RECT label = Label(*list, nItem);
        const int cellLeft = label.right + list->GetColumnWidth(1);
        const int cellRight = cellLeft + list->GetColumnWidth(2);
        LinkPlaces places;
        for (const auto& name : TestLinks())
            places.widths.push_back(TextWidth(font.Get(), name));
        places.lefts = list_geometry::LinkLefts(cellLeft, cellRight,
                                                TextWidth(font.Get(), list->GetItemText(nItem, 2)), places.widths,
                                                TextWidth(font.Get(), L"    "));
        return places;
    }
    static int NameBandMiddle(const RECT& label) { return label.top + 22; }

    std::unique_ptr<CListEx> list;
};

TEST_F(ListPointer, CheckAreaRunsFromTheRowsLeftEdgeToTheIconsRightEdge)
{
    const RECT label = Label(*list, 1);
    const RECT icon = Icon(*list, 1);
    for (int x : {0, 5, static_cast<int>(icon.right) - 1}) {
        for (int y : {static_cast<int>(label.top) + 2, static_cast<int>(label.bottom) - 2}) {
            MoveTo(*list, x, y);
            EXPECT_TRUE(list->CheckHot()) << x << "," << y;
            EXPECT_EQ(list->HotLinkKind(), 0);
        }
    }
    MoveTo(*list, icon.right, label.top + 30);
    EXPECT_TRUE(NothingHot()) << "the name is no check area";
    MoveTo(*list, label.right + 20, label.top + 30);
    EXPECT_TRUE(NothingHot()) << "the size cell is plain";
}

TEST_F(ListPointer, AClickInTheCheckAreaTogglesExactlyThatRow)
{
    const RECT label = Label(*list, 2);
    const RECT icon = Icon(*list, 2);
    // On the list view's own check-box place and beside it.
    for (int x : {3, static_cast<int>(icon.right) - 2}) {
        const bool before = list->GetCheck(2);
        ClickAt(*list, x, label.top + 30);
        EXPECT_NE(list->GetCheck(2), before) << x;
        EXPECT_FALSE(list->GetCheck(1)) << x;
        EXPECT_FALSE(list->GetCheck(4)) << x;
        EXPECT_FALSE(list->CheckHot()) << "the click consumes the hot check area";
    }
    // Elsewhere in the row the check state stays.
    const bool before = list->GetCheck(2);
    ClickAt(*list, label.right + 20, label.top + 30);
    EXPECT_EQ(list->GetCheck(2), before);
    ClickAt(*list, icon.right + 10, label.top + 30);
    EXPECT_EQ(list->GetCheck(2), before);
    EXPECT_EQ(host.clicks.size(), 4u) << "the parent sees every click";
}

TEST_F(ListPointer, HeaderRowsMakeNothingHot)
{
    const RECT label = Label(*list, 3);
    const auto links = Links(1);
    MoveTo(*list, 5, label.top + 30);
    EXPECT_TRUE(NothingHot());
    MoveTo(*list, links.lefts[1] + 2, NameBandMiddle(label));
    EXPECT_TRUE(NothingHot());
    ClickAt(*list, 5, label.top + 30);
    EXPECT_FALSE(list->GetCheck(3)) << "the list view's own check-box place toggles nothing either";
    list->SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, label.top + 30));
    list->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(5, label.top + 30));
    EXPECT_FALSE(list->GetCheck(3));
    // The keyboard still toggles the focused row as the list view does.
    list->SetItemState(2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    list->SendMessage(WM_KEYDOWN, VK_SPACE, 0);
    list->SendMessage(WM_KEYUP, VK_SPACE, 0);
    EXPECT_TRUE(list->GetCheck(2));
}

TEST_F(ListPointer, KeysPassOverHeaderRowsAndSpaceThereChangesNothing)
{
    // Rows: 0 header, 1 and 2 entries, 3 header, 4 entry.
    struct Case {
        int nFrom;
        WPARAM key;
        int nTo;
    };
    const Case cases[] = {{2, VK_DOWN, 4}, {4, VK_UP, 2},   {1, VK_UP, 1},   {1, VK_HOME, 1},
                          {1, VK_END, 4},  {4, VK_PRIOR, 1}, {1, VK_NEXT, 4}, {1, VK_DOWN, 2}};
    for (const Case& c : cases) {
        list->SetItemState(c.nFrom, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        list->SendMessage(WM_KEYDOWN, c.key, 0);
        list->SendMessage(WM_KEYUP, c.key, 0);
        const int nFocused =
            static_cast<int>(list->SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
        const int nSelected =
            static_cast<int>(list->SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
        EXPECT_EQ(nFocused, c.nTo) << c.nFrom << " key " << c.key;
        EXPECT_EQ(nSelected, c.nTo) << c.nFrom << " key " << c.key;
    }
    list->SetItemState(3, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    list->SendMessage(WM_KEYDOWN, VK_SPACE, 0);
    list->SendMessage(WM_KEYUP, VK_SPACE, 0);
    EXPECT_FALSE(list->GetCheck(3));
    EXPECT_EQ(list_geometry::EntryRowForKey([](int) { return true; }, 3, 1, 1), -1);
}

TEST_F(ListPointer, LinksAreHotOnlyOverTheirText)
{
    const RECT label = Label(*list, 1);
    const auto links = Links(1);
    const int y = NameBandMiddle(label);

    MoveTo(*list, links.lefts[1] + links.widths[1] / 2, y);
    EXPECT_EQ(list->HotLink(), 2);
    EXPECT_EQ(list->HotLinkKind(), 3);
    EXPECT_FALSE(list->CheckHot());
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND));

    MoveTo(*list, links.lefts[0], y);
    EXPECT_EQ(list->HotLink(), 1);
    MoveTo(*list, links.lefts[2] + links.widths[2] - 1, y);
    EXPECT_EQ(list->HotLink(), 3);

    MoveTo(*list, links.lefts[0] + links.widths[0] + 2, y);
    EXPECT_TRUE(NothingHot()) << "between two links";
    MoveTo(*list, links.lefts[1] + 2, label.top + 14);
    EXPECT_TRUE(NothingHot()) << "above the name band";
    MoveTo(*list, links.lefts[1] + 2, label.top + 30);
    EXPECT_TRUE(NothingHot()) << "in the description band";

    // A row without a description has its links in the same band.
    const RECT label2 = Label(*list, 2);
    MoveTo(*list, links.lefts[2] + 1, NameBandMiddle(label2));
    EXPECT_EQ(list->HotLink(), 3);
}

TEST_F(ListPointer, TheParentReadsTheClickedLink)
{
    const RECT label = Label(*list, 4);
    const auto links = Links(4);
    ClickAt(*list, links.lefts[1] + 3, NameBandMiddle(label));
    ASSERT_EQ(host.clicks.size(), 1u);
    EXPECT_EQ(host.clicks[0].nID, 1007u);
    EXPECT_EQ(host.clicks[0].nItem, 4);
    EXPECT_EQ(host.clicks[0].nHotLink, 2);
    EXPECT_EQ(host.clicks[0].nHotLinkKind, 3);
    EXPECT_FALSE(list->GetCheck(4)) << "a link click toggles nothing";

    ClickAt(*list, links.lefts[0] - 3, NameBandMiddle(label));
    ASSERT_EQ(host.clicks.size(), 2u);
    EXPECT_EQ(host.clicks[1].nHotLink, 0) << "beside the links";
}

TEST_F(ListPointer, AClickActsOnTheLinkDrawnUnderItsOwnPoint)
{
    // Rows with a description (1) and without (2, 4): the link's ink is found
    // on the screen, and the press lands at its middle and in its lower half
    // while the pointer was last seen over another link.
    testing_support::PumpMessages();
    const testing_support::WindowPixels pixels(list->m_hWnd);
    struct Case {
        int nItem;
        int nLink;
        int nMovedOver;
    };
    for (const Case& c : {Case{1, 1, 3}, Case{2, 1, 2}, Case{2, 3, 1}, Case{4, 2, 3}}) {
        const RECT label = Label(*list, c.nItem);
        const auto links = Links(c.nItem);
        const auto i = static_cast<size_t>(c.nLink - 1);
        // The ink: pixels of the link's span that are not the row's background.
        const COLORREF back = pixels.At(links.lefts[i] + 1, label.top + 3);
        int top = label.bottom;
        int bottom = label.top;
        for (int y = label.top; y < label.bottom; ++y)
            for (int x = links.lefts[i]; x < links.lefts[i] + links.widths[i]; ++x)
                if (pixels.At(x, y) != back) {
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        ASSERT_LT(top, bottom) << c.nItem;
        const int x = links.lefts[i] + links.widths[i] / 2;
        for (int y : {(top + bottom) / 2, (top + 3 * bottom) / 4, bottom}) {
            const auto m = static_cast<size_t>(c.nMovedOver - 1);
            MoveTo(*list, links.lefts[m] + links.widths[m] / 2, (top + bottom) / 2);
            list->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
            list->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(x, y));
            testing_support::PumpMessages();
            ASSERT_FALSE(host.clicks.empty());
            EXPECT_EQ(host.clicks.back().nItem, c.nItem) << y;
            EXPECT_EQ(host.clicks.back().nHotLink, c.nLink) << "row " << c.nItem << ", ink " << top << ".." << bottom
                                                            << ", clicked at " << y;
        }
    }
}

TEST_F(ListPointer, ASingleLinkIsCentredInItsCell)
{
    list->SetLinks(2, {L"Open"});
    const RECT label = Label(*list, 2);
    const int cellLeft = label.right + list->GetColumnWidth(1);
    const int cellRight = cellLeft + list->GetColumnWidth(2);
    const auto [left, right] = list_geometry::SingleLinkSpan(cellLeft, cellRight, TextWidth(font.Get(), L"Open"));
    MoveTo(*list, left, NameBandMiddle(label));
    EXPECT_EQ(list->HotLink(), 1);
    EXPECT_EQ(list->HotLinkKind(), 1);
    MoveTo(*list, right - 1, NameBandMiddle(label));
    EXPECT_EQ(list->HotLink(), 1);
    MoveTo(*list, left - 1, NameBandMiddle(label));
    EXPECT_TRUE(NothingHot());
    MoveTo(*list, right, NameBandMiddle(label));
    EXPECT_TRUE(NothingHot());
}

TEST_F(ListPointer, RowsMissingFromTheModelCountAsEntryRows)
{
    // A row the owner did not describe: no crash, a plain entry row.
    list->InsertItem(5, L"undescribed");
    const RECT label = Label(*list, 5);
    MoveTo(*list, 4, label.top + 30);
    EXPECT_TRUE(list->CheckHot());
    testing_support::WindowPixels pixels(list->m_hWnd);
    EXPECT_EQ(pixels.Width(), 560);
}

// Pointer drags and double clicks on the header dividers.
class ListHeader : public ListTest {
protected:
    ListHeader()
    {
        list = std::make_unique<CListEx>();
        EXPECT_TRUE(list->Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDRAWFIXED | LVS_SHAREIMAGELISTS,
                                 RECT{0, 0, 700, 300}, host.m_hWnd, 1007));
        list->SetFont(font.Get());
        list->InsertListColumn(0, L"name", LVCFMT_LEFT, 200);
        list->InsertListColumn(1, L"size", LVCFMT_CENTER, 100);
        list->InsertListColumn(2, L"actions", LVCFMT_CENTER, 180);
        list->InsertListColumn(3, L"", LVCFMT_CENTER, 30);
        list->SetRowHeight(60);
        AddEntry(*list, L"Editor", L"");
        testing_support::PumpMessages();
    }

    // The divider at the right edge of column col, in header coordinates.
    POINT Divider(int col) const
    {
        RECT rc{};
        ::SendMessageW(list->GetHeaderCtrl(), HDM_GETITEMRECT, static_cast<WPARAM>(col), reinterpret_cast<LPARAM>(&rc));
        return POINT{rc.right - 1, (rc.top + rc.bottom) / 2};
    }
    void Drag(int col, int dx) const
    {
        const HWND hHeader = list->GetHeaderCtrl();
        const POINT pt = Divider(col);
        ::SendMessageW(hHeader, WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y));
        ::SendMessageW(hHeader, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
        ::SendMessageW(hHeader, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(pt.x + dx, pt.y));
        ::SendMessageW(hHeader, WM_LBUTTONUP, 0, MAKELPARAM(pt.x + dx, pt.y));
        testing_support::PumpMessages();
    }
    void DoubleClick(int col) const
    {
        const HWND hHeader = list->GetHeaderCtrl();
        const POINT pt = Divider(col);
        ::SendMessageW(hHeader, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
        ::SendMessageW(hHeader, WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
        testing_support::PumpMessages();
    }

    std::unique_ptr<CListEx> list;
};

TEST_F(ListHeader, LinkColumnsCannotBeResizedFromTheHeader)
{
    ASSERT_EQ(list->ColumnKinds()[2], 3u);
    Drag(2, 40);
    EXPECT_EQ(list->GetColumnWidth(2), 180);
    DoubleClick(2);
    EXPECT_EQ(list->GetColumnWidth(2), 180);

    Drag(1, 40);
    EXPECT_EQ(list->GetColumnWidth(1), 140) << "other columns resize";
    DoubleClick(1);
    EXPECT_NE(list->GetColumnWidth(1), 140);
}

} // namespace
