// Paths on the CD-ROM drive, with two folders of the build presented as the
// CD-ROM drives E: and G: (the shell_tests_cdrom entry sets them up and
// names them in QUILLSET_CDROM_DRIVES; elsewhere these tests are skipped).
#include "shell/path_resolution.h"
#include "shell/resolved_item.h"
#include "shell/shell.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace testing_support;

class CdromDrives : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* drives = std::getenv("QUILLSET_CDROM_DRIVES");
        if (!drives || std::string(drives) != "EG")
            GTEST_SKIP() << "run by the shell_tests_cdrom entry, which presents E: and G: as CD-ROM drives";
        // This program runs from a hard disk: its own folder comes first.
        const std::vector<std::wstring> expected{ProgramFolder(), L"E:\\", L"G:\\"};
        ASSERT_EQ(CdromRoots(), expected);
        // The drives show these folders of the build; the files are made
        // through their ordinary path.
        m_e = ProgramFolder() + L"cdrom-e\\";
        m_g = ProgramFolder() + L"cdrom-g\\";
    }
    void TearDown() override
    {
        for (const std::wstring& path : m_made)
            ::DeleteFileW(path.c_str());
        for (const std::wstring& folder : m_folders)
            ::RemoveDirectoryW(folder.c_str());
    }
    void Make(const std::wstring& root, const std::wstring& relative)
    {
        WriteFile(root + relative, "MZ");
        m_made.push_back(root + relative);
        // The folders made on the way, innermost first, go with the files.
        for (size_t slash = relative.find_last_of(L'\\'); slash != std::wstring::npos && slash > 0;
             slash = relative.find_last_of(L'\\', slash - 1))
            m_folders.push_back(root + relative.substr(0, slash));
    }

    std::wstring m_e;
    std::wstring m_g;

private:
    std::vector<std::wstring> m_made;
    std::vector<std::wstring> m_folders;
};

TEST_F(CdromDrives, FirstCdromDriveHoldingTheFileWins)
{
    Make(m_e, L"Soft\\both.exe");
    Make(m_g, L"Soft\\both.exe");
    Make(m_g, L"Soft\\Zip Tool\\only g.exe");

    CShell shell(L"cdrom:\\Soft\\both.exe /S", L"");
    EXPECT_EQ(shell.m_bFound, 1);
    EXPECT_EQ(shell.m_strFile, L"E:\\Soft\\both.exe");
    EXPECT_EQ(shell.m_strParameters, L"/S");

    EXPECT_EQ(shell.Locate(L"cdrom:\\Soft\\Zip Tool\\only g.exe", L""), 1);
    EXPECT_EQ(shell.m_strFile, L"G:\\Soft\\Zip Tool\\only g.exe");
    EXPECT_EQ(shell.m_strParameters, L"");
    EXPECT_EQ(shell.Locate(L"cdrom:\\Soft\\Zip Tool\\only g.exe /verysilent /norestart", L""), 1);
    EXPECT_EQ(shell.m_strFile, L"G:\\Soft\\Zip Tool\\only g.exe");
    EXPECT_EQ(shell.m_strParameters, L"/verysilent /norestart");

    // Each drive is searched through before the next: a longer part on E:
    // comes before a shorter program on G:, and a file that is no program
    // (a folder, or a file planted without an extension) is never the match.
    Make(m_e, L"Soft\\Zip Tool\\x.exe");
    Make(m_g, L"Soft\\Zip Tool\\y.exe");
    Make(m_g, L"Soft\\Zip");
    EXPECT_EQ(shell.Locate(L"cdrom:\\Soft\\Zip Tool\\x.exe /S", L""), 1);
    EXPECT_EQ(shell.m_strFile, L"E:\\Soft\\Zip Tool\\x.exe");
    EXPECT_EQ(shell.m_strParameters, L"/S");
    EXPECT_EQ(shell.Locate(L"cdrom:\\Soft\\Zip Tool\\gone.exe /S", L""), 0);
    Make(m_g, L"Soft\\Zip.cmd");
    Make(m_e, L"Soft\\Zip.cmd Tool\\x.exe");
    EXPECT_EQ(shell.Locate(L"cdrom:\\Soft\\Zip.cmd Tool\\x.exe /S", L""), 1);
    EXPECT_EQ(shell.m_strFile, L"E:\\Soft\\Zip.cmd Tool\\x.exe");
    EXPECT_EQ(shell.m_strParameters, L"/S");
    EXPECT_EQ(shell.Locate(L"cdrom:\\Soft\\Zip.cmd Tool\\y.exe /S", L""), 1);
    EXPECT_EQ(shell.m_strFile, L"G:\\Soft\\Zip.cmd");
    EXPECT_EQ(shell.m_strParameters, L"Tool\\y.exe /S");
    // A quoted path is tried on each drive as written.
    EXPECT_EQ(shell.Locate(L"cdrom:\\\"Soft\\Zip Tool\\y.exe\" /S", L""), 1);
    EXPECT_EQ(shell.m_strFile, L"G:\\Soft\\Zip Tool\\y.exe");
    EXPECT_EQ(shell.m_strParameters, L"/S");
}

