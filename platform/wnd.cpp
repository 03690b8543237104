#include "platform/wnd.h"

#include "platform/thread.h"

#include <commctrl.h>

#include <mutex>
#include <shared_mutex>
#include <unordered_map>


namespace {

// The objects attached to windows of this process, with the procedure each
// window had before. Every message looks its window up, and a reflected
// notification its control too: a lookup here costs no call into the
// window system (a window property, which comctl32's subclass chain also
// reads on every message, is a round trip to the window server under Wine).
// A window whose object went while a later subclass still calls through
// this module keeps its entry, without object, until it is destroyed: its
// messages then go on to its own procedure.
struct Attachment {
    CWnd* pWnd = nullptr;
    WNDPROC pfnSuper = nullptr;
};

class CHandleMap {
public:
    bool Find(HWND hWnd, Attachment* pFound)
    {
        std::shared_lock lock(m_mutex);
        const auto it = m_map.find(hWnd);
        if (it == m_map.end())
            return false;
        *pFound = it->second;
        return true;
    }
    void Set(HWND hWnd, const Attachment& attachment)
    {
        std::unique_lock lock(m_mutex);
        m_map[hWnd] = attachment;
    }
    void Remove(HWND hWnd)
    {
        std::unique_lock lock(m_mutex);
        m_map.erase(hWnd);
    }

private:
    std::shared_mutex m_mutex;
    std::unordered_map<HWND, Attachment> m_map;
};

// Lives as long as the process: window objects with static lifetime detach
// in their destructors, whatever the order of destruction.
CHandleMap& HandleMap()
{
    static CHandleMap* const s_pMap = new CHandleMap;
    return *s_pMap;
}


// The control being created on this thread, with its parent and id: an
// owner-drawn list view asks its parent to measure its items before
// CreateWindowEx has returned and the object could be attached.
struct PendingControl {
    CWnd* pWnd = nullptr;
    HWND hParent = nullptr;
    UINT nID = 0;
};
thread_local PendingControl t_pending;

bool IsReflected(UINT msg) noexcept
{
    return msg == WM_COMMAND || msg == WM_NOTIFY || msg == WM_DRAWITEM || msg == WM_MEASUREITEM ||
           IsCtlColorMessage(msg);
}

CWinApp* g_pApp = nullptr;
HINSTANCE g_hResources = nullptr;

} // namespace

CWnd::~CWnd()
{
    if (m_hWnd && ::IsWindow(m_hWnd)) {
        // The window outlives no object: detach first so the destruction
        // messages do not reach a half-destroyed object.
        HWND hWnd = UnsubclassWindow();
        ::DestroyWindow(hWnd);
    }
}

CWnd* CWnd::FromHandle(HWND hWnd) noexcept
{
    Attachment attachment;
    if (!hWnd || !HandleMap().Find(hWnd, &attachment))
        return nullptr;
    return attachment.pWnd;
}

bool CWnd::Hook(HWND hWnd) noexcept
{
    if (!hWnd || m_hWnd || FromHandle(hWnd))
        return false;
    // A window an earlier object left in the chain still calls through this
    // module: the object takes that place again.
    Attachment earlier;
    const bool bInChain = HandleMap().Find(hWnd, &earlier);
    auto pfnOld = bInChain ? earlier.pfnSuper : reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hWnd, GWLP_WNDPROC));
    if (!pfnOld)
        return false;
    HandleMap().Set(hWnd, Attachment{this, pfnOld});
    m_hWnd = hWnd;
    m_pfnSuper = pfnOld;
    PreSubclassWindow();
    if (!bInChain)
        ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::StaticWndProc));
    return true;
}

bool CWnd::SubclassWindow(HWND hWnd)
{
    return Hook(hWnd);
}

HWND CWnd::UnsubclassWindow() noexcept
{
    HWND hWnd = m_hWnd;
    if (!hWnd)
        return nullptr;
    // The window's own procedure comes back where nothing subclassed it
    // after the object. Otherwise the later subclass still calls through
    // this module, which passes the messages on to that procedure.
    if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hWnd, GWLP_WNDPROC)) == &CWnd::StaticWndProc) {
        ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
        HandleMap().Remove(hWnd);
    } else {
        HandleMap().Set(hWnd, Attachment{nullptr, m_pfnSuper});
    }
    m_hWnd = nullptr;
    m_pfnSuper = nullptr;
    return hWnd;
}

