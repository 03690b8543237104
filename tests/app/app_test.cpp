// The program as a user starts it: Quillset.exe copied into a folder beside
// a catalogue, started as a process of its own.
#include "tests/support/running_program.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace testing_support;

TEST(Program, ShowsTheCatalogueTitleAndClosesThroughItsCloseBox)
{
    TempDir disc;
    TempDir elsewhere;
    const std::wstring exe = CopyProgramTo(disc, L"Quillset.exe");
    WriteFile(disc / L"Quillset.INI",
              ToUtf16LeWithBom(L"[Config]\r\nTitleText=装机光盘 2026\r\nMainWidth=900\r\nMainHeight=620\r\n"));

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

TEST(Program, WithoutACatalogueShowsTheDefaultTitleAtTheMinimumSize)
{
    TempDir disc;
    const std::wstring exe = CopyProgramTo(disc, L"Quillset.exe");
    RunningProgram program(exe, disc.Path());
    ASSERT_TRUE(program.Started());
    HWND hMain = program.MainWindow();
    ASSERT_NE(hMain, nullptr);
    EXPECT_EQ(Caption(hMain), L"Tovrin Quillset");
    RECT rc{};
    ::GetWindowRect(hMain, &rc);
    EXPECT_EQ(rc.right - rc.left, 800);
    EXPECT_EQ(rc.bottom - rc.top, 500);
    ::PostMessageW(hMain, WM_SYSCOMMAND, SC_CLOSE, 0);
    DWORD exitCode = 0;
    EXPECT_TRUE(program.WaitForExit(10000, &exitCode));
}

} // namespace
