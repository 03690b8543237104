// The program as a user starts it: Quillset.exe copied into a folder beside
// a catalogue, started as a process of its own.
#include "tests/support/running_program.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using namespace testing_support;

TEST(Program, ShowsTheCatalogueTitleAndClosesThroughItsCloseBox)
{
    TempDir disc;
    TempDir elsewhere;
    const std::wstring exe = CopyProgramTo(disc, L"Quillset.exe");
    WriteFile(disc / L"Quillset.INI",
              ToUtf16LeWithBom(L"[Config]\r\nTitleText=装机光盘 2026\r\nMainWidth=900\r\nMainHeight=620\r\n"
                               L"[Type]\r\nSort1=工具\r\n[工具.List]\r\nList1=压缩\r\n"));

    RunningProgram program(exe, elsewhere.Path());
    ASSERT_TRUE(program.Started());
    HWND hMain = program.MainWindow();
    ASSERT_NE(hMain, nullptr);
    EXPECT_EQ(Caption(hMain), L"装机光盘 2026");
    RECT rc{};
    ::GetWindowRect(hMain, &rc);
    EXPECT_EQ(rc.right - rc.left, 900);
    EXPECT_EQ(rc.bottom - rc.top, 620);

    // Enter and Escape leave the window open; the close box ends the program.
    ::PostMessageW(hMain, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    ::PostMessageW(hMain, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    DWORD exitCode = 0;
    EXPECT_FALSE(program.WaitForExit(500, &exitCode));
    EXPECT_TRUE(::IsWindow(hMain));
    ::PostMessageW(hMain, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(program.WaitForExit(10000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
}

// A catalogue that gives no software: a notice names the file looked for
// and why, then the empty window shows with the default title at its
// smallest size.
TEST(Program, ACatalogueThatGivesNoSoftwareIsNamedInANoticeBeforeTheEmptyWindow)
{
    const std::string entries =
        ToUtf16LeWithBom(L"[Config]\r\nTitleText=装机光盘\r\n[Type]\r\nSort1=工具\r\n[工具.List]\r\nList1=压缩\r\n");
    struct Case {
        const wchar_t* name;
        const wchar_t* exe;
        std::function<void(const std::wstring& folder, CFileHandle& hold)> prepare;
        std::wstring notice; // the catalogue's path follows
        std::wstring reason; // after the path
    };
    const std::vector<Case> cases{
        // A second download, renamed by the browser, beside the catalogue.
        {L"renamed", L"Quillset (1).exe",
         [&](const std::wstring& folder, CFileHandle&) { WriteFile(folder + L"\\Quillset.INI", entries); },
         L"程序旁边没有目录文件: ", L""},
        {L"held open without sharing", L"Quillset.exe",
         [&](const std::wstring& folder, CFileHandle& hold) {
             WriteFile(folder + L"\\Quillset.INI", entries);
             hold.Reset(::CreateFileW((folder + L"\\Quillset.INI").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
         },
         L"目录文件无法读取: ", L" (Windows 错误 32: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.name));
        TempDir disc;
        const std::wstring exe = CopyProgramTo(disc, c.exe);
        const std::wstring ini = exe.substr(0, exe.size() - 4) + L".INI";
        CFileHandle hold;
        c.prepare(disc.Path(), hold);
        RunningProgram program(exe, disc.Path());
        const HWND hNotice = program.MainWindow();
        ASSERT_NE(hNotice, nullptr);
        EXPECT_EQ(MessageBoxText(hNotice).find(c.notice + ini + c.reason), 0u) << MessageBoxText(hNotice);
        ::PostMessageW(::GetDlgItem(hNotice, IDOK), WM_KEYDOWN, VK_RETURN, 0x001C0001);
        ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(hNotice); }));
        const HWND hMain = program.MainWindow();
        ASSERT_NE(hMain, nullptr);
        EXPECT_EQ(Caption(hMain), L"Tovrin Quillset");
        RECT rc{};
        ::GetWindowRect(hMain, &rc);
        EXPECT_EQ(rc.right - rc.left, 800);
        EXPECT_EQ(rc.bottom - rc.top, 500);
        ::PostMessageW(hMain, WM_SYSCOMMAND, SC_CLOSE, 0);
        DWORD exitCode = 0xDEAD;
        EXPECT_TRUE(program.WaitForExit(10000, &exitCode));
        EXPECT_EQ(exitCode, 0u);
    }
}

} // namespace
