// The three links of an entry row: "手动安装" starts the entry's interactive
// installer, "自动安装" its unattended install command, "保存安装包" copies
// its installer to a file the technician picks. Each acts at once on the one
// entry and reports missing files and failures in a message box.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct SoftwareEntry;

namespace row_actions {

// The column of an entry list that holds the links.
inline constexpr int kLinkColumn = 2;

// The links, numbered as the list numbers the link under the pointer.
inline constexpr int kManualInstall = 1;
inline constexpr int kAutoInstall = 2;
inline constexpr int kSaveInstaller = 3;

// The file the save dialog proposes for a configured installer path: the
// text after the path's last backslash in the folder savePath (the folder
// alone when the path has no backslash).
std::wstring ProposedTarget(const std::wstring& savePath, const std::wstring& configured);

// Where saving starts, by a row's save dialog or a batch's folder browser:
// the folder last saved to in this run, else the catalogue's SavePath, else
// the user's Documents folder (never the disc, which is read-only).
std::wstring SaveStartFolder(const std::wstring& lastUsed, const std::wstring& configured);

// Carries out link nAction on entry: message boxes and the save dialog are
// owned by hOwner, savePath is the folder the save dialog starts from. A
// number that is no link does nothing. A started installer runs on; nothing
// of it is kept. Returns the folder an installer was saved in, else empty.
std::wstring Perform(HWND hOwner, int nAction, const SoftwareEntry& entry, const std::wstring& savePath);

} // namespace row_actions
