// The switches as a deployment tool writes them, read into what the
// program will do.
#include "app/command_line.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

using namespace testing_support;

struct Case {
    std::wstring commandLine;
    StartKind kind;
    const wchar_t* saveFolder;
    const wchar_t* logFile;
    std::vector<std::wstring> select;
    bool bQuiet;
};

void ExpectParsed(const std::vector<Case>& cases, const std::wstring& program)
{
    for (const Case& c : cases) {
        const CommandLine parsed = ParseCommandLine(c.commandLine, program);
        EXPECT_EQ(parsed.kind, c.kind) << c.commandLine << "\n" << parsed.strError;
        EXPECT_EQ(parsed.kind == StartKind::BadCommandLine, !parsed.strError.empty()) << c.commandLine;
        // Whatever the line, /quiet written in it means no window waits.
        EXPECT_EQ(parsed.bQuiet, c.bQuiet) << c.commandLine;
        if (parsed.kind == StartKind::BadCommandLine || parsed.kind == StartKind::Usage)
            continue;
        EXPECT_EQ(parsed.strSaveFolder, c.saveFolder) << c.commandLine;
        EXPECT_EQ(parsed.strLogFile, c.logFile) << c.commandLine;
        EXPECT_EQ(parsed.arrSelect, c.select) << c.commandLine;
    }
}

TEST(CommandLine, SwitchesInAnyCaseWithSlashOrDash)
{
    using enum StartKind;
    ExpectParsed({
              {L"Quillset.exe", Window, L"", L"", {}, false},
              {L"Quillset.exe -AUTO -Quiet /LOG:C:\\Logs\\q.log", Install, L"", L"C:\\Logs\\q.log", {}, true},
              {L"Quillset.exe /save:D:\\Packages /quiet", Save, L"D:\\Packages", L"", {}, true},
              {L"Quillset.exe \"/save:D:\\安装 包\" -select:压缩", Save, L"D:\\安装 包", L"", {L"压缩"}, false},
              {L"Quillset.exe /auto \"/select:压缩工具; Office 2026 ; ;清理\"", Install, L"", L"",
               {L"压缩工具", L"Office 2026", L"清理"}, false},
              {L"Quillset.exe /?", Usage, L"", L"", {}, false},
              {L"Quillset.exe /auto /bogus -?", Usage, L"", L"", {}, false},
              // Bad command lines: nothing runs.
              {L"Quillset.exe /automatic", BadCommandLine, L"", L"", {}, false},
              {L"Quillset.exe /auto /auto", BadCommandLine, L"", L"", {}, false},
              {L"Quillset.exe /save: /quiet", BadCommandLine, L"", L"", {}, true},
              {L"Quillset.exe /auto /select:;", BadCommandLine, L"", L"", {}, false},
              {L"Quillset.exe /auto /save:D:\\Packages", BadCommandLine, L"", L"", {}, false},
              {L"Quillset.exe /quiet", BadCommandLine, L"", L"", {}, true},
          },
          L"");

    // Relative paths are the caller's current folder's.
    wchar_t szFull[MAX_PATH] = {};
    ::GetFullPathNameW(L"日志\\q.log", MAX_PATH, szFull, nullptr);
    EXPECT_EQ(ParseCommandLine(L"Quillset.exe /auto /log:日志\\q.log", L"").strLogFile, szFull);
}

TEST(CommandLine, QuietWrittenAnywhereHoldsForRefusedLinesAndTheUsage)
{
    using enum StartKind;
    ExpectParsed({
              {L"Quillset.exe /auto /quiet /bogus", BadCommandLine, L"", L"", {}, true},
              {L"Quillset.exe /bogus -QUIET", BadCommandLine, L"", L"", {}, true},
              {L"Quillset.exe /? /quiet", Usage, L"", L"", {}, true},
              {L"Quillset.exe /auto /quiet:yes", BadCommandLine, L"", L"", {}, true},
              // Inside a value that is refused.
              {L"Quillset.exe /save:\"D:\\pkg\\\" /quiet /log:C:\\q.log", BadCommandLine, L"", L"", {}, true},
              // Words that only look like it.
              {L"Quillset.exe /auto /quietly /bogus", BadCommandLine, L"", L"", {}, false},
              {L"Quillset.exe /auto /log:C:\\unquiet\\q.log /bogus", BadCommandLine, L"", L"", {}, false},
          },
          L"");
}

TEST(CommandLine, PathValuesThatCannotBePathsAreRefused)
{
    using enum StartKind;
    ExpectParsed({
              {L"Quillset.exe /save:\"D:\\pkg\\\" /log:C:\\q.log", BadCommandLine, L"", L"", {}, false},
              {L"Quillset.exe /auto \"/log:C:\\a|b.log\"", BadCommandLine, L"", L"", {}, false},
              {L"Quillset.exe /save:D:\\pk?", BadCommandLine, L"", L"", {}, false},
              {L"Quillset.exe /auto /log:C:\\logs\\q.log:x", BadCommandLine, L"", L"", {}, false},
              {L"Quillset.exe /save:\\\\server\\share\\pkg /log:C:\\q.log", Save, L"\\\\server\\share\\pkg",
               L"C:\\q.log", {}, false},
          },
          L"");
}

