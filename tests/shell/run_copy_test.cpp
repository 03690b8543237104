// Starting located files through the shell and copying them: real programs
// (copies of the demo installer) and real files.
#include "platform/desktop_open.h"
#include "shell/safe_copy.h"
#include "shell/shell.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

namespace {

using namespace testing_support;

// Copies of the demo installer in a fresh folder, logging to a file of
// their own (the environment is inherited by every started program).
class DemoInstallers : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_log = m_dir / L"install.log";
        ASSERT_TRUE(::SetEnvironmentVariableW(L"QUILLSET_DEMO_LOG", m_log.c_str()));
    }
    void TearDown() override { ::SetEnvironmentVariableW(L"QUILLSET_DEMO_LOG", nullptr); }

    std::wstring Installer(const std::wstring& relative) const
    {
        const std::wstring path = m_dir / relative;
        WriteFile(path, "");
        EXPECT_TRUE(::CopyFileW((ProgramFolder() + L"demo_installer.exe").c_str(), path.c_str(), FALSE));
        return path;
    }
    std::wstring Log() const { return FromUtf8(ReadFile(m_log)); }

    TempDir m_dir;
    std::wstring m_log;
};

std::wstring SystemFolder()
{
    wchar_t szSystem[MAX_PATH] = {};
    const UINT n = ::GetSystemDirectoryW(szSystem, MAX_PATH);
    return std::wstring(szSystem, n < MAX_PATH ? n : 0);
}


