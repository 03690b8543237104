// The three links of an entry row: "手动安装" starts the entry's interactive
// installer, "自动安装" its unattended install command, each as a batch of
// one; "保存安装包" copies its installer to a file the technician picks.
// What stands in the way (no file, no command) is told in a message box.
#pragma once

#include "shell/resolved_item.h"

#include <windows.h>

#include <optional>
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

// The caption of a link's message boxes: the link's name.
std::wstring Caption(int nAction);

// What link nAction (kManualInstall or kAutoInstall) of entry installs,
// looked up once: the item its batch of one runs. Nothing when it is not to
// run: the entry has no automatic install, its file is not there (told in a
// message box owned by hOwner), or it lies on another drive and the
// technician did not agree to it.
std::optional<ResolvedItem> InstallItem(HWND hOwner, int nAction, const SoftwareEntry& entry);

// Copies entry's installer to a file the technician picks, the save dialog
// starting in savePath, behind the progress window; the outcome is told in
// a message box owned by hOwner. Returns the folder it was saved in, else
// empty.
std::wstring SaveInstaller(HWND hOwner, const SoftwareEntry& entry, const std::wstring& savePath);

} // namespace row_actions
