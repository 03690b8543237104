// What the button tests share: a visible top-level window that hosts real
// buttons and records the clicks its own handler sees, and pictures made
// on the spot.
#pragma once

#include "platform/handles.h"
#include "platform/wnd.h"
#include "tests/support/test_support.h"

#include <string>
#include <vector>

namespace button_tests {

// Distinct colours for the six slots, so every pixel tells its state.
inline constexpr COLORREF kHoverBack = RGB(200, 220, 255);
inline constexpr COLORREF kHoverText = RGB(0, 0, 255);
inline constexpr COLORREF kNormalBack = RGB(240, 240, 200);
inline constexpr COLORREF kNormalText = RGB(128, 0, 0);
inline constexpr COLORREF kFocusBack = RGB(220, 255, 220);
inline constexpr COLORREF kFocusText = RGB(0, 128, 0);
inline constexpr COLORREF kHotPicture = RGB(255, 0, 0);
inline constexpr COLORREF kNormalPicture = RGB(0, 160, 0);

// A click as the host's own handler saw it.
struct Click {
    UINT nID;
    LRESULT checkState; // BM_GETCHECK at that moment
};

class Host : public testing_support::HostWindow {
public:
    // A top-most pop-up of the given client size at (x, y) on the screen.
    Host(int x = 100, int y = 100, int cx = 400, int cy = 300, COLORREF crBack = RGB(255, 255, 255));
    std::vector<Click> clicks;

protected:
    BOOL OnCommand(WPARAM wp, LPARAM lp) override;
};

// A picture of one colour with a black square of 4 x 4 pixels at (8, 8).
CBitmap MakePicture(int cx, int cy, COLORREF cr);
// A picture of one colour with a black frame one pixel wide.
CBitmap MakeFramedPicture(int cx, int cy, COLORREF cr);

// A font without anti-aliasing, so that text pixels have exact colours.
HFONT CrispFont();

// Moves the mouse pointer onto a window's client point (or off every test
// window) and lets the messages it causes arrive.
void MoveCursorTo(HWND hWnd, POINT ptClient);
void MoveCursorAway();

} // namespace button_tests
