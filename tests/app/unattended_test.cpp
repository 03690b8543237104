// Quillset.exe started by a deployment tool: real switches on its command
// line, its exit code, its output, its log and the stand-in installers'
// own records.
#include "batch/batch_log.h"
#include "batch/batch_texts.h"
#include "tests/app/unattended_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

namespace {

using namespace unattended_testing;

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
        // Saved selections, with what they take in, in catalogue order.
        {L"/auto /quiet /select:@日常" + log, 3010, L"zip.exe|/S\r\nclean.exe|/S /exit=3010\r\n"},
        {L"/auto /quiet \"/select:@@符号;@基础\"" + log, 0, L"zip.exe|/S\r\nzip.exe|/S /at\r\n"},
        {L"/auto /quiet /select:@坏的" + log, 87, L""},
        // An installer that has started a restart is the last one started.
        {L"/auto /quiet /select:清理;重启" + log, 1641, L"clean.exe|/S /exit=1641\r\n"},
        {L"/auto /quiet /select:压缩;重启;清理" + log, 1641, L"zip.exe|/S\r\nclean.exe|/S /exit=1641\r\n"},
        {L"/auto /quiet /select:缺失;重启;清理" + log, 1603, L"clean.exe|/S /exit=1641\r\n"},
        {L"/save: /quiet", 87, L""},
    };
    for (const auto& [arguments, expectedCode, installed] : cases) {
        ::DeleteFileW((m_disc / L"install.log").c_str());
        EXPECT_EQ(Run(arguments), expectedCode) << arguments << "\n" << Output();
        EXPECT_EQ(Installed(), installed) << arguments;
    }
    EXPECT_NE(Output().find(L"命令行有误: /save: 后面缺少文件夹"), std::wstring::npos) << Output();
    EXPECT_EQ(Run(L"/auto /quiet /select:压缩;@无此"), 87u);
    EXPECT_NE(Output().find(L"目录中没有这些选择集 ([Quillset.Sets]): 无此"), std::wstring::npos) << Output();

    // A save into a folder that is made on the way. The installers keep
    // their places relative to the program's folder (no longer side by
    // side in the folder), so that the folder works as a disc.
    const std::wstring folder = m_elsewhere / L"新 包\\2026";
    EXPECT_EQ(Run(L"\"/save:" + folder + L"\" /quiet /select:压缩;清理"), 0u) << Output();
    EXPECT_EQ(ReadFile(folder + L"\\setup\\clean.exe"), ReadFile(ProgramFolder() + L"demo_installer.exe"));
    EXPECT_EQ(Installed(), L"");

    // /check says yes only with 0 and its one line: an entry that names
    // nothing to look for, one the catalogue lacks, or no catalogue at all
    // end with 1 and nothing written.
    for (const wchar_t* arguments :
         {L"/check", L"/check /select:清理", L"/check /select:无此软件", L"/check /select:@无此"}) {
        EXPECT_EQ(Run(arguments), 1u) << arguments;
        EXPECT_EQ(Output(), L"") << arguments;
    }

    // Without a catalogue beside the program nothing runs.
    ::DeleteFileW((m_disc / L"Quillset.INI").c_str());
    EXPECT_EQ(Run(L"/auto /quiet"), 2u);
    EXPECT_NE(Output().find(L"程序旁边没有目录文件: " + (m_disc / L"Quillset.INI")), std::wstring::npos) << Output();
    EXPECT_EQ(Run(L"/check"), 1u);
    EXPECT_EQ(Output(), L"");
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
                             (m_elsewhere / L"pkg") + L"\\setup\\zip.exe | 已复制 | "),
                  std::wstring::npos)
            << saved;
    }
    EXPECT_EQ(ReadFile(planted + L"victim.txt"), "not for the log\n");
}

