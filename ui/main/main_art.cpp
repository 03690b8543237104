#include "ui/main/main_art.h"

#include "res/resource.h"

namespace main_art {

namespace {

CFont s_fontMain;
int s_nFontDpi = 0;

} // namespace

HFONT MainFont() noexcept
{
    return s_fontMain.Get();
}

CFont MakeMainFont(HFONT hDialogFont, int nDpi)
{
    if (s_fontMain && s_nFontDpi == nDpi)
        return CFont();
    LOGFONTW lf{};
    ::GetObjectW(hDialogFont, sizeof(lf), &lf);
    lf.lfHeight = -::MulDiv(kFontPoints, nDpi, 72);
    lf.lfWidth = 0;
    CFont old(s_fontMain.Release());
    s_fontMain.Reset(::CreateFontIndirectW(&lf));
    s_nFontDpi = nDpi;
    return old;
}

CRowBitmaps::CRowBitmaps(const dpi::Scale& scale)
{
    for (UINT id : {IDB_ROW_MID, IDB_ROW_LEFT, IDB_ROW_RIGHT, IDB_ROW_SEL_MID, IDB_ROW_SEL_LEFT, IDB_ROW_SEL_RIGHT,
                    IDB_HEADER_MID, IDB_HEADER_LEFT, IDB_HEADER_RIGHT, IDB_PANE_ROW_MID, IDB_PANE_ROW_LEFT,
                    IDB_PANE_ROW_RIGHT, IDB_PANE_SEL_MID, IDB_PANE_SEL_LEFT, IDB_PANE_SEL_RIGHT})
        m_bitmaps[id] = dpi::LoadBitmapAt(id, scale);
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

const CRowBitmaps& RowBitmaps(const dpi::Scale& scale)
{
    static std::map<int, std::unique_ptr<CRowBitmaps>> s_byDpi;
    std::unique_ptr<CRowBitmaps>& bitmaps = s_byDpi[scale.dpi];
    if (!bitmaps)
        bitmaps = std::make_unique<CRowBitmaps>(scale);
    return *bitmaps;
}

} // namespace main_art
