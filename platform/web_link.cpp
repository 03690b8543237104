#include "platform/web_link.h"

#include "platform/system_dialogs.h"
#include "platform/thread.h"

#include <exdisp.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

namespace {

// One reference to a COM object, released when it goes.
template <class T>
class CComRef {
public:
    CComRef() noexcept = default;
    CComRef(const CComRef&) = delete;
    CComRef& operator=(const CComRef&) = delete;
    ~CComRef()
    {
        if (m_p)
            m_p->Release();
    }
    T* operator->() const noexcept { return m_p; }
    explicit operator bool() const noexcept { return m_p != nullptr; }
    T** Receive() noexcept { return &m_p; }
    void** ReceiveVoid() noexcept { return reinterpret_cast<void**>(&m_p); }
    // The same object through another of its interfaces.
    template <class U>
    bool As(REFIID iid, CComRef<U>& other) const noexcept
    {
        return m_p && SUCCEEDED(m_p->QueryInterface(iid, other.ReceiveVoid()));
    }

private:
    T* m_p = nullptr;
};

// A string handed to COM, freed when it goes.
class CBstr {
public:
    explicit CBstr(const std::wstring& text) : m_b(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size())))
    {
    }
    CBstr(const CBstr&) = delete;
    CBstr& operator=(const CBstr&) = delete;
    ~CBstr() { ::SysFreeString(m_b); }
    BSTR Get() const noexcept { return m_b; }

private:
    BSTR m_b;
};

// The desktop's shell object: the shell window of the desktop, its view,
// and that view's automation object's application.
bool OpenThroughDesktop(const std::wstring& url)
{
    CComRef<IShellWindows> windows;
    if (FAILED(::CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                  windows.ReceiveVoid())))
        return false;
    VARIANT location{};
    VARIANT root{};
    long hwnd = 0;
    CComRef<IDispatch> desktop;
    if (windows->FindWindowSW(&location, &root, SWC_DESKTOP, &hwnd, SWFO_NEEDDISPATCH, desktop.Receive()) != S_OK ||
        !desktop)
        return false;
    CComRef<IServiceProvider> services;
    CComRef<IShellBrowser> browser;
    CComRef<IShellView> view;
    CComRef<IDispatch> background;
    CComRef<IShellFolderViewDual> folderView;
    CComRef<IDispatch> application;
    CComRef<IShellDispatch2> shell;
    if (!desktop.As(IID_IServiceProvider, services) ||
        FAILED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.ReceiveVoid())) ||
        FAILED(browser->QueryActiveShellView(view.Receive())) ||
        FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.ReceiveVoid())) ||
        !background.As(IID_IShellFolderViewDual, folderView) || FAILED(folderView->get_Application(application.Receive())) ||
        !application.As(IID_IShellDispatch2, shell))
        return false;
    const CBstr file(url);
    const CBstr verb(L"open");
    VARIANT none{};
    VARIANT operation{};
    operation.vt = VT_BSTR;
    operation.bstrVal = verb.Get();
    VARIANT show{};
    show.vt = VT_I4;
    show.lVal = SW_SHOWNORMAL;
    // S_FALSE: the shell could not open it.
    return shell->ShellExecute(file.Get(), none, none, operation, show) == S_OK;
}

bool OpenThroughShellExecute(const std::wstring& url)
{
    SHELLEXECUTEINFOW sei{};
    sei.cbSize = sizeof(sei);
    sei.fMask = SEE_MASK_FLAG_NO_UI;
    sei.lpVerb = L"open";
    sei.lpFile = url.c_str();
    sei.nShow = SW_SHOWNORMAL;
    return ::ShellExecuteExW(&sei) != FALSE;
}

} // namespace

bool OpenWebLink(const std::wstring& url)
{
    if (url.empty())
        return false;
    const CComApartment com;
    return OpenThroughDesktop(url) || OpenThroughShellExecute(url);
}

void OpenWebLinkOrSay(HWND hOwner, const std::wstring& url)
{
    if (!OpenWebLink(url))
        ShowMessageBox(hOwner, L"网页打开失败, 请在浏览器中访问:\n\n" + url, L"打开网页", MB_ICONEXCLAMATION);
}
