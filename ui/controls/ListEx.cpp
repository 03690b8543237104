#include "ui/controls/ListEx.h"

#include "platform/handles.h"
#include "ui/controls/list_geometry.h"

#include <windowsx.h>

#include <algorithm>

using namespace list_geometry;

namespace {

constexpr COLORREF kDescColour = RGB(99, 99, 101);
constexpr COLORREF kLinkColour = RGB(11, 91, 152);
constexpr COLORREF kTitleRelief = RGB(255, 255, 255);
constexpr COLORREF kTitleText = RGB(44, 67, 85);
constexpr int kMaxLinkLists = 10;

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

int TextWidth(HDC hDC, const std::wstring& text) noexcept
{
    SIZE size{};
    ::GetTextExtentPoint32W(hDC, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

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

SIZE BitmapSize(HBITMAP hBitmap) noexcept
{
    BITMAP bm{};
    if (!hBitmap || !::GetObjectW(hBitmap, sizeof(bm), &bm))
        return SIZE{0, 0};
    return SIZE{bm.bmWidth, bm.bmHeight};
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

// The logical font of a control's font: the stock GUI font when it has none.
LOGFONTW ControlLogFont(HFONT hFont) noexcept
{
    LOGFONTW lf{};
    if (!hFont || !::GetObjectW(hFont, sizeof(lf), &lf))
        ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    return lf;
}

CFont MakeFont(LOGFONTW lf, LONG weight, BYTE underline) noexcept
{
    lf.lfWeight = weight == 0 ? lf.lfWeight : weight;
    lf.lfUnderline = underline;
    return CFont(::CreateFontIndirectW(&lf));
}

// A screen context with the control's font selected, for measuring text.
class CMeasureDC {
public:
    explicit CMeasureDC(HWND hWnd) noexcept
        : m_dc(hWnd), m_font(MakeFont(ControlLogFont(reinterpret_cast<HFONT>(::SendMessageW(hWnd, WM_GETFONT, 0, 0))),
                                      0, FALSE)),
          m_select(m_dc.Get(), m_font.Get())
    {
    }
    HDC Get() const noexcept { return m_dc.Get(); }
    int Width(const std::wstring& text) const noexcept { return TextWidth(m_dc.Get(), text); }

private:
    CClientDC m_dc;
    CFont m_font;
    CSelectObject m_select;
};

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

CListEx::CListEx() noexcept
    : m_crText(::GetSysColor(COLOR_WINDOWTEXT)), m_crTextSelFocus(::GetSysColor(COLOR_WINDOWTEXT)),
      m_crTextSelNoFocus(::GetSysColor(COLOR_BTNTEXT)), m_crDesc(kDescColour),
      m_crDescSelFocus(::GetSysColor(COLOR_WINDOWTEXT)), m_crDescSelNoFocus(kDescColour), m_crLink(kLinkColour),
      m_crLinkSelFocus(kLinkColour), m_crLinkSelNoFocus(kLinkColour), m_crRowBack(::GetSysColor(COLOR_WINDOW)),
      m_crErase(::GetSysColor(COLOR_WINDOW))
{
}

CListEx::~CListEx() = default;

// --- The model ---------------------------------------------------------------

DWORD CListEx::RowKind(int nItem) const noexcept
{
    if (nItem < 0 || static_cast<size_t>(nItem) >= m_arrRowKind.size())
        return kRowEntry;
    return m_arrRowKind[static_cast<size_t>(nItem)];
}

std::wstring CListEx::Description(int nItem) const
{
    if (nItem < 0 || static_cast<size_t>(nItem) >= m_arrDescription.size())
        return {};
    return m_arrDescription[static_cast<size_t>(nItem)];
}

DWORD CListEx::ColumnKind(int nCol) const noexcept
{
    if (nCol < 0 || static_cast<size_t>(nCol) >= m_arrColumnKind.size())
        return kColumnPlain;
    return m_arrColumnKind[static_cast<size_t>(nCol)];
}

LRESULT CListEx::Ask(UINT msg, WPARAM wp, LPARAM lp) noexcept
{
    return DefWindowProc(msg, wp, lp);
}

RECT CListEx::ItemRect(int nItem, int nCode) noexcept
{
    RECT rc{};
    rc.left = nCode;
    if (!Ask(LVM_GETITEMRECT, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&rc)))
        return RECT{};
    return rc;
}

std::wstring CListEx::ItemText(int nItem, int nSubItem)
{
    std::wstring text(127, L'\0');
    for (;;) {
        LVITEMW item{};
        item.iSubItem = nSubItem;
        item.pszText = text.data();
        item.cchTextMax = static_cast<int>(text.size()) + 1;
        const auto n = static_cast<size_t>(
            Ask(LVM_GETITEMTEXTW, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)));
        if (n < text.size()) {
            text.resize(n);
            return text;
        }
        text.resize(text.size() * 2 + 1);
    }
}

bool CListEx::GetColumnFormat(int nCol, int* pFormat, int* pWidth) noexcept
{
    LVCOLUMNW col{};
    col.mask = LVCF_FMT | LVCF_WIDTH;
    if (!Ask(LVM_GETCOLUMNW, static_cast<WPARAM>(nCol), reinterpret_cast<LPARAM>(&col)))
        return false;
    *pFormat = col.fmt;
    *pWidth = col.cx;
    return true;
}

int CListEx::InsertListColumn(int nCol, const std::wstring& heading, int nFormat, int nWidth, DWORD dwKind,
                              DWORD dwAutoSize)
{
    // A multi-link column gets its link list with it: refused where it
    // could have none (10 lists in use, or column 0, which shows no links).
    const bool bLinks = dwKind >= kColumnMultiLink;
    const int nColumns = static_cast<int>(::SendMessageW(GetHeaderCtrl(), HDM_GETITEMCOUNT, 0, 0));
    if (bLinks && (std::min(nCol, std::max(nColumns, 0)) <= 0 || m_nLinkColumns >= kMaxLinkLists))
        return -1;
    const int nAt = InsertColumn(nCol, heading, nFormat, nWidth);
    if (nAt < 0)
        return nAt;
    const auto at = static_cast<size_t>(std::min(nAt, static_cast<int>(m_arrColumnKind.size())));
    m_arrColumnKind.insert(m_arrColumnKind.begin() + static_cast<std::ptrdiff_t>(at), dwKind);
    const auto atFlag = std::min(static_cast<size_t>(nAt), m_arrAutoSize.size());
    m_arrAutoSize.insert(m_arrAutoSize.begin() + static_cast<std::ptrdiff_t>(atFlag), dwAutoSize);
    if (bLinks)
        InsertLinkList(LinkListIndex(m_arrColumnKind, static_cast<int>(at)));
    return nAt;
}

int CListEx::InsertListItem(int nItem, const std::wstring& text, DWORD dwKind, const std::wstring& description,
                            int nImage)
{
    // The model first: the list view may paint the new row at once.
    const auto at = static_cast<size_t>(std::clamp(nItem, 0, GetItemCount()));
    const auto atKind = std::min(at, m_arrRowKind.size());
    const auto atDesc = std::min(at, m_arrDescription.size());
    m_arrRowKind.insert(m_arrRowKind.begin() + static_cast<std::ptrdiff_t>(atKind), dwKind);
    m_arrDescription.insert(m_arrDescription.begin() + static_cast<std::ptrdiff_t>(atDesc), description);
    const int nAt = InsertItem(static_cast<int>(at), text, nImage);
    if (nAt < 0) {
        m_arrRowKind.erase(m_arrRowKind.begin() + static_cast<std::ptrdiff_t>(atKind));
        m_arrDescription.erase(m_arrDescription.begin() + static_cast<std::ptrdiff_t>(atDesc));
        return nAt;
    }
    if (dwKind == kRowHeader)
        ++m_nHeaderRows;
    return nAt;
}

bool CListEx::InsertLinkList(int k)
{
    if (k < 0 || k > m_nLinkColumns || m_nLinkColumns >= kMaxLinkLists)
        return false;
    ++m_nLinkColumns;
    for (int i = m_nLinkColumns - 1; i > k; --i)
        m_arrLinkLists[static_cast<size_t>(i)] = std::move(m_arrLinkLists[static_cast<size_t>(i - 1)]);
    m_arrLinkLists[static_cast<size_t>(k)].clear();
    return true;
}

void CListEx::RemoveLinkList(int k)
{
    if (k < 0 || k >= m_nLinkColumns)
        return;
    for (int i = k; i + 1 < m_nLinkColumns; ++i)
        m_arrLinkLists[static_cast<size_t>(i)] = std::move(m_arrLinkLists[static_cast<size_t>(i + 1)]);
    m_arrLinkLists[static_cast<size_t>(m_nLinkColumns - 1)].clear();
    --m_nLinkColumns;
}

// --- Operations --------------------------------------------------------------

void CListEx::RepaintIfShown() const noexcept
{
    // A window that is not on show is painted whole when it shows.
    if (::IsWindowVisible(m_hWnd))
        Invalidate();
}

void CListEx::SetRowHeight(int nHeight)
{
    m_nRowHeight = nHeight;
    if (!m_hWnd)
        return;
    // The list view measures its rows again when its size changes.
    const RECT rc = GetWindowRect();
    WINDOWPOS wp{};
    wp.hwnd = m_hWnd;
    wp.cx = rc.right - rc.left;
    wp.cy = rc.bottom - rc.top;
    wp.flags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
    SendMessage(WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&wp));
}

void CListEx::SetEntryBitmaps(const std::array<HBITMAP, 9>& bitmaps)
{
    CUpdateLock lock(m_hWnd);
    m_pEntryBitmaps = bitmaps;
    if (m_dwDrawFlags)
        RepaintIfShown();
}

void CListEx::SetHeaderBitmaps(HBITMAP hMiddle, HBITMAP hLeft, HBITMAP hRight)
{
    CUpdateLock lock(m_hWnd);
    for (size_t state = 0; state < 3; ++state) {
        m_pHeaderBitmaps[state] = hMiddle;
        m_pHeaderBitmaps[3 + state] = hLeft;
        m_pHeaderBitmaps[6 + state] = hRight;
    }
    if (m_dwDrawFlags)
        RepaintIfShown();
}

void CListEx::SetEraseBitmap(HBITMAP hBitmap)
{
    CUpdateLock lock(m_hWnd);
    m_pEraseBitmap = hBitmap;
    if (m_dwDrawFlags)
        RepaintIfShown();
}

void CListEx::SetEraseColor(COLORREF cr)
{
    CUpdateLock lock(m_hWnd);
    if (cr)
        m_crErase = cr;
    RepaintIfShown();
}

void CListEx::SetLinkColorSelFocus(COLORREF cr)
{
    CUpdateLock lock(m_hWnd);
    if (cr)
        m_crLinkSelFocus = cr;
    RepaintIfShown();
}

void CListEx::SetDrawFlags(DWORD dwFlags)
{
    CUpdateLock lock(m_hWnd);
    m_dwDrawFlags = dwFlags;
    RepaintIfShown();
}

void CListEx::SetAllChecks(BOOL bOn)
{
    CUpdateLock lock(m_hWnd);
    const int count = GetItemCount();
    for (int i = 0; i < count; ++i) {
        if (RowKind(i) == kRowEntry)
            SetCheck(i, bOn != FALSE);
    }
    RepaintIfShown();
}

int CListEx::AutoSizeColumn(int nCol)
{
    if (nCol < 0 || static_cast<size_t>(nCol) >= m_arrAutoSize.size())
        return 0;
    m_arrAutoSize[static_cast<size_t>(nCol)] = 1;
    const int count = GetItemCount();
    int iconRight = 0;
    if (nCol == 0 && count > 0) {
        RECT icon{};
        GetItemRect(0, &icon, LVIR_ICON);
        iconRight = icon.right;
    }
    const CMeasureDC dc(m_hWnd);
    int widest = 0;
    for (int i = 0; i < count; ++i)
        widest = std::max(widest, AutoSizeCandidate(nCol, dc.Width(GetItemText(i, nCol)), iconRight));
    // The list view takes the width as a signed 16-bit value.
    widest = std::min(widest, 0x7FFF);
    return static_cast<int>(SendMessage(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(nCol), MAKELPARAM(widest, 0)));
}

int CListEx::SetCellText(int nItem, int nCol, const std::wstring& text, DWORD dwKind)
{
    if (nItem < 0 || nItem > GetItemCount() - 1 || nCol < 0 || nCol > static_cast<int>(m_arrColumnKind.size()) - 1)
        return 0;
    // The k-th multi-link column owns link list k; a column that becomes a
    // multi-link column gets an empty list of its own, so that the columns
    // after it keep theirs. Refused before anything changes where it could
    // have none: 10 lists in use, or lists missing for the columns before.
    const int k = nCol > 0 ? LinkListIndex(m_arrColumnKind, nCol) : 0;
    const bool bHasList = nCol > 0 && ColumnKind(nCol) >= kColumnMultiLink && k < m_nLinkColumns;
    const int nOthers = m_nLinkColumns - (bHasList ? 1 : 0);
    if (nCol > 0 && dwKind >= kColumnMultiLink && (nOthers >= kMaxLinkLists || k > nOthers))
        return 0;

    CUpdateLock lock(m_hWnd);
    if (nCol == 0) {
        if (static_cast<size_t>(nItem) < m_arrDescription.size())
            m_arrDescription[static_cast<size_t>(nItem)].clear();
    } else {
        if (bHasList)
            RemoveLinkList(k);
        if (dwKind >= kColumnMultiLink)
            InsertLinkList(k);
        m_arrColumnKind[static_cast<size_t>(nCol)] = dwKind;
    }
    const int result = SetItemText(nItem, nCol, text) ? 1 : 0;
    if (static_cast<size_t>(nCol) < m_arrAutoSize.size() && m_arrAutoSize[static_cast<size_t>(nCol)])
        AutoSizeColumn(nCol);
    RepaintIfShown();
    return result;
}

int CListEx::SetLinks(int nItem, const std::vector<std::wstring>& links)
{
    constexpr int kActionColumn = 2;
    if (links.empty())
        return 0;
    if (links.size() == 1)
        return SetCellText(nItem, kActionColumn, links[0], kColumnLink);
    if (m_nLinkColumns >= kMaxLinkLists || nItem < 0 || nItem > GetItemCount() - 1 || m_arrColumnKind.size() < 3)
        return 0;

    // Refused before anything changes where column 2 could have no list of
    // its own (the list of column 1 is missing).
    const int k = ColumnKind(1) >= kColumnMultiLink ? 1 : 0;
    const bool bNewList = ColumnKind(kActionColumn) < kColumnMultiLink;
    if (bNewList ? k > m_nLinkColumns : k >= m_nLinkColumns)
        return 0;

    CUpdateLock lock(m_hWnd);
    if (bNewList)
        InsertLinkList(k);
    m_arrColumnKind[kActionColumn] = static_cast<DWORD>(links.size());
    m_arrLinkLists[static_cast<size_t>(k)] = links;
    std::wstring joined = links[0];
    for (size_t i = 1; i < links.size(); ++i)
        joined += kLinkSeparator + links[i];
    const int result = SetItemText(nItem, kActionColumn, joined) ? 1 : 0;
    if (m_arrAutoSize.size() >= 3 && m_arrAutoSize[kActionColumn])
        AutoSizeColumn(kActionColumn);
    RepaintIfShown();
    return result;
}

// --- Messages ------------------------------------------------------------------

LRESULT CListEx::WindowProc(UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_MOUSEMOVE:
        OnMouseMove(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
        OnLButton(msg, wp, lp);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
        const LRESULT result = DefWindowProc(msg, wp, lp);
        // The other window is the list's own header: the list stays as it looks.
        const HWND hOther = reinterpret_cast<HWND>(wp);
        if (!hOther || !::IsChild(m_hWnd, hOther))
            RepaintSelection();
        return result;
    }
    case WM_ERASEBKGND:
        return OnEraseBkgnd(reinterpret_cast<HDC>(wp));
    case WM_PAINT:
        return OnPaint(wp, lp);
    default:
        break;
    }
    return CListCtrl::WindowProc(msg, wp, lp);
}

