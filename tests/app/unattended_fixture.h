// Quillset.exe started by a deployment tool, as the tests of the command
// line see it: a copy of the program on a disc of stand-in installers with
// its catalogue, runs to their end with their output and exit code.
#pragma once

#include "tests/support/running_program.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace unattended_testing {

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
        m_catalogue = LR"([Quillset.Sets]
日常=@基础;清理
基础=压缩
坏的=@无此选择集
[Type]
Sort1=工具
Sort2=办公
[工具.List]
List1=压缩
List2=缺失
List3=重启
List4=清理
List5=慢速
List6=解压;工具
List7=@符号
List8=文档
List9=自带光盘
List10=别的光驱
List11=挂起
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
[重启]
WorkingDir=%CurrDir%
AutoInstall=setup\clean.exe /S /exit=1641
[解压;工具]
WorkingDir=%CurrDir%
AutoInstall=setup\zip.exe /S /semicolon
[@符号]
WorkingDir=%CurrDir%
AutoInstall=setup\zip.exe /S /at
[文档]
WorkingDir=%CurrDir%
AutoInstall=setup\read me.txt
[自带光盘]
AutoInstall=cdrom:\Drivers Pack\setup.exe -script post\x.cmd
[别的光驱]
AutoInstall=cdrom:\tools\tool.exe /S
ManualInstall=cdrom:\tools\tool.exe
[挂起]
WorkingDir=%CurrDir%
AutoInstall=setup\hang.exe /S
)";
        WriteFile(m_disc / L"Quillset.INI", ToUtf16LeWithBom(m_catalogue));
        ::SetEnvironmentVariableW(L"QUILLSET_DEMO_LOG", (m_disc / L"install.log").c_str());
        // An installer that waits for ever, with a helper that does too.
        WriteFile(m_disc / L"setup\\hang.exe", ReadFile(ProgramFolder() + L"hanging_installer.exe"));
        ::SetEnvironmentVariableW(L"QUILLSET_HANG_PIDS", m_pids.c_str());
    }
    void TearDown() override
    {
        EndProcesses(ProcessIdsIn(m_pids));
        ::SetEnvironmentVariableW(L"QUILLSET_DEMO_LOG", nullptr);
        ::SetEnvironmentVariableW(L"QUILLSET_HANG_PIDS", nullptr);
    }

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
    // A copy of the demo installer at path.
    static void Installer(const std::wstring& path)
    {
        WriteFile(path, "");
        ASSERT_TRUE(::CopyFileW((ProgramFolder() + L"demo_installer.exe").c_str(), path.c_str(), FALSE));
    }

    TempDir m_disc;
    TempDir m_elsewhere;
    std::wstring m_pids = m_elsewhere / L"pids.txt";
    std::wstring m_exe;
    std::wstring m_catalogue;
};

} // namespace unattended_testing
