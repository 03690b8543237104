// One batch at a time on a machine: two installers at once fail with 1618
// or break each other. A batch holds a named object from before its first
// item to its end; a second batch finds it there and is refused.
#pragma once

#include "platform/handles.h"

#include <windows.h>

#include <string>

// The lock's name: in the Global\ namespace, where standard users cannot
// make objects, for a run with administrator rights; in the session's
// Local\ namespace otherwise.
std::wstring BatchLockName(bool bAdministrator);

class CBatchLock {
public:
    // Takes the machine's batch lock. A run with administrator rights makes
    // the Global\ object with an access list of SYSTEM and Administrators
    // alone, so no standard user can open it, let alone keep it alive; a
    // run without them is refused also while an administrators' batch
    // holds its lock. False when another batch holds it, or when it cannot
    // be had (Error() tells: ERROR_INSTALL_ALREADY_RUNNING for another
    // batch, else the Windows error).
    bool Take();
    bool Held() const noexcept { return static_cast<bool>(m_hLock); }
    DWORD Error() const noexcept { return m_dwError; }

private:
    CKernelHandle m_hLock;
    DWORD m_dwError = 0;
};

// Why a batch was refused for the lock, in the user's words.
std::wstring BatchLockRefusal(DWORD dwError);
