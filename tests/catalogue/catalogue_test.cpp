// The catalogue as read from configuration files written into temporary
// folders: the records and the rules of the file.
#include "catalogue/catalogue.h"
#include "tests/catalogue/catalogue_reading.h"
#include "catalogue/ini_profile.h"
#include "platform/handles.h"
#include "platform/profile.h"
#include "tests/support/running_program.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace testing_support;
using namespace catalogue_testing;

// Both catalogues hold the same records, field by field.
void ExpectSameCatalogue(const CatalogueSettings& a, const CatalogueSettings& b)
{
    EXPECT_EQ(a.MainWidth, b.MainWidth);
    EXPECT_EQ(a.MainHeight, b.MainHeight);
    EXPECT_EQ(a.TitleText, b.TitleText);
    EXPECT_EQ(a.SavePath, b.SavePath);
    EXPECT_EQ(a.DefaultMode, b.DefaultMode);
    size_t i = 0;
    for (; !a.Categories[i].Name.empty() && !b.Categories[i].Name.empty(); ++i) {
        const SoftwareCategory& ca = a.Categories[i];
        const SoftwareCategory& cb = b.Categories[i];
        EXPECT_EQ(ca.Name, cb.Name);
        EXPECT_EQ(ca.IconPath, cb.IconPath);
        ASSERT_EQ(ca.Entries == nullptr, cb.Entries == nullptr) << i;
        if (!ca.Entries)
            continue;
        size_t j = 0;
        for (; ca.Entries[j] && cb.Entries[j]; ++j) {
            const SoftwareEntry& ea = *ca.Entries[j];
            const SoftwareEntry& eb = *cb.Entries[j];
            EXPECT_EQ(ea.Name, eb.Name);
            EXPECT_EQ(ea.IconPath, eb.IconPath);
            EXPECT_EQ(ea.Checked, eb.Checked);
            EXPECT_EQ(ea.AutoInstall, eb.AutoInstall);
            EXPECT_EQ(ea.ManualInstall, eb.ManualInstall);
            EXPECT_EQ(ea.Description, eb.Description);
        }
        EXPECT_TRUE(!ca.Entries[j] && !cb.Entries[j]) << "entry count differs in " << i;
    }
    EXPECT_TRUE(a.Categories[i].Name.empty() && b.Categories[i].Name.empty()) << "category count differs";
}


void ExpectChineseCatalogue(const CatalogueSettings& s)
{
    EXPECT_EQ(s.MainWidth, 900);
    EXPECT_EQ(s.MainHeight, 620);
    EXPECT_EQ(s.TitleText, L"\u88C5\u673A\u5149\u76D8 2026");
    EXPECT_EQ(s.SavePath, L"D:\\\u5B89\u88C5\u5305\\");
    EXPECT_EQ(s.DefaultMode, 0);
    ASSERT_EQ(CategoryNames(s), (std::vector<std::wstring>{L"\u5E38\u7528\u8F6F\u4EF6", L"\u5F00\u53D1\u5DE5\u5177"}));
    const SoftwareCategory& common = s.Categories[0];
    EXPECT_EQ(common.IconPath, kExeFolder + L"\u56FE\u6807\\\u5E38\u7528.ico");
    ASSERT_EQ(EntryNames(common), (std::vector<std::wstring>{L"\u8F93\u5165\u6CD5", L"\u538B\u7F29\u5DE5\u5177"}));
    const SoftwareEntry& ime = *common.Entries[0];
    EXPECT_EQ(ime.IconPath, kExeFolder + L"\u56FE\u6807\\\u8F93\u5165.ico");
    EXPECT_EQ(ime.Checked, 1);
    EXPECT_EQ(ime.AutoInstall, kExeFolder + L"\u5B89\u88C5\\\u8F93\u5165\u6CD5.exe /S");
    EXPECT_EQ(ime.ManualInstall, kExeFolder + L"\u5B89\u88C5\\\u8F93\u5165\u6CD5.exe");
    EXPECT_EQ(ime.Description, L"\u62FC\u97F3\u8F93\u5165\uFF0C\u542B\u8BCD\u5E93");
    const SoftwareEntry& zip = *common.Entries[1];
    EXPECT_EQ(zip.IconPath, L"C:\\\u56FE\u6807\\zip.ico");
    EXPECT_EQ(zip.Checked, 0);
    EXPECT_EQ(zip.AutoInstall, L"\u538B\u7F29.exe /quiet");
    EXPECT_EQ(zip.Description, L"\u538B\u7F29\u4E0E\u89E3\u538B");
    // The category without a section of its own has an empty icon path.
    EXPECT_EQ(s.Categories[1].IconPath, L"");
}

