// Batch items looked up once: what a batch, a row action or the command
// line confirms and then acts on, never looked up by name again. Just before
// an item starts or is copied, its file is opened again and must still be
// the file that was resolved; from then on it is held so that nobody can
// write, replace or delete it until the program has read it.
#pragma once

#include "platform/handles.h"
#include "shell/safe_copy.h"

#include <windows.h>

#include <string>
#include <vector>

// What else tells the file found from one put in its place later, should
// the file system give the new one the old one's index: its kind, size and
// last write.
struct FileStamp {
    bool bFolder = false;
    ULONGLONG nSize = 0;
    ULONGLONG nWritten = 0;
    bool operator==(const FileStamp&) const = default;
};

struct ResolvedItem {
    // The catalogue entry the item comes from (may be empty).
    std::wstring strName;
    // The configured text, as the catalogue has it.
    std::wstring strConfigured;
    bool bFound = false;
    // The file's final path (links and junctions followed) when found; else
    // the configured text, trimmed.
    std::wstring strFile;
    std::wstring strParameters;
    // The drive root a "cdrom:\" item was found on; empty for other items.
    std::wstring strDrive;
    // The file that was found: its index on the volume strFile names.
    ULONGLONG nIndex = 0;
    FileStamp stamp;
};

// Looks the configured text up (CShell's resolution), opens what it found
// and takes that file's final path and identity. A name that cannot be
// opened counts as not found.
ResolvedItem ResolveItem(const std::wstring& strName, const std::wstring& strConfigured);
// The same for each text, names[i] naming texts[i] (a missing name is empty).
std::vector<ResolvedItem> ResolveItems(const std::vector<std::wstring>& names,
                                       const std::vector<std::wstring>& texts);

// Whether a "cdrom:\" item was found on another drive than the one this
// program runs from.
bool FromOtherDrive(const ResolvedItem& item);
// Whether a run leaves a file alone for the drive it was found on: one
// found on another drive (FromOtherDrive) in an unattended run that does
// not allow it.
bool RefusedForDrive(bool bFromOtherDrive, bool bUnattended, bool bAnyDrive);

// The Windows error an item reports whose file is no longer the one that
// was resolved: ERROR_FILE_INVALID, "the volume for a file has been
// externally altered so that the opened file is no longer valid".
inline constexpr DWORD kErrorFileReplaced = ERROR_FILE_INVALID;

// A resolved item's file, opened again and held open: read sharing only,
// so that nobody writes, replaces, renames or deletes it while held.
class CHeldFile {
public:
    CHeldFile() noexcept = default;
    // Opens the item's file by its final path and keeps it when it is the
    // resolved file still (same identity, same final path); else holds
    // nothing, and Error() tells why: kErrorFileReplaced for another file
    // in its place (or the file changed since), the system's error when it
    // cannot be opened.
    explicit CHeldFile(const ResolvedItem& item);

    bool Held() const noexcept { return static_cast<bool>(m_hFile); }
    HANDLE Get() const noexcept { return m_hFile.Get(); }
    DWORD Error() const noexcept { return m_dwError; }
    // Lets the file go.
    void Release() noexcept { m_hFile.Reset(); }

private:
    CFileHandle m_hFile;
    DWORD m_dwError = 0;
};

// Whether a started file is read by its process after the process has
// started (a package read by msiexec, a batch file read by cmd.exe line by
// line): such a file is held until its process ends, others until it has
// started.
bool ReadAfterStart(const std::wstring& file);

// Whether a started file is a package whose work the Windows Installer
// service does: ending the msiexec that was started does not end that work.
bool InstalledByWindowsInstaller(const std::wstring& file);
