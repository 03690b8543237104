// Opening a document or an address the way the desktop's user opens it:
// with the user's rights, never with this program's, which may run elevated.
#pragma once

#include <functional>
#include <string>

// Opens file with its type's default action, with the parameters and in the
// folder given (either may be empty), through the desktop's own shell (the
// shell's window process, which runs with the desktop user's rights), as
// Explorer opens what a user double-clicks. Where the desktop's shell cannot
// be reached, the file is opened directly only while this program runs
// without elevation; an elevated program never opens it itself, since the
// type's program would come from the user's own registry classes and run
// elevated. False when it was not opened (the thread's last error says why).
bool OpenAsDesktopUser(const std::wstring& file, const std::wstring& parameters, const std::wstring& folder);

// Whether this process runs elevated; true when that cannot be told.
bool RunsElevated();

// The way through the desktop's shell, for tests that must see whether it
// was taken: the hook gets file, parameters and folder and says whether it
// opened the file. An empty hook restores the desktop's shell.
using DesktopShellHook =
    std::function<bool(const std::wstring& file, const std::wstring& parameters, const std::wstring& folder)>;
void SetDesktopShellHook(DesktopShellHook hook);
