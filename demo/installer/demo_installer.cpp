// A stand-in installer for the demo disc and the tests. Every run appends
// one line "<file name>|<parameters>" (UTF-8) to a log: the file named by the
// environment variable QUILLSET_DEMO_LOG, or demo-install.log beside the
// program. With a silent switch (/S, /silent, /verysilent, /quiet, /q) it
// shows nothing; otherwise it shows a small window for a moment.
// /delay=<ms> waits that long before logging and ending; /exit=<n> ends
// with code n; /busy=<n> ends with 1618 (another installation is running)
// as long as the log holds fewer than n earlier runs of the same line.
#include <windows.h>

#include <cwctype>
#include <string>
#include <vector>

namespace {

std::wstring Parameters()
{
    // The command line less the program name, as the starter passed it.
    const wchar_t* p = ::GetCommandLineW();
    if (*p == L'"') {
        ++p;
        while (*p && *p != L'"')
            ++p;
        if (*p == L'"')
            ++p;
    } else {
        while (*p && *p != L' ' && *p != L'\t')
            ++p;
    }
    while (*p == L' ' || *p == L'\t')
        ++p;
    return p;
}

std::vector<std::wstring> Words(const std::wstring& text)
{
    std::vector<std::wstring> words;
    std::wstring word;
    for (wchar_t c : text) {
        if (c == L' ' || c == L'\t') {
            if (!word.empty())
                words.push_back(word);
            word.clear();
        } else {
            word += static_cast<wchar_t>(std::towlower(c));
        }
    }
    if (!word.empty())
        words.push_back(word);
    return words;
}

std::wstring ProgramPath()
{
    std::vector<wchar_t> buffer(32768);
    const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    return std::wstring(buffer.data(), n);
}

std::wstring LogPath()
{
    std::wstring logPath;
    std::vector<wchar_t> env(32768);
    const DWORD n = ::GetEnvironmentVariableW(L"QUILLSET_DEMO_LOG", env.data(), static_cast<DWORD>(env.size()));
    if (n > 0 && n < env.size()) {
        logPath.assign(env.data(), n);
    } else {
        logPath = ProgramPath();
        logPath.erase(logPath.find_last_of(L'\\') + 1);
        logPath += L"demo-install.log";
    }
    return logPath;
}

std::string Utf8(const std::wstring& text)
{
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                            nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(), bytes, nullptr,
                          nullptr);
    return utf8;
}

// How many lines of the log are this line.
int EarlierRuns(const std::wstring& line)
{
    const HANDLE hFile = ::CreateFileW(LogPath().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return 0;
    std::string content;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(hFile, buffer, sizeof(buffer), &read, nullptr) && read > 0)
        content.append(buffer, read);
    ::CloseHandle(hFile);
    const std::string wanted = Utf8(line + L"\r\n");
    int count = 0;
    for (size_t at = 0; (at = content.find(wanted, at)) != std::string::npos; at += wanted.size())
        count += at == 0 || content[at - 1] == '\n';
    return count;
}

void AppendLog(const std::wstring& line)
{
    const std::wstring logPath = LogPath();
    const std::string utf8 = Utf8(line + L"\r\n");
    // Several installers may log at once: retry while another one holds the file.
    for (int attempt = 0; attempt < 200; ++attempt) {
        HANDLE hFile = ::CreateFileW(logPath.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
        if (hFile != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            ::WriteFile(hFile, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
            ::CloseHandle(hFile);
            return;
        }
        ::Sleep(10);
    }
}

LRESULT CALLBACK WindowProc(HWND hWnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_TIMER:
        ::DestroyWindow(hWnd);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC hDC = ::BeginPaint(hWnd, &ps);
        RECT rc;
        ::GetClientRect(hWnd, &rc);
        ::SetBkMode(hDC, TRANSPARENT);
        ::SelectObject(hDC, ::GetStockObject(DEFAULT_GUI_FONT));
        ::DrawTextW(hDC, L"正在安装演示软件...", -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        ::EndPaint(hWnd, &ps);
        return 0;
    }
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcW(hWnd, msg, wp, lp);
    }
}

void ShowInstallerWindow(HINSTANCE hInstance, const std::wstring& title)
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = &WindowProc;
    wc.hInstance = hInstance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"QuillsetDemoInstaller";
    ::RegisterClassW(&wc);
    HWND hWnd = ::CreateWindowExW(0, wc.lpszClassName, title.c_str(), WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 320, 120, nullptr, nullptr, hInstance, nullptr);
    if (!hWnd)
        return;
    ::SetTimer(hWnd, 1, 1500, nullptr);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR, int)
{
    const std::wstring parameters = Parameters();
    bool silent = false;
    DWORD delay = 0;
    int exitCode = 0;
    int busyRuns = 0;
    for (const std::wstring& word : Words(parameters)) {
        if (word == L"/s" || word == L"/silent" || word == L"/verysilent" || word == L"/quiet" || word == L"/q")
            silent = true;
        else if (word.rfind(L"/delay=", 0) == 0)
            delay = static_cast<DWORD>(std::wcstoul(word.c_str() + 7, nullptr, 10));
        else if (word.rfind(L"/exit=", 0) == 0)
            exitCode = static_cast<int>(std::wcstol(word.c_str() + 6, nullptr, 10));
        else if (word.rfind(L"/busy=", 0) == 0)
            busyRuns = static_cast<int>(std::wcstol(word.c_str() + 6, nullptr, 10));
    }

    std::wstring name = ProgramPath();
    name.erase(0, name.find_last_of(L'\\') + 1);
    if (!silent)
        ShowInstallerWindow(hInstance, name + L" - 演示安装程序");
    if (delay > 0)
        ::Sleep(delay);
    const std::wstring line = name + L"|" + parameters;
    if (busyRuns > 0 && EarlierRuns(line) < busyRuns)
        exitCode = ERROR_INSTALL_ALREADY_RUNNING;
    AppendLog(line);
    return exitCode;
}
