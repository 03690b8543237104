#include "tests/ui/controls/button_test_host.h"

#include "tests/support/test_support.h"

namespace button_tests {

Host::Host(int x, int y, int cx, int cy, COLORREF crBack) : m_brush(::CreateSolidBrush(crBack))
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"QuillsetButtonTestHost";
    ::RegisterClassW(&wc);
    RECT rc{x, y, x + cx, y + cy};
    // Like a dialog, the host paints under its children.
    CreateEx(WS_EX_TOPMOST, wc.lpszClassName, L"buttons", WS_POPUP | WS_VISIBLE, rc, nullptr, 0);
    ::SetForegroundWindow(m_hWnd);
    ::SetActiveWindow(m_hWnd);
    testing_support::PumpMessages();
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

LRESULT Host::WindowProc(UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_ERASEBKGND) {
        RECT rc = GetClientRect();
        ::FillRect(reinterpret_cast<HDC>(wp), &rc, m_brush.Get());
        return TRUE;
    }
    return CWnd::WindowProc(msg, wp, lp);
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

DWORD LiveGdiObjects()
{
    if (const DWORD n = testing_support::GdiObjectCount())
        return n;
    // The process's GDI handle table, which the process environment block
    // points to: 65536 entries of 24 bytes, the type in the byte at 14.
    using PfnQuery = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    FARPROC pfn = ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess");
    if (!pfn)
        return 0;
    struct {
        void* pReserved;
        const BYTE* pPeb;
        ULONG_PTR reserved[4];
    } basic{};
    if (reinterpret_cast<PfnQuery>(reinterpret_cast<void (*)()>(pfn))(::GetCurrentProcess(), 0, &basic,
                                                                       sizeof(basic), nullptr) != 0)
        return 0;
    const BYTE* pTable = *reinterpret_cast<const BYTE* const*>(basic.pPeb + 0xF8);
    if (!pTable)
        return 0;
    DWORD n = 0;
    for (size_t i = 0; i < 0x10000; ++i)
        n += pTable[i * 24 + 14] != 0 ? 1 : 0;
    return n;
}

namespace {

BOOL CALLBACK CountChildWindow(HWND, LPARAM lp)
{
    ++*reinterpret_cast<DWORD*>(lp);
    return TRUE;
}

} // namespace

DWORD LiveUserObjects()
{
    if (const DWORD n = testing_support::UserObjectCount())
        return n;
    DWORD n = 0;
    ::EnumThreadWindows(::GetCurrentThreadId(), [](HWND hWnd, LPARAM lp) -> BOOL {
        auto* pCount = reinterpret_cast<DWORD*>(lp);
        ++*pCount;
        ::EnumChildWindows(hWnd, &CountChildWindow, lp); // every descendant, not only children
        return TRUE;
    }, reinterpret_cast<LPARAM>(&n));
    return n;
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
