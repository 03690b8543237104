// A copy of a program started as a process of its own, as a user starts it,
// and the top-level window it shows.
#pragma once

#include "tests/support/test_support.h"

#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

// A running program; ended when the object goes if it is still running.
class RunningProgram {
public:
    // The arguments follow the program's quoted path on its command line;
    // with an output file, the program's standard output goes there.
    RunningProgram(const std::wstring& exePath, const std::wstring& currentDir, const std::wstring& arguments = L"",
                   const std::wstring& outputFile = L"");
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;
    ~RunningProgram();

    bool Started() const { return m_started; }
    // The program's first visible top-level window without owner, waited
    // for while this thread's messages are pumped; null when none appeared.
    HWND MainWindow(DWORD timeoutMs = 20000) const;
    // Waits for the program to end and gives its exit code.
    bool WaitForExit(DWORD timeoutMs, DWORD* pExitCode) const;
    DWORD ProcessId() const { return m_pi.dwProcessId; }

private:
    bool m_started = false;
    PROCESS_INFORMATION m_pi{};
};

class TempDir;

// A copy of the program under test (Quillset.exe beside the test program) in
// a folder under the given name; returns its path.
std::wstring CopyProgramTo(const TempDir& dir, const std::wstring& name);

// A window's caption.
std::wstring Caption(HWND hWnd);
// The text of a message box; empty for any other window.
std::wstring MessageBoxText(HWND hBox);

// A visible window owned by hOwner whose caption starts with caption (a
// message box of the program, say; an empty caption: any such window); null
// when there is none. The second waits for one while this thread's messages
// are pumped.
HWND FindOwnedWindow(HWND hOwner, const std::wstring& caption);
HWND WaitForOwnedWindow(HWND hOwner, const std::wstring& caption, DWORD timeoutMs = 20000);

// The open popup menu of a process, waited for while this thread's messages
// are pumped; null when none opened in the time.
HWND WaitForMenu(DWORD pid, DWORD timeoutMs = 10000);

// The text of one column of every row of a list of another process, as a
// screen reader reads it (through a buffer in that process).
std::vector<std::wstring> ListRowTexts(HWND hList, int nColumn = 0);
// Whether each row of such a list is checked.
std::vector<bool> ListRowChecks(HWND hList);

// The program on a disc of its own under a catalogue, with copies of the
// demo installer and of the hanging one under the names given; the demo
// installer logs its runs into the disc's install.log, the hanging one its
// process ids into pids.txt. Hanging installers still running are ended,
// and the environment cleared, when the disc goes.
class InstallerDisc {
public:
    InstallerDisc(const std::wstring& catalogue, const std::vector<std::wstring>& demoNames,
                  const std::vector<std::wstring>& hangingNames = {});
    ~InstallerDisc();
    InstallerDisc(const InstallerDisc&) = delete;
    InstallerDisc& operator=(const InstallerDisc&) = delete;

    std::wstring operator/(const std::wstring& relative) const { return m_dir / relative; }
    const std::wstring& Path() const { return m_dir.Path(); }
    std::wstring Program() const { return m_dir / L"Quillset.exe"; }
    // What the demo installer has logged: one line per run.
    std::wstring Installed() const;

private:
    TempDir m_dir;
};

} // namespace testing_support
