#include "tests/ui/main/link_points.h"

#include "platform/handles.h"
#include "ui/controls/list_geometry.h"
#include "ui/main/main_layout.h"

#include <commctrl.h>

#include <string>

namespace testing_support {

std::vector<POINT> LinkPoints(HFONT hFont, const RECT& label, int sizeWidth, int linkWidth)
{
    CClientDC dc(nullptr);
    CSelectObject select(dc.Get(), hFont);
    auto width = [&](const std::wstring& text) {
        SIZE size{};
        ::GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &size);
        return static_cast<int>(size.cx);
    };
    const std::vector<std::wstring> names{L"手动安装", L"自动安装", L"保存安装包"};
    const std::wstring sep = list_geometry::kLinkSeparator;
    const std::vector<int> widths{width(names[0]), width(names[1]), width(names[2])};
    const int left = label.right + sizeWidth;
    const int group = width(names[0] + sep + names[1] + sep + names[2]);
    const auto lefts = list_geometry::LinkLefts(left, left + linkWidth, group, widths, width(sep));
    const RECT band = list_geometry::NameBand(label);
    const int y = (band.top + band.bottom) / 2;
    std::vector<POINT> points{POINT{lefts[0] - 3, y}};
    for (size_t i = 0; i < lefts.size(); ++i)
        points.push_back(POINT{lefts[i] + widths[i] / 2, y});
    return points;
}

std::vector<POINT> ProgramLinkPoints(HWND hList, int nRow)
{
    CClientDC screen(nullptr);
    const CFont font(::CreateFontW(-::MulDiv(9, ::GetDeviceCaps(screen.Get(), LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL,
                                   FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
    auto width = [&](int col) { return static_cast<int>(::SendMessageW(hList, LVM_GETCOLUMNWIDTH, col, 0)); };
    const int height = main_layout::kEntryRowHeight;
    const RECT label{0, nRow * height, width(0), (nRow + 1) * height};
    return LinkPoints(font.Get(), label, width(1), width(2));
}

void ClickRemote(HWND hWnd, POINT pt, bool bAsks)
{
    const LPARAM lp = MAKELPARAM(pt.x, pt.y);
    ::SendMessageW(hWnd, WM_MOUSEMOVE, 0, lp);
    ::SendMessageW(hWnd, WM_LBUTTONDOWN, MK_LBUTTON, lp);
    if (bAsks)
        ::PostMessageW(hWnd, WM_LBUTTONUP, 0, lp);
    else
        ::SendMessageW(hWnd, WM_LBUTTONUP, 0, lp);
}

void RightClickRemote(HWND hWnd, POINT pt)
{
    const LPARAM lp = MAKELPARAM(pt.x, pt.y);
    ::PostMessageW(hWnd, WM_MOUSEMOVE, 0, lp);
    ::PostMessageW(hWnd, WM_RBUTTONDOWN, MK_RBUTTON, lp);
    ::PostMessageW(hWnd, WM_RBUTTONUP, 0, lp);
}

} // namespace testing_support
