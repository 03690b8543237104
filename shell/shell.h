// Finding, starting and copying the installers the catalogue names.
#pragma once

#include "platform/handles.h"

#include <windows.h>

#include <string>

struct ResolvedItem;

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
    // Starts the located file in its own folder and, when asked, waits until
    // the process ends: a program (.exe, .com) as a process of its own,
    // a package (.msi) through the system's msiexec, anything else by its
    // type's default action. Returns the process handle, which stays valid
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
    // The drive root a "cdrom:\" path was found on; empty for other paths.
    std::wstring m_strDrive;

private:
    void Resolve();

    DWORD m_dwLastError = 0;
};
