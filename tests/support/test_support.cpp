#include "tests/support/test_support.h"

#include "platform/thread.h"

#include <exdisp.h>
#include <gtest/gtest.h>
#include <shlguid.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>
#include <sstream>



namespace testing_support {

namespace {

std::wstring UniqueName()
{
    static LONG counter = 0;
    return L"quill-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
           std::to_wstring(::InterlockedIncrement(&counter)) + L"-" + std::to_wstring(::GetTickCount64());
}

void CreateFolders(const std::wstring& path)
{
    for (size_t pos = path.find(L'\\', 3); pos != std::wstring::npos; pos = path.find(L'\\', pos + 1))
        ::CreateDirectoryW(path.substr(0, pos).c_str(), nullptr);
}

void RemoveTree(const std::wstring& path)
{
    WIN32_FIND_DATAW data;
    HANDLE hFind = ::FindFirstFileW((path + L"\\*").c_str(), &data);
    if (hFind != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring child = path + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                // A link goes, never what it leads to.
                if (!::RemoveDirectoryW(child.c_str()))
                    ::DeleteFileW(child.c_str());
            } else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(child.c_str());
            }
        } while (::FindNextFileW(hFind, &data));
        ::FindClose(hFind);
    }
    ::RemoveDirectoryW(path.c_str());
}

} // namespace

TempDir::TempDir()
{
    wchar_t szTemp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH, szTemp);
    m_path = std::wstring(szTemp) + UniqueName();
    ::CreateDirectoryW(m_path.c_str(), nullptr);
}

TempDir::~TempDir()
{
    RemoveTree(m_path);
}

void WriteFile(const std::wstring& path, const std::string& bytes)
{
    CreateFolders(path);
    HANDLE hFile = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    ::WriteFile(hFile, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(hFile);
}

std::string ReadFile(const std::wstring& path)
{
    HANDLE hFile = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return {};
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(hFile, buffer, sizeof(buffer), &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    ::CloseHandle(hFile);
    return bytes;
}

bool CopyFolderTree(const std::wstring& from, const std::wstring& to)
{
    ::CreateDirectoryW(to.c_str(), nullptr);
    WIN32_FIND_DATAW data{};
    const CFindHandle find(::FindFirstFileW((from + L"\\*").c_str(), &data));
    bool bCopied = static_cast<bool>(find);
    for (bool bMore = bCopied; bMore; bMore = ::FindNextFileW(find.Get(), &data) != FALSE) {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            bCopied = CopyFolderTree(from + L"\\" + name, to + L"\\" + name) && bCopied;
        else
            bCopied = ::CopyFileW((from + L"\\" + name).c_str(), (to + L"\\" + name).c_str(), FALSE) && bCopied;
    }
    return bCopied;
}

std::string ToCodePage(const std::wstring& text, UINT codePage)
{
    if (text.empty())
        return {};
    const int n = ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                        nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), bytes.data(), n, nullptr,
                          nullptr);
    return bytes;
}

std::string ToUtf16LeWithBom(const std::wstring& text)
{
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>((c >> 8) & 0xFF));
    }
    return bytes;
}

std::wstring ProgramFolder()
{
    wchar_t szModule[MAX_PATH + 1] = {};
    const DWORD n = ::GetModuleFileNameW(nullptr, szModule, MAX_PATH);
    std::wstring folder(szModule, n);
    folder.erase(folder.find_last_of(L'\\') + 1);
    return folder;
}

HostWindow::HostWindow(const RECT& rc, DWORD dwStyle, DWORD dwExStyle, COLORREF crBack)
    : m_brush(::CreateSolidBrush(crBack))
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"QuillsetTestHost";
    ::RegisterClassW(&wc); // fails harmlessly once the class exists
    CreateEx(dwExStyle, wc.lpszClassName, L"host", dwStyle, rc, nullptr, 0);
    ::SetForegroundWindow(m_hWnd);
    ::SetActiveWindow(m_hWnd);
    PumpMessages();
}

LRESULT HostWindow::WindowProc(UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_ERASEBKGND) {
        const RECT rc = GetClientRect();
        ::FillRect(reinterpret_cast<HDC>(wp), &rc, m_brush.Get());
        return TRUE;
    }
    return CWnd::WindowProc(msg, wp, lp);
}

void PumpMessages()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