TEST_F(CdromDrives, TheProgramsOwnDriveComesFirstAndAnotherDriveIsTold)
{
    // Program path, and the roots "cdrom:\" stands for: the program's own
    // drive first when it is a disc (or a stick), else its own folder (a
    // copied disc, never that drive's root), then the CD-ROM drives.
    const std::vector<std::pair<std::wstring, std::vector<std::wstring>>> cases{
        {L"G:\\Quillset.exe", {L"G:\\", L"E:\\"}},
        {L"E:\\装机\\Quillset.exe", {L"E:\\", L"G:\\"}},
        {L"C:\\Disc\\Quillset.exe", {L"C:\\Disc\\", L"E:\\", L"G:\\"}},
        {L"\\\\server\\share\\装机\\Quillset.exe", {L"\\\\server\\share\\装机\\", L"E:\\", L"G:\\"}},
        {L"Quillset.exe", {L"E:\\", L"G:\\"}},
    };
    for (const auto& [program, roots] : cases)
        EXPECT_EQ(CdromRootsFor(program), roots) << program;
    EXPECT_EQ(DriveRootOf(L"\\\\server\\share\\disc\\Quillset.exe"), L"\\\\server\\share\\");

    // This program runs from no CD-ROM drive: a file found through the
    // prefix on a drive is on another drive than its own.
    Make(m_g, L"Soft\\tool.exe");
    CShell shell(L"cdrom:\\Soft\\tool.exe /S", L"");
    EXPECT_EQ(shell.m_strFile, L"G:\\Soft\\tool.exe");
    const std::vector<ResolvedItem> items =
        ResolveItems({}, {m_g + L"Soft\\tool.exe", L"cdrom:\\Soft\\gone.exe", L"cdrom:\\Soft\\tool.exe /S"});
    ASSERT_EQ(items.size(), 3u);
    EXPECT_FALSE(FromOtherDrive(items[0]));
    EXPECT_FALSE(FromOtherDrive(items[1]));
    EXPECT_TRUE(FromOtherDrive(items[2]));
    EXPECT_EQ(items[2].strFile, L"G:\\Soft\\tool.exe");
    EXPECT_EQ(items[2].strDrive, L"G:\\");
    EXPECT_EQ(shell.m_strDrive, L"G:\\");
    EXPECT_TRUE(shell.FoundOnOtherDrive());
    EXPECT_EQ(shell.Locate(m_g + L"Soft\\tool.exe", L""), 1);
    EXPECT_FALSE(shell.FoundOnOtherDrive());
}

TEST_F(CdromDrives, TextBeforeThePrefixIsDropped)
{
    Make(m_g, L"setup.exe");
    CShell shell(L"D:\\Soft\\cdrom:\\setup.exe /S", L"");
    EXPECT_EQ(shell.m_bFound, 1);
    EXPECT_EQ(shell.m_strFile, L"G:\\setup.exe");
    EXPECT_EQ(shell.m_strParameters, L"/S");

    // Every occurrence of the prefix goes.
    EXPECT_EQ(shell.Locate(L"cdrom:\\cdrom:\\setup.exe", L""), 1);
    EXPECT_EQ(shell.m_strFile, L"G:\\setup.exe");
}

TEST_F(CdromDrives, FailureReportsTheTextWithItsPrefix)
{
    std::vector<std::wstring> asked;
    bool bBoxesAllowed = false;
    const ResolvedPath resolved = ResolvePath(
        L"  cdrom:\\Soft\\missing.exe /S ", L"",
        [&](const std::wstring& name, bool bFolderCounts) {
            asked.push_back(name);
            // A probe of an empty drive raises no "no disk" box.
            bBoxesAllowed |= !(::GetThreadErrorMode() & SEM_FAILCRITICALERRORS);
            return PathExists(name, bFolderCounts);
        },
        &CdromRoots);
    EXPECT_FALSE(bBoxesAllowed);
    EXPECT_FALSE(resolved.bFound);
    EXPECT_EQ(resolved.strFile, L"cdrom:\\Soft\\missing.exe /S");
    EXPECT_EQ(resolved.strParameters, L"");
    // Whole text, then the candidate, on each root in turn.
    const std::wstring own = ProgramFolder();
    const std::vector<std::wstring> expected{own + L"Soft\\missing.exe /S", own + L"Soft\\missing.exe",
                                             L"E:\\Soft\\missing.exe /S", L"E:\\Soft\\missing.exe",
                                             L"G:\\Soft\\missing.exe /S", L"G:\\Soft\\missing.exe"};
    EXPECT_EQ(asked, expected);

    // A drive root alone is never a match.
    CShell shell(L"cdrom:\\ /S", L"");
    EXPECT_EQ(shell.m_bFound, 0);
    EXPECT_EQ(shell.m_strFile, L"cdrom:\\ /S");
}

} // namespace
