#include "platform/module_path.h"

#include <windows.h>

std::wstring RunningExecutablePath()
{
    // Paths can be far longer than MAX_PATH; a path cut short by the buffer
    // is never used.
    for (DWORD size = MAX_PATH + 1; size <= 65536; size *= 2) {
        std::wstring path(size, L'\0');
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), size);
        if (n == 0)
            return {};
        if (n < size) {
            path.resize(n);
            return path;
        }
    }
    return {};
}

std::wstring ExecutableFolder(const std::wstring& exePath)
{
    const size_t slash = exePath.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : exePath.substr(0, slash + 1);
}
