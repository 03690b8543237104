// A saved folder is a disc: Quillset.exe /save: on a copy of the demo disc,
// then the copy of the program the save put into the folder started with
// /auto, which installs exactly what was saved, from the saved folder.
#include "catalogue/ini_profile.h"
#include "tests/support/running_program.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace testing_support;

const std::string& DemoInstaller()
{
    static const std::string s_bytes = ReadFile(ProgramFolder() + L"demo_installer.exe");
    return s_bytes;
}

class SavedDisc : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A copy of the staged demo disc, as a technician copies it to a
        // hard disk; each installer logs beside itself.
        ASSERT_TRUE(CopyFolderTree(ProgramFolder() + L"demo-disc", m_disc.Path()));
        ::SetEnvironmentVariableW(L"QUILLSET_DEMO_LOG", nullptr);
    }

    // Runs a program to its end from another folder; its output is kept.
    DWORD Run(const std::wstring& exe, const std::wstring& arguments)
    {
        const RunningProgram program(exe, m_out.Path(), arguments, m_out / L"output.txt");
        DWORD exitCode = 0xDEAD;
        EXPECT_TRUE(program.WaitForExit(60000, &exitCode)) << arguments;
        return exitCode;
    }
    std::wstring Output() const { return FromUtf8(ReadFile(m_out / L"output.txt")); }
    static bool Missing(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES; }

    TempDir m_disc;
    TempDir m_out;
};

TEST_F(SavedDisc, TheDemoDiscSavedStartsAsADiscAndInstallsFromTheSavedFolder)
{
    const std::wstring saved = m_out / L"装机 U 盘";
    const std::wstring saveLog = m_out / L"save.log";
    ASSERT_EQ(Run(m_disc / L"Quillset.exe",
                  L"\"/save:" + saved + L"\" /quiet \"/select:极速压缩;网页浏览器;PDF 阅读器\" /log:" + saveLog),
              0u)
        << Output();
    EXPECT_NE(Output().find(L"目录文件已写入: " + saved + L"\\Quillset.INI (新增 3 款软件)\r\n"), std::wstring::npos)
        << Output();
    // The disc's layout: each installer where the catalogue has it, the
    // icons of the entries and of their categories, the program itself.
    for (const wchar_t* file : {L"setup\\Zip Tool\\zip setup.exe", L"setup\\browser.exe", L"setup\\pdfreader.exe"})
        EXPECT_TRUE(ReadFile(saved + L"\\" + file) == DemoInstaller()) << file;
    for (const wchar_t* icon : {L"zip", L"browser", L"pdf", L"tools", L"network", L"office"}) {
        const std::wstring file = std::wstring(L"icons\\") + icon + L".ico";
        EXPECT_TRUE(ReadFile(saved + L"\\" + file) == ReadFile(m_disc / file)) << file;
    }
    EXPECT_TRUE(ReadFile(saved + L"\\Quillset.exe") == ReadFile(m_disc / L"Quillset.exe"));
    EXPECT_TRUE(Missing(saved + L"\\setup\\writer.exe"));
    EXPECT_TRUE(Missing(saved + L"\\icons\\writer.ico"));

    // Its catalogue lists what was saved, under the categories, in the
    // disc's order, with the disc's title.
    const CIniProfile profile(saved + L"\\Quillset.INI");
    ASSERT_EQ(profile.ReadError(), 0u);
    const std::vector<std::pair<std::wstring, std::wstring>> lists{
        {L"Type", L"系统工具"}, {L"Type", L"办公软件"}, {L"Type", L"网络通信"},
        {L"系统工具.List", L"极速压缩"}, {L"办公软件.List", L"PDF 阅读器"}, {L"网络通信.List", L"网页浏览器"}};
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(profile.GetString(L"Type", L"Sort" + std::to_wstring(i + 1), L""), lists[i].second);
    EXPECT_EQ(profile.GetString(L"Type", L"Sort4", L""), L"");
    for (size_t i = 3; i < lists.size(); ++i) {
        EXPECT_EQ(profile.GetString(lists[i].first, L"List1", L""), lists[i].second);
        EXPECT_EQ(profile.GetString(lists[i].first, L"List2", L""), L"");
    }
    EXPECT_EQ(profile.GetString(L"Config", L"TitleText", L""), L"Tovrin Quillset 装机演示光盘");
    EXPECT_EQ(profile.GetString(L"极速压缩", L"AutoInstall", L""),
              L"setup\\Zip Tool\\zip setup.exe /S /D=C:\\Program Files\\QuickZip");

    // The saved copy, started as a deployment tool starts a disc, installs
    // exactly those, each from the saved folder.
    const std::wstring autoLog = m_out / L"auto.log";
    ASSERT_EQ(Run(saved + L"\\Quillset.exe", L"/auto /quiet /log:" + autoLog), 0u) << Output();
    EXPECT_EQ(SortedLines(saved + L"\\setup\\Zip Tool\\demo-install.log"),
              std::vector<std::wstring>{L"zip setup.exe|/S /D=C:\\Program Files\\QuickZip"});
    EXPECT_EQ(SortedLines(saved + L"\\setup\\demo-install.log"),
              (std::vector<std::wstring>{L"browser.exe|/S", L"pdfreader.exe|/S"}));
    EXPECT_TRUE(Missing(m_disc / L"setup\\demo-install.log"));
    EXPECT_TRUE(Missing(m_disc / L"setup\\Zip Tool\\demo-install.log"));
    const std::wstring log = FromUtf8(ReadFile(autoLog));
    EXPECT_NE(log.find(L"目录文件: " + saved + L"\\Quillset.INI\r\n"), std::wstring::npos) << log;
    EXPECT_NE(log.find(L"\r\n成功 | 网页浏览器 | " + saved + L"\\setup\\browser.exe /S | " + saved +
                       L"\\setup\\browser.exe |  | /S | "),
              std::wstring::npos)
        << log;
    EXPECT_NE(log.find(L"结果: 共 3 项, 成功 3 项"), std::wstring::npos) << log;
}

