// A picture of every button the program makes, in every state, written
// beside the test program as button-gallery.bmp for people to look at.
#include "res/resource.h"
#include "tests/support/test_support.h"
#include "tests/ui/controls/button_test_host.h"
#include "ui/controls/ThemedButton.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace button_tests;

struct GalleryButton {
    const wchar_t* pszName;
    const wchar_t* pszCaption;
    DWORD dwStyle;
    int cx;
    int cy;
    UINT nHot;
    UINT nNormal;
    bool bLinkColours;
};

// As the main window and the About box configure them.
const GalleryButton kButtons[] = {
    {L"select all", L"(&A)", BS_AUTOCHECKBOX, 140, 24, IDB_SELECTALL_HOT, IDB_SELECTALL, false},
    {L"save", L"(&S)", BS_PUSHBUTTON, 106, 24, IDB_SAVE_HOT, IDB_SAVE, false},
    {L"install (auto)", L"(&I)", BS_PUSHBUTTON, 106, 24, IDB_INSTALL_AUTO_HOT, IDB_INSTALL_AUTO, false},
    {L"install (manual)", L"(&I)", BS_PUSHBUTTON, 106, 24, IDB_INSTALL_MANUAL_HOT, IDB_INSTALL_MANUAL, false},
    {L"options", L"", BS_PUSHBUTTON, 16, 24, IDB_OPTIONS, IDB_OPTIONS, false},
    {L"homepage", L"", BS_PUSHBUTTON, 96, 23, IDB_HOMEPAGE_HOT, IDB_HOMEPAGE, true},
    {L"help", L"", BS_PUSHBUTTON, 96, 23, IDB_HELP_HOT, IDB_HELP, true},
    {L"about: close", L"&C", BS_PUSHBUTTON, 81, 21, IDB_CLOSE_HOT, IDB_CLOSE, false},
    {L"about: maker", L"", BS_PUSHBUTTON, 30, 46, IDB_MAKER, IDB_MAKER, false},
};

enum State { Normal, Hovered, Pressed, Focused, Disabled, Checked, StateCount };
const wchar_t* const kStateNames[StateCount] = {L"normal", L"hovered", L"pressed", L"focused", L"disabled",
                                                L"checked"};

constexpr int kLabelWidth = 130;
constexpr int kCellWidth = 160;
constexpr int kRowHeight = 56;
constexpr int kHeaderHeight = 28;

void Apply(CThemedButton& button, State state)
{
    switch (state) {
    case Hovered:
        // A real mouse move over the button; the capture below happens
        // before the leave notice is handled.
        button.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
        break;
    case Pressed:
        button.SendMessage(BM_SETSTATE, TRUE);
        break;
    case Focused:
        ::SetFocus(button.m_hWnd);
        break;
    case Disabled:
        ::EnableWindow(button.m_hWnd, FALSE);
        break;
    case Checked:
        button.SendMessage(BM_SETCHECK, BST_CHECKED);
        break;
    default:
        break;
    }
}

void Undo(CThemedButton& button, HWND hHost, State state)
{
    switch (state) {
    case Hovered:
        button.SendMessage(WM_MOUSELEAVE);
        break;
    case Pressed:
        button.SendMessage(BM_SETSTATE, FALSE);
        break;
    case Focused:
        ::SetFocus(hHost);
        break;
    case Disabled:
        ::EnableWindow(button.m_hWnd, TRUE);
        ::SetFocus(hHost);
        break;
    case Checked:
        button.SendMessage(BM_SETCHECK, BST_UNCHECKED);
        break;
    default:
        break;
    }
}

// Writes a device-dependent bitmap as a 24-bit .bmp file.
bool WriteBmp(const std::wstring& path, HBITMAP hBitmap, int cx, int cy)
{
    const int stride = ((cx * 3) + 3) & ~3;
    std::vector<BYTE> bits(static_cast<size_t>(stride) * static_cast<size_t>(cy));
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = cx;
    bmi.bmiHeader.biHeight = cy;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 24;
    bmi.bmiHeader.biCompression = BI_RGB;
    HDC hScreen = ::GetDC(nullptr);
    const int rows = ::GetDIBits(hScreen, hBitmap, 0, static_cast<UINT>(cy), bits.data(), &bmi, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, hScreen);
    if (rows != cy)
        return false;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(bits.size());
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
    bytes.append(reinterpret_cast<const char*>(&bmi.bmiHeader), sizeof(bmi.bmiHeader));
    bytes.append(reinterpret_cast<const char*>(bits.data()), bits.size());
    testing_support::WriteFile(path, bytes);
    return testing_support::ReadFile(path).size() == bytes.size();
}

