#include "shell/path_resolution.h"

#include "platform/handles.h"

#include <cwctype>
#include <string_view>

namespace {

std::wstring Trim(const std::wstring& text)
{
    size_t first = 0;
    size_t last = text.size();
    while (first < last && std::iswspace(text[first]))
        ++first;
    while (last > first && std::iswspace(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

// Every occurrence of what, removed in one pass from left to right.
std::wstring RemoveAll(const std::wstring& text, std::wstring_view what)
{
    std::wstring result;
    size_t from = 0;
    for (size_t at = text.find(what); at != std::wstring::npos; at = text.find(what, from)) {
        result.append(text, from, at - from);
        from = at + what.size();
    }
    result.append(text, from, std::wstring::npos);
    return result;
}

bool IsDriveLetter(wchar_t c) noexcept
{
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

// "X:", "X:\" or "X:/".
bool IsBareDriveRoot(const std::wstring& name) noexcept
{
    if (name.size() < 2 || name.size() > 3 || !IsDriveLetter(name[0]) || name[1] != L':')
        return false;
    return name.size() == 2 || name[2] == L'\\' || name[2] == L'/';
}

// The calling thread's error mode with critical-error boxes off, for one
// scope: a search on an empty CD-ROM drive would otherwise ask the user to
// insert a disk and hold the batch until someone answers.
class CNoCriticalErrorBoxes {
public:
    CNoCriticalErrorBoxes() noexcept
        : m_bSet(::SetThreadErrorMode(::GetThreadErrorMode() | SEM_FAILCRITICALERRORS, &m_old) != FALSE)
    {
    }
    CNoCriticalErrorBoxes(const CNoCriticalErrorBoxes&) = delete;
    CNoCriticalErrorBoxes& operator=(const CNoCriticalErrorBoxes&) = delete;
    ~CNoCriticalErrorBoxes()
    {
        if (m_bSet)
            ::SetThreadErrorMode(m_old, nullptr);
    }

private:
    DWORD m_old = 0;
    bool m_bSet;
};

// The system folder as this program names it, when names under it are
// taken elsewhere (a 32-bit program on 64-bit Windows); else empty.
const std::wstring& RedirectedSystemFolder()
{
    static const std::wstring folder = [] {
        BOOL bWow64 = FALSE;
        wchar_t szSystem[MAX_PATH] = {};
        const UINT n = ::GetSystemDirectoryW(szSystem, MAX_PATH);
        if (!::IsWow64Process(::GetCurrentProcess(), &bWow64) || !bWow64 || n == 0 || n >= MAX_PATH)
            return std::wstring();
        return std::wstring(szSystem, n);
    }();
    return folder;
}

} // namespace

std::wstring NativeSystemPath(const std::wstring& name)
{
    const std::wstring& system = RedirectedSystemFolder();
    if (system.empty() || name.size() < system.size() ||
        ::CompareStringOrdinal(name.c_str(), static_cast<int>(system.size()), system.c_str(),
                               static_cast<int>(system.size()), TRUE) != CSTR_EQUAL)
        return name;
    if (name.size() > system.size() && name[system.size()] != L'\\' && name[system.size()] != L'/')
        return name;
    const size_t cut = system.find_last_of(L'\\');
    return system.substr(0, cut) + L"\\Sysnative" + name.substr(system.size());
}

ResolvedPath ResolvePath(const std::wstring& strFile, const std::wstring& strParameters, const ExistsQuery& exists,
                         const CdromRootsQuery& cdromRoots)
{
    const CNoCriticalErrorBoxes noBoxes;
    const std::wstring fallback = Trim(strFile);
    std::wstring file = NativeSystemPath(fallback);
    // The whole text may be a folder (a catalogue may open one on purpose)
    // as long as no parameters come with it.
    const bool bWholeMayBeFolder = strParameters.empty();

    std::vector<std::wstring> roots;
    const std::wstring_view prefix = kCdromPrefix;
    const size_t prefixAt = file.find(prefix);
    if (prefixAt != std::wstring::npos) {
        roots = cdromRoots();
        file = RemoveAll(file.substr(prefixAt), prefix);
    }

    // Position 0 is never a split point.
    ResolvedPath result;
    size_t split = file.find(L' ', 1);
    do {
        const std::wstring candidate = split == std::wstring::npos ? std::wstring() : file.substr(0, split);
        const std::wstring tail = split == std::wstring::npos ? std::wstring() : file.substr(split + 1);
        if (roots.empty()) {
            if (exists(file, bWholeMayBeFolder)) {
                result = {true, file, strParameters};
            } else if (exists(candidate, false)) {
                result = {true, candidate, tail + strParameters};
            }
        } else {
            for (const std::wstring& root : roots) {
                if (exists(root + file, bWholeMayBeFolder)) {
                    result = {true, root + file, strParameters};
                    break;
                }
                if (exists(root + candidate, false)) {
                    result = {true, root + candidate, tail + strParameters};
                    break;
                }
            }
        }
        if (result.bFound)
            return result;
        split = split == std::wstring::npos ? std::wstring::npos : file.find(L' ', split + 1);
    } while (split != std::wstring::npos);
    return {false, fallback, strParameters};
}

bool PathExists(const std::wstring& name, bool bFolderCounts)
{
    if (name.empty() || name.size() >= MAX_PATH || IsBareDriveRoot(name))
        return false;
    // A plain name is looked up directly, which costs far less than a
    // search and answers the same; patterns, and names ending in a
    // separator (which a search never finds), take the search.
    if (name.find_first_of(L"*?<>\"") == std::wstring::npos && name.back() != L'\\' && name.back() != L'/') {
        const DWORD attributes = ::GetFileAttributesW(name.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return false;
        return bFolderCounts || !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    WIN32_FIND_DATAW data;
    const CFindHandle hFind(::FindFirstFileW(name.c_str(), &data));
    if (!hFind)
        return false;
    do {
        if (bFolderCounts || !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            return true;
    } while (::FindNextFileW(hFind.Get(), &data));
    return false;
}

std::vector<std::wstring> CdromRoots()
{
    std::vector<std::wstring> roots;
    for (wchar_t letter = L'C'; letter <= L'Z'; ++letter) {
        std::wstring root{letter, L':', L'\\'};
        if (::GetDriveTypeW(root.c_str()) == DRIVE_CDROM)
            roots.push_back(std::move(root));
    }
    return roots;
}
