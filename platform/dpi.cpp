#include "platform/dpi.h"

#include <algorithm>
#include <iterator>

namespace dpi {

namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);

// Windows 10 (1607) and later keep a DPI per window; user32 is loaded in
// every process with a window, so it is only looked up there.
GetDpiForWindowFn DpiForWindowFunction() noexcept
{
    static const auto s_fn = [] {
        const HMODULE hUser = ::GetModuleHandleW(L"user32.dll");
        return hUser ? reinterpret_cast<GetDpiForWindowFn>(
                           reinterpret_cast<void (*)()>(::GetProcAddress(hUser, "GetDpiForWindow")))
                     : nullptr;
    }();
    return s_fn;
}

int ScreenDpi() noexcept
{
    const CClientDC screen(nullptr);
    const int n = screen.Get() ? ::GetDeviceCaps(screen.Get(), LOGPIXELSY) : kBase;
    return n > 0 ? n : kBase;
}

// A DPI a window can be shown at: Windows goes from 96 to 480.
bool Plausible(int n) noexcept
{
    return n >= 48 && n <= 960;
}

} // namespace

int WindowDpi(HWND hWnd) noexcept
{
    if (const GetDpiForWindowFn fn = DpiForWindowFunction(); fn && hWnd) {
        const int n = static_cast<int>(fn(hWnd));
        if (Plausible(n))
            return n;
    }
    return ScreenDpi();
}

int DpiOfMessage(WPARAM wp) noexcept
{
    const int n = static_cast<int>(HIWORD(wp));
    return Plausible(n) ? n : 0;
}

int ArtworkDpi(int n) noexcept
{
    for (int drawn : kArtworkDpis) {
        if (drawn >= n)
            return drawn;
    }
    return std::end(kArtworkDpis)[-1];
}

SIZE ArtworkSize(SIZE drawn, int artworkDpi, int n) noexcept
{
    if (artworkDpi == n)
        return drawn;
    return SIZE{std::max(1, ::MulDiv(drawn.cx, n, artworkDpi)), std::max(1, ::MulDiv(drawn.cy, n, artworkDpi))};
}

CBitmap LoadBitmapAt(UINT id, const Scale& scale)
{
    const int drawnDpi = ArtworkDpi(scale.dpi);
    const auto step = static_cast<UINT>(std::find(std::begin(kArtworkDpis), std::end(kArtworkDpis), drawnDpi) -
                                        std::begin(kArtworkDpis));
    CBitmap drawn = LoadBitmapResource(id + step * kArtworkIdStep);
    if (!drawn)
        return LoadBitmapResource(id);
    const SIZE from = BitmapSize(drawn.Get());
    const SIZE to = ArtworkSize(from, drawnDpi, scale.dpi);
    if (to.cx == from.cx && to.cy == from.cy)
        return drawn;

    const CClientDC screen(nullptr);
    CBitmap made(screen.Get() ? ::CreateCompatibleBitmap(screen.Get(), to.cx, to.cy) : nullptr);
    CMemDC fromDC(::CreateCompatibleDC(screen.Get()));
    CMemDC toDC(::CreateCompatibleDC(screen.Get()));
    if (!made || !fromDC || !toDC)
        return drawn;
    {
        CSelectObject selectFrom(fromDC.Get(), drawn.Get());
        CSelectObject selectTo(toDC.Get(), made.Get());
        ::SetStretchBltMode(toDC.Get(), HALFTONE);
        ::SetBrushOrgEx(toDC.Get(), 0, 0, nullptr);
        ::StretchBlt(toDC.Get(), 0, 0, to.cx, to.cy, fromDC.Get(), 0, 0, from.cx, from.cy, SRCCOPY);
    }
    return made;
}

CIcon LoadIconAt(UINT id, int n, const Scale& scale)
{
    const int cx = scale.Px(n);
    return LoadIconResource(id, cx, cx);
}

} // namespace dpi
