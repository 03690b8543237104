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

Layout ComputeLayout(const RECT& client, const ButtonSizes& buttons) noexcept
{
    const int L = client.left;
    const int R = client.right;
    const int B = client.bottom;
    const int W = client.right - client.left;
    Layout layout;
    layout.bodyTop = client.top + kBodyTop;

    const int bottomEdge = B - 21;
    layout.selectAll = At(L + 183, bottomEdge - buttons.selectAll.cy, buttons.selectAll);
    layout.options = EndingAt(R - 11, bottomEdge - buttons.options.cy, buttons.options);
    layout.install = EndingAt(layout.options.left, bottomEdge - buttons.install.cy, buttons.install);
    layout.save = EndingAt(layout.install.left - 8, bottomEdge - buttons.save.cy, buttons.save);
    layout.bodyBottom = layout.install.top - 15;

    layout.help = EndingAt(W - 10, 38, buttons.help);
    layout.homepage = EndingAt(W - buttons.help.cx - 20, 38, buttons.homepage);

    layout.pane = RECT{L + 6, layout.bodyTop, L + 6 + kPaneWidth, layout.bodyBottom};
    layout.list = RECT{L + 167, layout.bodyTop, R - 11, layout.bodyBottom};
    return layout;
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

std::vector<RECT> FrameStrips(const RECT& client, const Layout& layout)
{
    const int L = client.left;
    const int R = client.right;
    const int Y0 = layout.bodyTop;
    const int D = layout.bodyBottom;
    return {RECT{L + 166, Y0 - 5, L + 167, D + 5}, RECT{R - 11, Y0 - 5, R, D + 5}, RECT{L + 167, Y0 - 5, R - 11, Y0},
            RECT{L + 162, D, R - 6, client.bottom}};
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

} // namespace main_layout
