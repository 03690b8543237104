#include "platform/desktop_open.h"

#include "platform/handles.h"
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

// A string argument, or none when it is empty.
class CBstrArgument {
public:
    explicit CBstrArgument(const std::wstring& text) : m_text(text)
    {
        if (!text.empty()) {
            m_v.vt = VT_BSTR;
            m_v.bstrVal = m_text.Get();
        }
    }
    const VARIANT& Get() const noexcept { return m_v; }

private:
    CBstr m_text;
    VARIANT m_v{};
};

DesktopShellHook& Hook()
{
    static DesktopShellHook s_hook;
    return s_hook;
}

// The desktop's shell object: the shell window of the desktop, its view,
// and that view's automation object's application, which opens files in
// the shell's own process.
bool OpenThroughDesktop(const std::wstring& path, const std::wstring& parameters, const std::wstring& folder)
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
    const CBstr file(path);
    const CBstrArgument arguments(parameters);
    const CBstrArgument directory(folder);
    const CBstrArgument operation(L"open");
    VARIANT show{};
    show.vt = VT_I4;
    show.lVal = SW_SHOWNORMAL;
    // S_FALSE: the shell could not open it.
    return shell->ShellExecute(file.Get(), arguments.Get(), directory.Get(), operation.Get(), show) == S_OK;
}


// Opens the file in this process's own name: only for a program that runs
// with no more rights than the desktop's user.
bool OpenDirectly(const std::wstring& file, const std::wstring& parameters, const std::wstring& folder)
{
    SHELLEXECUTEINFOW sei{};
    sei.cbSize = sizeof(sei);
    // The callers report a failure in their own words.
    sei.fMask = SEE_MASK_FLAG_NO_UI;
    sei.lpVerb = L"open";
    sei.lpFile = file.c_str();
    sei.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    sei.lpDirectory = folder.empty() ? nullptr : folder.c_str();
    sei.nShow = SW_SHOWNORMAL;
    return ::ShellExecuteExW(&sei) != FALSE;
}

} // namespace

bool OpenAsDesktopUser(const std::wstring& file, const std::wstring& parameters, const std::wstring& folder)
{
    const CComApartment com;
    const DesktopShellHook& hook = Hook();
    if (hook ? hook(file, parameters, folder) : OpenThroughDesktop(file, parameters, folder))
        return true;
    if (!RunsElevated())
        return OpenDirectly(file, parameters, folder);
    ::SetLastError(ERROR_NO_ASSOCIATION);
    return false;
}

bool RunsElevated()
{
    HANDLE hToken = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &hToken))
        return true;
    const CKernelHandle token(hToken);
    TOKEN_ELEVATION elevation{};
    DWORD cb = 0;
    return !::GetTokenInformation(token.Get(), TokenElevation, &elevation, sizeof(elevation), &cb) ||
           elevation.TokenIsElevated != 0;
}

void SetDesktopShellHook(DesktopShellHook hook)
{
    Hook() = std::move(hook);
}
