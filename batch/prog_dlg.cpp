#include "batch/prog_dlg.h"

#include "batch/batch_texts.h"
#include "platform/thread.h"
#include "res/resource.h"

#include <utility>

CProgDlg* g_pProgDlg = nullptr;

namespace {

constexpr int kWindowWidth = 400;
constexpr int kWindowHeight = 60;
constexpr int kBarInset = 7;
// The window's top edge above the bottom of the work area.
constexpr int kAboveWorkAreaBottom = 80;
// Posted by the worker when steps wait to be shown.
constexpr UINT kMsgShowSteps = WM_APP + 1;

} // namespace

CProgDlg::CProgDlg(CWnd* pParent) : CDialog(IDD_PROGRESS, pParent)
{
    g_pProgDlg = this;
}

CProgDlg::~CProgDlg()
{
    WaitForWorker();
    if (g_pProgDlg == this)
        g_pProgDlg = nullptr;
}

void CProgDlg::WaitForWorker() noexcept
{
    if (!m_hWorker)
        return;
    // The worker may still send to windows of this thread (a message box
    // disabling its owner): serve those sends while waiting.
    HANDLE hThread = m_hWorker.Get();
    while (::MsgWaitForMultipleObjects(1, &hThread, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        MSG msg;
        ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    m_hWorker.Reset();
}

INT_PTR CProgDlg::DoModal()
{
    // The worker starts before the window is made and gets on with its
    // items meanwhile: it hands its steps over without waiting, and it asks
    // the window nothing (ShowSteps, the report, the close request) before
    // the window is ready.
    m_hReady.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ThreadProc pWorker = nullptr;
    if (m_nMode == kInstallBatch)
        pWorker = &InstallThreadProc;
    else if (m_nMode == kSaveBatch)
        pWorker = &SaveThreadProc;
    if (pWorker && m_hReady)
        m_hWorker = BeginThread(pWorker, nullptr);
    const INT_PTR nResult = CDialog::DoModal();
    // A window that could not be made: the worker finishes without one.
    if (m_hReady)
        ::SetEvent(m_hReady.Get());
    return nResult;
}

void CProgDlg::RunWithoutWindow()
{
    if (m_nMode == kInstallBatch)
        InstallThreadProc(nullptr);
    else if (m_nMode == kSaveBatch)
        SaveThreadProc(nullptr);
}

BOOL CProgDlg::OnInitDialog()
{
    ::MoveWindow(m_hWnd, 0, 0, kWindowWidth, kWindowHeight, FALSE);

    RECT rcBar = GetClientRect();
    ::InflateRect(&rcBar, -kBarInset, -kBarInset);
    m_progress.Create(WS_CHILD | WS_VISIBLE | PBS_SMOOTH, rcBar, m_hWnd, IDC_PROGRESS);

    CenterWindow();

    const RECT rcWindow = GetWindowRect();
    RECT rcWork{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &rcWork, 0);
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, rcWindow.left, rcWork.bottom - kAboveWorkAreaBottom, 0, 0, SWP_NOSIZE);

    // Without a worker (an unknown mode, or no thread to be had) nothing
    // would ever close the window.
    if (!m_hWorker)
        EndDialog(IDCANCEL);
    {
        std::lock_guard<std::mutex> lock(m_stepsMutex);
        m_hStepsWnd = m_hWnd;
    }
    // Steps handed over before the window was there are shown from the loop.
    ::PostMessageW(m_hWnd, kMsgShowSteps, 0, 0);
    if (m_hReady)
        ::SetEvent(m_hReady.Get());
    return TRUE;
}

void CProgDlg::WaitUntilReady() const noexcept
{
    if (m_hReady)
        ::WaitForSingleObject(m_hReady.Get(), INFINITE);
}

void CProgDlg::OnOK() {}

void CProgDlg::OnCancel() {}

void CProgDlg::QueueStart(int nItems, std::wstring strCaption)
{
    HWND hWake = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_stepsMutex);
        m_nStartItems = nItems;
        m_strStartCaption = std::move(strCaption);
        hWake = std::exchange(m_bStepsAwaited, true) ? nullptr : m_hStepsWnd;
    }
    if (hWake)
        ::PostMessageW(hWake, kMsgShowSteps, 0, 0);
}

void CProgDlg::QueueStep(std::wstring strCaption)
{
    HWND hWake = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_stepsMutex);
        m_strStepCaption = std::move(strCaption);
        ++m_nStepsWaiting;
        hWake = std::exchange(m_bStepsAwaited, true) ? nullptr : m_hStepsWnd;
    }
    // One wake-up for however many steps come before the window gets to them.
    if (hWake)
        ::PostMessageW(hWake, kMsgShowSteps, 0, 0);
}

void CProgDlg::ShowSteps() noexcept
{
    WaitUntilReady();
    if (m_hWnd)
        ::SendMessageW(m_hWnd, kMsgShowSteps, 1, 0);
}

bool CProgDlg::ShowWaitingSteps()
{
    int nStartItems = -1;
    std::wstring strStartCaption;
    std::wstring strCaption;
    int nSteps = 0;
    {
        std::lock_guard<std::mutex> lock(m_stepsMutex);
        nStartItems = std::exchange(m_nStartItems, -1);
        strStartCaption.swap(m_strStartCaption);
        strCaption.swap(m_strStepCaption);
        nSteps = std::exchange(m_nStepsWaiting, 0);
    }
    if (nStartItems >= 0) {
        m_progress.SendMessage(PBM_SETRANGE32, 0, nStartItems);
        m_progress.SendMessage(PBM_SETPOS, 0);
        SetWindowText(strStartCaption);
    }
    if (nSteps) {
        SetWindowText(strCaption);
        m_progress.SendMessage(PBM_DELTAPOS, static_cast<WPARAM>(nSteps));
    }
    return nStartItems >= 0 || nSteps;
}

void CProgDlg::OnStepTimer()
{
    {
        // Nothing came during the interval: the next step wakes the window.
        std::lock_guard<std::mutex> lock(m_stepsMutex);
        if (!m_nStepsWaiting && m_nStartItems < 0) {
            m_bStepsAwaited = false;
            ::KillTimer(m_hWnd, kMsgShowSteps);
            return;
        }
    }
    ShowWaitingSteps();
}

void CProgDlg::CloseFromWorker() noexcept
{
    WaitUntilReady();
    m_bWorkerClosing = true;
    if (m_hWnd)
        ::SendMessageW(m_hWnd, WM_CLOSE, 0, 0);
}

bool CProgDlg::MayClose() const noexcept
{
    return !m_hWorker || m_bWorkerClosing;
}

bool CProgDlg::EndsOnQuit()
{
    // The quit request is passed on once the batch has ended.
    return MayClose();
}

LRESULT CProgDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case kMsgShowSteps:
        // Posted: show, then wait an interval before showing more. Sent
        // (wp 1): show at once.
        if (ShowWaitingSteps() && !wp)
            ::SetTimer(m_hWnd, kMsgShowSteps, kStepInterval, nullptr);
        else if (!wp)
            OnStepTimer();
        return 0;
    case WM_TIMER:
        if (wp == kMsgShowSteps) {
            OnStepTimer();
            return 0;
        }
        break;
    case WM_CLOSE:
        // Only the worker's own request ends the run while a batch runs.
        if (MayClose())
            CDialog::OnCancel();
        return 0;
    case WM_SYSCOMMAND:
        // Alt+F4 would end the window under a running worker.
        if ((wp & 0xFFF0) == SC_CLOSE)
            return 0;
        break;
    default:
        break;
    }
    return CDialog::WindowProc(msg, wp, lp);
}
