#include "shell/safe_copy.h"

#include "shell/path_resolution.h"

#include "platform/handles.h"

#include <atomic>
#include <memory>

namespace {

// A name for the new file that no earlier attempt of this process used.
std::wstring TemporaryName(const std::wstring& folder)
{
    static std::atomic<unsigned> s_nNext{0};
    return folder + L"\\~quillset-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
           std::to_wstring(s_nNext++) + L".tmp";
}

} // namespace

bool FolderPassesThroughLink(const std::wstring& folder)
{
    std::wstring path = FullPath(folder);
    while (!path.empty() && (path.back() == L'\\' || path.back() == L'/'))
        path.pop_back();
    // From the folder up to the one below the drive's root ("C:" and
    // "\\server" have no separator left after the first two characters).
    for (;;) {
        const size_t slash = path.find_last_of(L"\\/");
        if (slash == std::wstring::npos || slash <= 1)
            return false;
        const DWORD attributes = ::GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            return true;
        path.erase(slash);
    }
}

CopyOutcome CopyWithoutFollowingLinks(HANDLE hSource, const std::wstring& target, bool bFailIfExists)
{
    const std::wstring full = FullPath(target);
    const size_t slash = full.find_last_of(L'\\');
    if (slash == std::wstring::npos)
        return CopyOutcome::kFailed;
    if (FolderPassesThroughLink(full.substr(0, slash)))
        return CopyOutcome::kFolderIsLink;
    return CopyIntoPlace(hSource, full, bFailIfExists) ? CopyOutcome::kCopied : CopyOutcome::kFailed;
}

bool CopyToNewFile(HANDLE hSource, const std::wstring& target)
{
    // A new file only: creating one never follows a link, and a link (even
    // one to nowhere) holds its name.
    const CFileHandle hTarget(::CreateFileW(target.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!hTarget)
        return false;
    LARGE_INTEGER start{};
    bool bCopied = ::SetFilePointerEx(hSource, start, nullptr, FILE_BEGIN) != FALSE;
    static thread_local std::unique_ptr<char[]> s_buffer(new char[kCopyBufferBytes]);
    char* const buffer = s_buffer.get();
    for (DWORD dwRead = 0; bCopied;) {
        bCopied = ::ReadFile(hSource, buffer, static_cast<DWORD>(kCopyBufferBytes), &dwRead, nullptr) != FALSE;
        if (!bCopied || dwRead == 0)
            break;
        DWORD dwWritten = 0;
        bCopied = ::WriteFile(hTarget.Get(), buffer, dwRead, &dwWritten, nullptr) && dwWritten == dwRead;
    }
    // The copy keeps the source's times, as a copy by the system does.
    FILETIME created{};
    FILETIME accessed{};
    FILETIME written{};
    if (bCopied && ::GetFileTime(hSource, &created, &accessed, &written))
        ::SetFileTime(hTarget.Get(), &created, &accessed, &written);
    if (!bCopied) {
        const DWORD dwError = ::GetLastError();
        FILE_DISPOSITION_INFO disposition{TRUE};
        ::SetFileInformationByHandle(hTarget.Get(), FileDispositionInfo, &disposition, sizeof(disposition));
        ::SetLastError(dwError);
    }
    return bCopied;
}

bool CopyIntoPlace(HANDLE hSource, const std::wstring& target, bool bFailIfExists)
{
    if (::GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES &&
        ::GetLastError() == ERROR_FILE_NOT_FOUND) {
        if (CopyToNewFile(hSource, target))
            return true;
        if (::GetLastError() != ERROR_FILE_EXISTS && ::GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    if (bFailIfExists)
        return false;
    const std::wstring full = FullPath(target);
    const size_t slash = full.find_last_of(L'\\');
    if (slash == std::wstring::npos)
        return false;
    // A new file of the folder, moved over the name: whatever stood there
    // (a file, or a link) is replaced, never written through.
    std::wstring temporary;
    for (int attempt = 0; attempt < 100 && temporary.empty(); ++attempt) {
        std::wstring name = TemporaryName(full.substr(0, slash));
        if (CopyToNewFile(hSource, name))
            temporary = std::move(name);
        else if (::GetLastError() != ERROR_FILE_EXISTS && ::GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    if (temporary.empty())
        return false;
    if (!::MoveFileExW(temporary.c_str(), full.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        ::SetFileAttributesW(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}

std::optional<FileIdentity> IdentityOf(const std::wstring& path)
{
    // No access asked for: the identity of a file another program holds
    // open is readable too.
    const CFileHandle hFile(::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!hFile || !::GetFileInformationByHandle(hFile.Get(), &info))
        return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}
