// Quillset.exe started by a deployment tool: real switches on its command
// line, its exit code, its output, its log and the stand-in installers'
// own records.
#include "batch/batch_log.h"
#include "tests/support/running_program.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using namespace testing_support;

class Unattended : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_exe = CopyProgramTo(m_disc, L"Quillset.exe");
        for (const wchar_t* name : {L"zip.exe", L"clean.exe"}) {
            const std::wstring path = m_disc / (std::wstring(L"setup\\") + name);
            WriteFile(path, "");
            ASSERT_TRUE(::CopyFileW((ProgramFolder() + L"demo_installer.exe").c_str(), path.c_str(), FALSE));
        }
        // 压缩 is listed under both categories and checked; the others not.
        m_catalogue = LR"([Type]
Sort1=工具
Sort2=办公
[工具.List]
List1=压缩
List2=清理
List3=缺失
List4=慢速
List5=解压;工具
List6=@符号
[办公.List]
List1=压缩
[压缩]
WorkingDir=%CurrDir%
AutoInstall=setup\zip.exe /S
ManualInstall=setup\zip.exe
Checked=1
[清理]
WorkingDir=%CurrDir%
AutoInstall=setup\clean.exe /S /exit=3010
ManualInstall=setup\clean.exe
[缺失]
WorkingDir=%CurrDir%
AutoInstall=setup\missing.exe /S
[慢速]
WorkingDir=%CurrDir%
AutoInstall=setup\zip.exe /S /delay=3000
[解压;工具]
WorkingDir=%CurrDir%
AutoInstall=setup\zip.exe /S /semicolon
[@符号]
WorkingDir=%CurrDir%
AutoInstall=setup\zip.exe /S /at
)";
        WriteFile(m_disc / L"Quillset.INI", ToUtf16LeWithBom(m_catalogue));
        ::SetEnvironmentVariableW(L"QUILLSET_DEMO_LOG", (m_disc / L"install.log").c_str());
    }
    void TearDown() override { ::SetEnvironmentVariableW(L"QUILLSET_DEMO_LOG", nullptr); }

    // Runs the program with the arguments to its end; its output is kept.
    DWORD Run(const std::wstring& arguments)
    {
        const RunningProgram program(m_exe, m_elsewhere.Path(), arguments, m_elsewhere / L"output.txt");
        DWORD exitCode = 0xDEAD;
        EXPECT_TRUE(program.WaitForExit(60000, &exitCode)) << arguments;
        return exitCode;
    }
    std::wstring Output() const { return FromUtf8(ReadFile(m_elsewhere / L"output.txt")); }
    std::wstring Installed() const { return FromUtf8(ReadFile(m_disc / L"install.log")); }

    TempDir m_disc;
    TempDir m_elsewhere;
    std::wstring m_exe;
    std::wstring m_catalogue;
};

TEST_F(Unattended, ExitCodesTellWhatBecameOfTheBatch)
{
    const std::wstring log = L" /log:" + (m_elsewhere / L"batch.log");
    const std::vector<std::tuple<std::wstring, DWORD, std::wstring>> cases{
        {L"/auto /quiet" + log, 0, L"zip.exe|/S\r\n"},
        {L"-AUTO -Quiet /Select:清理;压缩" + log, 3010, L"zip.exe|/S\r\nclean.exe|/S /exit=3010\r\n"},
        {L"/auto /quiet \"/select:缺失; 压缩\"" + log, 1603, L"zip.exe|/S\r\n"},
        {L"/auto /quiet /select:压缩;无此软件" + log, 87, L""},
        // Names that hold ";" or start with "@", written whole.
        {L"/auto /quiet \"/select:解压;;工具\" /select:@@符号" + log, 0,
         L"zip.exe|/S /semicolon\r\nzip.exe|/S /at\r\n"},
        {L"/auto /quiet /select:@符号" + log, 87, L""},
        {L"/save: /quiet", 87, L""},
    };
    for (const auto& [arguments, expectedCode, installed] : cases) {
        ::DeleteFileW((m_disc / L"install.log").c_str());
        EXPECT_EQ(Run(arguments), expectedCode) << arguments << "\n" << Output();
        EXPECT_EQ(Installed(), installed) << arguments;
    }
    EXPECT_NE(Output().find(L"命令行有误: /save: 后面缺少文件夹"), std::wstring::npos) << Output();

    // A save into a folder that is made on the way.
    const std::wstring folder = m_elsewhere / L"新 包\\2026";
    EXPECT_EQ(Run(L"\"/save:" + folder + L"\" /quiet /select:压缩;清理"), 0u) << Output();
    EXPECT_EQ(ReadFile(folder + L"\\clean.exe"), ReadFile(ProgramFolder() + L"demo_installer.exe"));
    EXPECT_EQ(Installed(), L"");

    // Without a catalogue beside the program nothing runs.
    ::DeleteFileW((m_disc / L"Quillset.INI").c_str());
    EXPECT_EQ(Run(L"/auto /quiet"), 2u);
    EXPECT_NE(Output().find(L"程序旁边没有目录文件: " + (m_disc / L"Quillset.INI")), std::wstring::npos) << Output();
}

