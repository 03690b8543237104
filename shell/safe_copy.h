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

// Copies source to target: into a new file of the target's folder, which is
// then moved into place, so that a link at the target is replaced rather
// than written through. An existing target is replaced unless bFailIfExists
// is set. A target folder that passes through a link is refused.
CopyOutcome CopyWithoutFollowingLinks(const std::wstring& source, const std::wstring& target, bool bFailIfExists);
// The same without the look at the folders, for a caller that has looked
// already (a batch that writes many files into one folder); true when the
// copy is in place.
bool CopyIntoPlace(const std::wstring& source, const std::wstring& target, bool bFailIfExists);

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
// Whether two paths name one existing file.
bool SameFile(const std::wstring& a, const std::wstring& b);
