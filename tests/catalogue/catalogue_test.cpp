// The catalogue as read from configuration files written into temporary
// folders: the records, the rules of the file, the file beside the program,
// and files that are not what they should be.
#include "catalogue/catalogue.h"
#include "catalogue/ini_profile.h"
#include "platform/handles.h"
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

const std::wstring kExeFolder = L"E:\\\u5149\u76D8\\";

void ReadFrom(CatalogueSettings& settings, const std::wstring& path)
{
    const CIniProfile profile(path);
    ReadCatalogue(settings, profile, kExeFolder);
}

void ReadText(CatalogueSettings& settings, const std::wstring& text)
{
    TempDir dir;
    WriteFile(dir / L"Quillset.INI", ToUtf16LeWithBom(text));
    ReadFrom(settings, dir / L"Quillset.INI");
}

std::vector<std::wstring> CategoryNames(const CatalogueSettings& settings)
{
    std::vector<std::wstring> names;
    for (const SoftwareCategory* p = settings.Categories.get(); !p->Name.empty(); ++p)
        names.push_back(p->Name);
    return names;
}

std::vector<std::wstring> EntryNames(const SoftwareCategory& category)
{
    std::vector<std::wstring> names;
    if (!category.Entries)
        return names;
    for (const SoftwareEntry* p = category.Entries.get(); !p->Name.empty(); ++p)
        names.push_back(p->Name);
    return names;
}

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
        for (; !ca.Entries[j].Name.empty() && !cb.Entries[j].Name.empty(); ++j) {
            const SoftwareEntry& ea = ca.Entries[j];
            const SoftwareEntry& eb = cb.Entries[j];
            EXPECT_EQ(ea.Name, eb.Name);
            EXPECT_EQ(ea.IconPath, eb.IconPath);
            EXPECT_EQ(ea.Checked, eb.Checked);
            EXPECT_EQ(ea.AutoInstall, eb.AutoInstall);
            EXPECT_EQ(ea.ManualInstall, eb.ManualInstall);
            EXPECT_EQ(ea.Description, eb.Description);
        }
        EXPECT_TRUE(ca.Entries[j].Name.empty() && cb.Entries[j].Name.empty()) << "entry count differs in " << i;
    }
    EXPECT_TRUE(a.Categories[i].Name.empty() && b.Categories[i].Name.empty()) << "category count differs";
}

