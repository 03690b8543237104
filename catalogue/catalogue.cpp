#include "catalogue/catalogue.h"

#include "catalogue/ini_profile.h"
#include "platform/system_dialogs.h"
#include "platform/text.h"
#include "platform/wnd.h"

#include <windows.h>

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

namespace {

// The category names of [Type], each section once, at its first place.
std::vector<std::wstring> ReadCategoryNames(const CProfileSource& profile, bool& bCut)
{
    std::vector<std::wstring> names;
    std::unordered_set<std::wstring> seen;
    for (int n = 1;; ++n) {
        std::wstring value = profile.GetString(L"Type", L"Sort" + std::to_wstring(n), L"");
        if (value.empty())
            break;
        if (seen.count(FoldedProfileName(value)))
            continue;
        if (names.size() == kMaxCategories) {
            bCut = true;
            break;
        }
        seen.insert(FoldedProfileName(value));
        names.push_back(std::move(value));
    }
    return names;
}

} // namespace

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
           std::to_wstring(kMaxEntryRecords) + L" 款软件。";
}

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

    bool bCut = false;
    size_t nEntryRecords = 0;
    const std::vector<std::wstring> categoryNames = ReadCategoryNames(profile, bCut);
    settings.Categories = std::make_unique<SoftwareCategory[]>(categoryNames.size() + 1);
    for (size_t i = 0; i < categoryNames.size(); ++i) {
        SoftwareCategory& category = settings.Categories[i];
        category.Name = categoryNames[i];
        const std::wstring categoryDir = ReadWorkingDir(profile, category.Name, exeFolder);
        category.IconPath = categoryDir + profile.GetString(category.Name, L"IconPath", L"");

        const std::vector<std::wstring> entryNames =
            ReadNumberedList(profile, category.Name + L".List", L"List", kMaxEntryRecords - nEntryRecords, &bCut);
        nEntryRecords += entryNames.size();
        if (entryNames.empty())
            continue;
        category.Entries = std::make_unique<SoftwareEntry[]>(entryNames.size() + 1);
        for (size_t j = 0; j < entryNames.size(); ++j) {
            SoftwareEntry& entry = category.Entries[j];
            const std::wstring& section = entryNames[j];
            entry.Name = section;
            const std::wstring dir = ReadWorkingDir(profile, section, exeFolder);
            entry.IconPath = dir + profile.GetString(section, L"IconPath", L"");
            entry.Checked = profile.GetInt(section, L"Checked", 0);
            entry.AutoInstall = dir + profile.GetString(section, L"AutoInstall", L"");
            entry.ManualInstall = dir + profile.GetString(section, L"ManualInstall", L"");
            entry.Description = profile.GetString(section, L"Description", L"");
        }
    }
    return bCut ? CatalogueExtent::CutShort : CatalogueExtent::Whole;
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
    const std::wstring exePath = RunningExecutablePath();
    CatalogueLoad load;
    load.strPath = ProfilePathFor(exePath);
    if (pApp)
        pApp->m_strProfileName = load.strPath;
    const CIniProfile profile(load.strPath);
    load.dwError = profile.ReadError();
    load.extent = ReadCatalogue(g_settings, profile, ExecutableFolder(exePath));
    const SoftwareCategory* pCategories = g_settings.Categories.get();
    for (int j = 0; !pCategories[j].Name.empty(); ++j) {
        const SoftwareEntry* pEntries = pCategories[j].Entries.get();
        for (int r = 0; pEntries && !pEntries[r].Name.empty(); ++r)
            ++load.nEntryRecords;
    }
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
    std::vector<const SoftwareEntry*> selected;
    std::unordered_set<std::wstring> seen;
    const SoftwareCategory* pCategories = settings.Categories.get();
    for (int j = 0; pCategories && !pCategories[j].Name.empty(); ++j) {
        const SoftwareEntry* pEntries = pCategories[j].Entries.get();
        for (int r = 0; pEntries && !pEntries[r].Name.empty(); ++r) {
            if (filter(pEntries[r]) && seen.insert(FoldedProfileName(pEntries[r].Name)).second)
                selected.push_back(&pEntries[r]);
        }
    }
    return selected;
}
