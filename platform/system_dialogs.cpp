#include "platform/system_dialogs.h"

#include "platform/handles.h"

#include <commdlg.h>
#include <shlobj.h>

#include <mutex>
#include <vector>

namespace {

std::mutex g_hooksMutex;
SystemDialogHooks g_hooks;

SystemDialogHooks CurrentHooks()
{
    std::lock_guard<std::mutex> lock(g_hooksMutex);
    return g_hooks;
}

// The program's current folder, put back when the scope ends: paths of the
// catalogue resolve against it, whatever folder a dialog browsed to.
class CCurrentFolderKept {
public:
    CCurrentFolderKept()
    {
        const DWORD n = ::GetCurrentDirectoryW(0, nullptr);
        if (n == 0)
            return;
        std::vector<wchar_t> buffer(n);
        const DWORD got = ::GetCurrentDirectoryW(n, buffer.data());
        if (got > 0 && got < n)
            m_folder.assign(buffer.data(), got);
    }
    CCurrentFolderKept(const CCurrentFolderKept&) = delete;
    CCurrentFolderKept& operator=(const CCurrentFolderKept&) = delete;
    ~CCurrentFolderKept()
    {
        if (!m_folder.empty())
            ::SetCurrentDirectoryW(m_folder.c_str());
    }

private:
    std::wstring m_folder;
};

// Selects the folder the browser was asked to start in, once it is up.
int CALLBACK BrowserStarted(HWND hWnd, UINT msg, LPARAM, LPARAM startFolder)
{
    if (msg == BFFM_INITIALIZED && startFolder)
        ::SendMessageW(hWnd, BFFM_SETSELECTIONW, TRUE, startFolder);
    return 0;
}

} // namespace

void SetSystemDialogHooks(SystemDialogHooks hooks)
{
    std::lock_guard<std::mutex> lock(g_hooksMutex);
    g_hooks = std::move(hooks);
}

int ShowMessageBox(HWND hOwner, const std::wstring& text, const std::wstring& caption, UINT nType)
{
    const SystemDialogHooks hooks = CurrentHooks();
    if (hooks.messageBox)
        return hooks.messageBox(hOwner, text, caption, nType);
    return ::MessageBoxW(hOwner, text.c_str(), caption.c_str(), nType);
}

std::optional<std::wstring> BrowseForFolder(HWND hOwner, const std::wstring& title, const std::wstring& startFolder)
{
    const SystemDialogHooks hooks = CurrentHooks();
    if (hooks.browseForFolder)
        return hooks.browseForFolder(hOwner, title, startFolder);

    const CCurrentFolderKept keep;
    wchar_t szDisplayName[MAX_PATH] = {};
    BROWSEINFOW bi{};
    bi.hwndOwner = hOwner;
    bi.pszDisplayName = szDisplayName;
    bi.lpszTitle = title.c_str();
    bi.ulFlags = BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
    bi.lpfn = BrowserStarted;
    bi.lParam = startFolder.empty() ? 0 : reinterpret_cast<LPARAM>(startFolder.c_str());
    PIDLIST_ABSOLUTE pidl = ::SHBrowseForFolderW(&bi);
    if (!pidl)
        return std::nullopt;
    wchar_t szPath[MAX_PATH] = {};
    std::wstring path;
    if (::SHGetPathFromIDListW(pidl, szPath))
        path = szPath;
    ::CoTaskMemFree(pidl);
    return path;
}

std::optional<std::wstring> AskSaveFileName(HWND hOwner, const std::wstring& proposed, const std::wstring& filter)
{
    const SystemDialogHooks hooks = CurrentHooks();
    if (hooks.saveFileName)
        return hooks.saveFileName(hOwner, proposed, filter);

    const CCurrentFolderKept keep;
    std::vector<wchar_t> file(MAX_PATH, L'\0');
    proposed.copy(file.data(), MAX_PATH - 1);
    std::wstring filterCopy = filter;
    filterCopy.push_back(L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = hOwner;
    ofn.lpstrFilter = filterCopy.c_str();
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = MAX_PATH;
    // The dialog would otherwise make the chosen file's folder the current one.
    ofn.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR;
    if (!::GetSaveFileNameW(&ofn))
        return std::nullopt;
    return std::wstring(file.data());
}

std::wstring KnownFolderPath(const GUID& folderId)
{
    PWSTR pszFolder = nullptr;
    std::wstring folder;
    if (SUCCEEDED(::SHGetKnownFolderPath(folderId, 0, nullptr, &pszFolder)) && pszFolder)
        folder = pszFolder;
    ::CoTaskMemFree(pszFolder);
    while (folder.size() > 3 && folder.back() == L'\\')
        folder.pop_back();
    return folder;
}

bool RestartSystem()
{
    const SystemDialogHooks hooks = CurrentHooks();
    if (hooks.restartSystem)
        return hooks.restartSystem();

    HANDLE hToken = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &hToken))
        return false;
    const CKernelHandle token(hToken);
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!::LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid) ||
        !::AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr) ||
        ::GetLastError() == ERROR_NOT_ALL_ASSIGNED)
        return false;
    return ::ExitWindowsEx(EWX_REBOOT, SHTDN_REASON_MAJOR_APPLICATION | SHTDN_REASON_MINOR_INSTALLATION |
                                           SHTDN_REASON_FLAG_PLANNED) != FALSE;
}
