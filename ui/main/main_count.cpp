// The count beside the select-all box: how many entries are checked and
// how much their installers weigh, told again after every change of a mark.
#include "ui/main/QuillsetDlg.h"

#include "catalogue/catalogue.h"
#include "ui/main/main_art.h"

using namespace main_art;
using namespace main_layout;

void CQuillsetDlg::CreateCount()
{
    m_brBack = CBrush(::CreateSolidBrush(m_crBack));
    m_stcCount.CreateEx(0, L"STATIC", L"",
                        WS_CHILD | WS_VISIBLE | SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX | SS_ENDELLIPSIS, RECT{},
                        m_hWnd, kIdCount);
    m_stcCount.SetFont(MainFont(), FALSE);
    UpdateSelectionCount();
}

void CQuillsetDlg::UpdateSelectionCount()
{
    if (!m_stcCount.m_hWnd)
        return;
    // An entry section listed in several categories is one package: it
    // counts once, as a batch runs it once.
    int nCount = 0;
    unsigned long long nBytes = 0;
    for (size_t n = 0; m_pSettings && n < m_pSettings->Entries.size(); ++n) {
        if (!m_pSettings->Entries[n].Checked)
            continue;
        ++nCount;
        if (n < m_arrStatus.size() && m_arrStatus[n].bFound)
            nBytes += m_arrStatus[n].nSize;
    }
    const std::wstring text = SelectionCountText(nCount, nBytes);
    if (text != m_stcCount.GetWindowText())
        m_stcCount.SetWindowText(text);
}

LRESULT CQuillsetDlg::OnColorStatic(HDC hDC)
{
    // The count stands on the window's own background.
    ::SetBkColor(hDC, m_crBack);
    ::SetTextColor(hDC, RGB(0, 0, 0));
    return reinterpret_cast<LRESULT>(m_brBack.Get());
}
