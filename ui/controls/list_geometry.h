// Row geometry of the catalogue list: where a row's bands, check box, icon,
// texts, cells and action links lie, which link is under a point, and how a
// name is shortened to fit. Plain arithmetic over rectangles the list view
// reports, shared by the control's painting and hit-testing.
#pragma once

#include "platform/dpi.h"

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace list_geometry {

// Drawing flags of the list (bit values).
inline constexpr DWORD kFlagEraseBitmap = 1;
inline constexpr DWORD kFlagEntryBitmaps = 2;
inline constexpr DWORD kFlagHeaderBitmaps = 4;
inline constexpr DWORD kFlagThreePiece = 8;
inline constexpr DWORD kFlagNoErase = 16;

// Layout mode bit: the category pane.
inline constexpr DWORD kModePane = 2;

// Row kinds.
inline constexpr DWORD kRowEntry = 0;
inline constexpr DWORD kRowHeader = 1;

// Column kinds: 0 plain, 1 single link, n >= 2 a column of n links.
inline constexpr DWORD kColumnPlain = 0;
inline constexpr DWORD kColumnLink = 1;
inline constexpr DWORD kColumnMultiLink = 2;

// Text drawing flags.
inline constexpr UINT kCellTextFlags = DT_SINGLELINE | DT_VCENTER;
inline constexpr UINT kEntryTextFlags = DT_SINGLELINE | DT_VCENTER | DT_NOCLIP;

// Height of the name and description bands (96-DPI pixels), and the space
// between links. Every offset of a row is given at 96 DPI and grows with
// the scale the row is laid out at.
inline constexpr int kBandHeight = 15;
inline constexpr wchar_t kLinkSeparator[] = L"    ";
inline constexpr wchar_t kEllipsis[] = L"...";
// Cells narrower than this show nothing (96-DPI pixels).
inline constexpr int kMinCellWidth = 12;
// The icon and the check box (96-DPI pixels).
inline constexpr int kIconSize = 32;
inline constexpr int kCheckSize = 16;

// The band that ends at the middle of the label rectangle, and the one that
// starts there (left and right edges are the label's), each kBandHeight
// high at the scale.
RECT NameBand(const RECT& label, const dpi::Scale& scale = {}) noexcept;
RECT DescriptionBand(const RECT& label, const dpi::Scale& scale = {}) noexcept;

// True when (x, y) lies in rc, right and bottom edges excluded.
bool Contains(const RECT& rc, int x, int y) noexcept;

// The rectangles a row paints in, from the list view's bounds, label and
// icon rectangles of the row.
struct EntryRowLayout {
    RECT bounds{};   // the whole row from the control's left edge
    RECT label{};    // column 0's label, 5 pixels wider to the left
    RECT icon{};     // the small image's place
    RECT text{};     // the name (one line, or the name band)
    RECT desc{};     // the description band
    int height = 0;  // of the label
    POINT check{};   // top-left of the check box
    POINT image{};   // top-left of the icon
    dpi::Scale scale{};
};

// An entry row of an entry list. twoLine: the row has a description;
// shifted: rows are painted on three-piece bitmaps (drawing flags 2 and 8),
// which moves the contents right.
EntryRowLayout EntryRow(const RECT& bounds, const RECT& label, const RECT& icon, bool twoLine, bool shifted,
                        const dpi::Scale& scale = {}) noexcept;

// An entry row of the category pane: the icon at a fixed place, the name
// beside it.
EntryRowLayout PaneRow(const RECT& bounds, const RECT& label, const RECT& icon, bool twoLine,
                       const dpi::Scale& scale = {}) noexcept;

// The box of a category title in a header row.
RECT HeaderTitleBox(const RECT& label, const RECT& icon, bool shifted, const dpi::Scale& scale = {}) noexcept;

// The box a name is fitted into, and the description's box.
RECT NameBox(const EntryRowLayout& row) noexcept;
RECT DescriptionBox(const EntryRowLayout& row) noexcept;

// The text box of a plain or single-link cell.
RECT CellTextBox(int cellLeft, int cellRight, const RECT& text, const dpi::Scale& scale = {}) noexcept;

// Three-piece background: the left piece, the stretched middle and the right
// piece over the row's bounds, given the widths of the left and right pieces.
struct ThreePieces {
    RECT left{};
    RECT middle{};
    RECT right{};
};
ThreePieces BackgroundPieces(const RECT& bounds, int leftWidth, int rightWidth) noexcept;

// Horizontal extent [left, right) of a single link of the given text width,
// centred in its cell.
std::pair<int, int> SingleLinkSpan(int cellLeft, int cellRight, int textWidth) noexcept;

// The left edges of a centred group of links: groupWidth is the width of the
// links joined by the separator, separatorWidth that of the separator.
std::vector<int> LinkLefts(int cellLeft, int cellRight, int groupWidth, const std::vector<int>& linkWidths,
                           int separatorWidth);

// The rectangles the links of a link cell of the given kind are drawn in and
// answer the pointer over: as high as the row's text box (the name band of
// a row with a description, the whole one-line box of a row without), as
// wide as each link. A single link (groupWidth its width) is centred in the
// cell; several are centred as one group, groupWidth wide.
std::vector<RECT> LinkRects(DWORD kind, int cellLeft, int cellRight, const RECT& text, int groupWidth,
                            const std::vector<int>& linkWidths, int separatorWidth);

// 1-based number of the rectangle that holds (x, y); 0 when none does.
int LinkAt(int x, int y, const std::vector<RECT>& rects) noexcept;

// The row a key that moves the focus by nStep (+1 down, -1 up) settles on
// when it arrives at nRow of nCount rows: nRow unless it is a header row,
// else the first entry row beyond it that way, else the nearest one back
// the other way; -1 when no row is an entry row.
int EntryRowForKey(const std::function<bool(int)>& isHeader, int nCount, int nRow, int nStep);

// Whether a key message asks for the focused row's menu: the Apps key as it
// comes up, or Shift+F10 as it goes down (F10 comes as a system key).
bool IsMenuKey(UINT msg, WPARAM key, bool bShiftDown) noexcept;

// The index of the link list of the multi-link column col: the number of
// columns 1 .. col-1 of kind 2 or more.
int LinkListIndex(const std::vector<DWORD>& columnKinds, int col) noexcept;

// Rows to test for a point at height y, in order, for rows laid out one
// under the other from firstTop with the given height: the row whose span
// holds y and its neighbours, clamped to [0, count).
std::pair<int, int> CandidateRows(int y, int firstTop, int rowHeight, int count) noexcept;

// Shortens text so that it fits avail pixels, measuring with width: unchanged
// when it fits; otherwise characters come off the end until the rest plus
// "..." fits, and "..." is appended. The first character always stays.
std::wstring FitText(const std::wstring& text, int avail, const std::function<int(const std::wstring&)>& width);

// The width a column needs for a cell whose text is textWidth wide: column 0
// also holds the check box and icon up to iconRight.
int AutoSizeCandidate(int column, int textWidth, int iconRight) noexcept;

} // namespace list_geometry
