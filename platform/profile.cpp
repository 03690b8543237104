#include "platform/profile.h"

#include <windows.h>

std::wstring ReadProfileString(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                               const std::wstring& defaultValue)
{
    wchar_t buffer[4096];
    const DWORD n = ::GetPrivateProfileStringW(section.c_str(), key.c_str(), defaultValue.c_str(), buffer, 4096,
                                               file.c_str());
    return std::wstring(buffer, n);
}

int ReadProfileInt(const std::wstring& file, const std::wstring& section, const std::wstring& key, int defaultValue)
{
    return static_cast<int>(::GetPrivateProfileIntW(section.c_str(), key.c_str(), defaultValue, file.c_str()));
}
