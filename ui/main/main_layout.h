// The main window's arithmetic that needs no window: where the buttons, the
// category pane and the entry list stand for a client rectangle, how wide
// the name column is, and the texts the lists show for counts and sizes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace main_layout {

// Height of the banner band above the body, and the row heights.
inline constexpr int kBodyTop = 79;
inline constexpr int kPaneWidth = 160;
inline constexpr int kPaneRowHeight = 52;
inline constexpr int kEntryRowHeight = 60;

struct Size {
    int cx = 0;
    int cy = 0;
};

// The created sizes of the six buttons.
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
    RECT pane{};
    RECT list{}; // also where the list frame is painted
    int bodyTop = 0;
    int bodyBottom = 0;
};

// The rectangles of every control for a client rectangle.
Layout ComputeLayout(const RECT& client, const ButtonSizes& buttons) noexcept;

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
std::vector<RECT> FrameStrips(const RECT& client, const Layout& layout);

// "%.2f MB" of a byte count.
std::wstring SizeText(unsigned long long bytes);
// A pane row: "name(count)"; a header row: "name (count款)".
std::wstring PaneRowText(const std::wstring& name, int count);
std::wstring HeaderRowText(const std::wstring& name, int count);

} // namespace main_layout
