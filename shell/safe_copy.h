// Copies into folders that others may write to: nothing is ever written
// through a link that stands where the copy goes.
#pragma once

#include <windows.h>

#include <compare>
#include <optional>
#include <string>

enum class CopyOutcome {
    kCopied,
    kFailed,
    // The target's folder, or a folder above it, is a link or another
    // reparse point: nothing was written.
    kFolderIsLink,
};

// The Windows error a copy refused at a link reports: "the create operation
// stopped after reaching a symbolic link" (ERROR_STOPPED_ON_SYMLINK, which
// not every SDK's headers name).
inline constexpr DWORD kErrorStoppedOnLink = 681;

// Whether a folder or one of the folders above it is a symbolic link, a
// junction or another reparse point.
bool FolderPassesThroughLink(const std::wstring& folder);

// Copies the open file hSource (read from its start) to target: into a new
// file of the target's folder, which is then moved into place, so that a
// link at the target is replaced rather than written through. An existing
// target is replaced unless bFailIfExists is set. A target folder that
// passes through a link is refused.
CopyOutcome CopyWithoutFollowingLinks(HANDLE hSource, const std::wstring& target, bool bFailIfExists);
// The same without the look at the folders, for a caller that has looked
// already (a batch that writes many files into one folder); true when the
// copy is in place.
bool CopyIntoPlace(HANDLE hSource, const std::wstring& target, bool bFailIfExists);
// Copies the open file hSource, from its start, into a new file target
// (CREATE_NEW: nothing there is followed or replaced), with the source's
// times; a copy that fails half-way is removed. False with the Windows
// error set when it could not be made.
bool CopyToNewFile(HANDLE hSource, const std::wstring& target);
// The size of each read of a copy.
inline constexpr size_t kCopyBufferBytes = 1024 * 1024;

// What tells one file from another, however its path is spelt: the volume
// and the file's index on it.
struct FileIdentity {
    DWORD dwVolume = 0;
    DWORD dwIndexHigh = 0;
    DWORD dwIndexLow = 0;
    bool operator==(const FileIdentity&) const = default;
    auto operator<=>(const FileIdentity&) const = default;
};
// The identity of an existing file or folder; nullopt when it cannot be had.
std::optional<FileIdentity> IdentityOf(const std::wstring& path);
