// Finding, starting and copying the installers the catalogue names.
#pragma once

#include "platform/handles.h"

#include <windows.h>

#include <string>

struct ResolvedItem;

// Why Run or CopyTo refused a file it had found, beside the system's own
// errors (bit 29 marks an application's codes, which Windows never uses).
// In an unattended run: a file that is no program, package or batch file;
// a "cdrom:\" file found on another drive than the program's own.
inline constexpr DWORD kErrorNotAProgram = 0x20000001;
inline constexpr DWORD kErrorOtherDrive = 0x20000002;
// An entry the catalogue gives no command for the install asked for.
inline constexpr DWORD kErrorNoCommand = 0x20000003;

// The words for those codes; empty for any other.
std::wstring RefusalText(DWORD dwError);

class CShell {
public:
    CShell() noexcept = default;
    // Stores the file and parameters and locates the file at once.
    CShell(const std::wstring& strFile, const std::wstring& strParameters);
    CShell(const CShell&) = delete;
    CShell& operator=(const CShell&) = delete;
    virtual ~CShell() = default;

    // Stores both strings and resolves them: 1 when an existing file was
    // found (m_strFile is then that file, m_strParameters its parameters),
    // else 0 (m_strFile is the trimmed input, the parameters are unchanged).
    int Locate(const std::wstring& strFile, const std::wstring& strParameters);
    // Takes an item resolved before as located, without looking it up
    // again: its final path, parameters and drive.
    void Take(const ResolvedItem& item);
    // The file; the parameters come back through strParameters.
    std::wstring GetFile(std::wstring& strParameters) const;
    // Whether the last Locate found a "cdrom:\" path elsewhere than where
    // "cdrom:\" first looks for this program (OwnCdromRoot): another drive.
    bool FoundOnOtherDrive() const;
    // Whether Run and CopyTo refuse the located file for where it lies: a
    // file FoundOnOtherDrive in an unattended run that does not allow it.
    bool RefusedForItsDrive() const;
    // Starts the located file in its own folder and, when asked, waits until
    // the process ends, never through the file associations, which an
    // elevated process would take from the user's own registry classes: a
    // program (.exe, .com) as a process of its own, a package (.msi)
    // through the system's msiexec, a batch file (.bat, .cmd) through the
    // system's cmd.exe. Any other file is refused in an unattended run and
    // otherwise opened as the desktop's user opens it (OpenAsDesktopUser),
    // which gives no process. Returns the process handle, which stays valid
    // until the next Run or until this object goes; null when nothing was
    // started.
    HANDLE Run(bool bWait);
    // Copies the located file to strTarget without writing through a link
    // there (CopyWithoutFollowingLinks); non-zero on success.
    int CopyTo(const std::wstring& strTarget, bool bFailIfExists);
    // The Windows error of the last Run or CopyTo: 0 when it succeeded (or
    // when the shell opened the file without a process of its own).
    DWORD LastError() const noexcept { return m_dwLastError; }

    int m_bFound = 0;
    // The process of the last Run; released on the next Run and with the object.
    CKernelHandle m_hProcess;
    std::wstring m_strFile;
    std::wstring m_strParameters;
    // The root a "cdrom:\" path was found on (a drive root, or this
    // program's own folder); empty for other paths.
    std::wstring m_strDrive;
    // Whether nobody watches what starts (a deployment tool's run), and
    // whether such a run may take "cdrom:\" files from other drives.
    bool m_bUnattended = false;
    bool m_bAnyDrive = false;
    // The job object Run puts the process it starts into (none when null),
    // and whether the last Run's process is in it: one that is can be ended
    // with every process it has started.
    HANDLE m_hJob = nullptr;
    bool m_bInJob = false;

private:
    void Resolve();

    DWORD m_dwLastError = 0;
};