BOOL CListEx::OnNotify(WPARAM wp, LPARAM lp, LRESULT* pResult)
{
    const auto* pHdr = reinterpret_cast<const NMHDR*>(lp);
    if (pHdr && pHdr->hwndFrom == GetHeaderCtrl()) {
        switch (pHdr->code) {
        case HDN_BEGINTRACKA:
        case HDN_BEGINTRACKW:
        case HDN_DIVIDERDBLCLICKA:
        case HDN_DIVIDERDBLCLICKW:
            // A column of several links keeps the width its links need.
            if (ColumnKind(reinterpret_cast<const NMHEADERW*>(lp)->iItem) >= kColumnMultiLink) {
                *pResult = 1;
                return TRUE;
            }
            break;
        default:
            break;
        }
    }
    return CListCtrl::OnNotify(wp, lp, pResult);
}

bool CListEx::OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* pResult)
{
    switch (msg) {
    case WM_MEASUREITEM:
        if (!m_nRowHeight)
            return false;
        reinterpret_cast<MEASUREITEMSTRUCT*>(lp)->itemHeight = static_cast<UINT>(m_nRowHeight);
        *pResult = TRUE;
        return true;
    case WM_DRAWITEM:
        DrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
        *pResult = TRUE;
        return true;
    case WM_NOTIFY:
        if (reinterpret_cast<const NMHDR*>(lp)->code == static_cast<UINT>(NM_CLICK)) {
            OnClick(reinterpret_cast<const NMITEMACTIVATE*>(lp));
            *pResult = 0;
        } else if (reinterpret_cast<const NMHDR*>(lp)->code == static_cast<UINT>(LVN_ITEMCHANGING) &&
                   RefusesCheckChange(reinterpret_cast<const NMLISTVIEW*>(lp))) {
            *pResult = TRUE;
            return true;
        }
        // The parent still handles the click and reads the hot link.
        return false;
    default:
        return CListCtrl::OnChildNotify(msg, wp, lp, pResult);
    }
}

