#include "ui/controls/list_geometry.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace list_geometry;

namespace {

// A row 60 pixels high at y = 120, as an entry list reports it: state image
// 0..18, icon 18..50, label 50..200, row 0..540.
constexpr RECT kBounds{0, 120, 540, 180};
constexpr RECT kLabel{50, 120, 200, 180};
constexpr RECT kIcon{18, 120, 50, 180};

// Every character 7 pixels wide, "..." 9.
int FixedWidth(const std::wstring& s)
{
    return s == L"..." ? 9 : static_cast<int>(s.size()) * 7;
}

TEST(ListGeometry, BandsOfASixtyPixelRowMeetAtItsMiddle)
{
    const RECT name = NameBand(kLabel);
    const RECT desc = DescriptionBand(kLabel);
    EXPECT_EQ(name.top - kLabel.top, 15);
    EXPECT_EQ(name.bottom - kLabel.top, 30);
    EXPECT_EQ(desc.top - kLabel.top, 30);
    EXPECT_EQ(desc.bottom - kLabel.top, 45);
    EXPECT_EQ(name.left, kLabel.left);
    EXPECT_EQ(name.right, kLabel.right);

    // An odd height rounds the half down.
    const RECT odd{0, 0, 100, 61};
    EXPECT_EQ(NameBand(odd).top, 15);
    EXPECT_EQ(NameBand(odd).bottom, 31);
    EXPECT_EQ(DescriptionBand(odd).top, 30);
}

TEST(ListGeometry, EntryRowOnThreePieceBitmapsMovesItsContentsRight)
{
    const EntryRowLayout row = EntryRow(kBounds, kLabel, kIcon, true, true);
    EXPECT_EQ(row.bounds.left, 0);
    EXPECT_EQ(row.label.left, 45);
    EXPECT_EQ(row.icon.left, 13 + 28);
    EXPECT_EQ(row.icon.right, 50 + 28);
    EXPECT_EQ(row.check.x, 13) << "the check box sits 28 pixels left of the moved icon";
    EXPECT_EQ(row.check.y - kLabel.top, 21);
    EXPECT_EQ(row.image.x, 41);
    EXPECT_EQ(row.image.y - kLabel.top, 13);
    EXPECT_EQ(row.text.left, 45 + 6 + 40);
    EXPECT_EQ(row.text.top - kLabel.top, 15);
    EXPECT_EQ(row.text.bottom - kLabel.top, 30);
    EXPECT_EQ(row.desc.left, row.text.left);
    EXPECT_EQ(row.desc.top - kLabel.top, 30);
    EXPECT_EQ(row.desc.bottom - kLabel.top, 45);

    const RECT name = NameBox(row);
    EXPECT_EQ(name.right, kLabel.right - 20);
    const RECT desc = DescriptionBox(row);
    EXPECT_EQ(desc.left, row.desc.left);
    EXPECT_EQ(desc.right, kBounds.right - 20) << "the description runs under the later columns";
}

TEST(ListGeometry, OneLineEntryRowWithoutBitmapsKeepsItsPlaces)
{
    const EntryRowLayout row = EntryRow(kBounds, kLabel, kIcon, false, false);
    EXPECT_EQ(row.icon.left, 13);
    EXPECT_EQ(row.check.x, 12);
    EXPECT_EQ(row.text.left, 51);
    EXPECT_EQ(row.text.top, kLabel.top + 1);
    EXPECT_EQ(row.text.bottom, kLabel.bottom);
}

TEST(ListGeometry, NarrowFirstColumnStartsTheDescriptionBesideIt)
{
    const RECT narrow{50, 120, 60, 180};
    const EntryRowLayout row = EntryRow(kBounds, narrow, kIcon, true, true);
    ASSERT_LT(row.label.right, row.icon.right);
    EXPECT_EQ(DescriptionBox(row).left, 66);
}

TEST(ListGeometry, PaneRowPutsTheIconAtAFixedPlace)
{
    const RECT bounds{0, 52, 160, 104};
    const RECT label{50, 52, 160, 104};
    const RECT icon{18, 52, 50, 104};
    const EntryRowLayout row = PaneRow(bounds, label, icon, false);
    EXPECT_EQ(row.image.x, 22);
    EXPECT_EQ(row.image.y - label.top, 10);
    EXPECT_EQ(row.text.left, (50 - 13) + 28);
    EXPECT_EQ(row.text.top, label.top + 1);
    EXPECT_EQ(row.text.bottom, label.bottom);
}

TEST(ListGeometry, HeaderTitleBox)
{
    const RECT shifted = HeaderTitleBox(kLabel, kIcon, true);
    EXPECT_EQ(shifted.left, 13 + 18);
    EXPECT_EQ(shifted.right - shifted.left, kLabel.right - (kLabel.left - 5 + 6)) << "moved, width kept";
    EXPECT_EQ(shifted.top, kLabel.top + 3);
    EXPECT_EQ(shifted.bottom, kLabel.bottom + 2);

    const RECT plain = HeaderTitleBox(kLabel, kIcon, false);
    EXPECT_EQ(plain.left, 13);
    EXPECT_EQ(plain.right, kLabel.right);
}

TEST(ListGeometry, LinksAreCentredAsOneGroupAndFoundByPoint)
{
    // Three links 30, 20 and 40 wide, four blanks 12 wide: the group is 124.
    const std::vector<int> widths{30, 20, 40};
    const auto lefts = LinkLefts(300, 480, 124, widths, 12);
    ASSERT_EQ(lefts.size(), 3u);
    EXPECT_EQ(lefts[0], 300 + (180 - 124) / 2);
    EXPECT_EQ(lefts[1], lefts[0] + 30 + 12);
    EXPECT_EQ(lefts[2], lefts[1] + 20 + 12);

    // The links answer over the rectangle they are drawn in: the name band of
    // a row with a description, the whole one-line box of a row without.
    struct Row {
        bool twoLine;
        int top;    // of the drawn text box, from the label's top
        int bottom;
    };
    for (const Row& r : {Row{true, 15, 30}, Row{false, 1, 60}}) {
        const RECT text = EntryRow(kBounds, kLabel, kIcon, r.twoLine, true).text;
        const auto rects = LinkRects(4, 300, 480, text, 124, widths, 12);
        ASSERT_EQ(rects.size(), 3u);
        for (size_t i = 0; i < rects.size(); ++i) {
            EXPECT_EQ(rects[i].left, lefts[i]);
            EXPECT_EQ(rects[i].right, lefts[i] + widths[i]);
            EXPECT_EQ(rects[i].top - kLabel.top, r.top);
            EXPECT_EQ(rects[i].bottom - kLabel.top, r.bottom);
        }
        const int middle = kLabel.top + (r.top + r.bottom) / 2;
        const int lower = kLabel.top + (r.top + 3 * r.bottom) / 4;
        EXPECT_EQ(LinkAt(lefts[0], middle, rects), 1) << r.twoLine;
        EXPECT_EQ(LinkAt(lefts[0] + 29, lower, rects), 1) << r.twoLine;
        EXPECT_EQ(LinkAt(lefts[0] + 30, middle, rects), 0) << "between two links";
        EXPECT_EQ(LinkAt(lefts[1] + 10, lower, rects), 2) << r.twoLine;
        EXPECT_EQ(LinkAt(lefts[2] + 39, middle, rects), 3) << r.twoLine;
        EXPECT_EQ(LinkAt(lefts[2] + 40, middle, rects), 0);
        EXPECT_EQ(LinkAt(lefts[1] + 10, kLabel.top + r.top - 1, rects), 0) << "above the text";
        EXPECT_EQ(LinkAt(lefts[1] + 10, kLabel.top + r.bottom, rects), 0) << "below the text";

        // A single link, as wide as its text, centred in its cell.
        const auto single = LinkRects(1, 300, 481, text, 51, {}, 12);
        ASSERT_EQ(single.size(), 1u);
        EXPECT_EQ(single[0].left, 300 + 90 - 25);
        EXPECT_EQ(single[0].top, text.top);
        EXPECT_EQ(single[0].bottom, text.bottom);
    }

    const auto [left, right] = SingleLinkSpan(300, 481, 51);
    EXPECT_EQ(left, 300 + 90 - 25);
    EXPECT_EQ(right, 481 - 65);
}

TEST(ListGeometry, LinkListIndexCountsEarlierMultiLinkColumns)
{
    const std::vector<DWORD> kinds{0, 3, 1, 2, 0, 4};
    EXPECT_EQ(LinkListIndex(kinds, 1), 0);
    EXPECT_EQ(LinkListIndex(kinds, 3), 1);
    EXPECT_EQ(LinkListIndex(kinds, 5), 2);
    EXPECT_EQ(LinkListIndex(kinds, 9), 3) << "columns beyond the kinds count nothing";
}

TEST(ListGeometry, CandidateRowsSurroundThePoint)
{
    EXPECT_EQ(CandidateRows(130, 0, 60, 100), std::make_pair(1, 3));
    EXPECT_EQ(CandidateRows(120, 0, 60, 100), std::make_pair(1, 3)) << "a shared edge keeps the upper row";
    EXPECT_EQ(CandidateRows(5, 0, 60, 100), std::make_pair(0, 1));
    EXPECT_EQ(CandidateRows(-5, 0, 60, 100), std::make_pair(0, 0));
    EXPECT_LT(CandidateRows(-500, 0, 60, 100).second, 0) << "far above: no row";
    EXPECT_EQ(CandidateRows(6000, 0, 60, 100), std::make_pair(99, 99));
    EXPECT_EQ(CandidateRows(100, -600, 60, 100), std::make_pair(10, 12)) << "scrolled";
    EXPECT_GT(CandidateRows(0, 0, 60, 0).first, CandidateRows(0, 0, 60, 0).second);
}

TEST(ListGeometry, FitTextShortensFromTheEnd)
{
    EXPECT_EQ(FitText(L"", 0, FixedWidth), L"");
    EXPECT_EQ(FitText(L"abcdef", 42, FixedWidth), L"abcdef") << "fits exactly";
    // 41 pixels: "abc" (21) + "..." (9) = 30 fits, "abcd" + "..." = 37 fits.
    EXPECT_EQ(FitText(L"abcdef", 41, FixedWidth), L"abcd...");
    EXPECT_EQ(FitText(L"abcdef", 37, FixedWidth), L"abcd...");
    EXPECT_EQ(FitText(L"abcdef", 36, FixedWidth), L"abc...");
    EXPECT_EQ(FitText(L"abcdef", 3, FixedWidth), L"a...") << "the first character stays";
    EXPECT_EQ(FitText(L"a", 3, FixedWidth), L"a...");

    // A surrogate pair is never cut in half.
    const std::wstring pairs = L"x\xD83D\xDE00\xD83D\xDE00";
    EXPECT_EQ(FitText(pairs, 25, FixedWidth), L"x...");
    const std::wstring fitted = FitText(pairs, 30, FixedWidth);
    EXPECT_EQ(fitted, std::wstring(L"x\xD83D\xDE00") + L"...");
    EXPECT_EQ(FitText(L"\xD83D\xDE00y", 1, FixedWidth), std::wstring(L"\xD83D\xDE00") + L"...");

    // 4,095 characters are fitted with a logarithmic number of measurements,
    // to what removing one character after the other gave.
    const std::wstring text(4095, L'w');
    for (const int avail : {0, 100, 14000, 28664}) {
        int measured = 0;
        auto counted = [&](const std::wstring& s) {
            ++measured;
            return FixedWidth(s);
        };
        const size_t kept = std::clamp<size_t>(static_cast<size_t>(std::max(0, avail - 9) / 7), 1, text.size() - 1);
        EXPECT_EQ(FitText(text, avail, counted), text.substr(0, kept) + L"...") << avail;
        EXPECT_LE(measured, 16) << avail;
    }
}

} // namespace

