// The pointer over the catalogue list: which check area or action link is
// hot, the hand cursor over a link, and which presses may toggle a check box.
#include "ui/controls/ListEx.h"

#include "platform/handles.h"
#include "ui/controls/list_geometry.h"
#include "ui/controls/list_text.h"

using namespace list_geometry;
using namespace list_text;

void CListEx::OnMouseMove(int x, int y)
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
        RECT icon = ItemRect(r, LVIR_ICON);
        // The check area: from the row's left edge to the icon's right edge,
        // over the whole height of the row (the list view may report the
        // icon's own height only).
        icon = RECT{0, label.top, icon.right, label.bottom};
        if (y < label.top || y > label.bottom)
            continue;
        if (RowKind(r) != kRowEntry)
            return;
        HitTestColumns(r, x, y, label, icon);
        if (m_nHotLinkKind || m_bCheckHot)
            return;
    }
}

void CListEx::HitTestColumns(int nItem, int x, int y, const RECT& label, const RECT& icon)
{
    const RECT band = NameBand(label);
    int cellLeft = label.right;
    int format = 0;
    int width = 0;
    for (int col = 0; GetColumnFormat(col, &format, &width); ++col) {
        RECT cell{label.left, band.top, label.right, band.bottom};
        RECT area = icon;
        if (col > 0) {
            cell = RECT{cellLeft, band.top, cellLeft + width, band.bottom};
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
        const std::wstring text = ItemText(nItem, col);
        int link = 0;
        if (kind == kColumnLink) {
            const auto [left, right] = SingleLinkSpan(cell.left, cell.right, dc.Width(text));
            link = Contains(RECT{left, band.top, right, band.bottom}, x, y) ? 1 : 0;
        } else {
            const int k = LinkListIndex(m_arrColumnKind, col);
            const std::vector<std::wstring> none;
            const auto& links = k < kMaxLinkLists ? m_arrLinkLists[static_cast<size_t>(k)] : none;
            std::vector<int> widths;
            for (const auto& l : links)
                widths.push_back(dc.Width(l));
            const auto lefts = LinkLefts(cell.left, cell.right, dc.Width(text), widths, dc.Width(kLinkSeparator));
            if (y >= band.top && y < band.bottom)
                link = LinkAt(x, lefts, widths);
        }
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

bool CListEx::RefusesCheckChange(const NMLISTVIEW* pNm) const noexcept
{
    return m_bPressing && !m_bToggling && (pNm->uChanged & LVIF_STATE) &&
           ((pNm->uNewState ^ pNm->uOldState) & LVIS_STATEIMAGEMASK);
}