void CListEx::OnMouseMove(int x, int y)
{
    m_bCheckHot = FALSE;
    m_nHotLinkKind = 0;
    m_nHotLink = 0;
    const int count = GetItemCount();
    if (count <= 0)
        return;
    const RECT first = ItemRect(0, LVIR_LABEL);
    // Rows lie one under the other at equal heights: only the rows around
    // the point can hold it.
    const auto [from, to] = CandidateRows(y, first.top, first.bottom - first.top, count);
    for (int r = from; r <= to; ++r) {
        const RECT label = ItemRect(r, LVIR_LABEL);
        RECT icon = ItemRect(r, LVIR_ICON);
        // The check area: from the row's left edge to the icon's right edge,
        // over the whole height of the row (the list view may report the
        // icon's own height only).
        icon = RECT{0, label.top, icon.right, label.bottom};
        if (y < label.top || y > label.bottom)
            continue;
        if (RowKind(r) != kRowEntry)
            return;
        HitTestColumns(r, x, y, label, icon);
        if (m_nHotLinkKind || m_bCheckHot)
            return;
    }
}

void CListEx::HitTestColumns(int nItem, int x, int y, const RECT& label, const RECT& icon)
{
    const RECT band = NameBand(label);
    int cellLeft = label.right;
    int format = 0;
    int width = 0;
    for (int col = 0; GetColumnFormat(col, &format, &width); ++col) {
        RECT cell{label.left, band.top, label.right, band.bottom};
        RECT area = icon;
        if (col > 0) {
            cell = RECT{cellLeft, band.top, cellLeft + width, band.bottom};
            area = cell;
            cellLeft += width;
        }
        if (!Contains(area, x, y))
            continue;
        const DWORD kind = ColumnKind(col);
        if (kind == kColumnPlain) {
            if (col == 0)
                m_bCheckHot = TRUE;
            return;
        }
        const CMeasureDC dc(m_hWnd);
        const std::wstring text = ItemText(nItem, col);
        int link = 0;
        if (kind == kColumnLink) {
            const auto [left, right] = SingleLinkSpan(cell.left, cell.right, dc.Width(text));
            link = Contains(RECT{left, band.top, right, band.bottom}, x, y) ? 1 : 0;
        } else {
            const int k = LinkListIndex(m_arrColumnKind, col);
            const std::vector<std::wstring> none;
            const auto& links = k < kMaxLinkLists ? m_arrLinkLists[static_cast<size_t>(k)] : none;
            std::vector<int> widths;
            for (const auto& l : links)
                widths.push_back(dc.Width(l));
            const auto lefts = LinkLefts(cell.left, cell.right, dc.Width(text), widths, dc.Width(kLinkSeparator));
            if (y >= band.top && y < band.bottom)
                link = LinkAt(x, lefts, widths);
        }
        if (link) {
            m_nHotLink = link;
            m_nHotLinkKind = static_cast<int>(kind);
            ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
        }
        return;
    }
}