// A Chinese catalogue as a technician writes it.
const wchar_t kChineseCatalogue[] =
    L"; \u88C5\u673A\u5149\u76D8\u76EE\u5F55\r\n"
    L"[Config]\r\n"
    L"MainWidth=900\r\n"
    L"MainHeight=620\r\n"
    L"TitleText=\u88C5\u673A\u5149\u76D8 2026\r\n"
    L"SavePath=D:\\\u5B89\u88C5\u5305\r\n"
    L"Default=0\r\n"
    L"[Type]\r\n"
    L"Sort1=\u5E38\u7528\u8F6F\u4EF6\r\n"
    L"Sort2=\u5F00\u53D1\u5DE5\u5177\r\n"
    L"[\u5E38\u7528\u8F6F\u4EF6]\r\n"
    L"WorkingDir=%CurrDir%\r\n"
    L"IconPath=\u56FE\u6807\\\u5E38\u7528.ico\r\n"
    L"[\u5E38\u7528\u8F6F\u4EF6.List]\r\n"
    L"List1=\u8F93\u5165\u6CD5\r\n"
    L"List2=\u538B\u7F29\u5DE5\u5177\r\n"
    L"[\u5F00\u53D1\u5DE5\u5177.List]\r\n"
    L"List1=\u538B\u7F29\u5DE5\u5177\r\n"
    L"[\u8F93\u5165\u6CD5]\r\n"
    L"WorkingDir=%CurrDir%\r\n"
    L"IconPath=\u56FE\u6807\\\u8F93\u5165.ico\r\n"
    L"Checked=1\r\n"
    L"AutoInstall=\u5B89\u88C5\\\u8F93\u5165\u6CD5.exe /S\r\n"
    L"ManualInstall=\u5B89\u88C5\\\u8F93\u5165\u6CD5.exe\r\n"
    L"Description=\u62FC\u97F3\u8F93\u5165\uFF0C\u542B\u8BCD\u5E93\r\n"
    L"[\u538B\u7F29\u5DE5\u5177]\r\n"
    L"IconPath=C:\\\u56FE\u6807\\zip.ico\r\n"
    L"AutoInstall=\u538B\u7F29.exe /quiet\r\n"
    L"ManualInstall=\u538B\u7F29.exe\r\n"
    L"Description=\u538B\u7F29\u4E0E\u89E3\u538B\r\n";

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
    const SoftwareEntry& ime = common.Entries[0];
    EXPECT_EQ(ime.IconPath, kExeFolder + L"\u56FE\u6807\\\u8F93\u5165.ico");
    EXPECT_EQ(ime.Checked, 1);
    EXPECT_EQ(ime.AutoInstall, kExeFolder + L"\u5B89\u88C5\\\u8F93\u5165\u6CD5.exe /S");
    EXPECT_EQ(ime.ManualInstall, kExeFolder + L"\u5B89\u88C5\\\u8F93\u5165\u6CD5.exe");
    EXPECT_EQ(ime.Description, L"\u62FC\u97F3\u8F93\u5165\uFF0C\u542B\u8BCD\u5E93");
    const SoftwareEntry& zip = common.Entries[1];
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
    EXPECT_TRUE(gap.Categories[0].Entries[2].Name.empty());

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
    const SoftwareEntry& sentinel = s.Categories[2].Entries[1];
    EXPECT_TRUE(sentinel.Name.empty() && sentinel.IconPath.empty() && sentinel.AutoInstall.empty() &&
                sentinel.ManualInstall.empty() && sentinel.Description.empty());
    EXPECT_EQ(sentinel.Checked, 0);
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
    const SoftwareEntry* e = s.Categories[0].Entries.get();
    EXPECT_EQ(e[0].IconPath, kExeFolder + L"i.ico");
    EXPECT_EQ(e[0].AutoInstall, kExeFolder + L"a.exe /S");
    EXPECT_EQ(e[0].ManualInstall, kExeFolder + L"m.exe");
    EXPECT_EQ(e[0].Description, L"desc");
    EXPECT_EQ(e[1].AutoInstall, L"%currdir%a.exe");
    EXPECT_EQ(e[1].IconPath, L"%currdir%");
    EXPECT_EQ(e[2].AutoInstall, L"%CurrDir%\\Setupa.exe");
    EXPECT_EQ(e[3].AutoInstall, L"D:\\Softsetup.exe /S");
    EXPECT_EQ(e[3].ManualInstall, L"D:\\Soft");
    EXPECT_EQ(e[3].Description, L"text");
    EXPECT_EQ(e[4].IconPath, L"n.ico");
    EXPECT_EQ(e[4].AutoInstall, L"x.exe");
    EXPECT_EQ(e[4].ManualInstall, L"y.exe");
    EXPECT_EQ(e[4].Description, L"");
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

TEST(CatalogueRules, AnEntryUnderTwoCategoriesIsTwoSeparateRecordsOfOneSection)
{
    CatalogueSettings s;
    ReadText(s, L"[Type]\r\nSort1=A\r\nSort2=B\r\n[A.List]\r\nList1=Shared\r\n[B.List]\r\nList1=Other\r\n"
                L"List2=shared\r\n[Shared]\r\nChecked=1\r\nAutoInstall=s.exe\r\nDescription=one section\r\n"
                L"[Other]\r\nAutoInstall=o.exe\r\n");
    SoftwareEntry& first = s.Categories[0].Entries[0];
    SoftwareEntry& second = s.Categories[1].Entries[1];
    EXPECT_EQ(first.Name, L"Shared");
    EXPECT_EQ(second.Name, L"shared");
    EXPECT_EQ(first.AutoInstall, L"s.exe");
    EXPECT_EQ(second.AutoInstall, L"s.exe");
    EXPECT_EQ(second.Description, L"one section");
    EXPECT_EQ(first.Checked, 1);
    EXPECT_EQ(second.Checked, 1);
    EXPECT_NE(&first, &second);
    first.Checked = 0;
    first.Description = L"changed";
    EXPECT_EQ(second.Checked, 1);
    EXPECT_EQ(second.Description, L"one section");
}

