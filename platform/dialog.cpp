// Dialogs: the template-based window with its own modal loop.
#include "platform/wnd.h"

BOOL CDialog::OnInitDialog()
{
    return TRUE;
}

void CDialog::OnOK()
{
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

BOOL CDialog::OnCommand(WPARAM wp, LPARAM lp)
{
    const UINT nID = LOWORD(wp);
    const UINT nCode = HIWORD(wp);
    if ((nID == IDOK || nID == IDCANCEL) && (lp == 0 || nCode == BN_CLICKED)) {
        if (nID == IDOK)
            OnOK();
        else
            OnCancel();
        return TRUE;
    }
    return FALSE;
}

void CDialog::EndDialog(INT_PTR nResult) noexcept
{
    const HWND hWnd = m_hWnd;
    if (hWnd && ::GetWindowThreadProcessId(hWnd, nullptr) != ::GetCurrentThreadId()) {
        // The dialog ends on its own thread; if it has gone by then, the
        // request goes with its window.
        ::PostMessageW(hWnd, EndDialogMessage(), static_cast<WPARAM>(nResult), 0);
        return;
    }
    m_nResult = nResult;
    if (m_bModal) {
        m_bModal = false;
        // Wake the modal loop in case the request came from outside any
        // message.
        if (hWnd)
            ::PostMessageW(hWnd, WM_NULL, 0, 0);
    }
}

void CDialog::ShowActivation() noexcept
{
    // The window was activated before it was the foreground window (the
    // first window of a program, shown while another program's window is in
    // front): its caption was drawn inactive then, and becoming the
    // foreground window afterwards does not draw it again (Wine's desktop
    // makes it so without a second WM_NCACTIVATE). The active window takes
    // the foreground, and a caption drawn inactive is drawn as it really is.
    if (::GetActiveWindow() != m_hWnd)
        return;
    if (::GetForegroundWindow() != m_hWnd)
        ::SetForegroundWindow(m_hWnd);
    if (::GetForegroundWindow() == m_hWnd && !m_bCaptionActive)
        ::SendMessageW(m_hWnd, WM_NCACTIVATE, TRUE, 0);
}

bool CDialog::EndsOnQuit()
{
    return true;
}

UINT CDialog::EndDialogMessage() noexcept
{
    static const UINT s_msg = ::RegisterWindowMessageW(L"Quillset.CDialog.EndDialog");
    return s_msg;
}

HWND CDialog::OwnerWindow() const noexcept
{
    if (m_pParent && m_pParent->m_hWnd)
        return ::GetAncestor(m_pParent->m_hWnd, GA_ROOT);
    CWinApp* pApp = GetApp();
    if (pApp && pApp->m_pMainWnd && pApp->m_pMainWnd != this && pApp->m_pMainWnd->m_hWnd)
        return pApp->m_pMainWnd->m_hWnd;
    return nullptr;
}

INT_PTR CALLBACK CDialog::StaticDlgProc(HWND hWnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == EndDialogMessage() && msg != 0) {
        // Posted by EndDialog from another thread: only dialogs made by
        // DoModal have this procedure, so the object is a CDialog.
        if (auto* pDlg = static_cast<CDialog*>(FromHandle(hWnd)))
            pDlg->EndDialog(static_cast<INT_PTR>(wp));
        return TRUE;
    }
    if (msg == WM_NCACTIVATE) {
        // How the caption was last drawn (see ShowActivation).
        if (auto* pDlg = static_cast<CDialog*>(FromHandle(hWnd)))
            pDlg->m_bCaptionActive = wp != FALSE;
        return FALSE;
    }
    if (msg != WM_INITDIALOG)
        return FALSE;
    auto* pDlg = reinterpret_cast<CDialog*>(lp);
    if (!pDlg || !pDlg->Hook(hWnd))
        return TRUE;
    return pDlg->OnInitDialog();
}

bool CDialog::PreTranslateChain(MSG* pMsg)
{
    for (HWND h = pMsg->hwnd; h; h = ::GetParent(h)) {
        if (CWnd* pWnd = FromHandle(h)) {
            if (pWnd->PreTranslateMessage(pMsg))
                return true;
        }
        if (!(::GetWindowLongPtrW(h, GWL_STYLE) & WS_CHILD))
            break;
    }
    return false;
}

INT_PTR CDialog::DoModal()
{
    if (m_hWnd)
        return -1;
    HWND hOwner = OwnerWindow();
    m_nResult = -1;
    m_bModal = true;
    m_bCaptionActive = false;
    // The owner is disabled before the dialog exists, so the dialog's
    // initialisation already runs in the modal state.
    const bool bOwnerWasEnabled = hOwner && ::IsWindowEnabled(hOwner);
    if (bOwnerWasEnabled)
        ::EnableWindow(hOwner, FALSE);
    HWND hWnd = ::CreateDialogParamW(GetResourceInstance(), MAKEINTRESOURCEW(m_nIDTemplate), hOwner,
                                     &CDialog::StaticDlgProc, reinterpret_cast<LPARAM>(this));
    if (!hWnd) {
        m_bModal = false;
        if (bOwnerWasEnabled)
            ::EnableWindow(hOwner, TRUE);
        return -1;
    }
    if (m_bModal && ::IsWindow(hWnd) && !::IsWindowVisible(hWnd))
        ::ShowWindow(hWnd, SW_SHOWNORMAL);
    if (m_bModal && ::IsWindow(hWnd))
        ShowActivation();

    bool bQuit = false;
    WPARAM quitCode = 0;
    while (m_bModal && ::IsWindow(hWnd)) {
        MSG msg;
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            bQuit = true;
            quitCode = msg.wParam;
            if (EndsOnQuit())
                break;
            continue;
        }
        if (got == -1)
            break;
        if (PreTranslateChain(&msg))
            continue;
        if (::IsDialogMessageW(hWnd, &msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    m_bModal = false;

    // Re-enable the owner before the dialog goes, so activation returns to it.
    if (bOwnerWasEnabled)
        ::EnableWindow(hOwner, TRUE);
    if (::IsWindow(hWnd)) {
        ::SetWindowPos(hWnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
        if (hOwner && ::GetActiveWindow() == hWnd)
            ::SetActiveWindow(hOwner);
        UnsubclassWindow();
        ::DestroyWindow(hWnd);
    }
    m_hWnd = nullptr;
    if (bQuit)
        ::PostQuitMessage(static_cast<int>(quitCode));
    return m_nResult;
}