void CListEx::OnLButton(UINT msg, WPARAM wp, LPARAM lp)
{
    if (m_nHotLinkKind)
        ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
    // The list view would toggle a check box itself when the press lands on
    // its own check-box place, which is not where the box is painted and
    // lies in header rows too: only the click on the check area toggles.
    const bool bWasPressing = m_bPressing;
    m_bPressing = msg != WM_LBUTTONUP;
    DefWindowProc(msg, wp, lp);
    m_bPressing = bWasPressing;
}

void CListEx::OnClick(const NMITEMACTIVATE* pNm)
{
    if (!m_bCheckHot)
        return;
    m_bCheckHot = FALSE;
    const int nItem = pNm->iItem;
    if (nItem < 0 || nItem >= GetItemCount())
        return;
    const bool bWasToggling = m_bToggling;
    m_bToggling = true;
    SetCheck(nItem, !GetCheck(nItem));
    m_bToggling = bWasToggling;
}

bool CListEx::RefusesCheckChange(const NMLISTVIEW* pNm) const noexcept
{
    return m_bPressing && !m_bToggling && (pNm->uChanged & LVIF_STATE) &&
           ((pNm->uNewState ^ pNm->uOldState) & LVIS_STATEIMAGEMASK);
}

// --- Painting ------------------------------------------------------------------

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
    FillSolid(hDC, rc, m_crErase);
    return TRUE;
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
    return DefWindowProc(WM_PAINT, wp, lp);
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
        for (int i = static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)); i >= 0;
             i = static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(i), LVNI_SELECTED)))
            invalidateRow(i);
    }
    ::UpdateWindow(m_hWnd);
}

