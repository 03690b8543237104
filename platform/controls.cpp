#include "platform/controls.h"

#include <vector>

bool CToolTipCtrl::Create(HWND hParent, DWORD dwStyle)
{
    RECT rc{CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT};
    if (m_hWnd)
        return false;
    HWND hWnd = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | dwStyle, rc.left,
                                  rc.top, rc.right, rc.bottom, hParent, nullptr, GetResourceInstance(), nullptr);
    if (!hWnd)
        return false;
    ::SetWindowPos(hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return SubclassWindow(hWnd);
}

bool CToolTipCtrl::AddTool(HWND hTool, const std::wstring& text, const RECT& rc, UINT_PTR nIDTool)
{
    std::wstring copy = text;
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.uFlags = TTF_SUBCLASS;
    ti.hwnd = hTool;
    ti.uId = nIDTool;
    ti.rect = rc;
    ti.lpszText = copy.data();
    return SendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti)) != 0;
}

void CToolTipCtrl::UpdateTipText(HWND hTool, const std::wstring& text, UINT_PTR nIDTool)
{
    std::wstring copy = text;
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.hwnd = hTool;
    ti.uId = nIDTool;
    ti.lpszText = copy.data();
    SendMessage(TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
}

int CListCtrl::InsertColumn(int nCol, const std::wstring& heading, int nFormat, int nWidth)
{
    std::wstring copy = heading;
    LVCOLUMNW col{};
    col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    col.fmt = nFormat;
    col.cx = nWidth;
    col.pszText = copy.data();
    col.iSubItem = nCol;
    return static_cast<int>(SendMessage(LVM_INSERTCOLUMNW, static_cast<WPARAM>(nCol), reinterpret_cast<LPARAM>(&col)));
}

int CListCtrl::InsertItem(int nItem, const std::wstring& text, int nImage)
{
    std::wstring copy = text;
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = nItem;
    item.pszText = copy.data();
    if (nImage >= 0) {
        item.mask |= LVIF_IMAGE;
        item.iImage = nImage;
    }
    return static_cast<int>(SendMessage(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

bool CListCtrl::SetItemText(int nItem, int nSubItem, const std::wstring& text)
{
    std::wstring copy = text;
    LVITEMW item{};
    item.iSubItem = nSubItem;
    item.pszText = copy.data();
    return SendMessage(LVM_SETITEMTEXTW, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)) != 0;
}

std::wstring CListCtrl::GetItemText(int nItem, int nSubItem) const
{
    std::vector<wchar_t> buffer(256);
    for (;;) {
        LVITEMW item{};
        item.iSubItem = nSubItem;
        item.pszText = buffer.data();
        item.cchTextMax = static_cast<int>(buffer.size());
        const auto n = static_cast<size_t>(
            SendMessage(LVM_GETITEMTEXTW, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)));
        if (n + 1 < buffer.size())
            return std::wstring(buffer.data(), n);
        buffer.resize(buffer.size() * 2);
    }
}

bool CListCtrl::GetItemRect(int nItem, RECT* pRect, int nCode) const noexcept
{
    pRect->left = nCode;
    return SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(pRect)) != 0;
}

bool CListCtrl::GetCheck(int nItem) const noexcept
{
    // State image 2 is the ticked box, 1 the empty one.
    return ((GetItemState(nItem, LVIS_STATEIMAGEMASK) >> 12) - 1) == 1;
}

bool CListCtrl::SetCheck(int nItem, bool bCheck) noexcept
{
    return SetItemState(nItem, INDEXTOSTATEIMAGEMASK(bCheck ? 2 : 1), LVIS_STATEIMAGEMASK);
}

UINT CListCtrl::GetItemState(int nItem, UINT nMask) const noexcept
{
    return static_cast<UINT>(SendMessage(LVM_GETITEMSTATE, static_cast<WPARAM>(nItem), nMask));
}

bool CListCtrl::SetItemState(int nItem, UINT nState, UINT nMask) noexcept
{
    LVITEMW item{};
    item.state = nState;
    item.stateMask = nMask;
    return SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)) != 0;
}

DWORD CListCtrl::SetExtendedStyle(DWORD dwExStyle) noexcept
{
    return static_cast<DWORD>(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, dwExStyle));
}

HIMAGELIST CListCtrl::SetImageList(HIMAGELIST hImages, int nKind) noexcept
{
    return reinterpret_cast<HIMAGELIST>(
        SendMessage(LVM_SETIMAGELIST, static_cast<WPARAM>(nKind), reinterpret_cast<LPARAM>(hImages)));
}

HIMAGELIST CListCtrl::GetImageList(int nKind) const noexcept
{
    return reinterpret_cast<HIMAGELIST>(SendMessage(LVM_GETIMAGELIST, static_cast<WPARAM>(nKind)));
}

int CListCtrl::GetColumnWidth(int nCol) const noexcept
{
    return static_cast<int>(SendMessage(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(nCol)));
}

bool CListCtrl::SetColumnWidth(int nCol, int cx) noexcept
{
    return SendMessage(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(nCol), MAKELPARAM(cx, 0)) != 0;
}

HWND CListCtrl::GetHeaderCtrl() const noexcept
{
    return reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER));
}
