#include "catalogue/catalogue.h"

#include "platform/profile.h"
#include "platform/wnd.h"

#include <windows.h>

#include <vector>

namespace {

CatalogueSettings g_settings;

const wchar_t kCurrDir[] = L"%CurrDir%";

// Names read from Prefix1, Prefix2, ... up to the first empty value.
std::vector<std::wstring> ReadNumberedList(const std::wstring& file, const std::wstring& section,
                                           const wchar_t* pszPrefix)
{
    std::vector<std::wstring> names;
    for (int n = 1;; ++n) {
        std::wstring value = ReadProfileString(file, section, pszPrefix + std::to_wstring(n), L"");
        if (value.empty())
            break;
        names.push_back(std::move(value));
    }
    return names;
}

std::wstring ReadWorkingDir(const std::wstring& file, const std::wstring& section, const std::wstring& exeFolder)
{
    std::wstring dir = ReadProfileString(file, section, L"WorkingDir", L"");
    return dir == kCurrDir ? exeFolder : dir;
}

} // namespace

void ReadCatalogue(CatalogueSettings& settings, const std::wstring& file, const std::wstring& exeFolder)
{
    settings.MainWidth = ReadProfileInt(file, L"Config", L"MainWidth", 0);
    settings.MainHeight = ReadProfileInt(file, L"Config", L"MainHeight", 0);
    settings.TitleText = ReadProfileString(file, L"Config", L"TitleText", L"Tovrin Quillset");
    settings.SavePath = ReadProfileString(file, L"Config", L"SavePath", L"");
    if (!settings.SavePath.empty() && settings.SavePath.back() != L'\\')
        settings.SavePath += L'\\';
    settings.DefaultMode = ReadProfileInt(file, L"Config", L"Default", 1);

    const std::vector<std::wstring> categoryNames = ReadNumberedList(file, L"Type", L"Sort");
    settings.Categories = std::make_unique<SoftwareCategory[]>(categoryNames.size() + 1);
    for (size_t i = 0; i < categoryNames.size(); ++i) {
        SoftwareCategory& category = settings.Categories[i];
        category.Name = categoryNames[i];
        const std::wstring categoryDir = ReadWorkingDir(file, category.Name, exeFolder);
        category.IconPath = categoryDir + ReadProfileString(file, category.Name, L"IconPath", L"");

        const std::vector<std::wstring> entryNames = ReadNumberedList(file, category.Name + L".List", L"List");
        if (entryNames.empty())
            continue;
        category.Entries = std::make_unique<SoftwareEntry[]>(entryNames.size() + 1);
        for (size_t j = 0; j < entryNames.size(); ++j) {
            SoftwareEntry& entry = category.Entries[j];
            const std::wstring& section = entryNames[j];
            entry.Name = section;
            const std::wstring dir = ReadWorkingDir(file, section, exeFolder);
            entry.IconPath = dir + ReadProfileString(file, section, L"IconPath", L"");
            entry.Checked = ReadProfileInt(file, section, L"Checked", 0);
            entry.AutoInstall = dir + ReadProfileString(file, section, L"AutoInstall", L"");
            entry.ManualInstall = dir + ReadProfileString(file, section, L"ManualInstall", L"");
            entry.Description = ReadProfileString(file, section, L"Description", L"");
        }
    }
}

CatalogueSettings* LoadCatalogue(CWinApp* pApp)
{
    wchar_t szModule[MAX_PATH + 1] = {};
    const DWORD n = ::GetModuleFileNameW(nullptr, szModule, MAX_PATH);
    std::wstring folder(szModule, n < MAX_PATH ? n : 0);
    folder.erase(folder.find_last_of(L'\\') + 1);
    pApp->m_strProfileName = folder + pApp->m_strProfileName;
    ReadCatalogue(g_settings, pApp->m_strProfileName, folder);
    return &g_settings;
}
