#include "shell/path_resolution.h"

#include "platform/handles.h"
#include "platform/module_path.h"
#include "platform/text.h"

#include <optional>
#include <string_view>

namespace {

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

bool IsSeparator(wchar_t c) noexcept
{
    return c == L'\\' || c == L'/';
}

// "X:\..." or "\\server\...": a path that no folder prefix may precede.
bool IsAbsolutePath(const std::wstring& path) noexcept
{
    return (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == L':' && IsSeparator(path[2])) ||
           (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]));
}

struct QuotedCommand {
    std::wstring program;
    std::wstring parameters;
};

// A command line whose program stands in quotes: at the start, or right
// after a folder prefix that ends in a separator. The prefix goes in front
// of the quoted path; the blanks after the closing quote separate it from
// the parameters. Without a closing quote the rest of the text is the path.
std::optional<QuotedCommand> SplitQuoted(const std::wstring& text)
{
    const size_t open = text.find(L'"');
    if (open == std::wstring::npos || (open > 0 && !IsSeparator(text[open - 1])))
        return std::nullopt;
    const size_t close = text.find(L'"', open + 1);
    QuotedCommand command;
    const std::wstring inner = text.substr(open + 1, close == std::wstring::npos ? close : close - open - 1);
    command.program = IsAbsolutePath(inner) ? inner : text.substr(0, open) + inner;
    if (close != std::wstring::npos) {
        const size_t rest = text.find_first_not_of(L" \t", close + 1);
        if (rest != std::wstring::npos)
            command.parameters = text.substr(rest);
    }
    return command;
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
    const std::wstring fallback = platform_text::TrimSpace(strFile);
    std::wstring file = NativeSystemPath(fallback);
    const ResolvedPath notFound{false, fallback, strParameters, {}};

    std::vector<std::wstring> roots;
    const std::wstring_view prefix = kCdromPrefix;
    const size_t prefixAt = file.find(prefix);
    if (prefixAt != std::wstring::npos) {
        roots = cdromRoots();
        file = RemoveAll(file.substr(prefixAt), prefix);
    }
    // Without CD-ROM drives the path after the prefix is relative to the
    // current folder: one attempt, on no root.
    const bool bOnDrives = !roots.empty();
    if (!bOnDrives)
        roots.emplace_back();

    if (const auto quoted = SplitQuoted(file)) {
        const bool bAbsolute = IsAbsolutePath(quoted->program);
        for (const std::wstring& root : roots) {
            const std::wstring name = bAbsolute ? quoted->program : root + quoted->program;
            if (exists(name, quoted->parameters.empty() && strParameters.empty()))
                return {true, name, quoted->parameters + strParameters, bOnDrives && !bAbsolute ? root : L""};
        }
        return notFound;
    }

    // The whole text may be a folder (a catalogue may open one on purpose)
    // as long as no parameters come with it.
    const bool bWholeMayBeFolder = strParameters.empty();
    // Each root is searched through before the next is tried, so that a
    // file on another drive never beats the program's own disc because its
    // name is longer or shorter. Before a blank only a program Windows
    // starts is taken: a document or a file without an extension there is
    // never what a command line means.
    for (const std::wstring& root : roots) {
        const std::wstring drive = bOnDrives ? root : std::wstring();
        if (exists(root + file, bWholeMayBeFolder))
            return {true, root + file, strParameters, drive};
        // Position 0 is never a split point.
        for (size_t split = file.find(L' ', 1); split != std::wstring::npos; split = file.find(L' ', split + 1)) {
            const std::wstring candidate = file.substr(0, split);
            if (IsProgramName(candidate) && exists(root + candidate, false))
                return {true, root + candidate, file.substr(split + 1) + strParameters, drive};
        }
    }
    return notFound;
}

std::wstring FullPath(const std::wstring& path)
{
    const DWORD n = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0)
        return {};
    std::wstring full(n, L'\0');
    const DWORD written = ::GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
    full.resize(written < n ? written : 0);
    return full;
}

std::wstring FullPathOrAsGiven(const std::wstring& path)
{
    std::wstring full = FullPath(path);
    return full.empty() ? path : full;
}

bool IsProgramName(const std::wstring& name)
{
    const size_t dot = name.find_last_of(L'.');
    if (dot == std::wstring::npos || name.find_first_of(L"\\/", dot) != std::wstring::npos)
        return false;
    std::wstring extension = name.substr(dot + 1);
    ::CharLowerBuffW(extension.data(), static_cast<DWORD>(extension.size()));
    for (const wchar_t* program : {L"exe", L"msi", L"com", L"bat", L"cmd"}) {
        if (extension == program)
            return true;
    }
    return false;
}

std::wstring DriveRootOf(const std::wstring& path)
{
    if (path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == L':')
        return path.substr(0, 2) + L"\\";
    if (path.size() < 2 || !IsSeparator(path[0]) || !IsSeparator(path[1]))
        return {};
    // "\\server\share\": the two names after the leading separators.
    const size_t server = path.find_first_of(L"\\/", 2);
    const size_t share = server == std::wstring::npos ? server : path.find_first_of(L"\\/", server + 1);
    if (server == std::wstring::npos || server == 2)
        return {};
    return (share == std::wstring::npos ? path : path.substr(0, share)) + L"\\";
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

std::wstring OwnCdromRootFor(const std::wstring& programPath)
{
    const std::wstring drive = DriveRootOf(programPath);
    const UINT type = drive.empty() ? DRIVE_UNKNOWN : ::GetDriveTypeW(drive.c_str());
    return type == DRIVE_CDROM || type == DRIVE_REMOVABLE ? drive : ExecutableFolder(programPath);
}

std::vector<std::wstring> CdromRootsFor(const std::wstring& programPath)
{
    std::vector<std::wstring> roots;
    const std::wstring own = OwnCdromRootFor(programPath);
    if (!own.empty())
        roots.push_back(own);
    for (wchar_t letter = L'C'; letter <= L'Z'; ++letter) {
        std::wstring root{letter, L':', L'\\'};
        if (::GetDriveTypeW(root.c_str()) == DRIVE_CDROM && ::lstrcmpiW(root.c_str(), own.c_str()) != 0)
            roots.push_back(std::move(root));
    }
    return roots;
}

std::vector<std::wstring> CdromRoots()
{
    return CdromRootsFor(ProgramPlace().Path());
}

std::wstring OwnCdromRoot()
{
    return OwnCdromRootFor(ProgramPlace().Path());
}

bool IsOtherCdromRoot(const std::wstring& root)
{
    return !root.empty() && ::lstrcmpiW(root.c_str(), OwnCdromRoot().c_str()) != 0;
}