bool PumpUntil(const std::function<bool()>& pred, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!pred()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        PumpMessages();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

std::vector<std::wstring> SortedLines(const std::wstring& path)
{
    std::wistringstream in(FromUtf8(ReadFile(path)));
    std::vector<std::wstring> lines;
    for (std::wstring line; std::getline(in, line);)
        lines.push_back(line.substr(0, line.find(L'\r')));
    std::sort(lines.begin(), lines.end());
    return lines;
}

BitmapPixels::BitmapPixels(HBITMAP hBitmap, int cx, int cy)
    : m_width(cx), m_height(cy), m_bits(static_cast<size_t>(cx > 0 ? cx : 0) * static_cast<size_t>(cy > 0 ? cy : 0))
{
    if (cx <= 0 || cy <= 0)
        return;
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = cx;
    bmi.bmiHeader.biHeight = -cy;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    HDC hScreen = ::GetDC(nullptr);
    m_ok = ::GetDIBits(hScreen, hBitmap, 0, static_cast<UINT>(cy), m_bits.data(), &bmi, DIB_RGB_COLORS) == cy;
    ::ReleaseDC(nullptr, hScreen);
}

COLORREF BitmapPixels::At(int x, int y) const
{
    if (!m_ok || x < 0 || y < 0 || x >= m_width || y >= m_height)
        return CLR_INVALID;
    const DWORD p = m_bits[static_cast<size_t>(y) * static_cast<size_t>(m_width) + static_cast<size_t>(x)];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

namespace {

// Copies a window's client area as it is on the screen into a new bitmap.
HBITMAP CaptureClient(HWND hWnd, int cx, int cy)
{
    HDC hWindowDC = ::GetDC(hWnd);
    HBITMAP hBitmap = ::CreateCompatibleBitmap(hWindowDC, cx, cy);
    HDC hMemDC = ::CreateCompatibleDC(hWindowDC);
    HGDIOBJ hOld = ::SelectObject(hMemDC, hBitmap);
    ::BitBlt(hMemDC, 0, 0, cx, cy, hWindowDC, 0, 0, SRCCOPY);
    ::SelectObject(hMemDC, hOld);
    ::DeleteDC(hMemDC);
    ::ReleaseDC(hWnd, hWindowDC);
    return hBitmap;
}

BitmapPixels ClientPixels(HWND hWnd)
{
    ::UpdateWindow(hWnd);
    RECT rc{};
    ::GetClientRect(hWnd, &rc);
    if (rc.right <= 0 || rc.bottom <= 0)
        return {};
    HBITMAP hBitmap = CaptureClient(hWnd, rc.right, rc.bottom);
    BitmapPixels pixels(hBitmap, rc.right, rc.bottom);
    ::DeleteObject(hBitmap);
    return pixels;
}

} // namespace

WindowPixels::WindowPixels(HWND hWnd) : BitmapPixels(ClientPixels(hWnd)) {}

namespace {

BitmapPixels ShownClientPixels(HWND hWnd)
{
    RECT rc{};
    ::GetClientRect(hWnd, &rc);
    POINT origin{0, 0};
    ::ClientToScreen(hWnd, &origin);
    if (rc.right <= 0 || rc.bottom <= 0)
        return {};
    CClientDC screen(nullptr);
    CMemDC mem(::CreateCompatibleDC(screen.Get()));
    CBitmap bitmap(::CreateCompatibleBitmap(screen.Get(), rc.right, rc.bottom));
    {
        CSelectObject select(mem.Get(), bitmap.Get());
        ::BitBlt(mem.Get(), 0, 0, rc.right, rc.bottom, screen.Get(), origin.x, origin.y, SRCCOPY);
    }
    return BitmapPixels(bitmap.Get(), rc.right, rc.bottom);
}

} // namespace

ScreenPixels::ScreenPixels(HWND hWnd) : BitmapPixels(ShownClientPixels(hWnd)) {}

namespace {

BOOL CALLBACK CountWindow(HWND, LPARAM lp)
{
    ++*reinterpret_cast<DWORD*>(lp);
    return TRUE;
}

BOOL CALLBACK CountWindowAndDescendants(HWND hWnd, LPARAM lp)
{
    ++*reinterpret_cast<DWORD*>(lp);
    ::EnumChildWindows(hWnd, &CountWindow, lp); // every descendant, not only children
    return TRUE;
}

} // namespace

DWORD GdiObjectCount()
{
    if (const DWORD n = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS))
        return n;
    // Wine answers GetGuiResources with 0: count the entries in use of the
    // process's GDI handle table, which the process environment block points
    // to (65536 entries of 24 bytes, the object type in the byte at 14).
    using PfnQuery = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    FARPROC pfn = ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess");
    if (!pfn)
        return 0;
    struct {
        void* pReserved;
        const BYTE* pPeb;
        ULONG_PTR reserved[4];
    } basic{};
    if (reinterpret_cast<PfnQuery>(reinterpret_cast<void (*)()>(pfn))(::GetCurrentProcess(), 0, &basic,
                                                                       sizeof(basic), nullptr) != 0)
        return 0;
    const BYTE* pTable = *reinterpret_cast<const BYTE* const*>(basic.pPeb + 0xF8);
    if (!pTable)
        return 0;
    DWORD n = 0;
    for (size_t i = 0; i < 0x10000; ++i)
        n += pTable[i * 24 + 14] != 0 ? 1 : 0;
    return n;
}

DWORD UserObjectCount()
{
    if (const DWORD n = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS))
        return n;
    // Wine answers 0 here too: count the windows of this thread instead.
    DWORD n = 0;
    ::EnumThreadWindows(::GetCurrentThreadId(), &CountWindowAndDescendants, reinterpret_cast<LPARAM>(&n));
    return n;
}

