// The small top-most window that stands in for the program while a batch
// runs, and the batch workers it starts.
#pragma once

#include "batch/batch_plan.h"
#include "batch/save_plan.h"
#include "platform/controls.h"
#include "platform/dpi.h"
#include "platform/handles.h"
#include "platform/wnd.h"
#include "shell/resolved_item.h"
#include "ui/controls/ThemedButton.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

// Where the bar and the stop button stand in the window's client area: the
// bar fills it less kInset on every side, or, with the button, up to kInset
// left of the button, which stands kInset from the right edge, centred
// from top to bottom.
struct ProgressLayout {
    static constexpr int kInset = 7; // 96-DPI pixels
    RECT rcBar{};
    RECT rcStop{}; // empty without the button
};
ProgressLayout LayOutProgress(const RECT& rcClient, bool bStopButton, SIZE stopSize, const dpi::Scale& scale = {});

// The window's outer width once a caption needs nNeeded pixels, the window
// being nCurrent wide on a work area nWorkWidth wide: it grows for the
// caption (so the item's file name shows) by whole steps of nStep pixels,
// up to the work area's width, and never shrinks while the batch runs.
int ProgressWidth(int nCurrent, int nNeeded, int nWorkWidth, int nStep) noexcept;

// The question a stop request asks, and how the window shows that the batch
// stops after the item that is running.
inline constexpr wchar_t kStopQuestion[] = L"是否在当前项目完成后停止?";
inline constexpr wchar_t kStoppingCaptionPrefix[] = L"【当前项目完成后停止】";
// Asked when a stop is requested again while the batch stops: whether to
// end the installer that runs rather than wait for it.
inline constexpr wchar_t kEndItemQuestion[] =
    L"是否立即结束正在运行的安装程序?\n\n"
    L"警告: 安装程序及其启动的所有进程将被强行结束, 该软件可能只安装了一部分, 之后需要重新安装。";
inline constexpr wchar_t kStopLabel[] = L"停止(&S)";
inline constexpr wchar_t kStoppingLabel[] = L"正在停止";

class CProgDlg : public CDialog {
public:
    explicit CProgDlg(CWnd* pParent = nullptr);
    // Waits for a worker that is still running, so that it never outlives
    // the members it uses.
    ~CProgDlg() override;

    // Starts the worker, then runs the window modally.
    INT_PTR DoModal() override;

    CProgressCtrl m_progress;
    // 0 = install batch, 1 = save batch, 2 = one file saved as m_strSavePath.
    int m_nMode = 0;
    // The batch items, resolved by the caller before it asked; the worker
    // acts on exactly these. They belong to the caller and must outlive the
    // window.
    const std::vector<ResolvedItem>* m_pItems = nullptr;
    // Filled by the worker: the failed items, in item order.
    std::vector<std::wstring> m_arrFailed;
    // Filled by a save batch: what its report tells beside the failures.
    std::vector<std::wstring> m_arrNotes;
    // The destination folder of a save batch; the target file of mode 2.
    std::wstring m_strSavePath;
    // A save batch that makes its folder a disc: what the items' entries
    // bring and where their catalogue is. Null: the installers alone, each
    // straight into the folder. It belongs to the caller.
    const SaveDisc* m_pDisc = nullptr;
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
    // Other close requests (the close box, Alt+F4, Escape, a WM_CLOSE from
    // elsewhere) ask whether to stop after the item that is running, when
    // m_options.bStoppable (for an install of one item, whether to end its
    // installer); otherwise they are ignored while the worker runs, as
    // Enter and a quit request are.
    void CloseFromWorker() noexcept;
    // Whether the user chose to stop: the worker starts no further item.
    // While the question is open it waits for the answer, so that no item
    // starts meanwhile.
    bool StopRequested();
    // The worker has ended its last item and is about to report: a stop
    // question still open is withdrawn (answered No), and no new one is asked.
    void ItemsDone() noexcept;
    // Set when the user has chosen to end the installer that runs.
    HANDLE EndItemEvent() const noexcept { return m_hEndItem.Get(); }

protected:
    BOOL OnInitDialog() override;
    // Enter and Escape do not close the window.
    void OnOK() override;
    void OnCancel() override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    BOOL OnCommand(WPARAM wp, LPARAM lp) override;
    bool EndsOnQuit() override;

private:
    bool Stoppable() const noexcept;
    // An install of one item: there is nothing after it to leave out, so a
    // stop request offers to end its installer at once.
    bool EndsAtOnce() const noexcept;
    // The caption of the window's questions: the row's link, or the batch's.
    std::wstring BoxCaption() const;
    // Asks whether to stop after the running item, unless the batch is
    // stopping already, its items are done or the question is open.
    void RequestStop();
    // Asked again while stopping: offers to end the running installer.
    void OfferToEndItem();
    // Opens or closes the question for the worker's StopRequested.
    void SetAsking(bool bAsking);
    // The button and the caption say the batch stops after this item.
    void ShowStopping();
    // The caption as shown: with the stopping mark once the batch stops.
    std::wstring ShownCaption(const std::wstring& strCaption) const;
    // Shows a caption, the window made wide enough for it.
    void SetCaption(const std::wstring& strCaption);
    void FitToCaption(const std::wstring& strCaption);
    SIZE StopButtonSize() const noexcept;
    void WaitForWorker() noexcept;
    // Whether the window may close now: no worker, or the worker asked.
    bool MayClose() const noexcept;
    // Shows the waiting steps; false when there were none.
    bool ShowWaitingSteps();
    void OnStepTimer();

    CThemedButton m_btnStop;
    // The screen scale the window is shown at.
    dpi::Scale m_scale;
    // The window's ground, the colour the button's pictures stand on.
    CBrush m_brBack;
    // Whether the stop question is open; set and cleared on the window's
    // thread under m_stopMutex, with m_stopAnswered told when it closes.
    bool m_bAsking = false;
    std::mutex m_stopMutex;
    std::condition_variable m_stopAnswered;
    std::atomic<bool> m_bStopping = false;
    std::atomic<bool> m_bItemsDone = false;
    // Whether the question to end the running installer is open, and the
    // event it sets on Yes (manual reset: once set, every wait sees it).
    bool m_bAskingEnd = false;
    CKernelHandle m_hEndItem;
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

// The workers, in the form BeginThread expects; the argument is not used.
// Each runs in a COM apartment of its own, as ShellExecuteEx wants.
unsigned InstallThreadProc(void* pParam);
unsigned SaveThreadProc(void* pParam);
unsigned SaveFileThreadProc(void* pParam);
