#include "batch/prog_dlg.h"

#include "platform/thread.h"
#include "res/resource.h"

CProgDlg* g_pProgDlg = nullptr;

namespace {

constexpr int kWindowWidth = 400;
constexpr int kWindowHeight = 60;
constexpr int kBarInset = 7;
// The window's top edge above the bottom of the work area.
constexpr int kAboveWorkAreaBottom = 80;

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

    ThreadProc pWorker = nullptr;
    if (m_nMode == 0)
        pWorker = &InstallThreadProc;
    else if (m_nMode == 1)
        pWorker = &SaveThreadProc;
    if (pWorker)
        m_hWorker = BeginThread(pWorker, nullptr);
    // Without a worker (an unknown mode, or no thread to be had) nothing
    // would ever close the window.
    if (!m_hWorker)
        EndDialog(IDCANCEL);
    return TRUE;
}

void CProgDlg::OnOK() {}

void CProgDlg::OnCancel() {}

LRESULT CProgDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_CLOSE:
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
