#include "scan/disc_scan.h"

#include "catalogue/catalogue.h"
#include "platform/handles.h"
#include "catalogue/catalogue_draft.h"
#include "scan/icon_export.h"
#include "shell/held_folder.h"

#include <windows.h>

#include <algorithm>

namespace {

constexpr int kFolderDepth = 2;
// How deep below the scanned folders the builder still looks for
// installers to say it passed over.
constexpr int kNotedDepth = 6;

bool HasInstallerExtension(const std::wstring& name)
{
    const size_t dot = name.find_last_of(L'.');
    return dot != std::wstring::npos && (SameNameIgnoringCase(name.substr(dot), L".exe") || SameNameIgnoringCase(name.substr(dot), L".msi"));
}

// The installer files in the folder and its folders kFolderDepth levels
// down go to found; those in deeper folders, as far as kNotedDepth, and the
// folders that are links, go to passed, for the builder to name what it
// passed over.
void Walk(const std::wstring& folder, const std::wstring& relative, int depth, const std::vector<std::wstring>& excluded,
          std::vector<std::wstring>& found, PassedOver& passed)
{
    WIN32_FIND_DATAW data{};
    const CFindHandle find(::FindFirstFileW((folder + relative + L"*").c_str(), &data));
    if (!find)
        return;
    const bool bTooDeep = depth > kFolderDepth;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                if (depth < kNotedDepth)
                    Walk(folder, relative + name + L"\\", depth + 1, excluded, found, passed);
            } else if (!bTooDeep) {
                passed.links.push_back(relative + name + L"\\");
            }
            continue;
        }
        const bool skip = depth == 0 && std::any_of(excluded.begin(), excluded.end(),
                                                    [&](const std::wstring& x) { return SameNameIgnoringCase(x, name); });
        if (!skip && HasInstallerExtension(name))
            (bTooDeep ? passed.tooDeep : found).push_back(relative + name);
    } while (::FindNextFileW(find.Get(), &data));
}

// The name of the folder an installer lies in when that folder is its own
// (below the category's folder): "办公\\Writer\\setup.exe" gives "Writer";
// empty for an installer in the disc folder or straight in a category.
std::wstring FolderNameOf(const std::wstring& relativePath)
{
    const size_t last = relativePath.find_last_of(L'\\');
    const size_t first = relativePath.find(L'\\');
    if (last == std::wstring::npos || first == last)
        return {};
    const size_t before = relativePath.find_last_of(L'\\', last - 1);
    return relativePath.substr(before + 1, last - before - 1);
}

std::wstring FileName(const std::wstring& path)
{
    return path.substr(path.find_last_of(L'\\') + 1);
}

std::wstring Stem(const std::wstring& path)
{
    const std::wstring name = FileName(path);
    return name.substr(0, name.find_last_of(L'.'));
}

bool NameLess(const std::wstring& a, const std::wstring& b)
{
    return ::CompareStringEx(LOCALE_NAME_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), static_cast<int>(a.size()),
                             b.c_str(), static_cast<int>(b.size()), nullptr, nullptr, 0) == CSTR_LESS_THAN;
}

std::wstring Description(const FoundInstaller& installer, const std::wstring& name)
{
    const ProductInfo& product = installer.product;
    std::wstring text = SameNameIgnoringCase(product.description, name) ? std::wstring() : product.description;
    if (!product.version.empty())
        text += (text.empty() ? L"版本 " : L", 版本 ") + product.version;
    return text.empty() ? FileName(installer.relativePath) : text;
}

