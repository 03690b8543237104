#include "shell/held_folder.h"

#include "shell/path_resolution.h"

#include <aclapi.h>

#include <algorithm>
#include <atomic>
#include <string_view>

namespace {

// What a held folder's handle may do: look inside and be named, nothing
// that changes it. Without delete sharing nobody can rename or remove it.
constexpr DWORD kFolderAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
constexpr DWORD kFolderSharing = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr size_t kCopyBlock = 1 << 20;

bool SameText(const std::wstring& a, const std::wstring& b)
{
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                  TRUE) == CSTR_EQUAL;
}

std::wstring WithoutTrailingSeparators(std::wstring path)
{
    while (!path.empty() && (path.back() == L'\\' || path.back() == L'/'))
        path.pop_back();
    return path;
}

// The root a full path starts from ("C:\" or "\\server\share\"); empty for
// any other form.
std::wstring RootOf(const std::wstring& full)
{
    if (full.size() >= 3 && full[1] == L':' && full[2] == L'\\')
        return full.substr(0, 3);
    if (full.starts_with(L"\\\\") && !full.starts_with(L"\\\\?\\") && !full.starts_with(L"\\\\.\\")) {
        const size_t server = full.find(L'\\', 2);
        const size_t share = server == std::wstring::npos ? server : full.find(L'\\', server + 1);
        if (server != std::wstring::npos && server > 2 && share != server + 1)
            return share == std::wstring::npos ? full + L"\\" : full.substr(0, share + 1);
    }
    return {};
}

// The name a folder's entry has in full, where the path may give it short.
std::wstring LongName(const std::wstring& path, const std::wstring& name)
{
    if (name.find(L'~') == std::wstring::npos)
        return name;
    WIN32_FIND_DATAW data{};
    const CFindHandle find(::FindFirstFileW(path.c_str(), &data));
    return find ? std::wstring(data.cFileName) : name;
}

void Discard(HANDLE hFile)
{
    FILE_DISPOSITION_INFO info{};
    info.DeleteFile = TRUE;
    ::SetFileInformationByHandle(hFile, FileDispositionInfo, &info, sizeof(info));
}

bool WriteAll(HANDLE hFile, const char* pBytes, size_t nBytes)
{
    while (nBytes > 0) {
        const DWORD nChunk = static_cast<DWORD>(nBytes < kCopyBlock ? nBytes : kCopyBlock);
        DWORD nWritten = 0;
        if (!::WriteFile(hFile, pBytes, nChunk, &nWritten, nullptr) || nWritten != nChunk)
            return false;
        pBytes += nChunk;
        nBytes -= nChunk;
    }
    return true;
}

bool CopyBytes(HANDLE hSource, HANDLE hTarget)
{
    LARGE_INTEGER zero{};
    if (!::SetFilePointerEx(hSource, zero, nullptr, FILE_BEGIN))
        return false;
    thread_local std::vector<char> buffer;
    if (buffer.empty())
        buffer.resize(kCopyBlock);
    for (;;) {
        DWORD nRead = 0;
        if (!::ReadFile(hSource, buffer.data(), static_cast<DWORD>(buffer.size()), &nRead, nullptr))
            return false;
        if (nRead == 0)
            return true;
        if (!WriteAll(hTarget, buffer.data(), nRead))
            return false;
    }
}

// The path a handle leads to, as the file system names it; empty when it
// cannot be had.
std::wstring FinalPathOf(HANDLE hFile)
{
    std::wstring path(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD n = ::GetFinalPathNameByHandleW(hFile, path.data(), static_cast<DWORD>(path.size()),
                                                    FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0)
            return {};
        if (n < path.size()) {
            path.resize(n);
            return WithoutTrailingSeparators(path);
        }
        path.resize(n + 1);
    }
    return {};
}