namespace {

// A row of an entry list at a scale, as the list view reports it for rows
// Px(60) high with Px(16) check boxes and Px(32) icons.
EntryRowLayout ScaledRow(const dpi::Scale& s, bool twoLine)
{
    const int top = s.Px(120);
    const RECT bounds{0, top, s.Px(540), top + s.Px(60)};
    const RECT icon{s.Px(18), top, s.Px(50), top + s.Px(60)};
    const RECT label{s.Px(50), top, s.Px(200), top + s.Px(60)};
    return EntryRow(bounds, label, icon, twoLine, true, s);
}

// Everything a row places grows with the scale: the 60-pixel row's worked
// offsets at every scale, the name's band ending where the description's
// begins, the check box and icon centred on the row and clear of the texts.
TEST(ListGeometry, RowsAtEveryScale)
{
    for (int n : {96, 120, 144, 168, 192}) {
        const dpi::Scale s{n};
        const EntryRowLayout row = ScaledRow(s, true);
        const int top = row.label.top;
        // The bands meet at the middle; an odd height gives each band the
        // middle pixel.
        const int odd = s.Px(60) % 2;
        EXPECT_EQ(row.text.bottom - odd, row.desc.top) << n;
        EXPECT_EQ(row.text.bottom - row.text.top, s.Px(15) + odd) << n;
        EXPECT_EQ(row.desc.bottom - row.desc.top, s.Px(15) + odd) << n;
        EXPECT_EQ(row.desc.top - top, s.Px(60) / 2) << n;
        EXPECT_EQ(row.label.left, s.Px(50) - s.Px(5)) << n;
        EXPECT_EQ(row.icon.left, s.Px(18) - s.Px(5) + s.Px(28)) << n;
        EXPECT_EQ(row.check.x, s.Px(18) - s.Px(5)) << n;
        EXPECT_EQ(row.check.y - top, (s.Px(60) - s.Px(16)) / 2 - 1) << n;
        EXPECT_EQ(row.image.y - top, (s.Px(60) - s.Px(32)) / 2 - 1) << n;
        // The check box ends before the icon, the icon before the texts.
        EXPECT_LE(row.check.x + s.Px(16), row.image.x) << n;
        EXPECT_LT(row.image.x + s.Px(32), row.text.left) << n;
        EXPECT_EQ(row.text.left, s.Px(50) - s.Px(5) + s.Px(6) + s.Px(40)) << n;
        EXPECT_EQ(NameBox(row).right, s.Px(200) - s.Px(20)) << n;
        EXPECT_EQ(DescriptionBox(row).right, s.Px(540) - s.Px(20)) << n;
        const RECT cell = CellTextBox(s.Px(200), s.Px(300), row.text, s);
        EXPECT_EQ(cell.left, s.Px(206)) << n;
        EXPECT_EQ(cell.right, s.Px(300) - s.Px(6)) << n;
        // A one-line row is centred from a pixel under its top.
        EXPECT_EQ(ScaledRow(s, false).text.top - top, 1) << n;

        const RECT paneLabel{s.Px(37), 0, s.Px(160), s.Px(52)};
        const RECT paneIcon{s.Px(5), 0, s.Px(37), s.Px(52)};
        const EntryRowLayout pane = PaneRow(RECT{0, 0, s.Px(160), s.Px(52)}, paneLabel, paneIcon, false, s);
        EXPECT_EQ(pane.image.x, s.Px(22)) << n;
        EXPECT_EQ(pane.image.y, (s.Px(52) - s.Px(32)) / 2) << n;
        EXPECT_EQ(pane.text.left, paneIcon.right - paneIcon.left + s.Px(5) + s.Px(28)) << n;
        EXPECT_LT(pane.image.x + s.Px(32), pane.text.left) << n;

        const RECT title = HeaderTitleBox(RECT{s.Px(50), 0, s.Px(200), s.Px(60)}, RECT{s.Px(18), 0, s.Px(50), s.Px(60)},
                                          true, s);
        EXPECT_EQ(title.left, s.Px(18) - s.Px(5) + s.Px(18)) << n;
        EXPECT_EQ(title.top, 1 + s.Px(2)) << n;
    }
}

} // namespace
