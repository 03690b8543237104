#include "batch/prog_dlg.h"

#include "batch/batch_texts.h"
#include "platform/system_dialogs.h"
#include "platform/thread.h"
#include "res/resource.h"

#include <algorithm>
#include <utility>

CProgDlg* g_pProgDlg = nullptr;

namespace {

// Sizes at 96 DPI.
constexpr int kWindowWidth = 400;
constexpr int kWindowHeight = 60;
// The window's top edge above the bottom of the work area.
constexpr int kAboveWorkAreaBottom = 80;
// Posted by the worker when steps wait to be shown.
constexpr UINT kMsgShowSteps = WM_APP + 1;
// Sent by the worker when its last item has ended.
constexpr UINT kMsgItemsDone = WM_APP + 2;
// The stop button: its picture and the window's ground it is drawn on.
constexpr SIZE kStopPicture{64, 20};
constexpr COLORREF kWindowBack = RGB(220, 230, 232);
// Room kept beside a caption's text, and the steps the window grows by, so
// that captions of about the same length leave it as it is (96-DPI pixels).
constexpr int kCaptionMargin = 16;
constexpr int kWidthStep = 50;

// The open stop question: a dialog of this thread owned by the window.
struct OpenQuestion {
    HWND hOwner;
    HWND hBox;
};

BOOL CALLBACK FindQuestion(HWND hWnd, LPARAM lp)
{
    auto* pQuestion = reinterpret_cast<OpenQuestion*>(lp);
    wchar_t szClass[16] = {};
    ::GetClassNameW(hWnd, szClass, 16);
    if (::GetWindow(hWnd, GW_OWNER) == pQuestion->hOwner && std::wstring(szClass) == L"#32770") {
        pQuestion->hBox = hWnd;
        return FALSE;
    }
    return TRUE;
}

} // namespace

ProgressLayout LayOutProgress(const RECT& rcClient, bool bStopButton, SIZE stopSize, const dpi::Scale& scale)
{
    const int kInset = scale.Px(ProgressLayout::kInset);
    ProgressLayout layout;
    layout.rcBar = rcClient;
    ::InflateRect(&layout.rcBar, -kInset, -kInset);
    if (!bStopButton)
        return layout;
    const int top = rcClient.top + (rcClient.bottom - rcClient.top - stopSize.cy) / 2;
    const int left = rcClient.right - kInset - stopSize.cx;
    layout.rcStop = RECT{left, top, left + stopSize.cx, top + stopSize.cy};
    layout.rcBar.right = left - kInset;
    return layout;
}

int ProgressWidth(int nCurrent, int nNeeded, int nWorkWidth, int nStep) noexcept
{
    if (nNeeded <= nCurrent)
        return nCurrent;
    const int nWider = nStep > 0 ? (nNeeded + nStep - 1) / nStep * nStep : nNeeded;
    return std::max(nCurrent, nWorkWidth > 0 ? std::min(nWider, nWorkWidth) : nWider);
}

CProgDlg::CProgDlg(CWnd* pParent)
    : CDialog(IDD_PROGRESS, pParent), m_hEndItem(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
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
    else if (m_nMode == kSaveFileBatch)
        pWorker = &SaveFileThreadProc;
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

bool CProgDlg::Stoppable() const noexcept
{
    // A single file saved from a row has nothing after it to leave out.
    return m_options.bStoppable && m_nMode != kSaveFileBatch;
}

BOOL CProgDlg::OnInitDialog()
{
    const bool bStoppable = Stoppable();
    if (!bStoppable) {
        // No close box where closing is not offered.
        ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, ::GetWindowLongPtrW(m_hWnd, GWL_STYLE) & ~LONG_PTR{WS_SYSMENU});
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    }
    m_brBack.Reset(::CreateSolidBrush(kWindowBack));
    m_scale = dpi::Scale{dpi::WindowDpi(m_hWnd)};
    ::MoveWindow(m_hWnd, 0, 0, m_scale.Px(kWindowWidth), m_scale.Px(kWindowHeight), FALSE);

    const ProgressLayout layout = LayOutProgress(GetClientRect(), bStoppable, StopButtonSize(), m_scale);
    m_progress.Create(WS_CHILD | WS_VISIBLE | PBS_SMOOTH, layout.rcBar, m_hWnd, IDC_PROGRESS);
    if (bStoppable) {
        // The picture draws the label; the window text is what a screen
        // reader speaks and carries the mnemonic.
        m_btnStop.SetPaintedText(L"&S");
        m_btnStop.Create(kStopLabel, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, layout.rcStop, m_hWnd,
                         IDC_STOP);
        m_btnStop.SetFont(GetFont(), FALSE);
        for (int slot : {CThemedButton::HoverBack, CThemedButton::NormalBack, CThemedButton::FocusBack})
            m_btnStop.SetColor(slot, kWindowBack);
        m_btnStop.AssignBitmaps(dpi::LoadBitmapAt(IDB_STOP_HOT, m_scale).Release(),
                                dpi::LoadBitmapAt(IDB_STOP, m_scale).Release());
        m_btnStop.AssignTooltip(EndsAtOnce() ? L"结束正在运行的安装程序" : L"当前项目完成后停止批处理");
    }

    CenterWindow();

    const RECT rcWindow = GetWindowRect();
    RECT rcWork{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &rcWork, 0);
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, rcWindow.left, rcWork.bottom - m_scale.Px(kAboveWorkAreaBottom), 0, 0, SWP_NOSIZE);

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

