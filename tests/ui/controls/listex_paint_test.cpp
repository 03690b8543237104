// What a list paints, read back from the screen: the places of check box,
// icon, name and description, header titles, pane rows, cells and links,
// selection palettes, the background erase, and the GDI objects a paint
// leaves behind.
#include "tests/ui/controls/listex_fixture.h"

#include "tests/support/test_support.h"
#include "ui/controls/list_geometry.h"

#include <cstdlib>
#include <functional>

using namespace listex_test;
using testing_support::WindowPixels;

namespace {

bool Near(COLORREF a, COLORREF b, int tolerance)
{
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

// The pixels of a rectangle that satisfy pred.
std::vector<POINT> Find(const WindowPixels& pixels, const RECT& rc, const std::function<bool(COLORREF)>& pred)
{
    std::vector<POINT> found;
    for (int y = rc.top; y < rc.bottom; ++y) {
        for (int x = rc.left; x < rc.right; ++x) {
            if (pred(pixels.At(x, y)))
                found.push_back(POINT{x, y});
        }
    }
    return found;
}

struct Extent {
    int left = 1 << 30;
    int top = 1 << 30;
    int right = -1; // last pixel, inclusive
    int bottom = -1;
};
Extent ExtentOf(const std::vector<POINT>& points)
{
    Extent e;
    for (const POINT& p : points) {
        e.left = std::min(e.left, static_cast<int>(p.x));
        e.right = std::max(e.right, static_cast<int>(p.x));
        e.top = std::min(e.top, static_cast<int>(p.y));
        e.bottom = std::max(e.bottom, static_cast<int>(p.y));
    }
    return e;
}

class ListPaint : public ListTest {
protected:
    ListPaint() : list(MakeEntryList(RECT{0, 0, 560, 480})) {}

    // Pixels that are none of the entry row backgrounds of a state.
    static std::function<bool(COLORREF)> Ink(size_t state = 0)
    {
        return [state](COLORREF c) {
            return c != kEntryMid[state] && c != kEntryLeft[state] && c != kEntryRight[state];
        };
    }

    std::unique_ptr<CListEx> list;
};

TEST_F(ListPaint, EntryRowsPutCheckBoxIconNameAndDescriptionInTheirPlaces)
{
    list->SetColor(CListEx::Text, RGB(0, 0, 0));
    list->SetColor(CListEx::Desc, RGB(200, 0, 120));
    AddEntry(*list, L"Editor", L"A text editor");
    AddEntry(*list, L"Viewer", L"");
    list->SetCheck(0, true);
    const WindowPixels pixels(list->m_hWnd);

    for (int r : {0, 1}) {
        const RECT label = Label(*list, r);
        const RECT icon = Icon(*list, r);
        const int top = label.top;
        ASSERT_EQ(label.bottom - top, 60);

        // The check box, 16 x 16, at the icon's place before it moved.
        const COLORREF box = r == 0 ? kCheckOn : kCheckOff;
        const int cx = icon.left - 5;
        EXPECT_EQ(pixels.At(cx + 8, top + 21), box) << r;
        EXPECT_EQ(pixels.At(cx + 8, top + 36), box) << r;
        EXPECT_NE(pixels.At(cx + 8, top + 20), box) << r;
        EXPECT_NE(pixels.At(cx + 8, top + 37), box) << r;
        EXPECT_EQ(pixels.At(cx, top + 28), box) << r;
        EXPECT_NE(pixels.At(cx - 1, top + 28), box) << r;

        // The icon, 32 x 32, 28 pixels further right, top at 13.
        const int ix = icon.left - 5 + 28;
        EXPECT_EQ(pixels.At(ix + 16, top + 13), kIcon) << r;
        EXPECT_EQ(pixels.At(ix + 16, top + 44), kIcon) << r;
        EXPECT_NE(pixels.At(ix + 16, top + 12), kIcon) << r;
        EXPECT_NE(pixels.At(ix + 16, top + 45), kIcon) << r;
        EXPECT_EQ(pixels.At(ix, top + 30), kIcon) << r;
        EXPECT_EQ(pixels.At(ix + 31, top + 30), kIcon) << r;
        EXPECT_NE(pixels.At(ix + 32, top + 30), kIcon) << r;
    }

    // Two-line row: the bold name in 15..30, the description in 30..45.
    const RECT label = Label(*list, 0);
    const int textLeft = label.left - 5 + 6 + 40;
    const RECT nameArea{textLeft, label.top, label.right - 20, label.bottom};
    // Name ink is black, description ink magenta; blended edges are left out.
    const auto name = Find(pixels, nameArea, [](COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 200; });
    const auto desc = Find(pixels, nameArea, [](COLORREF c) { return GetRValue(c) > GetGValue(c) + 100; });
    ASSERT_FALSE(name.empty());
    ASSERT_FALSE(desc.empty());
    const Extent n = ExtentOf(name);
    const Extent d = ExtentOf(desc);
    EXPECT_GE(n.top, label.top + 15);
    EXPECT_LT(n.bottom, label.top + 30);
    EXPECT_GE(d.top, label.top + 30);
    EXPECT_LT(d.bottom, label.top + 45);
    // Nothing at all above the name band or below the description band.
    const auto all = ExtentOf(Find(pixels, nameArea, Ink()));
    EXPECT_GE(all.top, label.top + 15);
    EXPECT_LT(all.bottom, label.top + 45);
    EXPECT_GE(n.left, textLeft);
    EXPECT_GE(d.left, textLeft);
    EXPECT_LE(n.left, textLeft + 2);

    // One-line row: the name centred over the whole row, in the normal font.
    const RECT label1 = Label(*list, 1);
    const auto one = ExtentOf(Find(pixels, RECT{textLeft, label1.top, label1.right - 20, label1.bottom}, Ink()));
    ASSERT_GE(one.right, one.left);
    const int middle = (one.top + one.bottom) / 2 - label1.top;
    EXPECT_GE(middle, 28);
    EXPECT_LE(middle, 33);
}

TEST_F(ListPaint, PaneRowsShowABigIconAndTheNameBesideIt)
{
    auto pane = MakePane(RECT{600, 0, 760, 300});
    pane->InsertListItem(0, L"All(5)", 0, L"", 0);
    pane->InsertListItem(1, L"Tools(3)", 0, L"", 1);
    pane->SetItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ::SetFocus(pane->m_hWnd);
    const WindowPixels pixels(pane->m_hWnd);

    const RECT label = Label(*pane, 0);
    const int top = label.top;
    ASSERT_EQ(label.bottom - top, 52);
    EXPECT_EQ(pixels.At(22, top + 10), kIcon);
    EXPECT_EQ(pixels.At(53, top + 41), kIcon);
    EXPECT_NE(pixels.At(21, top + 10), kIcon);
    EXPECT_NE(pixels.At(22, top + 9), kIcon);
    EXPECT_NE(pixels.At(54, top + 41), kIcon);
    EXPECT_NE(pixels.At(22, top + 42), kIcon);
    EXPECT_TRUE(Find(pixels, RECT{0, top, 160, top + 52}, [](COLORREF c) {
                    return c == kCheckOn || c == kCheckOff;
                }).empty())
        << "no check box in the pane";

    // The name beside the icon, vertically centred between 1 and 52.
    const RECT icon = Icon(*pane, 0);
    const int textLeft = (icon.right - icon.left + 5) + 28;
    const auto name = ExtentOf(Find(pixels, RECT{textLeft - 2, top, 160, top + 52}, [](COLORREF c) {
        return c != kPaneRow && c != kPaneSel;
    }));
    ASSERT_GE(name.right, name.left);
    EXPECT_GE(name.left, textLeft);
    const int middle = (name.top + name.bottom) / 2 - top;
    EXPECT_GE(middle, 24);
    EXPECT_LE(middle, 29);

    // The selected row on its own pictures (inside its focus rectangle);
    // below the rows the pane picture.
    EXPECT_EQ(pixels.At(150, Label(*pane, 1).top + 5), kPaneSel);
    EXPECT_EQ(pixels.At(150, top + 3), kPaneRow);
    EXPECT_EQ(pixels.At(80, 250), kPaneBack);
}

TEST_F(ListPaint, HeaderRowsShowAnEmbossedTitleOnly)
{
    AddHeader(*list, L"Tools (2)");
    AddEntry(*list, L"Editor", L"");
    list->SetCheck(0, true);
    const WindowPixels pixels(list->m_hWnd);
    const RECT label = Label(*list, 0);
    const RECT bounds = Bounds(*list, 0);
    const RECT row{0, label.top, bounds.right, label.bottom};

    // The title in its colour, over a white copy one pixel right and down:
    // where the white shows, the title itself lies up and left of it.
    const COLORREF text = RGB(44, 67, 85);
    const auto title = Find(pixels, row, [text](COLORREF c) { return Near(c, text, 24); });
    const auto relief = Find(pixels, row, [](COLORREF c) { return c == RGB(255, 255, 255); });
    ASSERT_FALSE(title.empty());
    ASSERT_GT(relief.size(), 10u);
    for (const POINT& p : relief)
        EXPECT_TRUE(Near(pixels.At(p.x - 1, p.y - 1), text, 60)) << p.x << "," << p.y;
    const Extent t = ExtentOf(title);
    const Extent w = ExtentOf(relief);
    EXPECT_GT(w.bottom, t.bottom) << "the white copy lies lower";
    // The title starts 18 pixels right of the moved icon place.
    const RECT icon = Icon(*list, 0);
    const auto ink = ExtentOf(Find(pixels, row, [](COLORREF c) {
        return c != kHeaderMid && c != kHeaderLeft && c != kHeaderRight;
    }));
    EXPECT_GE(ink.left, icon.left - 5 + 18);
    EXPECT_LE(ink.left, icon.left - 5 + 20);
    EXPECT_GE(ink.top, label.top + 3);
    EXPECT_LE(ink.bottom, label.bottom);

    EXPECT_TRUE(Find(pixels, row, [](COLORREF c) {
                    return c == kCheckOn || c == kCheckOff || c == kIcon;
                }).empty())
        << "no check box, no icon";
    EXPECT_EQ(pixels.At(3, label.top + 3), kHeaderLeft);
    EXPECT_EQ(pixels.At(300, label.top + 3), kHeaderMid);
    EXPECT_EQ(pixels.At(bounds.right - 3, label.top + 3), kHeaderRight);
    EXPECT_EQ(pixels.At(bounds.right + 3, label.top + 3), kListBack);
}

TEST_F(ListPaint, RowsOfUnknownKindAreNotPaintedAtAll)
{
    AddEntry(*list, L"Editor", L"");
    list->InsertListItem(1, L"hidden", 2, L"desc");
    AddEntry(*list, L"Viewer", L"");
    const WindowPixels pixels(list->m_hWnd);
    const RECT label = Label(*list, 1);
    const auto painted = Find(pixels, RECT{0, label.top, 560, label.bottom}, [](COLORREF c) { return c != kListBack; });
    EXPECT_TRUE(painted.empty()) << painted.size() << " pixels painted";
    EXPECT_EQ(pixels.At(300, Label(*list, 2).top + 3), kEntryMid[0]);
}

TEST_F(ListPaint, RowsMissingFromTheModelShowTheirTextOnOneLine)
{
    AddEntry(*list, L"Editor", L"");
    list->InsertItem(1, L"Undescribed");
    const WindowPixels pixels(list->m_hWnd);
    const RECT label = Label(*list, 1);
    const auto name = ExtentOf(Find(pixels, RECT{label.left + 41, label.top, label.right - 20, label.bottom}, Ink()));
    ASSERT_GE(name.right, name.left);
    EXPECT_GE((name.top + name.bottom) / 2 - label.top, 28);
}

TEST_F(ListPaint, NarrowColumnsShowNothingButKeepTheirWidth)
{
    AddEntry(*list, L"Editor", L"");
    list->SetColumnWidth(1, 11);
    const WindowPixels pixels(list->m_hWnd);
    const RECT label = Label(*list, 0);
    EXPECT_TRUE(Find(pixels, RECT{label.right, label.top, label.right + 11, label.bottom}, Ink()).empty());

    // The links still start where the narrow column ends.
    const int cellLeft = label.right + 11;
    std::vector<int> widths;
    for (const auto& l : TestLinks())
        widths.push_back(TextWidth(font.Get(), l));
    const auto lefts = list_geometry::LinkLefts(cellLeft, cellLeft + 180, TextWidth(font.Get(), list->GetItemText(0, 2)),
                                                widths, TextWidth(font.Get(), L"    "));
    const auto links = ExtentOf(Find(pixels, RECT{cellLeft, label.top, cellLeft + 180, label.bottom},
                                     [](COLORREF c) { return Near(c, RGB(11, 91, 152), 40); }));
    ASSERT_GE(links.right, links.left);
    EXPECT_NEAR(links.left, lefts[0], 2);
    EXPECT_NEAR(links.right, lefts[2] + widths[2] - 1, 2);
    // Underlined, in the one-line text box of the row.
    EXPECT_GT(links.bottom, label.top + 30);
    EXPECT_LT(links.bottom, label.top + 45);
}

TEST_F(ListPaint, NarrowFirstColumnHidesIconAndName)
{
    list->SetColor(CListEx::Desc, RGB(200, 0, 120));
    AddEntry(*list, L"Editor", L"A text editor");
    list->SetColumnWidth(0, 30);
    const WindowPixels pixels(list->m_hWnd);
    const RECT label = Label(*list, 0);
    const RECT row{0, label.top, 560, label.bottom};
    EXPECT_TRUE(Find(pixels, row, [](COLORREF c) { return c == kIcon; }).empty());
    const auto desc = ExtentOf(Find(pixels, row, [](COLORREF c) { return GetRValue(c) > GetGValue(c) + 60; }));
    ASSERT_GE(desc.right, desc.left);
    EXPECT_GE(desc.left, label.right + 6);
    EXPECT_LE(desc.left, label.right + 8);
}

TEST_F(ListPaint, SelectedRowsChangePicturesAndColoursWithTheFocus)
{
    CButton other;
    ASSERT_TRUE(other.Create(L"other", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, RECT{600, 600, 700, 630}, host.m_hWnd, 1));
    const COLORREF linkSelected = RGB(250, 120, 0);
    list->SetLinkColorSelFocus(linkSelected);
    AddEntry(*list, L"Editor", L"");
    AddEntry(*list, L"Viewer", L"");
    list->SetItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ::SetFocus(list->m_hWnd);
    testing_support::PumpMessages();

    const int top0 = Label(*list, 0).top;
    const int top1 = Label(*list, 1).top;
    const RECT actions{Label(*list, 1).right + 100, top1, Label(*list, 1).right + 280, top1 + 60};
    auto linkInk = [](COLORREF colour) { return [colour](COLORREF c) { return Near(c, colour, 30); }; };
    {
        const WindowPixels pixels(list->m_hWnd);
        EXPECT_EQ(pixels.At(300, top0 + 3), kEntryMid[0]);
        EXPECT_EQ(pixels.At(300, top1 + 5), kEntryMid[1]);
        EXPECT_EQ(pixels.At(2, top1 + 5), kEntryLeft[1]);
        EXPECT_EQ(pixels.At(Bounds(*list, 1).right - 3, top1 + 5), kEntryRight[1]);
        EXPECT_FALSE(Find(pixels, actions, linkInk(linkSelected)).empty());
        EXPECT_TRUE(Find(pixels, actions, linkInk(RGB(11, 91, 152))).empty());
    }
    ::SetFocus(other.m_hWnd);
    {
        const WindowPixels pixels(list->m_hWnd);
        EXPECT_EQ(pixels.At(300, top0 + 3), kEntryMid[0]);
        EXPECT_EQ(pixels.At(300, top1 + 5), kEntryMid[2]);
        EXPECT_EQ(pixels.At(2, top1 + 5), kEntryLeft[2]);
        EXPECT_TRUE(Find(pixels, actions, linkInk(linkSelected)).empty());
        EXPECT_FALSE(Find(pixels, actions, linkInk(RGB(11, 91, 152))).empty());
    }
    // Without row pictures a selected row keeps the plain background.
    list->SetColor(CListEx::RowBack, RGB(240, 250, 255));
    list->SetDrawFlags(0);
    ::SetFocus(list->m_hWnd);
    {
        const WindowPixels pixels(list->m_hWnd);
        EXPECT_EQ(pixels.At(300, top1 + 5), RGB(240, 250, 255));
        EXPECT_EQ(pixels.At(300, top0 + 3), RGB(240, 250, 255));
    }
}

TEST_F(ListPaint, EraseFollowsTheDrawingFlags)
{
    const RECT rc = list->GetClientRect();
    CClientDC screen(nullptr);
    CMemDC mem(::CreateCompatibleDC(screen.Get()));
    CBitmap target(::CreateCompatibleBitmap(screen.Get(), rc.right, rc.bottom));
    CSelectObject select(mem.Get(), target.Get());
    const COLORREF untouched = RGB(1, 2, 3);
    auto erase = [&](DWORD flags) {
        CBrush brush(::CreateSolidBrush(untouched));
        ::FillRect(mem.Get(), &rc, brush.Get());
        list->SetDrawFlags(flags);
        return list->SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(mem.Get()));
    };

    EXPECT_EQ(erase(1), 0) << "no erase picture: not erased";
    EXPECT_EQ(::GetPixel(mem.Get(), 10, 10), untouched);
    EXPECT_EQ(erase(16), 1);
    EXPECT_EQ(::GetPixel(mem.Get(), 10, 10), untouched);
    EXPECT_EQ(erase(14), 1);
    EXPECT_EQ(::GetPixel(mem.Get(), 10, 10), kListBack);
    EXPECT_EQ(::GetPixel(mem.Get(), rc.right - 1, rc.bottom - 1), kListBack);
    list->SetEraseBitmap(paneBack.Get());
    EXPECT_EQ(erase(1 | 16), 1);
    EXPECT_EQ(::GetPixel(mem.Get(), 10, 10), kPaneBack);
    EXPECT_EQ(::GetPixel(mem.Get(), rc.right - 1, rc.bottom - 1), kPaneBack) << "stretched over the whole list";

    // On the screen: below the rows the erase picture.
    list->SetDrawFlags(1 | 2 | 8);
    AddEntry(*list, L"Editor", L"");
    const WindowPixels pixels(list->m_hWnd);
    EXPECT_EQ(pixels.At(300, 400), kPaneBack);
    EXPECT_EQ(pixels.At(300, Label(*list, 0).top + 3), kEntryMid[0]);
}

TEST_F(ListPaint, FitTextWithTheRealFont)
{
    const std::wstring name = L"Quillset Office Suite";
    const int w = TextWidth(font.Get(), name);
    EXPECT_EQ(list->FitText(name, RECT{10, 0, 10 + w, 20}), name);

    const std::wstring shortened = list->FitText(name, RECT{10, 0, 10 + w - 1, 20});
    ASSERT_GT(shortened.size(), 3u);
    ASSERT_EQ(shortened.substr(shortened.size() - 3), L"...");
    const std::wstring rest = shortened.substr(0, shortened.size() - 3);
    EXPECT_EQ(name.substr(0, rest.size()), rest);
    const int ellipsis = TextWidth(font.Get(), L"...");
    EXPECT_LE(TextWidth(font.Get(), rest) + ellipsis, w - 1);
    EXPECT_GT(TextWidth(font.Get(), name.substr(0, rest.size() + 1)) + ellipsis, w - 1)
        << "no more characters are taken off than needed";

    EXPECT_EQ(list->FitText(L"W", RECT{0, 0, 1, 20}), L"W...");
    EXPECT_EQ(list->FitText(L"", RECT{0, 0, 0, 20}), L"");
}

TEST_F(ListPaint, LongNamesAreShortenedOnTheScreen)
{
    AddEntry(*list, L"An Exceedingly Long Package Name That Cannot Fit", L"");
    const WindowPixels pixels(list->m_hWnd);
    const RECT label = Label(*list, 0);
    const auto name = ExtentOf(Find(pixels, RECT{label.left, label.top, label.right, label.bottom}, Ink()));
    ASSERT_GE(name.right, name.left);
    EXPECT_LT(name.right, label.right - 20) << "the name ends inside its box";
    EXPECT_GT(name.right, label.right - 40);
}

TEST_F(ListPaint, RepaintsReleaseWhatTheyCreate)
{
    AddHeader(*list, L"Tools");
    for (int i = 0; i < 6; ++i)
        AddEntry(*list, L"Entry " + std::to_wstring(i), i % 2 ? L"" : L"with a description");
    list->SetItemState(2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ::RedrawWindow(list->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    const RECT label = Label(*list, 1);
    MoveTo(*list, label.right + 150, label.top + 22);
    testing_support::PumpMessages();

    const DWORD before = testing_support::GdiObjectCount();
    for (int i = 0; i < 100; ++i) {
        ::RedrawWindow(list->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        MoveTo(*list, label.right + 150 + i % 30, label.top + 22);
        list->FitText(L"a name that is long", RECT{0, 0, 30, 20});
    }
    testing_support::PumpMessages();
    EXPECT_EQ(testing_support::GdiObjectCount(), before);
}

} // namespace
