// Save batches that make their folder a disc: the installers keep their
// places relative to the program's folder, the entries' icons, programs and
// folders come along, and the folder gets a catalogue of what was saved
// (merged into one already there) and the program beside it.
#include "tests/batch/batch_fixture.h"

#include "batch/batch_texts.h"
#include "batch/save_catalogue.h"
#include "batch/save_disc.h"
#include "batch/save_plan.h"
#include "catalogue/catalogue.h"
#include "catalogue/ini_profile.h"
#include "shell/held_folder.h"

#include <algorithm>
#include <string>
#include <vector>

namespace batch_testing {
namespace {

using namespace testing_support;

TEST(SavePlan, AFileKeepsItsPlaceOnTheDiscOrGoesIntoAFolderNamedAfterItsEntry)
{
    const std::wstring program = L"D:\\Disc\\";
    const struct {
        const wchar_t* file;
        const wchar_t* drive;
        const wchar_t* owner;
        const wchar_t* relative;
    } cases[] = {
        // A "cdrom:\" file found on a drive, or in the program's own folder.
        {L"E:\\setup\\Zip Tool\\zip setup.exe", L"E:\\", L"极速压缩", L"setup\\Zip Tool\\zip setup.exe"},
        {L"D:\\Disc\\setup\\a.exe", L"D:\\Disc\\", L"A", L"setup\\a.exe"},
        // A file below the program's folder, however its case is spelt.
        {L"D:\\Disc\\tools\\b.exe", L"", L"B", L"tools\\b.exe"},
        {L"d:\\DISC\\c.exe", L"", L"C", L"c.exe"},
        // Anything else: into its entry's folder, the name made file-safe.
        {L"C:\\Soft\\office\\setup.exe", L"", L"办公: 2026/专业版?", L"办公_ 2026_专业版_\\setup.exe"},
        {L"\\\\server\\share\\pkg\\x.msi", L"", L"X", L"X\\x.msi"},
        {L"D:\\Discover\\z.exe", L"", L"Z", L"Z\\z.exe"},
        {L"E:\\other\\w.exe", L"D:\\Disc\\", L"W", L"W\\w.exe"},
        {L"C:\\Soft\\y.exe", L"", L"", L"y.exe"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SavedRelativePath(c.file, c.drive, program, c.owner), c.relative) << c.file;

    const std::pair<const wchar_t*, const wchar_t*> names[] = {
        {L"CON", L"_CON"},   {L"com1.txt", L"_com1.txt"}, {L"COM10", L"COM10"}, {L"  a.b.. ", L"a.b"},
        {L"...", L""},       {L"a\tb|c", L"a_b_c"},       {L"Nul.", L"_Nul"},
    };
    for (const auto& [name, safe] : names)
        EXPECT_EQ(FileSafeName(name), safe) << name;
}

TEST(SavePlan, AnInstallLineNamesItsProgramWhereItWasSaved)
{
    const struct {
        const wchar_t* line;
        const wchar_t* relative;
        const wchar_t* parameters;
        const wchar_t* moved;
    } cases[] = {
        // Where the program already stands there, the line stays as written.
        {L"setup\\Zip Tool\\zip setup.exe /S /D=C:\\Program Files\\QuickZip", L"setup\\Zip Tool\\zip setup.exe",
         L"/S /D=C:\\Program Files\\QuickZip", L"setup\\Zip Tool\\zip setup.exe /S /D=C:\\Program Files\\QuickZip"},
        {L"cdrom:\\setup\\x.exe", L"setup\\x.exe", L"", L"setup\\x.exe"},
        {L"D:\\Soft\\tool.exe /S", L"工具\\tool.exe", L"/S", L"工具\\tool.exe /S"},
        // A path with a blank before parameters, or a quoted one, is quoted.
        {L"C:\\Soft\\my app\\setup.exe /S", L"我的 软件\\setup.exe", L"/S", L"\"我的 软件\\setup.exe\" /S"},
        {L"\"C:\\a b\\setup.exe\" /v\"/qn\"", L"A\\setup.exe", L"/v\"/qn\"", L"\"A\\setup.exe\" /v\"/qn\""},
        {L"", L"a b.exe", L"", L"a b.exe"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MovedInstallLine(c.line, c.relative, c.parameters), c.moved) << c.line;
}

TEST(SavePlan, TwoFilesForOnePlaceAreNumberedAndAFolderListingStopsAtLinksAndDepth)
{
    const TempDir dir;
    WriteFile(dir / L"a\\setup.exe", "a");
    WriteFile(dir / L"b\\setup.exe", "b");
    const std::vector<PlannedSave> plan =
        PlanSaves({{dir / L"a\\setup.exe", L"工具\\setup.exe"}, {dir / L"b\\setup.exe", L"工具\\setup.exe"}},
                  dir / L"saved\\");
    ASSERT_EQ(plan.size(), 2u);
    EXPECT_EQ(plan[0].strRelative, L"工具\\setup.exe");
    EXPECT_EQ(plan[1].strRelative, L"工具\\setup (2).exe");
    EXPECT_EQ(plan[1].strTarget, dir / L"saved\\工具\\setup (2).exe");
    EXPECT_TRUE(plan[1].bRenamed);

    // Nine levels below the folder, a link to a folder and a link to a
    // file, and the save folder inside it.
    const std::wstring folder = dir / L"pkg";
    WriteFile(folder + L"\\setup.exe", "");
    WriteFile(folder + L"\\data.cab", "");
    std::wstring deep = folder;
    for (int n = 1; n <= kMaxCopyFolderDepth + 1; ++n) {
        deep += L"\\" + std::to_wstring(n);
        WriteFile(deep + L"\\level.dat", "");
    }
    WriteFile(folder + L"\\saved\\old.exe", "");
    WriteFile(dir / L"elsewhere\\secret.txt", "");
    ASSERT_TRUE(LayLink(folder + L"\\linked", dir / L"elsewhere"));
    ASSERT_TRUE(LayLink(folder + L"\\secret.txt", dir / L"elsewhere\\secret.txt"));
    FolderListing listing = ListFolder(folder, kMaxCopyFolderDepth, folder + L"\\saved");
    // Wine lists a link to a file as the file (a save finds it out when it
    // opens it); a link to a folder shows as a link.
    std::erase(listing.files, L"secret.txt");
    std::erase(listing.links, L"secret.txt");
    std::vector<std::wstring> expected{L"data.cab", L"setup.exe"};
    std::wstring inner;
    for (int n = 1; n <= kMaxCopyFolderDepth; ++n) {
        inner += (n == 1 ? L"" : L"\\") + std::to_wstring(n);
        expected.push_back(inner + L"\\level.dat");
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(listing.files, expected);
    EXPECT_EQ(listing.tooDeep, std::vector<std::wstring>{inner + L"\\" + std::to_wstring(kMaxCopyFolderDepth + 1)});
    EXPECT_EQ(listing.links, std::vector<std::wstring>{L"linked"});
}

// A disc of three categories: an entry on the disc with its icon, one whose
// files lie elsewhere with a folder of companions and a separate program
// for its automatic install, one at the disc's root that asks for its
// folder, and one whose installer is missing.
class SaveDiscBatch : public Batch {
protected:
    void SetUp() override
    {
        Batch::SetUp();
        m_disc = m_dir / L"Disc\\";
        m_other = m_dir / L"Other\\";
        m_saved = m_dir / L"装机 盘";
        m_options.bMakeSaveFolder = true;
        for (const wchar_t* file : {L"setup\\zip.exe", L"root.exe"})
            Installer(L"Disc\\" + std::wstring(file));
        Installer(L"Other\\pkg\\setup.exe");
        WriteFile(m_disc + L"icons\\zip.ico", "zip icon");
        WriteFile(m_disc + L"icons\\tools.ico", "tools icon");
        WriteFile(m_disc + L"Quillset.exe", "the program");
        WriteFile(m_other + L"pkg\\data.cab", "cab");
        WriteFile(m_other + L"pkg\\lang\\zh.dat", "zh");
        WriteFile(m_other + L"bin\\run.cmd", "@echo run");
        WriteFile(m_other + L"ext.ico", "ext icon");
        WriteFile(m_dir / L"elsewhere\\secret.txt", "secret");
        ASSERT_TRUE(LayLink(m_other + L"pkg\\linked", m_dir / L"elsewhere"));
        ASSERT_TRUE(LayLink(m_other + L"pkg\\secret.txt", m_dir / L"elsewhere\\secret.txt"));
        // UTF-8: the catalogue written for the folder is UTF-8 too.
        WriteFile(m_disc + L"Quillset.INI", "\xEF\xBB\xBF" + ToUtf8(LR"(; 测试光盘
[Config]
TitleText=测试光盘
SavePath=D:\old\
Default=0
Extra=留着
[Type]
Sort1=工具
Sort2=办公
[工具]
WorkingDir=%CurrDir%
IconPath=icons\tools.ico
[工具.List]
List1=压缩
List2=缺失
List3=外部
List4=根
[办公.List]
List1=压缩
[压缩]
WorkingDir=%CurrDir%
IconPath=icons\zip.ico
AutoInstall=setup\zip.exe /S
ManualInstall=setup\zip.exe
ProductCode={12345678-1234-1234-1234-123456789ABC}
Version=2.0
Checked=0
Custom=自己的键
[缺失]
WorkingDir=%CurrDir%
ManualInstall=setup\missing.exe
[外部]
WorkingDir=)" + m_other + LR"(
IconPath=ext.ico
AutoInstall=bin\run.cmd /quiet
ManualInstall=pkg\setup.exe
CopyFolder=1
InstalledName=外部工具
[根]
WorkingDir=%CurrDir%
ManualInstall=root.exe
CopyFolder=1
)"));
    }

    // Saves the entries named (all when none are) into folder.
    void Save(const std::wstring& folder, const std::vector<std::wstring>& names = {})
    {
        m_settings = CatalogueSettings();
        const CIniProfile profile(m_disc + L"Quillset.INI");
        ReadCatalogue(m_settings, profile, m_disc);
        const std::vector<const SoftwareEntry*> entries = SelectEntries(m_settings, [&](const SoftwareEntry& entry) {
            return names.empty() || std::find(names.begin(), names.end(), entry.Name) != names.end();
        });
        std::vector<ResolvedItem> items;
        for (const SoftwareEntry* pEntry : entries)
            items.push_back(ResolveItem(pEntry->Name, pEntry->ManualInstall));
        m_saveDisc = MakeSaveDisc(m_settings, entries, m_disc + L"Quillset.INI", m_disc + L"Quillset.exe");
        m_pDisc = &m_saveDisc;
        RunResolved(kSaveBatch, items, folder);
    }

    std::wstring m_disc;
    std::wstring m_other;
    std::wstring m_saved;
    CatalogueSettings m_settings;
    SaveDisc m_saveDisc;
};

TEST_F(SaveDiscBatch, TheFolderHoldsTheDiscsLayoutWhatTheEntriesBringAndACatalogueOfWhatWasSaved)
{
    Save(m_saved);
    const std::wstring saved = m_saved + L"\\";
    const std::string installer = ReadFile(ProgramFolder() + L"demo_installer.exe");
    // On the disc: its place; elsewhere: the entry's folder, with the
    // installer's folder whole but its link, and the separate program.
    for (const wchar_t* file : {L"setup\\zip.exe", L"root.exe", L"外部\\setup.exe"})
        EXPECT_TRUE(ReadFile(saved + file) == installer) << file;
    const std::pair<const wchar_t*, const char*> brought[] = {
        {L"icons\\zip.ico", "zip icon"}, {L"icons\\tools.ico", "tools icon"}, {L"外部\\data.cab", "cab"},
        {L"外部\\lang\\zh.dat", "zh"},   {L"外部\\run.cmd", "@echo run"},      {L"外部\\ext.ico", "ext icon"},
        {L"Quillset.exe", "the program"},
    };
    for (const auto& [file, bytes] : brought)
        EXPECT_EQ(ReadFile(saved + file), bytes) << file;
    EXPECT_EQ(::GetFileAttributesW((saved + L"外部\\linked").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(::GetFileAttributesW((saved + L"外部\\secret.txt").c_str()), INVALID_FILE_ATTRIBUTES);
    // The root's folder is the disc itself: not copied whole.
    EXPECT_EQ(::GetFileAttributesW((saved + L"setup\\Zip Tool").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(::GetFileAttributesW((saved + L"Other").c_str()), INVALID_FILE_ATTRIBUTES);

    // The catalogue: in the source's encoding, the settings less SavePath,
    // the saved entries with every key they had, under their categories.
    const std::string bytes = ReadFile(saved + L"Quillset.INI");
    EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
    const CIniProfile profile(saved + L"Quillset.INI");
    const auto get = [&](const wchar_t* section, const wchar_t* key) {
        return profile.GetString(section, key, L"(none)");
    };
    EXPECT_EQ(get(L"Config", L"TitleText"), L"测试光盘");
    EXPECT_EQ(get(L"Config", L"Default"), L"0");
    EXPECT_EQ(get(L"Config", L"Extra"), L"留着");
    EXPECT_EQ(get(L"Config", L"SavePath"), L"(none)");
    EXPECT_EQ(get(L"工具.List", L"List1"), L"压缩");
    EXPECT_EQ(get(L"工具.List", L"List2"), L"外部");
    EXPECT_EQ(get(L"工具.List", L"List3"), L"根");
    EXPECT_EQ(get(L"工具.List", L"List4"), L"(none)");
    EXPECT_EQ(get(L"办公.List", L"List1"), L"压缩");
    EXPECT_EQ(get(L"工具", L"IconPath"), L"icons\\tools.ico");
    EXPECT_EQ(get(L"压缩", L"WorkingDir"), L"%CurrDir%");
    EXPECT_EQ(get(L"压缩", L"ManualInstall"), L"setup\\zip.exe");
    EXPECT_EQ(get(L"压缩", L"ProductCode"), L"{12345678-1234-1234-1234-123456789ABC}");
    EXPECT_EQ(get(L"压缩", L"Version"), L"2.0");
    EXPECT_EQ(get(L"压缩", L"Custom"), L"自己的键");
    EXPECT_EQ(get(L"压缩", L"Checked"), L"1") << "it was chosen";
    EXPECT_EQ(get(L"外部", L"WorkingDir"), L"%CurrDir%");
    EXPECT_EQ(get(L"外部", L"ManualInstall"), L"外部\\setup.exe");
    EXPECT_EQ(get(L"外部", L"AutoInstall"), L"外部\\run.cmd /quiet");
    EXPECT_EQ(get(L"外部", L"IconPath"), L"外部\\ext.ico");
    EXPECT_EQ(get(L"外部", L"CopyFolder"), L"1");
    EXPECT_EQ(get(L"外部", L"InstalledName"), L"外部工具");
    EXPECT_EQ(get(L"缺失", L"ManualInstall"), L"(none)");

    // Read as the copied program reads it, every file it names is there.
    CatalogueSettings copy;
    ReadCatalogue(copy, profile, saved);
    ASSERT_EQ(copy.Entries.size(), 3u);
    for (const SoftwareEntry& entry : copy.Entries) {
        for (const std::wstring* pLine : {&entry.ManualInstall, &entry.AutoInstall, &entry.IconPath}) {
            // A key the section lacks leaves its folder alone.
            if (pLine->empty() || *pLine == saved)
                continue;
            const ResolvedItem item = ResolveItem(entry.Name, *pLine);
            EXPECT_TRUE(item.bFound) << *pLine;
            EXPECT_EQ(item.strFile.find(m_saved), 0u) << item.strFile;
        }
    }

    // The log counts what came beside the installers and says what was left
    // out; the report and the summary name the catalogue.
    const std::wstring log = BatchLog();
    EXPECT_NE(log.find(L"\r\n附加文件: 已复制 | 图标 | 压缩 | " + m_disc + L"icons\\zip.ico | " + saved +
                       L"icons\\zip.ico | \r\n"),
              std::wstring::npos)
        << log;
    EXPECT_NE(log.find(L"\r\n附加文件: 没有复制 | 安装程序文件夹中的文件 | 外部 | " + m_other +
                       L"pkg\\linked |  | 是链接或交接点, 没有复制\r\n附加文件: 没有复制 | 安装程序文件夹中的文件 | 外部 | " +
                       m_other + L"pkg\\secret.txt |  | 是链接或交接点, 没有复制\r\n"),
              std::wstring::npos)
        << log;
    EXPECT_NE(log.find(L"| 根 | " + m_disc.substr(0, m_disc.size() - 1) +
                       L" |  | 是程序所在的文件夹 (或在其之上) 或驱动器的根目录, 不整个复制\r\n"),
              std::wstring::npos)
        << log;
    EXPECT_NE(log.find(L"\r\n目录文件已写入: " + saved + L"Quillset.INI (新增 3 款软件)\r\n"), std::wstring::npos) << log;
    EXPECT_NE(log.find(L"\r\n附加文件: 共 10 个, 已复制 7 个, 已在文件夹中 0 个, 没有复制 3 个, 失败 0 个\r\n"),
              std::wstring::npos)
        << log;
    EXPECT_EQ(m_summary.strCatalogueWritten, saved + L"Quillset.INI");
    EXPECT_TRUE(m_summary.arrExtraFailed.empty());
    EXPECT_NE(m_report.strText.find(L"\n目录文件已写入: " + saved + L"Quillset.INI (新增 3 款软件)\n"),
              std::wstring::npos)
        << m_report.strText;
    // The missing installer alone fails; its entry is not listed.
    EXPECT_EQ(m_report.arrFailed, std::vector<std::wstring>{m_disc + L"setup\\missing.exe"});
    EXPECT_EQ(BatchExitCode(m_report.arrFailed.size(), m_summary), kExitFailed);
}

TEST_F(SaveDiscBatch, ACatalogueInTheFolderIsMergedNeverLostAndOneThatCannotBeWrittenIsReported)
{
    // An earlier disc's catalogue in the system's code page: its entry that
    // names the same installer stays as written, its other entry and its
    // saved selection stay, and the file keeps its encoding.
    const std::wstring saved = m_saved + L"\\";
    const std::wstring earlier = LR"([Config]
TitleText=以前的光盘
[Quillset.Sets]
常用=我的压缩;别的
[Type]
Sort1=旧
[旧.List]
List1=我的压缩
List2=别的
[我的压缩]
WorkingDir=%CurrDir%
ManualInstall=setup\zip.exe
Description=手写的说明
[别的]
ManualInstall=other\tool.exe
)";
    WriteFile(saved + L"Quillset.INI", ToCodePage(earlier, 936));
    Save(m_saved, {L"压缩", L"外部"});
    const std::string merged = ReadFile(saved + L"Quillset.INI");
    EXPECT_NE(merged.substr(0, 2), "\xFF\xFE");
    EXPECT_NE(merged.substr(0, 3), "\xEF\xBB\xBF");
    const CIniProfile profile(saved + L"Quillset.INI");
    EXPECT_EQ(profile.GetString(L"Config", L"TitleText", L""), L"以前的光盘");
    EXPECT_EQ(profile.GetString(L"Quillset.Sets", L"常用", L""), L"我的压缩;别的");
    EXPECT_EQ(profile.GetString(L"Type", L"Sort1", L""), L"旧");
    EXPECT_EQ(profile.GetString(L"Type", L"Sort2", L""), L"工具");
    EXPECT_EQ(profile.GetString(L"旧.List", L"List2", L""), L"别的");
    EXPECT_EQ(profile.GetString(L"我的压缩", L"Description", L""), L"手写的说明");
    EXPECT_EQ(profile.GetString(L"别的", L"ManualInstall", L""), L"other\\tool.exe");
    EXPECT_EQ(profile.GetString(L"工具.List", L"List1", L""), L"外部") << "压缩 is there as 我的压缩";
    EXPECT_EQ(profile.GetString(L"工具.List", L"List2", L""), L"");
    EXPECT_EQ(profile.GetString(L"外部", L"ManualInstall", L""), L"外部\\setup.exe");
    EXPECT_EQ(profile.GetString(L"压缩", L"ManualInstall", L"(none)"), L"(none)");
    EXPECT_NE(m_report.strText.find(L"\n目录文件已与文件夹中原有的目录合并: " + saved +
                                    L"Quillset.INI (新增 1 款软件, 已有 1 款)\n"),
              std::wstring::npos)
        << m_report.strText;
    EXPECT_EQ(BatchExitCode(m_report.arrFailed.size(), m_summary), kExitSuccess);

    // Saved again: every entry is there, and the file is left as it is; so
    // is the program the folder has.
    WriteFile(saved + L"Quillset.exe", "the technician's own");
    Save(m_saved, {L"压缩", L"外部"});
    EXPECT_EQ(ReadFile(saved + L"Quillset.INI"), merged);
    EXPECT_EQ(ReadFile(saved + L"Quillset.exe"), "the technician's own");
    EXPECT_NE(m_report.strText.find(L"目录文件中已有保存的软件, 没有改动: " + saved + L"Quillset.INI"),
              std::wstring::npos)
        << m_report.strText;

    // A folder stands where the catalogue goes: nothing is written, the
    // report says why and the batch counts as failed.
    const std::wstring blocked = m_dir / L"blocked\\";
    ::CreateDirectoryW(blocked.c_str(), nullptr);
    ::CreateDirectoryW((blocked + L"Quillset.INI").c_str(), nullptr);
    Save(blocked, {L"压缩"});
    EXPECT_TRUE(ReadFile(blocked + L"setup\\zip.exe") == ReadFile(ProgramFolder() + L"demo_installer.exe"));
    EXPECT_NE(::GetFileAttributesW((blocked + L"Quillset.INI").c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_FALSE(m_summary.strCatalogueError.empty());
    EXPECT_TRUE(m_summary.strCatalogueWritten.empty());
    EXPECT_EQ(m_report.nType, static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_NE(m_report.strText.find(L"\n目录文件 | " + blocked + L"Quillset.INI ("), std::wstring::npos)
        << m_report.strText;
    EXPECT_TRUE(m_report.arrFailed.empty()) << "no item failed";
    EXPECT_EQ(BatchExitCode(m_report.arrFailed.size(), m_summary), kExitFailed);
    EXPECT_NE(BatchLog().find(L"\r\n目录文件无法写入: " + blocked + L"Quillset.INI ("), std::wstring::npos);
}

} // namespace
} // namespace batch_testing