namespace {

void SetClassValue(const std::wstring& key, const std::wstring& value)
{
    HKEY hKey = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &hKey, nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExW(hKey, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(hKey);
}

} // namespace

FileType::FileType(const std::wstring& extension, const std::wstring& command)
    : m_extension(extension), m_class(L"Quillset.Test" + extension.substr(1))
{
    wchar_t szOld[256] = {};
    LONG cb = sizeof(szOld);
    if (::RegQueryValueW(HKEY_CLASSES_ROOT, m_extension.c_str(), szOld, &cb) == ERROR_SUCCESS)
        m_oldClass = szOld;
    SetClassValue(m_extension, m_class);
    SetClassValue(m_class + L"\\shell\\open\\command", command);
}

FileType::~FileType()
{
    if (m_oldClass.empty())
        ::RegDeleteTreeW(HKEY_CLASSES_ROOT, m_extension.c_str());
    else
        SetClassValue(m_extension, m_oldClass);
    ::RegDeleteTreeW(HKEY_CLASSES_ROOT, m_class.c_str());
}

std::vector<DWORD> ProcessIdsIn(const std::wstring& path)
{
    std::vector<DWORD> pids;
    const std::string text = ReadFile(path);
    size_t at = 0;
    while ((at = text.find_first_of("0123456789", at)) != std::string::npos) {
        const size_t end = text.find_first_not_of("0123456789", at);
        pids.push_back(static_cast<DWORD>(std::stoul(text.substr(at, end - at))));
        at = end;
    }
    return pids;
}

void EndProcesses(const std::vector<DWORD>& pids)
{
    for (DWORD pid : pids) {
        const CKernelHandle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
        if (process && ::TerminateProcess(process.Get(), 1))
            ::WaitForSingleObject(process.Get(), 5000);
    }
}

bool ProcessRunning(const std::wstring& exeName)
{
    const CFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more; more = ::Process32NextW(snapshot.Get(), &entry)) {
        if (::lstrcmpiW(entry.szExeFile, exeName.c_str()) == 0)
            return true;
    }
    return false;
}

bool WaitForDesktopShell(std::chrono::milliseconds timeout)
{
    const CComApartment com;
    return PumpUntil(
        [] {
            IShellWindows* pWindows = nullptr;
            if (FAILED(::CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                          reinterpret_cast<void**>(&pWindows))))
                return false;
            VARIANT location{};
            VARIANT root{};
            long hwnd = 0;
            IDispatch* pDesktop = nullptr;
            const bool bFound =
                pWindows->FindWindowSW(&location, &root, SWC_DESKTOP, &hwnd, SWFO_NEEDDISPATCH, &pDesktop) == S_OK &&
                pDesktop;
            if (pDesktop)
                pDesktop->Release();
            pWindows->Release();
            return bFound;
        },
        timeout);
}