TEST(CommandLine, SelectedNamesAreWrittenWhole)
{
    using enum StartKind;
    ExpectParsed({
              {L"Quillset.exe /auto \"/select:解压;;工具;清理\"", Install, L"", L"", {L"解压;工具", L"清理"}, false},
              {L"Quillset.exe /auto /select:a;;;b", Install, L"", L"", {L"a;", L"b"}, false},
              {L"Quillset.exe /auto /select:压缩 -SELECT:清理", Install, L"", L"", {L"压缩", L"清理"}, false},
              {L"Quillset.exe /auto /select:@@符号;a@b", Install, L"", L"", {L"@符号", L"a@b"}, false},
              {L"Quillset.exe /auto /select:压缩;@", BadCommandLine, L"", L"", {}, false},
              {L"Quillset.exe /auto /select:压缩 /select:", BadCommandLine, L"", L"", {}, false},
          },
          L"");
}

TEST(CommandLine, ASingleAtNamesASavedSelection)
{
    const CommandLine parsed =
        ParseCommandLine(L"Quillset.exe /check /select:@办公电脑;压缩 \"/select:@@符号;@ 基础 ;;\"", L"");
    EXPECT_EQ(parsed.kind, StartKind::Check) << parsed.strError;
    EXPECT_EQ(parsed.arrSelect, (std::vector<std::wstring>{L"压缩", L"@符号"}));
    EXPECT_EQ(parsed.arrSets, (std::vector<std::wstring>{L"办公电脑", L"基础 ;"}));
    EXPECT_EQ(ParseCommandLine(L"Quillset.exe /auto /select:@", L"").kind, StartKind::BadCommandLine);
}

TEST(CommandLine, DetectionSwitchesTakeOnlyTheEntriesAndQuiet)
{
    using enum StartKind;
    ExpectParsed({
              {L"Quillset.exe /check", Check, L"", L"", {}, false},
              {L"Quillset.exe -CHECK /select:压缩;清理 /quiet", Check, L"", L"", {L"压缩", L"清理"}, true},
              {L"Quillset.exe \"/detectscript:D:\\检测 脚本\\q.ps1\" /select:压缩", DetectScript, L"", L"", {L"压缩"},
               false},
              {L"Quillset.exe /auto /reinstall /quiet", Install, L"", L"", {}, true},
              // One of the four at a time, and only what each one uses.
              {L"Quillset.exe /check /auto", BadCommandLine, L"", L"", {}, false},
              {L"Quillset.exe /check /detectscript:D:\\q.ps1", BadCommandLine, L"", L"", {}, false},
              {L"Quillset.exe /check /log:C:\\q.log", BadCommandLine, L"", L"", {}, false},
              {L"Quillset.exe /check /reinstall", BadCommandLine, L"", L"", {}, false},
              {L"Quillset.exe /detectscript:D:\\q.ps1 /anydrive", BadCommandLine, L"", L"", {}, false},
              {L"Quillset.exe /save:D:\\pkg /reinstall", BadCommandLine, L"", L"", {}, false},
              {L"Quillset.exe /reinstall", BadCommandLine, L"", L"", {}, false},
              {L"Quillset.exe /check:yes", BadCommandLine, L"", L"", {}, false},
              {L"Quillset.exe /detectscript:", BadCommandLine, L"", L"", {}, false},
              {L"Quillset.exe \"/detectscript:D:\\a|b.ps1\"", BadCommandLine, L"", L"", {}, false},
          },
          L"");
    EXPECT_EQ(ParseCommandLine(L"Quillset.exe /detectscript:D:\\检测\\q.ps1", L"").strDetectScript,
              L"D:\\检测\\q.ps1");
    EXPECT_TRUE(ParseCommandLine(L"Quillset.exe /auto /reinstall", L"").bReinstall);
    EXPECT_FALSE(ParseCommandLine(L"Quillset.exe /auto", L"").bReinstall);
}

// The program's own name as CreateProcess finds it on a line without
// quotes, in a folder with blanks in its name, beside files that share the
// start of its name.
TEST(CommandLine, TheProgramsOwnNameIsSkippedAsTheSystemFindsIt)
{
    using enum StartKind;
    TempDir root;
    const std::wstring folder = root / L"Program Files\\Q";
    const std::wstring renamed = folder + L"\\Quillset (1).exe";
    WriteFile(folder + L"\\Quillset.exe", "the program");
    WriteFile(renamed, "a second download");
    WriteFile(root / L"Program", "a file named like the folder's start");
    ExpectParsed({
              {folder + L"\\Quillset.exe /auto /quiet", Install, L"", L"", {}, true},
              {folder + L"\\Quillset /save:D:\\pkg", Save, L"D:\\pkg", L"", {}, false},
              {L"\"" + folder + L"\\Quillset.exe\" /auto", Install, L"", L"", {}, false},
              {L"\"" + folder + L"\\Quillset.exe\"/auto", Install, L"", L"", {}, false},
              {folder + L"\\Quillset.exe", Window, L"", L"", {}, false},
          },
          folder + L"\\Quillset.exe");
    ExpectParsed({
              {renamed + L" /auto /select:压缩", Install, L"", L"", {L"压缩"}, false},
          },
          renamed);
}

} // namespace
