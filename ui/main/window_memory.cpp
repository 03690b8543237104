#include "ui/main/window_memory.h"

#include "catalogue/ini_profile.h"
#include "platform/system_dialogs.h"
#include "platform/text.h"
#include "shell/held_folder.h"

#include <windows.h>
#include <shlobj.h>

namespace window_memory {

namespace {

bool SamePath(const std::wstring& a, const std::wstring& b)
{
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                  TRUE) == CSTR_EQUAL;
}

std::wstring Section(int n)
{
    return L"Window" + std::to_wstring(n);
}

// A side as the file gives it: a whole number of pixels from 1 to kMaxSide.
std::optional<int> Side(const CProfileSource& settings, const std::wstring& section, const wchar_t* pszKey)
{
    const std::wstring text = settings.GetString(section, pszKey, L"");
    if (text.empty() || text.size() > 5 || text.find_first_not_of(L"0123456789") != std::wstring::npos)
        return std::nullopt;
    const int n = std::stoi(text);
    if (n < 1 || n > kMaxSide)
        return std::nullopt;
    return n;
}

} // namespace

std::optional<main_layout::Size> RememberedSize(const CProfileSource& settings, const std::wstring& catalogue)
{
    for (int n = 1; n <= kMaxRemembered; ++n) {
        const std::wstring section = Section(n);
        const std::wstring path = settings.GetString(section, L"Catalogue", L"");
        if (path.empty())
            break;
        if (!SamePath(path, catalogue))
            continue;
        const std::optional<int> cx = Side(settings, section, L"Width");
        const std::optional<int> cy = Side(settings, section, L"Height");
        if (!cx || !cy)
            return std::nullopt;
        return main_layout::Size{*cx, *cy};
    }
    return std::nullopt;
}

std::wstring SettingsText(const CProfileSource& old, const std::wstring& catalogue, main_layout::Size size)
{
    std::wstring text;
    int nWritten = 0;
    auto add = [&](const std::wstring& path, main_layout::Size remembered) {
        ++nWritten;
        text += L"[" + Section(nWritten) + L"]\r\nCatalogue=" + path + L"\r\nWidth=" + std::to_wstring(remembered.cx) +
                L"\r\nHeight=" + std::to_wstring(remembered.cy) + L"\r\n\r\n";
    };
    add(catalogue, size);
    for (int n = 1; n <= kMaxRemembered && nWritten < kMaxRemembered; ++n) {
        const std::wstring path = old.GetString(Section(n), L"Catalogue", L"");
        if (path.empty())
            break;
        // A path that could not be read back as written is left out.
        if (SamePath(path, catalogue) || path.find_first_of(L"\r\n") != std::wstring::npos)
            continue;
        if (const std::optional<main_layout::Size> remembered = RememberedSize(old, path))
            add(path, *remembered);
    }
    return text;
}

std::wstring SettingsFolderPath()
{
    const std::wstring appData = KnownFolderPath(FOLDERID_RoamingAppData);
    return appData.empty() ? appData : appData + L"\\" + kSettingsFolder;
}

std::optional<main_layout::Size> ReadRememberedSize(const std::wstring& catalogue)
{
    const std::wstring folder = SettingsFolderPath();
    if (folder.empty() || catalogue.empty())
        return std::nullopt;
    return RememberedSize(CIniProfile(folder + L"\\" + kSettingsName), catalogue);
}

bool RememberSize(const std::wstring& catalogue, main_layout::Size size)
{
    const std::wstring path = SettingsFolderPath();
    CHeldFolder folder;
    if (path.empty() || catalogue.empty() || catalogue.find_first_of(L"\r\n") != std::wstring::npos ||
        !folder.Hold(path, true))
        return false;
    const CIniProfile old(folder.Path() + L"\\" + kSettingsName);
    return folder.WriteInto("\xEF\xBB\xBF" + platform_text::ToUtf8(SettingsText(old, catalogue, size)),
                            kSettingsName, false);
}

} // namespace window_memory