std::wstring CommandLineOf(HANDLE hProcess)
{
    BOOL bOwnWow64 = FALSE;
    BOOL bTheirWow64 = FALSE;
    if (!::IsWow64Process(::GetCurrentProcess(), &bOwnWow64) || !::IsWow64Process(hProcess, &bTheirWow64) ||
        bOwnWow64 != bTheirWow64)
        return {};
    using PfnQuery = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    FARPROC pfn = ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess");
    PROCESS_BASIC_INFORMATION basic{};
    if (!pfn || reinterpret_cast<PfnQuery>(reinterpret_cast<void (*)()>(pfn))(hProcess, ProcessBasicInformation, &basic,
                                                                              sizeof(basic), nullptr) != 0)
        return {};
    PEB peb{};
    RTL_USER_PROCESS_PARAMETERS parameters{};
    if (!::ReadProcessMemory(hProcess, basic.PebBaseAddress, &peb, sizeof(peb), nullptr) ||
        !::ReadProcessMemory(hProcess, peb.ProcessParameters, &parameters, sizeof(parameters), nullptr))
        return {};
    std::wstring text(parameters.CommandLine.Length / sizeof(wchar_t), L'\0');
    if (!::ReadProcessMemory(hProcess, parameters.CommandLine.Buffer, text.data(), parameters.CommandLine.Length,
                             nullptr))
        return {};
    return text;
}

} // namespace testing_support

namespace testing_support {

std::string UnixPath(const std::wstring& path)
{
    using UnixName = char*(CDECL*)(const wchar_t*);
    const auto toUnix = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* pName = toUnix ? toUnix(path.c_str()) : nullptr;
    const std::string name = pName ? pName : "";
    if (pName)
        ::HeapFree(::GetProcessHeap(), 0, pName);
    return name;
}

namespace {

// The Unix path of a name that need not exist yet, in a folder that does.
std::string UnixPathOfName(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L'\\');
    const std::string folder = slash == std::wstring::npos ? std::string() : UnixPath(path.substr(0, slash));
    return folder.empty() ? folder : folder + "/" + ToUtf8(path.substr(slash + 1));
}

} // namespace

bool RunOnLinuxSide(const std::string& command)
{
    // Wine hands back no handle to wait on for a Linux program: the command
    // leaves marks when it is done, and they are waited for.
    wchar_t szTemp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH, szTemp);
    const std::wstring mark = std::wstring(szTemp) + L"linux-side-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                              std::to_wstring(::GetTickCount64());
    const std::string unixMark = UnixPathOfName(mark);
    std::wstring line = L"/bin/sh -c \"if " + FromUtf8(command) + L"; then touch '" + FromUtf8(unixMark) +
                        L".ok'; fi; touch '" + FromUtf8(unixMark) + L".done'\"";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (unixMark.empty() ||
        !::CreateProcessW(L"Z:\\bin\\sh", line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    if (pi.hThread)
        ::CloseHandle(pi.hThread);
    if (pi.hProcess)
        ::CloseHandle(pi.hProcess);
    const std::wstring done = mark + L".done";
    const std::wstring ok = mark + L".ok";
    for (const ULONGLONG nEnd = ::GetTickCount64() + 60000; ::GetTickCount64() < nEnd;) {
        if (::GetFileAttributesW(done.c_str()) != INVALID_FILE_ATTRIBUTES)
            break;
        ::Sleep(5);
    }
    const bool bDone = ::GetFileAttributesW(ok.c_str()) != INVALID_FILE_ATTRIBUTES;
    ::DeleteFileW(done.c_str());
    ::DeleteFileW(ok.c_str());
    return bDone;
}

bool SwapForLink(const std::wstring& folder, const std::wstring& target)
{
    const std::string from = UnixPath(folder);
    const std::string to = UnixPath(target);
    return !from.empty() && !to.empty() &&
           RunOnLinuxSide("mv '" + from + "' '" + from + "-moved' && ln -s '" + to + "' '" + from + "' && test -L '" +
                          from + "'");
}

bool LayLink(const std::wstring& link, const std::wstring& target)
{
    const std::string from = UnixPathOfName(link);
    const std::string to = UnixPath(target);
    return !from.empty() && !to.empty() &&
           RunOnLinuxSide("ln -s '" + to + "' '" + from + "' && test -L '" + from + "'");
}

} // namespace testing_support
