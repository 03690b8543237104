// The pointer over the catalogue list: which check area or action link is
// hot, the hand cursor over a link, which presses and keys toggle a check
// box, and check boxes whose marks the owner keeps.
#include "ui/controls/ListEx.h"

#include "platform/handles.h"
#include "ui/controls/focus_cue.h"
#include "ui/controls/list_geometry.h"
#include "ui/controls/list_text.h"

#include <windowsx.h>

using namespace list_geometry;
using namespace list_text;

void CListEx::HitTest(int x, int y)
{
    m_bCheckHot = FALSE;
    m_nHotLinkKind = 0;
    m_nHotLink = 0;
    const int count = GetItemCount();
    if (count <= 0)
        return;
    const RECT first = ItemRect(0, LVIR_LABEL);
    // Rows lie one under the other at equal heights: only the rows around
    // the point can hold it.
    const auto [from, to] = CandidateRows(y, first.top, first.bottom - first.top, count);
    for (int r = from; r <= to; ++r) {
        const RECT label = ItemRect(r, LVIR_LABEL);
        if (y < label.top || y > label.bottom)
            continue;
        if (RowKind(r) != kRowEntry)
            return;
        const RECT icon = ItemRect(r, LVIR_ICON);
        HitTestColumns(r, x, y, label, RowLayout(r, ItemRect(r, LVIR_BOUNDS), label, icon));
        if (m_nHotLinkKind || m_bCheckHot)
            return;
    }
}

void CListEx::HitTestColumns(int nItem, int x, int y, const RECT& label, const EntryRowLayout& row)
{
    // The check area: from the row's left edge to the icon's right edge, over
    // the whole height of the row (the list view may report the icon's own
    // height only).
    const RECT check{0, label.top, ItemRect(nItem, LVIR_ICON).right, label.bottom};
    int cellLeft = label.right;
    int format = 0;
    int width = 0;
    for (int col = 0; GetColumnFormat(col, &format, &width); ++col) {
        RECT cell{label.left, row.text.top, label.right, row.text.bottom};
        RECT area = check;
        if (col > 0) {
            cell = RECT{cellLeft, row.text.top, cellLeft + width, row.text.bottom};
            area = cell;
            cellLeft += width;
        }
        if (!Contains(area, x, y))
            continue;
        const DWORD kind = ColumnKind(col);
        if (kind == kColumnPlain) {
            if (col == 0)
                m_bCheckHot = TRUE;
            return;
        }
        const CMeasureDC dc(m_hWnd);
        const LOGFONTW font = ControlLogFont(reinterpret_cast<HFONT>(Ask(WM_GETFONT, 0, 0)));
        const int link = LinkAt(x, y, LinkRectsOf(dc.Get(), font, nItem, col, cell, row.text));
        if (link) {
            m_nHotLink = link;
            m_nHotLinkKind = static_cast<int>(kind);
            ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
        }
        return;
    }
}