TEST_F(Unattended, EveryBatchWritesItsLog)
{
    // The default place, named by the start time, as the output tells.
    EXPECT_EQ(Run(L"/auto /quiet /select:清理"), 3010u);
    const std::wstring output = Output();
    const size_t at = output.find(L"日志文件: " + DefaultLogFolder() + L"\\20");
    ASSERT_NE(at, std::wstring::npos) << output;
    const std::wstring log = FromUtf8(ReadFile(output.substr(at + 6, output.find(L"\r\n", at) - at - 6)));
    EXPECT_NE(log.find(L"目录文件: " + (m_disc / L"Quillset.INI") + L"\r\n"), std::wstring::npos) << log;
    EXPECT_NE(log.find(L"\r\n需要重新启动 | 清理 | "), std::wstring::npos) << log;

    // A /log: file in a folder that is made on the way; a log planted as a
    // link to another file is replaced, never written through.
    const std::wstring planted = ProgramFolder() + L"planted-log-link\\";
    for (const std::wstring& file : {m_elsewhere / L"日志\\装机.log", planted + L"linked.log"}) {
        EXPECT_EQ(Run(L"\"/log:" + file + L"\" /quiet /save:" + (m_elsewhere / L"pkg")), 0u);
        const std::wstring saved = FromUtf8(ReadFile(file));
        EXPECT_NE(saved.find(L"\r\n成功 | 压缩 | " + (m_disc / L"setup\\zip.exe") + L" | " + (m_disc / L"setup\\zip.exe") + L" |  |  | " +
                             (m_elsewhere / L"pkg") + L"\\zip.exe | 已复制 | "),
                  std::wstring::npos)
            << saved;
    }
    EXPECT_EQ(ReadFile(planted + L"victim.txt"), "not for the log\n");
}

