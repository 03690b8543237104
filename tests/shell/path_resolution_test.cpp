// Resolving configured paths and command lines on real folders.
#include "shell/path_resolution.h"
#include "shell/shell.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace testing_support;

// The machine's answers, with every name asked about noted in order, and
// whether the system would have shown its "no disk" box for it.
struct RecordingExists {
    std::vector<std::wstring> asked;
    bool bBoxesAllowed = false;
    bool operator()(const std::wstring& name, bool bFolderCounts)
    {
        asked.push_back(name);
        if (!(::GetThreadErrorMode() & SEM_FAILCRITICALERRORS))
            bBoxesAllowed = true;
        return PathExists(name, bFolderCounts);
    }
};

ResolvedPath ResolveRecorded(const std::wstring& text, RecordingExists& recorder,
                             std::vector<std::wstring> roots = {})
{
    return ResolvePath(
        text, L"", [&](const std::wstring& name, bool bFolderCounts) { return recorder(name, bFolderCounts); },
        [&] { return roots; });
}

TEST(PathResolution, CommandLineSplitsAtTheFirstBlankWhoseLeftPartExists)
{
    TempDir dir;
    const std::wstring setup = dir / L"Program Files\\Tool\\setup.exe";
    WriteFile(setup, "MZ");

    // The whole line is tried and does not exist; "<dir>\Program" is no
    // program and is not even looked for; the program is found.
    RecordingExists recorder;
    const ResolvedPath resolved = ResolveRecorded(setup + L" /S", recorder);
    EXPECT_TRUE(resolved.bFound);
    EXPECT_EQ(resolved.strFile, setup);
    EXPECT_EQ(resolved.strParameters, L"/S");
    const std::vector<std::wstring> expected{setup + L" /S", setup};
    EXPECT_EQ(recorder.asked, expected);
    // No probe could raise the system's "no disk" box, and the thread's
    // error mode is back as it was.
    EXPECT_FALSE(recorder.bBoxesAllowed);
    EXPECT_EQ(::GetThreadErrorMode() & SEM_FAILCRITICALERRORS, 0u);

    // Further blanks stay in the parameters as they were written.
    CShell shell;
    EXPECT_EQ(shell.Locate(L"  " + setup + L" /D=C:\\My Apps  /norestart \t", L""), 1);
    EXPECT_EQ(shell.m_bFound, 1);
    EXPECT_EQ(shell.m_strFile, setup);
    EXPECT_EQ(shell.m_strParameters, L"/D=C:\\My Apps  /norestart");

    // Given parameters follow the split-off ones directly.
    EXPECT_EQ(shell.Locate(setup + L" /S", L"/log"), 1);
    EXPECT_EQ(shell.m_strParameters, L"/S/log");
    std::wstring parameters;
    EXPECT_EQ(shell.GetFile(parameters), setup);
    EXPECT_EQ(parameters, L"/S/log");
}

TEST(PathResolution, WholeTextNamingAFileIsTakenWholeBeforeAnyShorterCandidate)
{
    TempDir dir;
    const std::wstring zip = dir / L"Zip Tool\\zip setup.exe";
    WriteFile(zip, "MZ");
    // "<dir>\Zip" exists too, as a folder: the whole text is still tried first.
    ::CreateDirectoryW((dir / L"Zip").c_str(), nullptr);

    CShell shell(L" " + zip + L" ", L"");
    EXPECT_EQ(shell.m_bFound, 1);
    EXPECT_EQ(shell.m_strFile, zip);
    EXPECT_EQ(shell.m_strParameters, L"");

    // With a switch after it, the shortest existing left part that is a
    // file wins: the folder before the blank is no program.
    EXPECT_EQ(shell.Locate(zip + L" /S", L""), 1);
    EXPECT_EQ(shell.m_strFile, zip);
    EXPECT_EQ(shell.m_strParameters, L"/S");
}