void CListEx::OnLButton(UINT msg, WPARAM wp, LPARAM lp)
{
    // A click acts on what lies under the point it was pressed at, wherever
    // the pointer was last seen moving.
    if (msg != WM_LBUTTONUP)
        HitTest(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
    if (m_nHotLinkKind)
        ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
    // The list view would toggle a check box itself when the press lands on
    // its own check-box place, which is not where the box is painted and
    // lies in header rows too: only the click on the check area toggles.
    const bool bWasPressing = m_bPressing;
    m_bPressing = msg != WM_LBUTTONUP;
    DefWindowProc(msg, wp, lp);
    m_bPressing = bWasPressing;
}

void CListEx::OnClick(const NMITEMACTIVATE* pNm)
{
    if (!m_bCheckHot)
        return;
    m_bCheckHot = FALSE;
    const int nItem = pNm->iItem;
    if (nItem < 0 || nItem >= GetItemCount())
        return;
    ToggleCheck(nItem);
}

void CListEx::ToggleCheck(int nItem)
{
    const bool bWasToggling = m_bToggling;
    m_bToggling = true;
    SetCheck(nItem, !GetCheck(nItem));
    m_bToggling = bWasToggling;
}

bool CListEx::OwnerKeepsChecks() noexcept
{
    return (Ask(LVM_GETCALLBACKMASK, 0, 0) & LVIS_STATEIMAGEMASK) != 0;
}

LRESULT CListEx::NotifyCheckChange(UINT nCode, int nItem, UINT nOld, UINT nNew)
{
    NMLISTVIEW nm{};
    nm.hdr.hwndFrom = m_hWnd;
    nm.hdr.idFrom = static_cast<UINT_PTR>(::GetDlgCtrlID(m_hWnd));
    nm.hdr.code = nCode;
    nm.iItem = nItem;
    nm.uChanged = LVIF_STATE;
    nm.uOldState = nOld;
    nm.uNewState = nNew;
    return ::SendMessageW(::GetParent(m_hWnd), WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
}

LRESULT CListEx::SetOwnerCheckStates(WPARAM wp, const LVITEMW& item)
{
    const int count = GetItemCount();
    const bool bAll = wp == static_cast<WPARAM>(-1);
    const int nFrom = bAll ? 0 : static_cast<int>(wp);
    const int nTo = bAll ? count : nFrom + 1;
    if (nFrom < 0 || nTo > count)
        return FALSE;
    // The list view stores no state image the owner keeps, and tells the
    // owner of no change to one: the change goes to the owner as the list
    // view's own change notices, the owner stores it, and the row is
    // painted again from what the owner answers.
    const UINT nNew = item.state & LVIS_STATEIMAGEMASK;
    for (int nItem = nFrom; nItem < nTo; ++nItem) {
        const auto nOld = static_cast<UINT>(Ask(LVM_GETITEMSTATE, static_cast<WPARAM>(nItem), LVIS_STATEIMAGEMASK));
        if (nOld == nNew || NotifyCheckChange(LVN_ITEMCHANGING, nItem, nOld, nNew))
            continue;
        NotifyCheckChange(LVN_ITEMCHANGED, nItem, nOld, nNew);
        RECT bounds = ItemRect(nItem, LVIR_BOUNDS);
        bounds.left = 0;
        ::InvalidateRect(m_hWnd, &bounds, FALSE);
    }
    LVITEMW rest = item;
    rest.stateMask &= ~static_cast<UINT>(LVIS_STATEIMAGEMASK);
    if (rest.stateMask)
        return Ask(LVM_SETITEMSTATE, wp, reinterpret_cast<LPARAM>(&rest));
    return TRUE;
}

bool CListEx::OnKeyDown(WPARAM wp, LPARAM lp)
{
    const auto isHeader = [this](int nItem) { return RowKind(nItem) == kRowHeader; };
    if (wp == VK_SPACE) {
        // Space toggles the focused entry row here, as a click on its check
        // box does, whoever keeps the marks; a header row has no check mark
        // to change.
        const int nFocused = static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
        if (nFocused < 0)
            return false;
        if (!isHeader(nFocused))
            ToggleCheck(nFocused);
        return true;
    }
    int nStep = 0;
    switch (wp) {
    case VK_DOWN:
    case VK_NEXT:
    case VK_HOME:
        nStep = 1;
        break;
    case VK_UP:
    case VK_PRIOR:
    case VK_END:
        nStep = -1;
        break;
    default:
        return false;
    }
    DefWindowProc(WM_KEYDOWN, wp, lp);
    const int nArrived = static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    const int nRow = list_geometry::EntryRowForKey(isHeader, GetItemCount(), nArrived, nStep);
    if (nRow >= 0 && nRow != nArrived) {
        SetItemState(nRow, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        SendMessage(LVM_ENSUREVISIBLE, static_cast<WPARAM>(nRow), FALSE);
    }
    return true;
}

bool CListEx::OnKey(UINT msg, WPARAM wp, LPARAM lp)
{
    if (list_geometry::IsMenuKey(msg, wp, (::GetKeyState(VK_SHIFT) & 0x8000) != 0)) {
        SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_hWnd), static_cast<LPARAM>(-1));
        return true;
    }
    if (msg != WM_KEYDOWN)
        return false;
    // The keyboard is in use: the focused row shows it from now on.
    focus_cue::KeyboardUsed(m_hWnd);
    return OnKeyDown(wp, lp);
}

void CListEx::FocusFirstEntryRow()
{
    if (SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED) >= 0)
        return;
    const int nRow = list_geometry::EntryRowForKey([this](int nItem) { return RowKind(nItem) == kRowHeader; },
                                                   GetItemCount(), 0, 1);
    if (nRow >= 0)
        SetItemState(nRow, LVIS_FOCUSED, LVIS_FOCUSED);
}

bool CListEx::RefusesCheckChange(const NMLISTVIEW* pNm) const noexcept
{
    return m_bPressing && !m_bToggling && (pNm->uChanged & LVIF_STATE) &&
           ((pNm->uNewState ^ pNm->uOldState) & LVIS_STATEIMAGEMASK);
}
