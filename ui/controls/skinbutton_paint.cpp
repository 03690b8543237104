// How the owner-drawn button paints: the drawing pipeline and its five
// hooks, and the captured parent background.
#include "ui/controls/SkinButton.h"

#include "ui/controls/focus_cue.h"

#include <initializer_list>
#include <vector>

using namespace button_drawing;

namespace {

LONG Width(const RECT& rc) noexcept
{
    return rc.right - rc.left;
}

LONG Height(const RECT& rc) noexcept
{
    return rc.bottom - rc.top;
}

// Fills a rectangle given by a corner and a signed size with one colour.
void FillSolid(HDC hDC, LONG x, LONG y, LONG cx, LONG cy, COLORREF cr) noexcept
{
    RECT rc{x, y, x + cx, y + cy};
    if (rc.left > rc.right)
        std::swap(rc.left, rc.right);
    if (rc.top > rc.bottom)
        std::swap(rc.top, rc.bottom);
    CBrush brush(::CreateSolidBrush(cr));
    ::FillRect(hDC, &rc, brush.Get());
}

// A one-pixel 3D frame: top and left edges in one colour, bottom and right
// edges in the other.
void Draw3dRect(HDC hDC, const RECT& rc, COLORREF crTopLeft, COLORREF crBottomRight) noexcept
{
    const LONG x = rc.left;
    const LONG y = rc.top;
    const LONG cx = Width(rc);
    const LONG cy = Height(rc);
    FillSolid(hDC, x, y, cx - 1, 1, crTopLeft);
    FillSolid(hDC, x, y, 1, cy - 1, crTopLeft);
    FillSolid(hDC, x + cx, y, -1, cy, crBottomRight);
    FillSolid(hDC, x, y + cy, cx, -1, crBottomRight);
}

void FrameWithColor(HDC hDC, const RECT& rc, COLORREF cr) noexcept
{
    CBrush brush(::CreateSolidBrush(cr));
    ::FrameRect(hDC, &rc, brush.Get());
}

// One or more connected line segments in a one-pixel pen.
void Polyline(HDC hDC, COLORREF cr, std::initializer_list<POINT> points) noexcept
{
    CPen pen(::CreatePen(PS_SOLID, 1, cr));
    CSelectObject select(hDC, pen.Get());
    auto it = points.begin();
    ::MoveToEx(hDC, it->x, it->y, nullptr);
    for (++it; it != points.end(); ++it)
        ::LineTo(hDC, it->x, it->y);
}

} // namespace

// --- Drawing -----------------------------------------------------------------

void CSkinButton::DrawItem(const DRAWITEMSTRUCT& dis)
{
    const BOOL bPressed = IsPressed(dis.itemState, m_bCheckMode, m_nChecked, static_cast<bool>(m_hDropMenu),
                                    m_bMenuShown);
    m_bPressed = bPressed;
    m_bFocused = (dis.itemState & ODS_FOCUS) ? TRUE : FALSE;
    m_bDisabled = (dis.itemState & ODS_DISABLED) ? TRUE : FALSE;

    HDC hDC = dis.hDC;
    RECT rcPaint = dis.rcItem;
    ::SetBkMode(hDC, TRANSPARENT);
    if (m_bCopyParentBack)
        CaptureParentBackground(hDC);
    else
        PaintBackground(hDC, rcPaint);
    PaintBorder(hDC, rcPaint);

    const std::wstring caption = m_paintedText ? *m_paintedText : GetWindowText();
    const BOOL bHasCaption = caption.empty() ? FALSE : TRUE;
    RECT rcCaption = dis.rcItem;
    if (m_icons[0].hIcon)
        PaintIcon(hDC, bHasCaption, dis.rcItem, rcCaption, bPressed, m_bDisabled);
    if (m_bitmaps[0].hBitmap) {
        ::SetBkColor(hDC, RGB(255, 255, 255));
        PaintBitmap(hDC, bHasCaption, dis.rcItem, rcCaption, bPressed, m_bDisabled);
    }
    if (bHasCaption)
        PaintText(hDC, caption, dis.rcItem, rcCaption, bPressed, m_bDisabled);

    // Every button shows the keyboard focus, flat or not, over its images.
    if (m_bFocused && focus_cue::Shown(m_hWnd))
        focus_cue::Draw(hDC, rcPaint);
}

