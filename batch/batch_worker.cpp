// The batch workers: one pass over the items of the progress window
// constructed last, the report, then the window's close request. Every
// change to a window is a blocking send to the user-interface thread.
#include "batch/batch_texts.h"
#include "batch/prog_dlg.h"

#include "platform/system_dialogs.h"
#include "shell/shell.h"

#include <commctrl.h>

namespace {

unsigned RunBatch(int nMode)
{
    CProgDlg* pDlg = g_pProgDlg;
    if (!pDlg)
        return 0;
    const HWND hDlg = pDlg->m_hWnd;
    const HWND hBar = pDlg->m_progress.m_hWnd;
    static const std::vector<std::wstring> s_noItems;
    const std::vector<std::wstring>& items = pDlg->m_pSourceList ? *pDlg->m_pSourceList : s_noItems;
    const size_t nItems = items.size();

    ::SendMessageW(hBar, PBM_SETRANGE32, 0, static_cast<LPARAM>(nItems));
    ::SendMessageW(hBar, PBM_SETPOS, 0, 0);
    ::SetWindowTextW(hDlg, BatchCaption(nMode, 0.0f, std::wstring()).c_str());

    CShell shell;
    for (size_t i = 0; i < nItems; ++i) {
        shell.Locate(items[i], std::wstring());
        const std::wstring strPath = shell.m_strFile;
        const float fPercent = static_cast<float>(static_cast<double>(i + 1) / static_cast<double>(nItems) * 100.0);
        ::SetWindowTextW(hDlg, BatchCaption(nMode, fPercent, strPath).c_str());
        ::SendMessageW(hBar, PBM_DELTAPOS, 1, 0);

        bool bDone = false;
        if (nMode == kSaveBatch) {
            // Without a folder there is nowhere to copy to.
            bDone = !pDlg->m_strSavePath.empty() &&
                    shell.CopyTo(SaveDestination(pDlg->m_strSavePath, strPath), false) != 0;
        } else {
            bDone = shell.Run(true) != nullptr;
        }
        if (!bDone)
            pDlg->m_arrFailed.push_back(strPath);
    }

    const BatchReport report = MakeBatchReport(nMode, pDlg->m_arrFailed, pDlg->m_strSavePath);
    ShowMessageBox(::GetParent(hDlg), report.strText, report.strCaption, report.nType);
    ::SendMessageW(hDlg, WM_CLOSE, 0, 0);
    return 0;
}

} // namespace

unsigned InstallThreadProc(void*)
{
    return RunBatch(kInstallBatch);
}

unsigned SaveThreadProc(void*)
{
    return RunBatch(kSaveBatch);
}