// Fails with error, keeping it as the last error for the caller.
bool Fail(DWORD dwError)
{
    ::SetLastError(dwError);
    return false;
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

CFileHandle OpenForCopy(const std::wstring& path)
{
    return CFileHandle(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

bool CHeldFolder::Hold(const std::wstring& folder, bool bCreate, PACL pDacl)
{
    Release();
    const std::wstring full = WithoutTrailingSeparators(folder.empty() ? folder : FullPath(folder));
    const std::wstring root = RootOf(full + L"\\");
    if (root.empty()) {
        m_dwError = ERROR_BAD_PATHNAME;
        return Fail(m_dwError);
    }
    std::vector<CFileHandle> folders;
    std::wstring path = root;
    std::wstring final;
    size_t at = root.size();
    for (bool bRoot = true;; bRoot = false) {
        std::wstring name;
        if (!bRoot) {
            const size_t end = std::min(full.find(L'\\', at), full.size());
            name = full.substr(at, end - at);
            at = end + 1;
            path = WithoutTrailingSeparators(path) + L"\\" + name;
        }
        const bool bLast = at > full.size() || (bRoot && full.size() + 1 == root.size());
        DWORD dwAttributes = ::GetFileAttributesW(path.c_str());
        if (dwAttributes == INVALID_FILE_ATTRIBUTES && bCreate && !bRoot &&
            (::GetLastError() == ERROR_FILE_NOT_FOUND || ::GetLastError() == ERROR_PATH_NOT_FOUND)) {
            ::CreateDirectoryW(path.c_str(), nullptr);
            dwAttributes = ::GetFileAttributesW(path.c_str());
        }
        if (dwAttributes == INVALID_FILE_ATTRIBUTES) {
            m_dwError = ERROR_PATH_NOT_FOUND;
            return Fail(m_dwError);
        }
        // A drive's root is the volume itself, whatever stands behind its letter.
        if (!bRoot && (dwAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            m_dwError = kErrorStoppedOnLink;
            return Fail(m_dwError);
        }
        const DWORD dwAccess = kFolderAccess | (bLast && pDacl ? READ_CONTROL | WRITE_DAC : 0);
        CFileHandle handle(::CreateFileW(path.c_str(), dwAccess, kFolderSharing, nullptr, OPEN_EXISTING,
                                         FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        BY_HANDLE_FILE_INFORMATION info{};
        if (!handle || !::GetFileInformationByHandle(handle.Get(), &info)) {
            m_dwError = ::GetLastError() ? ::GetLastError() : ERROR_PATH_NOT_FOUND;
            return Fail(m_dwError);
        }
        if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            m_dwError = ERROR_DIRECTORY;
            return Fail(m_dwError);
        }
        // What was opened is the folder of that name in the folder held
        // above it, not what a link, or a swap since the look, leads to.
        const std::wstring opened = FinalPathOf(handle.Get());
        if (opened.empty() || (!bRoot && ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
                                          !SameText(opened, final + L"\\" + LongName(path, name))))) {
            m_dwError = kErrorStoppedOnLink;
            return Fail(m_dwError);
        }
        final = opened;
        folders.push_back(std::move(handle));
        if (bLast)
            break;
    }
    if (pDacl && ::SetSecurityInfo(folders.back().Get(), SE_FILE_OBJECT,
                                   DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                   pDacl, nullptr) != ERROR_SUCCESS) {
        m_dwError = ERROR_ACCESS_DENIED;
        return Fail(m_dwError);
    }
    m_folders = std::move(folders);
    m_strPath = WithoutTrailingSeparators(path);
    m_strFinal = final;
    m_dwError = 0;
    return true;
}

bool CHeldFolder::HoldBelow(const CHeldFolder& parent, const std::wstring& name, bool bCreate)
{
    if (&parent == this)
        return Fail(ERROR_INVALID_PARAMETER);
    Release();
    if (!parent.IsHeld()) {
        m_dwError = parent.Error() ? parent.Error() : ERROR_PATH_NOT_FOUND;
        return Fail(m_dwError);
    }
    const bool bBadName = name.empty() || name == L"." || name == L".." || name.back() == L' ' ||
                          name.back() == L'.' ||
                          std::any_of(name.begin(), name.end(), [](wchar_t c) {
                              return c < L' ' || std::wstring_view(L"\\/:*?\"<>|").find(c) != std::wstring_view::npos;
                          });
    if (bBadName) {
        m_dwError = ERROR_INVALID_NAME;
        return Fail(m_dwError);
    }
    const std::wstring path = parent.m_strPath + L"\\" + name;
    // Making a folder never follows a link that stands at its name: the
    // name is then taken, and the open below finds the link itself.
    if (bCreate && !::CreateDirectoryW(path.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
        m_dwError = ::GetLastError();
        return Fail(m_dwError);
    }
    CFileHandle handle(::CreateFileW(path.c_str(), kFolderAccess, kFolderSharing, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!handle || !::GetFileInformationByHandle(handle.Get(), &info)) {
        const DWORD dwError = ::GetLastError();
        m_dwError = dwError == ERROR_FILE_NOT_FOUND || dwError == 0 ? ERROR_PATH_NOT_FOUND : dwError;
        return Fail(m_dwError);
    }
    const std::wstring opened = FinalPathOf(handle.Get());
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || opened.empty() ||
        !SameText(opened, parent.m_strFinal + L"\\" + LongName(path, name))) {
        m_dwError = kErrorStoppedOnLink;
        return Fail(m_dwError);
    }
    if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        m_dwError = ERROR_DIRECTORY;
        return Fail(m_dwError);
    }
    // The levels above stay held as long as this one is: handles of its own.
    std::vector<CFileHandle> folders;
    for (const CFileHandle& above : parent.m_folders) {
        HANDLE hCopy = nullptr;
        if (!::DuplicateHandle(::GetCurrentProcess(), above.Get(), ::GetCurrentProcess(), &hCopy, 0, FALSE,
                               DUPLICATE_SAME_ACCESS)) {
            m_dwError = ::GetLastError();
            return Fail(m_dwError);
        }
        folders.emplace_back(hCopy);
    }
    folders.push_back(std::move(handle));
    m_folders = std::move(folders);
    m_strPath = path;
    m_strFinal = opened;
    m_dwError = 0;
    return true;
}

void CHeldFolder::Release()
{
    m_folders.clear();
    m_strPath.clear();
    m_strFinal.clear();
    m_dwError = ERROR_PATH_NOT_FOUND;
}

bool CHeldFolder::Lies(HANDLE hFile, const std::wstring& name) const
{
    return SameText(FinalPathOf(hFile), m_strFinal + L"\\" + name);
}

CFileHandle CHeldFolder::CreateNew(const std::wstring& name, DWORD dwAccess) const
{
    if (!IsHeld() || name.empty() || name.find_first_of(L"\\/:") != std::wstring::npos) {
        ::SetLastError(IsHeld() ? ERROR_INVALID_NAME : m_dwError);
        return CFileHandle();
    }
    CFileHandle file(::CreateFileW((m_strPath + L"\\" + name).c_str(), dwAccess | DELETE | FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (file && !Lies(file.Get(), name)) {
        // The name led out of the held folder: the empty file goes again.
        Discard(file.Get());
        file.Reset();
        ::SetLastError(kErrorStoppedOnLink);
    }
    return file;
}

CFileHandle CHeldFolder::NewTemporary(std::wstring& name) const
{
    static std::atomic<unsigned> s_nNext{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = L"~quillset-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(s_nNext++) + L".tmp";
        CFileHandle file = CreateNew(name, GENERIC_WRITE | FILE_WRITE_ATTRIBUTES);
        if (file || (::GetLastError() != ERROR_FILE_EXISTS && ::GetLastError() != ERROR_ALREADY_EXISTS))
            return file;
    }
    return CFileHandle();
}

bool CHeldFolder::CanWrite() const
{
    std::wstring name;
    const CFileHandle file = NewTemporary(name);
    if (!file)
        return false;
    Discard(file.Get());
    return true;
}

bool CHeldFolder::MoveOnto(HANDLE hFile, const std::wstring& name, bool bReplace) const
{
    const std::wstring target = m_strPath + L"\\" + name;
    std::vector<BYTE> buffer(sizeof(FILE_RENAME_INFO) + (target.size() + 1) * sizeof(wchar_t));
    auto* pInfo = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    pInfo->ReplaceIfExists = bReplace ? TRUE : FALSE;
    pInfo->RootDirectory = nullptr;
    pInfo->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
    std::copy(target.begin(), target.end(), pInfo->FileName);
    if (!::SetFileInformationByHandle(hFile, FileRenameInfo, pInfo, static_cast<DWORD>(buffer.size()))) {
        const DWORD dwError = ::GetLastError();
        return Fail(dwError == ERROR_FILE_EXISTS ? ERROR_ALREADY_EXISTS : dwError);
    }
    if (!Lies(hFile, name))
        return Fail(kErrorStoppedOnLink);
    return true;
}

void CHeldFolder::RemoveOld(const std::wstring& name) const
{
    // Opened as what holds the name (a link itself, never what it leads
    // to), and only when it is in the held folder; a folder does not open.
    const CFileHandle old(::CreateFileW((m_strPath + L"\\" + name).c_str(), DELETE | FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (old && Lies(old.Get(), name))
        Discard(old.Get());
}

bool CHeldFolder::CopyInto(HANDLE hSource, const std::wstring& name, bool bFailIfExists) const
{
    // A free name takes the copy itself: making a new file never follows a
    // link, and a link (even one to nowhere) holds its name. Anything there
    // is replaced by a new file of the folder moved onto it, once the copy
    // is whole: what was there goes first, as a move onto an existing file
    // makes some file systems (Linux's ext4, under Wine) write the new
    // file's data out at once, a millisecond a megabyte.
    CFileHandle file = CreateNew(name, GENERIC_WRITE | FILE_WRITE_ATTRIBUTES);
    const bool bInPlace = static_cast<bool>(file);
    const DWORD dwCreateError = ::GetLastError();
    if (!file && bFailIfExists)
        return Fail(dwCreateError == ERROR_FILE_EXISTS ? ERROR_ALREADY_EXISTS : dwCreateError);
    std::wstring temporary;
    if (!file && (dwCreateError == ERROR_FILE_EXISTS || dwCreateError == ERROR_ALREADY_EXISTS))
        file = NewTemporary(temporary);
    if (!file)
        return false;
    FILETIME written{};
    const bool bCopied = CopyBytes(hSource, file.Get()) && ::GetFileTime(hSource, nullptr, nullptr, &written) &&
                         ::SetFileTime(file.Get(), nullptr, nullptr, &written) &&
                         (bInPlace || (RemoveOld(name), MoveOnto(file.Get(), name, true)));
    if (!bCopied) {
        const DWORD dwError = ::GetLastError();
        Discard(file.Get());
        return Fail(dwError ? dwError : ERROR_GEN_FAILURE);
    }
    return true;
}

bool CHeldFolder::WriteInto(const std::string& bytes, const std::wstring& name, bool bFailIfExists) const
{
    std::wstring temporary;
    const CFileHandle file = NewTemporary(temporary);
    if (!file)
        return false;
    if (!WriteAll(file.Get(), bytes.data(), bytes.size()) || !::FlushFileBuffers(file.Get()) ||
        !MoveOnto(file.Get(), name, !bFailIfExists)) {
        const DWORD dwError = ::GetLastError();
        Discard(file.Get());
        return Fail(dwError ? dwError : ERROR_GEN_FAILURE);
    }
    return true;
}