void CProgDlg::OnCancel()
{
    RequestStop();
}

BOOL CProgDlg::OnCommand(WPARAM wp, LPARAM lp)
{
    if (LOWORD(wp) == IDC_STOP && HIWORD(wp) == BN_CLICKED) {
        RequestStop();
        return TRUE;
    }
    return CDialog::OnCommand(wp, lp);
}

bool CProgDlg::EndsAtOnce() const noexcept
{
    return m_nMode == kInstallBatch && m_pItems && m_pItems->size() == 1;
}

std::wstring CProgDlg::BoxCaption() const
{
    return m_options.strRowCaption.empty() ? std::wstring(BatchBoxCaption(m_nMode)) : m_options.strRowCaption;
}

void CProgDlg::RequestStop()
{
    if (!Stoppable() || !m_hWorker || m_bWorkerClosing || m_bItemsDone || m_bAsking)
        return;
    if (m_bStopping || EndsAtOnce()) {
        OfferToEndItem();
        return;
    }
    // The item that runs goes on while the question is open, and no other
    // starts; No is the default, so a key pressed in passing stops nothing.
    SetAsking(true);
    const int nAnswer =
        ShowMessageBox(m_hWnd, kStopQuestion, BoxCaption(), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    const bool bStop = nAnswer == IDYES && !m_bItemsDone && m_hWnd;
    if (bStop)
        m_bStopping = true;
    SetAsking(false);
    if (bStop)
        ShowStopping();
}

void CProgDlg::OfferToEndItem()
{
    // A copy in hand ends soon by itself; an installer may never.
    if (m_nMode != kInstallBatch || m_bAskingEnd || !m_hEndItem ||
        ::WaitForSingleObject(m_hEndItem.Get(), 0) == WAIT_OBJECT_0)
        return;
    // The worker goes on meanwhile: the installer may end by itself, and
    // the question is withdrawn once the items are done.
    m_bAskingEnd = true;
    const int nAnswer = ShowMessageBox(m_hWnd, kEndItemQuestion, BoxCaption(),
                                       MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2);
    m_bAskingEnd = false;
    if (nAnswer == IDYES && !m_bItemsDone && m_hWnd) {
        ::SetEvent(m_hEndItem.Get());
        if (m_btnStop.m_hWnd)
            m_btnStop.AssignTooltip(L"正在结束安装程序");
    }
}

void CProgDlg::SetAsking(bool bAsking)
{
    {
        std::lock_guard<std::mutex> lock(m_stopMutex);
        m_bAsking = bAsking;
    }
    if (!bAsking)
        m_stopAnswered.notify_all();
}

bool CProgDlg::StopRequested()
{
    std::unique_lock<std::mutex> lock(m_stopMutex);
    m_stopAnswered.wait(lock, [this] { return !m_bAsking; });
    return m_bStopping;
}

void CProgDlg::ShowStopping()
{
    SetCaption(ShownCaption(GetWindowText()));
    if (m_btnStop.m_hWnd) {
        // A further request offers to end the installer that runs.
        m_btnStop.SetWindowText(kStoppingLabel);
        m_btnStop.AssignBitmaps(dpi::LoadBitmapAt(IDB_STOPPING, m_scale).Release(),
                                dpi::LoadBitmapAt(IDB_STOPPING, m_scale).Release());
        m_btnStop.AssignTooltip(m_nMode == kInstallBatch ? L"当前项目完成后停止; 再按一次可结束正在运行的安装程序"
                                                         : L"当前项目完成后停止");
        m_btnStop.Invalidate();
    }
}

void CProgDlg::SetCaption(const std::wstring& strCaption)
{
    // The window takes its width before the caption shows: whoever sees the
    // caption sees the window's final layout.
    FitToCaption(strCaption);
    SetWindowText(strCaption);
}

void CProgDlg::FitToCaption(const std::wstring& strCaption)
{
    // The caption's width in the larger of the two caption fonts, beside
    // the frame, the close box and a margin.
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof(ncm);
    if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0))
        return;
    int nText = 0;
    {
        const CClientDC dc(m_hWnd);
        for (const LOGFONTW& lf : {ncm.lfSmCaptionFont, ncm.lfCaptionFont}) {
            const CFont font(::CreateFontIndirectW(&lf));
            const CSelectObject select(dc.Get(), font.Get());
            SIZE size{};
            ::GetTextExtentPoint32W(dc.Get(), strCaption.c_str(), static_cast<int>(strCaption.size()), &size);
            nText = std::max(nText, static_cast<int>(size.cx));
        }
    }
    const RECT rcWindow = GetWindowRect();
    const RECT rcClient = GetClientRect();
    const int nWidth = rcWindow.right - rcWindow.left;
    const int nFrame = nWidth - (rcClient.right - rcClient.left);
    const int nClose = (GetStyle() & WS_SYSMENU) ? ::GetSystemMetrics(SM_CXSMSIZE) : 0;
    RECT rcWork{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &rcWork, 0);
    const int nNew =
        ProgressWidth(nWidth, nText + nFrame + nClose + m_scale.Px(kCaptionMargin), rcWork.right - rcWork.left,
                      m_scale.Px(kWidthStep));
    if (nNew == nWidth)
        return;
    // Wider, still centred on the work area, the bar and button laid out
    // again.
    ::SetWindowPos(m_hWnd, nullptr, rcWork.left + (rcWork.right - rcWork.left - nNew) / 2, rcWindow.top, nNew,
                   rcWindow.bottom - rcWindow.top, SWP_NOZORDER | SWP_NOACTIVATE);
    const ProgressLayout layout = LayOutProgress(GetClientRect(), m_btnStop.m_hWnd != nullptr, StopButtonSize(), m_scale);
    ::MoveWindow(m_progress.m_hWnd, layout.rcBar.left, layout.rcBar.top, layout.rcBar.right - layout.rcBar.left,
                 layout.rcBar.bottom - layout.rcBar.top, TRUE);
    if (m_btnStop.m_hWnd)
        ::MoveWindow(m_btnStop.m_hWnd, layout.rcStop.left, layout.rcStop.top, layout.rcStop.right - layout.rcStop.left,
                     layout.rcStop.bottom - layout.rcStop.top, TRUE);
}

