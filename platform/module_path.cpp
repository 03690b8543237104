#include "platform/module_path.h"

namespace {

constexpr wchar_t kLongPrefix[] = L"\\\\?\\";
constexpr wchar_t kLongUncPrefix[] = L"\\\\?\\UNC\\";

bool StartsWith(const std::wstring& text, const wchar_t* prefix)
{
    return text.compare(0, std::char_traits<wchar_t>::length(prefix), prefix) == 0;
}

} // namespace

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

std::wstring FinalPathOf(HANDLE hFile)
{
    std::wstring path(MAX_PATH + 1, L'\0');
    DWORD n = ::GetFinalPathNameByHandleW(hFile, path.data(), static_cast<DWORD>(path.size()), 0);
    if (n >= path.size()) {
        // Too small: n is the size the whole path needs.
        path.assign(n + 1, L'\0');
        n = ::GetFinalPathNameByHandleW(hFile, path.data(), static_cast<DWORD>(path.size()), 0);
    }
    if (n == 0 || n >= path.size())
        return {};
    path.resize(n);
    if (StartsWith(path, kLongUncPrefix))
        return L"\\\\" + path.substr(std::char_traits<wchar_t>::length(kLongUncPrefix));
    if (StartsWith(path, kLongPrefix))
        return path.substr(std::char_traits<wchar_t>::length(kLongPrefix));
    return path;
}

CProgramPlace::CProgramPlace()
{
    const std::wstring started = RunningExecutablePath();
    const CFileHandle hExe(::CreateFileW(started.c_str(), FILE_READ_ATTRIBUTES,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
    m_strPath = hExe ? FinalPathOf(hExe.Get()) : std::wstring();
    if (m_strPath.empty()) {
        m_strPath = started;
        return;
    }
    // Held with a right whose sharing counts, and without delete sharing:
    // the folder can be neither moved nor renamed while the program runs.
    std::wstring folder = Folder();
    if (folder.size() > 3)
        folder.pop_back();
    m_hFolder.Reset(::CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY | SYNCHRONIZE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    // A folder put in its place between the two looks is not the program's.
    std::wstring held = m_hFolder ? FinalPathOf(m_hFolder.Get()) : std::wstring();
    if (!held.empty() && held.back() != L'\\')
        held += L'\\';
    if (::CompareStringOrdinal(held.c_str(), -1, Folder().c_str(), -1, TRUE) != CSTR_EQUAL)
        m_hFolder.Reset();
}

const CProgramPlace& ProgramPlace()
{
    static const CProgramPlace s_place;
    return s_place;
}
