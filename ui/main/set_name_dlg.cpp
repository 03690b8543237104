#include "ui/main/set_name_dlg.h"

#include "catalogue/catalogue_edit.h"
#include "platform/system_dialogs.h"
#include "platform/text.h"
#include "res/resource.h"
#include "ui/main/command_texts.h"

CSetNameDlg::CSetNameDlg(CWnd* pParent, std::wstring strNote) noexcept
    : CDialog(IDD_SET_NAME, pParent), m_strNote(std::move(strNote))
{
}

BOOL CSetNameDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    ::SetDlgItemTextW(m_hWnd, IDC_SET_NOTE, m_strNote.c_str());
    const HWND hName = ::GetDlgItem(m_hWnd, IDC_SET_NAME);
    ::SendMessageW(hName, EM_LIMITTEXT, kMaxSetNameLength, 0);
    ::SetWindowTextW(hName, m_strName.c_str());
    ::SendMessageW(hName, EM_SETSEL, 0, -1);
    ::SetFocus(hName);
    return FALSE;
}

void CSetNameDlg::OnOK()
{
    const HWND hName = ::GetDlgItem(m_hWnd, IDC_SET_NAME);
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(hName)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(hName, text.data(), static_cast<int>(text.size()))));
    const std::wstring name = platform_text::TrimSpace(text);
    const std::wstring problem = SetNameProblem(name);
    if (!problem.empty()) {
        ShowMessageBox(m_hWnd, problem, command_texts::kCaptionSaveSet, MB_OK | MB_ICONEXCLAMATION);
        ::SetFocus(hName);
        return;
    }
    m_strName = name;
    CDialog::OnOK();
}