// [Type] naming the categories given (C<i> for a number i), and in
// [C0.List] ... the same entries E1 ... E<entries>.
std::wstring ListedTwice(const std::vector<std::wstring>& sorts, size_t lists, int entries)
{
    std::wstring text = L"[Config]\r\nTitleText=\u5927\u5149\u76D8\r\n[Type]\r\n";
    for (size_t i = 0; i < sorts.size(); ++i)
        text += L"Sort" + std::to_wstring(i + 1) + L"=" + sorts[i] + L"\r\n";
    for (size_t j = 0; j < lists; ++j) {
        text += L"[C" + std::to_wstring(j) + L".List]\r\n";
        for (int i = 1; i <= entries; ++i)
            text += L"List" + std::to_wstring(i) + L"=E" + std::to_wstring(i) + L"\r\n";
    }
    return text;
}

std::vector<std::wstring> Numbered(size_t count)
{
    std::vector<std::wstring> names;
    for (size_t i = 0; i < count; ++i)
        names.push_back(L"C" + std::to_wstring(i));
    return names;
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
        {ListedTwice(Numbered(60), 60, 1000), 60, kMaxEntryRecords, CatalogueExtent::CutShort},
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

TEST(ProfilePath, BesideTheExecutableWithTheExtensionReplaced)
{
    EXPECT_EQ(ProfilePathFor(L"C:\\Disc\\Quillset.exe"), L"C:\\Disc\\Quillset.INI");
    EXPECT_EQ(ProfilePathFor(L"C:\\Disc\\Other.EXE"), L"C:\\Disc\\Other.INI");
    EXPECT_EQ(ProfilePathFor(L"C:\\Disc\\Other"), L"C:\\Disc\\Other.INI");
    EXPECT_EQ(ProfilePathFor(L"C:\\v1.2\\Setup"), L"C:\\v1.2\\Setup.INI");
    EXPECT_EQ(ProfilePathFor(L"C:\\Disc\\a.b.exe"), L"C:\\Disc\\a.b.INI");
    EXPECT_EQ(ProfilePathFor(L"\\\\server\\share\\\u5B89\u88C5.exe"), L"\\\\server\\share\\\u5B89\u88C5.INI");
    EXPECT_EQ(ProfilePathFor(L"Quillset.exe"), L"");
    EXPECT_EQ(ProfilePathFor(L""), L"");
    EXPECT_EQ(ExecutableFolder(L"C:\\Disc\\Quillset.exe"), L"C:\\Disc\\");
    EXPECT_EQ(ExecutableFolder(L"Quillset.exe"), L"");

    const std::wstring deep = L"C:\\" + std::wstring(300, L'd') + L"\\";
    EXPECT_EQ(ProfilePathFor(deep + L"Quillset.exe"), deep + L"Quillset.INI");
    EXPECT_EQ(ExecutableFolder(deep + L"Quillset.exe"), deep);
}

TEST(ProfilePath, TheRunningExecutableIsFoundWhole)
{
    const std::wstring path = RunningExecutablePath();
    EXPECT_EQ(ExecutableFolder(path), ProgramFolder());
    EXPECT_EQ(path.substr(ExecutableFolder(path).size()), L"catalogue_tests.exe");
    EXPECT_EQ(ProfilePathFor(path), ProgramFolder() + L"catalogue_tests.INI");
}

// Names and sizes of everything in a folder, and the bytes of its files.
std::map<std::wstring, std::string> Snapshot(const std::wstring& folder)
{
    std::map<std::wstring, std::string> content;
    WIN32_FIND_DATAW data;
    CFindHandle find(::FindFirstFileW((folder + L"\\*").c_str(), &data));
    if (!find)
        return content;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        content[name] = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? "<folder>" : ReadFile(folder + L"\\" + name);
    } while (::FindNextFileW(find.Get(), &data));
    return content;
}

// Reads a catalogue from a hostile file and checks that nothing was written.
void ReadHostile(CatalogueSettings& s, const TempDir& dir)
{
    const auto before = Snapshot(dir.Path());
    ReadFrom(s, dir / L"Quillset.INI");
    EXPECT_EQ(Snapshot(dir.Path()), before);
}

