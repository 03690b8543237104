// Times the catalogue list: filling an entry list of 2,000 rows, a full
// repaint of it showing 15 rows at a time, and scrolling through it row by
// row and page by page, at each screen scale given as arguments in DPI
// (default: 96, 120, 144, 168 and 192), with the font, rows, icons and
// pictures of that scale. Prints the figures; run by hand under
// tools/wine-exec, on a desktop that holds 15 rows at the largest scale. On a busy machine with few cores the figures swing with
// how the program and the Wine server are scheduled; with no Wine server
// running yet, `taskset -c 1 tools/wine-exec ...` keeps both on one core
// and gives steady figures.
#include "bench/stopwatch.h"
#include "platform/dpi.h"
#include "platform/handles.h"
#include "res/resource.h"
#include "ui/controls/ListEx.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kRows = 2000;
constexpr int kRowHeightAt96 = 60;
constexpr int kVisibleRows = 15;
constexpr int kRepaints = 100;

void Pump()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

class Host : public CWnd {
public:
    Host(int cx, int cy)
    {
        WNDCLASSW wc{};
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
        wc.lpszClassName = L"QuillsetListBench";
        ::RegisterClassW(&wc);
        CreateEx(0, wc.lpszClassName, L"bench", WS_POPUP | WS_VISIBLE, RECT{0, 0, cx, cy}, nullptr, 0);
    }
};

CImageList IconImages(int size, COLORREF back, const std::vector<UINT>& ids)
{
    CImageList images(::ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 0, 0));
    ::ImageList_SetBkColor(images.Get(), back);
    for (UINT id : ids) {
        const CIcon icon = LoadIconResource(id, size, size);
        ::ImageList_ReplaceIcon(images.Get(), -1, icon.Get());
    }
    return images;
}

// Times of single full repaints (erase and every row shown), sorted. The
// machine is shared, so the least and the middle time say more than the mean.
std::vector<double> TimeRepaints(const CListEx& list, int count)
{
    std::vector<double> times;
    for (int i = 0; i < count; ++i) {
        const Stopwatch watch;
        ::RedrawWindow(list.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        ::GdiFlush();
        times.push_back(watch.Milliseconds());
    }
    std::sort(times.begin(), times.end());
    return times;
}

// A fixed piece of arithmetic, to tell how fast the shared machine runs at
// the moment the figures are taken.
double ReferenceMs()
{
    const Stopwatch watch;
    volatile unsigned value = 1;
    for (unsigned i = 0; i < 20000000; ++i)
        value = value * 1664525u + 1013904223u;
    return watch.Milliseconds();
}

} // namespace