TEST(CatalogueEncodings, ChineseTextComesThroughInGbkUtf8AndUtf16)
{
    TempDir dir;
    const std::pair<const wchar_t*, std::string> files[] = {
        {L"gbk.ini", ToCodePage(kChineseCatalogue, 936)},
        {L"utf8.ini", "\xEF\xBB\xBF" + ToUtf8(kChineseCatalogue)},
        {L"utf16.ini", ToUtf16LeWithBom(kChineseCatalogue)},
    };
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(ToUtf8(name));
        WriteFile(dir / name, bytes);
        CatalogueSettings ours;
        ReadFrom(ours, dir / name);
        ExpectChineseCatalogue(ours);
        // The platform's profile functions read the same catalogue.
        CatalogueSettings platform;
        ReadCatalogue(platform, CPlatformProfile(dir / name), kExeFolder);
        ExpectSameCatalogue(ours, platform);
    }
}

TEST(CatalogueRules, DefaultsWhenTheFileIsMissing)
{
    TempDir dir;
    CatalogueSettings s;
    s.TitleText = L"left over";
    ReadFrom(s, dir / L"Quillset.INI");
    EXPECT_EQ(s.MainWidth, 0);
    EXPECT_EQ(s.MainHeight, 0);
    EXPECT_EQ(s.TitleText, L"Tovrin Quillset");
    EXPECT_EQ(s.SavePath, L"");
    EXPECT_EQ(s.DefaultMode, 1);
    ASSERT_NE(s.Categories, nullptr);
    EXPECT_TRUE(s.Categories[0].Name.empty());
    EXPECT_TRUE(s.Categories[0].IconPath.empty());
    EXPECT_EQ(s.Categories[0].Entries, nullptr);
}

TEST(CatalogueRules, ListsEndAtTheFirstEmptyValue)
{
    CatalogueSettings gap;
    ReadText(gap, L"[Type]\r\nSort1=A\r\nSort2=\r\nSort3=B\r\n"
                  L"[A.List]\r\nList1=x\r\nList2=y\r\nList4=z\r\n");
    EXPECT_EQ(CategoryNames(gap), std::vector<std::wstring>{L"A"});
    EXPECT_EQ(EntryNames(gap.Categories[0]), (std::vector<std::wstring>{L"x", L"y"}));
    EXPECT_EQ(gap.Categories[0].Entries[2], nullptr);

    CatalogueSettings emptyFirst;
    ReadText(emptyFirst, L"[Type]\r\nSort1=\r\nSort2=A\r\nSort3=B\r\n");
    EXPECT_TRUE(CategoryNames(emptyFirst).empty());

    CatalogueSettings noType;
    ReadText(noType, L"[Config]\r\nTitleText=x\r\n[A.List]\r\nList1=x\r\n");
    EXPECT_TRUE(CategoryNames(noType).empty());
}

TEST(CatalogueRules, CategoryWithoutEntriesHasNoEntryArray)
{
    CatalogueSettings s;
    ReadText(s, L"[Type]\r\nSort1=NoList\r\nSort2=EmptyFirst\r\nSort3=Full\r\n"
                L"[EmptyFirst.List]\r\nList1=\r\nList2=x\r\n[Full.List]\r\nList1=x\r\n");
    ASSERT_EQ(CategoryNames(s).size(), 3u);
    EXPECT_EQ(s.Categories[0].Entries, nullptr);
    EXPECT_EQ(s.Categories[1].Entries, nullptr);
    ASSERT_NE(s.Categories[2].Entries, nullptr);
    EXPECT_EQ(EntryNames(s.Categories[2]), std::vector<std::wstring>{L"x"});
    // The sentinels: empty strings, nothing ticked, no entries.
    EXPECT_EQ(s.Categories[3].Entries, nullptr);
    EXPECT_EQ(s.Categories[2].Entries[1], nullptr);
}

