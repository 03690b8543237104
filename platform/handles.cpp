#include "platform/handles.h"

#include "platform/wnd.h"

CBitmap LoadBitmapResource(UINT id)
{
    return CBitmap(static_cast<HBITMAP>(
        ::LoadImageW(GetResourceInstance(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
}

CIcon LoadIconResource(UINT id, int cx, int cy)
{
    return CIcon(static_cast<HICON>(
        ::LoadImageW(GetResourceInstance(), MAKEINTRESOURCEW(id), IMAGE_ICON, cx, cy, LR_DEFAULTCOLOR)));
}

SIZE BitmapSize(HBITMAP hBitmap) noexcept
{
    BITMAP bm{};
    if (!hBitmap || !::GetObjectW(hBitmap, sizeof(bm), &bm))
        return SIZE{0, 0};
    return SIZE{bm.bmWidth, bm.bmHeight};
}
