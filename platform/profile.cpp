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

std::vector<std::wstring> ReadProfileKeyNames(const std::wstring& file, const std::wstring& section)
{
    // The names come NUL-separated; the count falls two short of the buffer
    // when more would have come.
    std::vector<wchar_t> buffer(4096);
    DWORD n = 0;
    for (;;) {
        n = ::GetPrivateProfileStringW(section.c_str(), nullptr, L"", buffer.data(),
                                       static_cast<DWORD>(buffer.size()), file.c_str());
        if (n + 2 < buffer.size() || buffer.size() >= (1u << 26))
            break;
        buffer.resize(buffer.size() * 4);
    }
    std::vector<std::wstring> names;
    for (size_t at = 0; at < n;) {
        const std::wstring name(buffer.data() + at);
        at += name.size() + 1;
        if (!name.empty())
            names.push_back(name);
    }
    return names;
}

std::vector<std::wstring> ReadProfileSection(const std::wstring& file, const std::wstring& section)
{
    // The function fills what fits and tells by its count, two short of the
    // buffer, that more would have come.
    std::vector<wchar_t> buffer(4096);
    DWORD n = 0;
    for (;;) {
        n = ::GetPrivateProfileSectionW(section.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()),
                                        file.c_str());
        if (n + 2 < buffer.size() || buffer.size() >= (1u << 26))
            break;
        buffer.resize(buffer.size() * 4);
    }
    std::vector<std::wstring> lines;
    for (size_t at = 0; at < n;) {
        const std::wstring line(buffer.data() + at);
        at += line.size() + 1;
        if (!line.empty())
            lines.push_back(line);
    }
    return lines;
}
