// Every message box and system dialog of the program goes through these
// functions, and so does the restart a user asks for. They are the one
// place where tests may stand in for the user: a test installs hooks that
// read what would be shown and give the answer (and never restarts the
// machine it runs on).
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

// MessageBoxW: returns the button chosen (IDOK, IDYES, IDNO, ...).
int ShowMessageBox(HWND hOwner, const std::wstring& text, const std::wstring& caption, UINT nType);

// The folder browser, opened at startFolder (when it names a folder):
// nullopt when the user cancelled; otherwise the chosen folder's file-system
// path, which is empty for a folder without one.
std::optional<std::wstring> BrowseForFolder(HWND hOwner, const std::wstring& title, const std::wstring& startFolder);

// The save-file dialog, starting from a proposed path: nullopt when the user
// cancelled, otherwise the full chosen path. The filter is a list of
// description and pattern pairs, each ended by a null character.
std::optional<std::wstring> AskSaveFileName(HWND hOwner, const std::wstring& proposed, const std::wstring& filter);

// The path of one of the system's known folders (FOLDERID_Documents, ...),
// without a trailing backslash; empty when the system gives none.
std::wstring KnownFolderPath(const GUID& folderId);

// Restarts the machine through the system's shutdown call, with the
// shutdown privilege enabled for this process; false (and the Windows
// error) when the system refused.
bool RestartSystem();

struct SystemDialogHooks {
    std::function<int(HWND, const std::wstring&, const std::wstring&, UINT)> messageBox;
    std::function<std::optional<std::wstring>(HWND, const std::wstring&, const std::wstring&)> browseForFolder;
    std::function<std::optional<std::wstring>(HWND, const std::wstring&, const std::wstring&)> saveFileName;
    std::function<bool()> restartSystem;
};

// Replaces the hooks; an empty hook shows the real dialog. Hooks may be
// called from any thread (a batch reports from its worker thread).
void SetSystemDialogHooks(SystemDialogHooks hooks);
