// The arithmetic of the skinned buttons' drawing, as plain functions: which
// state a paint shows, which colour slot and which image it uses, where the
// image goes and which visual-styles state a themed background takes.
#pragma once

#include <windows.h>

namespace button_drawing {

// The six colour slots of a skinned button, in the order of its colour array.
enum ColorSlot : int { HoverBack, HoverText, NormalBack, NormalText, FocusBack, FocusText };
inline constexpr int kColorSlotCount = 6;

// The system colour each slot starts with (and returns to on a system colour
// change): button face for backgrounds, button text for captions.
COLORREF DefaultColor(int slot) noexcept;

// Whether a paint shows the button pressed. In check mode a checked button is
// pressed; otherwise an open drop-down menu keeps it pressed.
BOOL IsPressed(UINT itemState, BOOL checkMode, int checked, bool hasDropMenu, BOOL menuShown) noexcept;

// The background slot: hover colours while hovered or pressed, focus colours
// while focused, normal colours otherwise.
int BackgroundSlot(BOOL mouseOver, BOOL pressed, BOOL focused) noexcept;
// The caption slot, by the same rule.
int TextSlot(BOOL mouseOver, BOOL pressed, BOOL focused) noexcept;

// The image entry to draw: 0 (hot) while pressed, or while hovered outside
// check mode; otherwise 1 (normal) when there is one, else 0.
int ImageEntry(BOOL pressed, BOOL checkMode, BOOL mouseOver, bool hasNormal) noexcept;

// How a button lays out its image beside its caption.
struct ImageLayout {
    BYTE align = 0;       // 0 left of the caption, 1 above it, 2 right of it
    POINT origin{3, 3};   // margin between image and caption
    POINT pressShift{1, 1};
    BOOL checkMode = FALSE;
};

// The rectangle of an image of the given size inside itemRect; moves the
// caption's rectangle out of the image's way. clientRight is the right edge
// of the button's client area. Only the left and top matter to bitmaps.
RECT PlaceImage(const ImageLayout& layout, BOOL hasCaption, BOOL pressed, LONG width, LONG height,
                const RECT& itemRect, RECT& captionRect, LONG clientRight) noexcept;

// The visual-styles state of a themed push button (or toolbar button): 1
// normal, 5 default, 2 hot, 3 pressed, 4 disabled, later ones winning.
int ThemedState(BOOL isDefault, BOOL toolbarLook, BOOL border, BOOL mouseOver, BOOL pressed,
                BOOL disabled) noexcept;

} // namespace button_drawing