TEST(HostileFiles, BinaryGarbageAndATruncatedUtf16File)
{
    std::mt19937 random(20260);
    for (const char* const prefix : {"", "\xFF\xFE", "\xEF\xBB\xBF", "\xFE\xFF"}) {
        TempDir dir;
        std::string bytes = prefix;
        for (int i = 0; i < 200000; ++i)
            bytes.push_back(static_cast<char>(random() & 0xFF));
        WriteFile(dir / L"Quillset.INI", bytes);
        CatalogueSettings s;
        ReadHostile(s, dir);
        ASSERT_NE(s.Categories, nullptr);
    }

    TempDir dir;
    const std::string full = ToUtf16LeWithBom(kChineseCatalogue);
    // Cut in the middle of a character of the last line.
    WriteFile(dir / L"Quillset.INI", full.substr(0, full.size() - 7));
    CatalogueSettings s;
    ReadHostile(s, dir);
    EXPECT_EQ(s.TitleText, L"\u88C5\u673A\u5149\u76D8 2026");
    ASSERT_EQ(CategoryNames(s).size(), 2u);
    EXPECT_EQ(s.Categories[0].Entries[1].Description, L"\u538B\u7F29\u4E0E");
}

TEST(HostileFiles, TenThousandSectionsAndAFourMegabyteValue)
{
    TempDir dir;
    std::wstring text = L"[Config]\r\nTitleText=" + std::wstring(4 * 1024 * 1024, L'v') +
                        L"\r\n[Type]\r\nSort1=Big\r\n[Big.List]\r\n";
    for (int i = 1; i <= 10000; ++i)
        text += L"List" + std::to_wstring(i) + L"=E" + std::to_wstring(i) + L"\r\n";
    for (int i = 1; i <= 10000; ++i)
        text += L"[E" + std::to_wstring(i) + L"]\r\nAutoInstall=e" + std::to_wstring(i) + L".exe\r\n";
    WriteFile(dir / L"Quillset.INI", ToUtf16LeWithBom(text));
    CatalogueSettings s;
    ReadHostile(s, dir);
    EXPECT_EQ(s.TitleText, std::wstring(4095, L'v'));
    ASSERT_EQ(EntryNames(s.Categories[0]).size(), 10000u);
    EXPECT_EQ(s.Categories[0].Entries[9999].AutoInstall, L"e10000.exe");
}

