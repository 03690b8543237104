// Quillset.exe started by a deployment tool: real switches on its command
// line, its exit code, its output, its log and the stand-in installers'
// own records.
#include "batch/batch_log.h"
#include "tests/support/running_program.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

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
        WriteFile(m_disc / L"Quillset.INI", ToUtf16LeWithBom(LR"([Type]
Sort1=工具
Sort2=办公
[工具.List]
List1=压缩
List2=清理
List3=缺失
List4=慢速
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
)"));
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
};

TEST_F(Unattended, ExitCodesTellWhatBecameOfTheBatch)
{
    const std::wstring log = L" /log:" + (m_elsewhere / L"batch.log");
    const std::vector<std::tuple<std::wstring, DWORD, std::wstring>> cases{
        {L"/auto /quiet" + log, 0, L"zip.exe|/S\r\n"},
        {L"-AUTO -Quiet /Select:清理;压缩" + log, 3010, L"zip.exe|/S\r\nclean.exe|/S /exit=3010\r\n"},
        {L"/auto /quiet \"/select:缺失; 压缩\"" + log, 1603, L"zip.exe|/S\r\n"},
        {L"/auto /quiet /select:压缩;无此软件" + log, 87, L""},
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
    wchar_t szText[2048] = {};
    ::GetDlgItemTextW(hBox, 0xFFFF, szText, 2048);
    EXPECT_EQ(std::wstring(szText).find(L"用法: Quillset.exe"), 0u) << szText;
    ::PostMessageW(::GetDlgItem(hBox, IDOK), WM_KEYDOWN, VK_RETURN, 0x001C0001);
    DWORD exitCode = 0xDEAD;
    EXPECT_TRUE(program.WaitForExit(10000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
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
