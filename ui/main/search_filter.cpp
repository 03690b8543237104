#include "ui/main/search_filter.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <iterator>

namespace search_filter {

namespace {

// GB2312 code page.
constexpr UINT kGb2312 = 936;

// The first GB2312 code of each initial among the level-1 characters
// (0xB0A1 .. 0xD7F9, ordered by pinyin); no syllable begins with i, u or v.
struct InitialStart {
    unsigned code;
    wchar_t letter;
};
constexpr std::array<InitialStart, 23> kInitialStarts{{
    {0xB0A1, L'a'}, {0xB0C5, L'b'}, {0xB2C1, L'c'}, {0xB4EE, L'd'}, {0xB6EA, L'e'}, {0xB7A2, L'f'},
    {0xB8C1, L'g'}, {0xB9FE, L'h'}, {0xBBF7, L'j'}, {0xBFA6, L'k'}, {0xC0AC, L'l'}, {0xC2E8, L'm'},
    {0xC4C3, L'n'}, {0xC5B6, L'o'}, {0xC5BE, L'p'}, {0xC6DA, L'q'}, {0xC8BB, L'r'}, {0xC8F6, L's'},
    {0xCBFA, L't'}, {0xCDDA, L'w'}, {0xCEF4, L'x'}, {0xD1B9, L'y'}, {0xD4D1, L'z'},
}};
constexpr unsigned kLevel1End = 0xD7F9;

wchar_t FoldChar(wchar_t ch) noexcept
{
    if (ch >= 0xFF01 && ch <= 0xFF5E)
        ch = static_cast<wchar_t>(ch - 0xFEE0);
    else if (ch == 0x3000)
        ch = L' ';
    if (ch >= L'A' && ch <= L'Z')
        ch = static_cast<wchar_t>(ch - L'A' + L'a');
    return ch;
}

bool Holds(std::wstring_view text, std::wstring_view part) noexcept
{
    return text.find(part) != std::wstring_view::npos;
}

} // namespace

std::wstring Fold(std::wstring_view text)
{
    std::wstring folded(text);
    std::transform(folded.begin(), folded.end(), folded.begin(), FoldChar);
    return folded;
}

wchar_t PinyinInitial(wchar_t ch) noexcept
{
    if (ch < 0x4E00 || ch > 0x9FFF)
        return 0;
    unsigned char bytes[2] = {};
    BOOL bDefaultUsed = FALSE;
    if (::WideCharToMultiByte(kGb2312, 0, &ch, 1, reinterpret_cast<char*>(bytes), 2, nullptr, &bDefaultUsed) != 2 ||
        bDefaultUsed)
        return 0;
    const unsigned code = (unsigned{bytes[0]} << 8) | bytes[1];
    if (code < kInitialStarts.front().code || code > kLevel1End)
        return 0;
    const auto after = std::upper_bound(kInitialStarts.begin(), kInitialStarts.end(), code,
                                        [](unsigned c, const InitialStart& start) { return c < start.code; });
    return std::prev(after)->letter;
}

std::wstring Initials(std::wstring_view name)
{
    std::wstring initials;
    initials.reserve(name.size());
    for (const wchar_t ch : name) {
        const wchar_t letter = PinyinInitial(ch);
        initials.push_back(letter ? letter : FoldChar(ch));
    }
    return initials;
}

SearchKey KeyOf(std::wstring_view name, std::wstring_view description)
{
    return SearchKey{Fold(name), Fold(description), Initials(name)};
}

std::wstring FoldQuery(std::wstring_view query)
{
    std::wstring folded = Fold(query);
    const size_t first = folded.find_first_not_of(L' ');
    if (first == std::wstring::npos)
        return {};
    const size_t last = folded.find_last_not_of(L' ');
    return folded.substr(first, last - first + 1);
}

bool Matches(const SearchKey& key, std::wstring_view foldedQuery) noexcept
{
    return foldedQuery.empty() || Holds(key.name, foldedQuery) || Holds(key.description, foldedQuery) ||
           Holds(key.initials, foldedQuery);
}

std::vector<int> MatchingEntries(const std::vector<SearchKey>& keys, std::wstring_view query)
{
    const std::wstring folded = FoldQuery(query);
    std::vector<int> found;
    for (size_t n = 0; n < keys.size(); ++n) {
        if (Matches(keys[n], folded))
            found.push_back(static_cast<int>(n));
    }
    return found;
}

} // namespace search_filter
