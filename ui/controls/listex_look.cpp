// The setters of the catalogue list's look: its scale, row height, bitmaps,
// colours and drawing flags, each repainting what is on show.
#include "ui/controls/ListEx.h"

#include "ui/controls/update_lock.h"

void CListEx::RepaintIfShown() const noexcept
{
    // A window that is not on show is painted whole when it shows.
    if (::IsWindowVisible(m_hWnd))
        Invalidate();
}

void CListEx::SetScale(const dpi::Scale& scale)
{
    m_scale = scale;
    RepaintIfShown();
}

void CListEx::SetRowHeight(int nHeight)
{
    m_nRowHeight = nHeight;
    if (!m_hWnd)
        return;
    // The list view measures its rows again when its size changes.
    const RECT rc = GetWindowRect();
    WINDOWPOS wp{};
    wp.hwnd = m_hWnd;
    wp.cx = rc.right - rc.left;
    wp.cy = rc.bottom - rc.top;
    wp.flags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
    SendMessage(WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&wp));
}

void CListEx::SetEntryBitmaps(const std::array<HBITMAP, 9>& bitmaps)
{
    CUpdateLock lock(m_hWnd);
    m_pEntryBitmaps = bitmaps;
    if (m_dwDrawFlags)
        RepaintIfShown();
}

void CListEx::SetHeaderBitmaps(HBITMAP hMiddle, HBITMAP hLeft, HBITMAP hRight)
{
    CUpdateLock lock(m_hWnd);
    for (size_t state = 0; state < 3; ++state) {
        m_pHeaderBitmaps[state] = hMiddle;
        m_pHeaderBitmaps[3 + state] = hLeft;
        m_pHeaderBitmaps[6 + state] = hRight;
    }
    if (m_dwDrawFlags)
        RepaintIfShown();
}

void CListEx::SetEraseBitmap(HBITMAP hBitmap)
{
    CUpdateLock lock(m_hWnd);
    m_pEraseBitmap = hBitmap;
    if (m_dwDrawFlags)
        RepaintIfShown();
}

void CListEx::SetEraseColor(COLORREF cr)
{
    CUpdateLock lock(m_hWnd);
    if (cr)
        m_crErase = cr;
    RepaintIfShown();
}

void CListEx::SetLinkColorSelFocus(COLORREF cr)
{
    CUpdateLock lock(m_hWnd);
    if (cr)
        m_crLinkSelFocus = cr;
    RepaintIfShown();
}

void CListEx::SetDrawFlags(DWORD dwFlags)
{
    CUpdateLock lock(m_hWnd);
    m_dwDrawFlags = dwFlags;
    RepaintIfShown();
}
