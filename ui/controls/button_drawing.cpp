#include "ui/controls/button_drawing.h"

namespace button_drawing {

COLORREF DefaultColor(int slot) noexcept
{
    const bool text = slot == HoverText || slot == NormalText || slot == FocusText;
    return ::GetSysColor(text ? COLOR_BTNTEXT : COLOR_BTNFACE);
}

BOOL IsPressed(UINT itemState, BOOL checkMode, int checked, bool hasDropMenu, BOOL menuShown) noexcept
{
    const bool selected = (itemState & ODS_SELECTED) != 0;
    if (checkMode)
        return selected || checked != 0;
    return selected || (hasDropMenu && menuShown);
}

int BackgroundSlot(BOOL mouseOver, BOOL pressed, BOOL focused) noexcept
{
    if (mouseOver || pressed)
        return HoverBack;
    return focused ? FocusBack : NormalBack;
}

int TextSlot(BOOL mouseOver, BOOL pressed, BOOL focused) noexcept
{
    if (mouseOver || pressed)
        return HoverText;
    return focused ? FocusText : NormalText;
}

int ImageEntry(BOOL pressed, BOOL checkMode, BOOL mouseOver, bool hasNormal) noexcept
{
    if (pressed || (!checkMode && mouseOver))
        return 0;
    return hasNormal ? 1 : 0;
}

RECT PlaceImage(const ImageLayout& layout, BOOL hasCaption, BOOL pressed, LONG width, LONG height,
                const RECT& itemRect, RECT& captionRect, LONG clientRight) noexcept
{
    RECT image = itemRect;
    const LONG imageWidth = image.right - image.left;
    const LONG imageHeight = image.bottom - image.top;
    switch (layout.align) {
    case 0:
        if (hasCaption)
            captionRect.left += width + layout.origin.x;
        else
            image.left += (imageWidth - width) / 2;
        image.top += (imageHeight - height) / 2;
        break;
    case 1:
        image.left += (imageWidth - width) / 2;
        if (hasCaption) {
            image.top = layout.origin.y;
            captionRect.top += height;
        } else {
            image.top += (imageHeight - height) / 2;
        }
        break;
    case 2:
        if (hasCaption) {
            captionRect.right = (captionRect.right - captionRect.left) - width - layout.origin.x;
            captionRect.left = layout.origin.x;
            image.left = clientRight - layout.origin.x - width;
            image.top += (imageHeight - height) / 2;
        } else {
            image.left += (imageWidth - width) / 2;
        }
        break;
    default:
        break;
    }
    if (pressed && !layout.checkMode)
        ::OffsetRect(&image, layout.pressShift.x, layout.pressShift.y);
    return image;
}

int ThemedState(BOOL isDefault, BOOL toolbarLook, BOOL border, BOOL mouseOver, BOOL pressed,
                BOOL disabled) noexcept
{
    int state = 1;
    if (isDefault && (!toolbarLook || border))
        state = 5;
    if (mouseOver)
        state = 2;
    if (pressed)
        state = 3;
    if (disabled)
        state = 4;
    return state;
}

} // namespace button_drawing
