// Reading the profile (INI) file through the platform's profile functions.
#pragma once

#include <string>
#include <vector>

// GetPrivateProfileStringW with a limit of 4095 characters.
std::wstring ReadProfileString(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                               const std::wstring& defaultValue);
// GetPrivateProfileIntW.
int ReadProfileInt(const std::wstring& file, const std::wstring& section, const std::wstring& key, int defaultValue);
// GetPrivateProfileSectionW: the section's lines as key=value, values as the
// file holds them; empty when the section is missing.
std::vector<std::wstring> ReadProfileSection(const std::wstring& file, const std::wstring& section);
// GetPrivateProfileStringW with no key: the names of a section's keys.
std::vector<std::wstring> ReadProfileKeyNames(const std::wstring& file, const std::wstring& section);