// The keys that tell whether the installer's product is on the machine: a
// package's product code, a program's product name, and the version each
// brings; a WiX bundle registers under its bundle's id.
void AddInstallKeys(const FoundInstaller& installer, DraftEntry& entry)
{
    const ProductInfo& product = installer.product;
    if (installer.identification.kind == InstallerKind::Msi) {
        if (!product.productCode.empty())
            entry.keys.emplace_back(L"ProductCode", product.productCode);
    } else {
        if (!installer.identification.bundleId.empty())
            entry.keys.emplace_back(L"UninstallKey", installer.identification.bundleId);
        if (!product.installedName.empty())
            entry.keys.emplace_back(L"InstalledName", product.installedName);
    }
    const bool bIdentity =
        !product.productCode.empty() || !installer.identification.bundleId.empty() || !product.installedName.empty();
    if (bIdentity && !product.productVersion.empty())
        entry.keys.emplace_back(L"Version", product.productVersion);
}

// Whether the entry says anything of what tells it is installed.
bool HasInstallKey(const DraftEntry& entry)
{
    for (const wchar_t* key : {L"ProductCode", L"UninstallKey", L"InstalledName", L"Version"}) {
        for (const auto& [name, value] : entry.keys) {
            if (SameNameIgnoringCase(name, key))
                return true;
        }
    }
    return false;
}

// Saves the icon under a name in the icon folder that neither this run nor
// anyone else has used yet (stem.ico, stem-2.ico, ...): a file found there
// is never replaced. The name, or empty when nothing could be written.
std::wstring SaveIcon(const CHeldFolder& iconFolder, const std::wstring& stem, const std::string& bytes,
                      std::vector<std::wstring>& used)
{
    constexpr int kMaxTries = 1000;
    for (int n = 1; n <= kMaxTries; ++n) {
        const std::wstring name = stem + (n == 1 ? std::wstring() : L"-" + std::to_wstring(n)) + L".ico";
        if (std::any_of(used.begin(), used.end(), [&](const std::wstring& u) { return SameNameIgnoringCase(u, name); }))
            continue;
        if (iconFolder.WriteInto(bytes, name, true)) {
            used.push_back(name);
            return name;
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS && error != ERROR_ACCESS_DENIED)
            return {};
    }
    return {};
}

} // namespace

std::vector<FoundInstaller> ScanDisc(const std::wstring& folder, const std::vector<std::wstring>& excluded,
                                     PassedOver* pPassed)
{
    std::vector<std::wstring> paths;
    PassedOver passed;
    Walk(folder, L"", 0, excluded, paths, passed);
    std::sort(passed.tooDeep.begin(), passed.tooDeep.end(), NameLess);
    std::sort(passed.links.begin(), passed.links.end(), NameLess);
    if (pPassed)
        *pPassed = std::move(passed);
    std::sort(paths.begin(), paths.end(), NameLess);
    std::vector<FoundInstaller> installers;
    for (const std::wstring& relative : paths) {
        FoundInstaller installer;
        installer.relativePath = relative;
        const size_t slash = relative.find(L'\\');
        if (slash != std::wstring::npos)
            installer.category = relative.substr(0, slash);
        const std::wstring path = folder + relative;
        installer.identification = IdentifyInstaller(path);
        Identification& id = installer.identification;
        if (id.verdict == FileVerdict::Installer && id.kind != InstallerKind::Msi)
            installer.product = ReadProgramInfo(path);
        if (id.verdict == FileVerdict::Installer && id.kind == InstallerKind::Msi &&
            !ReadPackageInfo(path, installer.product)) {
            id.verdict = FileVerdict::Damaged;
            id.problem = L"the installer library could not read the package";
        }
        installers.push_back(std::move(installer));
    }
    return installers;
}