int CSkinButton::PaintBackground(HDC hDC, RECT& rc)
{
    if (!m_bFlat && (m_bFocused || m_bDefault)) {
        FrameWithColor(hDC, rc, RGB(0, 0, 0));
        ::InflateRect(&rc, -1, -1);
    }
    CBrush brush(::CreateSolidBrush(m_crColors[BackgroundSlot(m_bMouseOver, m_bPressed, m_bFocused)]));
    ::FillRect(hDC, &rc, brush.Get());
    return 0;
}

int CSkinButton::PaintBorder(HDC hDC, RECT& rc)
{
    const COLORREF crHighlight = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF crShadow = ::GetSysColor(COLOR_BTNSHADOW);
    if (m_bPressed) {
        if (!m_bFlat)
            FrameWithColor(hDC, rc, crShadow);
        else if (m_bBorder)
            Draw3dRect(hDC, rc, crShadow, crHighlight);
        return 0;
    }
    if (m_bFlat) {
        if (m_bMouseOver && m_bBorder)
            Draw3dRect(hDC, rc, crHighlight, crShadow);
        return 0;
    }
    const LONG l = rc.left;
    const LONG t = rc.top;
    const LONG r = rc.right;
    const LONG b = rc.bottom;
    Polyline(hDC, crHighlight, {{l, b - 1}, {l, t}, {r, t}});
    Polyline(hDC, ::GetSysColor(COLOR_3DLIGHT), {{l + 1, b - 1}, {l + 1, t + 1}, {r, t + 1}});
    Polyline(hDC, ::GetSysColor(COLOR_3DDKSHADOW), {{l, b - 1}, {r - 1, b - 1}, {r - 1, t - 1}});
    Polyline(hDC, crShadow, {{l + 1, b - 2}, {r - 2, b - 2}, {r - 2, t}});
    return 0;
}

RECT CSkinButton::PlaceImage(BOOL bHasCaption, BOOL bPressed, DWORD dwWidth, DWORD dwHeight, const RECT& rcItem,
                             RECT& rcCaption) const
{
    ImageLayout layout;
    layout.align = m_nImageAlign;
    layout.origin = m_ptImageOrigin;
    layout.pressShift = m_ptPressShift;
    layout.checkMode = m_bCheckMode;
    return button_drawing::PlaceImage(layout, bHasCaption, bPressed, static_cast<LONG>(dwWidth),
                                      static_cast<LONG>(dwHeight), rcItem, rcCaption, GetClientRect().right);
}

void CSkinButton::PaintIcon(HDC hDC, BOOL bHasCaption, const RECT& rcItem, RECT& rcCaption, BOOL bPressed,
                            BOOL bDisabled)
{
    const int nEntry = ImageEntry(bPressed, m_bCheckMode, m_bMouseOver, static_cast<bool>(m_icons[1].hIcon));
    const IconEntry& icon = m_icons[nEntry];
    const RECT rcImage = PlaceImage(bHasCaption, bPressed, icon.dwWidth, icon.dwHeight, rcItem, rcCaption);
    ::DrawStateW(hDC, nullptr, nullptr, reinterpret_cast<LPARAM>(icon.hIcon.Get()), 0, rcImage.left, rcImage.top,
                 Width(rcImage), Height(rcImage), DST_ICON | (bDisabled ? DSS_DISABLED : DSS_NORMAL));
}

