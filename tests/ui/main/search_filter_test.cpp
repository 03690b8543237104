// Finding entries by typed text: case, full-width forms, descriptions and
// the pinyin initials of Chinese names. No window is needed.
#include "ui/main/search_filter.h"

#include <gtest/gtest.h>

namespace {

using search_filter::KeyOf;
using search_filter::MatchingEntries;

struct Entry {
    const wchar_t* name;
    const wchar_t* description;
};

const Entry kEntries[] = {
    {L"微信", L"聊天工具"},                // 0
    {L"极速压缩", L"Zip 和 RAR 的解压"},  // 1
    {L"Notepad++", L"文本编辑器"},         // 2
    {L"QQ音乐", L"听歌"},                  // 3
    {L"ＶＬＣ 播放器", L"视频 Player"},    // 4: a full-width name
    {L"驿站", L"物流"},                    // 5: 驿 is no level-1 character
};

struct Case {
    const char* what;
    const wchar_t* query;
    std::vector<int> found;
};

const Case kCases[] = {
    {"initials of a two-character name", L"wx", {0}},
    {"initials of a four-character name", L"jsys", {1}},
    {"a 缩 is suō: jsyq is no match", L"jsyq", {}},
    {"a part of the initials", L"sy", {1}},
    {"upper-case initials", L"WX", {0}},
    {"a Chinese part of a name", L"压缩", {1}},
    {"a part of a description", L"编辑", {2}},
    {"a Latin description in another case", L"zip", {1}},
    {"a name in another case", L"NOTEPAD", {2}},
    {"half-width query, full-width name", L"vlc", {4}},
    {"full-width query, half-width text", L"ＰＬＡＹＥＲ", {4}},
    {"Latin letters stay in the initials", L"qqy", {3}},
    {"blanks around the query", L"  wx ", {0}},
    {"no entry holds it", L"photoshop", {}},
    {"an empty query finds every entry", L"", {0, 1, 2, 3, 4, 5}},
    {"blanks alone find every entry", L"　 ", {0, 1, 2, 3, 4, 5}},
    {"a level-2 character gives no initial", L"yz", {}},
    {"but it is found as itself", L"驿", {5}},
};

TEST(SearchFilter, EachQueryFindsExactlyItsEntries)
{
    std::vector<search_filter::SearchKey> keys;
    for (const Entry& entry : kEntries)
        keys.push_back(KeyOf(entry.name, entry.description));
    for (const Case& c : kCases)
        EXPECT_EQ(MatchingEntries(keys, c.query), c.found) << c.what;
}

TEST(SearchFilter, InitialsOfCharactersAtTheEdgesOfTheirLetters)
{
    // 啊 opens the table and 座 closes it; 迅 is the last x before 压
    // opens y; 剁 is a d just before 蛾 opens e; 亍 is level 2.
    const std::pair<const wchar_t*, wchar_t> kChars[] = {
        {L"啊", L'a'}, {L"座", L'z'}, {L"迅", L'x'}, {L"压", L'y'}, {L"匝", L'z'},
        {L"剁", L'd'}, {L"蛾", L'e'}, {L"a", 0},    {L"亍", 0},
    };
    for (const auto& [text, initial] : kChars)
        EXPECT_EQ(search_filter::PinyinInitial(text[0]), initial) << static_cast<int>(text[0]);
}

} // namespace
