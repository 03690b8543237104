#include "ui/controls/list_geometry.h"

#include <algorithm>

namespace list_geometry {

namespace {

// A row's label and icon rectangles as the painting uses them: both start
// 5 pixels (at 96 DPI) further left than the list view reports.
RECT WidenLeft(const RECT& rc, const dpi::Scale& scale) noexcept
{
    return RECT{rc.left - scale.Px(5), rc.top, rc.right, rc.bottom};
}

void MoveRight(RECT& rc, int dx) noexcept
{
    rc.left += dx;
    rc.right += dx;
}

// The common rectangles of an entry row before any mode moves them.
EntryRowLayout BaseRow(const RECT& bounds, const RECT& label, const RECT& icon, bool twoLine, const dpi::Scale& scale) noexcept
{
    EntryRowLayout row;
    row.scale = scale;
    row.bounds = RECT{0, bounds.top, bounds.right, bounds.bottom};
    row.label = WidenLeft(label, scale);
    row.icon = WidenLeft(icon, scale);
    row.height = row.label.bottom - row.label.top;
    if (twoLine)
        row.text = NameBand(row.label, scale);
    else
        row.text = RECT{row.label.left, row.label.top + 1, row.label.right, row.label.bottom};
    row.text.left += scale.Px(6);
    row.desc = DescriptionBand(row.label, scale);
    row.desc.left += scale.Px(6);
    return row;
}

} // namespace

RECT NameBand(const RECT& label, const dpi::Scale& scale) noexcept
{
    const int half = (label.bottom - label.top) / 2;
    return RECT{label.left, label.top + half - scale.Px(kBandHeight), label.right, label.bottom - half};
}

RECT DescriptionBand(const RECT& label, const dpi::Scale& scale) noexcept
{
    const int half = (label.bottom - label.top) / 2;
    return RECT{label.left, label.top + half, label.right, label.bottom - half + scale.Px(kBandHeight)};
}

bool Contains(const RECT& rc, int x, int y) noexcept
{
    return x >= rc.left && x < rc.right && y >= rc.top && y < rc.bottom;
}

EntryRowLayout EntryRow(const RECT& bounds, const RECT& label, const RECT& icon, bool twoLine, bool shifted,
                        const dpi::Scale& scale) noexcept
{
    EntryRowLayout row = BaseRow(bounds, label, icon, twoLine, scale);
    int checkOffset = 1;
    if (shifted) {
        // The icon moves by what the check box takes; the texts stay 12
        // pixels right of the icon.
        MoveRight(row.text, scale.Px(40));
        MoveRight(row.desc, scale.Px(40));
        MoveRight(row.icon, scale.Px(28));
        checkOffset = scale.Px(28);
    }
    row.check = POINT{row.icon.left - checkOffset, row.label.top + (row.height - scale.Px(kCheckSize)) / 2 - 1};
    row.image = POINT{row.icon.left, row.label.top + (row.height - scale.Px(kIconSize)) / 2 - 1};
    return row;
}

EntryRowLayout PaneRow(const RECT& bounds, const RECT& label, const RECT& icon, bool twoLine,
                       const dpi::Scale& scale) noexcept
{
    EntryRowLayout row = BaseRow(bounds, label, icon, twoLine, scale);
    row.text.left = (row.icon.right - row.icon.left) + scale.Px(28);
    row.image = POINT{scale.Px(22), row.label.top + (row.height - scale.Px(kIconSize)) / 2};
    return row;
}

RECT HeaderTitleBox(const RECT& label, const RECT& icon, bool shifted, const dpi::Scale& scale) noexcept
{
    const EntryRowLayout row = BaseRow(RECT{}, label, icon, false, scale);
    RECT box = row.text;
    if (shifted)
        MoveRight(box, row.icon.left + scale.Px(18) - box.left);
    else
        box.left = row.icon.left;
    box.top += scale.Px(2);
    box.bottom += scale.Px(2);
    return box;
}

RECT NameBox(const EntryRowLayout& row) noexcept
{
    return RECT{row.text.left, row.text.top, row.label.right - row.scale.Px(20), row.text.bottom};
}

RECT DescriptionBox(const EntryRowLayout& row) noexcept
{
    RECT box{row.desc.left, row.desc.top, row.bounds.right - row.scale.Px(20), row.desc.bottom};
    if (row.label.right < row.icon.right)
        box.left = row.label.right + row.scale.Px(6);
    return box;
}

RECT CellTextBox(int cellLeft, int cellRight, const RECT& text, const dpi::Scale& scale) noexcept
{
    return RECT{cellLeft + scale.Px(6), text.top, cellRight - scale.Px(6), text.bottom};
}

ThreePieces BackgroundPieces(const RECT& bounds, int leftWidth, int rightWidth) noexcept
{
    ThreePieces pieces;
    pieces.left = RECT{bounds.left, bounds.top, bounds.left + leftWidth, bounds.bottom};
    pieces.right = RECT{bounds.right - rightWidth, bounds.top, bounds.right, bounds.bottom};
    pieces.middle = RECT{bounds.left + leftWidth, bounds.top, bounds.right - rightWidth, bounds.bottom};
    return pieces;
}

std::pair<int, int> SingleLinkSpan(int cellLeft, int cellRight, int textWidth) noexcept
{
    const int d = (cellRight - cellLeft) / 2 - textWidth / 2;
    return {cellLeft + d, cellRight - d};
}

std::vector<int> LinkLefts(int cellLeft, int cellRight, int groupWidth, const std::vector<int>& linkWidths,
                           int separatorWidth)
{
    std::vector<int> lefts;
    lefts.reserve(linkWidths.size());
    int x = cellLeft + (cellRight - cellLeft - groupWidth) / 2;
    for (int w : linkWidths) {
        lefts.push_back(x);
        x += w + separatorWidth;
    }
    return lefts;
}

std::vector<RECT> LinkRects(DWORD kind, int cellLeft, int cellRight, const RECT& text, int groupWidth,
                            const std::vector<int>& linkWidths, int separatorWidth)
{
    std::vector<RECT> rects;
    if (kind == kColumnLink) {
        const auto [left, right] = SingleLinkSpan(cellLeft, cellRight, groupWidth);
        rects.push_back(RECT{left, text.top, right, text.bottom});
        return rects;
    }
    const std::vector<int> lefts = LinkLefts(cellLeft, cellRight, groupWidth, linkWidths, separatorWidth);
    for (size_t i = 0; i < lefts.size(); ++i)
        rects.push_back(RECT{lefts[i], text.top, lefts[i] + linkWidths[i], text.bottom});
    return rects;
}

int LinkAt(int x, int y, const std::vector<RECT>& rects) noexcept
{
    for (size_t i = 0; i < rects.size(); ++i) {
        if (Contains(rects[i], x, y))
            return static_cast<int>(i) + 1;
    }
    return 0;
}

int EntryRowForKey(const std::function<bool(int)>& isHeader, int nCount, int nRow, int nStep)
{
    if (nRow < 0 || nRow >= nCount || nStep == 0)
        return nRow;
    for (int i = nRow; i >= 0 && i < nCount; i += nStep) {
        if (!isHeader(i))
            return i;
    }
    for (int i = nRow - nStep; i >= 0 && i < nCount; i -= nStep) {
        if (!isHeader(i))
            return i;
    }
    return -1;
}

int LinkListIndex(const std::vector<DWORD>& columnKinds, int col) noexcept
{
    int k = 0;
    const int end = std::min(col, static_cast<int>(columnKinds.size()));
    for (int c = 1; c < end; ++c) {
        if (columnKinds[static_cast<size_t>(c)] >= kColumnMultiLink)
            ++k;
    }
    return k;
}

std::pair<int, int> CandidateRows(int y, int firstTop, int rowHeight, int count) noexcept
{
    if (count <= 0)
        return {0, -1};
    if (rowHeight <= 0)
        return {0, count - 1};
    const int offset = y - firstTop;
    // Rounded toward minus infinity, so points above the first row give -1.
    const int index = offset >= 0 ? offset / rowHeight : -((-offset + rowHeight - 1) / rowHeight);
    return {std::max(index - 1, 0), std::min(index + 1, count - 1)};
}

std::wstring FitText(const std::wstring& text, int avail, const std::function<int(const std::wstring&)>& width)
{
    if (text.empty() || width(text) <= avail)
        return text;
    const int ellipsis = width(kEllipsis);
    // The first character may be a surrogate pair; it always stays whole.
    const size_t first = text.size() > 1 && IS_HIGH_SURROGATE(text[0]) && IS_LOW_SURROGATE(text[1]) ? 2 : 1;
    // A prefix never ends on the first half of a surrogate pair.
    auto whole = [&](size_t n) { return n > first && IS_HIGH_SURROGATE(text[n - 1]) ? n - 1 : n; };
    auto fits = [&](size_t n) { return width(text.substr(0, whole(n))) + ellipsis <= avail; };
    // The longest prefix shorter than the text that fits with "...": widths
    // grow with the prefix, so a binary search finds it in a logarithmic
    // number of measurements. None fits: the first character alone.
    size_t lo = first;                // the answer when nothing longer fits
    size_t hi = text.size() - 1;      // the longest prefix that may be taken
    if (hi < lo)
        return text.substr(0, first) + kEllipsis;
    while (lo < hi) {
        const size_t mid = lo + (hi - lo + 1) / 2;
        if (fits(mid))
            lo = mid;
        else
            hi = mid - 1;
    }
    return text.substr(0, whole(lo)) + kEllipsis;
}

int AutoSizeCandidate(int column, int textWidth, int iconRight) noexcept
{
    return column >= 1 ? textWidth + 12 : iconRight + textWidth + 6;
}

bool IsMenuKey(UINT msg, WPARAM key, bool bShiftDown) noexcept
{
    return (msg == WM_KEYUP && key == VK_APPS) || (msg == WM_SYSKEYDOWN && key == VK_F10 && bShiftDown);
}

} // namespace list_geometry
