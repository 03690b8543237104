#include "catalogue/catalogue_edit.h"

#include "catalogue/ini_profile.h"

#include <windows.h>

#include <vector>

namespace {

struct Line {
    size_t begin = 0;
    size_t end = 0;  // before the line's end
    size_t next = 0; // after it
};

std::vector<Line> Lines(const std::wstring& text)
{
    std::vector<Line> lines;
    for (size_t at = 0; at < text.size();) {
        Line line;
        line.begin = at;
        line.end = text.find_first_of(L"\r\n", at);
        if (line.end == std::wstring::npos)
            line.end = text.size();
        line.next = line.end;
        if (line.next < text.size() && text[line.next] == L'\r')
            ++line.next;
        if (line.next < text.size() && text[line.next] == L'\n')
            ++line.next;
        lines.push_back(line);
        at = line.next;
    }
    return lines;
}

std::wstring Trim(std::wstring_view text)
{
    const size_t first = text.find_first_not_of(L" \t");
    if (first == std::wstring_view::npos)
        return {};
    return std::wstring(text.substr(first, text.find_last_not_of(L" \t") - first + 1));
}

// The section a header line opens, or nothing for another line.
bool SectionOf(std::wstring_view line, std::wstring& name)
{
    const std::wstring trimmed = Trim(line);
    const size_t close = trimmed.rfind(L']');
    if (trimmed.empty() || trimmed.front() != L'[' || close == std::wstring::npos)
        return false;
    name = Trim(std::wstring_view(trimmed).substr(1, close - 1));
    return true;
}

std::wstring KeyOf(std::wstring_view line)
{
    return Trim(line.substr(0, line.find(L'=')));
}

// A value the profile reads back as it is: one that stands in a pair of
// quotes gets one more.
std::wstring ValueText(const std::wstring& value)
{
    const bool bQuoted = value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') &&
                         value.back() == value.front();
    return bQuoted ? value.front() + value + value.front() : value;
}

} // namespace

std::wstring WithProfileKey(const std::wstring& text, const std::wstring& section, const std::wstring& key,
                            const std::wstring& value)
{
    const std::wstring newLine = text.find(L"\r\n") != std::wstring::npos || text.find(L'\n') == std::wstring::npos
                                     ? L"\r\n"
                                     : L"\n";
    const std::wstring keyLine = key + L"=" + ValueText(value);
    const std::wstring wantedSection = FoldedProfileName(section);
    const std::wstring wantedKey = FoldedProfileName(key);
    const std::vector<Line> lines = Lines(text);
    bool bInside = false;
    const Line* pLast = nullptr;
    for (const Line& line : lines) {
        const std::wstring_view view(text.data() + line.begin, line.end - line.begin);
        std::wstring name;
        if (SectionOf(view, name)) {
            if (bInside)
                break;
            bInside = FoldedProfileName(name) == wantedSection;
            if (bInside)
                pLast = &line;
            continue;
        }
        if (!bInside || Trim(view).empty())
            continue;
        pLast = &line;
        if (view.find(L'=') != std::wstring_view::npos && FoldedProfileName(KeyOf(view)) == wantedKey)
            return text.substr(0, line.begin) + keyLine + text.substr(line.end);
    }
    if (pLast) {
        // After the section's last line, which may end the file unended.
        const bool bEnded = pLast->next > pLast->end;
        return text.substr(0, pLast->next) + (bEnded ? L"" : newLine) + keyLine + newLine + text.substr(pLast->next);
    }
    std::wstring result = text;
    if (!result.empty() && result.back() != L'\n')
        result += newLine;
    if (!result.empty())
        result += newLine;
    return result + L"[" + section + L"]" + newLine + keyLine + newLine;
}

std::wstring SetNameProblem(const std::wstring& name)
{
    if (name.empty())
        return L"请输入选择集的名称。";
    if (name.size() > kMaxSetNameLength)
        return L"名称太长 (最多 " + std::to_wstring(kMaxSetNameLength) + L" 个字符)。";
    for (wchar_t c : name) {
        if (c < L' ' || c == L'=')
            return L"名称中不能有 = 或换行等控制字符。";
    }
    if (name.front() == L'@' || name.front() == L';' || name.front() == L'[')
        return L"名称不能以 @、; 或 [ 开头。";
    return {};
}

std::string EncodedLike(const std::wstring& text, std::string_view original, bool& bLossless)
{
    bLossless = true;
    const bool bLittle = original.starts_with("\xFF\xFE");
    if (bLittle || original.starts_with("\xFE\xFF")) {
        std::string bytes(original.substr(0, 2));
        for (wchar_t c : text) {
            const char low = static_cast<char>(c & 0xFF);
            const char high = static_cast<char>((c >> 8) & 0xFF);
            bytes += bLittle ? low : high;
            bytes += bLittle ? high : low;
        }
        return bytes;
    }
    const bool bUtf8 = original.starts_with("\xEF\xBB\xBF");
    const UINT codePage = bUtf8 ? CP_UTF8 : CP_ACP;
    const int size = static_cast<int>(text.size());
    const int n = ::WideCharToMultiByte(codePage, 0, text.c_str(), size, nullptr, 0, nullptr, nullptr);
    std::string bytes(n > 0 ? static_cast<size_t>(n) : 0, '\0');
    BOOL bDefaulted = FALSE;
    ::WideCharToMultiByte(codePage, 0, text.c_str(), size, bytes.data(), n, nullptr, bUtf8 ? nullptr : &bDefaulted);
    bLossless = !bDefaulted && (n > 0 || text.empty());
    return bUtf8 ? "\xEF\xBB\xBF" + bytes : bytes;
}
