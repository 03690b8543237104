// Copies into folders that others may write to: nothing is ever written
// through a link that stands where the copy goes.
#pragma once

#include "shell/held_folder.h"

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

// Copies the open file hSource (read from its start) to target, through
// the target's folder held for the copy (CHeldFolder::CopyInto): a link at
// the target is replaced rather than written through. An existing target
// is replaced unless bFailIfExists is set. A target folder that passes
// through a link is refused.
CopyOutcome CopyWithoutFollowingLinks(HANDLE hSource, const std::wstring& target, bool bFailIfExists);

// What tells one file from another, however its path is spelt: the volume
// and the file's index on it.
struct FileIdentity {
    DWORD dwVolume = 0;
    DWORD dwIndexHigh = 0;
    DWORD dwIndexLow = 0;
    bool operator==(const FileIdentity&) const = default;
    auto operator<=>(const FileIdentity&) const = default;
};
// The identity of an existing file or folder, or of an open one; nullopt
// when it cannot be had.
std::optional<FileIdentity> IdentityOf(const std::wstring& path);
std::optional<FileIdentity> IdentityOf(HANDLE hFile);
// The file's index on its volume alone, which is quick to learn where the
// volume is not: two files whose indexes differ are never one file, and
// only equal indexes need their whole identities compared. nullopt when it
// cannot be had.
std::optional<ULONGLONG> FileIndexOf(const std::wstring& path);
std::optional<ULONGLONG> FileIndexOf(HANDLE hFile);
// Whether two paths name one existing file.
bool SameFile(const std::wstring& a, const std::wstring& b);
