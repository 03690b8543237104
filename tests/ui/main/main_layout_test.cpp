// The main window's arithmetic: the worked layout to the pixel, the pane
// overflow, the name column and the texts.
#include "ui/main/main_layout.h"

#include <gtest/gtest.h>

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
    ExpectRect(layout.list, 167, 79, 789, 440, "list");

    // Column 0 beside columns of 100, 180 and 30: 5 rows of 60 fit, 6 do not.
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

TEST(MainLayout, Texts)
{
    EXPECT_EQ(SizeText(1572864), L"1.50 MB");
    EXPECT_EQ(SizeText(0), L"0.00 MB");
    EXPECT_EQ(SizeText(5ull << 32), L"20480.00 MB");
    EXPECT_EQ(PaneRowText(L"全部软件", 5), L"全部软件(5)");
    EXPECT_EQ(HeaderRowText(L"A", 3), L"A (3款)");
    const std::wstring longName(300, L'名');
    EXPECT_EQ(PaneRowText(longName, 12), longName + L"(12)");
}

} // namespace
