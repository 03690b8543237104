// The program as a user starts it: Quillset.exe copied into a folder beside
// a catalogue, started as a process of its own.
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace testing_support;

struct FoundWindow {
    DWORD processId;
    HWND hWnd;
};

BOOL CALLBACK FindTopLevel(HWND hWnd, LPARAM lp)
{
    auto* pFound = reinterpret_cast<FoundWindow*>(lp);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hWnd, &pid);
    if (pid == pFound->processId && ::IsWindowVisible(hWnd) && !::GetWindow(hWnd, GW_OWNER)) {
        pFound->hWnd = hWnd;
        return FALSE;
    }
    return TRUE;
}

// A running copy of the program; ended when the object goes.
class RunningProgram {
public:
    RunningProgram(const std::wstring& exePath, const std::wstring& currentDir)
    {
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        std::wstring commandLine = L"\"" + exePath + L"\"";
        m_started = ::CreateProcessW(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                     currentDir.c_str(), &si, &m_pi) != FALSE;
    }
    ~RunningProgram()
    {
        if (!m_started)
            return;
        if (::WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT)
            ::TerminateProcess(m_pi.hProcess, 1);
        ::CloseHandle(m_pi.hThread);
        ::CloseHandle(m_pi.hProcess);
    }
    bool Started() const { return m_started; }
    HWND MainWindow(DWORD timeoutMs = 20000) const
    {
        FoundWindow found{m_pi.dwProcessId, nullptr};
        PumpUntil(
            [&] {
                ::EnumWindows(&FindTopLevel, reinterpret_cast<LPARAM>(&found));
                return found.hWnd != nullptr;
            },
            std::chrono::milliseconds(timeoutMs));
        return found.hWnd;
    }
    bool WaitForExit(DWORD timeoutMs, DWORD* pExitCode) const
    {
        if (::WaitForSingleObject(m_pi.hProcess, timeoutMs) != WAIT_OBJECT_0)
            return false;
        ::GetExitCodeProcess(m_pi.hProcess, pExitCode);
        return true;
    }

private:
    bool m_started = false;
    PROCESS_INFORMATION m_pi{};
};

std::wstring Caption(HWND hWnd)
{
    wchar_t text[512] = {};
    ::GetWindowTextW(hWnd, text, 512);
    return text;
}

std::wstring CopyProgramTo(const TempDir& dir, const std::wstring& name)
{
    const std::wstring target = dir / name;
    ::CopyFileW((ProgramFolder() + L"Quillset.exe").c_str(), target.c_str(), FALSE);
    return target;
}

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