TEST(PathResolution, QuotedProgramsAreTakenAsWrittenAndOnlyAProgramStandsBeforeABlank)
{
    TempDir dir;
    const std::wstring root = dir.Path() + L"\\";
    for (const wchar_t* file : {L"inst\\my app\\setup.exe", L"inst\\my", L"setup\\Zip Tool\\zip setup.exe",
                                L"setup\\Zip", L"docs\\manual.pdf", L"装机\\my app\\setup.msi", L"Node.js"})
        WriteFile(root + file, "MZ");
    struct Case {
        std::wstring text;
        std::wstring file; // empty: not found
        std::wstring parameters;
    };
    const Case cases[] = {
        // Quoted: the text in quotes, the working folder in front of it.
        {L"\"" + root + L"inst\\my app\\setup.exe\" /S /D=C:\\a b", root + L"inst\\my app\\setup.exe", L"/S /D=C:\\a b"},
        {root + L"\"inst\\my app\\setup.exe\"  /S", root + L"inst\\my app\\setup.exe", L"/S"},
        {root + L"\"inst\\my app\\setup.exe\"", root + L"inst\\my app\\setup.exe", L""},
        // An absolute quoted path after the working folder stands as written.
        {L"C:\\disc\\\"" + root + L"装机\\my app\\setup.msi\" /qn", root + L"装机\\my app\\setup.msi", L"/qn"},
        // A quoted path that is missing is missing: no shorter part stands in.
        {root + L"\"inst\\my app\\gone.exe\" /S", L"", L""},
        // Unquoted, with a quoted parameter: split at blanks as ever.
        {root + L"inst\\my app\\setup.exe \"/title=a b\"", root + L"inst\\my app\\setup.exe", L"\"/title=a b\""},
        // A file without a program's extension before a blank gives way to
        // a longer part that is a program ...
        {root + L"setup\\Zip Tool\\zip setup.exe /S", root + L"setup\\Zip Tool\\zip setup.exe", L"/S"},
        {root + L"inst\\my app\\setup.exe /S", root + L"inst\\my app\\setup.exe", L"/S"},
        // ... and is never taken itself: the program is missing, so is the item.
        {root + L"setup\\Zip Tool\\gone.exe /S", L"", L""},
        {root + L"docs\\manual.pdf /page=2", L"", L""},
        {root + L"Node.js 20\\node-v20-x64.msi /qn", L"", L""},
        // A document named whole is found.
        {root + L"docs\\manual.pdf", root + L"docs\\manual.pdf", L""},
    };
    CShell shell;
    for (const Case& c : cases) {
        EXPECT_EQ(shell.Locate(c.text, L""), c.file.empty() ? 0 : 1) << c.text;
        EXPECT_EQ(shell.m_strFile, c.file.empty() ? c.text : c.file) << c.text;
        EXPECT_EQ(shell.m_strParameters, c.parameters) << c.text;
    }
}

TEST(PathResolution, AFolderIsFoundOnlyAsTheWholeTextWithoutParameters)
{
    TempDir dir;
    ::CreateDirectoryW((dir / L"Office").c_str(), nullptr);
    WriteFile(dir / L"Office 2010\\notes.txt", "notes");
    WriteFile(dir / L"Office 2010\\setup-1.exe", "MZ");
    // Text, and whether it is found: setup.exe has gone, and the folder
    // before the blank does not stand in for it; a folder of drivers opened
    // on purpose is found, but not with parameters; a pattern counts when
    // it matches a program.
    const std::vector<std::pair<std::wstring, int>> cases{
        {dir / L"Office 2010\\setup.exe /S", 0}, {dir / L"Office 2010", 1},
        {dir / L"Office 2010 /S", 0},            {dir / L"Off* /S", 0},
        {dir / L"Office 2010\\*.txt /S", 0},     {dir / L"Office 2010\\setup-?.exe /S", 1},
    };
    CShell shell;
    for (const auto& [text, found] : cases)
        EXPECT_EQ(shell.Locate(text, L""), found) << text;
    EXPECT_EQ(shell.Locate(dir / L"Office", L"/S"), 0) << "given parameters";
}

TEST(PathResolution, BlanksAtTheStartAreNeverSplitPoints)
{
    TempDir dir;
    WriteFile(dir / L"setup.exe", "MZ");

    // After the prefix goes, the text starts with a blank: position 0 is no
    // split point, so the only candidate is the whole text.
    const std::vector<std::wstring> roots{dir.Path() + L"\\"};
    RecordingExists recorder;
    const ResolvedPath resolved = ResolveRecorded(L"cdrom:\\ setup.exe", recorder, roots);
    EXPECT_FALSE(resolved.bFound);
    EXPECT_EQ(resolved.strFile, L"cdrom:\\ setup.exe");
    const std::vector<std::wstring> expected{dir.Path() + L"\\ setup.exe"};
    EXPECT_EQ(recorder.asked, expected);

    // Leading blanks of the configured text are trimmed away.
    CShell shell(L" \t  " + (dir / L"setup.exe") + L" /S", L"");
    EXPECT_EQ(shell.m_bFound, 1);
    EXPECT_EQ(shell.m_strFile, dir / L"setup.exe");
    EXPECT_EQ(shell.m_strParameters, L"/S");
}