TEST(CatalogueRules, WorkingDirPrefixesPathsOnlyAndOnlyExactCurrDirIsReplaced)
{
    CatalogueSettings s;
    ReadText(s, L"[Type]\r\nSort1=Cat\r\n[Cat]\r\nWorkingDir=%currdir%\r\nIconPath=c.ico\r\n"
                L"[Cat.List]\r\nList1=Exact\r\nList2=Lower\r\nList3=Longer\r\nList4=Plain\r\nList5=None\r\n"
                L"[Exact]\r\nWorkingDir=%CurrDir%\r\nIconPath=i.ico\r\nAutoInstall=a.exe /S\r\n"
                L"ManualInstall=m.exe\r\nDescription=desc\r\n"
                L"[Lower]\r\nWorkingDir=%currdir%\r\nAutoInstall=a.exe\r\n"
                L"[Longer]\r\nWorkingDir=%CurrDir%\\Setup\r\nAutoInstall=a.exe\r\n"
                L"[Plain]\r\nWorkingDir=D:\\Soft\r\nAutoInstall=setup.exe /S\r\nDescription=text\r\n"
                L"[None]\r\nIconPath=n.ico\r\nAutoInstall=x.exe\r\nManualInstall=y.exe\r\n");
    EXPECT_EQ(s.Categories[0].IconPath, L"%currdir%c.ico");
    SoftwareEntry* const* e = s.Categories[0].Entries.get();
    EXPECT_EQ(e[0]->IconPath, kExeFolder + L"i.ico");
    EXPECT_EQ(e[0]->AutoInstall, kExeFolder + L"a.exe /S");
    EXPECT_EQ(e[0]->ManualInstall, kExeFolder + L"m.exe");
    EXPECT_EQ(e[0]->Description, L"desc");
    EXPECT_EQ(e[1]->AutoInstall, L"%currdir%a.exe");
    EXPECT_EQ(e[1]->IconPath, L"%currdir%");
    EXPECT_EQ(e[2]->AutoInstall, L"%CurrDir%\\Setupa.exe");
    EXPECT_EQ(e[3]->AutoInstall, L"D:\\Softsetup.exe /S");
    // An install line the section leaves out is no command: it is not the
    // working folder alone.
    EXPECT_EQ(e[3]->ManualInstall, L"");
    EXPECT_EQ(e[3]->Description, L"text");
    EXPECT_EQ(e[4]->IconPath, L"n.ico");
    EXPECT_EQ(e[4]->AutoInstall, L"x.exe");
    EXPECT_EQ(e[4]->ManualInstall, L"y.exe");
    EXPECT_EQ(e[4]->Description, L"");
}

TEST(CatalogueRules, AnInstallLineThatStartsWithAQuotedProgramKeepsItsQuotes)
{
    const struct {
        const wchar_t* written;
        const wchar_t* read; // after the WorkingDir D:\Soft\ in front
    } cases[] = {
        {L"\"setup\\my app.exe\" /S /D=\"C:\\x y\"", L"D:\\Soft\\\"setup\\my app.exe\" /S /D=\"C:\\x y\""},
        {L"\"setup.exe\" /s /v\"/qn\"", L"D:\\Soft\\\"setup.exe\" /s /v\"/qn\""},
        // A pair around the whole line is no quoted program: taken off.
        {L"\"setup.exe /S\"", L"D:\\Soft\\setup.exe /S"},
        {L"\"\"a b.exe\" /S\"", L"D:\\Soft\\\"a b.exe\" /S"},
        {L"'a b.exe' /S '", L"D:\\Soft\\a b.exe' /S "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.written));
        TempDir dir;
        WriteFile(dir / L"Quillset.INI",
                  ToUtf16LeWithBom(std::wstring(L"[Type]\r\nSort1=A\r\n[A.List]\r\nList1=E\r\n[E]\r\nWorkingDir=D:\\Soft\\\r\n"
                                                L"AutoInstall=") + c.written + L"\r\nManualInstall=" + c.written +
                                   L"\r\nDescription=" + c.written + L"\r\n"));
        CatalogueSettings ours;
        ReadFrom(ours, dir / L"Quillset.INI");
        ASSERT_EQ(ours.Entries.size(), 1u);
        EXPECT_EQ(ours.Entries[0].AutoInstall, c.read);
        EXPECT_EQ(ours.Entries[0].ManualInstall, c.read);
        // Any other value is read as the profile functions read it.
        EXPECT_EQ(ours.Entries[0].Description, ReadProfileString(dir / L"Quillset.INI", L"E", L"Description", L""));
        CatalogueSettings platform;
        ReadCatalogue(platform, CPlatformProfile(dir / L"Quillset.INI"), kExeFolder);
        ExpectSameCatalogue(ours, platform);
    }
}