TEST_F(Unattended, AnItemReplacedWhileAnEarlierOneRunsIsRefused)
{
    // The first item moves another installer over the second one's file.
    WriteFile(m_disc / L"setup\\other.exe", ReadFile(ProgramFolder() + L"demo_installer.exe"));
    WriteFile(m_disc / L"setup\\swap.cmd", "@move /y \"%~dp0other.exe\" \"%~dp0zip.exe\"\r\n");
    WriteFile(m_disc / L"Quillset.INI", ToUtf16LeWithBom(LR"([Type]
Sort1=工具
[工具.List]
List1=换
List2=压缩
[换]
WorkingDir=%CurrDir%
AutoInstall=setup\swap.cmd
[压缩]
WorkingDir=%CurrDir%
AutoInstall=setup\zip.exe /S
)"));
    const std::wstring log = m_elsewhere / L"batch.log";
    EXPECT_EQ(Run(L"/auto /quiet /select:换;压缩 /log:" + log), 1603u) << Output();
    EXPECT_EQ(Installed(), L"") << "the installer put in its place never runs";
    EXPECT_EQ(ReadFile(m_disc / L"setup\\other.exe"), "") << "the first item did its work";
    const std::wstring written = FromUtf8(ReadFile(log));
    const std::wstring zip = m_disc / L"setup\\zip.exe";
    EXPECT_NE(written.find(L"\r\n失败 | 压缩 | " + zip + L" /S | " + zip + L" |  | /S |  | " + kReplacedText + L" | "),
              std::wstring::npos)
        << written;
}

TEST_F(Unattended, ADocumentIsRefused)
{
    WriteFile(m_disc / L"setup\\read me.txt", "read me\r\n");
    const std::wstring log = m_elsewhere / L"batch.log";
    EXPECT_EQ(Run(L"/auto /quiet /select:文档 /log:" + log), 1603u) << Output();
    const std::wstring written = FromUtf8(ReadFile(log));
    const std::wstring document = m_disc / L"setup\\read me.txt";
    EXPECT_NE(written.find(L"\r\n失败 | 文档 | " + document + L" | " + document + L" |  |  |  | 不是程序, 无人值守时不打开 | "),
              std::wstring::npos)
        << written;
}

// The program started through a link to its folder (a shared "Installers"
// folder, say), as the app_program_link entry lays it: it takes its
// catalogue and its items from the folder it really lies in.
TEST_F(Unattended, StartedThroughALinkItWorksInTheFolderItLiesIn)
{
    const std::wstring real = ProgramFolder() + L"program-link\\real\\";
    const std::wstring linked = ProgramFolder() + L"program-link\\installers\\";
    ASSERT_TRUE(::CopyFileW(m_exe.c_str(), (real + L"Quillset.exe").c_str(), FALSE));
    WriteFile(real + L"setup\\zip.exe", ReadFile(ProgramFolder() + L"demo_installer.exe"));
    WriteFile(real + L"Quillset.INI", ToUtf16LeWithBom(LR"([Type]
Sort1=工具
[工具.List]
List1=所在
List2=相对
[所在]
WorkingDir=%CurrDir%
AutoInstall=setup\zip.exe /S
[相对]
AutoInstall=setup\zip.exe /quiet
)"));
    const std::wstring log = m_elsewhere / L"batch.log";
    const RunningProgram program(linked + L"Quillset.exe", m_elsewhere.Path(),
                                 L"/auto /quiet /select:所在;相对 /log:" + log, m_elsewhere / L"output.txt");
    DWORD exitCode = 0xDEAD;
    EXPECT_TRUE(program.WaitForExit(60000, &exitCode));
    EXPECT_EQ(exitCode, 0u) << Output();
    const std::wstring written = FromUtf8(ReadFile(log));
    for (const std::wstring& line : {L"\r\n目录文件: " + real + L"Quillset.INI\r\n",
                                     L"\r\n成功 | 所在 | " + real + L"setup\\zip.exe /S | ",
                                     L"\r\n成功 | 相对 | setup\\zip.exe /quiet | " + real + L"setup\\zip.exe |  | /quiet |  | "})
        EXPECT_NE(written.find(line), std::wstring::npos) << line << "\n" << written;
}

// With two folders of the build presented as the CD-ROM drives E: and G:
// (the app_tests_cdrom entry sets them up; elsewhere these tests are
// skipped) and the program copied to a hard disk, as deployment tools keep
// a disc.
class UnattendedCdrom : public Unattended {
protected:
    void SetUp() override
    {
        const char* drives = std::getenv("QUILLSET_CDROM_DRIVES");
        if (!drives || std::string(drives) != "EG")
            GTEST_SKIP() << "run by the app_tests_cdrom entry, which presents E: and G: as CD-ROM drives";
        Unattended::SetUp();
        m_e = ProgramFolder() + L"cdrom-e\\";
        Installer(m_disc / L"Drivers Pack\\setup.exe");
        Installer(m_e + L"tools\\tool.exe");
        // Named by the whole text of the own disc's line: never to run.
        WriteFile(m_e + kPlanted, "@echo planted> \"" + ToUtf8(m_elsewhere / L"planted.txt") + "\"\r\n");
    }
    void TearDown() override
    {
        Unattended::TearDown();
        if (m_e.empty())
            return;
        for (const wchar_t* file : {L"tools\\tool.exe", kPlanted})
            ::DeleteFileW((m_e + file).c_str());
        for (const wchar_t* folder : {L"tools", L"Drivers Pack\\setup.exe -script post", L"Drivers Pack"})
            ::RemoveDirectoryW((m_e + folder).c_str());
    }

    static constexpr const wchar_t* kPlanted = L"Drivers Pack\\setup.exe -script post\\x.cmd";
    std::wstring m_e;
};

TEST_F(UnattendedCdrom, FilesComeFromTheOwnDiscUnlessAnotherDriveIsAllowed)
{
    const std::wstring log = m_elsewhere / L"batch.log";
    const std::wstring pkg = m_elsewhere / L"pkg";
    const std::wstring refused = L" | 不在本程序所在的光盘或文件夹中, 无人值守时不使用 (/anydrive 允许) | ";
    const std::wstring own = m_disc.Path() + L"\\";
    const std::wstring other = L"cdrom:\\tools\\tool.exe";
    // Switches, exit code, what the installers logged, and the item's line
    // in the log: its fields up to the drive its file came from, then how
    // it ended.
    const std::tuple<std::wstring, DWORD, std::wstring, std::wstring, std::wstring> cases[] = {
        {L"/auto /select:自带光盘", 0, L"setup.exe|-script post\\x.cmd\r\n",
         L"成功 | 自带光盘 | cdrom:\\Drivers Pack\\setup.exe -script post\\x.cmd | " +
             (m_disc / L"Drivers Pack\\setup.exe") + L" | " + own + L" | -script post\\x.cmd | ",
         L" | 退出代码 0 | "},
        {L"/auto /select:别的光驱", 1603, L"", L"失败 | 别的光驱 | " + other + L" /S | E:\\tools\\tool.exe | E:\\ | /S | ",
         refused},
        {L"/auto /anydrive /select:别的光驱", 0, L"tool.exe|/S\r\n",
         L"成功 | 别的光驱 | " + other + L" /S | E:\\tools\\tool.exe | E:\\ | /S | ", L" | 退出代码 0 | "},
        {L"/save:" + pkg + L" /select:别的光驱", 1603, L"",
         L"失败 | 别的光驱 | " + other + L" | E:\\tools\\tool.exe | E:\\ |  | ", refused},
        {L"/save:" + pkg + L" /anydrive /select:别的光驱", 0, L"",
         L"成功 | 别的光驱 | " + other + L" | E:\\tools\\tool.exe | E:\\ |  | ", L" | 已复制 | "},
    };
    for (const auto& [switches, code, installed, start, result] : cases) {
        SCOPED_TRACE(ToUtf8(switches));
        ::DeleteFileW((m_disc / L"install.log").c_str());
        EXPECT_EQ(Run(switches + L" /quiet /log:" + log), code) << Output();
        EXPECT_EQ(Installed(), installed);
        const std::wstring written = FromUtf8(ReadFile(log));
        const size_t at = written.find(L"\r\n" + start);
        ASSERT_NE(at, std::wstring::npos) << written;
        const std::wstring line = written.substr(at + 2, written.find(L"\r\n", at + 2) - at - 2);
        EXPECT_NE(line.find(result), std::wstring::npos) << line;
    }
    // A "cdrom:\\tools\\tool.exe" file keeps its path from the drive's root.
    EXPECT_EQ(ReadFile(pkg + L"\\tools\\tool.exe"), ReadFile(ProgramFolder() + L"demo_installer.exe"));
    EXPECT_EQ(::GetFileAttributesW((m_elsewhere / L"planted.txt").c_str()), INVALID_FILE_ATTRIBUTES);
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
         m_elsewhere / L"y.log", 87, L"/auto、/save:、/check 和 /detectscript: 只能用其中一个",
         L"命令行有误: /auto、/save:、/check 和 /detectscript: 只能用其中一个\r\n"},
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
    EXPECT_EQ(Output().find(L"用法: Quillset.exe /auto、/save:<文件夹>、\r\n    /check 或 /detectscript:<文件> [其他开关]\r\n"),
              0u)
        << Output();

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
    EXPECT_EQ(Caption(hProgress), L"正在安装...100.0% (1/1) 慢速 | " + (m_disc / L"setup\\zip.exe"));
    DWORD exitCode = 0xDEAD;
    EXPECT_TRUE(program.WaitForExit(20000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_EQ(Installed(), L"zip.exe|/S /delay=3000\r\n");
}

} // namespace