TEST(PathResolution, NamesOf260CharactersOrMoreNeverExist)
{
    TempDir dir;
    // A file whose full name is 259 characters, and one of 260, made through
    // the long-name prefix.
    const std::wstring folder = dir / std::wstring(200 - dir.Path().size(), L'd');
    ASSERT_TRUE(::CreateDirectoryW((L"\\\\?\\" + folder).c_str(), nullptr));
    const std::wstring name259 = folder + L"\\" + std::wstring(53, L'f') + L".exe";
    const std::wstring name260 = folder + L"\\" + std::wstring(54, L'f') + L".exe";
    ASSERT_EQ(name259.size(), 259u);
    ASSERT_EQ(name260.size(), 260u);
    for (const std::wstring& name : {name259, name260}) {
        const CFileHandle hFile(::CreateFileW((L"\\\\?\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                              FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(hFile);
    }

    EXPECT_TRUE(PathExists(name259));
    EXPECT_FALSE(PathExists(name260));
    CShell shell(name260 + L" /S", L"");
    EXPECT_EQ(shell.m_bFound, 0);
    EXPECT_EQ(shell.m_strFile, name260 + L" /S");

    // A whole line that is too long is no obstacle to a short program part.
    const std::wstring longSwitch = L"/D=" + std::wstring(300, L'x');
    EXPECT_EQ(shell.Locate(name259 + L" " + longSwitch, L""), 1);
    EXPECT_EQ(shell.m_strFile, name259);
    EXPECT_EQ(shell.m_strParameters, longSwitch);

    for (const std::wstring& name : {name259, name260})
        ::DeleteFileW((L"\\\\?\\" + name).c_str());
    ::RemoveDirectoryW((L"\\\\?\\" + folder).c_str());
}

TEST(PathResolution, ExistsMeansASearchFindsSomething)
{
    TempDir dir;
    WriteFile(dir / L"setup-1.2.exe", "MZ");
    ::CreateDirectoryW((dir / L"Tools").c_str(), nullptr);

    // A pattern that matches is found, and stays the pattern.
    CShell shell(dir / L"set*.exe /S", L"");
    EXPECT_EQ(shell.m_bFound, 1);
    EXPECT_EQ(shell.m_strFile, dir / L"set*.exe");
    EXPECT_EQ(shell.m_strParameters, L"/S");
    EXPECT_EQ(shell.Locate(dir / L"setup-?.?.exe", L""), 1);
    EXPECT_EQ(shell.Locate(dir / L"*.msi", L""), 0);

    // A folder exists; a folder written with a trailing backslash is no match.
    EXPECT_TRUE(PathExists(dir / L"Tools"));
    EXPECT_FALSE(PathExists(dir / L"Tools\\"));

    // Empty names and bare drive roots never exist.
    EXPECT_FALSE(PathExists(L""));
    for (const wchar_t* root : {L"C:", L"C:\\", L"c:/", L"Z:\\"})
        EXPECT_FALSE(PathExists(root)) << root;
    EXPECT_EQ(shell.Locate(L"C:\\ /S", L""), 0);
    EXPECT_EQ(shell.m_strFile, L"C:\\ /S");
    EXPECT_EQ(shell.Locate(L" \t ", L"/keep"), 0);
    EXPECT_EQ(shell.m_strFile, L"");
    EXPECT_EQ(shell.m_strParameters, L"/keep");
}

TEST(PathResolution, FailureKeepsTheTrimmedTextAndTheParameters)
{
    TempDir dir;
    CShell shell;
    EXPECT_EQ(shell.Locate(L"  " + (dir / L"missing setup.exe") + L" /S  ", L"/given"), 0);
    EXPECT_EQ(shell.m_bFound, 0);
    EXPECT_EQ(shell.m_strFile, dir / L"missing setup.exe" + L" /S");
    EXPECT_EQ(shell.m_strParameters, L"/given");

    // A second Locate starts from scratch: an earlier success is forgotten.
    WriteFile(dir / L"here.exe", "MZ");
    EXPECT_EQ(shell.Locate(dir / L"here.exe", L""), 1);
    EXPECT_EQ(shell.Locate(dir / L"gone.exe", L""), 0);
    EXPECT_EQ(shell.m_bFound, 0);
}

TEST(PathResolution, EachCdromRootIsSearchedThroughBeforeTheNext)
{
    // The program's own folder (a copied disc) first, then a drive.
    TempDir own;
    TempDir other;
    const std::wstring ownRoot = own.Path() + L"\\";
    const std::wstring otherRoot = other.Path() + L"\\";
    WriteFile(own / L"Drivers Pack\\setup.exe", "MZ");
    WriteFile(other / L"Drivers Pack\\setup.exe -script post\\x.cmd", "@echo planted");
    WriteFile(other / L"tools\\tool.exe", "MZ");
    WriteFile(other / L"Node.js", "planted");
    WriteFile(own / L"both\\setup.exe", "MZ");
    WriteFile(other / L"both\\setup.exe", "MZ");
    const struct {
        std::wstring text;
        std::wstring file; // empty: not found
        std::wstring parameters;
        std::wstring drive;
    } cases[] = {
        // The other drive's file named by the whole text does not beat the
        // own disc's program at the second blank.
        {L"cdrom:\\Drivers Pack\\setup.exe -script post\\x.cmd", ownRoot + L"Drivers Pack\\setup.exe",
         L"-script post\\x.cmd", ownRoot},
        {L"cdrom:\\both\\setup.exe /S", ownRoot + L"both\\setup.exe", L"/S", ownRoot},
        {L"cdrom:\\tools\\tool.exe /S", otherRoot + L"tools\\tool.exe", L"/S", otherRoot},
        // A file that is no program before a blank, on any drive, is no match.
        {L"cdrom:\\Node.js 20\\node-v20-x64.msi /qn", L"", L"", L""},
    };
    for (const auto& c : cases) {
        const ResolvedPath resolved = ResolvePath(c.text, L"", &PathExists, [&] {
            return std::vector<std::wstring>{ownRoot, otherRoot};
        });
        EXPECT_EQ(resolved.bFound, !c.file.empty()) << c.text;
        EXPECT_EQ(resolved.strFile, c.file.empty() ? c.text : c.file) << c.text;
        EXPECT_EQ(resolved.strParameters, c.parameters) << c.text;
        EXPECT_EQ(resolved.strDrive, c.drive) << c.text;
    }
}

TEST(PathResolution, WithoutCdromDrivesThePrefixMeansTheProgramsOwnFolder)
{
    ASSERT_TRUE(CdromRoots() == std::vector<std::wstring>{ProgramFolder()})
        << "this test needs a Wine prefix without CD-ROM drives";
    // The program runs from a hard disk: "cdrom:\" is its folder, a copied
    // disc, never the current folder.
    TempDir current;
    WriteFile(current / L"Disc\\setup.exe", "MZ");
    WriteFile(current / L"Disc\\current only.exe", "MZ");
    const std::wstring own = ProgramFolder() + L"quillset-own-folder\\";
    WriteFile(own + L"setup.exe", "MZ");
    wchar_t szOld[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, szOld);
    ASSERT_TRUE(::SetCurrentDirectoryW(current.Path().c_str()));

    CShell shell(L"cdrom:\\quillset-own-folder\\setup.exe /S", L"");
    EXPECT_EQ(shell.m_bFound, 1);
    EXPECT_EQ(shell.m_strFile, own + L"setup.exe");
    EXPECT_EQ(shell.m_strParameters, L"/S");
    EXPECT_EQ(shell.m_strDrive, ProgramFolder());
    EXPECT_FALSE(shell.FoundOnOtherDrive());
    // Whatever stands before the prefix is dropped.
    EXPECT_EQ(shell.Locate(L"D:\\Soft\\cdrom:\\quillset-own-folder\\setup.exe", L""), 1);
    EXPECT_EQ(shell.m_strFile, own + L"setup.exe");
    EXPECT_EQ(shell.Locate(L"cdrom:\\Disc\\current only.exe", L""), 0);
    // The prefix is case-sensitive: "CDROM:\" is an ordinary (missing) path.
    EXPECT_EQ(shell.Locate(L"CDROM:\\quillset-own-folder\\setup.exe", L""), 0);

    ::SetCurrentDirectoryW(szOld);
    ::DeleteFileW((own + L"setup.exe").c_str());
    ::RemoveDirectoryW(own.c_str());
}

} // namespace