std::wstring CListEx::FitText(HDC hDC, const std::wstring& text, const RECT& box) const
{
    return list_geometry::FitText(text, box.right - box.left,
                                  [hDC](const std::wstring& s) { return TextWidth(hDC, s); });
}

std::wstring CListEx::FitText(const std::wstring& text, const RECT& box) const
{
    const CMeasureDC dc(m_hWnd);
    return FitText(dc.Get(), text, box);
}

void CListEx::DrawItem(const DRAWITEMSTRUCT* pDis)
{
    if (!pDis || !pDis->hDC)
        return;
    const LOGFONTW lf = ControlLogFont(reinterpret_cast<HFONT>(Ask(WM_GETFONT, 0, 0)));
    const CFont normal = MakeFont(lf, 0, FALSE);
    const CFont bold = MakeFont(lf, FW_BOLD, FALSE);
    const CFont underline = MakeFont(lf, 0, TRUE);
    const CMemDC mem(::CreateCompatibleDC(pDis->hDC));
    const CSaveDC saved(pDis->hDC);

    RowPaint paint;
    paint.hDC = pDis->hDC;
    paint.hMemDC = mem.Get();
    paint.hNormal = normal.Get();
    paint.hBold = bold.Get();
    paint.hUnderline = underline.Get();
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
    const RECT box = HeaderTitleBox(label, icon, bShifted);
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

    if (m_dwMode & kModePane) {
        const EntryRowLayout row = PaneRow(paint.bounds, label, icon, bTwoLine);
        if (paint.hSmall)
            ::ImageList_Draw(paint.hSmall, paint.nImage, paint.hDC, row.image.x, row.image.y, ILD_TRANSPARENT);
        if (row.label.right >= row.text.left)
            DrawTextIn(paint.hDC, name, row.text, kCellTextFlags);
        PaintCells(paint, row.label.right, row.text);
        return;
    }

    const bool bShifted = (m_dwDrawFlags & kFlagEntryBitmaps) && (m_dwDrawFlags & kFlagThreePiece);
    const EntryRowLayout row = EntryRow(paint.bounds, label, icon, bTwoLine, bShifted);
    if (row.label.right >= row.icon.left && paint.hState)
        ::ImageList_Draw(paint.hState, paint.bChecked ? 1 : 0, paint.hDC, row.check.x, row.check.y,
                         ILD_TRANSPARENT);
    if (row.label.right >= row.icon.right) {
        if (paint.hSmall)
            ::ImageList_Draw(paint.hSmall, paint.nImage, paint.hDC, row.image.x, row.image.y, ILD_TRANSPARENT);
        if (row.label.right >= row.text.left) {
            const RECT box = NameBox(row);
            const std::wstring fitted = FitText(paint.hDC, name, box);
            CSelectObject select(paint.hDC, bTwoLine ? paint.hBold : nullptr);
            DrawTextIn(paint.hDC, fitted, box, kEntryTextFlags);
        }
    }
    if (bTwoLine) {
        const RECT box = DescriptionBox(row);
        ::SetTextColor(paint.hDC, paint.crDesc);
        DrawTextIn(paint.hDC, FitText(paint.hDC, paint.description, box), box, kEntryTextFlags);
        ::SetTextColor(paint.hDC, paint.crText);
    }
    PaintCells(paint, row.label.right, row.text);
}

