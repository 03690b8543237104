#include "batch/save_disc.h"

#include "catalogue/catalogue.h"
#include "catalogue/catalogue_draft.h"
#include "catalogue/ini_profile.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "shell/catalogue_write.h"

namespace {

// The bytes of a catalogue file; false when it cannot be read whole.
bool ReadWholeFile(const std::wstring& path, std::string& bytes)
{
    const CFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.Get(), &size) ||
        size.QuadPart > static_cast<LONGLONG>(CIniProfile::kMaxFileBytes))
        return false;
    bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
    DWORD nTotal = 0;
    while (nTotal < bytes.size()) {
        DWORD nRead = 0;
        if (!::ReadFile(file.Get(), bytes.data() + nTotal, static_cast<DWORD>(bytes.size()) - nTotal, &nRead,
                        nullptr))
            return false;
        if (nRead == 0)
            break;
        nTotal += nRead;
    }
    bytes.resize(nTotal);
    return true;
}

// A key that two spellings of one folder path share.
std::wstring FolderKey(std::wstring relative)
{
    ::CharUpperBuffW(relative.data(), static_cast<DWORD>(relative.size()));
    return relative;
}

constexpr size_t kNone = static_cast<size_t>(-1);

// Whether file n of the plan is in the folder.
bool Done(const std::vector<bool>& bSaved, size_t n)
{
    return n != kNone && n < bSaved.size() && bSaved[n];
}

} // namespace

const CHeldFolder* CSaveFolders::Folder(const std::wstring& relative)
{
    if (!m_root.IsHeld()) {
        ::SetLastError(m_root.Error());
        return nullptr;
    }
    const CHeldFolder* pFolder = &m_root;
    for (size_t at = 0; at < relative.size();) {
        size_t end = relative.find(L'\\', at);
        if (end == std::wstring::npos)
            end = relative.size();
        const std::wstring key = FolderKey(relative.substr(0, end));
        auto found = m_below.find(key);
        if (found == m_below.end()) {
            auto pHeld = std::make_unique<CHeldFolder>();
            if (!pHeld->HoldBelow(*pFolder, relative.substr(at, end - at), true)) {
                ::SetLastError(pHeld->Error());
                return nullptr;
            }
            found = m_below.emplace(key, std::move(pHeld)).first;
        }
        pFolder = found->second.get();
        at = end + 1;
    }
    return pFolder;
}

std::wstring FolderPart(const std::wstring& relative)
{
    const size_t slash = relative.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : relative.substr(0, slash);
}

std::wstring NamePart(const std::wstring& relative)
{
    const size_t slash = relative.find_last_of(L'\\');
    return slash == std::wstring::npos ? relative : relative.substr(slash + 1);
}

std::wstring DiscProgramName(const SaveDisc& disc)
{
    return FlatName(disc.strProgram);
}

std::wstring DiscCatalogueName(const SaveDisc& disc)
{
    return FlatName(ProfilePathFor(disc.strProgram));
}