TEST_F(Unattended, LogsGoOnlyWhereTheLineSaysAndTellWhyALineWasRefused)
{
    // logs is a link to protected, laid from the Linux side as anyone who
    // may write public can lay it.
    WriteFile(m_elsewhere / L"protected\\keep.txt", "");
    ::CreateDirectoryW((m_elsewhere / L"public").c_str(), nullptr);
    ASSERT_TRUE(LayLink(m_elsewhere / L"public\\logs", m_elsewhere / L"protected"));
    struct Case {
        const char* fault;
        std::wstring arguments;
        std::wstring log;
        DWORD dwExitCode;
        // What the output tells and the log holds afterwards (empty: no log).
        std::wstring told;
        std::wstring logged;
    };
    const Case cases[] = {
        {"a log written through a link on its folder's path", L"/auto /quiet /select:压缩",
         m_elsewhere / L"public\\logs\\q.log", 1603, L"日志文件无法写入: " + (m_elsewhere / L"public\\logs\\q.log"),
         L""},
        {"a refused line's reason lost where deployment tools look", L"/auto /quiet /quite", m_elsewhere / L"x.log",
         87, L"无法识别的开关: /quite", L"命令行有误: 无法识别的开关: /quite\r\n"},
        {"a refused line's reason lost after its switches were read", L"/auto /quiet /save:C:\\pkg",
         m_elsewhere / L"y.log", 87, L"/auto 与 /save: 不能同时使用", L"命令行有误: /auto 与 /save: 不能同时使用\r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Run(L"\"/log:" + c.log + L"\" " + c.arguments), c.dwExitCode) << c.fault << "\n" << Output();
        EXPECT_NE(Output().find(c.told), std::wstring::npos) << c.fault << "\n" << Output();
        const std::wstring logged = FromUtf8(ReadFile(c.log));
        if (c.logged.empty()) {
            EXPECT_EQ(::GetFileAttributesW(c.log.c_str()), INVALID_FILE_ATTRIBUTES) << c.fault;
        } else {
            EXPECT_NE(logged.find(c.logged), std::wstring::npos) << c.fault << "\n" << logged;
        }
    }
    EXPECT_EQ(::GetFileAttributesW((m_elsewhere / L"protected\\q.log").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(Installed(), L"zip.exe|/S\r\n") << "the batch itself runs on";
}

TEST_F(Unattended, UsageGoesToTheCallerOrIntoAMessageBox)
{
    EXPECT_EQ(Run(L"/?"), 0u);
    EXPECT_EQ(Output().find(L"用法: Quillset.exe /auto 或 /save:<文件夹> [其他开关]\r\n"), 0u) << Output();

    // Without a console or output to write to: a message box, closed by
    // its button's key.
    ::FreeConsole();
    const RunningProgram program(m_exe, m_elsewhere.Path(), L"-?", L"NUL");
    HWND hBox = program.MainWindow();
    ASSERT_NE(hBox, nullptr);
    EXPECT_EQ(MessageBoxText(hBox).find(L"用法: Quillset.exe"), 0u) << MessageBoxText(hBox);
    ::PostMessageW(::GetDlgItem(hBox, IDOK), WM_KEYDOWN, VK_RETURN, 0x001C0001);
    DWORD exitCode = 0xDEAD;
    EXPECT_TRUE(program.WaitForExit(10000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
}

// With /quiet written anywhere on the line nothing waits for input, where
// no one could answer: no console, no output to write to.
TEST_F(Unattended, QuietLinesNeverWaitForInput)
{
    ::FreeConsole();
    const std::wstring folder = m_elsewhere / L"pkg";
    const std::vector<std::pair<std::wstring, DWORD>> cases{
        {L"/auto /quiet /bogus", 87},
        {L"/quiet /?", 0},
        // The backslash before the quote makes the quote part of the value.
        {L"/save:\"" + folder + L"\\\" /quiet /log:" + (m_elsewhere / L"q.log"), 87},
    };
    for (const auto& [arguments, expectedCode] : cases) {
        const RunningProgram program(m_exe, m_elsewhere.Path(), arguments, L"NUL");
        DWORD exitCode = 0xDEAD;
        EXPECT_TRUE(program.WaitForExit(20000, &exitCode)) << arguments;
        EXPECT_EQ(exitCode, expectedCode) << arguments;
    }
    // The refused line made no folder and wrote no log.
    EXPECT_EQ(::GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(::GetFileAttributesW((m_elsewhere / L"q.log").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(Installed(), L"");
}

// What the catalogue gave, or why it gave nothing, reaches the output and
// the log; a catalogue that gives no software ends with 2 and runs nothing.
TEST_F(Unattended, TheCataloguesStateReachesTheOutputAndTheLog)
{
    const std::wstring ini = m_disc / L"Quillset.INI";
    std::wstring unchecked = m_catalogue;
    unchecked.replace(unchecked.find(L"Checked=1"), 9, L"Checked=0");
    std::wstring manyCategories = L"[Type]\r\n";
    for (int n = 1; n <= 1001; ++n)
        manyCategories += L"Sort" + std::to_wstring(n) + L"=分类" + std::to_wstring(n) + L"\r\n";
    manyCategories += L"[分类1.List]\r\nList1=压缩\r\n[压缩]\r\nWorkingDir=%CurrDir%\r\nAutoInstall=setup\\zip.exe /S\r\n"
                      L"Checked=1\r\n";
    struct Case {
        const wchar_t* name;
        std::function<void(CFileHandle& hold)> prepare;
        DWORD exitCode;
        std::wstring installed;
        std::wstring notice;
    };
    const std::vector<Case> cases{
        {L"held open without sharing",
         [&](CFileHandle& hold) {
             hold.Reset(::CreateFileW(ini.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
         },
         2, L"", L"目录文件无法读取: " + ini + L" (Windows 错误 32: "},
        {L"over the size bound",
         [&](CFileHandle&) {
             CFileHandle file(::CreateFileW(ini.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
             LARGE_INTEGER size{};
             size.QuadPart = 64ll * 1024 * 1024 + 1;
             ASSERT_TRUE(::SetFilePointerEx(file.Get(), size, nullptr, FILE_BEGIN));
             ASSERT_TRUE(::SetEndOfFile(file.Get()));
         },
         2, L"", L"目录文件无法读取: " + ini + L" (Windows 错误 223: "},
        {L"no entry", [&](CFileHandle&) { WriteFile(ini, ToUtf16LeWithBom(L"[Type]\r\nSort1=工具\r\n")); }, 2, L"",
         L"目录文件中没有任何软件: " + ini},
        {L"a folder in its place",
         [&](CFileHandle&) {
             ::DeleteFileW(ini.c_str());
             ::CreateDirectoryW(ini.c_str(), nullptr);
         },
         2, L"", L"程序旁边没有目录文件: " + ini},
        {L"nothing checked",
         [&](CFileHandle&) { WriteFile(ini, ToUtf16LeWithBom(unchecked)); }, 0, L"",
         L"目录文件中没有勾选任何软件 (Checked=1), 也没有用 /select: 指定软件"},
        {L"cut short at the bounds", [&](CFileHandle&) { WriteFile(ini, ToUtf16LeWithBom(manyCategories)); }, 0,
         L"zip.exe|/S\r\n", L"配置文件列出的软件过多，只读取了前 1000 个分类"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.name));
        ::RemoveDirectoryW(ini.c_str());
        WriteFile(ini, ToUtf16LeWithBom(m_catalogue));
        ::DeleteFileW((m_disc / L"install.log").c_str());
        const std::wstring log = m_elsewhere / L"batch.log";
        ::DeleteFileW(log.c_str());
        CFileHandle hold;
        c.prepare(hold);
        EXPECT_EQ(Run(L"/auto /quiet /log:" + log), c.exitCode) << Output();
        EXPECT_EQ(Installed(), c.installed);
        const std::wstring logged = FromUtf8(ReadFile(log));
        EXPECT_NE(Output().find(c.notice), std::wstring::npos) << Output();
        EXPECT_NE(logged.find(c.notice), std::wstring::npos) << logged;
        EXPECT_EQ(logged.find(L"什么也没有运行。退出代码 2\r\n") != std::wstring::npos, c.exitCode == 2) << logged;
    }
}

TEST_F(Unattended, WithoutQuietTheProgressWindowShowsAndNoReport)
{
    const RunningProgram program(m_exe, m_elsewhere.Path(), L"/auto /select:慢速");
    const HWND hProgress = program.MainWindow();
    ASSERT_NE(hProgress, nullptr);
    PumpUntil([&] { return Caption(hProgress).find(L"正在安装...100.0% ") == 0; });
    EXPECT_EQ(Caption(hProgress), L"正在安装...100.0% " + (m_disc / L"setup\\zip.exe"));
    DWORD exitCode = 0xDEAD;
    EXPECT_TRUE(program.WaitForExit(20000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_EQ(Installed(), L"zip.exe|/S /delay=3000\r\n");
}

} // namespace