TEST(ButtonGallery, EveryProgramButtonInEveryState)
{
    MoveCursorAway();
    const COLORREF crWindow = RGB(220, 230, 232); // the main window's background
    Host host(40, 40, 400, 600, crWindow);
    LOGFONTW lf{};
    lf.lfHeight = -12;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = GB2312_CHARSET;
    ::lstrcpyW(lf.lfFaceName, L"Tahoma");
    CFont font(::CreateFontIndirectW(&lf));

    const int nRows = static_cast<int>(std::size(kButtons));
    const int cx = kLabelWidth + StateCount * kCellWidth;
    const int cy = kHeaderHeight + nRows * kRowHeight;
    HDC hScreen = ::GetDC(nullptr);
    CBitmap gallery(::CreateCompatibleBitmap(hScreen, cx, cy));
    ::ReleaseDC(nullptr, hScreen);
    {
    CMemDC dc(::CreateCompatibleDC(nullptr));
    CSelectObject selectGallery(dc.Get(), gallery.Get());
    CSelectObject selectFont(dc.Get(), font.Get());
    {
        CBrush back(::CreateSolidBrush(crWindow));
        RECT rc{0, 0, cx, cy};
        ::FillRect(dc.Get(), &rc, back.Get());
    }
    ::SetBkMode(dc.Get(), TRANSPARENT);
    for (int s = 0; s < StateCount; ++s)
        ::TextOutW(dc.Get(), kLabelWidth + s * kCellWidth + 4, 8, kStateNames[s], ::lstrlenW(kStateNames[s]));

    for (int row = 0; row < nRows; ++row) {
        const GalleryButton& entry = kButtons[row];
        const int y = kHeaderHeight + row * kRowHeight;
        ::TextOutW(dc.Get(), 6, y + 4, entry.pszName, ::lstrlenW(entry.pszName));
        CThemedButton button;
        ASSERT_TRUE(button.Create(entry.pszCaption, WS_CHILD | WS_VISIBLE | WS_TABSTOP | entry.dwStyle,
                                  RECT{10, 10, 10 + entry.cx, 10 + entry.cy}, host.m_hWnd, 1001));
        button.SetFont(font.Get(), FALSE);
        ASSERT_EQ(button.AssignBitmaps(LoadBitmapResource(entry.nHot).Release(),
                                       LoadBitmapResource(entry.nNormal).Release()),
                  CSkinButton::AssignOk)
            << "pictures " << entry.nHot << ", " << entry.nNormal;
        if (entry.bLinkColours) {
            for (int slot : {CSkinButton::HoverBack, CSkinButton::NormalBack, CSkinButton::FocusBack})
                button.SetColor(slot, RGB(76, 195, 247));
        }
        std::vector<COLORREF> normalLook;
        for (int s = 0; s < StateCount; ++s) {
            const State state = static_cast<State>(s);
            if (state == Checked && !button.IsCheckMode())
                continue;
            Apply(button, state);
            ::RedrawWindow(button.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
            CClientDC dcButton(button.m_hWnd);
            ::BitBlt(dc.Get(), kLabelWidth + s * kCellWidth + 4, y + 4, entry.cx, entry.cy, dcButton.Get(), 0, 0,
                     SRCCOPY);
            const testing_support::WindowPixels px(button.m_hWnd);
            std::vector<COLORREF> look;
            for (int py = 0; py < px.Height(); ++py)
                for (int pxX = 0; pxX < px.Width(); ++pxX)
                    look.push_back(px.At(pxX, py));
            if (state == Normal) {
                normalLook = look;
            } else if (state == Hovered && entry.nHot != entry.nNormal && !button.IsCheckMode()) {
                EXPECT_NE(look, normalLook) << "the hot picture of " << row;
            } else if (state == Disabled) {
                EXPECT_NE(look, normalLook) << "the disabled look of " << row;
            }
            Undo(button, host.m_hWnd, state);
        }
    }

    }

    const std::wstring path = testing_support::ProgramFolder() + L"button-gallery.bmp";
    EXPECT_TRUE(WriteBmp(path, gallery.Get(), cx, cy));
}

} // namespace
