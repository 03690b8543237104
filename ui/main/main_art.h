// What every list and button of the main window shares: one font, a copy
// of the dialog's font, and the row pictures of the lists, each loaded once
// per process.
#pragma once

#include "platform/handles.h"

#include <array>
#include <map>

namespace main_art {

// The shared font; null until MakeMainFont has run.
HFONT MainFont() noexcept;
// Makes the shared font as a copy of the dialog's font, once.
void MakeMainFont(HFONT hDialogFont);

// The row pictures of the lists, loaded once and shared by every list.
class CRowBitmaps {
public:
    CRowBitmaps();
    HBITMAP Get(UINT id) const;
    // Middle, left and right pieces, each not selected and selected (the
    // selected piece serves with and without the focus).
    std::array<HBITMAP, 9> Table(UINT mid, UINT selMid, UINT left, UINT selLeft, UINT right, UINT selRight) const;

private:
    std::map<UINT, CBitmap> m_bitmaps;
};

const CRowBitmaps& RowBitmaps();

} // namespace main_art