bool CWnd::CreateEx(DWORD dwExStyle, const wchar_t* pszClass, const wchar_t* pszText, DWORD dwStyle,
                    const RECT& rc, HWND hParent, UINT nID)
{
    if (m_hWnd)
        return false;
    const PendingControl saved = t_pending;
    t_pending = {this, hParent, nID};
    HMENU hMenuOrId = (dwStyle & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)) : nullptr;
    HWND hWnd = ::CreateWindowExW(dwExStyle, pszClass, pszText ? pszText : L"", dwStyle, rc.left, rc.top,
                                  rc.right - rc.left, rc.bottom - rc.top, hParent, hMenuOrId,
                                  GetResourceInstance(), nullptr);
    t_pending = saved;
    if (!hWnd)
        return false;
    if (!SubclassWindow(hWnd)) {
        ::DestroyWindow(hWnd);
        return false;
    }
    return true;
}

bool CWnd::DestroyWindow() noexcept
{
    if (!m_hWnd)
        return false;
    HWND hWnd = UnsubclassWindow();
    return ::DestroyWindow(hWnd) != FALSE;
}

BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}

std::wstring CWnd::GetWindowText() const
{
    const int n = ::GetWindowTextLengthW(m_hWnd);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    const int got = ::GetWindowTextW(m_hWnd, text.data(), n + 1);
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return text;
}

RECT CWnd::GetClientRect() const noexcept
{
    RECT rc{};
    ::GetClientRect(m_hWnd, &rc);
    return rc;
}

RECT CWnd::GetWindowRect() const noexcept
{
    RECT rc{};
    ::GetWindowRect(m_hWnd, &rc);
    return rc;
}

void CWnd::CenterWindow() const noexcept
{
    const RECT rc = GetWindowRect();
    const int w = rc.right - rc.left;
    const int h = rc.bottom - rc.top;

    HWND hOwner = ::GetWindow(m_hWnd, GW_OWNER);
    if (!hOwner && (GetStyle() & WS_CHILD))
        hOwner = ::GetParent(m_hWnd);
    RECT rcArea{};
    HMONITOR hMonitor = ::MonitorFromWindow(hOwner ? hOwner : m_hWnd, MONITOR_DEFAULTTONEAREST);
    MONITORINFO mi{};
    mi.cbSize = sizeof(mi);
    ::GetMonitorInfoW(hMonitor, &mi);
    RECT rcWork = mi.rcWork;
    if (hOwner && ::IsWindowVisible(hOwner) && !::IsIconic(hOwner)) {
        ::GetWindowRect(hOwner, &rcArea);
    } else {
        rcArea = rcWork;
    }
    int x = (rcArea.left + rcArea.right) / 2 - w / 2;
    int y = (rcArea.top + rcArea.bottom) / 2 - h / 2;
    // Keep the window on its work area.
    if (x + w > rcWork.right)
        x = rcWork.right - w;
    if (x < rcWork.left)
        x = rcWork.left;
    if (y + h > rcWork.bottom)
        y = rcWork.bottom - h;
    if (y < rcWork.top)
        y = rcWork.top;
    if (GetStyle() & WS_CHILD) {
        POINT pt{x, y};
        ::ScreenToClient(::GetParent(m_hWnd), &pt);
        x = pt.x;
        y = pt.y;
    }
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_COMMAND) {
        if (OnCommand(wp, lp))
            return 0;
    } else if (msg == WM_NOTIFY) {
        LRESULT result = 0;
        if (OnNotify(wp, lp, &result))
            return result;
    }
    return DefWindowProc(msg, wp, lp);
}

BOOL CWnd::OnCommand(WPARAM, LPARAM)
{
    return FALSE;
}

BOOL CWnd::OnNotify(WPARAM, LPARAM, LRESULT*)
{
    return FALSE;
}

bool CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*)
{
    return false;
}

void CWnd::PreSubclassWindow() {}

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wp, LPARAM lp) noexcept
{
    if (!m_hWnd)
        return 0;
    if (m_pfnSuper)
        return ::CallWindowProcW(m_pfnSuper, m_hWnd, msg, wp, lp);
    return ::DefWindowProcW(m_hWnd, msg, wp, lp);
}

