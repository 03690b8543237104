// The list control's lock on its window's updates while it changes its look
// or its rows.
#pragma once

#include <windows.h>

// Window updates of one control locked for a scope. A lock that could not
// be taken (another window holds the one lock there is) is not released. A
// window that is not on show paints nothing and is not locked; nor is a
// missing one (a null window would release whatever lock another holds).
class CUpdateLock {
public:
    explicit CUpdateLock(HWND hWnd) noexcept
        : m_bLocked(hWnd && ::IsWindowVisible(hWnd) && ::LockWindowUpdate(hWnd) != FALSE)
    {
    }
    CUpdateLock(const CUpdateLock&) = delete;
    CUpdateLock& operator=(const CUpdateLock&) = delete;
    ~CUpdateLock()
    {
        if (m_bLocked)
            ::LockWindowUpdate(nullptr);
    }

private:
    bool m_bLocked;
};
