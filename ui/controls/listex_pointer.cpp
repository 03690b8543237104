// The pointer over the catalogue list: which check area or action link is
// hot, the hand cursor over a link, and which presses may toggle a check box.
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
    const bool bWasToggling = m_bToggling;
    m_bToggling = true;
    SetCheck(nItem, !GetCheck(nItem));
    m_bToggling = bWasToggling;
}

bool CListEx::OnKeyDown(WPARAM wp, LPARAM lp)
{
    const auto isHeader = [this](int nItem) { return RowKind(nItem) == kRowHeader; };
    if (wp == VK_SPACE) {
        // A header row has no check mark to change.
        const int nFocused = static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
        return nFocused >= 0 && isHeader(nFocused);
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
