#include "ui/main/main_art.h"

#include "res/resource.h"

namespace main_art {

namespace {

CFont s_fontMain;

} // namespace

HFONT MainFont() noexcept
{
    return s_fontMain.Get();
}

void MakeMainFont(HFONT hDialogFont)
{
    if (s_fontMain)
        return;
    LOGFONTW lf{};
    ::GetObjectW(hDialogFont, sizeof(lf), &lf);
    s_fontMain.Reset(::CreateFontIndirectW(&lf));
}

CRowBitmaps::CRowBitmaps()
{
    for (UINT id : {IDB_ROW_MID, IDB_ROW_LEFT, IDB_ROW_RIGHT, IDB_ROW_SEL_MID, IDB_ROW_SEL_LEFT, IDB_ROW_SEL_RIGHT,
                    IDB_HEADER_MID, IDB_HEADER_LEFT, IDB_HEADER_RIGHT, IDB_PANE_ROW_MID, IDB_PANE_ROW_LEFT,
                    IDB_PANE_ROW_RIGHT, IDB_PANE_SEL_MID, IDB_PANE_SEL_LEFT, IDB_PANE_SEL_RIGHT})
        m_bitmaps[id] = LoadBitmapResource(id);
}

HBITMAP CRowBitmaps::Get(UINT id) const
{
    const auto it = m_bitmaps.find(id);
    return it == m_bitmaps.end() ? nullptr : it->second.Get();
}

std::array<HBITMAP, 9> CRowBitmaps::Table(UINT mid, UINT selMid, UINT left, UINT selLeft, UINT right,
                                         UINT selRight) const
{
    return {Get(mid), Get(selMid), Get(selMid), Get(left), Get(selLeft), Get(selLeft), Get(right), Get(selRight),
            Get(selRight)};
}

const CRowBitmaps& RowBitmaps()
{
    static const CRowBitmaps s_rowBitmaps;
    return s_rowBitmaps;
}

} // namespace main_art
