// A folder the program writes into, opened once and held open for as long
// as the writing goes on: every folder on its path was checked to be a
// folder of its own (no symbolic link, junction or other reparse point), and
// none of them can be renamed or removed while held. Every file it makes is
// checked by its handle to lie in the held folder, before and after it is
// moved onto its name, so a folder swapped on the way (even by a program
// that ignores the hold) never receives a byte.
#pragma once

#include "platform/handles.h"

#include <windows.h>

#include <string>
#include <vector>

// The Windows error for a folder that is or passes through a link, or a
// file that did not land in the held folder: "the create operation stopped
// after reaching a symbolic link" (ERROR_STOPPED_ON_SYMLINK, which not every
// SDK's headers name).
inline constexpr DWORD kErrorStoppedOnLink = 681;

class CHeldFolder {
public:
    CHeldFolder() = default;
    CHeldFolder(CHeldFolder&&) = default;
    CHeldFolder& operator=(CHeldFolder&&) = default;

    // Opens the folder and every folder above it, each checked and held;
    // missing ones are made when bCreate. pDacl, when given, becomes the
    // folder's own protected access list (made or found). False, with the
    // Windows error in Error() and as the last error, when it cannot be held.
    bool Hold(const std::wstring& folder, bool bCreate, PACL pDacl = nullptr);
    // Holds the folder name of the held folder parent (made when missing and
    // bCreate), and every folder parent holds: the new level is opened
    // without following a link, and checked by its handle to be a folder of
    // its own whose place is that name in parent. A name that is no single
    // folder name (empty, ".", "..", a separator or a character no name
    // may hold) fails with ERROR_INVALID_NAME, a link standing at the name
    // with kErrorStoppedOnLink.
    bool HoldBelow(const CHeldFolder& parent, const std::wstring& name, bool bCreate);
    // Lets go of the folder.
    void Release();

    bool IsHeld() const noexcept { return !m_folders.empty(); }
    DWORD Error() const noexcept { return m_dwError; }
    // The folder's full path, without a trailing backslash.
    const std::wstring& Path() const noexcept { return m_strPath; }

    // Makes a new file of the folder under name (nothing may stand there, a
    // link included), checked to lie in the folder; null and the last error
    // when it cannot be made.
    CFileHandle CreateNew(const std::wstring& name, DWORD dwAccess) const;
    // Fills a new file from the start of hSource (or with bytes): under
    // name when it is free, else beside it, moved onto name: whatever stood
    // there, a link included, is replaced, never written through; with
    // bFailIfExists an existing name fails with ERROR_ALREADY_EXISTS. The
    // copy keeps the source's time of last change. Nothing is left behind
    // when it fails.
    bool CopyInto(HANDLE hSource, const std::wstring& name, bool bFailIfExists) const;
    bool WriteInto(const std::string& bytes, const std::wstring& name, bool bFailIfExists) const;
    // Whether a new file can be made in the folder: one is made under a
    // free name and goes again at once. False with the last error when not.
    bool CanWrite() const;
    // Moves an open file of this folder onto name, checked afterwards.
    bool MoveOnto(HANDLE hFile, const std::wstring& name, bool bReplace) const;

private:
    // Whether the file behind hFile is name in the held folder.
    bool Lies(HANDLE hFile, const std::wstring& name) const;
    CFileHandle NewTemporary(std::wstring& name) const;
    // Deletes the file that holds name in the folder (a link itself, never
    // what it leads to); nothing when the name is free, a folder's, or
    // leads elsewhere.
    void RemoveOld(const std::wstring& name) const;

    std::vector<CFileHandle> m_folders; // from the drive's root down
    std::wstring m_strPath;
    std::wstring m_strFinal; // the held folder's final path, as its handle names it
    DWORD m_dwError = ERROR_PATH_NOT_FOUND;
};

// Whether something stands at the path that is a link of any kind (a
// symbolic link, a junction or another reparse point), dangling or not.
bool IsLinkAt(const std::wstring& path);

// Opens an existing file for reading its bytes, shared only with readers.
CFileHandle OpenForCopy(const std::wstring& path);
