// Reading the profile (INI) file through the platform's profile functions.
#pragma once

#include <string>

// GetPrivateProfileStringW with a limit of 4095 characters.
std::wstring ReadProfileString(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                               const std::wstring& defaultValue);
// GetPrivateProfileIntW.
int ReadProfileInt(const std::wstring& file, const std::wstring& section, const std::wstring& key, int defaultValue);
