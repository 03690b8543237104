// Screen scale: the DPI a window is shown at, 96-DPI sizes turned into
// pixels at that scale, and the program's pictures at that scale.
#pragma once

#include "platform/handles.h"

#include <windows.h>

namespace dpi {

// The DPI every size of the program is given in.
inline constexpr int kBase = 96;
// The scales the pictures are drawn at (in DPI): 1x, 1.5x and 2x. A
// picture drawn at 1.5x is the resource of the 1x number plus
// kArtworkIdStep, at 2x plus twice that.
inline constexpr int kArtworkDpis[] = {96, 144, 192};
inline constexpr UINT kArtworkIdStep = 1000;

// A scale: a 96-DPI size in pixels at this DPI.
struct Scale {
    int dpi = kBase;
    // Rounded to the nearest pixel.
    int Px(int n) const noexcept { return ::MulDiv(n, dpi, kBase); }
    friend bool operator==(const Scale&, const Scale&) = default;
};

// The DPI a window is shown at: the window's own where the system keeps one
// per monitor, else the screen's.
int WindowDpi(HWND hWnd) noexcept;

// The DPI a WM_DPICHANGED message carries in its wParam; 0 when it carries
// none a window could be shown at.
int DpiOfMessage(WPARAM wp) noexcept;

// Which picture scale serves a DPI: the smallest drawn at that DPI or
// above, so a picture is only ever made smaller; the largest beyond them.
int ArtworkDpi(int dpi) noexcept;

// The size a picture drawn at artworkDpi takes at dpi: never less than a
// pixel, so the one-pixel pieces that are stretched stay one pixel.
SIZE ArtworkSize(SIZE drawn, int artworkDpi, int dpi) noexcept;

// Bitmap resource id at the scale: drawn at that scale, or the nearest
// larger one made smaller once, here, with smoothing (never on each paint).
// Null when the resource is absent.
CBitmap LoadBitmapAt(UINT id, const Scale& scale);

// An icon resource at the scale: the icon's image nearest to n 96-DPI
// pixels at that scale.
CIcon LoadIconAt(UINT id, int n, const Scale& scale);

} // namespace dpi
