#include "catalogue/catalogue.h"

#include "catalogue/ini_profile.h"
#include "platform/wnd.h"

#include <windows.h>

#include <vector>

namespace {

CatalogueSettings g_settings;

const wchar_t kCurrDir[] = L"%CurrDir%";

// Names read from Prefix1, Prefix2, ... up to the first empty value.
std::vector<std::wstring> ReadNumberedList(const CProfileSource& profile, const std::wstring& section,
                                           const std::wstring& prefix)
{
    std::vector<std::wstring> names;
    for (int n = 1;; ++n) {
        std::wstring value = profile.GetString(section, prefix + std::to_wstring(n), L"");
        if (value.empty())
            break;
        names.push_back(std::move(value));
    }
    return names;
}

std::wstring ReadWorkingDir(const CProfileSource& profile, const std::wstring& section, const std::wstring& exeFolder)
{
    std::wstring dir = profile.GetString(section, L"WorkingDir", L"");
    return dir == kCurrDir ? exeFolder : dir;
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

void ReadCatalogue(CatalogueSettings& settings, const CProfileSource& profile, const std::wstring& exeFolder)
{
    settings.MainWidth = profile.GetInt(L"Config", L"MainWidth", 0);
    settings.MainHeight = profile.GetInt(L"Config", L"MainHeight", 0);
    settings.TitleText = profile.GetString(L"Config", L"TitleText", L"Tovrin Quillset");
    settings.SavePath = profile.GetString(L"Config", L"SavePath", L"");
    if (!settings.SavePath.empty() && settings.SavePath.back() != L'\\')
        settings.SavePath += L'\\';
    settings.DefaultMode = profile.GetInt(L"Config", L"Default", 1);

    const std::vector<std::wstring> categoryNames = ReadNumberedList(profile, L"Type", L"Sort");
    settings.Categories = std::make_unique<SoftwareCategory[]>(categoryNames.size() + 1);
    for (size_t i = 0; i < categoryNames.size(); ++i) {
        SoftwareCategory& category = settings.Categories[i];
        category.Name = categoryNames[i];
        const std::wstring categoryDir = ReadWorkingDir(profile, category.Name, exeFolder);
        category.IconPath = categoryDir + profile.GetString(category.Name, L"IconPath", L"");

        const std::vector<std::wstring> entryNames = ReadNumberedList(profile, category.Name + L".List", L"List");
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
}

CatalogueSettings* LoadCatalogue(CWinApp* pApp)
{
    const std::wstring exePath = RunningExecutablePath();
    const std::wstring profilePath = ProfilePathFor(exePath);
    if (pApp)
        pApp->m_strProfileName = profilePath;
    const CIniProfile profile(profilePath);
    ReadCatalogue(g_settings, profile, ExecutableFolder(exePath));
    return &g_settings;
}