size_t AddInstallers(CCatalogueDraft& draft, const std::wstring& folder, std::vector<FoundInstaller>& installers,
                     CHeldFolder& iconFolder, size_t* pKeyed)
{
    struct Pending {
        FoundInstaller* installer;
        std::wstring name;
        std::wstring category;
    };
    std::vector<Pending> pending;
    size_t nKeyed = 0;
    for (FoundInstaller& installer : installers) {
        if (installer.identification.verdict != FileVerdict::Installer)
            continue;
        if (DraftEntry* pNaming = draft.EntryNaming(folder, installer.relativePath)) {
            const size_t nBefore = pNaming->keys.size();
            if (!HasInstallKey(*pNaming))
                AddInstallKeys(installer, *pNaming);
            nKeyed += pNaming->keys.size() > nBefore ? 1 : 0;
            continue;
        }
        std::wstring name = SectionNameFrom(installer.product.name);
        if (name.empty())
            name = SectionNameFrom(FolderNameOf(installer.relativePath));
        if (name.empty())
            name = SectionNameFrom(Stem(installer.relativePath));
        std::wstring category = SectionNameFrom(installer.category);
        pending.push_back({&installer, name.empty() ? std::wstring(L"Setup") : name,
                           category.empty() ? std::wstring(kRootCategory) : category});
    }
    // The disc folder's own category first, then the folders, in name order;
    // entries in name order within them.
    std::stable_sort(pending.begin(), pending.end(), [](const Pending& a, const Pending& b) {
        const bool aRoot = a.installer->category.empty();
        const bool bRoot = b.installer->category.empty();
        if (aRoot != bRoot)
            return aRoot;
        if (!SameNameIgnoringCase(a.category, b.category))
            return NameLess(a.category, b.category);
        return NameLess(a.name, b.name);
    });

    // Categories first, so entry names keep clear of them; a folder whose
    // name some other section already has gets a free variant of it.
    std::wstring lastFolder;
    for (size_t i = 0; i < pending.size(); ++i) {
        Pending& item = pending[i];
        if (i > 0 && SameNameIgnoringCase(item.installer->category, lastFolder)) {
            item.category = pending[i - 1].category;
            continue;
        }
        lastFolder = item.installer->category;
        const auto& categories = draft.Categories();
        const auto known = std::find_if(categories.begin(), categories.end(),
                                        [&](const DraftCategory& c) { return SameNameIgnoringCase(c.name, item.category); });
        item.category =
            known != categories.end() ? known->name : draft.Category(draft.FreeSectionName(item.category)).name;
    }

    std::vector<std::wstring> usedIcons;
    for (Pending& item : pending) {
        const FoundInstaller& installer = *item.installer;
        const std::wstring path = folder + installer.relativePath;
        DraftEntry entry;
        entry.name = draft.FreeSectionName(item.name);
        std::wstring iconPath;
        std::string iconBytes;
        if (installer.identification.kind != InstallerKind::Msi && ProgramIconFile(path, iconBytes)) {
            // Made with the first icon, then held until the scan ends.
            if (!iconFolder.IsHeld())
                iconFolder.Hold(folder + kIconFolder, true);
            const std::wstring iconName =
                SaveIcon(iconFolder, SectionNameFrom(Stem(installer.relativePath)), iconBytes, usedIcons);
            if (!iconName.empty())
                iconPath = std::wstring(kIconFolder) + L"\\" + iconName;
        }
        const std::wstring switches = SilentSwitches(installer.identification.kind);
        entry.keys = {{L"WorkingDir", kCurrDir}};
        if (!iconPath.empty())
            entry.keys.emplace_back(L"IconPath", iconPath);
        // Without switches known to make it silent an automatic install
        // would open its wizard: the entry gets no automatic command, and
        // starts unchecked.
        if (switches.empty())
            entry.keys.emplace_back(L"Checked", L"0");
        entry.keys.emplace_back(L"AutoInstall", switches.empty() ? std::wstring() : installer.relativePath + L" " + switches);
        entry.keys.emplace_back(L"ManualInstall", installer.relativePath);
        entry.keys.emplace_back(L"Description", Description(installer, entry.name));
        AddInstallKeys(installer, entry);
        DraftCategory& category = draft.Category(item.category);
        if (category.keys.empty() && !iconPath.empty())
            category.keys = {{L"WorkingDir", kCurrDir}, {L"IconPath", iconPath}};
        item.installer->entryName = entry.name;
        draft.AddEntry(category, std::move(entry));
    }
    if (pKeyed)
        *pKeyed = nKeyed;
    return pending.size();
}
