#include "catalogue/catalogue.h"

#include "catalogue/ini_profile.h"
#include "catalogue/name_list.h"
#include "platform/system_dialogs.h"
#include "platform/text.h"
#include "platform/wnd.h"

#include <windows.h>

#include <initializer_list>
#include <new>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace {

CatalogueSettings g_settings;

std::wstring ReadWorkingDir(const CProfileSource& profile, const std::wstring& section, const std::wstring& exeFolder)
{
    std::wstring dir = profile.GetString(section, L"WorkingDir", L"");
    return dir == kCurrDir ? exeFolder : dir;
}

} // namespace

std::vector<std::wstring> ReadNumberedList(const CProfileSource& profile, const std::wstring& section,
                                           const std::wstring& prefix, size_t limit, bool* pCut)
{
    std::vector<std::wstring> names;
    for (int n = 1;; ++n) {
        std::wstring value = profile.GetString(section, prefix + std::to_wstring(n), L"");
        if (value.empty())
            break;
        if (names.size() == limit) {
            if (pCut)
                *pCut = true;
            break;
        }
        names.push_back(std::move(value));
    }
    return names;
}

std::vector<std::wstring> ReadCategoryNames(const CProfileSource& profile, size_t limit, bool* pCut)
{
    std::vector<std::wstring> names;
    std::unordered_set<std::wstring> seen;
    for (int n = 1;; ++n) {
        std::wstring value = profile.GetString(L"Type", L"Sort" + std::to_wstring(n), L"");
        if (value.empty())
            break;
        if (seen.count(FoldedProfileName(value)))
            continue;
        if (names.size() == limit) {
            if (pCut)
                *pCut = true;
            break;
        }
        seen.insert(FoldedProfileName(value));
        names.push_back(std::move(value));
    }
    return names;
}

bool StartsWithQuotedProgram(std::wstring_view line)
{
    if (line.size() < 2 || line.front() != L'"')
        return false;
    const size_t close = line.find(L'"', 1);
    return close != std::wstring_view::npos && close > 1 && close + 1 < line.size();
}

std::wstring ReadInstallLine(const CProfileSource& profile, const std::wstring& section, const std::wstring& key,
                             const std::wstring& defaultValue)
{
    std::wstring raw = profile.GetRawString(section, key, defaultValue);
    if (StartsWithQuotedProgram(raw))
        return raw;
    return profile.GetString(section, key, defaultValue);
}

std::wstring ProfilePathFor(const std::wstring& exePath)
{
    const std::wstring folder = ExecutableFolder(exePath);
    if (folder.empty())
        return {};
    std::wstring name = exePath.substr(folder.size());
    const size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos)
        name.erase(dot);
    return folder + name + L".INI";
}

std::wstring CutShortNotice()
{
    return L"配置文件列出的软件过多，只读取了前 " + std::to_wstring(kMaxCategories) + L" 个分类中的前 " +
           std::to_wstring(kMaxListings) + L" 款软件。";
}

