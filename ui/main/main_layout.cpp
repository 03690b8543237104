#include "ui/main/main_layout.h"

#include <algorithm>
#include <cstdio>

namespace main_layout {

namespace {

RECT At(int left, int top, Size size) noexcept
{
    return RECT{left, top, left + size.cx, top + size.cy};
}

RECT EndingAt(int right, int top, Size size) noexcept
{
    return RECT{right - size.cx, top, right, top + size.cy};
}

std::wstring Format(const wchar_t* pszFormat, const std::wstring& name, int count)
{
    std::wstring text(name.size() + 32, L'\0');
    const int n = std::swprintf(text.data(), text.size(), pszFormat, name.c_str(), count);
    text.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return text;
}

} // namespace

ButtonSizes ButtonSizesAt(const dpi::Scale& scale) noexcept
{
    auto at = [&](int cx, int cy) { return Size{scale.Px(cx), scale.Px(cy)}; };
    return ButtonSizes{at(140, 24), at(106, 24), at(106, 24), at(16, 24), at(96, 23), at(96, 23)};
}

Layout ComputeLayout(const RECT& client, const ButtonSizes& buttons, const dpi::Scale& scale) noexcept
{
    const int L = client.left;
    const int R = client.right;
    const int B = client.bottom;
    const int W = client.right - client.left;
    Layout layout;
    layout.bodyTop = client.top + scale.Px(kBodyTop);

    const int bottomEdge = B - scale.Px(21);
    layout.selectAll = At(L + scale.Px(183), bottomEdge - buttons.selectAll.cy, buttons.selectAll);
    layout.options = EndingAt(R - scale.Px(11), bottomEdge - buttons.options.cy, buttons.options);
    layout.install = EndingAt(layout.options.left, bottomEdge - buttons.install.cy, buttons.install);
    layout.save = EndingAt(layout.install.left - scale.Px(8), bottomEdge - buttons.save.cy, buttons.save);
    layout.bodyBottom = layout.install.top - scale.Px(15);
    // The count takes what lies between the select-all box and the save
    // button, never less than nothing.
    const int gap = scale.Px(8);
    layout.count = RECT{layout.selectAll.right + gap, layout.selectAll.top,
                        std::max(static_cast<int>(layout.selectAll.right + gap), static_cast<int>(layout.save.left - gap)), layout.selectAll.bottom};

    const int top = scale.Px(38);
    layout.help = EndingAt(W - scale.Px(10), top, buttons.help);
    layout.homepage = EndingAt(layout.help.left - scale.Px(10), top, buttons.homepage);

    const int paneLeft = L + scale.Px(6);
    layout.pane = RECT{paneLeft, layout.bodyTop, paneLeft + scale.Px(kPaneWidth), layout.bodyBottom};
    // One pixel between the pane and the list at every scale.
    // The search row stands over the list, which starts below it.
    const int listLeft = layout.pane.right + 1;
    const int searchBottom = layout.bodyTop + scale.Px(kSearchHeight);
    layout.searchLabel = RECT{listLeft, layout.bodyTop, listLeft + scale.Px(kSearchLabelWidth), searchBottom};
    layout.search = RECT{layout.searchLabel.right, layout.bodyTop, std::max(static_cast<int>(layout.searchLabel.right), R - scale.Px(11)),
                         searchBottom};
    layout.list = RECT{listLeft, searchBottom + scale.Px(kSearchGap), R - scale.Px(11), layout.bodyBottom};
    return layout;
}

Size WindowSize(int mainWidth, int mainHeight, const dpi::Scale& scale) noexcept
{
    return Size{scale.Px(std::max(mainWidth, kMinWidth)), scale.Px(std::max(mainHeight, kMinHeight))};
}

Size MinimumSize(const dpi::Scale& scale) noexcept
{
    return WindowSize(0, 0, scale);
}

Size OpeningSize(Size remembered, Size least, Size workArea, const dpi::Scale& scale) noexcept
{
    auto side = [&](int n, int nLeast, int nWork) {
        const int px = scale.Px(n);
        return std::max(nLeast, nWork > 0 ? std::min(px, nWork) : px);
    };
    return Size{side(remembered.cx, least.cx, workArea.cx), side(remembered.cy, least.cy, workArea.cy)};
}

int MeasuredColumnWidth(int least, int textWidth, const dpi::Scale& scale) noexcept
{
    return std::max(scale.Px(least), textWidth + scale.Px(kColumnPadding));
}

int PaneOverflow(const Layout& layout, int paneRows, int paneRowHeight) noexcept
{
    return paneRows * paneRowHeight - (layout.bodyBottom - layout.bodyTop);
}

int GrownHeight(int wanted, int workHeight) noexcept
{
    return workHeight > 0 ? std::min(wanted, workHeight) : wanted;
}

int PaneColumnWidth(const Layout& layout, int paneRows, int paneRowHeight, int scrollBarWidth) noexcept
{
    const int width = layout.pane.right - layout.pane.left;
    return PaneOverflow(layout, paneRows, paneRowHeight) > 0 ? width - scrollBarWidth : width;
}

int NameColumnWidth(const Layout& layout, int otherColumns, int rows, int rowHeight, int scrollBarWidth) noexcept
{
    const int width = layout.list.right - layout.list.left - otherColumns - 1;
    const int height = layout.list.bottom - layout.list.top;
    return rows * rowHeight + 2 > height ? width - scrollBarWidth : width;
}

std::vector<RECT> FrameStrips(const RECT& client, const Layout& layout, const dpi::Scale& scale)
{
    const int R = client.right;
    const int Y0 = layout.list.top;
    const int D = layout.bodyBottom;
    const int left = layout.list.left;
    const int right = layout.list.right;
    const int o = scale.Px(kFrameOverhang);
    return {RECT{left - 1, Y0 - o, left, D + o}, RECT{right, Y0 - o, R, D + o}, RECT{left, Y0 - o, right, Y0},
            RECT{left - o, D, right + o, client.bottom}, RECT{left - o, layout.bodyTop, right + o, Y0 - o}};
}

std::wstring SizeText(unsigned long long bytes)
{
    wchar_t text[64] = {};
    std::swprintf(text, 64, L"%.2f MB", static_cast<double>(bytes) / 1048576.0);
    return text;
}

std::wstring PaneRowText(const std::wstring& name, int count)
{
    return Format(L"%ls(%d)", name, count);
}

std::wstring HeaderRowText(const std::wstring& name, int count)
{
    return Format(L"%ls (%d款)", name, count);
}

std::wstring SelectionCountText(int count, unsigned long long bytes)
{
    return L"已选 " + std::to_wstring(count) + L" 款, 共 " + SizeText(bytes);
}

} // namespace main_layout