CWnd* CWnd::ChildFor(HWND hParent, UINT msg, WPARAM wp, LPARAM lp) noexcept
{
    HWND hChild = nullptr;
    switch (msg) {
    case WM_COMMAND:
        hChild = reinterpret_cast<HWND>(lp); // null for menus and accelerators
        break;
    case WM_NOTIFY:
        hChild = lp ? reinterpret_cast<const NMHDR*>(lp)->hwndFrom : nullptr;
        break;
    case WM_DRAWITEM: {
        const auto* pDis = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        if (pDis && pDis->CtlType != ODT_MENU)
            hChild = pDis->hwndItem;
        break;
    }
    case WM_MEASUREITEM: {
        const auto* pMis = reinterpret_cast<const MEASUREITEMSTRUCT*>(lp);
        if (!pMis || pMis->CtlType == ODT_MENU)
            return nullptr;
        if (t_pending.pWnd && t_pending.hParent == hParent && t_pending.nID == pMis->CtlID)
            return t_pending.pWnd;
        hChild = ::GetDlgItem(hParent, static_cast<int>(pMis->CtlID));
        break;
    }
    default:
        hChild = reinterpret_cast<HWND>(lp);
        break;
    }
    (void)wp;
    if (!hChild || ::GetParent(hChild) != hParent)
        return nullptr;
    return FromHandle(hChild);
}

bool CWnd::ReflectToChild(UINT msg, WPARAM wp, LPARAM lp, LRESULT* pResult)
{
    CWnd* pChild = ChildFor(m_hWnd, msg, wp, lp);
    return pChild && pChild != this && pChild->OnChildNotify(msg, wp, lp, pResult);
}

LRESULT CWnd::Dispatch(UINT msg, WPARAM wp, LPARAM lp)
{
    if (IsReflected(msg)) {
        LRESULT result = 0;
        if (ReflectToChild(msg, wp, lp, &result))
            return result;
    }
    if (msg == WM_NCDESTROY) {
        // The window is gone after this message: detach so the object no
        // longer refers to it; its own procedure still sees it.
        WNDPROC pfnSuper = m_pfnSuper;
        HWND hWnd = UnsubclassWindow();
        HandleMap().Remove(hWnd);
        return ::CallWindowProcW(pfnSuper, hWnd, msg, wp, lp);
    }
    return WindowProc(msg, wp, lp);
}

LRESULT CALLBACK CWnd::StaticWndProc(HWND hWnd, UINT msg, WPARAM wp, LPARAM lp)
{
    Attachment attachment;
    if (!HandleMap().Find(hWnd, &attachment))
        return ::DefWindowProcW(hWnd, msg, wp, lp);
    if (attachment.pWnd)
        return attachment.pWnd->Dispatch(msg, wp, lp);
    if (msg == WM_NCDESTROY)
        HandleMap().Remove(hWnd);
    return ::CallWindowProcW(attachment.pfnSuper, hWnd, msg, wp, lp);
}

// --- CDialog ---------------------------------------------------------------

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

// --- CWinApp ---------------------------------------------------------------

CWinApp::CWinApp() noexcept
{
    g_pApp = this;
}

CWinApp::~CWinApp()
{
    if (g_pApp == this)
        g_pApp = nullptr;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::ExitInstance()
{
    return 0;
}

int CWinApp::Run(HINSTANCE hInstance)
{
    g_hResources = hInstance;
    wchar_t szModule[MAX_PATH + 1] = {};
    const DWORD n = ::GetModuleFileNameW(nullptr, szModule, MAX_PATH);
    std::wstring name(szModule, n < MAX_PATH ? n : 0);
    const size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos)
        name.erase(0, slash + 1);
    const size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos)
        name.erase(dot);
    m_strProfileName = name + L".INI";

    // The window thread is a COM apartment for as long as the program runs.
    const CComApartment com;
    if (!InitInstance())
        return ExitInstance();
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

CWinApp* GetApp() noexcept
{
    return g_pApp;
}

HINSTANCE GetResourceInstance() noexcept
{
    return g_hResources ? g_hResources : ::GetModuleHandleW(nullptr);
}

std::wstring LoadStringResource(UINT id)
{
    const wchar_t* pText = nullptr;
    const int n = ::LoadStringW(GetResourceInstance(), id, reinterpret_cast<LPWSTR>(&pText), 0);
    if (n <= 0 || !pText)
        return {};
    return std::wstring(pText, static_cast<size_t>(n));
}
