// A DLL planted beside a program under the name of a system DLL. Loaded
// into a process, it leaves the file named by QUILLSET_PLANTED_MARK.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    wchar_t path[MAX_PATH] = {};
    if (reason == DLL_PROCESS_ATTACH && ::GetEnvironmentVariableW(L"QUILLSET_PLANTED_MARK", path, MAX_PATH) > 0) {
        const HANDLE file = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            ::CloseHandle(file);
    }
    return TRUE;
}
