// The owner-drawn button's data, images, tooltip, messages and states.
#include "ui/controls/SkinButton.h"

#include "platform/web_link.h"

#include <cwchar>
#include <utility>
#include <vector>

using namespace button_drawing;

namespace {

// The button style bits that select the kind of button.
constexpr UINT kStyleKindMask = 0x1F;

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
    case WM_UPDATEUISTATE: {
        // Focus cues shown or hidden: a focused button shows it at once.
        const LRESULT result = DefWindowProc(msg, wp, lp);
        if (::GetFocus() == m_hWnd)
            Invalidate();
        return result;
    }
    case BM_SETCHECK:
        if (m_bCheckMode) {
            SetChecked((wp == BST_CHECKED || wp == BST_INDETERMINATE) ? 1 : 0);
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

void CSkinButton::SetChecked(int nChecked)
{
    m_nChecked = nChecked ? 1 : 0;
    Invalidate();
}

void CSkinButton::SetColor(int nSlot, COLORREF cr) noexcept
{
    if (nSlot >= 0 && nSlot < button_drawing::kColorSlotCount)
        m_crColors[nSlot] = cr;
}

void CSkinButton::SetLink(const wchar_t* pszLink) noexcept
{
    std::wcsncpy(m_szLink, pszLink ? pszLink : L"", MAX_PATH - 1);
    m_szLink[MAX_PATH - 1] = L'\0';
}

COLORREF CSkinButton::Color(int nSlot) const noexcept
{
    return nSlot >= 0 && nSlot < button_drawing::kColorSlotCount ? m_crColors[nSlot] : 0;
}

void CSkinButton::AssignIcon(int nEntry, CIcon hIcon, DWORD dwWidth, DWORD dwHeight) noexcept
{
    if (nEntry < 0 || nEntry > 1)
        return;
    m_icons[nEntry] = IconEntry{std::move(hIcon), dwWidth, dwHeight};
}

void CSkinButton::AssignDropMenu(CMenu hMenu, HWND hOwner, const MenuNotify& notify) noexcept
{
    m_hDropMenu = std::move(hMenu);
    m_hMenuOwner = hOwner;
    m_menuNotify = notify;
}