namespace {

// What the catalogue spends of its byte budget.
class CBudget {
public:
    // Takes the bytes of the texts; false, taking nothing, when they do not fit.
    bool Take(std::initializer_list<const std::wstring*> texts, size_t nTimes = 1) noexcept
    {
        size_t bytes = 0;
        for (const std::wstring* pText : texts)
            bytes += (pText->size() + 1) * sizeof(wchar_t);
        bytes *= nTimes;
        if (bytes > kMaxCatalogueBytes - m_nUsed)
            return false;
        m_nUsed += bytes;
        return true;
    }

private:
    size_t m_nUsed = 0;
};

// An entry's record read from its section.
SoftwareEntry ReadEntry(const CProfileSource& profile, const std::wstring& section, const std::wstring& exeFolder)
{
    SoftwareEntry entry;
    entry.Name = section;
    const std::wstring dir = ReadWorkingDir(profile, section, exeFolder);
    entry.IconPath = dir + profile.GetString(section, L"IconPath", L"");
    entry.Checked = profile.GetInt(section, L"Checked", 0);
    // An install line left empty stays empty: the entry has no such command.
    const std::wstring automatic = ReadInstallLine(profile, section, L"AutoInstall");
    const std::wstring manual = ReadInstallLine(profile, section, L"ManualInstall");
    entry.AutoInstall = automatic.empty() ? automatic : dir + automatic;
    entry.ManualInstall = manual.empty() ? manual : dir + manual;
    entry.Description = profile.GetString(section, L"Description", L"");
    entry.ProductCode = profile.GetString(section, L"ProductCode", L"");
    entry.UninstallKey = profile.GetString(section, L"UninstallKey", L"");
    entry.InstalledName = profile.GetString(section, L"InstalledName", L"");
    entry.Version = profile.GetString(section, L"Version", L"");
    entry.CopyFolder = profile.GetInt(section, L"CopyFolder", 0);
    return entry;
}

// The categories as read: their names and icons, and each one's listings
// as indices of records.
struct CategoriesRead {
    std::vector<std::wstring> names;
    std::vector<std::wstring> icons;
    std::vector<std::vector<size_t>> listings;
};

// Reads the categories named and the records they list into read and
// records, as far as the bounds allow; bCut is set where they leave
// something out. Past the last listing allowed the categories still come,
// empty; past the byte budget nothing more does. What is read is whole
// whenever reading stops: every listing has its record.
void ReadCategories(const CProfileSource& profile, const std::wstring& exeFolder, std::vector<std::wstring>& names,
                    CBudget& budget, CategoriesRead& read, std::vector<SoftwareEntry>& records, bool& bCut)
{
    std::unordered_map<std::wstring, size_t> recordOf;
    size_t nListings = 0;
    for (std::wstring& name : names) {
        std::wstring icon = ReadWorkingDir(profile, name, exeFolder) + profile.GetString(name, L"IconPath", L"");
        if (!budget.Take({&name, &icon})) {
            bCut = true;
            return;
        }
        const std::vector<std::wstring> sections =
            ReadNumberedList(profile, name + L".List", L"List", kMaxListings - nListings, &bCut);
        read.names.push_back(std::move(name));
        read.icons.push_back(std::move(icon));
        read.listings.emplace_back();
        for (const std::wstring& section : sections) {
            const auto [at, bNew] = recordOf.try_emplace(FoldedProfileName(section), records.size());
            if (bNew) {
                SoftwareEntry entry = ReadEntry(profile, section, exeFolder);
                if (!budget.Take({&entry.Name, &entry.IconPath, &entry.AutoInstall, &entry.ManualInstall,
                                  &entry.Description, &entry.ProductCode, &entry.UninstallKey,
                                  &entry.InstalledName, &entry.Version})) {
                    bCut = true;
                    return;
                }
                records.push_back(std::move(entry));
            }
            // Each listing is a row of the all-software list and of its
            // category's list, each with the name and description.
            const SoftwareEntry& entry = records[at->second];
            if (!budget.Take({&entry.Name, &entry.Description}, 2)) {
                bCut = true;
                return;
            }
            read.listings.back().push_back(at->second);
            ++nListings;
        }
    }
}

// The saved selections of [Quillset.Sets], as far as the budget allows; a
// value that is no list of names (a lone "@") gives an empty selection, and
// a name given again is the first.
void ReadSets(const CProfileSource& profile, CBudget& budget, std::vector<SelectionSet>& sets, bool& bCut)
{
    std::unordered_set<std::wstring> seen;
    for (std::wstring& name : profile.GetKeyNames(kSetsSection)) {
        if (!seen.insert(FoldedProfileName(name)).second)
            continue;
        const std::wstring value = profile.GetString(kSetsSection, name, L"");
        if (!budget.Take({&name, &value})) {
            bCut = true;
            return;
        }
        NameList list;
        std::wstring error;
        SelectionSet set;
        set.Name = std::move(name);
        if (SplitNameList(value, list, error)) {
            set.EntryNames = std::move(list.entries);
            set.SetNames = std::move(list.sets);
        }
        sets.push_back(std::move(set));
    }
}

} // namespace

