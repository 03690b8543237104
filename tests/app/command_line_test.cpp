// The switches as a deployment tool writes them, read into what the
// program will do.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

struct Case {
    const wchar_t* commandLine;
    StartKind kind;
    const wchar_t* saveFolder;
    const wchar_t* logFile;
    std::vector<std::wstring> select;
    bool bQuiet;
};

TEST(CommandLine, SwitchesInAnyCaseWithSlashOrDash)
{
    using enum StartKind;
    const std::vector<Case> cases{
        {L"Quillset.exe", Window, L"", L"", {}, false},
        {L"Quillset.exe -AUTO -Quiet /LOG:C:\\Logs\\q.log", Install, L"", L"C:\\Logs\\q.log", {}, true},
        {L"Quillset.exe /save:D:\\Packages /quiet", Save, L"D:\\Packages", L"", {}, true},
        {L"Quillset.exe \"/save:D:\\安装 包\" -select:压缩", Save, L"D:\\安装 包", L"", {L"压缩"}, false},
        {L"Quillset.exe /auto \"/select:压缩工具; Office 2026 ;;清理\"", Install, L"", L"",
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
    };
    for (const Case& c : cases) {
        const CommandLine parsed = ParseCommandLine(c.commandLine);
        EXPECT_EQ(parsed.kind, c.kind) << c.commandLine;
        EXPECT_EQ(parsed.kind == BadCommandLine, !parsed.strError.empty()) << c.commandLine;
        if (parsed.kind == BadCommandLine || parsed.kind == Usage)
            continue;
        EXPECT_EQ(parsed.strSaveFolder, c.saveFolder) << c.commandLine;
        EXPECT_EQ(parsed.strLogFile, c.logFile) << c.commandLine;
        EXPECT_EQ(parsed.arrSelect, c.select) << c.commandLine;
        EXPECT_EQ(parsed.bQuiet, c.bQuiet) << c.commandLine;
    }

    // Relative paths are the caller's current folder's.
    wchar_t szFull[MAX_PATH] = {};
    ::GetFullPathNameW(L"日志\\q.log", MAX_PATH, szFull, nullptr);
    EXPECT_EQ(ParseCommandLine(L"Quillset.exe /auto /log:日志\\q.log").strLogFile, szFull);
}

} // namespace
