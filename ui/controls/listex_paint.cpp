// How the catalogue list paints: the background erase, the widened paint
// area, and each row on its bitmaps with its check box, icon, texts, cells
// and links.
#include "ui/controls/ListEx.h"

#include "platform/handles.h"
#include "ui/controls/focus_cue.h"
#include "ui/controls/list_geometry.h"
#include "ui/controls/list_text.h"

#include <algorithm>

using namespace list_geometry;
using namespace list_text;

namespace {

constexpr COLORREF kTitleRelief = RGB(255, 255, 255);
constexpr COLORREF kTitleText = RGB(44, 67, 85);

// The drawing state of one device context, restored when the scope ends.
class CSaveDC {
public:
    explicit CSaveDC(HDC hDC) noexcept : m_hDC(hDC), m_nSaved(::SaveDC(hDC)) {}
    CSaveDC(const CSaveDC&) = delete;
    CSaveDC& operator=(const CSaveDC&) = delete;
    ~CSaveDC()
    {
        if (m_nSaved)
            ::RestoreDC(m_hDC, m_nSaved);
    }

private:
    HDC m_hDC;
    int m_nSaved;
};

void DrawTextIn(HDC hDC, const std::wstring& text, RECT box, UINT nFormat) noexcept
{
    ::DrawTextW(hDC, text.c_str(), static_cast<int>(text.size()), &box, nFormat);
}

void FillSolid(HDC hDC, const RECT& rc, COLORREF cr) noexcept
{
    const COLORREF old = ::SetBkColor(hDC, cr);
    ::ExtTextOutW(hDC, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
    ::SetBkColor(hDC, old);
}

// Stretches the whole bitmap over the box, through a memory context. The
// common cases take quicker ways to the same pixels: a bitmap of the box's
// size is copied, and one a pixel wide and as high as the box is laid
// side by side as a brush pattern.
void StretchBitmap(HDC hDC, HDC hMemDC, HBITMAP hBitmap, const RECT& box) noexcept
{
    BITMAP bm{};
    if (!hBitmap || !::GetObjectW(hBitmap, sizeof(bm), &bm) || !bm.bmWidth)
        return;
    const int cx = box.right - box.left;
    const int cy = box.bottom - box.top;
    if (cx <= 0 || cy <= 0)
        return;
    if (bm.bmWidth == 1 && bm.bmHeight == cy && bm.bmBitsPixel > 8) {
        CBrush pattern(::CreatePatternBrush(hBitmap));
        if (pattern) {
            POINT origin{box.left, box.top};
            ::LPtoDP(hDC, &origin, 1);
            POINT oldOrigin{};
            ::SetBrushOrgEx(hDC, origin.x, origin.y, &oldOrigin);
            CSelectObject select(hDC, pattern.Get());
            ::PatBlt(hDC, box.left, box.top, cx, cy, PATCOPY);
            ::SetBrushOrgEx(hDC, oldOrigin.x, oldOrigin.y, nullptr);
            return;
        }
    }
    CSelectObject select(hMemDC, hBitmap);
    if (bm.bmWidth == cx && bm.bmHeight == cy)
        ::BitBlt(hDC, box.left, box.top, cx, cy, hMemDC, 0, 0, SRCCOPY);
    else
        ::StretchBlt(hDC, box.left, box.top, cx, cy, hMemDC, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
}

} // namespace

// Everything one row paint uses.
struct CListEx::RowPaint {
    HDC hDC = nullptr;
    HDC hMemDC = nullptr;
    HFONT hNormal = nullptr;
    HFONT hBold = nullptr;
    HFONT hUnderline = nullptr;
    HIMAGELIST hSmall = nullptr;
    HIMAGELIST hState = nullptr;
    LOGFONTW font{};
    int nItem = 0;
    int nImage = 0;
    int nState = 0; // 0 not selected, 1 selected with focus, 2 selected without
    bool bChecked = false;
    COLORREF crText = 0;
    COLORREF crDesc = 0;
    COLORREF crLink = 0;
    std::wstring description;
    RECT bounds{};
};

LRESULT CListEx::OnEraseBkgnd(HDC hDC)
{
    const RECT rc = GetClientRect();
    if (m_dwDrawFlags & kFlagEraseBitmap) {
        if (!m_pEraseBitmap)
            return FALSE;
        CMemDC mem(::CreateCompatibleDC(hDC));
        StretchBitmap(hDC, mem.Get(), m_pEraseBitmap, rc);
        return TRUE;
    }
    if (m_dwDrawFlags & kFlagNoErase)
        return TRUE;
    // The rows on show paint their whole width themselves: only what they
    // leave is filled, so no pixel is painted twice.
    const CSaveDC saved(hDC);
    const RECT rows = PaintedRows();
    if (!::IsRectEmpty(&rows))
        ::ExcludeClipRect(hDC, rows.left, rows.top, rows.right, rows.bottom);
    FillSolid(hDC, rc, m_crErase);
    return TRUE;
}

RECT CListEx::PaintedRows() noexcept
{
    const int nCount = GetItemCount();
    if (nCount <= 0 || (GetStyle() & LVS_TYPEMASK) != LVS_REPORT)
        return RECT{};
    const int nTop = static_cast<int>(Ask(LVM_GETTOPINDEX, 0, 0));
    const int nLast = std::min(nCount - 1, nTop + static_cast<int>(Ask(LVM_GETCOUNTPERPAGE, 0, 0)));
    // A row of another kind is not painted at all: the erase stays under it.
    for (int i = nTop; i <= nLast; ++i) {
        if (RowKind(i) != kRowEntry && RowKind(i) != kRowHeader)
            return RECT{};
    }
    const RECT first = ItemRect(nTop, LVIR_BOUNDS);
    const RECT last = ItemRect(nLast, LVIR_BOUNDS);
    return RECT{0, first.top, first.right, last.bottom};
}

LRESULT CListEx::OnPaint(WPARAM wp, LPARAM lp)
{
    // A row touched at all is painted over its whole width.
    RECT update{};
    RECT first{};
    if (!wp && (GetStyle() & LVS_TYPEMASK) == LVS_REPORT && ::GetUpdateRect(m_hWnd, &update, FALSE) &&
        GetItemCount() > 0 && GetItemRect(0, &first, LVIR_BOUNDS)) {
        update.left = first.left;
        update.right = first.right;
        ::InvalidateRect(m_hWnd, &update, FALSE);
    }
    const LRESULT result = DefWindowProc(WM_PAINT, wp, lp);
    PaintEmptyText();
    return result;
}

void CListEx::RepaintSelection()
{
    const DWORD style = GetStyle();
    if ((style & LVS_TYPEMASK) != LVS_REPORT)
        return;
    auto invalidateRow = [this](int nItem) {
        RECT rc{};
        if (GetItemRect(nItem, &rc, LVIR_BOUNDS)) {
            rc.left = 0;
            ::InvalidateRect(m_hWnd, &rc, FALSE);
        }
    };
    const int focused = static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    if (focused >= 0)
        invalidateRow(focused);
    if (!(style & LVS_SHOWSELALWAYS)) {
        // Only the rows on show need painting; the others are painted when
        // they scroll into view. Asking every row would cost a question to
        // the owner per row where the owner keeps the check marks.
        const int top = static_cast<int>(SendMessage(LVM_GETTOPINDEX, 0, 0));
        const int end = std::min(GetItemCount(), top + static_cast<int>(SendMessage(LVM_GETCOUNTPERPAGE, 0, 0)) + 2);
        for (int i = std::max(top, 0); i < end; ++i) {
            if (GetItemState(i, LVIS_SELECTED) & LVIS_SELECTED)
                invalidateRow(i);
        }
    }
    ::UpdateWindow(m_hWnd);
}

std::wstring CListEx::FitText(HDC hDC, const std::wstring& text, const RECT& box) const
{
    return list_geometry::FitText(text, box.right - box.left,
                                  [hDC](const std::wstring& s) { return TextWidth(hDC, s); });
}

const std::wstring& CListEx::Fitted(HDC hDC, const LOGFONTW& font, size_t nSlot, const std::wstring& text, const RECT& box)
{
    if (nSlot >= m_arrFitted.size())
        m_arrFitted.resize(nSlot + 1);
    FittedText& kept = m_arrFitted[nSlot];
    const int nWidth = box.right - box.left;
    if (kept.nWidth != nWidth || !SameLogFont(kept.font, font) || kept.text != text) {
        kept.fitted = FitText(hDC, text, box);
        kept.text = text;
        kept.nWidth = nWidth;
        kept.font = font;
    }
    return kept.fitted;
}

std::wstring CListEx::FitText(const std::wstring& text, const RECT& box) const
{
    const CMeasureDC dc(m_hWnd);
    return FitText(dc.Get(), text, box);
}

EntryRowLayout CListEx::RowLayout(int nItem, const RECT& bounds, const RECT& label, const RECT& icon) const
{
    const bool bTwoLine = nItem >= 0 && static_cast<size_t>(nItem) < m_arrDescription.size() &&
                          !m_arrDescription[static_cast<size_t>(nItem)].empty();
    if (m_dwMode & kModePane)
        return PaneRow(bounds, label, icon, bTwoLine, m_scale);
    const bool bShifted = (m_dwDrawFlags & kFlagEntryBitmaps) && (m_dwDrawFlags & kFlagThreePiece);
    return EntryRow(bounds, label, icon, bTwoLine, bShifted, m_scale);
}

std::vector<RECT> CListEx::LinkRectsOf(HDC hDC, const LOGFONTW& font, int nItem, int nCol, const RECT& cell,
                                       const RECT& text)
{
    const DWORD kind = ColumnKind(nCol);
    const std::wstring cellText = ItemText(nItem, nCol);
    const std::vector<std::wstring>& links =
        kind >= kColumnMultiLink ? LinkList(LinkListIndex(m_arrColumnKind, nCol)) : LinkList(-1);
    LinkWidths& kept = m_linkWidths;
    if (kept.nGroup < 0 || !SameLogFont(kept.font, font) || kept.cellText != cellText ||
        kept.links != links) {
        kept.font = font;
        kept.cellText = cellText;
        kept.links = links;
        kept.widths.clear();
        for (const std::wstring& link : links)
            kept.widths.push_back(TextWidth(hDC, link));
        kept.nGroup = TextWidth(hDC, cellText);
        kept.nSeparator = TextWidth(hDC, kLinkSeparator);
    }
    return LinkRects(kind, cell.left, cell.right, text, kept.nGroup, kept.widths, kept.nSeparator);
}

const CListEx::RowFonts& CListEx::RowFontsFor(const LOGFONTW& font)
{
    if (!m_rowFonts.normal || !SameLogFont(m_rowFonts.font, font)) {
        m_rowFonts.font = font;
        m_rowFonts.normal = MakeFont(font, 0, FALSE);
        m_rowFonts.bold = MakeFont(font, FW_BOLD, FALSE);
        m_rowFonts.underline = MakeFont(font, 0, TRUE);
    }
    return m_rowFonts;
}

void CListEx::DrawItem(const DRAWITEMSTRUCT* pDis)
{
    if (!pDis || !pDis->hDC)
        return;
    const LOGFONTW lf = ControlLogFont(reinterpret_cast<HFONT>(Ask(WM_GETFONT, 0, 0)));
    const RowFonts& fonts = RowFontsFor(lf);
    const CMemDC mem(::CreateCompatibleDC(pDis->hDC));
    const CSaveDC saved(pDis->hDC);

    RowPaint paint;
    paint.hDC = pDis->hDC;
    paint.font = lf;
    paint.hMemDC = mem.Get();
    paint.hNormal = fonts.normal.Get();
    paint.hBold = fonts.bold.Get();
    paint.hUnderline = fonts.underline.Get();
    paint.hSmall = reinterpret_cast<HIMAGELIST>(Ask(LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    paint.hState = reinterpret_cast<HIMAGELIST>(Ask(LVM_GETIMAGELIST, LVSIL_STATE, 0));
    paint.nItem = static_cast<int>(pDis->itemID);
    ::SelectObject(paint.hDC, paint.hNormal);
    // Text over the row's own background, without a fill behind it.
    ::SetBkMode(paint.hDC, TRANSPARENT);

    LVITEMW item{};
    item.mask = LVIF_STATE | LVIF_IMAGE;
    item.iItem = paint.nItem;
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED | LVIS_STATEIMAGEMASK;
    Ask(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    paint.nImage = item.iImage;
    // State image 2 is the ticked box.
    paint.bChecked = (item.state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
    paint.bounds = ItemRect(paint.nItem, LVIR_BOUNDS);
    const RECT label = ItemRect(paint.nItem, LVIR_LABEL);
    const RECT icon = ItemRect(paint.nItem, LVIR_ICON);
    paint.bounds.left = 0;
    paint.description = Description(paint.nItem);

    paint.crText = m_crText;
    paint.crDesc = m_crDesc;
    paint.crLink = m_crLink;
    if (item.state & LVIS_SELECTED) {
        if (::GetFocus() == m_hWnd) {
            paint.nState = 1;
            paint.crText = m_crTextSelFocus;
            paint.crDesc = m_crDescSelFocus;
            paint.crLink = m_crLinkSelFocus;
        } else {
            paint.nState = 2;
            paint.crText = m_crTextSelNoFocus;
            paint.crDesc = m_crDescSelNoFocus;
            paint.crLink = m_crLinkSelNoFocus;
        }
    }
    ::SetTextColor(paint.hDC, paint.crText);

    switch (RowKind(paint.nItem)) {
    case kRowHeader:
        PaintHeaderRow(paint, label, icon);
        break;
    case kRowEntry:
        PaintEntryRow(paint, label, icon);
        break;
    default:
        break;
    }
    // The row the keyboard works on, while the list has the keyboard.
    if ((item.state & LVIS_FOCUSED) && ::GetFocus() == m_hWnd && focus_cue::Shown(m_hWnd))
        focus_cue::Draw(paint.hDC, paint.bounds);
}

void CListEx::PaintBackground(const RowPaint& paint, const RECT& bounds, const std::array<HBITMAP, 9>& table) const
{
    const auto state = static_cast<size_t>(paint.nState);
    const HBITMAP hMiddle = table[state];
    if (!hMiddle) {
        FillSolid(paint.hDC, bounds, m_crRowBack);
        return;
    }
    if (!(m_dwDrawFlags & kFlagThreePiece)) {
        StretchBitmap(paint.hDC, paint.hMemDC, hMiddle, bounds);
        return;
    }
    const HBITMAP hLeft = table[3 + state];
    const HBITMAP hRight = table[6 + state];
    const ThreePieces pieces = BackgroundPieces(bounds, BitmapSize(hLeft).cx, BitmapSize(hRight).cx);
    StretchBitmap(paint.hDC, paint.hMemDC, hLeft, pieces.left);
    StretchBitmap(paint.hDC, paint.hMemDC, hRight, pieces.right);
    StretchBitmap(paint.hDC, paint.hMemDC, hMiddle, pieces.middle);
}

void CListEx::PaintHeaderRow(const RowPaint& paint, const RECT& label, const RECT& icon)
{
    if (m_dwDrawFlags & kFlagHeaderBitmaps)
        PaintBackground(paint, paint.bounds, m_pHeaderBitmaps);
    else
        FillSolid(paint.hDC, paint.bounds, m_crRowBack);
    if (label.right < icon.right)
        return;
    const bool bShifted = (m_dwDrawFlags & kFlagEntryBitmaps) && (m_dwDrawFlags & kFlagThreePiece);
    const RECT box = HeaderTitleBox(label, icon, bShifted, m_scale);
    const std::wstring title = ItemText(paint.nItem, 0);
    ::SetTextColor(paint.hDC, kTitleRelief);
    DrawTextIn(paint.hDC, title, RECT{box.left + 1, box.top + 1, box.right + 1, box.bottom + 1}, kCellTextFlags);
    ::SetTextColor(paint.hDC, kTitleText);
    DrawTextIn(paint.hDC, title, box, kCellTextFlags);
}

void CListEx::PaintEntryRow(const RowPaint& paint, const RECT& label, const RECT& icon)
{
    if (m_dwDrawFlags & kFlagEntryBitmaps)
        PaintBackground(paint, paint.bounds, m_pEntryBitmaps);
    else
        FillSolid(paint.hDC, paint.bounds, m_crRowBack);
    const bool bTwoLine = !paint.description.empty();
    const std::wstring name = ItemText(paint.nItem, 0);

    const EntryRowLayout row = RowLayout(paint.nItem, paint.bounds, label, icon);
    if (m_dwMode & kModePane) {
        if (paint.hSmall)
            ::ImageList_Draw(paint.hSmall, paint.nImage, paint.hDC, row.image.x, row.image.y, ILD_TRANSPARENT);
        if (row.label.right >= row.text.left)
            DrawTextIn(paint.hDC, name, row.text, kCellTextFlags);
        PaintCells(paint, row.label.right, row.text);
        return;
    }

    if (row.label.right >= row.icon.left && paint.hState)
        ::ImageList_Draw(paint.hState, paint.bChecked ? 1 : 0, paint.hDC, row.check.x, row.check.y,
                         ILD_TRANSPARENT);
    if (row.label.right >= row.icon.right && paint.hSmall)
        ::ImageList_Draw(paint.hSmall, paint.nImage, paint.hDC, row.image.x, row.image.y, ILD_TRANSPARENT);
    for (const PaintedText& text : EntryTexts(paint.hDC, paint.font, paint.nItem, row, name, paint.description)) {
        if (text.bName) {
            CSelectObject select(paint.hDC, bTwoLine ? paint.hBold : nullptr);
            DrawTextIn(paint.hDC, text.drawn, text.box, kEntryTextFlags);
            continue;
        }
        ::SetTextColor(paint.hDC, paint.crDesc);
        DrawTextIn(paint.hDC, text.drawn, text.box, kEntryTextFlags);
        ::SetTextColor(paint.hDC, paint.crText);
    }
    PaintCells(paint, row.label.right, row.text);
}

std::vector<CListEx::PaintedText> CListEx::EntryTexts(HDC hDC, const LOGFONTW& font, int nItem,
                                                      const EntryRowLayout& row, const std::wstring& name,
                                                      const std::wstring& description)
{
    // The name is measured in the normal font, as hDC has it here.
    std::vector<PaintedText> texts;
    if (row.label.right >= row.icon.right && row.label.right >= row.text.left) {
        const RECT box = NameBox(row);
        texts.push_back(
            PaintedText{name, box, Fitted(hDC, font, static_cast<size_t>(nItem) * 2, name, box), true});
    }
    if (!description.empty()) {
        const RECT box = DescriptionBox(row);
        texts.push_back(PaintedText{description, box,
                                    Fitted(hDC, font, static_cast<size_t>(nItem) * 2 + 1, description, box),
                                    false});
    }
    return texts;
}

void CListEx::PaintCells(const RowPaint& paint, int x, const RECT& text)
{
    int format = 0;
    int width = 0;
    for (int col = 1; GetColumnFormat(col, &format, &width); ++col) {
        const int cellLeft = x;
        const int cellRight = x + width;
        x = cellRight;
        if (width < m_scale.Px(kMinCellWidth))
            continue;
        const DWORD kind = ColumnKind(col);
        const std::wstring cellText = ItemText(paint.nItem, col);
        const RECT box = CellTextBox(cellLeft, cellRight, text, m_scale);
        if (kind == kColumnPlain) {
            const int justify = format & LVCFMT_JUSTIFYMASK;
            const UINT align = justify == LVCFMT_LEFT ? DT_LEFT : justify == LVCFMT_RIGHT ? DT_RIGHT : DT_CENTER;
            DrawTextIn(paint.hDC, cellText, box, align | kCellTextFlags);
            continue;
        }
        CSelectObject select(paint.hDC, paint.hUnderline);
        ::SetTextColor(paint.hDC, paint.crLink);
        if (kind == kColumnLink) {
            DrawTextIn(paint.hDC, cellText, box, DT_CENTER | kCellTextFlags);
        } else {
            // The links are measured in the normal font, as the pointer
            // finds them.
            std::vector<RECT> rects;
            {
                CSelectObject measure(paint.hDC, paint.hNormal);
                rects = LinkRectsOf(paint.hDC, paint.font, paint.nItem, col, RECT{cellLeft, text.top, cellRight, text.bottom},
                                    text);
            }
            const auto& links = LinkList(LinkListIndex(m_arrColumnKind, col));
            for (size_t i = 0; i < links.size() && i < rects.size(); ++i)
                DrawTextIn(paint.hDC, links[i], rects[i], DT_CENTER | kCellTextFlags);
        }
        ::SetTextColor(paint.hDC, paint.crText);
    }
}
