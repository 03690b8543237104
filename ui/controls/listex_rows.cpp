// The rows of an owner-data catalogue list: kept by the control, answered
// to the list view as it asks, and shown all or some of them.
#include "ui/controls/ListEx.h"

#include "platform/handles.h"
#include "ui/controls/list_text.h"

#include <algorithm>
#include <cwchar>

using namespace list_text;

int CListEx::ModelRow(int nItem) const noexcept
{
    if (!m_bSomeRows)
        return nItem;
    return nItem >= 0 && static_cast<size_t>(nItem) < m_arrShown.size() ? m_arrShown[static_cast<size_t>(nItem)]
                                                                           : -1;
}

bool CListEx::StoreCellText(int nItem, int nCol, const std::wstring& text)
{
    if (!OwnerData())
        return SetItemText(nItem, nCol, text);
    const int nRow = ModelRow(nItem);
    if (nRow < 0 || static_cast<size_t>(nRow) >= m_arrCells.size() || nCol < 0)
        return false;
    std::vector<std::wstring>& cells = m_arrCells[static_cast<size_t>(nRow)];
    if (cells.size() <= static_cast<size_t>(nCol))
        cells.resize(static_cast<size_t>(nCol) + 1);
    cells[static_cast<size_t>(nCol)] = text;
    return true;
}

void CListEx::AnswerRow(LVITEMW& item) const
{
    if (!OwnerData())
        return;
    const int nRow = ModelRow(item.iItem);
    if (nRow < 0 || static_cast<size_t>(nRow) >= m_arrCells.size())
        return;
    if ((item.mask & LVIF_IMAGE) && item.iSubItem == 0)
        item.iImage = m_arrImage[static_cast<size_t>(nRow)];
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
        const std::vector<std::wstring>& cells = m_arrCells[static_cast<size_t>(nRow)];
        const std::wstring& text =
            item.iSubItem >= 0 && static_cast<size_t>(item.iSubItem) < cells.size()
                ? cells[static_cast<size_t>(item.iSubItem)]
                : std::wstring();
        const size_t n = std::min(text.size(), static_cast<size_t>(item.cchTextMax) - 1);
        std::wmemcpy(item.pszText, text.data(), n);
        item.pszText[n] = L'\0';
    }
}

void CListEx::ShowRows(std::vector<int> rows)
{
    if (!OwnerData())
        return;
    const int nRows = static_cast<int>(m_arrRowKind.size());
    std::erase_if(rows, [nRows](int r) { return r < 0 || r >= nRows; });
    m_arrShown = std::move(rows);
    m_bSomeRows = true;
    // The rows on show start from the top, with no row chosen: the row that
    // has the selection or the focus loses it (asking every row would cost
    // a notice per row).
    LVITEMW none{};
    none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    for (const UINT flag : {UINT{LVNI_SELECTED}, UINT{LVNI_FOCUSED}}) {
        const auto nItem = static_cast<int>(Ask(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), flag));
        if (nItem >= 0)
            Ask(LVM_SETITEMSTATE, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&none));
    }
    Ask(LVM_SETITEMCOUNT, m_arrShown.size(), 0);
    Ask(LVM_ENSUREVISIBLE, 0, FALSE);
    Invalidate();
}

void CListEx::ShowAllRows()
{
    if (!m_bSomeRows)
        return;
    m_bSomeRows = false;
    m_arrShown.clear();
    Ask(LVM_SETITEMCOUNT, m_arrRowKind.size(), 0);
    Invalidate();
}

void CListEx::SetEmptyText(const std::wstring& text)
{
    m_strEmpty = text;
    if (GetItemCount() == 0)
        Invalidate();
}

void CListEx::PaintEmptyText()
{
    if (m_strEmpty.empty() || GetItemCount() != 0)
        return;
    const CMeasureDC dc(m_hWnd);
    RECT rc = GetClientRect();
    rc.bottom = std::min(rc.bottom, rc.top + m_scale.Px(80));
    ::SetBkMode(dc.Get(), TRANSPARENT);
    ::SetTextColor(dc.Get(), m_crDesc);
    ::DrawTextW(dc.Get(), m_strEmpty.c_str(), static_cast<int>(m_strEmpty.size()), &rc,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}
