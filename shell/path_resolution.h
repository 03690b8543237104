// How a configured path or command line becomes an existing file plus
// parameters. The queries of the machine (does a name exist, which drives
// are CD-ROM drives) come in as functions, so the order of the attempts can
// be followed without a file system.
#pragma once

#include <functional>
#include <string>
#include <vector>

// The prefix that stands for "the root of whichever CD-ROM drive holds the
// disc".
inline constexpr wchar_t kCdromPrefix[] = L"cdrom:\\";

struct ResolvedPath {
    bool bFound = false;
    // The located file; on failure the trimmed input, prefix included.
    std::wstring strFile;
    // The parameters: the text after the chosen blank followed by the
    // parameters given, or the parameters given unchanged.
    std::wstring strParameters;
    // The root a "cdrom:\" path was found on (a drive root, or the
    // program's own folder); empty for other paths.
    std::wstring strDrive;
};

// Whether a name exists; with bFolderCounts false only a file counts.
using ExistsQuery = std::function<bool(const std::wstring& name, bool bFolderCounts)>;
using CdromRootsQuery = std::function<std::vector<std::wstring>()>;

// Tries each root in turn (the CD-ROM roots with the prefix, else the text
// as it stands), and on each the whole text, then the parts before a blank
// from the shortest to the longest: the first root that holds a match
// wins. cdromRoots is asked once, and only when the text holds the prefix.
// A folder is taken only as the whole text with no parameters; a part
// before a blank only when it is a program Windows starts (IsProgramName).
// A text that starts with a quote, or whose first quote follows a folder
// prefix ("D:\Soft\"), names its program inside the quotes, as written,
// with the prefix in front unless the quoted path is absolute; the text
// after the closing quote is the parameters. While the queries run, the
// system shows no "no disk" box for an empty drive. A text under the
// system folder is looked up, and found, as NativeSystemPath gives it.
ResolvedPath ResolvePath(const std::wstring& strFile, const std::wstring& strParameters, const ExistsQuery& exists,
                         const CdromRootsQuery& cdromRoots);

// The machine's answers: a name exists when it is shorter than 260
// characters, is neither empty nor a bare drive root, and a file-system
// search finds something (a file, a folder, or a match of a wildcard
// pattern; without bFolderCounts, a file or a pattern matching a file).
bool PathExists(const std::wstring& name, bool bFolderCounts = true);
// The full form of a path, however long; empty when it has none.
std::wstring FullPath(const std::wstring& path);
// The same, or the path as given when it has none.
std::wstring FullPathOrAsGiven(const std::wstring& path);

// Whether a name ends in an extension of a program Windows starts: .exe,
// .msi, .com, .bat or .cmd, in any case.
bool IsProgramName(const std::wstring& name);

// The root of the drive a path lies on, with a trailing backslash: "E:\", or
// "\\server\share\" for a network path; empty for a relative path.
std::wstring DriveRootOf(const std::wstring& path);
// Where "cdrom:\" first looks for a program at programPath: the root of its
// own drive when that is a CD-ROM or removable drive (a disc, or a copy of
// one on a stick), else its own folder, with a trailing backslash (a disc
// copied to a hard disk or a share; never that drive's root, where anyone
// may have made folders). Empty for a path without a folder.
std::wstring OwnCdromRootFor(const std::wstring& programPath);
// The roots "cdrom:\" stands for, for a program at programPath: its own
// root first (OwnCdromRootFor), then "C:\" to "Z:\" in that order, those
// the system reports as CD-ROM drives.
std::vector<std::wstring> CdromRootsFor(const std::wstring& programPath);
// The same two for the running program.
std::vector<std::wstring> CdromRoots();
std::wstring OwnCdromRoot();
// Whether a "cdrom:\" file found under root lies elsewhere than where
// "cdrom:\" first looks for this program (OwnCdromRoot): another drive.
bool IsOtherCdromRoot(const std::wstring& root);

// The name as 64-bit Windows sees it. A 32-bit program on 64-bit Windows
// has its names under the system folder (System32) taken to the 32-bit one
// (SysWOW64): there such a name comes back under "Sysnative", the alias of
// the real system folder, so that the file found, measured, started and
// copied is the one a technician put there. Elsewhere, and for any other
// name, the name comes back unchanged.
std::wstring NativeSystemPath(const std::wstring& name);

