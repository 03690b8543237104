// Where the three links of an entry row lie, measured as the list lays them
// out, and clicks on them in a running copy of the program.
#pragma once

#include <windows.h>

#include <vector>

namespace testing_support {

// The links of a row whose label (first column) is label, in a font like
// the list's; element 0 is just left of the first link, elements 1 to 3 are
// the middles of "手动安装", "自动安装" and "保存安装包".
std::vector<POINT> LinkPoints(HFONT hFont, const RECT& label, int sizeWidth, int linkWidth);

// The same for row nRow of an entry list of the program running in another
// process (rows of the entry height, the dialog's font Tahoma 9).
std::vector<POINT> ProgramLinkPoints(HWND hList, int nRow);

// A click at pt of a window of another process. The release starts the
// action; one that waits for an answer (bAsks) is posted, not sent.
void ClickRemote(HWND hWnd, POINT pt, bool bAsks);

// A click of the right button at pt of a window of another process, both
// halves through its queue, so it works however the pointer lies.
void RightClickRemote(HWND hWnd, POINT pt);

} // namespace testing_support