TEST(CatalogueRules, SavePathEndsWithOneBackslash)
{
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"SavePath=D:\\Packages\r\n", L"D:\\Packages\\"},
        {L"SavePath=D:\\Packages\\\r\n", L"D:\\Packages\\"},
        {L"SavePath=D:\\\r\n", L"D:\\"},
        {L"SavePath=\r\n", L""},
        {L"", L""},
    };
    for (const auto& [line, expected] : cases) {
        CatalogueSettings s;
        ReadText(s, std::wstring(L"[Config]\r\n") + line);
        EXPECT_EQ(s.SavePath, expected) << ToUtf8(line);
    }
}

TEST(CatalogueRules, DefaultModeIsAutomaticUnlessZero)
{
    const std::pair<const wchar_t*, int> cases[] = {
        {L"Default=0\r\n", 0}, {L"Default=2\r\n", 2}, {L"Default=1\r\n", 1}, {L"", 1}, {L"Other=0\r\n", 1}};
    for (const auto& [line, expected] : cases) {
        CatalogueSettings s;
        ReadText(s, std::wstring(L"[Config]\r\n") + line);
        EXPECT_EQ(s.DefaultMode, expected) << ToUtf8(line);
    }
}

TEST(CatalogueRules, AnEntrySectionListedAgainIsTheOneRecordOfItsFirstListing)
{
    CatalogueSettings s;
    ReadText(s, L"[Type]\r\nSort1=A\r\nSort2=B\r\n[A.List]\r\nList1=Shared\r\nList2=Other\r\nList3=SHARED\r\n"
                L"[B.List]\r\nList1=Other\r\nList2=shared\r\n[Shared]\r\nChecked=1\r\nAutoInstall=s.exe\r\n"
                L"[Other]\r\nAutoInstall=o.exe\r\n");
    ASSERT_EQ(s.Entries.size(), 2u);
    SoftwareEntry* const shared = &s.Entries[0];
    SoftwareEntry* const other = &s.Entries[1];
    EXPECT_EQ(shared->Name, L"Shared");
    EXPECT_EQ(shared->AutoInstall, L"s.exe");
    const std::vector<SoftwareEntry*> a(s.Categories[0].Entries.get(), s.Categories[0].Entries.get() + 4);
    const std::vector<SoftwareEntry*> b(s.Categories[1].Entries.get(), s.Categories[1].Entries.get() + 3);
    EXPECT_EQ(a, (std::vector<SoftwareEntry*>{shared, other, shared, nullptr}));
    EXPECT_EQ(b, (std::vector<SoftwareEntry*>{other, shared, nullptr}));
    const auto checked = SelectEntries(s, [](const SoftwareEntry& e) { return e.Checked != 0; });
    EXPECT_EQ(checked, (std::vector<const SoftwareEntry*>{shared}));
    // A settings record read again holds the new file's records only.
    ReadText(s, L"[Type]\r\nSort1=A\r\n[A.List]\r\nList1=Other\r\n");
    EXPECT_EQ(s.Entries.size(), 1u);
}

TEST(CatalogueRules, ACategoryNamedAgainIsShownOnceAndTheRecordsAreBounded)
{
    const struct {
        std::wstring text;
        size_t categories;
        size_t entries; // over all categories
        CatalogueExtent extent;
    } cases[] = {
        {ListedTwice({L"C0", L"B", L"c0", L"C0"}, 1, 2), 2, 2, CatalogueExtent::Whole},
        {ListedTwice(std::vector<std::wstring>(600, L"C0"), 1, 600), 1, 600, CatalogueExtent::Whole},
        {ListedTwice(Numbered(kMaxCategories + 1), 0, 0), kMaxCategories, 0, CatalogueExtent::CutShort},
        {ListedTwice(Numbered(60), 60, 1000), 60, kMaxListings, CatalogueExtent::CutShort},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.categories);
        TempDir dir;
        WriteFile(dir / L"Quillset.INI", ToUtf16LeWithBom(c.text));
        CatalogueSettings s;
        EXPECT_EQ(ReadCatalogue(s, CIniProfile(dir / L"Quillset.INI"), kExeFolder), c.extent);
        ASSERT_EQ(CategoryNames(s).size(), c.categories);
        EXPECT_EQ(s.Categories[0].Name, L"C0");
        size_t entries = 0;
        for (size_t i = 0; i < c.categories; ++i)
            entries += EntryNames(s.Categories[i]).size();
        EXPECT_EQ(entries, c.entries);
    }
}

