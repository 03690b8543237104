// The small top-most window that stands in for the program while a batch
// runs, and the batch workers it starts.
#pragma once

#include "platform/controls.h"
#include "platform/handles.h"
#include "platform/wnd.h"

#include <string>
#include <vector>

class CProgDlg : public CDialog {
public:
    explicit CProgDlg(CWnd* pParent = nullptr);
    // Waits for a worker that is still running, so that it never outlives
    // the members it uses.
    ~CProgDlg() override;

    CProgressCtrl m_progress;
    // 0 = install batch, 1 = save batch.
    int m_nMode = 0;
    // The batch items; they belong to the caller and must outlive the window.
    const std::vector<std::wstring>* m_pSourceList = nullptr;
    // Filled by the worker: the failed items, in item order.
    std::vector<std::wstring> m_arrFailed;
    // The destination folder of a save batch.
    std::wstring m_strSavePath;

protected:
    BOOL OnInitDialog() override;
    // Enter and Escape do not close the window.
    void OnOK() override;
    void OnCancel() override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void WaitForWorker() noexcept;

    CKernelHandle m_hWorker;
};

// The progress window constructed last; the worker finds its window and
// its items through it.
extern CProgDlg* g_pProgDlg;

// The two workers, in the form BeginThread expects; the argument is not used.
unsigned InstallThreadProc(void* pParam);
unsigned SaveThreadProc(void* pParam);
