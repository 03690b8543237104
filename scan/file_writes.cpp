#include "scan/file_writes.h"

#include "platform/handles.h"

#include <windows.h>

namespace {

bool WriteAll(HANDLE hFile, const std::string& bytes)
{
    DWORD written = 0;
    return ::WriteFile(hFile, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size() && ::FlushFileBuffers(hFile);
}

} // namespace

bool IsLinkAt(const std::wstring& path)
{
    // The folder's own listing describes the entry itself, not what it
    // points at, and lists a link whose target is gone.
    WIN32_FIND_DATAW data{};
    const CFindHandle find(::FindFirstFileW(path.c_str(), &data));
    return find && (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool WriteNewFile(const std::wstring& path, const std::string& bytes)
{
    CFileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file)
        return false;
    if (WriteAll(file.Get(), bytes))
        return true;
    file.Reset();
    ::DeleteFileW(path.c_str());
    return false;
}

bool ReplaceFileWith(const std::wstring& path, const std::string& bytes)
{
    for (int n = 1; n < 100; ++n) {
        const std::wstring temporary =
            path + L"." + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(n) + L".new";
        if (!WriteNewFile(temporary, bytes)) {
            if (::GetLastError() == ERROR_FILE_EXISTS || ::GetLastError() == ERROR_ALREADY_EXISTS)
                continue;
            return false;
        }
        if (::MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        ::DeleteFileW(temporary.c_str());
        return false;
    }
    return false;
}
