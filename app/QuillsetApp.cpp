#include "app/QuillsetApp.h"

#include "app/command_line.h"
#include "app/unattended.h"
#include "catalogue/catalogue.h"
#include "platform/module_path.h"
#include "ui/main/QuillsetDlg.h"

#include <commctrl.h>

#include <memory>

BOOL CQuillsetApp::InitInstance()
{
    // Relative catalogue paths mean the program's own folder, however the
    // program was started (a prompt, a deployment tool, a shortcut): the
    // folder it really lies in, taken from the opened program and held, so
    // that a junction or link it was started through can be re-pointed
    // without moving it.
    const std::wstring folder = ProgramPlace().Folder();
    if (!folder.empty())
        ::SetCurrentDirectoryW(folder.c_str());
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
    pDlg->m_strCatalogue = ProfilePathFor(ProgramPlace().Path());
    pDlg->m_strUsage = UsageText();
    pDlg->DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}

int CQuillsetApp::ExitInstance()
{
    return m_nExitCode;
}
