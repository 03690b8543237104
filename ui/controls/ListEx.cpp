// The catalogue list's model and behaviour: rows and columns with their kinds,
// descriptions and link lists kept parallel to the list view's own, its
// operations, and its messages.
#include "ui/controls/ListEx.h"

#include "platform/handles.h"
#include "ui/controls/list_geometry.h"
#include "ui/controls/list_text.h"
#include "ui/controls/update_lock.h"

#include <windowsx.h>

#include <algorithm>
#include <utility>

using namespace list_geometry;
using namespace list_text;

namespace {

constexpr COLORREF kDescColour = RGB(99, 99, 101);
constexpr COLORREF kLinkColour = RGB(11, 91, 152);

} // namespace

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
    nItem = ModelRow(nItem);
    if (nItem < 0 || static_cast<size_t>(nItem) >= m_arrRowKind.size())
        return kRowEntry;
    return m_arrRowKind[static_cast<size_t>(nItem)];
}

std::wstring CListEx::Description(int nItem) const
{
    nItem = ModelRow(nItem);
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

COLORREF CListEx::* const CListEx::kColourMembers[kColourCount] = {
    &CListEx::m_crText,         &CListEx::m_crTextSelFocus, &CListEx::m_crTextSelNoFocus, &CListEx::m_crDesc,
    &CListEx::m_crDescSelFocus, &CListEx::m_crDescSelNoFocus, &CListEx::m_crLink,         &CListEx::m_crLinkSelFocus,
    &CListEx::m_crLinkSelNoFocus, &CListEx::m_crRowBack,    &CListEx::m_crErase};

COLORREF CListEx::Color(Colour colour) const noexcept
{
    return colour >= 0 && colour < kColourCount ? this->*kColourMembers[colour] : 0;
}

void CListEx::SetColor(Colour colour, COLORREF cr)
{
    if (colour < 0 || colour >= kColourCount)
        return;
    this->*kColourMembers[colour] = cr;
    RepaintIfShown();
}

bool CListEx::SetDescription(int nItem, const std::wstring& description)
{
    nItem = ModelRow(nItem);
    if (nItem < 0 || static_cast<size_t>(nItem) >= m_arrDescription.size())
        return false;
    m_arrDescription[static_cast<size_t>(nItem)] = description;
    RepaintIfShown();
    return true;
}

const std::vector<std::wstring>& CListEx::LinkList(int k) const noexcept
{
    static const std::vector<std::wstring> s_none;
    return k >= 0 && k < m_nLinkColumns ? m_arrLinkLists[static_cast<size_t>(k)] : s_none;
}

void CListEx::SetMode(DWORD dwMode)
{
    m_dwMode = dwMode;
    RepaintIfShown();
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
    const bool bOwnerData = OwnerData();
    const auto at = static_cast<size_t>(
        std::clamp(nItem, 0, bOwnerData ? static_cast<int>(m_arrRowKind.size()) : GetItemCount()));
    const auto atKind = std::min(at, m_arrRowKind.size());
    const auto atDesc = std::min(at, m_arrDescription.size());
    m_arrRowKind.insert(m_arrRowKind.begin() + static_cast<std::ptrdiff_t>(atKind), dwKind);
    m_arrDescription.insert(m_arrDescription.begin() + static_cast<std::ptrdiff_t>(atDesc), description);
    if (bOwnerData) {
        const auto where = static_cast<std::ptrdiff_t>(std::min(at, m_arrCells.size()));
        m_arrCells.insert(m_arrCells.begin() + where, std::vector<std::wstring>{text});
        m_arrImage.insert(m_arrImage.begin() + where, nImage);
        if (!m_bSomeRows)
            Ask(LVM_SETITEMCOUNT, m_arrRowKind.size(), LVSICF_NOSCROLL);
    }
    const int nAt = bOwnerData ? static_cast<int>(at) : InsertItem(static_cast<int>(at), text, nImage);
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

void CListEx::SetAllChecks(BOOL bOn)
{
    CUpdateLock lock(m_hWnd);
    // Every row in one message, then the header rows back as they were.
    std::vector<std::pair<int, bool>> headers;
    const int count = m_nHeaderRows > 0 ? GetItemCount() : 0;
    for (int i = 0; i < count; ++i) {
        if (RowKind(i) == kRowHeader)
            headers.emplace_back(i, GetCheck(i));
    }
    LVITEMW item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(bOn ? 2 : 1);
    SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    for (const auto& [nItem, bChecked] : headers)
        SetCheck(nItem, bChecked);
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
        if (const int nRow = ModelRow(nItem); nRow >= 0 && static_cast<size_t>(nRow) < m_arrDescription.size())
            m_arrDescription[static_cast<size_t>(nRow)].clear();
    } else {
        if (bHasList)
            RemoveLinkList(k);
        if (dwKind >= kColumnMultiLink)
            InsertLinkList(k);
        m_arrColumnKind[static_cast<size_t>(nCol)] = dwKind;
    }
    const int result = StoreCellText(nItem, nCol, text) ? 1 : 0;
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
    const int result = StoreCellText(nItem, kActionColumn, joined) ? 1 : 0;
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
        HitTest(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        TrackWholeText(msg, wp, lp);
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
        TrackWholeText(msg, wp, lp);
        OnLButton(msg, wp, lp);
        return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
        if (OnKey(msg, wp, lp))
            return 0;
        break;
    case LVM_SETITEMSTATE:
        if (lp && (reinterpret_cast<const LVITEMW*>(lp)->stateMask & LVIS_STATEIMAGEMASK) && OwnerKeepsChecks())
            return SetOwnerCheckStates(wp, *reinterpret_cast<const LVITEMW*>(lp));
        break;
    case WM_UPDATEUISTATE: {
        const LRESULT result = DefWindowProc(msg, wp, lp);
        RepaintSelection();
        return result;
    }
    case WM_SETFOCUS:
        // Some row shows where the keyboard works, even before one is chosen.
        FocusFirstEntryRow();
        [[fallthrough]];
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
        } else if (reinterpret_cast<const NMHDR*>(lp)->code == static_cast<UINT>(LVN_GETDISPINFOW)) {
            // The owner answers the check marks and its own cells after.
            AnswerRow(reinterpret_cast<NMLVDISPINFOW*>(lp)->item);
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
