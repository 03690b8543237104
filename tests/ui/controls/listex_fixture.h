// Real catalogue lists in a real top-level window, set up the way the main
// window sets up its category pane and entry lists, with row pictures and
// image lists in plain colours so that pixels tell what was painted where.
#pragma once

#include "platform/handles.h"
#include "tests/support/test_support.h"
#include "ui/controls/ListEx.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace listex_test {

// Colours of the test pictures.
inline constexpr COLORREF kCheckOff = RGB(0, 0, 255);
inline constexpr COLORREF kCheckOn = RGB(255, 0, 0);
inline constexpr COLORREF kIcon = RGB(0, 160, 0);
inline constexpr COLORREF kEntryMid[3] = {RGB(236, 236, 236), RGB(160, 200, 240), RGB(210, 210, 180)};
inline constexpr COLORREF kEntryLeft[3] = {RGB(226, 236, 226), RGB(150, 210, 230), RGB(200, 220, 170)};
inline constexpr COLORREF kEntryRight[3] = {RGB(236, 226, 226), RGB(170, 190, 250), RGB(220, 200, 190)};
inline constexpr COLORREF kHeaderMid = RGB(200, 215, 225);
inline constexpr COLORREF kHeaderLeft = RGB(190, 205, 215);
inline constexpr COLORREF kHeaderRight = RGB(210, 225, 235);
inline constexpr COLORREF kListBack = RGB(250, 250, 240);
inline constexpr COLORREF kPaneRow = RGB(220, 230, 240);
inline constexpr COLORREF kPaneSel = RGB(120, 160, 220);
inline constexpr COLORREF kPaneBack = RGB(180, 190, 200);

// A 9-point Tahoma font, as the dialog's font.
CFont MakeDialogFont();
// A bitmap of one colour.
CBitmap SolidBitmap(int cx, int cy, COLORREF cr);
// An image list of square images, one per colour.
CImageList SolidImages(int size, const std::vector<COLORREF>& colours);
// The action link names of the entry lists, as the program has them.
std::vector<std::wstring> ActionNames();
// Three action links that fit their 180-pixel column, for the tests that
// measure where links lie.
std::vector<std::wstring> TestLinks();
// The width of text in font.
int TextWidth(HFONT hFont, const std::wstring& text);

// A top-level window that hosts lists and records the clicks its lists
// report, with the hot link the list held at that moment.
class Host : public testing_support::HostWindow {
public:
    explicit Host(int cx = 900, int cy = 700);
    struct Click {
        UINT nID;
        int nItem;
        int nHotLink;
        int nHotLinkKind;
    };
    std::vector<Click> clicks;

protected:
    BOOL OnNotify(WPARAM wp, LPARAM lp, LRESULT* pResult) override;
};

// Everything a test list is made of; the pictures outlive the lists.
class ListTest : public ::testing::Test {
protected:
    ListTest();

    // An entry list (4 columns 200/100/180/30, rows 60 high, check boxes,
    // drawing flags 14) at rc in the host.
    std::unique_ptr<CListEx> MakeEntryList(const RECT& rc, UINT nID = 1007);
    // The category pane (one column of 160, rows 52 high, drawing flags 11).
    std::unique_ptr<CListEx> MakePane(const RECT& rc, UINT nID = 1000);
    // Adds an entry row with the action links and a size; returns its index.
    int AddEntry(CListEx& list, const std::wstring& name, const std::wstring& description, int nImage = 0);
    int AddHeader(CListEx& list, const std::wstring& title);

    // Rectangles of a row as the list view reports them.
    static RECT Label(const CListEx& list, int nItem);
    static RECT Icon(const CListEx& list, int nItem);
    static RECT Bounds(const CListEx& list, int nItem);

    // Real pointer input, in the list's client coordinates.
    static void MoveTo(CListEx& list, int x, int y);
    static void ClickAt(CListEx& list, int x, int y);

    Host host;
    CFont font;
    CImageList checks;
    CImageList icons;
    std::array<CBitmap, 9> entryBitmaps;
    std::array<CBitmap, 3> headerBitmaps;
    std::array<CBitmap, 9> paneBitmaps;
    CBitmap paneBack;
};

} // namespace listex_test