TEST(HostileFiles, AFolderOrALockedFileReadsAsMissing)
{
    TempDir folder;
    ::CreateDirectoryW((folder / L"Quillset.INI").c_str(), nullptr);
    CatalogueSettings s;
    ReadHostile(s, folder);
    EXPECT_EQ(s.TitleText, L"Tovrin Quillset");
    EXPECT_TRUE(CategoryNames(s).empty());

    TempDir locked;
    WriteFile(locked / L"Quillset.INI", ToUtf16LeWithBom(kChineseCatalogue));
    CFileHandle lock(::CreateFileW((locked / L"Quillset.INI").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(lock);
    CatalogueSettings l;
    ReadFrom(l, locked / L"Quillset.INI");
    EXPECT_EQ(l.TitleText, L"Tovrin Quillset");
    EXPECT_TRUE(CategoryNames(l).empty());
    lock.Reset();
    EXPECT_EQ(ReadFile(locked / L"Quillset.INI"), ToUtf16LeWithBom(kChineseCatalogue));
}

// The program's caption once its main window shows, after the notice of a
// catalogue that gives no software, if one comes; the program is closed.
std::wstring ShownTitle(const std::wstring& exe, const std::wstring& currentDir)
{
    RunningProgram program(exe, currentDir);
    if (!program.Started())
        return L"<not started>";
    HWND hMain = program.MainWindow();
    if (hMain && !MessageBoxText(hMain).empty()) {
        const HWND hNotice = hMain;
        ::PostMessageW(::GetDlgItem(hNotice, IDOK), WM_KEYDOWN, VK_RETURN, 0x001C0001);
        if (!PumpUntil([&] { return !::IsWindow(hNotice); }))
            return L"<notice stays>";
        hMain = program.MainWindow();
    }
    if (!hMain)
        return L"<no window>";
    const std::wstring title = Caption(hMain);
    ::PostMessageW(hMain, WM_SYSCOMMAND, SC_CLOSE, 0);
    DWORD exitCode = 0;
    program.WaitForExit(10000, &exitCode);
    return title;
}

TEST(ProgramStart, ReadsTheFileNamedAfterItselfBesideItself)
{
    TempDir disc;
    TempDir current;
    const std::wstring exe = CopyProgramTo(disc, L"Other.exe");
    WriteFile(disc / L"Other.INI", ToCodePage(L"[Config]\r\nTitleText=\u5149\u76D8\u65C1\u7684\u76EE\u5F55\r\n", 936));
    WriteFile(disc / L"Quillset.INI", ToUtf16LeWithBom(L"[Config]\r\nTitleText=wrong name\r\n"));
    WriteFile(current / L"Other.INI", ToUtf16LeWithBom(L"[Config]\r\nTitleText=current directory\r\n"));
    EXPECT_EQ(ShownTitle(exe, current.Path()), L"\u5149\u76D8\u65C1\u7684\u76EE\u5F55");
}

TEST(ProgramStart, AFolderOrALockedFileInPlaceOfTheCatalogueGivesTheDefaultTitle)
{
    TempDir disc;
    const std::wstring exe = CopyProgramTo(disc, L"Quillset.exe");
    ::CreateDirectoryW((disc / L"Quillset.INI").c_str(), nullptr);
    EXPECT_EQ(ShownTitle(exe, disc.Path()), L"Tovrin Quillset");

    TempDir locked;
    const std::wstring lockedExe = CopyProgramTo(locked, L"Quillset.exe");
    WriteFile(locked / L"Quillset.INI", ToUtf16LeWithBom(L"[Config]\r\nTitleText=locked away\r\n"));
    CFileHandle lock(::CreateFileW((locked / L"Quillset.INI").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(lock);
    EXPECT_EQ(ShownTitle(lockedExe, locked.Path()), L"Tovrin Quillset");
}

// Collects the captions of a window's children.
BOOL CALLBACK CollectCaption(HWND hChild, LPARAM lp)
{
    reinterpret_cast<std::vector<std::wstring>*>(lp)->push_back(Caption(hChild));
    return TRUE;
}

TEST(ProgramStart, ACatalogueOverTheBoundsIsShownUpToThemAfterANotice)
{
    TempDir disc;
    const std::wstring exe = CopyProgramTo(disc, L"Quillset.exe");
    WriteFile(disc / L"Quillset.INI", ToUtf16LeWithBom(ListedTwice(Numbered(kMaxCategories + 1), 0, 0)));
    RunningProgram program(exe, disc.Path());
    const HWND hNotice = program.MainWindow();
    ASSERT_NE(hNotice, nullptr);
    EXPECT_EQ(Caption(hNotice), L"\u5927\u5149\u76D8");
    std::vector<std::wstring> texts;
    ::EnumChildWindows(hNotice, &CollectCaption, reinterpret_cast<LPARAM>(&texts));
    EXPECT_NE(std::find(texts.begin(), texts.end(), CutShortNotice()), texts.end());
    ::SendMessageW(::GetDlgItem(hNotice, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(hNotice); }));
    EXPECT_EQ(::SendMessageW(::GetDlgItem(program.MainWindow(), 1000), LVM_GETITEMCOUNT, 0, 0),
              LRESULT{kMaxCategories + 1});
}

// Wine starts programs whose path is at most 259 characters long; an
// executable named without extension at that length has a configuration file
// whose path is longer than MAX_PATH.
TEST(ProgramStart, PathsAtTheLengthLimitStillFindTheFile)
{
    TempDir base;
    for (const std::wstring extension : {L"", L".exe"}) {
        const std::wstring folder = base / (L"long" + extension);
        ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
        const size_t nameLength = MAX_PATH - 1 - folder.size() - 1 - extension.size();
        const std::wstring stem = folder + L"\\" + std::wstring(nameLength, L'q');
        const std::wstring exe = stem + extension;
        ASSERT_EQ(exe.size(), static_cast<size_t>(MAX_PATH - 1));
        ASSERT_TRUE(::CopyFileW((ProgramFolder() + L"Quillset.exe").c_str(), exe.c_str(), FALSE));
        WriteFile(L"\\\\?\\" + stem + L".INI", ToUtf16LeWithBom(L"[Config]\r\nTitleText=\u5F88\u957F\r\n"));
        EXPECT_EQ(ShownTitle(exe, base.Path()), L"\u5F88\u957F") << ToUtf8(exe);
        ::DeleteFileW((L"\\\\?\\" + stem + L".INI").c_str());
    }
}

} // namespace
