// The main window's arithmetic that needs no window: where the buttons, the
// category pane and the entry list stand for a client rectangle at a screen
// scale, how wide the columns are, and the texts the lists show for counts
// and sizes. Every size below is in 96-DPI pixels; the functions give
// pixels at the scale they are handed.
#pragma once

#include "platform/dpi.h"

#include <windows.h>

#include <string>
#include <vector>

namespace main_layout {

// Height of the banner band above the body, and the row heights.
inline constexpr int kBodyTop = 79;
inline constexpr int kPaneWidth = 160;
inline constexpr int kPaneRowHeight = 52;
inline constexpr int kEntryRowHeight = 60;
// The window's least and default outer size.
inline constexpr int kMinWidth = 800;
inline constexpr int kMinHeight = 500;
// Fixed columns of an entry list: the size column at least, the actions
// column at least, the last, empty one; and what a measured column adds to
// its text.
inline constexpr int kSizeColumnWidth = 100;
inline constexpr int kActionColumnWidth = 180;
inline constexpr int kEndColumnWidth = 30;
inline constexpr int kColumnPadding = 16;
// The icons of the pane and the lists, and the check boxes.
inline constexpr int kIconSize = 32;
inline constexpr int kCheckSize = 16;
// The search row above the list: its height, the label's width, and the
// space between the row and the list.
inline constexpr int kSearchHeight = 22;
inline constexpr int kSearchLabelWidth = 60;
inline constexpr int kSearchGap = 10;

struct Size {
    int cx = 0;
    int cy = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

// The sizes of the six buttons.
struct ButtonSizes {
    Size selectAll;
    Size save;
    Size install;
    Size options;
    Size homepage;
    Size help;
};

struct Layout {
    RECT selectAll{};
    RECT options{};
    RECT install{};
    RECT save{};
    RECT homepage{};
    RECT help{};
    // The count of the checked entries, right of the select-all box.
    RECT count{};
    // The search box above the list, and its label.
    RECT searchLabel{};
    RECT search{};
    RECT pane{};
    RECT list{}; // also where the list frame is painted
    int bodyTop = 0;
    int bodyBottom = 0;
};

// The six buttons' sizes at a scale.
ButtonSizes ButtonSizesAt(const dpi::Scale& scale) noexcept;

// The rectangles of every control for a client rectangle, the buttons being
// of the given sizes.
Layout ComputeLayout(const RECT& client, const ButtonSizes& buttons, const dpi::Scale& scale = {}) noexcept;

// The window's outer size for the catalogue's width and height (96-DPI
// pixels, 0 when not given), raised to the least size, at a scale.
Size WindowSize(int mainWidth, int mainHeight, const dpi::Scale& scale) noexcept;
Size MinimumSize(const dpi::Scale& scale) noexcept;

// The outer size the window opens at: a size remembered for the catalogue
// (96-DPI pixels) at the scale, never less than least nor, where least
// allows, more than the work area.
Size OpeningSize(Size remembered, Size least, Size workArea, const dpi::Scale& scale) noexcept;

// The width of a column at a scale that holds its widest text (textWidth,
// measured in the list's font at that scale) and is never narrower than
// least (96-DPI pixels).
int MeasuredColumnWidth(int least, int textWidth, const dpi::Scale& scale) noexcept;

// The pixels the category pane lacks to show all its rows in the body of a
// layout: zero or negative when they fit.
int PaneOverflow(const Layout& layout, int paneRows, int paneRowHeight) noexcept;

// The height a window grown to wanted pixels takes on a work area
// workHeight pixels high: never more than the work area.
int GrownHeight(int wanted, int workHeight) noexcept;

// The width of the category pane's one column: the pane's, less a vertical
// scroll bar when its rows do not fit the pane's height.
int PaneColumnWidth(const Layout& layout, int paneRows, int paneRowHeight, int scrollBarWidth) noexcept;

// The width of the name column of an entry list in the layout's list
// rectangle: what the other columns leave, less a vertical scroll bar when
// the rows do not fit the list's height.
int NameColumnWidth(const Layout& layout, int otherColumns, int rows, int rowHeight, int scrollBarWidth) noexcept;

// The window rectangle the strips of the list frame cover, to repaint after
// a layout.
std::vector<RECT> FrameStrips(const RECT& client, const Layout& layout, const dpi::Scale& scale = {});

// The frame drawn around the list: its width is twice the overhang, half of
// it over the list's edge.
inline constexpr int kFrameOverhang = 5;

// "%.2f MB" of a byte count.
std::wstring SizeText(unsigned long long bytes);
// A pane row: "name(count)"; a header row: "name (count款)".
std::wstring PaneRowText(const std::wstring& name, int count);
std::wstring HeaderRowText(const std::wstring& name, int count);
// Beside the select-all box: "已选 N 款, 共 X MB".
std::wstring SelectionCountText(int count, unsigned long long bytes);

} // namespace main_layout