void CListEx::PaintCells(const RowPaint& paint, int x, const RECT& text)
{
    int format = 0;
    int width = 0;
    for (int col = 1; GetColumnFormat(col, &format, &width); ++col) {
        const int cellLeft = x;
        const int cellRight = x + width;
        x = cellRight;
        if (width < kMinCellWidth)
            continue;
        const DWORD kind = ColumnKind(col);
        const std::wstring cellText = ItemText(paint.nItem, col);
        const RECT box = CellTextBox(cellLeft, cellRight, text);
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
            const int k = LinkListIndex(m_arrColumnKind, col);
            if (k < kMaxLinkLists) {
                const auto& links = m_arrLinkLists[static_cast<size_t>(k)];
                std::vector<int> widths;
                int groupWidth = 0;
                int separator = 0;
                {
                    CSelectObject measure(paint.hDC, paint.hNormal);
                    for (const auto& l : links)
                        widths.push_back(TextWidth(paint.hDC, l));
                    groupWidth = TextWidth(paint.hDC, cellText);
                    separator = TextWidth(paint.hDC, kLinkSeparator);
                }
                const auto lefts = LinkLefts(cellLeft, cellRight, groupWidth, widths, separator);
                for (size_t i = 0; i < links.size(); ++i)
                    DrawTextIn(paint.hDC, links[i], RECT{lefts[i], text.top, lefts[i] + widths[i], text.bottom},
                               DT_CENTER | kCellTextFlags);
            }
        }
        ::SetTextColor(paint.hDC, paint.crText);
    }
}
