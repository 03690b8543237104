// A catalogue's bytes as text: UTF-8 or UTF-16 by their byte-order mark,
// else the system's code page.
#include "catalogue/ini_profile.h"

#include <windows.h>

namespace {

std::wstring DecodeCodePage(std::string_view bytes, UINT codePage)
{
    if (bytes.empty())
        return {};
    const int size = static_cast<int>(bytes.size());
    const int n = ::MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    if (n <= 0)
        return {};
    std::wstring text(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(codePage, 0, bytes.data(), size, text.data(), n);
    return text;
}

} // namespace

std::wstring DecodeProfileBytes(std::string_view bytes)
{
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF")
        return DecodeCodePage(bytes.substr(3), CP_UTF8);
    const bool little = bytes.size() >= 2 && bytes.substr(0, 2) == "\xFF\xFE";
    const bool big = bytes.size() >= 2 && bytes.substr(0, 2) == "\xFE\xFF";
    if (!little && !big)
        return DecodeCodePage(bytes, CP_ACP);
    std::wstring text((bytes.size() - 2) / 2, L'\0');
    for (size_t i = 0; i < text.size(); ++i) {
        const auto first = static_cast<unsigned char>(bytes[2 + 2 * i]);
        const auto second = static_cast<unsigned char>(bytes[3 + 2 * i]);
        text[i] = static_cast<wchar_t>(little ? (first | (second << 8)) : ((first << 8) | second));
    }
    return text;
}