TEST_F(DemoInstallers, RunWaitsForTheProcessOnlyWhenAsked)
{
    const std::wstring setup = Installer(L"Program Files\\Tool\\setup tool.exe");

    CShell shell(setup + L" /S /delay=3000", L"");
    ASSERT_EQ(shell.m_bFound, 1);
    HANDLE hProcess = shell.Run(false);
    ASSERT_NE(hProcess, nullptr);
    EXPECT_EQ(hProcess, shell.m_hProcess.Get());
    // Back at once: the installer is still sleeping and has logged nothing.
    EXPECT_EQ(::WaitForSingleObject(hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(Log(), L"");
    ASSERT_EQ(::WaitForSingleObject(hProcess, 30000), WAIT_OBJECT_0);
    EXPECT_EQ(Log(), L"setup tool.exe|/S /delay=3000\r\n");

    // With waiting, the process has ended and logged when Run returns; the
    // exit code is not Run's concern.
    ASSERT_EQ(shell.Locate(setup + L" /S /delay=1000 /exit=7", L""), 1);
    hProcess = shell.Run(true);
    ASSERT_NE(hProcess, nullptr);
    EXPECT_EQ(::WaitForSingleObject(hProcess, 0), WAIT_OBJECT_0);
    DWORD exitCode = 0;
    ::GetExitCodeProcess(hProcess, &exitCode);
    EXPECT_EQ(exitCode, 7u);
    EXPECT_EQ(Log(), L"setup tool.exe|/S /delay=3000\r\nsetup tool.exe|/S /delay=1000 /exit=7\r\n");
}

TEST_F(DemoInstallers, ParametersArriveExactlyAsWritten)
{
    // Chinese folder and file names too, as on our users' discs.
    const std::wstring setup = Installer(L"光盘\\压缩 工具\\zip 安装.exe");
    CShell shell(setup + L" /S  /D=C:\\程序 文件\\Zip \"/title=装机 2026\"", L"");
    ASSERT_EQ(shell.m_bFound, 1);
    ASSERT_NE(shell.Run(true), nullptr);
    EXPECT_EQ(Log(), L"zip 安装.exe|/S  /D=C:\\程序 文件\\Zip \"/title=装机 2026\"\r\n");
    WIN32_FIND_DATAW data;
    EXPECT_TRUE(CFindHandle(::FindFirstFileW((m_dir / L"光盘\\压缩 工具\\*.exe").c_str(), &data)));
    EXPECT_STREQ(data.cFileName, L"zip 安装.exe");
    EXPECT_NE(shell.CopyTo(m_dir / L"光盘\\副本.exe", false), 0);
    EXPECT_EQ(ReadFile(m_dir / L"光盘\\副本.exe"), ReadFile(setup));
}

TEST_F(DemoInstallers, EachFileStartsInItsOwnFolderWhateverTheCurrentOne)
{
    // With a relative log name the demo installer logs into its current
    // folder, and so does a batch file: both work in their own folder.
    WriteFile(m_dir / L"Batch\\log here.cmd", "@echo batch> relative.log\r\n");
    const std::pair<std::wstring, std::wstring> cases[] = {
        {Installer(L"Soft\\setup.exe") + L" /S", m_dir / L"Soft\\relative.log"},
        {m_dir / L"Batch\\log here.cmd", m_dir / L"Batch\\relative.log"},
    };
    TempDir work;
    wchar_t szOld[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, szOld);
    ASSERT_TRUE(::SetCurrentDirectoryW(work.Path().c_str()));
    ::SetEnvironmentVariableW(L"QUILLSET_DEMO_LOG", L"relative.log");
    for (const auto& [item, log] : cases) {
        CShell shell(item, L"");
        EXPECT_NE(shell.Run(true), nullptr) << item;
        EXPECT_NE(ReadFile(log), "") << item;
    }
    ::SetCurrentDirectoryW(szOld);
    EXPECT_EQ(ReadFile(work / L"relative.log"), "");
}

TEST_F(DemoInstallers, PackagesStartThroughTheSystemsMsiexecNotTheirAssociation)
{
    // A user's own association for packages would run, elevated, whatever
    // it names: here a logging program that must never start.
    const std::wstring logger = Installer(L"Hijack\\logger.exe");
    const FileType type(L".msi", L"\"" + logger + L"\" \"%1\"");
    const std::wstring package = m_dir / L"Soft\\my tool.msi";
    WriteFile(package, "no package");
    CShell shell(package + L" /qn", L"");
    ASSERT_EQ(shell.m_bFound, 1);
    const HANDLE hProcess = shell.Run(true);
    ASSERT_NE(hProcess, nullptr);
    // msiexec ran, found no package in the file, and said so in its code.
    DWORD exitCode = 0;
    ::GetExitCodeProcess(hProcess, &exitCode);
    EXPECT_NE(exitCode, 0u);
    EXPECT_EQ(Log(), L"");
}

TEST_F(DemoInstallers, NothingStartsAfterAFailedLocate)
{
    const std::wstring setup = m_dir / L"late.exe";
    CShell shell(setup + L" /S", L"");
    ASSERT_EQ(shell.m_bFound, 0);
    // The file appears afterwards: the failed result still stands.
    Installer(L"late.exe");
    EXPECT_EQ(shell.Run(true), nullptr);
    EXPECT_EQ(shell.Run(false), nullptr);
    EXPECT_FALSE(shell.m_hProcess);
    EXPECT_EQ(shell.CopyTo(m_dir / L"copy.exe", false), 0);
    EXPECT_EQ(::GetFileAttributesW((m_dir / L"copy.exe").c_str()), INVALID_FILE_ATTRIBUTES);
    ::Sleep(300);
    EXPECT_EQ(Log(), L"");
}

TEST_F(DemoInstallers, BatchFilesRunInTheSystemsCmdNeverThroughTheirAssociation)
{
    // A user's own association for batch files would run, elevated,
    // whatever it names: here a logging program that must never start.
    const std::wstring logger = Installer(L"Hijack\\logger.exe");
    const FileType cmdType(L".cmd", L"\"" + logger + L"\" \"%1\"");
    const FileType batType(L".bat", L"\"" + logger + L"\" \"%1\"");
    // It writes its parameters beside itself, waits there for go.txt and
    // ends with 7.
    const std::string script = "@echo off\r\necho %~1^|%~2> out.txt\r\n:wait\r\nif not exist go.txt goto wait\r\n"
                               "exit /b 7\r\n";
    // Batch file, its parameters, and what it writes.
    const std::tuple<std::wstring, std::wstring, std::wstring> cases[] = {
        {L"光盘\\批 处理\\post install.cmd", L"\"a b\" c", L"a b|c\r\n"},
        {L"R&D (x86)\\setup.bat", L"/S /D", L"/S|/D\r\n"},
    };
    BOOL bWow64 = FALSE;
    ::IsWow64Process(::GetCurrentProcess(), &bWow64);
    for (const auto& [relative, parameters, written] : cases) {
        SCOPED_TRACE(ToUtf8(relative));
        const std::wstring batch = m_dir / relative;
        const std::wstring folder = batch.substr(0, batch.find_last_of(L'\\') + 1);
        WriteFile(batch, script);
        CShell shell(batch + L" " + parameters, L"");
        ASSERT_EQ(shell.m_bFound, 1);
        const HANDLE hProcess = shell.Run(false);
        ASSERT_NE(hProcess, nullptr);
        ASSERT_TRUE(PumpUntil([&] { return FromUtf8(ReadFile(folder + L"out.txt")) == written; }));
        // The system's cmd.exe, without the AutoRun commands of the
        // registry. (A 32-bit test cannot read the 64-bit cmd.exe's.)
        const std::wstring commandLine = CommandLineOf(hProcess);
        if (!bWow64) {
            EXPECT_EQ(commandLine,
                      L"\"" + SystemFolder() + L"\\cmd.exe\" /d /c \"\"" + batch + L"\" " + parameters + L"\"");
        }
        WriteFile(folder + L"go.txt", "");
        ASSERT_EQ(::WaitForSingleObject(hProcess, 30000), WAIT_OBJECT_0);
        DWORD exitCode = 0;
        ::GetExitCodeProcess(hProcess, &exitCode);
        EXPECT_EQ(exitCode, 7u);
    }
    EXPECT_EQ(Log(), L"");
}

TEST_F(DemoInstallers, DocumentsOpenAsTheDesktopsUserAndNeverUnattended)
{
    // A document type of its own, opened by a copy of the demo installer
    // that waits a few seconds before it logs.
    const std::wstring viewer = Installer(L"Viewer\\doc viewer.exe");
    const FileType type(L".quilldoc", L"\"" + viewer + L"\" /S /delay=3000 /file=\"%1\"");
    const std::wstring document = m_dir / L"Notes\\read me.quilldoc";
    WriteFile(document, "Quillset");

    // The desktop's shell opens it: the viewer runs with the desktop's
    // environment, not this process's, and logs beside itself.
    ASSERT_TRUE(WaitForDesktopShell());
    CShell shell(document, L"");
    ASSERT_EQ(shell.m_bFound, 1);
    EXPECT_EQ(shell.Run(true), nullptr);
    EXPECT_EQ(shell.LastError(), 0u);
    const std::wstring beside = m_dir / L"Viewer\\demo-install.log";
    ASSERT_TRUE(PumpUntil([&] { return !ReadFile(beside).empty(); }, std::chrono::seconds(20)));
    EXPECT_EQ(FromUtf8(ReadFile(beside)), L"doc viewer.exe|/S /delay=3000 /file=\"" + document + L"\"\r\n");
    EXPECT_EQ(Log(), L"");

    // Where the desktop's shell does not open it, this elevated process does
    // not open it itself; an unattended run does not even ask the desktop.
    ASSERT_TRUE(RunsElevated()) << "Wine gives every process an elevated token";
    ASSERT_TRUE(PumpUntil([] { return !ProcessRunning(L"doc viewer.exe"); }));
    std::vector<std::wstring> asked;
    SetDesktopShellHook([&](const std::wstring& file, const std::wstring& parameters, const std::wstring& folder) {
        asked.push_back(file + L"|" + parameters + L"|" + folder);
        return false;
    });
    ASSERT_EQ(shell.Locate(document, L"/p"), 1);
    EXPECT_EQ(shell.Run(false), nullptr);
    EXPECT_NE(shell.LastError(), 0u);
    EXPECT_FALSE(ProcessRunning(L"doc viewer.exe"));
    shell.m_bUnattended = true;
    EXPECT_EQ(shell.Run(false), nullptr);
    EXPECT_EQ(shell.LastError(), kErrorNotAProgram);
    SetDesktopShellHook({});
    EXPECT_EQ(asked, std::vector<std::wstring>{document + L"|/p|" + m_dir / L"Notes"});
    EXPECT_FALSE(ProcessRunning(L"doc viewer.exe"));
    EXPECT_EQ(Log(), L"");
}

// Puts the demo installer at path (or removes it) with the file system's
// redirection off, so that a 32-bit test reaches the folder it names.
bool PlaceUnredirected(const std::wstring& path, bool bPut)
{
    void* old = nullptr;
    const BOOL bOff = ::Wow64DisableWow64FsRedirection(&old);
    const BOOL bDone = bPut ? ::CopyFileW((ProgramFolder() + L"demo_installer.exe").c_str(), path.c_str(), FALSE)
                            : ::DeleteFileW(path.c_str());
    if (bOff)
        ::Wow64RevertWow64FsRedirection(old);
    return bDone != FALSE;
}

TEST_F(DemoInstallers, ANameUnderSystem32MeansTheFileThereInEitherBuild)
{
    // A catalogue names C:\Windows\System32\...: the x86 build finds,
    // measures, starts and copies the very file the x64 build does, though
    // Windows shows a 32-bit program SysWOW64 under that name.
    wchar_t szSystem[MAX_PATH] = {};
    wchar_t szWow64[MAX_PATH] = {};
    ASSERT_NE(::GetSystemDirectoryW(szSystem, MAX_PATH), 0u);
    ASSERT_NE(::GetSystemWow64DirectoryW(szWow64, MAX_PATH), 0u) << "64-bit Windows";
    const std::wstring native = szSystem + std::wstring(L"\\quillset-native.exe");
    const std::wstring only32 = szWow64 + std::wstring(L"\\quillset-wow64.exe");
    ASSERT_TRUE(PlaceUnredirected(native, true) && PlaceUnredirected(only32, true));
    const size_t installerSize = ReadFile(ProgramFolder() + L"demo_installer.exe").size();
    const struct {
        std::wstring commandLine;
        const wchar_t* logged; // empty: not found
    } cases[] = {
        {native + L" /S", L"quillset-native.exe|/S\r\n"},
        {L"  " + native + L" /S /D=x", L"quillset-native.exe|/S /D=x\r\n"},
        {szSystem + std::wstring(L"\\quillset-wow64.exe /S"), L""},
        {only32 + L" /S", L"quillset-wow64.exe|/S\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.commandLine));
        ::DeleteFileW(m_log.c_str());
        ::DeleteFileW((m_dir / L"copy.exe").c_str());
        CShell shell(c.commandLine, L"");
        EXPECT_EQ(shell.m_bFound, *c.logged ? 1 : 0);
        std::wstring parameters;
        EXPECT_EQ(ReadFile(shell.GetFile(parameters)).size(), *c.logged ? installerSize : 0);
        EXPECT_EQ(shell.Run(true) != nullptr, *c.logged != L'\0');
        EXPECT_EQ(Log(), c.logged);
        shell.CopyTo(m_dir / L"copy.exe", false);
        EXPECT_EQ(ReadFile(m_dir / L"copy.exe").size(), *c.logged ? installerSize : 0);
    }
    PlaceUnredirected(native, false);
    PlaceUnredirected(only32, false);
}

TEST(CopyTo, ReplacesAnExistingFileAndFailsIntoAMissingFolder)
{
    TempDir dir;
    const std::wstring source = dir / L"Soft\\tool setup.exe";
    WriteFile(source, "new content");
    WriteFile(dir / L"Target\\tool setup.exe", "old");

    CShell shell(source + L" /S", L"");
    ASSERT_EQ(shell.m_bFound, 1);
    // fail-if-exists false: the existing file is replaced.
    EXPECT_NE(shell.CopyTo(dir / L"Target\\tool setup.exe", false), 0);
    EXPECT_EQ(ReadFile(dir / L"Target\\tool setup.exe"), "new content");
    // fail-if-exists true leaves it alone.
    WriteFile(dir / L"Target\\kept.exe", "kept");
    EXPECT_EQ(shell.CopyTo(dir / L"Target\\kept.exe", true), 0);
    EXPECT_EQ(ReadFile(dir / L"Target\\kept.exe"), "kept");
    // No folder is created on the way.
    EXPECT_EQ(shell.CopyTo(dir / L"Missing\\tool setup.exe", false), 0);
    EXPECT_EQ(::GetFileAttributesW((dir / L"Missing").c_str()), INVALID_FILE_ATTRIBUTES);
}

// Links planted in the build's link-fixture folder by the shell_tests_links
// entry: save\tool.exe links to victim.txt, linked is a link to the folder
// elsewhere.
TEST(LinkedTargets, CopiesReplaceALinkAtTheTargetAndRefuseAFolderLink)
{
    if (!std::getenv("QUILLSET_LINK_FIXTURE"))
        GTEST_SKIP() << "run by the shell_tests_links entry, which plants the links";
    const std::wstring fixture = ProgramFolder() + L"link-fixture\\";
    TempDir dir;
    const std::wstring source = dir / L"tool.exe";
    WriteFile(source, "installer");
    CShell shell(source, L"");
    ASSERT_EQ(shell.m_bFound, 1);
    const std::pair<std::wstring, CopyOutcome> cases[] = {
        {fixture + L"save\\tool.exe", CopyOutcome::kCopied},
        {fixture + L"linked\\tool.exe", CopyOutcome::kFolderIsLink},
        {fixture + L"linked\\sub\\tool.exe", CopyOutcome::kFolderIsLink},
    };
    const CFileHandle hSource(
        ::CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    for (const auto& [target, outcome] : cases)
        EXPECT_EQ(CopyWithoutFollowingLinks(hSource.Get(), target, false), outcome) << target;
    EXPECT_EQ(ReadFile(fixture + L"save\\tool.exe"), "installer");
    EXPECT_EQ(ReadFile(fixture + L"victim.txt"), "victim") << "the link's file stays as it was";
    EXPECT_EQ(::GetFileAttributesW((fixture + L"elsewhere\\tool.exe").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(::GetFileAttributesW((fixture + L"elsewhere\\sub\\tool.exe").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(shell.CopyTo(fixture + L"linked\\tool.exe", false), 0);
    // The new file that goes into place leaves nothing behind.
    WIN32_FIND_DATAW data;
    EXPECT_FALSE(CFindHandle(::FindFirstFileW((fixture + L"save\\*.tmp").c_str(), &data)));
}

} // namespace
