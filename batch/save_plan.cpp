#include "batch/save_plan.h"

#include "batch/batch_texts.h"
#include "catalogue/catalogue.h"
#include "platform/handles.h"
#include "platform/module_path.h"
#include "platform/system_dialogs.h"
#include "shell/path_resolution.h"
#include "shell/safe_copy.h"

#include <windows.h>
#include <knownfolders.h>

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <string_view>

namespace {

// A path as a key that two spellings of the same name share.
std::wstring PathKey(const std::wstring& strPath)
{
    std::wstring key = FullPathOrAsGiven(strPath);
    ::CharUpperBuffW(key.data(), static_cast<DWORD>(key.size()));
    return key;
}

bool Exists(const std::wstring& path)
{
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Whether two existing files are one, given their indexes: only equal
// indexes are worth the look at their volumes.
bool SameIdentity(const std::wstring& a, std::optional<ULONGLONG> nIndexA, const std::wstring& b,
                  std::optional<ULONGLONG> nIndexB)
{
    if (!nIndexA || nIndexA != nIndexB)
        return false;
    const std::optional<FileIdentity> identity = IdentityOf(a);
    return identity && identity == IdentityOf(b);
}

// The files the batch reads, by identity and, where a source has none to
// be had, by name.
class CSources {
public:
    explicit CSources(const std::vector<std::wstring>& sources) : m_sources(sources)
    {
        for (const std::wstring& source : sources) {
            m_arrIndexes.push_back(source.empty() ? std::nullopt : FileIndexOf(source));
            if (source.empty())
                continue;
            m_keys.insert(PathKey(source));
            if (m_arrIndexes.back())
                m_byIndex.emplace(*m_arrIndexes.back(), source);
        }
    }
    // The index of source i, where it could be had.
    const std::optional<ULONGLONG>& Index(size_t i) const { return m_arrIndexes[i]; }
    const std::wstring& Source(size_t i) const { return m_sources[i]; }
    // Whether an item reads the file of that key and path (whose index is given).
    bool Reads(const std::wstring& key, const std::wstring& path, const std::optional<ULONGLONG>& nIndex) const
    {
        if (m_keys.count(key))
            return true;
        if (!nIndex)
            return false;
        const auto [first, last] = m_byIndex.equal_range(*nIndex);
        return std::any_of(first, last,
                           [&](const auto& entry) { return SameIdentity(entry.second, nIndex, path, nIndex); });
    }

private:
    const std::vector<std::wstring>& m_sources;
    std::vector<std::optional<ULONGLONG>> m_arrIndexes;
    std::set<std::wstring> m_keys;
    std::multimap<ULONGLONG, std::wstring> m_byIndex;
};

} // namespace

std::vector<PlannedSave> PlanSaves(const std::vector<SaveSource>& files, const std::wstring& strFolder)
{
    std::wstring folder = strFolder;
    if (!folder.empty() && folder.back() == L'\\')
        folder.pop_back();
    std::vector<std::wstring> sources;
    for (const SaveSource& file : files)
        sources.push_back(file.strFile);
    const CSources read(sources);
    // The targets planned so far, and the sources already planned, each
    // with the target of its bytes.
    std::set<std::wstring> planned;
    struct Copied {
        size_t nSource;
        PlannedSave save;
    };
    std::vector<Copied> copied;
    std::vector<PlannedSave> plan;
    for (size_t i = 0; i < sources.size(); ++i) {
        const std::wstring& source = sources[i];
        PlannedSave save;
        if (source.empty()) {
            plan.push_back(save);
            continue;
        }
        const std::optional<ULONGLONG>& nIndex = read.Index(i);
        const std::wstring sourceKey = PathKey(source);
        const std::wstring& relative = files[i].strRelative;
        const std::wstring target = folder + L"\\" + relative;
        const std::wstring targetKey = PathKey(target);
        const std::optional<ULONGLONG> nTargetIndex = FileIndexOf(target);
        const auto earlier = std::find_if(copied.begin(), copied.end(), [&](const Copied& entry) {
            return nIndex ? SameIdentity(read.Source(entry.nSource), read.Index(entry.nSource), source, nIndex)
                          : PathKey(entry.save.strTarget) == sourceKey;
        });
        if (earlier != copied.end()) {
            save = earlier->save;
            save.step = SaveStep::kSameAsEarlier;
        } else if (SameIdentity(source, nIndex, target, nTargetIndex)) {
            save.step = SaveStep::kAlreadyThere;
            save.strTarget = target;
            save.strRelative = relative;
        } else {
            save.step = SaveStep::kCopy;
            save.strTarget = target;
            save.strRelative = relative;
            // Its own name, unless another item reads the file there or the
            // batch writes it; then the first free numbered name.
            if (planned.count(targetKey) || read.Reads(targetKey, target, nTargetIndex)) {
                save.bRenamed = true;
                save.strTarget.clear();
                save.strRelative.clear();
                for (int n = 2; n < 10000 && save.strTarget.empty(); ++n) {
                    std::wstring name = NumberedName(target, n);
                    if (!planned.count(PathKey(name)) && !Exists(name)) {
                        save.strTarget = std::move(name);
                        save.strRelative = NumberedName(relative, n);
                    }
                }
            }
        }
        if (!save.strTarget.empty())
            planned.insert(PathKey(save.strTarget));
        if (save.step != SaveStep::kSameAsEarlier)
            copied.push_back({i, save});
        plan.push_back(save);
    }
    return plan;
}

namespace {

bool SameText(const std::wstring& a, const std::wstring& b)
{
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                  TRUE) == CSTR_EQUAL;
}

std::wstring WithSeparator(std::wstring folder)
{
    if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/')
        folder += L'\\';
    return folder;
}

// The path of file below folder (a folder path with or without its
// separator); nullopt when it does not lie below it.
std::optional<std::wstring> PathBelow(const std::wstring& file, const std::wstring& folder)
{
    const std::wstring root = WithSeparator(folder);
    if (root.empty() || file.size() <= root.size() || !SameText(file.substr(0, root.size()), root))
        return std::nullopt;
    return file.substr(root.size());
}

// The folder part of a path (before its last separator); empty for a bare name.
std::wstring FolderOf(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// Whether a folder is the program's folder, one above it or a drive's
// root: copying it whole would copy the disc.
bool HoldsTheDisc(const std::wstring& folder, const std::wstring& programFolder)
{
    const std::wstring root = WithSeparator(folder);
    return root.empty() || SameText(root, DriveRootOf(root)) ||
           (programFolder.size() >= root.size() && SameText(programFolder.substr(0, root.size()), root));
}

bool InWindowsFolder(const std::wstring& file)
{
    static const std::wstring s_windows = WithSeparator(KnownFolderPath(FOLDERID_Windows));
    return !s_windows.empty() && PathBelow(file, s_windows).has_value();
}

void ListInto(const std::wstring& folder, const std::wstring& relative, int nDepth, int nMaxDepth,
              const std::optional<FileIdentity>& skip, FolderListing& listing)
{
    WIN32_FIND_DATAW data{};
    const CFindHandle find(::FindFirstFileW((WithSeparator(folder) + L"*").c_str(), &data));
    for (bool bMore = static_cast<bool>(find); bMore; bMore = ::FindNextFileW(find.Get(), &data) != FALSE) {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        const std::wstring path = WithSeparator(folder) + name;
        const std::wstring inner = relative.empty() ? name : relative + L"\\" + name;
        // The listing describes the entry itself: a link is never followed.
        if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            listing.links.push_back(inner);
        } else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            // A folder that leads elsewhere is a link, whatever the listing
            // says of it (Wine lists a Linux link as what it points at).
            const CFileHandle opened(::CreateFileW(path.c_str(), 0,
                                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
            if (!opened || !SameText(FinalPathOf(opened.Get()), path)) {
                listing.links.push_back(inner);
                continue;
            }
            if (skip && IdentityOf(opened.Get()) == skip)
                continue;
            if (nDepth >= nMaxDepth)
                listing.tooDeep.push_back(inner);
            else
                ListInto(path, inner, nDepth + 1, nMaxDepth, skip, listing);
        } else {
            listing.files.push_back(inner);
        }
    }
}

} // namespace

std::wstring FlatName(const std::wstring& strPath)
{
    const size_t slash = strPath.find_last_of(L"\\/");
    size_t nameAt = slash == std::wstring::npos ? 0 : slash + 1;
    if (slash == std::wstring::npos && strPath.size() >= 2 && strPath[1] == L':')
        nameAt = 2;
    return strPath.substr(nameAt);
}

std::wstring FileSafeName(const std::wstring& name)
{
    std::wstring safe;
    for (const wchar_t c : name)
        safe += c < L' ' || std::wstring_view(L"\\/:*?\"<>|").find(c) != std::wstring_view::npos ? L'_' : c;
    const size_t first = safe.find_first_not_of(L' ');
    const size_t last = safe.find_last_not_of(L" .");
    if (first == std::wstring::npos || last == std::wstring::npos || last < first)
        return {};
    safe = safe.substr(first, last - first + 1);
    // CON, PRN, AUX, NUL, COM1 to COM9 and LPT1 to LPT9, with or without an
    // extension, name devices, not files.
    std::wstring stem = safe.substr(0, safe.find(L'.'));
    ::CharUpperBuffW(stem.data(), static_cast<DWORD>(stem.size()));
    const bool bDevice = stem == L"CON" || stem == L"PRN" || stem == L"AUX" || stem == L"NUL" ||
                         (stem.size() == 4 && (stem.starts_with(L"COM") || stem.starts_with(L"LPT")) &&
                          stem[3] >= L'1' && stem[3] <= L'9');
    return bDevice ? L"_" + safe : safe;
}

std::wstring SavedRelativePath(const std::wstring& strFile, const std::wstring& strDrive,
                               const std::wstring& strProgramFolder, const std::wstring& strOwner)
{
    if (!strDrive.empty()) {
        if (std::optional<std::wstring> below = PathBelow(strFile, strDrive))
            return *below;
    }
    if (!strProgramFolder.empty()) {
        if (std::optional<std::wstring> below = PathBelow(strFile, strProgramFolder))
            return *below;
    }
    const std::wstring owner = FileSafeName(strOwner);
    return owner.empty() ? FlatName(strFile) : owner + L"\\" + FlatName(strFile);
}

FolderListing ListFolder(const std::wstring& folder, int nMaxDepth, const std::wstring& strSkip)
{
    FolderListing listing;
    const std::optional<FileIdentity> skip = strSkip.empty() ? std::nullopt : IdentityOf(strSkip);
    ListInto(folder, L"", 0, nMaxDepth, skip, listing);
    std::sort(listing.files.begin(), listing.files.end());
    std::sort(listing.links.begin(), listing.links.end());
    std::sort(listing.tooDeep.begin(), listing.tooDeep.end());
    return listing;
}

SaveDisc MakeSaveDisc(const CatalogueSettings& settings, const std::vector<const SoftwareEntry*>& entries,
                      const std::wstring& strCatalogue, const std::wstring& strProgram)
{
    SaveDisc disc;
    disc.strCatalogue = strCatalogue;
    disc.strProgram = strProgram;
    disc.strProgramFolder = WithSeparator(FolderOf(strCatalogue));
    for (const SoftwareEntry* pEntry : entries)
        disc.arrEntries.push_back(DiscEntry{pEntry->AutoInstall, pEntry->IconPath, pEntry->CopyFolder != 0});
    for (const SoftwareCategory* pCategory = settings.Categories.get(); pCategory && !pCategory->Name.empty();
         ++pCategory) {
        DiscCategory category{pCategory->Name, pCategory->IconPath, {}};
        for (SoftwareEntry* const* ppEntry = pCategory->Entries.get(); ppEntry && *ppEntry; ++ppEntry) {
            const auto at = std::find(entries.begin(), entries.end(), *ppEntry);
            if (at != entries.end() &&
                std::find(category.items.begin(), category.items.end(), size_t(at - entries.begin())) ==
                    category.items.end())
                category.items.push_back(static_cast<size_t>(at - entries.begin()));
        }
        if (!category.items.empty())
            disc.arrCategories.push_back(std::move(category));
    }
    return disc;
}

DiscPlan PlanSave(const std::vector<ResolvedItem>& items, const SaveDisc* pDisc, const std::wstring& strFolder)
{
    DiscPlan plan;
    for (size_t i = 0; i < items.size(); ++i) {
        const ResolvedItem& item = items[i];
        DiscFile file{DiscFileKind::kInstaller, {i}, item.strName, item, {}};
        if (item.bFound)
            file.strRelative = pDisc ? SavedRelativePath(item.strFile, item.strDrive, pDisc->strProgramFolder,
                                                         item.strName)
                                     : FlatName(item.strFile);
        plan.files.push_back(std::move(file));
    }
    if (pDisc) {
        const std::wstring& programFolder = pDisc->strProgramFolder;
        plan.items.resize(items.size());
        // A file that is no file the disc needs: not found, or found with
        // parameters (an icon is a file, not a command).
        const auto found = [](const ResolvedItem& resolved) {
            return resolved.bFound && !resolved.stamp.bFolder;
        };
        for (size_t i = 0; i < items.size() && i < pDisc->arrEntries.size(); ++i) {
            const ResolvedItem& item = items[i];
            if (!item.bFound)
                continue;
            const DiscEntry& entry = pDisc->arrEntries[i];
            DiscItemFiles& brings = plan.items[i];
            if (!platform_text::TrimSpace(entry.strAutoInstall).empty()) {
                brings.automatic = ResolveItem(item.strName, entry.strAutoInstall);
                const ResolvedItem& automatic = brings.automatic;
                brings.bAutomaticIsInstaller = automatic.bFound && automatic.nIndex == item.nIndex &&
                                               automatic.stamp == item.stamp && SameText(automatic.strFile, item.strFile);
                if (found(automatic) && !brings.bAutomaticIsInstaller && !InWindowsFolder(automatic.strFile)) {
                    brings.nProgram = plan.files.size();
                    plan.files.push_back(DiscFile{DiscFileKind::kProgram, {i}, item.strName, automatic,
                                                  SavedRelativePath(automatic.strFile, automatic.strDrive,
                                                                    programFolder, item.strName)});
                }
            }
            if (!platform_text::TrimSpace(entry.strIconPath).empty()) {
                const ResolvedItem icon = ResolveItem(item.strName, entry.strIconPath);
                if (found(icon) && icon.strParameters.empty()) {
                    brings.nIcon = plan.files.size();
                    plan.files.push_back(DiscFile{DiscFileKind::kIcon, {i}, item.strName, icon,
                                                  SavedRelativePath(icon.strFile, icon.strDrive, programFolder,
                                                                    item.strName)});
                }
            }
            if (!entry.bCopyFolder)
                continue;
            const std::wstring source = FolderOf(item.strFile);
            if (HoldsTheDisc(source, programFolder)) {
                plan.leftOut.push_back(
                    {item.strName, source, L"是程序所在的文件夹 (或在其之上) 或驱动器的根目录, 不整个复制"});
                continue;
            }
            const std::wstring target = FolderOf(plan.files[i].strRelative);
            const FolderListing listing = ListFolder(source, kMaxCopyFolderDepth, strFolder);
            std::vector<std::wstring> links = listing.links;
            for (const std::wstring& inner : listing.files) {
                const std::wstring path = WithSeparator(source) + inner;
                // The installer is copied as the item.
                if (SameText(path, item.strFile))
                    continue;
                ResolvedItem resolved = ResolveItem(item.strName, path);
                // A file that is found elsewhere than where it is listed is a link.
                if (resolved.bFound && !SameText(resolved.strFile, path)) {
                    links.push_back(inner);
                    continue;
                }
                plan.files.push_back(DiscFile{DiscFileKind::kFolderFile, {i}, item.strName, std::move(resolved),
                                              target.empty() ? inner : target + L"\\" + inner});
            }
            std::sort(links.begin(), links.end());
            for (const std::wstring& inner : links)
                plan.leftOut.push_back({item.strName, WithSeparator(source) + inner, L"是链接或交接点, 没有复制"});
            for (const std::wstring& inner : listing.tooDeep)
                plan.leftOut.push_back({item.strName, WithSeparator(source) + inner,
                                           L"在安装程序的文件夹下超过 " + std::to_wstring(kMaxCopyFolderDepth) +
                                               L" 层, 没有复制"});
        }
        for (const DiscCategory& category : pDisc->arrCategories) {
            std::vector<size_t> owners;
            for (size_t i : category.items) {
                if (i < items.size() && items[i].bFound)
                    owners.push_back(i);
            }
            if (owners.empty() || platform_text::TrimSpace(category.strIconPath).empty())
                continue;
            const ResolvedItem icon = ResolveItem(category.strName, category.strIconPath);
            if (found(icon) && icon.strParameters.empty())
                plan.files.push_back(DiscFile{DiscFileKind::kCategoryIcon, owners, category.strName, icon,
                                              SavedRelativePath(icon.strFile, icon.strDrive, programFolder,
                                                                category.strName)});
        }
    }
    std::vector<SaveSource> sources;
    for (const DiscFile& file : plan.files)
        sources.push_back({file.resolved.bFound ? file.resolved.strFile : std::wstring(), file.strRelative});
    plan.saves = PlanSaves(sources, strFolder);
    return plan;
}