int RunAt(const dpi::Scale& scale)
{
    std::printf("== %d DPI (%d %%)\n", scale.dpi, scale.Px(100));
    const int kRowHeight = scale.Px(kRowHeightAt96);
    LOGFONTW lf{};
    lf.lfHeight = -::MulDiv(9, scale.dpi, 72);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    ::lstrcpynW(lf.lfFaceName, L"Tahoma", LF_FACESIZE);
    const CFont font(::CreateFontIndirectW(&lf));

    std::vector<CBitmap> owned;
    auto load = [&owned, &scale](UINT id) {
        owned.push_back(dpi::LoadBitmapAt(id, scale));
        return owned.back().Get();
    };
    const std::array<HBITMAP, 9> rows{load(IDB_ROW_MID), load(IDB_ROW_SEL_MID), load(IDB_ROW_SEL_MID),
                                      load(IDB_ROW_LEFT), load(IDB_ROW_SEL_LEFT), load(IDB_ROW_SEL_LEFT),
                                      load(IDB_ROW_RIGHT), load(IDB_ROW_SEL_RIGHT), load(IDB_ROW_SEL_RIGHT)};
    const HBITMAP headerMid = load(IDB_HEADER_MID);
    const HBITMAP headerLeft = load(IDB_HEADER_LEFT);
    const HBITMAP headerRight = load(IDB_HEADER_RIGHT);
    const CImageList checks = IconImages(scale.Px(16), RGB(244, 245, 247), {IDI_CHECK_OFF, IDI_CHECK_ON});
    const CImageList icons = IconImages(scale.Px(32), RGB(255, 255, 255), {IDR_MAINFRAME});

    // The list's client area holds exactly 15 rows beside its scroll bar.
    const int width = scale.Px(530) + ::GetSystemMetrics(SM_CXVSCROLL);
    Host host(width + 20, kVisibleRows * kRowHeight + 20);
    CListEx list;
    if (!list.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_OWNERDRAWFIXED |
                         LVS_NOCOLUMNHEADER | LVS_SHAREIMAGELISTS,
                     RECT{10, 10, 10 + width, 10 + kVisibleRows * kRowHeight}, host.m_hWnd, 1007)) {
        std::printf("could not create the list\n");
        return 1;
    }
    list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_CHECKBOXES);
    list.SetImageList(icons.Get(), LVSIL_SMALL);
    list.SetImageList(checks.Get(), LVSIL_STATE);
    list.SetFont(font.Get(), FALSE);
    list.SetScale(scale);
    list.InsertListColumn(0, L"name", LVCFMT_LEFT, scale.Px(200));
    list.InsertListColumn(1, L"size", LVCFMT_CENTER, scale.Px(100));
    list.InsertListColumn(2, L"actions", LVCFMT_CENTER, scale.Px(180));
    list.InsertListColumn(3, L"", LVCFMT_CENTER, scale.Px(30));
    const std::vector<std::wstring> links{LoadStringResource(IDS_ACTION_MANUAL), LoadStringResource(IDS_ACTION_AUTO),
                                          LoadStringResource(IDS_ACTION_SAVE)};

    // The fill, step by step as the owner does it, each step timed over
    // all rows.
    double insertMs = 0;
    double firstInsertsMs = 0;
    double lastInsertsMs = 0;
    double sizeMs = 0;
    double linksMs = 0;
    double checkMs = 0;
    for (int i = 0; i < kRows; ++i) {
        if (i % 20 == 0) {
            const Stopwatch insert;
            list.InsertListItem(i, L"Category " + std::to_wstring(i / 20) + L" (19)", 1, L"");
            insertMs += insert.Milliseconds();
            continue;
        }
        const std::wstring description =
            i % 3 ? L"A package with a description line that is long enough to be shortened at the end" : L"";
        const Stopwatch insert;
        list.InsertListItem(i, L"Package number " + std::to_wstring(i) + L" with a rather long name", 0, description);
        const double ms = insert.Milliseconds();
        insertMs += ms;
        if (i < 100)
            firstInsertsMs += ms;
        if (i >= kRows - 100)
            lastInsertsMs += ms;
        const Stopwatch size;
        list.SetCellText(i, 1, L"123.45 MB", 0);
        sizeMs += size.Milliseconds();
        const Stopwatch linking;
        list.SetLinks(i, links);
        linksMs += linking.Milliseconds();
        const Stopwatch checking;
        list.SetCheck(i, i % 2 == 0);
        checkMs += checking.Milliseconds();
    }
    const Stopwatch fill;
    list.SetRowHeight(kRowHeight);
    list.SetEraseColor(RGB(244, 245, 247));
    list.SetLinkColorSelFocus(RGB(252, 24, 17));
    list.SetEntryBitmaps(rows);
    list.SetHeaderBitmaps(headerMid, headerLeft, headerRight);
    list.SetDrawFlags(14);
    list.SetItemState(3, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ::SetFocus(list.m_hWnd);
    Pump();
    const double fillMs = fill.Milliseconds();

    const int perPage = static_cast<int>(list.SendMessage(LVM_GETCOUNTPERPAGE));
    std::printf("entry list: %d rows, %d shown at a time\n", list.GetItemCount(), perPage);
    std::printf("fill: rows %.1f ms, sizes %.1f ms, links %.1f ms, checks %.1f ms, settings and first paint %.1f ms\n",
                insertMs, sizeMs, linksMs, checkMs, fillMs);
    std::printf("      an entry row inserted among the first 100 rows %.3f ms, among the last 100 %.3f ms\n",
                firstInsertsMs / 95, lastInsertsMs / 95);

    std::printf("reference arithmetic: %.1f ms\n", ReferenceMs());
    TimeRepaints(list, 5);
    const std::vector<double> repaints = TimeRepaints(list, kRepaints);
    std::printf("full repaint (erase and %d rows), %d times: least %.3f ms, median %.3f ms, most %.3f ms\n", perPage,
                kRepaints, repaints.front(), repaints[repaints.size() / 2], repaints.back());

    // Descriptions of 4,095 characters (the longest a catalogue value gets):
    // each painted row shortens one to its box.
    std::vector<std::wstring> shortDescriptions;
    for (int i = 0; i < list.GetItemCount(); ++i)
        shortDescriptions.push_back(list.Description(i));
    std::wstring longText;
    while (longText.size() < 4095)
        longText += L"A very long description of a package, repeated over and over; ";
    longText.resize(4095);
    for (int i = 0; i < list.GetItemCount(); ++i)
        if (!list.Description(i).empty())
            list.SetDescription(i, longText);
    TimeRepaints(list, 2);
    const std::vector<double> longRepaints = TimeRepaints(list, 20);
    std::printf("full repaint with 4,095-character descriptions, 20 times: least %.3f ms, median %.3f ms, most %.3f "
                "ms\n",
                longRepaints.front(), longRepaints[longRepaints.size() / 2], longRepaints.back());
    const Stopwatch fitting;
    for (int i = 0; i < 100; ++i)
        list.FitText(longText, RECT{0, 0, 300, 15});
    std::printf("one 4,095-character text fitted to 300 pixels: %.3f ms\n", fitting.Milliseconds() / 100);
    for (int i = 0; i < list.GetItemCount(); ++i)
        list.SetDescription(i, shortDescriptions[static_cast<size_t>(i)]);

    // Scrolling row by row from the top to the end, each step painted.
    list.SendMessage(LVM_ENSUREVISIBLE, 0, FALSE);
    Pump();
    int steps = 0;
    const Stopwatch byRow;
    while (static_cast<int>(list.SendMessage(LVM_GETTOPINDEX)) + perPage < list.GetItemCount()) {
        list.SendMessage(LVM_SCROLL, 0, kRowHeight);
        ::UpdateWindow(list.m_hWnd);
        ++steps;
    }
    const double rowMs = byRow.Milliseconds();
    std::printf("scroll by rows: %d steps in %.1f ms, %.3f ms a step\n", steps, rowMs, rowMs / steps);

    // Page by page back to the top.
    steps = 0;
    const Stopwatch byPage;
    while (list.SendMessage(LVM_GETTOPINDEX) > 0) {
        list.SendMessage(WM_VSCROLL, SB_PAGEUP, 0);
        ::UpdateWindow(list.m_hWnd);
        ++steps;
    }
    const double pageMs = byPage.Milliseconds();
    std::printf("scroll by pages: %d steps in %.1f ms, %.3f ms a step\n", steps, pageMs, pageMs / steps);
    return 0;
}

int main(int argc, char** argv)
{
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);
    std::vector<int> dpis;
    for (int i = 1; i < argc; ++i)
        dpis.push_back(std::atoi(argv[i]));
    if (dpis.empty())
        dpis = {96, 120, 144, 168, 192};
    for (const int n : dpis) {
        if (n < 48 || n > 480 || RunAt(dpi::Scale{n}) != 0)
            return 1;
    }
    return 0;
}
