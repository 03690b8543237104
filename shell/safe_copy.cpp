#include "shell/safe_copy.h"

#include "shell/path_resolution.h"

#include "platform/handles.h"

#include <winternl.h>

CopyOutcome CopyWithoutFollowingLinks(HANDLE hSource, const std::wstring& target, bool bFailIfExists)
{
    const std::wstring full = FullPath(target);
    const size_t slash = full.find_last_of(L'\\');
    if (slash == std::wstring::npos || slash + 1 == full.size())
        return CopyOutcome::kFailed;
    CHeldFolder folder;
    if (!folder.Hold(full.substr(0, slash), false))
        return folder.Error() == kErrorStoppedOnLink ? CopyOutcome::kFolderIsLink : CopyOutcome::kFailed;
    if (folder.CopyInto(hSource, full.substr(slash + 1), bFailIfExists))
        return CopyOutcome::kCopied;
    return ::GetLastError() == kErrorStoppedOnLink ? CopyOutcome::kFolderIsLink : CopyOutcome::kFailed;
}

namespace {

// No access asked for: the identity of a file another program holds open
// is readable too.
CFileHandle OpenToLookAt(const std::wstring& path)
{
    return CFileHandle(::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

} // namespace

std::optional<FileIdentity> IdentityOf(const std::wstring& path)
{
    const CFileHandle hFile = OpenToLookAt(path);
    return hFile ? IdentityOf(hFile.Get()) : std::nullopt;
}

std::optional<FileIdentity> IdentityOf(HANDLE hFile)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(hFile, &info))
        return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

std::optional<ULONGLONG> FileIndexOf(const std::wstring& path)
{
    const CFileHandle hFile = OpenToLookAt(path);
    return hFile ? FileIndexOf(hFile.Get()) : std::nullopt;
}

std::optional<ULONGLONG> FileIndexOf(HANDLE hFile)
{
    // NtQueryInformationFile with FileInternalInformation (6): the index
    // without the volume's serial, whose look-up costs more than the open.
    using QueryInformation = LONG(WINAPI*)(HANDLE, IO_STATUS_BLOCK*, void*, ULONG, int);
    static const auto s_query = reinterpret_cast<QueryInformation>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationFile")));
    IO_STATUS_BLOCK status{};
    ULONGLONG nIndex = 0;
    if (!s_query || s_query(hFile, &status, &nIndex, sizeof(nIndex), 6) < 0)
        return std::nullopt;
    return nIndex;
}

bool SameFile(const std::wstring& a, const std::wstring& b)
{
    const auto first = IdentityOf(a);
    return first && first == IdentityOf(b);
}
