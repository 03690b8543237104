// Saved selections: the names of a /select: line and of a [Quillset.Sets]
// value, the section read from a catalogue, and the catalogue's text
// changed where a selection is saved into it.
#include "catalogue/catalogue.h"
#include "catalogue/catalogue_edit.h"
#include "catalogue/name_list.h"
#include "tests/catalogue/catalogue_reading.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace catalogue_testing;
using Names = std::vector<std::wstring>;

TEST(NameLists, SplitAsWrittenAndJoinedBackWhole)
{
    const struct {
        const wchar_t* line;
        Names entries;
        Names sets;
    } cases[] = {
        {L" 压缩 ; 办公 ", {L"压缩", L"办公"}, {}},
        {L"解压;;工具", {L"解压;工具"}, {}},
        {L"@@符号;@办公电脑", {L"@符号"}, {L"办公电脑"}},
        {L"@ 基础 ;;;", {}, {L"基础 ;"}},
        {L";;;a;;;", {L";", L"a;"}, {}},
    };
    for (const auto& c : cases) {
        NameList list;
        std::wstring error;
        ASSERT_TRUE(SplitNameList(c.line, list, error)) << c.line;
        EXPECT_EQ(list.entries, c.entries) << c.line;
        EXPECT_EQ(list.sets, c.sets) << c.line;
    }
    NameList list;
    std::wstring error;
    EXPECT_FALSE(SplitNameList(L"a; @ ;b", list, error));
    EXPECT_NE(error.find(L"@"), std::wstring::npos);

    // Whatever a section name may hold comes back whole.
    const Names names{L"解压;工具", L"@符号", L"a;", L"普通", L"x;;y"};
    NameList back;
    ASSERT_TRUE(SplitNameList(JoinEntryNames(names), back, error));
    EXPECT_EQ(back.entries, names) << JoinEntryNames(names);
    EXPECT_TRUE(back.sets.empty());
}

TEST(SavedSets, ReadInFileOrderAndTakenInWithEverySetOnce)
{
    CatalogueSettings settings;
    ReadText(settings, L"[Quillset.Sets]\r\n办公电脑=@基础;办公;;文档\r\n基础=压缩;@办公电脑;@缺失\r\n"
                       L"办公电脑=被遮住\r\nBase=b\r\n空=\r\n坏=a;@\r\n\"带引号\"=\"x\"\r\n[Type]\r\nSort1=工具\r\n");
    Names names;
    for (const SelectionSet& set : settings.Sets)
        names.push_back(set.Name);
    EXPECT_EQ(names, (Names{L"办公电脑", L"基础", L"Base", L"空", L"坏", L"\"带引号\""}));
    EXPECT_EQ(settings.Sets[0].EntryNames, (Names{L"办公;文档"}));
    EXPECT_EQ(settings.Sets[4].EntryNames, Names{}) << "a value that is no list gives nothing";
    EXPECT_EQ(settings.Sets[5].EntryNames, (Names{L"x"}));

    ASSERT_NE(FindSet(settings, L"基础"), nullptr);
    ASSERT_NE(FindSet(settings, L"BASE"), nullptr);
    EXPECT_EQ(FindSet(settings, L"BASE")->EntryNames, (Names{L"b"}));
    Names missing;
    EXPECT_EQ(SetEntryNames(settings, {L"办公电脑", L"无此"}, missing), (Names{L"办公;文档", L"压缩"}));
    EXPECT_EQ(missing, (Names{L"缺失", L"无此"}));
}

TEST(CatalogueEdits, OneKeyChangesAndEveryOtherLineStays)
{
    const std::wstring section = kSetsSection;
    const struct {
        const char* what;
        std::wstring before;
        std::wstring after;
    } cases[] = {
        {"no section: added at the end", L"; 注释\r\n[Config]\r\nTitleText=x\r\n",
         L"; 注释\r\n[Config]\r\nTitleText=x\r\n\r\n[Quillset.Sets]\r\n新=a;;b\r\n"},
        {"a file ending without a line end", L"[Config]\r\nDefault=1",
         L"[Config]\r\nDefault=1\r\n\r\n[Quillset.Sets]\r\n新=a;;b\r\n"},
        {"added after the section's last line", L"[quillset.sets]\r\n旧=x\r\n\r\n[Type]\r\nSort1=A\r\n",
         L"[quillset.sets]\r\n旧=x\r\n新=a;;b\r\n\r\n[Type]\r\nSort1=A\r\n"},
        {"the key replaced in place, its name as the file writes it",
         L"[Quillset.Sets]\r\n  新 = old ; comment\r\n后=y\r\n", L"[Quillset.Sets]\r\n新=a;;b\r\n后=y\r\n"},
        {"only the first section of the name counts",
         L"[Quillset.Sets]\r\n[Other]\r\n新=no\r\n[Quillset.Sets]\r\n新=no\r\n",
         L"[Quillset.Sets]\r\n新=a;;b\r\n[Other]\r\n新=no\r\n[Quillset.Sets]\r\n新=no\r\n"},
        {"line ends of the file kept", L"[Type]\nSort1=A\n", L"[Type]\nSort1=A\n\n[Quillset.Sets]\n新=a;;b\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WithProfileKey(c.before, section, L"新", L"a;;b"), c.after) << c.what;
    EXPECT_EQ(WithProfileKey(L"", section, L"q", L"\"a\""), L"[Quillset.Sets]\r\nq=\"\"a\"\"\r\n")
        << "a value in quotes reads back with them";
}

TEST(CatalogueEdits, NamesThatCannotBeAKeyOrASelectionAreRefused)
{
    for (const wchar_t* bad : {L"", L"a=b", L"@办公", L";x", L"[x", L"a\tb"})
        EXPECT_FALSE(SetNameProblem(bad).empty()) << bad;
    EXPECT_FALSE(SetNameProblem(std::wstring(kMaxSetNameLength + 1, L'名')).empty());
    for (const wchar_t* good : {L"办公电脑", L"a;b", L"x@y", L"Office 2026"})
        EXPECT_EQ(SetNameProblem(good), L"") << good;
}

TEST(CatalogueEdits, TheFileKeepsItsEncoding)
{
    const std::wstring text = L"[Quillset.Sets]\r\n办公=压缩\r\n";
    bool bLossless = false;
    EXPECT_EQ(EncodedLike(text, "\xFF\xFE[", bLossless).substr(0, 4), std::string("\xFF\xFE[\0", 4));
    EXPECT_TRUE(bLossless);
    EXPECT_EQ(EncodedLike(text, "\xFE\xFF\0[", bLossless).substr(0, 4), std::string("\xFE\xFF\0[", 4));
    EXPECT_EQ(EncodedLike(text, "\xEF\xBB\xBF[", bLossless).substr(0, 4), "\xEF\xBB\xBF[");
    EXPECT_EQ(EncodedLike(L"办", "[", bLossless), "\xB0\xEC") << "GBK, the system's code page";
    EXPECT_TRUE(bLossless);
    EncodedLike(L"\U0001F600", "[", bLossless);
    EXPECT_FALSE(bLossless) << "what the code page cannot carry is said so";
}

} // namespace
