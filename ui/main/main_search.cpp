// The search box above the entry lists: as the technician types, the
// all-software list shows only the entries whose name, description or the
// initials of its name hold the text, under their categories' headers. The
// list hides the other rows; nothing is built again.
#include "ui/main/QuillsetDlg.h"

#include "catalogue/catalogue.h"
#include "ui/main/main_art.h"
#include "ui/main/search_filter.h"

using namespace main_art;
using namespace main_layout;

void CQuillsetDlg::CreateSearch()
{
    // The label's mnemonic (Alt+F) gives the focus to the box right after it.
    m_stcSearch.CreateEx(0, L"STATIC", kSearchLabel, WS_CHILD | WS_VISIBLE | SS_LEFT | SS_CENTERIMAGE, RECT{},
                         m_hWnd, kIdSearchLabel);
    m_editSearch.CreateEx(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
                          RECT{}, m_hWnd, kIdSearch);
    m_stcSearch.SetFont(MainFont(), FALSE);
    m_editSearch.SetFont(MainFont(), FALSE);
    // One key per entry, made once: a key press is one pass over them.
    m_arrSearchKeys.clear();
    for (int nEntry = 0; nEntry < m_rows.Entries() && Categories(); ++nEntry)
        m_arrSearchKeys.push_back(search_filter::KeyOf(Entry(nEntry).Name, Entry(nEntry).Description));
}

void CQuillsetDlg::OnSearchChanged()
{
    if (!m_pEntryLists)
        return;
    const std::wstring query = m_editSearch.GetWindowText();
    const std::wstring folded = search_filter::FoldQuery(query);
    CListEx& all = m_pEntryLists[0];
    if (folded.empty()) {
        m_rows.ShowAll();
        all.ShowAllRows();
        all.SetEmptyText(L"");
    } else {
        std::vector<int> found;
        for (size_t n = 0; n < m_arrSearchKeys.size(); ++n) {
            if (search_filter::Matches(m_arrSearchKeys[n], folded))
                found.push_back(static_cast<int>(n));
        }
        m_rows.ShowOnly(found);
        all.ShowRows(m_rows.ShownRows());
        all.SetEmptyText(L"没有找到包含 \"" + query + L"\" 的软件");
    }
    // What is typed is looked for among all software.
    if (m_nCurList != 0 && !folded.empty())
        SelectPaneRow(0);
    else if (m_nCurList == 0)
        SizeNameColumn(CurrentLayout());
    RecomputeSelectAll();
}

void CQuillsetDlg::FocusSearch()
{
    ::SetFocus(m_editSearch.m_hWnd);
    m_editSearch.SendMessage(EM_SETSEL, 0, -1);
}

BOOL CQuillsetDlg::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message != WM_KEYDOWN)
        return CDialog::PreTranslateMessage(pMsg);
    if (pMsg->wParam == 'F' && (::GetKeyState(VK_CONTROL) & 0x8000) && !(::GetKeyState(VK_MENU) & 0x8000)) {
        FocusSearch();
        return TRUE;
    }
    if (pMsg->hwnd != m_editSearch.m_hWnd)
        return CDialog::PreTranslateMessage(pMsg);
    switch (pMsg->wParam) {
    case VK_ESCAPE:
        // Everything shows again.
        m_editSearch.SetWindowText(L"");
        return TRUE;
    case VK_RETURN:
    case VK_DOWN: {
        // On to the list on show, at its first entry.
        CListEx& list = m_pEntryLists[static_cast<size_t>(m_nCurList)];
        ::SetFocus(list.m_hWnd);
        for (int r = 0; r < list.GetItemCount(); ++r) {
            if (list.RowKind(r) == list_geometry::kRowEntry) {
                list.SetItemState(r, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
                list.SendMessage(LVM_ENSUREVISIBLE, static_cast<WPARAM>(r), FALSE);
                break;
            }
        }
        return TRUE;
    }
    default:
        return CDialog::PreTranslateMessage(pMsg);
    }
}
