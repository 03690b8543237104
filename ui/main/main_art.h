// What every list and button of the main window shares: one font, the
// dialog's font at the window's scale, and the row pictures of the lists,
// loaded once per process and scale.
#pragma once

#include "platform/dpi.h"
#include "platform/handles.h"

#include <array>
#include <map>
#include <memory>

namespace main_art {

// The point size of the dialog's font.
inline constexpr int kFontPoints = 9;

// The shared font; null until MakeMainFont has run.
HFONT MainFont() noexcept;
// Makes the shared font as the dialog's font at nDpi, unless it is made at
// that DPI already. Returns the font it replaces, to be let go once every
// window that used it has the new one.
CFont MakeMainFont(HFONT hDialogFont, int nDpi);

// The row pictures of the lists, loaded once and shared by every list.
class CRowBitmaps {
public:
    explicit CRowBitmaps(const dpi::Scale& scale);
    HBITMAP Get(UINT id) const;
    // Middle, left and right pieces, each not selected and selected (the
    // selected piece serves with and without the focus).
    std::array<HBITMAP, 9> Table(UINT mid, UINT selMid, UINT left, UINT selLeft, UINT right, UINT selRight) const;

private:
    std::map<UINT, CBitmap> m_bitmaps;
};

// The row pictures at a scale; they stay while the process runs, so a list
// may keep those it was given.
const CRowBitmaps& RowBitmaps(const dpi::Scale& scale);

} // namespace main_art
