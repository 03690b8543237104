#include "shell/resolved_item.h"

#include "platform/module_path.h"
#include "shell/path_resolution.h"
#include "shell/shell.h"

#include <initializer_list>

namespace {

// What tells an open file from another found by the same final path: its
// index on the volume that path names, and its kind, size and last write.
// The volume's serial is not asked for: its look-up costs more than all
// the rest together.
struct FileFacts {
    ULONGLONG nIndex = 0;
    FileStamp stamp;
    bool operator==(const FileFacts&) const = default;
};

std::optional<FileFacts> FactsOf(HANDLE hFile)
{
    const std::optional<ULONGLONG> nIndex = FileIndexOf(hFile);
    FILE_BASIC_INFO basic{};
    FILE_STANDARD_INFO standard{};
    if (!nIndex || !::GetFileInformationByHandleEx(hFile, FileBasicInfo, &basic, sizeof(basic)) ||
        !::GetFileInformationByHandleEx(hFile, FileStandardInfo, &standard, sizeof(standard)))
        return std::nullopt;
    return FileFacts{*nIndex,
                     {standard.Directory != FALSE, static_cast<ULONGLONG>(standard.EndOfFile.QuadPart),
                      static_cast<ULONGLONG>(basic.LastWriteTime.QuadPart)}};
}

// The name to start an open file by: its final path, which a 32-bit
// program on 64-bit Windows still spells through "Sysnative" when it lies
// in the system folder (else the system would take it to the 32-bit one).
std::wstring StartNameOf(HANDLE hFile)
{
    const std::wstring finalPath = FinalPathOf(hFile);
    return finalPath.empty() ? finalPath : NativeSystemPath(finalPath);
}

bool SamePath(const std::wstring& a, const std::wstring& b)
{
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                  TRUE) == CSTR_EQUAL;
}

} // namespace

ResolvedItem ResolveItem(const std::wstring& strName, const std::wstring& strConfigured)
{
    ResolvedItem item;
    item.strName = strName;
    item.strConfigured = strConfigured;
    CShell shell;
    shell.Locate(strConfigured, std::wstring());
    item.strParameters = shell.m_strParameters;
    item.strDrive = shell.m_strDrive;
    item.strFile = shell.m_strFile;
    if (!shell.m_bFound)
        return item;
    // The file itself, whatever links its name passed through: no access
    // asked for, so that a file another program holds open is seen too.
    const CFileHandle hFile(::CreateFileW(FullPathOrAsGiven(shell.m_strFile).c_str(), FILE_READ_ATTRIBUTES,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    const std::optional<FileFacts> facts = hFile ? FactsOf(hFile.Get()) : std::nullopt;
    std::wstring finalPath = hFile ? StartNameOf(hFile.Get()) : std::wstring();
    if (!facts || finalPath.empty())
        return item;
    item.bFound = true;
    item.strFile = std::move(finalPath);
    item.nIndex = facts->nIndex;
    item.stamp = facts->stamp;
    return item;
}

std::vector<ResolvedItem> ResolveItems(const std::vector<std::wstring>& names, const std::vector<std::wstring>& texts)
{
    std::vector<ResolvedItem> items;
    items.reserve(texts.size());
    for (size_t i = 0; i < texts.size(); ++i)
        items.push_back(ResolveItem(i < names.size() ? names[i] : std::wstring(), texts[i]));
    return items;
}

bool FromOtherDrive(const ResolvedItem& item)
{
    return item.bFound && IsOtherCdromRoot(item.strDrive);
}

bool RefusedForDrive(bool bFromOtherDrive, bool bUnattended, bool bAnyDrive)
{
    return bUnattended && !bAnyDrive && bFromOtherDrive;
}

CHeldFile::CHeldFile(const ResolvedItem& item)
{
    if (!item.bFound) {
        m_dwError = ERROR_FILE_NOT_FOUND;
        return;
    }
    CFileHandle hFile(::CreateFileW(item.strFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!hFile) {
        m_dwError = ::GetLastError();
        if (m_dwError == ERROR_FILE_NOT_FOUND || m_dwError == ERROR_PATH_NOT_FOUND)
            m_dwError = kErrorFileReplaced;
        return;
    }
    // Another file in its place, a link put on its way, or the file
    // written since: not the file that was confirmed.
    if (FactsOf(hFile.Get()) != FileFacts{item.nIndex, item.stamp} ||
        !SamePath(StartNameOf(hFile.Get()), item.strFile)) {
        m_dwError = kErrorFileReplaced;
        return;
    }
    m_hFile = std::move(hFile);
}

namespace {

// Whether the file's name ends with one of the extensions.
bool HasExtension(const std::wstring& file, std::initializer_list<const wchar_t*> extensions)
{
    const size_t dot = file.find_last_of(L'.');
    if (dot == std::wstring::npos || file.find(L'\\', dot) != std::wstring::npos)
        return false;
    const std::wstring extension = file.substr(dot);
    for (const wchar_t* candidate : extensions) {
        if (SamePath(extension, candidate))
            return true;
    }
    return false;
}

} // namespace

bool ReadAfterStart(const std::wstring& file)
{
    return HasExtension(file, {L".msi", L".bat", L".cmd"});
}

bool InstalledByWindowsInstaller(const std::wstring& file)
{
    return HasExtension(file, {L".msi"});
}
