// Whether an entry is installed, and at which version: the catalogue's keys
// as read, the version and name rules, and the answers from a snapshot of
// installed programs made up here.
#include "catalogue/install_state.h"
#include "tests/catalogue/catalogue_reading.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace catalogue_testing;

TEST(InstallKeys, AreReadFromTheEntrySectionWithoutTheWorkingDir)
{
    CatalogueSettings s;
    ReadText(s, L"[Type]\r\nSort1=Cat\r\n[Cat.List]\r\nList1=Keys\r\nList2=None\r\n"
                L"[Keys]\r\nWorkingDir=D:\\Soft\\\r\nProductCode={1B2C3D4E-0000-4000-8000-00000000ABCD}\r\n"
                L"UninstallKey=Tool_is1\r\nInstalledName=  工具 Tool  \r\nVersion=2.3.4\r\n"
                L"[None]\r\nAutoInstall=x.exe\r\n");
    const SoftwareEntry& keys = *s.Categories[0].Entries[0];
    EXPECT_EQ(keys.ProductCode, L"{1B2C3D4E-0000-4000-8000-00000000ABCD}");
    EXPECT_EQ(keys.UninstallKey, L"Tool_is1");
    EXPECT_EQ(keys.InstalledName, L"工具 Tool");
    EXPECT_EQ(keys.Version, L"2.3.4");
    EXPECT_TRUE(HasInstallIdentity(keys));
    const SoftwareEntry& none = *s.Categories[0].Entries[1];
    EXPECT_TRUE(none.ProductCode.empty() && none.UninstallKey.empty() && none.InstalledName.empty() &&
                none.Version.empty());
    EXPECT_FALSE(HasInstallIdentity(none));
}

TEST(InstallRules, VersionsCompareByNumberPartByPart)
{
    struct Case {
        const wchar_t* a;
        const wchar_t* b;
        int order;
    };
    const Case cases[] = {
        {L"2.3.4", L"2.3.4", 0},       {L"2.3.10", L"2.3.9", 1},  {L"2.10", L"2.9.9", 1},
        {L"23.01", L"23.1", 0},        {L"2.3", L"2.3.0.0", 0},   {L"2.3", L"2.3.0.1", -1},
        {L"1, 2, 3, 4", L"1.2.3.4", 0}, {L"10.0", L"9.99", 1},    {L"3.2.1-beta", L"3.2.1", 0},
        {L"99999999999999999999.1", L"99999999999999999998.2", 1}, {L"", L"0", 0}, {L"", L"0.1", -1},
        {L"007", L"7", 0},             {L"1.x", L"1.0", 0},       {L"4.0", L"4.0.1", -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CompareVersions(c.a, c.b), c.order) << c.a << L" vs " << c.b;
        EXPECT_EQ(CompareVersions(c.b, c.a), -c.order) << c.b << L" vs " << c.a;
    }
}