ProgramCopy CopyProgramInto(const SaveDisc& disc, const CHeldFolder& folder)
{
    const std::wstring name = DiscProgramName(disc);
    // Whatever stands at the name, a link included, stays as it is.
    if (name.empty() || ::GetFileAttributesW((folder.Path() + L"\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES ||
        IsLinkAt(folder.Path() + L"\\" + name))
        return ProgramCopy::kAlreadyThere;
    const CFileHandle source = OpenForCopy(disc.strProgram);
    if (!source)
        return ProgramCopy::kFailed;
    if (folder.CopyInto(source.Get(), name, true))
        return ProgramCopy::kCopied;
    return ::GetLastError() == ERROR_ALREADY_EXISTS ? ProgramCopy::kAlreadyThere : ProgramCopy::kFailed;
}

std::vector<SavedEntry> SavedEntries(const DiscPlan& plan, const std::vector<bool>& bSaved)
{
    std::vector<SavedEntry> entries;
    for (size_t i = 0; i < plan.items.size(); ++i) {
        if (!Done(bSaved, i))
            continue;
        const DiscFile& installer = plan.files[i];
        const DiscItemFiles& brings = plan.items[i];
        SavedEntry entry;
        entry.strName = installer.resolved.strName;
        entry.strManual = plan.saves[i].strRelative;
        entry.strManualParameters = installer.resolved.strParameters;
        if (brings.bAutomaticIsInstaller || Done(bSaved, brings.nProgram)) {
            entry.bAutomatic = true;
            entry.strAutomatic =
                brings.bAutomaticIsInstaller ? entry.strManual : plan.saves[brings.nProgram].strRelative;
            entry.strAutomaticParameters = brings.automatic.strParameters;
        }
        if (Done(bSaved, brings.nIcon)) {
            entry.bIcon = true;
            entry.strIcon = plan.saves[brings.nIcon].strRelative;
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<SavedCategory> SavedCategories(const SaveDisc& disc, const DiscPlan& plan,
                                           const std::vector<bool>& bSaved)
{
    // Each saved item's place among the saved entries.
    std::vector<size_t> entryOf(plan.items.size(), kNone);
    size_t nEntries = 0;
    for (size_t i = 0; i < plan.items.size(); ++i) {
        if (Done(bSaved, i))
            entryOf[i] = nEntries++;
    }
    std::vector<SavedCategory> categories;
    for (const DiscCategory& category : disc.arrCategories) {
        std::vector<size_t> listed;
        for (size_t i : category.items) {
            if (i < entryOf.size() && entryOf[i] != kNone)
                listed.push_back(entryOf[i]);
        }
        if (listed.empty())
            continue;
        SavedCategory& saved = categories.emplace_back();
        saved.strName = category.strName;
        saved.entries = std::move(listed);
        for (size_t n = 0; n < plan.files.size(); ++n) {
            const DiscFile& file = plan.files[n];
            if (file.kind == DiscFileKind::kCategoryIcon && file.strOwner == category.strName && Done(bSaved, n)) {
                saved.bIcon = true;
                saved.strIcon = plan.saves[n].strRelative;
            }
        }
    }
    return categories;
}

DiscCatalogueResult WriteDiscCatalogue(const SaveDisc& disc, const std::vector<SavedEntry>& entries,
                                       const std::vector<SavedCategory>& categories, const CHeldFolder& folder)
{
    DiscCatalogueResult result;
    const std::wstring name = DiscCatalogueName(disc);
    result.strPath = folder.Path() + L"\\" + name;
    if (name.empty() || !folder.IsHeld()) {
        result.strError = platform_text::WindowsErrorText(folder.IsHeld() ? ERROR_INVALID_NAME : folder.Error());
        return result;
    }
    // The entries as the catalogue beside the program has them now; one it
    // cannot give is written with its saved paths alone.
    std::string sourceBytes;
    if (!ReadWholeFile(disc.strCatalogue, sourceBytes))
        sourceBytes.clear();
    const CIniProfile sourceProfile(CIniProfile::FileBytes{sourceBytes});
    const CCatalogueDraft source(sourceProfile);

    // A catalogue already there is merged, never lost: one that cannot be
    // read (or is a link) stops the writing.
    const std::wstring there = result.strPath;
    result.bMerged = ::GetFileAttributesW(there.c_str()) != INVALID_FILE_ATTRIBUTES || IsLinkAt(there);
    std::string targetBytes;
    CCatalogueDraft target;
    if (result.bMerged) {
        const CatalogueWriteResult read = ReadCatalogueBytes(folder, name, targetBytes);
        if (!read.strReason.empty()) {
            result.strError = read.strReason + L"; 没有改动它";
            return result;
        }
        const CIniProfile existing(CIniProfile::FileBytes{targetBytes});
        if (existing.ReadError() != 0) {
            result.strError = L"目录文件无法读取: " + platform_text::WindowsErrorText(existing.ReadError());
            return result;
        }
        target = CCatalogueDraft(existing);
    } else {
        target = SavedCatalogueSettings(source);
    }
    result.count = AddSavedEntries(target, source, entries, categories, folder.Path() + L"\\");
    if (result.bMerged && result.count.nAdded == 0) {
        result.bDone = true;
        return result;
    }
    const std::string bytes =
        target.FileBytesLike(result.bMerged         ? std::string_view(targetBytes)
                             : sourceBytes.empty() ? std::string_view("\xFF\xFE")
                                                   : std::string_view(sourceBytes));
    if (!folder.WriteInto(bytes, name, !result.bMerged)) {
        const DWORD dwError = ::GetLastError();
        result.strError = dwError == kErrorStoppedOnLink
                              ? L"保存位置经过链接或重解析点, 为安全起见未写入"
                              : platform_text::WindowsErrorText(dwError ? dwError : ERROR_GEN_FAILURE);
        return result;
    }
    result.bDone = true;
    result.bChanged = true;
    return result;
}
