// How the owner-drawn controls show the keyboard focus: a dotted rectangle
// inside the focused button or row, as Windows draws it. Like Windows, the
// cue is left out while the window's UI state hides focus cues (a user who
// has only used the mouse since the window opened), and appears with the
// first key that moves around the window.
#pragma once

#include <windows.h>

namespace focus_cue {

// How far inside a control's or row's edges the rectangle is drawn.
inline constexpr int kInset = 3;

// Whether hWnd shows focus cues now: its UI state lacks UISF_HIDEFOCUS.
inline bool Shown(HWND hWnd) noexcept
{
    return (::SendMessageW(hWnd, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) == 0;
}

// The rectangle the cue is drawn on for a control or row painted over rc.
inline RECT Rect(const RECT& rc) noexcept
{
    return RECT{rc.left + kInset, rc.top + kInset, rc.right - kInset, rc.bottom - kInset};
}

// Draws the cue for a control or row painted over rc; an area too small to
// hold it shows none.
inline void Draw(HDC hDC, const RECT& rc) noexcept
{
    const RECT cue = Rect(rc);
    if (cue.right > cue.left && cue.bottom > cue.top)
        ::DrawFocusRect(hDC, &cue);
}

// Tells the top-level window that the keyboard is in use, so that focus
// cues show from now on.
inline void KeyboardUsed(HWND hWnd) noexcept
{
    ::SendMessageW(hWnd, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
}

} // namespace focus_cue
