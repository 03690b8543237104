#include "tests/ui/controls/button_test_host.h"

#include "tests/support/test_support.h"

namespace button_tests {

Host::Host(int x, int y, int cx, int cy, COLORREF crBack)
    : HostWindow(RECT{x, y, x + cx, y + cy}, WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST, crBack)
{
}

BOOL Host::OnCommand(WPARAM wp, LPARAM lp)
{
    if (HIWORD(wp) == BN_CLICKED && lp) {
        const LRESULT state = ::SendMessageW(reinterpret_cast<HWND>(lp), BM_GETCHECK, 0, 0);
        clicks.push_back(Click{LOWORD(wp), state});
        return TRUE;
    }
    return FALSE;
}

namespace {

CBitmap MakeBitmap(int cx, int cy)
{
    HDC hScreen = ::GetDC(nullptr);
    CBitmap bitmap(::CreateCompatibleBitmap(hScreen, cx, cy));
    ::ReleaseDC(nullptr, hScreen);
    return bitmap;
}

void Fill(HDC hDC, RECT rc, COLORREF cr)
{
    CBrush brush(::CreateSolidBrush(cr));
    ::FillRect(hDC, &rc, brush.Get());
}

} // namespace

CBitmap MakePicture(int cx, int cy, COLORREF cr)
{
    CBitmap bitmap = MakeBitmap(cx, cy);
    CMemDC dc(::CreateCompatibleDC(nullptr));
    CSelectObject select(dc.Get(), bitmap.Get());
    Fill(dc.Get(), RECT{0, 0, cx, cy}, cr);
    Fill(dc.Get(), RECT{8, 8, 12, 12}, RGB(0, 0, 0));
    return bitmap;
}

CBitmap MakeFramedPicture(int cx, int cy, COLORREF cr)
{
    CBitmap bitmap = MakeBitmap(cx, cy);
    CMemDC dc(::CreateCompatibleDC(nullptr));
    CSelectObject select(dc.Get(), bitmap.Get());
    Fill(dc.Get(), RECT{0, 0, cx, cy}, RGB(0, 0, 0));
    Fill(dc.Get(), RECT{1, 1, cx - 1, cy - 1}, cr);
    return bitmap;
}

HFONT CrispFont()
{
    static CFont font = [] {
        LOGFONTW lf{};
        lf.lfHeight = -12;
        lf.lfWeight = FW_NORMAL;
        lf.lfQuality = NONANTIALIASED_QUALITY;
        ::lstrcpyW(lf.lfFaceName, L"Tahoma");
        return CFont(::CreateFontIndirectW(&lf));
    }();
    return font.Get();
}

void MoveCursorTo(HWND hWnd, POINT ptClient)
{
    ::ClientToScreen(hWnd, &ptClient);
    ::SetCursorPos(ptClient.x, ptClient.y);
    testing_support::PumpUntil([&] {
        POINT pt{};
        ::GetCursorPos(&pt);
        return pt.x == ptClient.x && pt.y == ptClient.y;
    });
    testing_support::PumpUntil([] { return false; }, std::chrono::milliseconds(100));
}

void MoveCursorAway()
{
    ::SetCursorPos(1200, 980);
    testing_support::PumpUntil([] { return false; }, std::chrono::milliseconds(100));
}

} // namespace button_tests