SIZE CProgDlg::StopButtonSize() const noexcept
{
    return SIZE{m_scale.Px(kStopPicture.cx + 1), m_scale.Px(kStopPicture.cy + 1)};
}

std::wstring CProgDlg::ShownCaption(const std::wstring& strCaption) const
{
    if (!m_bStopping || strCaption.starts_with(kStoppingCaptionPrefix))
        return strCaption;
    return kStoppingCaptionPrefix + strCaption;
}

void CProgDlg::ItemsDone() noexcept
{
    m_bItemsDone = true;
    WaitUntilReady();
    if (m_hWnd)
        ::SendMessageW(m_hWnd, kMsgItemsDone, 0, 0);
}

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
        SetCaption(ShownCaption(strStartCaption));
    }
    if (nSteps) {
        SetCaption(ShownCaption(strCaption));
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
    case kMsgItemsDone:
        // A question about stopping is moot once every item has ended.
        if (m_bAsking || m_bAskingEnd) {
            OpenQuestion question{m_hWnd, nullptr};
            ::EnumThreadWindows(::GetCurrentThreadId(), &FindQuestion, reinterpret_cast<LPARAM>(&question));
            if (question.hBox)
                ::PostMessageW(question.hBox, WM_COMMAND, IDNO, 0);
        }
        return 0;
    case WM_CTLCOLORDLG:
        return reinterpret_cast<LRESULT>(m_brBack.Get());
    case WM_CLOSE:
        // Only the worker's own request ends the run while a batch runs;
        // any other (the close box, Alt+F4) asks whether to stop.
        if (MayClose())
            CDialog::OnCancel();
        else
            RequestStop();
        return 0;
    default:
        break;
    }
    return CDialog::WindowProc(msg, wp, lp);
}
