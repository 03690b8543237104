#include "ui/controls/SkinButton.h"

#include "platform/web_link.h"

#include <initializer_list>
#include <utility>
#include <vector>

using namespace button_drawing;

namespace {

// The button style bits that select the kind of button.
constexpr UINT kStyleKindMask = 0x1F;

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

CSkinButton::CSkinButton()
{
    ResetColors();
}

CSkinButton::~CSkinButton()
{
    DropParentBackground();
    ReleaseImages();
    m_hAssignedCursor.Reset();
    m_hDropMenu.Reset();
    m_tooltip.DestroyWindow();
}

void CSkinButton::ResetColors() noexcept
{
    for (int slot = 0; slot < kColorSlotCount; ++slot)
        m_crColors[slot] = DefaultColor(slot);
}

void CSkinButton::DropParentBackground() noexcept
{
    if (m_dcBack && m_hOldBackBitmap)
        ::SelectObject(m_dcBack.Get(), m_hOldBackBitmap);
    m_hOldBackBitmap = nullptr;
    m_bmpBack.Reset();
    m_dcBack.Reset();
}

// --- Images and tooltip ------------------------------------------------------

CBitmap CSkinButton::BuildMask(HBITMAP, DWORD dwWidth, DWORD dwHeight)
{
    // Monochrome rows are padded to 16 bits; every bit starts clear.
    const size_t stride = ((static_cast<size_t>(dwWidth) + 15) / 16) * 2;
    const std::vector<BYTE> zeros(stride * dwHeight + 1, 0);
    return CBitmap(::CreateBitmap(static_cast<int>(dwWidth), static_cast<int>(dwHeight), 1, 1, zeros.data()));
}

int CSkinButton::StoreBitmap(int nEntry, HBITMAP hBitmap)
{
    BitmapEntry& entry = m_bitmaps[nEntry];
    entry.hBitmap.Reset(hBitmap);
    entry.crTransparent = RGB(0, 0, 0);
    BITMAP bm{};
    if (::GetObjectW(hBitmap, sizeof(bm), &bm) != sizeof(bm) || bm.bmWidth <= 0 || bm.bmHeight == 0) {
        ReleaseImages();
        return ImageInvalid;
    }
    entry.dwWidth = static_cast<DWORD>(bm.bmWidth);
    entry.dwHeight = static_cast<DWORD>(bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight);
    entry.hMask = BuildMask(hBitmap, entry.dwWidth, entry.dwHeight);
    if (!entry.hMask) {
        ReleaseImages();
        return MaskFailed;
    }
    return AssignOk;
}

int CSkinButton::AssignBitmaps(HBITMAP hHot, HBITMAP hNormal)
{
    ReleaseImages();
    if (!hHot) {
        // The button owns whatever it is handed, even a picture it cannot use.
        CBitmap unused(hNormal);
        Invalidate();
        return AssignOk;
    }
    if (hNormal == hHot)
        hNormal = nullptr; // one picture is owned once
    if (const int result = StoreBitmap(0, hHot); result != AssignOk) {
        CBitmap dropped(hNormal);
        return result;
    }
    if (hNormal) {
        if (const int result = StoreBitmap(1, hNormal); result != AssignOk)
            return result;
    }
    Invalidate();
    return AssignOk;
}

void CSkinButton::ReleaseImages() noexcept
{
    for (IconEntry& entry : m_icons)
        entry = IconEntry{};
    for (BitmapEntry& entry : m_bitmaps)
        entry = BitmapEntry{};
}

void CSkinButton::EnsureTooltip()
{
    if (m_tooltip.m_hWnd || !m_hWnd)
        return;
    if (!m_tooltip.Create(m_hWnd, m_dwTipStyle))
        return;
    m_tooltip.Activate(FALSE);
    m_tooltip.SendMessage(TTM_SETMAXTIPWIDTH, 0, 400);
}

void CSkinButton::AssignTooltip(const wchar_t* pszText)
{
    if (!pszText)
        return;
    EnsureTooltip();
    if (!m_tooltip.m_hWnd)
        return;
    if (m_tooltip.GetToolCount() == 0)
        m_tooltip.AddTool(m_hWnd, pszText, GetClientRect(), 1);
    m_tooltip.UpdateTipText(m_hWnd, pszText, 1);
    m_tooltip.Activate(TRUE);
}

void CSkinButton::EndHover()
{
    if (m_bFlat && m_bMouseOver) {
        m_bMouseOver = FALSE;
        Invalidate();
    }
}

// --- Attachment and messages -------------------------------------------------

void CSkinButton::PreSubclassWindow()
{
    const DWORD style = GetStyle();
    // The check-box kinds (BS_CHECKBOX, BS_AUTOCHECKBOX, BS_AUTO3STATE) carry
    // the bit 2; so do group boxes, push boxes and owner-drawn buttons, which
    // stay push buttons.
    if ((style & 2) && (style & kStyleKindMask) <= BS_AUTO3STATE)
        m_bCheckMode = TRUE;
    if ((style & kStyleKindMask) == BS_DEFPUSHBUTTON)
        m_bDefault = TRUE;
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>((style & ~kStyleKindMask) | BS_OWNERDRAW));
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    CButton::PreSubclassWindow();
}

