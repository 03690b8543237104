#include "app/QuillsetApp.h"

#include "app/unattended.h"
#include "catalogue/catalogue.h"
#include "ui/main/QuillsetDlg.h"

#include <commctrl.h>

#include <memory>

BOOL CQuillsetApp::InitInstance()
{
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof(icc);
    icc.dwICC = ICC_WIN95_CLASSES;
    ::InitCommonControlsEx(&icc);
    CWinApp::InitInstance();
    if (m_commandLine.kind != StartKind::Window) {
        m_nExitCode = RunCommandLine(m_commandLine);
        return FALSE;
    }

    auto pDlg = std::make_unique<CQuillsetDlg>();
    m_pMainWnd = pDlg.get();
    pDlg->m_pSettings = LoadCatalogue(this);
    pDlg->DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}

int CQuillsetApp::ExitInstance()
{
    return m_nExitCode;
}
