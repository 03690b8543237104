// Where the running program lies.
#pragma once

#include "platform/handles.h"

#include <windows.h>

#include <string>

// The full path of the running executable as it was started, however long;
// empty when the system does not give it whole.
std::wstring RunningExecutablePath();

// The folder of an executable's full path: everything up to and including
// its last backslash; empty when there is none.
std::wstring ExecutableFolder(const std::wstring& exePath);

// The path of an open file or folder as the file system has it now, every
// link and junction on the way followed: "D:\Soft\setup.exe" or
// "\\server\share\setup.exe", without the "\\?\" form; empty when the
// system cannot tell.
std::wstring FinalPathOf(HANDLE hFile);

// The running program's own place, taken once at start from its opened
// executable: the file's final path, and its folder held open without
// delete sharing for as long as the program runs, so that nobody can move
// or re-point the folder it stands for.
class CProgramPlace {
public:
    // Opens the executable and its folder; the place stays empty when the
    // executable cannot be opened.
    CProgramPlace();
    // The executable's final path, or empty.
    const std::wstring& Path() const noexcept { return m_strPath; }
    // Its folder, with a trailing backslash, or empty.
    std::wstring Folder() const { return ExecutableFolder(m_strPath); }

private:
    std::wstring m_strPath;
    CFileHandle m_hFolder;
};

// The place of this process, taken the first time it is asked for.
const CProgramPlace& ProgramPlace();