// Categories C0 ... C<categories - 1>, each listing the entry E times
// times, and E's section.
std::wstring OneEntryListed(size_t categories, int times, const std::wstring& section)
{
    std::wstring text = L"[Type]\r\n";
    for (size_t i = 0; i < categories; ++i)
        text += L"Sort" + std::to_wstring(i + 1) + L"=C" + std::to_wstring(i) + L"\r\n";
    for (size_t i = 0; i < categories; ++i) {
        text += L"[C" + std::to_wstring(i) + L".List]\r\n";
        for (int k = 1; k <= times; ++k)
            text += L"List" + std::to_wstring(k) + L"=E\r\n";
    }
    return text + L"[E]\r\n" + section;
}

// One category listing E1 ... E<entries>, each with the keys given.
std::wstring ManyEntries(int entries, const std::wstring& keys)
{
    std::wstring text = L"[Type]\r\nSort1=C0\r\n[C0.List]\r\n";
    for (int i = 1; i <= entries; ++i)
        text += L"List" + std::to_wstring(i) + L"=E" + std::to_wstring(i) + L"\r\n";
    for (int i = 1; i <= entries; ++i)
        text += L"[E" + std::to_wstring(i) + L"]\r\n" + keys;
    return text;
}

TEST(CatalogueRules, ASmallFileThatWouldFillTheMemoryIsReadWithinABudget)
{
    const std::wstring long4095(4095, L'x');
    const std::wstring longValues = L"WorkingDir=" + long4095 + L"\r\nIconPath=" + long4095 + L"\r\nAutoInstall=" +
                                    long4095 + L"\r\nManualInstall=" + long4095 + L"\r\n";
    const struct {
        const char* what;
        std::wstring text;
        CatalogueExtent extent;
        size_t minListings, maxListings;
        size_t minRecords, maxRecords;
    } cases[] = {
        {"one entry of long values, 50 times in each of 1,000 categories", OneEntryListed(1000, 50, longValues),
         CatalogueExtent::Whole, 50000, 50000, 1, 1},
        {"one entry of a long description, as often", OneEntryListed(1000, 50, L"Description=" + long4095 + L"\r\n"),
         CatalogueExtent::CutShort, 1000, 49999, 1, 1},
        {"1,500 entries of long values", ManyEntries(1500, L"WorkingDir=" + long4095 + L"\r\nIconPath=i\r\n"
                                                           L"AutoInstall=a\r\nManualInstall=m\r\n"),
         CatalogueExtent::CutShort, 500, 1499, 500, 1499},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        WriteFile(dir / L"Quillset.INI", ToUtf16LeWithBom(c.text));
        CatalogueSettings s;
        EXPECT_EQ(ReadCatalogue(s, CIniProfile(dir / L"Quillset.INI"), kExeFolder), c.extent);
        size_t listings = 0;
        for (const SoftwareCategory* p = s.Categories.get(); !p->Name.empty(); ++p)
            listings += EntryNames(*p).size();
        EXPECT_GE(listings, c.minListings);
        EXPECT_LE(listings, c.maxListings);
        EXPECT_GE(s.Entries.size(), c.minRecords);
        EXPECT_LE(s.Entries.size(), c.maxRecords);
    }
}

TEST(CatalogueRules, ValuesAreCutAt4095Characters)
{
    const std::wstring exact(4095, L'\u5B57');
    const std::wstring longer(5000, L'\u5B57');
    CatalogueSettings s;
    ReadText(s, L"[Config]\r\nTitleText=" + exact + L"\r\nSavePath=" + longer + L"\r\n[Type]\r\nSort1=" + longer +
                    L"\r\n");
    EXPECT_EQ(s.TitleText, exact);
    // The cut value gets its backslash after the cut.
    EXPECT_EQ(s.SavePath, longer.substr(0, 4095) + L"\\");
    ASSERT_EQ(CategoryNames(s).size(), 1u);
    EXPECT_EQ(s.Categories[0].Name.size(), 4095u);
}

} // namespace