TEST(InstallRules, AnInstalledNameMatchesTheWholeDisplayNameOrItsStartBeforeAVersion)
{
    struct Case {
        const wchar_t* display;
        const wchar_t* name;
        bool match;
    };
    const Case cases[] = {
        {L"7-Zip", L"7-Zip", true},
        {L"7-ZIP", L"7-zip", true},
        {L"7-Zip 23.01 (x64)", L"7-Zip", true},
        {L"Notepad++ v8.6.2", L"notepad++", true},
        {L"Foo 2", L"Foo", true},
        {L"Foo Pro 2.0", L"Foo", false},
        {L"Foo 2Go", L"Foo", false},
        {L"Foobar 1.0", L"Foo", false},
        {L"Foo  1.0", L"Foo", false},
        {L"Fo", L"Foo", false},
        {L"Foo", L"", false},
        {L"Straße Ä 1.0", L"STRASSE Ä", false},
        {L"Tool Ä 1.0", L"tool ä", true},
        {L"压缩工具 9.2", L"压缩工具", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DisplayNameMatches(c.display, c.name), c.match) << c.display << L" / " << c.name;
}

SoftwareEntry Entry(const wchar_t* code, const wchar_t* key, const wchar_t* name, const wchar_t* version)
{
    SoftwareEntry entry;
    entry.Name = L"E";
    entry.ProductCode = code;
    entry.UninstallKey = key;
    entry.InstalledName = name;
    entry.Version = version;
    return entry;
}

UninstallRecord Record(RegistryView view, const wchar_t* key, const wchar_t* name, const wchar_t* version)
{
    return UninstallRecord{view, key, name, version};
}

TEST(InstallRules, ASnapshotAnswersEachEntryByItsFirstKey)
{
    const CInstalledSnapshot snapshot(
        {Record(RegistryView::Machine64, L"Tool_is1", L"Tool 2.0", L"2.0"),
         Record(RegistryView::Machine32, L"tool_IS1", L"Tool 2.0", L"2.5"),
         Record(RegistryView::User, L"Viewer", L"Viewer 1.5 (x64)", L"1.5"),
         Record(RegistryView::Machine32, L"Viewer-old", L"Viewer", L"1.2"),
         Record(RegistryView::Machine64, L"Blank", L"Blank Tool", L""),
         Record(RegistryView::Machine64, L"{9A1B2C3D-0000-4000-8000-000000000001}", L"Pkg", L"9.9")},
        {InstallerProduct{L"{9A1B2C3D-0000-4000-8000-000000000001}", L"3.1.0"}});
    struct Case {
        const char* what;
        SoftwareEntry entry;
        InstallState state;
        const wchar_t* installed;
    };
    const Case cases[] = {
        {"no keys", Entry(L"", L"", L"", L"1.0"), InstallState::Unknown, L""},
        {"product current", Entry(L"{9a1b2c3d-0000-4000-8000-000000000001}", L"", L"", L"3.1"),
         InstallState::Current, L"3.1.0"},
        {"product older", Entry(L"{9A1B2C3D-0000-4000-8000-000000000001}", L"", L"", L"3.2"), InstallState::Older,
         L"3.1.0"},
        {"product missing, never the other keys", Entry(L"{00000000-0000-4000-8000-000000000002}", L"Tool_is1", L"Tool",
                                                         L""),
         InstallState::Missing, L""},
        {"key in both views: the newer counts", Entry(L"", L"TOOL_is1", L"", L"2.5"), InstallState::Current, L"2.5"},
        {"key older", Entry(L"", L"Tool_is1", L"", L"2.6"), InstallState::Older, L"2.5"},
        {"key missing, never the name", Entry(L"", L"Other", L"Tool", L""), InstallState::Missing, L""},
        {"name in HKCU before a version", Entry(L"", L"", L"viewer", L"1.5"), InstallState::Current, L"1.5"},
        {"name of a word only", Entry(L"", L"", L"Blank", L""), InstallState::Missing, L""},
        {"no version: any counts", Entry(L"", L"Blank", L"", L""), InstallState::Current, L""},
        {"version not told: older", Entry(L"", L"Blank", L"", L"1.0"), InstallState::Older, L""},
        {"not there", Entry(L"", L"", L"Missing Tool", L"1.0"), InstallState::Missing, L""},
    };
    std::vector<const SoftwareEntry*> entries;
    for (const Case& c : cases) {
        const InstallStatus status = snapshot.StatusOf(c.entry);
        EXPECT_EQ(status.state, c.state) << c.what;
        EXPECT_EQ(status.strInstalled, c.installed) << c.what;
        EXPECT_EQ(status.IsCurrent(), c.state == InstallState::Current) << c.what;
        entries.push_back(&c.entry);
    }
    const std::vector<InstallStatus> statuses = StatusesOf(snapshot, entries);
    ASSERT_EQ(statuses.size(), entries.size());
    for (size_t i = 0; i < statuses.size(); ++i)
        EXPECT_EQ(statuses[i].state, cases[i].state) << cases[i].what;
}

} // namespace
