// The small top-most window that stands in for the program while a batch
// runs, and the batch workers it starts.
#pragma once

#include "batch/batch_plan.h"
#include "platform/controls.h"
#include "platform/handles.h"
#include "platform/wnd.h"

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

class CProgDlg : public CDialog {
public:
    explicit CProgDlg(CWnd* pParent = nullptr);
    // Waits for a worker that is still running, so that it never outlives
    // the members it uses.
    ~CProgDlg() override;

    // Starts the worker, then runs the window modally.
    INT_PTR DoModal() override;

    CProgressCtrl m_progress;
    // 0 = install batch, 1 = save batch.
    int m_nMode = 0;
    // The batch items; they belong to the caller and must outlive the window.
    const std::vector<std::wstring>* m_pSourceList = nullptr;
    // Filled by the worker: the failed items, in item order.
    std::vector<std::wstring> m_arrFailed;
    // The destination folder of a save batch.
    std::wstring m_strSavePath;
    // The items' names, the log, the report, the waits of a busy installer.
    BatchOptions m_options;
    // Filled by the worker as the batch ends.
    BatchSummary m_summary;

    // Runs the batch on this thread with no window at all: the same worker,
    // whose steps then go nowhere. For the quiet command line, which shows
    // no report either (m_options.bReport false).
    void RunWithoutWindow();

    // For the worker, from its own thread. The start: the bar's range 0 ..
    // nItems, its position 0 and the first caption. An item's step: the
    // caption, then the bar one further. The window's thread shows steps without the
    // worker waiting for it, at most every kStepInterval milliseconds: steps
    // that come quicker are shown together (the caption of the latest, the
    // bar moved by all). ShowSteps waits until every step handed over so far
    // is on the screen.
    void QueueStart(int nItems, std::wstring strCaption);
    void QueueStep(std::wstring strCaption);
    void ShowSteps() noexcept;
    static constexpr UINT kStepInterval = 100;
    // Waits until the window has been initialised (or could not be made):
    // the worker starts before.
    void WaitUntilReady() const noexcept;
    // The worker's last act: it has reported and asks the window to close.
    // Other close requests (a WM_CLOSE from elsewhere, a quit request) are
    // ignored while the worker runs, as Enter and Escape are.
    void CloseFromWorker() noexcept;

protected:
    BOOL OnInitDialog() override;
    // Enter and Escape do not close the window.
    void OnOK() override;
    void OnCancel() override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    bool EndsOnQuit() override;

private:
    void WaitForWorker() noexcept;
    // Whether the window may close now: no worker, or the worker asked.
    bool MayClose() const noexcept;
    // Shows the waiting steps; false when there were none.
    bool ShowWaitingSteps();
    void OnStepTimer();

    CKernelHandle m_hWorker;
    CKernelHandle m_hReady;
    std::atomic<bool> m_bWorkerClosing = false;
    // The steps handed over and not yet shown, and whether the window will
    // come to them without a new wake-up (one is posted, or the interval
    // timer runs).
    std::mutex m_stepsMutex;
    HWND m_hStepsWnd = nullptr; // the window, once it is there
    int m_nStartItems = -1; // -1: no start waiting
    std::wstring m_strStartCaption;
    std::wstring m_strStepCaption;
    int m_nStepsWaiting = 0;
    bool m_bStepsAwaited = false;
};

// The progress window constructed last; the worker finds its window and
// its items through it.
extern CProgDlg* g_pProgDlg;

// The two workers, in the form BeginThread expects; the argument is not used.
// Each runs in a COM apartment of its own, as ShellExecuteEx wants.
unsigned InstallThreadProc(void* pParam);
unsigned SaveThreadProc(void* pParam);
