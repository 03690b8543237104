// The main window's arithmetic: the worked layout to the pixel, the pane
// overflow, the name column and the texts.
#include "ui/main/main_layout.h"

#include <gtest/gtest.h>

#include <iterator>
#include <numeric>

namespace {

using namespace main_layout;

const ButtonSizes kButtons{{140, 24}, {106, 24}, {106, 24}, {16, 24}, {96, 23}, {96, 23}};

void ExpectRect(const RECT& rc, LONG l, LONG t, LONG r, LONG b, const char* what)
{
    EXPECT_EQ(rc.left, l) << what;
    EXPECT_EQ(rc.top, t) << what;
    EXPECT_EQ(rc.right, r) << what;
    EXPECT_EQ(rc.bottom, b) << what;
}

TEST(MainLayout, TheWorkedExampleToThePixel)
{
    const Layout layout = ComputeLayout(RECT{0, 0, 800, 500}, kButtons);
    ExpectRect(layout.selectAll, 183, 455, 323, 479, "select all");
    ExpectRect(layout.options, 773, 455, 789, 479, "options");
    ExpectRect(layout.install, 667, 455, 773, 479, "install");
    ExpectRect(layout.save, 553, 455, 659, 479, "save");
    ExpectRect(layout.help, 694, 38, 790, 61, "help");
    ExpectRect(layout.homepage, 588, 38, 684, 61, "homepage");
    EXPECT_EQ(layout.bodyBottom, 440);
    ExpectRect(layout.pane, 6, 79, 166, 440, "pane");
    // The search row above the list, the count right of the select-all box.
    ExpectRect(layout.searchLabel, 167, 79, 227, 101, "search label");
    ExpectRect(layout.search, 227, 79, 789, 101, "search box");
    ExpectRect(layout.list, 167, 111, 789, 440, "list");
    ExpectRect(layout.count, 331, 455, 545, 479, "count");

    // Column 0 beside columns of 100, 180 and 30: 5 rows of 60 fit the 329
    // pixels, 6 do not.
    EXPECT_EQ(NameColumnWidth(layout, 310, 5, 60, 17), 311);
    EXPECT_EQ(NameColumnWidth(layout, 310, 6, 60, 17), 311 - 17);
    // A list 600 pixels wide.
    Layout narrow = layout;
    narrow.list.right = narrow.list.left + 600;
    EXPECT_EQ(NameColumnWidth(narrow, 310, 0, 60, 17), 289);
    EXPECT_EQ(NameColumnWidth(narrow, 310, 7, 60, 17), 289 - 17);

    // Eight pane rows lack 55 pixels; four leave 153 to spare.
    EXPECT_EQ(PaneOverflow(layout, 8, 52), 55);
    EXPECT_EQ(PaneOverflow(layout, 4, 52), -153);
}

bool Overlap(const RECT& a, const RECT& b)
{
    RECT both{};
    return ::IntersectRect(&both, &a, &b) != FALSE;
}

// At every scale the window, its bands and its controls grow together: the
// 800 x 500 window at the scale, each rectangle of the worked example
// multiplied by the scale (give or take the rounding of the pieces it is
// made of), nothing overlapping, and the pane a pixel from the list.
TEST(MainLayout, EveryScaleFromOnePlace)
{
    struct Case {
        int dpi;
        LONG windowWidth;
        LONG windowHeight;
        RECT selectAll;
        RECT help;
        RECT pane;
        RECT list;
    };
    const Case cases[] = {
        {96, 800, 500, {183, 455, 323, 479}, {694, 38, 790, 61}, {6, 79, 166, 440}, {167, 111, 789, 440}},
        {120, 1000, 625, {229, 569, 404, 599}, {867, 48, 987, 77}, {8, 99, 208, 550}, {209, 140, 986, 550}},
        {144, 1200, 750, {275, 682, 485, 718}, {1041, 57, 1185, 92}, {9, 119, 249, 659}, {250, 167, 1183, 659}},
        {168, 1400, 875, {320, 796, 565, 838}, {1214, 67, 1382, 107}, {11, 138, 291, 770}, {292, 195, 1381, 770}},
        {192, 1600, 1000, {366, 910, 646, 958}, {1388, 76, 1580, 122}, {12, 158, 332, 880}, {333, 222, 1578, 880}},
    };
    for (const Case& c : cases) {
        const dpi::Scale scale{c.dpi};
        const Size window = WindowSize(0, 0, scale);
        EXPECT_EQ(window.cx, c.windowWidth) << c.dpi;
        EXPECT_EQ(window.cy, c.windowHeight) << c.dpi;
        EXPECT_EQ(MinimumSize(scale).cx, c.windowWidth) << c.dpi;
        // The catalogue's size is in 96-DPI pixels.
        EXPECT_EQ(WindowSize(1024, 700, scale).cx, scale.Px(1024)) << c.dpi;

        const RECT client{0, 0, window.cx, window.cy};
        const Layout layout = ComputeLayout(client, ButtonSizesAt(scale), scale);
        ExpectRect(layout.selectAll, c.selectAll.left, c.selectAll.top, c.selectAll.right, c.selectAll.bottom,
                   "select all");
        ExpectRect(layout.help, c.help.left, c.help.top, c.help.right, c.help.bottom, "help");
        ExpectRect(layout.pane, c.pane.left, c.pane.top, c.pane.right, c.pane.bottom, "pane");
        ExpectRect(layout.list, c.list.left, c.list.top, c.list.right, c.list.bottom, "list");
        EXPECT_EQ(layout.list.left - layout.pane.right, 1) << c.dpi;

        const RECT all[] = {layout.selectAll, layout.options, layout.install,     layout.save,
                            layout.homepage,  layout.help,    layout.pane,        layout.list,
                            layout.count,     layout.search,  layout.searchLabel};
        for (size_t i = 0; i < std::size(all); ++i) {
            for (size_t j = i + 1; j < std::size(all); ++j)
                EXPECT_FALSE(Overlap(all[i], all[j])) << c.dpi << ": " << i << " and " << j;
            RECT inside{};
            ::IntersectRect(&inside, &all[i], &client);
            EXPECT_TRUE(::EqualRect(&inside, &all[i])) << c.dpi << ": " << i;
        }
        // The buttons stay in their bands: the top ones in the banner, the
        // bottom ones under the body.
        EXPECT_LT(layout.help.bottom, layout.bodyTop) << c.dpi;
        EXPECT_GT(layout.save.top, layout.bodyBottom) << c.dpi;
        // The pane holds as many rows at every scale: six, not seven.
        EXPECT_LE(PaneOverflow(layout, 6, scale.Px(kPaneRowHeight)), 0) << c.dpi;
        EXPECT_GT(PaneOverflow(layout, 7, scale.Px(kPaneRowHeight)), 0) << c.dpi;
        // The frame strips repainted after a layout lie around the list.
        const std::vector<RECT> strips = FrameStrips(client, layout, scale);
        EXPECT_EQ(strips[0].right, layout.list.left) << c.dpi;
        EXPECT_EQ(strips[1].left, layout.list.right) << c.dpi;
        // The search row stands above the list, clear of its frame.
        EXPECT_EQ(layout.search.top, layout.bodyTop) << c.dpi;
        EXPECT_GE(layout.list.top - layout.search.bottom, scale.Px(kFrameOverhang)) << c.dpi;
    }
}

// A measured column holds its text with room to spare, never narrower than
// its least width at the scale.
TEST(MainLayout, MeasuredColumnsAtEveryScale)
{
    EXPECT_EQ(MeasuredColumnWidth(kSizeColumnWidth, 50, dpi::Scale{}), 100);
    EXPECT_EQ(MeasuredColumnWidth(kSizeColumnWidth, 50, dpi::Scale{192}), 200);
    EXPECT_EQ(MeasuredColumnWidth(kSizeColumnWidth, 150, dpi::Scale{}), 166);
    EXPECT_EQ(MeasuredColumnWidth(kSizeColumnWidth, 250, dpi::Scale{144}), 274);
    EXPECT_EQ(MeasuredColumnWidth(kActionColumnWidth, 200, dpi::Scale{120}), 225);
}

TEST(MainLayout, Texts)
{
    EXPECT_EQ(SizeText(1572864), L"1.50 MB");
    EXPECT_EQ(SizeText(0), L"0.00 MB");
    EXPECT_EQ(SizeText(5ull << 32), L"20480.00 MB");
    EXPECT_EQ(PaneRowText(L"全部软件", 5), L"全部软件(5)");
    EXPECT_EQ(HeaderRowText(L"A", 3), L"A (3款)");
    EXPECT_EQ(SelectionCountText(2, 2097152), L"已选 2 款, 共 2.00 MB");
    EXPECT_EQ(SelectionCountText(0, 0), L"已选 0 款, 共 0.00 MB");
    const std::wstring longName(300, L'名');
    EXPECT_EQ(PaneRowText(longName, 12), longName + L"(12)");
}

} // namespace