BOOL CSkinButton::PreTranslateMessage(MSG* pMsg)
{
    EnsureTooltip();
    if (m_tooltip.m_hWnd)
        m_tooltip.RelayEvent(pMsg);
    // A double click is two clicks: the second press comes as a plain one.
    if (pMsg->message == WM_LBUTTONDBLCLK)
        pMsg->message = WM_LBUTTONDOWN;
    return CButton::PreTranslateMessage(pMsg);
}

LRESULT CSkinButton::WindowProc(UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_SETCURSOR:
        if (m_hAssignedCursor) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        }
        break;
    case WM_KILLFOCUS: {
        const LRESULT result = DefWindowProc(msg, wp, lp);
        EndHover();
        return result;
    }
    case WM_MOUSEMOVE:
        OnMouseMove(static_cast<UINT>(wp),
                    POINT{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))});
        return 0;
    case WM_SYSCOLORCHANGE: {
        const LRESULT result = DefWindowProc(msg, wp, lp);
        DropParentBackground();
        ResetColors();
        Invalidate();
        return result;
    }
    case WM_ACTIVATE: {
        const LRESULT result = DefWindowProc(msg, wp, lp);
        if (LOWORD(wp) == WA_INACTIVE)
            EndHover();
        return result;
    }
    case WM_ENABLE: {
        const LRESULT result = DefWindowProc(msg, wp, lp);
        OnEnable(static_cast<BOOL>(wp));
        return result;
    }
    case WM_CANCELMODE: {
        const LRESULT result = DefWindowProc(msg, wp, lp);
        EndHover();
        return result;
    }
    case WM_GETDLGCODE: {
        const LRESULT code = DefWindowProc(msg, wp, lp) & ~static_cast<LRESULT>(DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON);
        return code | (m_bDefault ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
    }
    case BM_SETSTYLE:
        return OnSetStyle(wp, lp);
    case WM_MOUSELEAVE:
        EndHover();
        return 0;
    case BM_SETCHECK:
        if (m_bCheckMode) {
            m_nChecked = (wp == BST_CHECKED || wp == BST_INDETERMINATE) ? 1 : 0;
            Invalidate();
        }
        return 0;
    case BM_GETCHECK:
        return m_nChecked;
    default:
        break;
    }
    return CButton::WindowProc(msg, wp, lp);
}

bool CSkinButton::OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* pResult)
{
    if (IsCtlColorMessage(msg)) {
        *pResult = reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
        return true;
    }
    switch (msg) {
    case WM_DRAWITEM:
        DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
        *pResult = TRUE;
        return true;
    case WM_COMMAND:
        // The parent's own handler runs afterwards and sees the new state.
        if (HIWORD(wp) == BN_CLICKED)
            OnClicked();
        return false;
    default:
        return false;
    }
}

