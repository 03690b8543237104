// The About box opened modally over an owner window, each test's steps
// running inside the box's own modal loop.
#include "res/resource.h"
#include "tests/support/test_support.h"
#include "ui/about/AboutDlg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>

using namespace testing_support;

namespace {

constexpr INT_PTR kStillOpen = 42; // the box outlived the steps and what they queued
constexpr COLORREF kBack = RGB(220, 230, 232);
constexpr COLORREF kLink = RGB(11, 91, 152);
constexpr COLORREF kGrey = RGB(167, 166, 170);
constexpr COLORREF kWhite = RGB(255, 255, 255);

// One thread timer runs the next step from whatever message loop is running.
std::function<void()> s_next;
UINT_PTR s_timer = 0;
void CALLBACK RunNext(HWND, UINT, UINT_PTR id, DWORD)
{
    ::KillTimer(nullptr, id);
    std::exchange(s_next, {})();
}

void After(UINT ms, std::function<void()> next)
{
    ::KillTimer(nullptr, s_timer);
    s_next = std::move(next);
    s_timer = ::SetTimer(nullptr, 0, ms, &RunNext);
}

void Settle(int ms = 300)
{
    PumpUntil([] { return false; }, std::chrono::milliseconds(ms));
}

CSkinButton& Button(HWND hBox, int nID)
{
    return *static_cast<CSkinButton*>(CWnd::FromHandle(::GetDlgItem(hBox, nID)));
}

// Moves the pointer onto the middle of a window, or (null) off every window.
void PointAt(HWND hWnd)
{
    RECT rc{2380, 1950, 0, 0};
    if (hWnd)
        ::GetWindowRect(hWnd, &rc);
    ::SetCursorPos((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    Settle();
}

int Count(const BitmapPixels& px, COLORREF cr, const RECT& rc = {0, 0, 4096, 4096})
{
    int n = 0;
    for (int y = rc.top; y < std::min<int>(rc.bottom, px.Height()); ++y)
        for (int x = rc.left; x < std::min<int>(rc.right, px.Width()); ++x)
            n += px.At(x, y) == cr ? 1 : 0;
    return n;
}

class AboutBox : public ::testing::Test {
protected:
    // The steps run once the box shows; half a second after them it ends
    // with kStillOpen unless something ended it before.
    INT_PTR Open(const std::function<void(HWND)>& steps, bool bLend = true)
    {
        CAboutDlg dlg(&owner);
        if (bLend) {
            dlg.m_pBackColor = &crBack;
            dlg.m_pBackBitmap = &banner;
        }
        After(300, [&] {
            steps(dlg.m_hWnd);
            After(500, [&] { dlg.EndDialog(kStillOpen); });
        });
        const INT_PTR nResult = dlg.DoModal();
        ::KillTimer(nullptr, s_timer);
        return nResult;
    }

    HostWindow owner{RECT{120, 90, 920, 690}, WS_POPUP | WS_VISIBLE | WS_CAPTION};
    COLORREF crBack = kBack;
    CBitmap banner = LoadBitmapResource(IDB_BANNER);
};

} // namespace

TEST_F(AboutBox, OpensCentredOnItsOwnerWithTheCloseButtonAsItsOnlyTabStop)
{
    const RECT rcOwner = owner.GetWindowRect();
    Open([&](HWND hBox) {
        RECT rc{};
        ::GetWindowRect(hBox, &rc);
        EXPECT_EQ(rc.right - rc.left, 360);
        EXPECT_EQ(rc.bottom - rc.top, 215);
        EXPECT_NEAR(rc.left + rc.right, rcOwner.left + rcOwner.right, 2);
        EXPECT_NEAR(rc.top + rc.bottom, rcOwner.top + rcOwner.bottom, 2);
        EXPECT_EQ(::GetFocus(), ::GetDlgItem(hBox, IDOK));
        EXPECT_EQ(::GetNextDlgTabItem(hBox, ::GetFocus(), FALSE), ::GetFocus());
        CClientDC dc(hBox);
        CSelectObject font(dc.Get(), Button(hBox, 1001).GetFont());
        for (const int nID : {1001, 1002, 1003}) {
            const std::wstring caption = Button(hBox, nID).GetWindowText();
            SIZE size{};
            ::GetTextExtentPoint32W(dc.Get(), caption.c_str(), static_cast<int>(caption.size()), &size);
            EXPECT_LE(size.cx, Button(hBox, nID).GetClientRect().right) << "clipped: " << ToUtf8(caption);
        }
        // What a screen reader speaks of the maker's picture (1000) and the close button.
        EXPECT_EQ(Button(hBox, 1000).GetWindowText(), L"Tovrin Quillset 开发组");
        EXPECT_EQ(Button(hBox, IDOK).GetWindowText(), L"关闭(&C)");
    });
}

TEST_F(AboutBox, EndsOnEnterEscapeTheCloseBoxAndTheCloseButton)
{
    const auto key = [](WPARAM vk) { return [vk](HWND) { ::PostMessageW(::GetFocus(), WM_KEYDOWN, vk, 0); }; };
    const std::pair<std::function<void(HWND)>, INT_PTR> cases[] = {
        {key(VK_RETURN), IDOK},
        {key(VK_ESCAPE), IDCANCEL},
        {[](HWND hBox) { ::PostMessageW(hBox, WM_SYSCOMMAND, SC_CLOSE, 0); }, IDCANCEL},
        {[](HWND hBox) {
             ::PostMessageW(::GetDlgItem(hBox, IDOK), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
             ::PostMessageW(::GetDlgItem(hBox, IDOK), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
         },
         IDOK},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(Open(cases[i].first), cases[i].second) << "case " << i;
}

TEST_F(AboutBox, CreditsTurnBlueWithTheHandUnderThePointerAndTheThirdOpensNothing)
{
    Open([](HWND hBox) {
        for (const int nID : {1001, 1002, 1003}) {
            const HWND hCredit = ::GetDlgItem(hBox, nID);
            PointAt(hCredit);
            EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND));
            EXPECT_GT(Count(WindowPixels(hCredit), kLink), 0) << nID;
            PointAt(nullptr);
            EXPECT_TRUE(PumpUntil([&] { return Count(WindowPixels(hCredit), kLink) == 0; }, std::chrono::seconds(3)));
            EXPECT_GT(Count(WindowPixels(hCredit), ::GetSysColor(COLOR_WINDOWTEXT)), 0) << nID;
        }
        CSkinButton& third = Button(hBox, 1003);
        EXPECT_STREQ(third.Link(), L"");
        third.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        third.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        Settle();
        EXPECT_EQ(::GetFocus(), third.m_hWnd);
        EXPECT_GT(Count(WindowPixels(third.m_hWnd), kLink), 0) << "focused, and the box still open";
    });
}

TEST_F(AboutBox, PaintsTheLentBannerTheLinesAndTheNoticeWithItsShadow)
{
    Open([this](HWND hBox) {
        const WindowPixels px(hBox);
        const BitmapPixels picture(banner.Get(), 690, 69);
        for (const POINT pt : {POINT{0, 0}, POINT{120, 30}, POINT{300, 68}})
            EXPECT_EQ(px.At(pt.x, pt.y), picture.At(pt.x, pt.y));
        EXPECT_EQ(px.At(340, 72), kBack);
        for (const int y : {80, 105, 130})
            EXPECT_GT(Count(px, RGB(0, 0, 0), RECT{30, y, 84, y + 14}), 10) << y;
        int nUnshadowed = 0;
        for (int y = 150; y < 175; ++y)
            for (int x = 25; x < 250; ++x)
                nUnshadowed += px.At(x, y) == kGrey && px.At(x + 1, y + 1) != kWhite && px.At(x + 1, y + 1) != kGrey;
        EXPECT_GT(Count(px, kGrey, RECT{25, 150, 245, 175}), 50);
        EXPECT_EQ(Count(px, kGrey, RECT{245, 150, 250, 175}), 0) << "the notice runs into the close button";
        EXPECT_EQ(nUnshadowed, 0);
    });
}

TEST_F(AboutBox, WithoutLentObjectsHasThePlainDialogBackground)
{
    Open([](HWND hBox) {
        const WindowPixels px(hBox);
        EXPECT_EQ(px.At(10, 10), ::GetSysColor(COLOR_BTNFACE));
        EXPECT_EQ(px.At(340, 72), ::GetSysColor(COLOR_BTNFACE));
    }, false);
}

TEST_F(AboutBox, RepeatedOpeningsHoldNoMoreHandles)
{
    const auto hover = [](HWND hBox) { PointAt(::GetDlgItem(hBox, 1001)); };
    Open(hover);
    const DWORD nGdi = GdiObjectCount();
    const DWORD nUser = UserObjectCount();
    for (int i = 0; i < 8; ++i)
        Open(hover);
    EXPECT_LE(GdiObjectCount(), nGdi);
    EXPECT_LE(UserObjectCount(), nUser);
}
