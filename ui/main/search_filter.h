// Finding entries by what a technician types: texts folded so that letter
// case and full-width forms do not matter, and Chinese names matched by the
// first letters of their syllables in pinyin ("wx" finds 微信). Plain
// functions; the window keeps one key per entry, made once, so a key press
// costs one pass over the keys.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace search_filter {

// ASCII letters in lower case, full-width ASCII (U+FF01..U+FF5E) and the
// ideographic space as their half-width forms; everything else unchanged.
std::wstring Fold(std::wstring_view text);

// The lower-case first letter of the pinyin of a character of the GB2312
// level-1 set (the common characters, which GB2312 orders by pinyin); 0 for
// any other character, level-2 characters included.
wchar_t PinyinInitial(wchar_t ch) noexcept;

// A name's initials: each level-1 character's pinyin initial, every other
// character folded; "QQ音乐" gives "qqyy".
std::wstring Initials(std::wstring_view name);

// What a query is matched against, for one entry.
struct SearchKey {
    std::wstring name;
    std::wstring description;
    std::wstring initials;
};
SearchKey KeyOf(std::wstring_view name, std::wstring_view description);

// The query as it is matched: folded, blanks at either end dropped.
std::wstring FoldQuery(std::wstring_view query);

// Whether an entry matches a folded query: its name or description holds it,
// or its name's initials do. An empty query matches every entry.
bool Matches(const SearchKey& key, std::wstring_view foldedQuery) noexcept;

// The indices of the keys that match a query, in order.
std::vector<int> MatchingEntries(const std::vector<SearchKey>& keys, std::wstring_view query);

} // namespace search_filter
