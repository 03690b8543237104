// A save folder checked when it is chosen, before anything is asked or
// copied: a batch that could only fail every item is never started.
#pragma once

#include "batch/save_plan.h"
#include "shell/resolved_item.h"

#include <windows.h>

#include <string>
#include <vector>

struct SaveFolderCheck {
    // 0 when the folder can take the batch; else the Windows error (or
    // ERROR_DISK_FULL for too little room).
    DWORD dwError = 0;
    // Why not, in the user's words; empty when it can.
    std::wstring strReason;
    bool Ok() const noexcept { return strReason.empty(); }
};

// The bytes a save batch copies into folder: each found item's file once,
// none that is already there, and with a disc what the entries bring
// (icons, programs, the installers' folders).
ULONGLONG BytesToSave(const std::vector<ResolvedItem>& items, const std::wstring& folder,
                      const SaveDisc* pDisc = nullptr);

// Checks folder as the batch will use it: it can be held (it is there, or
// is made when bCreate, and neither it nor a folder above it is a link or
// junction), a new file can be written in it, and its drive has room for
// nBytes.
SaveFolderCheck CheckSaveFolder(const std::wstring& folder, bool bCreate, ULONGLONG nBytes);
