// The drawing arithmetic of the skinned buttons, without windows.
#include "ui/controls/button_drawing.h"

#include <gtest/gtest.h>

namespace {

using namespace button_drawing;

bool Same(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(ButtonDrawing, PressedComesFromTheSelectionTheCheckOrAnOpenMenu)
{
    EXPECT_TRUE(IsPressed(ODS_SELECTED, FALSE, 0, false, FALSE));
    EXPECT_FALSE(IsPressed(ODS_FOCUS, FALSE, 1, false, FALSE)) << "a push button ignores the check state";
    EXPECT_TRUE(IsPressed(0, TRUE, 1, false, FALSE)) << "a checked check button is drawn pressed";
    EXPECT_FALSE(IsPressed(0, TRUE, 0, true, TRUE)) << "check mode ignores the menu";
    EXPECT_TRUE(IsPressed(0, FALSE, 0, true, TRUE));
    EXPECT_FALSE(IsPressed(0, FALSE, 0, false, TRUE)) << "no menu, nothing shown";
}

TEST(ButtonDrawing, ColourSlotsFollowHoverPressAndFocus)
{
    EXPECT_EQ(BackgroundSlot(FALSE, FALSE, FALSE), NormalBack);
    EXPECT_EQ(BackgroundSlot(FALSE, FALSE, TRUE), FocusBack);
    EXPECT_EQ(BackgroundSlot(TRUE, FALSE, TRUE), HoverBack);
    EXPECT_EQ(BackgroundSlot(FALSE, TRUE, TRUE), HoverBack);
    EXPECT_EQ(TextSlot(FALSE, FALSE, FALSE), NormalText);
    EXPECT_EQ(TextSlot(FALSE, FALSE, TRUE), FocusText);
    EXPECT_EQ(TextSlot(FALSE, TRUE, FALSE), HoverText);
    EXPECT_EQ(DefaultColor(HoverBack), ::GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(DefaultColor(FocusText), ::GetSysColor(COLOR_BTNTEXT));
}

TEST(ButtonDrawing, TheHotImageShowsWhilePressedOrHoveredOutsideCheckMode)
{
    EXPECT_EQ(ImageEntry(FALSE, FALSE, FALSE, true), 1);
    EXPECT_EQ(ImageEntry(FALSE, FALSE, TRUE, true), 0);
    EXPECT_EQ(ImageEntry(TRUE, FALSE, FALSE, true), 0);
    EXPECT_EQ(ImageEntry(FALSE, TRUE, TRUE, true), 1) << "hovering a check button keeps its image";
    EXPECT_EQ(ImageEntry(TRUE, TRUE, FALSE, true), 0);
    EXPECT_EQ(ImageEntry(FALSE, FALSE, FALSE, false), 0) << "only a hot image: it shows always";
}

TEST(ButtonDrawing, PlacementLeftOfTheCaption)
{
    const ImageLayout layout;
    const RECT item{0, 0, 100, 40};
    RECT caption = item;
    EXPECT_TRUE(Same(PlaceImage(layout, TRUE, FALSE, 20, 20, item, caption, 100), RECT{0, 10, 100, 40}));
    EXPECT_EQ(caption.left, 23) << "the caption starts past the image and the margin";

    caption = item;
    EXPECT_TRUE(Same(PlaceImage(layout, FALSE, FALSE, 20, 21, item, caption, 100), RECT{40, 9, 100, 40}))
        << "without a caption the image is centred; odd halves truncate";
    EXPECT_TRUE(Same(caption, item));

    caption = item;
    const RECT pressed = PlaceImage(layout, TRUE, TRUE, 20, 20, item, caption, 100);
    EXPECT_EQ(pressed.left, 1);
    EXPECT_EQ(pressed.top, 11);

    ImageLayout check = layout;
    check.checkMode = TRUE;
    caption = item;
    EXPECT_EQ(PlaceImage(check, TRUE, TRUE, 20, 20, item, caption, 100).left, 0) << "check buttons do not shift";
}

TEST(ButtonDrawing, PlacementOfAPictureWiderThanItsButtonCentresTowardTheLeft)
{
    const ImageLayout layout;
    const RECT item{0, 0, 81, 21};
    RECT caption = item;
    const RECT image = PlaceImage(layout, FALSE, FALSE, 85, 23, item, caption, 81);
    EXPECT_EQ(image.left, -2) << "(81 - 85) / 2 truncates toward zero";
    EXPECT_EQ(image.top, -1);

    caption = item;
    PlaceImage(layout, TRUE, FALSE, 80, 20, item, caption, 81);
    EXPECT_GE(caption.left, item.right) << "the caption area lies at or past the right edge";
}

TEST(ButtonDrawing, PlacementAboveAndRightOfTheCaption)
{
    ImageLayout above;
    above.align = 1;
    const RECT item{0, 0, 60, 60};
    RECT caption = item;
    const RECT top = PlaceImage(above, TRUE, FALSE, 20, 16, item, caption, 60);
    EXPECT_EQ(top.left, 20);
    EXPECT_EQ(top.top, 3) << "an absolute position from the margin";
    EXPECT_EQ(caption.top, 16);
    caption = item;
    EXPECT_EQ(PlaceImage(above, FALSE, FALSE, 20, 16, item, caption, 60).top, 22);

    ImageLayout right;
    right.align = 2;
    const RECT wide{0, 0, 100, 40};
    caption = wide;
    const RECT image = PlaceImage(right, TRUE, FALSE, 20, 20, wide, caption, 100);
    EXPECT_EQ(image.left, 77);
    EXPECT_EQ(image.top, 10);
    EXPECT_EQ(caption.left, 3);
    EXPECT_EQ(caption.right, 77);
    caption = wide;
    const RECT alone = PlaceImage(right, FALSE, FALSE, 20, 20, wide, caption, 100);
    EXPECT_EQ(alone.left, 40);
    EXPECT_EQ(alone.top, 0) << "alone on the right, the image is not centred vertically";

    ImageLayout unknown;
    unknown.align = 7;
    caption = wide;
    EXPECT_TRUE(Same(PlaceImage(unknown, TRUE, FALSE, 20, 20, wide, caption, 100), wide));
    EXPECT_TRUE(Same(caption, wide));
}

TEST(ButtonDrawing, ThemedStateNumbers)
{
    EXPECT_EQ(ThemedState(FALSE, FALSE, FALSE, FALSE, FALSE, FALSE), 1);
    EXPECT_EQ(ThemedState(TRUE, FALSE, FALSE, FALSE, FALSE, FALSE), 5) << "a default push button";
    EXPECT_EQ(ThemedState(TRUE, FALSE, FALSE, TRUE, FALSE, FALSE), 2) << "hovering wins over default";
    EXPECT_EQ(ThemedState(TRUE, FALSE, FALSE, TRUE, TRUE, FALSE), 3);
    EXPECT_EQ(ThemedState(TRUE, FALSE, FALSE, FALSE, FALSE, TRUE), 4) << "a disabled default button";
    EXPECT_EQ(ThemedState(TRUE, TRUE, FALSE, FALSE, FALSE, FALSE), 1) << "toolbar look without border";
    EXPECT_EQ(ThemedState(TRUE, TRUE, TRUE, FALSE, FALSE, FALSE), 5);
}

} // namespace
