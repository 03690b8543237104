// The menu of an entry row: its three links as menu items, for the keyboard
// (the Apps key, Shift+F10) and the right mouse button.
#include "ui/main/QuillsetDlg.h"

#include "ui/controls/list_geometry.h"
#include "ui/main/row_actions.h"

void CQuillsetDlg::OnEntryMenuKey(HWND hFrom)
{
    if (!m_pEntryLists)
        return;
    CListEx& list = m_pEntryLists[static_cast<size_t>(m_nCurList)];
    if (!hFrom || hFrom != list.m_hWnd)
        return;
    const int nRow = static_cast<int>(list.SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    if (m_rows.EntryOfRow(m_nCurList, nRow) < 0)
        return;
    list.SendMessage(LVM_ENSUREVISIBLE, static_cast<WPARAM>(nRow), FALSE);
    RECT label{};
    if (!list.GetItemRect(nRow, &label, LVIR_LABEL))
        return;
    // Under the row's links: the size column lies between the name and them.
    OpenRowMenu(nRow, POINT{label.right + list.GetColumnWidth(1), label.bottom});
}

void CQuillsetDlg::OpenRowMenu(int nRow, POINT pt)
{
    if (m_rows.EntryOfRow(m_nCurList, nRow) < 0)
        return;
    const CListEx& list = m_pEntryLists[static_cast<size_t>(m_nCurList)];
    ::ClientToScreen(list.m_hWnd, &pt);
    // The items are the links the row shows, in their order: item n is link n.
    const std::vector<std::wstring>& links =
        list.LinkList(list_geometry::LinkListIndex(list.ColumnKinds(), row_actions::kLinkColumn));
    const CMenu menu(::CreatePopupMenu());
    if (!menu || links.empty())
        return;
    for (size_t i = 0; i < links.size(); ++i)
        ::AppendMenuW(menu.Get(), MF_STRING, i + 1, links[i].c_str());
    const int nAction = static_cast<int>(::TrackPopupMenu(
        menu.Get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, pt.x, pt.y, 0,
        m_hWnd, nullptr));
    ActOnRow(nRow, nAction);
}