TEST_F(SavedDisc, ACatalogueInTheFolderIsMergedAndItsEntriesStillInstall)
{
    // An earlier disc in the folder: its own installer, catalogue and
    // saved selection.
    const std::wstring saved = m_out / L"pkg";
    WriteFile(saved + L"\\old\\tool.exe", DemoInstaller());
    WriteFile(saved + L"\\Quillset.INI", ToUtf16LeWithBom(LR"([Config]
TitleText=旧光盘
[Quillset.Sets]
旧的=旧工具
[Type]
Sort1=旧分类
[旧分类.List]
List1=旧工具
[旧工具]
WorkingDir=%CurrDir%
AutoInstall=old\tool.exe /old
ManualInstall=old\tool.exe
Checked=1
)"));
    ASSERT_EQ(Run(m_disc / L"Quillset.exe", L"/save:" + saved + L" /quiet /select:极速压缩"), 0u) << Output();
    EXPECT_NE(Output().find(L"目录文件已与文件夹中原有的目录合并: " + saved + L"\\Quillset.INI (新增 1 款软件)"),
              std::wstring::npos)
        << Output();
    EXPECT_EQ(ReadFile(saved + L"\\Quillset.INI").substr(0, 2), "\xFF\xFE");
    const CIniProfile profile(saved + L"\\Quillset.INI");
    EXPECT_EQ(profile.GetString(L"Config", L"TitleText", L""), L"旧光盘");
    EXPECT_EQ(profile.GetString(L"Quillset.Sets", L"旧的", L""), L"旧工具");
    EXPECT_EQ(profile.GetString(L"Type", L"Sort1", L""), L"旧分类");
    EXPECT_EQ(profile.GetString(L"Type", L"Sort2", L""), L"系统工具");
    EXPECT_EQ(profile.GetString(L"旧工具", L"AutoInstall", L""), L"old\\tool.exe /old");
    EXPECT_EQ(profile.GetString(L"系统工具.List", L"List1", L""), L"极速压缩");

    // Both discs' entries install from the folder.
    ASSERT_EQ(Run(saved + L"\\Quillset.exe", L"/auto /quiet"), 0u) << Output();
    EXPECT_EQ(SortedLines(saved + L"\\old\\demo-install.log"), std::vector<std::wstring>{L"tool.exe|/old"});
    EXPECT_EQ(SortedLines(saved + L"\\setup\\Zip Tool\\demo-install.log"),
              std::vector<std::wstring>{L"zip setup.exe|/S /D=C:\\Program Files\\QuickZip"});
}

TEST_F(SavedDisc, AnEntryThatAsksForItsFolderBringsItsCompanionsButNoLink)
{
    // A suite whose installer needs the files beside it, and an installer
    // whose folder holds files of no concern to it.
    WriteFile(m_disc / L"suite\\setup.exe", DemoInstaller());
    WriteFile(m_disc / L"suite\\data1.cab", "cab");
    WriteFile(m_disc / L"suite\\lang\\zh\\strings.dat", "strings");
    WriteFile(m_disc / L"single\\setup.exe", DemoInstaller());
    WriteFile(m_disc / L"single\\unrelated.cab", "unrelated");
    WriteFile(m_out / L"elsewhere\\secret.txt", "secret");
    ASSERT_TRUE(LayLink(m_disc / L"suite\\linked", m_out / L"elsewhere"));
    WriteFile(m_disc / L"Quillset.INI", ToUtf16LeWithBom(LR"([Type]
Sort1=套件
[套件.List]
List1=办公套件
List2=单个
[办公套件]
WorkingDir=%CurrDir%
AutoInstall=suite\setup.exe /S
ManualInstall=suite\setup.exe
CopyFolder=1
[单个]
WorkingDir=%CurrDir%
AutoInstall=single\setup.exe /S
ManualInstall=single\setup.exe
)"));
    const std::wstring saved = m_out / L"saved";
    const std::wstring saveLog = m_out / L"save.log";
    ASSERT_EQ(Run(m_disc / L"Quillset.exe", L"/save:" + saved + L" /quiet /select:办公套件;单个 /log:" + saveLog), 0u)
        << Output();
    EXPECT_EQ(ReadFile(saved + L"\\suite\\data1.cab"), "cab");
    EXPECT_EQ(ReadFile(saved + L"\\suite\\lang\\zh\\strings.dat"), "strings");
    EXPECT_TRUE(ReadFile(saved + L"\\single\\setup.exe") == DemoInstaller());
    EXPECT_TRUE(Missing(saved + L"\\suite\\linked"));
    EXPECT_TRUE(Missing(saved + L"\\single\\unrelated.cab"));
    const std::wstring log = FromUtf8(ReadFile(saveLog));
    EXPECT_NE(log.find(L"\r\n附加文件: 已复制 | 安装程序文件夹中的文件 | 办公套件 | " + (m_disc / L"suite\\data1.cab") +
                       L" | " + saved + L"\\suite\\data1.cab | \r\n"),
              std::wstring::npos)
        << log;
    EXPECT_NE(log.find(L"\r\n附加文件: 没有复制 | 安装程序文件夹中的文件 | 办公套件 | " + (m_disc / L"suite\\linked") +
                       L" |  | 是链接或交接点, 没有复制\r\n"),
              std::wstring::npos)
        << log;
    EXPECT_NE(log.find(L"\r\n附加文件: 共 4 个, 已复制 3 个, 已在文件夹中 0 个, 没有复制 1 个, 失败 0 个\r\n"),
              std::wstring::npos)
        << log;
    EXPECT_EQ(CIniProfile(saved + L"\\Quillset.INI").GetString(L"办公套件", L"CopyFolder", L""), L"1");

    ASSERT_EQ(Run(saved + L"\\Quillset.exe", L"/auto /quiet /select:办公套件"), 0u) << Output();
    EXPECT_EQ(SortedLines(saved + L"\\suite\\demo-install.log"), std::vector<std::wstring>{L"setup.exe|/S"});
}

} // namespace
