#include "scan/file_writes.h"

#include "platform/handles.h"

#include <windows.h>

bool IsLinkAt(const std::wstring& path)
{
    // The folder's own listing describes the entry itself, not what it
    // points at, and lists a link whose target is gone.
    WIN32_FIND_DATAW data{};
    const CFindHandle find(::FindFirstFileW(path.c_str(), &data));
    return find && (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}