CatalogueExtent ReadCatalogue(CatalogueSettings& settings, const CProfileSource& profile,
                              const std::wstring& exeFolder)
{
    settings.MainWidth = profile.GetInt(L"Config", L"MainWidth", 0);
    settings.MainHeight = profile.GetInt(L"Config", L"MainHeight", 0);
    settings.TitleText = profile.GetString(L"Config", L"TitleText", L"Tovrin Quillset");
    settings.SavePath = profile.GetString(L"Config", L"SavePath", L"");
    if (!settings.SavePath.empty() && settings.SavePath.back() != L'\\')
        settings.SavePath += L'\\';
    settings.DefaultMode = profile.GetInt(L"Config", L"Default", 1);
    settings.Categories.reset();
    settings.Entries.clear();
    settings.Sets.clear();

    CBudget budget;
    budget.Take({&settings.TitleText, &settings.SavePath});
    bool bCut = false;
    std::vector<std::wstring> names = ReadCategoryNames(profile, kMaxCategories, &bCut);
    CategoriesRead read;
    try {
        ReadCategories(profile, exeFolder, names, budget, read, settings.Entries, bCut);
        ReadSets(profile, budget, settings.Sets, bCut);
    } catch (const std::bad_alloc&) {
        bCut = true;
    }

    // The records stay where they are from here on: the categories point at them.
    const size_t nCategories = read.listings.size();
    settings.Categories = std::make_unique<SoftwareCategory[]>(nCategories + 1);
    for (size_t i = 0; i < nCategories; ++i) {
        SoftwareCategory& category = settings.Categories[i];
        category.Name = std::move(read.names[i]);
        category.IconPath = std::move(read.icons[i]);
        const std::vector<size_t>& listings = read.listings[i];
        if (listings.empty())
            continue;
        category.Entries = std::make_unique<SoftwareEntry*[]>(listings.size() + 1);
        for (size_t j = 0; j < listings.size(); ++j)
            category.Entries[j] = &settings.Entries[listings[j]];
    }
    return bCut ? CatalogueExtent::CutShort : CatalogueExtent::Whole;
}

const SelectionSet* FindSet(const CatalogueSettings& settings, const std::wstring& name)
{
    const std::wstring key = FoldedProfileName(name);
    for (const SelectionSet& set : settings.Sets) {
        if (FoldedProfileName(set.Name) == key)
            return &set;
    }
    return nullptr;
}

std::vector<std::wstring> SetEntryNames(const CatalogueSettings& settings, const std::vector<std::wstring>& sets,
                                        std::vector<std::wstring>& missing)
{
    std::vector<std::wstring> names;
    std::unordered_set<const SelectionSet*> taken;
    std::vector<std::wstring> pending(sets.rbegin(), sets.rend());
    while (!pending.empty()) {
        const std::wstring name = std::move(pending.back());
        pending.pop_back();
        const SelectionSet* pSet = FindSet(settings, name);
        if (!pSet) {
            missing.push_back(name);
            continue;
        }
        if (!taken.insert(pSet).second)
            continue;
        names.insert(names.end(), pSet->EntryNames.begin(), pSet->EntryNames.end());
        pending.insert(pending.end(), pSet->SetNames.rbegin(), pSet->SetNames.rend());
    }
    return names;
}

std::wstring CatalogueNotice(const CatalogueLoad& load)
{
    if (load.dwError == ERROR_FILE_NOT_FOUND)
        return L"程序旁边没有目录文件: " + load.strPath;
    if (load.dwError != 0)
        return L"目录文件无法读取: " + load.strPath + L" (" + platform_text::WindowsErrorText(load.dwError) + L")";
    // A file cut short may have no entry among what was read.
    if (load.extent == CatalogueExtent::CutShort)
        return CutShortNotice();
    return load.nEntryRecords == 0 ? L"目录文件中没有任何软件: " + load.strPath : std::wstring();
}

CatalogueSettings* LoadCatalogue(CWinApp* pApp, CatalogueLoad* pLoad)
{
    const std::wstring exePath = ProgramPlace().Path();
    CatalogueLoad load;
    load.strPath = ProfilePathFor(exePath);
    if (pApp)
        pApp->m_strProfileName = load.strPath;
    const CIniProfile profile(load.strPath);
    load.dwError = profile.ReadError();
    load.extent = CatalogueExtent::CutShort;
    try {
        load.extent = ReadCatalogue(g_settings, profile, ExecutableFolder(exePath));
    } catch (const std::bad_alloc&) {
        // No memory even for what fits the bounds: no catalogue, and the
        // user is told it was cut short.
        g_settings = CatalogueSettings();
        g_settings.Categories = std::make_unique<SoftwareCategory[]>(1);
    }
    load.nEntryRecords = g_settings.Entries.size();
    if (pLoad) {
        *pLoad = load;
    } else {
        const std::wstring notice = CatalogueNotice(load);
        if (!notice.empty())
            ShowMessageBox(nullptr, notice, g_settings.TitleText, MB_OK | MB_ICONEXCLAMATION);
    }
    return &g_settings;
}

std::vector<const SoftwareEntry*> SelectEntries(const CatalogueSettings& settings,
                                                const std::function<bool(const SoftwareEntry&)>& filter)
{
    // The records are in the order first listed.
    std::vector<const SoftwareEntry*> selected;
    for (const SoftwareEntry& entry : settings.Entries) {
        if (filter(entry))
            selected.push_back(&entry);
    }
    return selected;
}
