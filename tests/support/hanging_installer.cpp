// A stand-in for an installer that waits for an answer nobody can see: it
// starts a copy of itself (as installers start helpers), then waits for
// ever, and so does the copy. Before it waits, the first one appends a line
// "<its process id> <the copy's process id>" to the file the environment
// variable QUILLSET_HANG_PIDS names, so that a test can tell whether both
// were ended.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR pArguments, int)
{
    if (std::wstring(pArguments).find(L"/child") != std::wstring::npos) {
        ::Sleep(INFINITE);
        return 0;
    }
    wchar_t szProgram[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, szProgram, MAX_PATH);
    std::wstring commandLine = L"\"" + std::wstring(szProgram) + L"\" /child";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(szProgram, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return 1;
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    wchar_t szPids[MAX_PATH] = {};
    const DWORD nPids = ::GetEnvironmentVariableW(L"QUILLSET_HANG_PIDS", szPids, MAX_PATH);
    if (nPids > 0 && nPids < MAX_PATH) {
        const std::string line =
            std::to_string(::GetCurrentProcessId()) + " " + std::to_string(pi.dwProcessId) + "\r\n";
        const HANDLE hFile = ::CreateFileW(szPids, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (hFile != INVALID_HANDLE_VALUE) {
            DWORD dwWritten = 0;
            ::WriteFile(hFile, line.data(), static_cast<DWORD>(line.size()), &dwWritten, nullptr);
            ::CloseHandle(hFile);
        }
    }
    ::Sleep(INFINITE);
    return 0;
}