void CSkinButton::OnMouseMove(UINT nFlags, POINT pt)
{
    DefWindowProc(WM_MOUSEMOVE, nFlags, MAKELPARAM(pt.x, pt.y));
    POINT ptScreen = pt;
    ::ClientToScreen(m_hWnd, &ptScreen);
    HWND hUnder = ::WindowFromPoint(ptScreen);
    ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
    // A drag that enters the button does not light it.
    if ((nFlags & MK_LBUTTON) && !m_bMouseOver)
        return;
    if (!m_bFlat)
        return;
    HWND hReference = m_bTrackAlways ? m_hWnd : ::GetActiveWindow();
    if (hUnder == m_hWnd && hReference) {
        if (!m_bMouseOver) {
            m_bMouseOver = TRUE;
            Invalidate();
            TRACKMOUSEEVENT tme{};
            tme.cbSize = sizeof(tme);
            tme.dwFlags = TME_LEAVE;
            tme.hwndTrack = m_hWnd;
            ::_TrackMouseEvent(&tme);
        }
    } else {
        EndHover();
    }
}

void CSkinButton::OnClicked()
{
    ::SetFocus(m_hWnd);
    if (m_bCheckMode) {
        m_nChecked = m_nChecked ? 0 : 1;
        Invalidate();
        return;
    }
    if (m_hDropMenu) {
        ShowDropMenu();
        return;
    }
    m_szLink[MAX_PATH - 1] = L'\0';
    if (m_szLink[0])
        OpenWebLinkOrSay(::GetAncestor(m_hWnd, GA_ROOT), m_szLink);
}

void CSkinButton::ShowDropMenu()
{
    const RECT rc = GetWindowRect();
    m_bMenuShown = TRUE;
    Invalidate();
    HMENU hSubMenu = ::GetSubMenu(m_hDropMenu.Get(), 0);
    if (m_menuNotify.hWnd)
        ::SendMessageW(m_menuNotify.hWnd, m_menuNotify.nMessage, reinterpret_cast<WPARAM>(hSubMenu),
                       m_menuNotify.lParam);
    const UINT nCommand = static_cast<UINT>(::TrackPopupMenuEx(
        hSubMenu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, rc.left, rc.bottom, m_hMenuOwner, nullptr));
    m_bMenuShown = FALSE;
    Invalidate();
    if (nCommand != 0)
        ::PostMessageW(m_hMenuOwner, WM_COMMAND, MAKEWPARAM(nCommand, 0), 0);
}

void CSkinButton::OnEnable(BOOL bEnable)
{
    if (bEnable)
        return;
    HWND hParent = ::GetParent(m_hWnd);
    HWND hNext = hParent ? ::GetNextDlgTabItem(hParent, m_hWnd, FALSE) : nullptr;
    if (hNext && hNext != m_hWnd)
        ::SetFocus(hNext);
    else if (hParent)
        ::SetFocus(hParent);
    EndHover();
}

LRESULT CSkinButton::OnSetStyle(WPARAM wp, LPARAM lp)
{
    const UINT style = static_cast<UINT>(wp);
    if ((style & kStyleKindMask) == BS_DEFPUSHBUTTON)
        m_bDefault = TRUE;
    else if ((style & kStyleKindMask) == BS_PUSHBUTTON)
        m_bDefault = FALSE;
    return DefWindowProc(BM_SETSTYLE, (style & ~kStyleKindMask) | BS_OWNERDRAW, lp);
}

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

    const std::wstring caption = GetWindowText();
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

    if ((!m_bFlat || m_bFlatFocus) && m_bFocused) {
        RECT rcFocus = rcPaint;
        ::InflateRect(&rcFocus, -3, -3);
        ::DrawFocusRect(hDC, &rcFocus);
    }
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
