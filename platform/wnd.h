// Windows as C++ objects: a window handle attached to an object, messages
// dispatched to its virtual handlers, control notifications reflected from
// the parent to the control's own object.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

class CWnd {
public:
    CWnd() noexcept = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    // Destroys the window if it still exists.
    virtual ~CWnd();

    HWND m_hWnd = nullptr;

    HWND GetSafeHwnd() const noexcept { return m_hWnd; }
    // The object attached to a window of this process, or null.
    static CWnd* FromHandle(HWND hWnd) noexcept;

    // Creates a child or pop-up window of a registered class and attaches it.
    // While the window is being created, notifications its parent reflects
    // by control id already reach this object.
    bool CreateEx(DWORD dwExStyle, const wchar_t* pszClass, const wchar_t* pszText, DWORD dwStyle,
                  const RECT& rc, HWND hParent, UINT nID);
    // Attaches an existing window: its messages then come to WindowProc.
    // The object joins the window's subclass chain (comctl32), so it may be
    // attached and detached in any order with other subclasses.
    bool SubclassWindow(HWND hWnd);
    // Detaches the object; the rest of the window's procedure chain stays.
    HWND UnsubclassWindow() noexcept;
    bool DestroyWindow() noexcept;

    // Offered every message of the modal loop whose target is this window or
    // one of its children, before the dialog manager; true = consumed.
    virtual BOOL PreTranslateMessage(MSG* pMsg);

    // Convenience wrappers.
    LRESULT SendMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const noexcept
    {
        return ::SendMessageW(m_hWnd, msg, wp, lp);
    }
    std::wstring GetWindowText() const;
    void SetWindowText(const std::wstring& text) const noexcept { ::SetWindowTextW(m_hWnd, text.c_str()); }
    RECT GetClientRect() const noexcept;
    RECT GetWindowRect() const noexcept;
    // Nothing happens without a window (a null window would mean the desktop).
    void Invalidate(BOOL bErase = TRUE) const noexcept
    {
        if (m_hWnd)
            ::InvalidateRect(m_hWnd, nullptr, bErase);
    }
    DWORD GetStyle() const noexcept { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE)); }
    HFONT GetFont() const noexcept { return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)); }
    void SetFont(HFONT hFont, BOOL bRedraw = TRUE) const noexcept
    {
        SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(hFont), bRedraw);
    }
    // Centres the window on its owner, or on the work area of its monitor
    // when there is no visible owner.
    void CenterWindow() const noexcept;

protected:
    // The window's own handling of a message; the base hands WM_COMMAND and
    // WM_NOTIFY to OnCommand and OnNotify and everything else to the
    // window's original procedure.
    virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp);
    virtual BOOL OnCommand(WPARAM wp, LPARAM lp);
    virtual BOOL OnNotify(WPARAM wp, LPARAM lp, LRESULT* pResult);
    // A notification, draw, measure or colour request that the parent
    // received about this control; return true to consume it, so that the
    // parent's own handler does not see it.
    virtual bool OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* pResult);
    // Runs once the window is attached, before any message reaches the object.
    virtual void PreSubclassWindow();
    // The procedure the window had when the object was attached (subclasses
    // that joined later have already seen the message).
    LRESULT DefWindowProc(UINT msg, WPARAM wp, LPARAM lp) noexcept;

private:
    friend class CDialog;
    static LRESULT CALLBACK StaticWndProc(HWND hWnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);
    bool ReflectToChild(UINT msg, WPARAM wp, LPARAM lp, LRESULT* pResult);
    // The child control object a reflected message is meant for.
    static CWnd* ChildFor(HWND hParent, UINT msg, WPARAM wp, LPARAM lp) noexcept;
    // Attaches the object, runs PreSubclassWindow and joins the chain.
    bool Hook(HWND hWnd) noexcept;

    WNDPROC m_pfnSuper = nullptr;
};

// A modal dialog built from a dialog-template resource.
class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParent = nullptr) noexcept
        : m_nIDTemplate(nIDTemplate), m_pParent(pParent)
    {
    }

    // Creates the dialog, disables its owner and runs the modal loop until
    // EndDialog; returns the value given to EndDialog, or -1 when the
    // dialog could not be created.
    virtual INT_PTR DoModal();
    // Ends the modal run with nResult once control is back in the loop. From
    // another thread the request is posted to the dialog, which ends on its
    // own thread; the caller touches nothing of the object but its window.
    void EndDialog(INT_PTR nResult) noexcept;
    bool IsModalRunning() const noexcept { return m_bModal; }

protected:
    virtual BOOL OnInitDialog();
    // Enter (IDOK) and Escape (IDCANCEL): the base ends the dialog.
    virtual void OnOK();
    virtual void OnCancel();
    BOOL OnCommand(WPARAM wp, LPARAM lp) override;
    // Asked when a quit request (WM_QUIT) reaches the modal loop: true ends
    // the run at once (the base); false keeps it going. The quit request is
    // passed on when the run has ended, either way.
    virtual bool EndsOnQuit();

private:
    static INT_PTR CALLBACK StaticDlgProc(HWND hWnd, UINT msg, WPARAM wp, LPARAM lp);
    // The private message that carries EndDialog from another thread.
    static UINT EndDialogMessage() noexcept;
    // Offers the message to PreTranslateMessage of the target window's
    // object and of its parents' objects.
    static bool PreTranslateChain(MSG* pMsg);
    HWND OwnerWindow() const noexcept;
    // After the window is shown: the caption as the window's state is.
    void ShowActivation() noexcept;

    UINT m_nIDTemplate;
    CWnd* m_pParent;
    // Read from any thread; changed on the dialog's own thread only.
    std::atomic<bool> m_bModal = false;
    INT_PTR m_nResult = -1;
    // Whether the caption was last drawn active (WM_NCACTIVATE).
    bool m_bCaptionActive = false;
};

// WM_CTLCOLORBTN, WM_CTLCOLORDLG, ... : a control asking its parent for its
// colours.
constexpr bool IsCtlColorMessage(UINT msg) noexcept
{
    return msg == WM_CTLCOLORBTN || msg == WM_CTLCOLORDLG || msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX ||
           msg == WM_CTLCOLORSCROLLBAR || msg == WM_CTLCOLORSTATIC;
}

// The one application object of the process.
class CWinApp {
public:
    CWinApp() noexcept;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;
    virtual ~CWinApp();

    // Runs the program: returns what the process exits with.
    int Run(HINSTANCE hInstance);
    virtual BOOL InitInstance();
    // Called when InitInstance returned FALSE: the process's exit code.
    virtual int ExitInstance();

    CWnd* m_pMainWnd = nullptr;
    // The profile file every profile read goes to; starts as the
    // executable's file name with ".INI" in place of its extension.
    std::wstring m_strProfileName;
};

CWinApp* GetApp() noexcept;
// The module that holds the program's resources.
HINSTANCE GetResourceInstance() noexcept;
// A string resource of this module; empty when absent.
std::wstring LoadStringResource(UINT id);