void CSkinButton::PaintBitmap(HDC hDC, BOOL bHasCaption, const RECT& rcItem, RECT& rcCaption, BOOL bPressed,
                              BOOL bDisabled)
{
    const int nEntry = ImageEntry(bPressed, m_bCheckMode, m_bMouseOver, static_cast<bool>(m_bitmaps[1].hBitmap));
    const BitmapEntry& bitmap = m_bitmaps[nEntry];
    const RECT rcImage = PlaceImage(bHasCaption, bPressed, bitmap.dwWidth, bitmap.dwHeight, rcItem, rcCaption);
    const int cx = static_cast<int>(bitmap.dwWidth);
    const int cy = static_cast<int>(bitmap.dwHeight);

    // The blank mask turns the rectangle black (a clear bit takes the text
    // colour), then the picture is ORed over it: opaque, black included.
    const COLORREF crOldText = ::SetTextColor(hDC, RGB(0, 0, 0));
    CMemDC dcImage(::CreateCompatibleDC(hDC));
    CMemDC dcMask(::CreateCompatibleDC(hDC));
    CSelectObject selectImage(dcImage.Get(), bitmap.hBitmap.Get());
    CSelectObject selectMask(dcMask.Get(), bitmap.hMask.Get());
    if (bDisabled && m_bShowDisabledImage) {
        CBitmap composed(::CreateCompatibleBitmap(hDC, cx, cy));
        {
            CMemDC dcComposed(::CreateCompatibleDC(hDC));
            CSelectObject selectComposed(dcComposed.Get(), composed.Get());
            ::SetBkColor(dcComposed.Get(), RGB(255, 255, 255));
            ::BitBlt(dcComposed.Get(), 0, 0, cx, cy, dcMask.Get(), 0, 0, SRCAND);
            ::BitBlt(dcComposed.Get(), 0, 0, cx, cy, dcImage.Get(), 0, 0, SRCPAINT);
        }
        ::DrawStateW(hDC, nullptr, nullptr, reinterpret_cast<LPARAM>(composed.Get()), 0, rcImage.left,
                     rcImage.top, cx, cy, DST_BITMAP | DSS_DISABLED);
    } else {
        ::BitBlt(hDC, rcImage.left, rcImage.top, cx, cy, dcMask.Get(), 0, 0, SRCAND);
        ::BitBlt(hDC, rcImage.left, rcImage.top, cx, cy, dcImage.Get(), 0, 0, SRCPAINT);
    }
    ::SetTextColor(hDC, crOldText);
}

void CSkinButton::PaintText(HDC hDC, const std::wstring& caption, const RECT&, RECT& rcCaption, BOOL, BOOL)
{
    if (m_bPressed && !m_bCheckMode)
        ::OffsetRect(&rcCaption, m_ptPressShift.x, m_ptPressShift.y);
    const RECT rcArea = rcCaption;
    ::DrawTextW(hDC, caption.c_str(), -1, &rcCaption, DT_WORDBREAK | DT_CENTER | DT_CALCRECT);
    // A caption with no room beside the picture (the picture carries the
    // label) would show as a sliver of a glyph; its mnemonic works unseen.
    if (Width(rcCaption) > Width(rcArea))
        return;
    ::OffsetRect(&rcCaption, (Width(rcArea) - Width(rcCaption)) / 2, (Height(rcArea) - Height(rcCaption)) / 2);
    ::SetBkMode(hDC, TRANSPARENT);
    if (m_bDisabled) {
        ::OffsetRect(&rcCaption, 1, 1);
        ::SetTextColor(hDC, ::GetSysColor(COLOR_BTNHIGHLIGHT));
        ::DrawTextW(hDC, caption.c_str(), -1, &rcCaption, DT_WORDBREAK | DT_CENTER);
        ::OffsetRect(&rcCaption, -1, -1);
        ::SetTextColor(hDC, ::GetSysColor(COLOR_BTNSHADOW));
        ::DrawTextW(hDC, caption.c_str(), -1, &rcCaption, DT_WORDBREAK | DT_CENTER);
    } else {
        ::SetTextColor(hDC, m_crColors[TextSlot(m_bMouseOver, m_bPressed, m_bFocused)]);
        ::SetBkColor(hDC, m_crColors[BackgroundSlot(m_bMouseOver, m_bPressed, m_bFocused)]);
        ::DrawTextW(hDC, caption.c_str(), -1, &rcCaption, DT_WORDBREAK | DT_CENTER);
    }
}

void CSkinButton::CaptureParentBackground(HDC hDC)
{
    HWND hParent = ::GetParent(m_hWnd);
    CClientDC dcParent(hParent);
    const RECT rcClient = GetClientRect();
    RECT rcWindow = GetWindowRect();
    ::MapWindowPoints(nullptr, hParent, reinterpret_cast<POINT*>(&rcWindow), 2);
    const int cx = Width(rcClient);
    const int cy = Height(rcClient);
    if (!m_dcBack) {
        m_dcBack.Reset(::CreateCompatibleDC(dcParent.Get()));
        m_bmpBack.Reset(::CreateCompatibleBitmap(dcParent.Get(), cx, cy));
        if (!m_dcBack || !m_bmpBack) {
            DropParentBackground();
            return;
        }
        m_hOldBackBitmap = ::SelectObject(m_dcBack.Get(), m_bmpBack.Get());
        ::BitBlt(m_dcBack.Get(), 0, 0, cx, cy, dcParent.Get(), rcWindow.left, rcWindow.top, SRCCOPY);
    }
    ::BitBlt(hDC, 0, 0, cx, cy, m_dcBack.Get(), 0, 0, SRCCOPY);
}
