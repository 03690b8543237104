// How the skinned buttons look in each state, read back from the screen.
#include "res/resource.h"
#include "tests/support/test_support.h"
#include "tests/ui/controls/button_test_host.h"
#include "ui/controls/ThemedButton.h"

#include <gtest/gtest.h>

#include <uxtheme.h>

namespace {

using namespace button_tests;
using testing_support::PumpUntil;
using testing_support::WindowPixels;

struct Box {
    int left = 1 << 20;
    int top = 1 << 20;
    int right = -1;
    int bottom = -1;
    bool Empty() const { return right < 0; }
};

// The smallest rectangle around every pixel of one colour within [x0, x1).
Box BoundsOf(const WindowPixels& px, COLORREF cr, int x0 = 0, int x1 = 1 << 20)
{
    Box box;
    for (int y = 0; y < px.Height(); ++y)
        for (int x = x0; x < px.Width() && x < x1; ++x)
            if (px.At(x, y) == cr) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x + 1);
                box.bottom = std::max(box.bottom, y + 1);
            }
    return box;
}

int Count(const WindowPixels& px, COLORREF cr, RECT rc)
{
    int n = 0;
    for (int y = rc.top; y < rc.bottom; ++y)
        for (int x = rc.left; x < rc.right; ++x)
            n += px.At(x, y) == cr ? 1 : 0;
    return n;
}

WindowPixels Paint(const CWnd& button)
{
    ::RedrawWindow(button.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    testing_support::PumpMessages();
    return WindowPixels(button.m_hWnd);
}

// A 100 x 40 button with the caption "Go" and a 20 x 20 picture pair: red
// when hot, green otherwise, both with a black square at (8, 8).
class ButtonLook : public ::testing::Test {
protected:
    void SetUp() override
    {
        MoveCursorAway();
        host = std::make_unique<Host>();
        Configure(button, L"Go", BS_PUSHBUTTON, RECT{10, 10, 110, 50}, 1001);
    }

    void Configure(CSkinButton& b, const wchar_t* pszCaption, DWORD dwStyle, RECT rc, UINT nID,
                   bool bPictures = true)
    {
        ASSERT_TRUE(b.Create(pszCaption, WS_CHILD | WS_VISIBLE | WS_TABSTOP | dwStyle, rc, host->m_hWnd, nID));
        b.SetFont(CrispFont(), FALSE);
        b.SetColor(CSkinButton::HoverBack, kHoverBack);
        b.SetColor(CSkinButton::HoverText, kHoverText);
        b.SetColor(CSkinButton::NormalBack, kNormalBack);
        b.SetColor(CSkinButton::NormalText, kNormalText);
        b.SetColor(CSkinButton::FocusBack, kFocusBack);
        b.SetColor(CSkinButton::FocusText, kFocusText);
        if (bPictures) {
            ASSERT_EQ(b.AssignBitmaps(MakePicture(20, 20, kHotPicture).Release(),
                                      MakePicture(20, 20, kNormalPicture).Release()),
                      CSkinButton::AssignOk);
        }
    }

    void Hover(CSkinButton& b)
    {
        MoveCursorTo(b.m_hWnd, POINT{90, 5});
        ASSERT_TRUE(PumpUntil([&] { return b.MouseOver() != FALSE; }));
    }

    std::unique_ptr<Host> host;
    CThemedButton button;
};

TEST_F(ButtonLook, NormalHoveredAndPressed)
{
    const WindowPixels normal = Paint(button);
    EXPECT_EQ(normal.At(60, 2), kNormalBack);
    EXPECT_EQ(normal.At(0, 10), kNormalPicture) << "picture at the left edge, centred vertically";
    EXPECT_EQ(normal.At(8, 18), RGB(0, 0, 0));
    EXPECT_EQ(normal.At(0, 9), kNormalBack);
    const Box normalText = BoundsOf(normal, kNormalText);
    ASSERT_FALSE(normalText.Empty());
    EXPECT_GE(normalText.left, 23) << "the caption stays right of the picture";
    EXPECT_TRUE(BoundsOf(normal, kHoverText).Empty());
    EXPECT_EQ(Count(normal, ::GetSysColor(COLOR_BTNHIGHLIGHT), RECT{0, 0, 100, 1}), 0) << "no outline";

    Hover(button);
    const WindowPixels hovered = Paint(button);
    EXPECT_EQ(hovered.At(60, 2), kHoverBack);
    EXPECT_EQ(hovered.At(0, 10), kHotPicture);
    EXPECT_EQ(hovered.At(99, 0), kHoverBack) << "a themed button has no border, even hovered";
    const Box hoverText = BoundsOf(hovered, kHoverText);
    ASSERT_FALSE(hoverText.Empty());
    EXPECT_EQ(hoverText.left, normalText.left);
    EXPECT_EQ(hoverText.top, normalText.top);
    EXPECT_TRUE(BoundsOf(hovered, kNormalText).Empty());

    button.SendMessage(BM_SETSTATE, TRUE);
    const WindowPixels pressed = Paint(button);
    EXPECT_TRUE(button.Pressed());
    EXPECT_EQ(pressed.At(60, 2), kHoverBack);
    EXPECT_EQ(pressed.At(0, 10), kHoverBack) << "the picture moved away from the corner";
    EXPECT_EQ(pressed.At(1, 11), kHotPicture);
    EXPECT_EQ(pressed.At(9, 19), RGB(0, 0, 0));
    const Box pressedText = BoundsOf(pressed, kHoverText);
    EXPECT_EQ(pressedText.left, hoverText.left + 1);
    EXPECT_EQ(pressedText.top, hoverText.top + 1);
    EXPECT_EQ(pressedText.right, hoverText.right + 1);
    EXPECT_EQ(pressedText.bottom, hoverText.bottom + 1);
    button.SendMessage(BM_SETSTATE, FALSE);
}

TEST_F(ButtonLook, FocusedUsesTheFocusColoursAndTheDottedRectangle)
{
    ::SetFocus(button.m_hWnd);
    ASSERT_EQ(::GetFocus(), button.m_hWnd);
    const WindowPixels px = Paint(button);
    EXPECT_TRUE(button.Focused());
    EXPECT_EQ(px.At(60, 2), kFocusBack);
    EXPECT_EQ(px.At(0, 10), kNormalPicture);
    EXPECT_FALSE(BoundsOf(px, kFocusText).Empty());
    // Flat as it is, the button shows the keyboard focus: every other pixel
    // of the rectangle's top edge, 3 pixels inside, is inverted.
    EXPECT_EQ(Count(px, kFocusBack, RECT{30, 3, 98, 4}), 34) << "the focus rectangle";
}

TEST_F(ButtonLook, ACheckedCheckButtonShowsTheHotLookUnshifted)
{
    CThemedButton check;
    Configure(check, L"Go", BS_AUTOCHECKBOX, RECT{10, 60, 110, 100}, 1002);
    ASSERT_TRUE(check.IsCheckMode());
    const Box uncheckedText = BoundsOf(Paint(check), kNormalText);

    check.SendMessage(BM_SETCHECK, BST_CHECKED);
    const WindowPixels checked = Paint(check);
    EXPECT_TRUE(check.Pressed());
    EXPECT_EQ(checked.At(60, 2), kHoverBack);
    EXPECT_EQ(checked.At(0, 10), kHotPicture) << "hot picture, not shifted";
    EXPECT_EQ(checked.At(8, 18), RGB(0, 0, 0));
    const Box text = BoundsOf(checked, kHoverText);
    EXPECT_EQ(text.left, uncheckedText.left);
    EXPECT_EQ(text.top, uncheckedText.top);

    check.SendMessage(BM_SETCHECK, BST_UNCHECKED);
    Hover(check);
    const WindowPixels hovered = Paint(check);
    EXPECT_EQ(hovered.At(60, 2), kHoverBack);
    EXPECT_EQ(hovered.At(0, 10), kNormalPicture) << "hovering a check button keeps its picture";
}

TEST_F(ButtonLook, DisabledEmbossesCaptionAndPicture)
{
    ::EnableWindow(button.m_hWnd, FALSE);
    const WindowPixels px = Paint(button);
    EXPECT_TRUE(button.Disabled());
    const COLORREF crHighlight = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF crShadow = ::GetSysColor(COLOR_BTNSHADOW);
    const Box shadow = BoundsOf(px, crShadow, 23);
    const Box highlight = BoundsOf(px, crHighlight, 23);
    ASSERT_FALSE(shadow.Empty());
    ASSERT_FALSE(highlight.Empty());
    EXPECT_EQ(highlight.right, shadow.right + 1) << "the highlight copy lies one pixel right and below";
    EXPECT_EQ(highlight.bottom, shadow.bottom + 1);
    EXPECT_TRUE(BoundsOf(px, kNormalText).Empty());

    const RECT picture{0, 10, 20, 30};
    EXPECT_EQ(Count(px, kNormalPicture, picture), 0) << "the picture's colours are gone";
    EXPECT_EQ(Count(px, kHotPicture, picture), 0);
    EXPECT_GT(Count(px, crShadow, picture), 0) << "the platform's disabled look";
}

TEST_F(ButtonLook, OnlyAHotPictureShowsInEveryState)
{
    CThemedButton single;
    Configure(single, L"", BS_PUSHBUTTON, RECT{10, 60, 110, 100}, 1002, false);
    ASSERT_EQ(single.AssignBitmaps(MakePicture(20, 20, kHotPicture).Release(), nullptr), CSkinButton::AssignOk);
    EXPECT_EQ(Paint(single).At(45, 15), kHotPicture);
    Hover(single);
    EXPECT_EQ(Paint(single).At(45, 15), kHotPicture);
}

TEST_F(ButtonLook, WithoutCaptionThePictureIsCentred)
{
    CThemedButton bare;
    Configure(bare, L"", BS_PUSHBUTTON, RECT{10, 60, 110, 100}, 1002);
    const WindowPixels px = Paint(bare);
    EXPECT_EQ(px.At(39, 10), kNormalBack);
    EXPECT_EQ(px.At(40, 10), kNormalPicture);
    EXPECT_EQ(px.At(59, 29), kNormalPicture);
    EXPECT_EQ(px.At(60, 30), kNormalBack);
    EXPECT_EQ(px.At(48, 18), RGB(0, 0, 0));
}

TEST_F(ButtonLook, ACaptionWithNoRoomBesideAPictureDoesNotShow)
{
    // The close button of the About box: an 80 x 20 picture on an 81 x 21
    // button whose caption is only a mnemonic.
    CThemedButton labelled;
    CThemedButton bare;
    Configure(labelled, L"&C", BS_PUSHBUTTON, RECT{10, 60, 91, 81}, 1002, false);
    Configure(bare, L"", BS_PUSHBUTTON, RECT{10, 90, 91, 111}, 1003, false);
    ASSERT_EQ(labelled.AssignBitmaps(MakeFramedPicture(80, 20, kHotPicture).Release(),
                                     MakeFramedPicture(80, 20, kNormalPicture).Release()),
              CSkinButton::AssignOk);
    ASSERT_EQ(bare.AssignBitmaps(MakeFramedPicture(80, 20, kHotPicture).Release(),
                                 MakeFramedPicture(80, 20, kNormalPicture).Release()),
              CSkinButton::AssignOk);
    const WindowPixels withCaption = Paint(labelled);
    const WindowPixels without = Paint(bare);
    int leftmost = 81;
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 81; ++x)
            if (withCaption.At(x, y) != without.At(x, y))
                leftmost = std::min(leftmost, x);
    EXPECT_EQ(leftmost, 81) << "not even a sliver of the caption shows";
    EXPECT_EQ(withCaption.At(0, 0), RGB(0, 0, 0)) << "the picture sits at the left edge";
    EXPECT_EQ(withCaption.At(40, 10), kNormalPicture);
}

TEST_F(ButtonLook, AnIconIsDrawnAtItsPlaceAndSize)
{
    CThemedButton iconic;
    Configure(iconic, L"", BS_PUSHBUTTON, RECT{10, 60, 110, 100}, 1002, false);
    iconic.AssignIcon(0, LoadIconResource(IDR_MAINFRAME, 16, 16), 16, 16);
    const WindowPixels px = Paint(iconic);
    // Centred: (100 - 16) / 2 = 42, (40 - 16) / 2 = 12.
    const Box drawn = [&] {
        Box box;
        for (int y = 0; y < px.Height(); ++y)
            for (int x = 0; x < px.Width(); ++x)
                if (px.At(x, y) != kNormalBack) {
                    box.left = std::min(box.left, x);
                    box.top = std::min(box.top, y);
                    box.right = std::max(box.right, x + 1);
                    box.bottom = std::max(box.bottom, y + 1);
                }
        return box;
    }();
    ASSERT_FALSE(drawn.Empty());
    EXPECT_GE(drawn.left, 42);
    EXPECT_GE(drawn.top, 12);
    EXPECT_LE(drawn.right, 58);
    EXPECT_LE(drawn.bottom, 28);
}

TEST_F(ButtonLook, BlackPixelsOfAPictureAreDrawnBlack)
{
    CThemedButton framed;
    Configure(framed, L"", BS_PUSHBUTTON, RECT{10, 60, 110, 100}, 1002, false);
    framed.SetColor(CSkinButton::NormalBack, RGB(90, 90, 250));
    ASSERT_EQ(framed.AssignBitmaps(MakeFramedPicture(30, 20, RGB(255, 255, 255)).Release(), nullptr),
              CSkinButton::AssignOk);
    const WindowPixels px = Paint(framed);
    // The picture covers (35, 10) to (65, 30); its frame is black, its inside white.
    EXPECT_EQ(px.At(34, 10), RGB(90, 90, 250));
    EXPECT_EQ(px.At(35, 10), RGB(0, 0, 0));
    EXPECT_EQ(px.At(64, 29), RGB(0, 0, 0));
    EXPECT_EQ(Count(px, RGB(0, 0, 0), RECT{35, 10, 65, 30}), 2 * 30 + 2 * 18);
    EXPECT_EQ(Count(px, RGB(255, 255, 255), RECT{35, 10, 65, 30}), 28 * 18);
}

TEST_F(ButtonLook, TheBaseButtonDrawsItsFlatBorderAndTheSolidLook)
{
    CSkinButton flat;
    Configure(flat, L"Go", BS_PUSHBUTTON, RECT{10, 60, 110, 100}, 1002);
    const COLORREF crHighlight = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF crShadow = ::GetSysColor(COLOR_BTNSHADOW);
    EXPECT_EQ(Paint(flat).At(50, 0), kNormalBack) << "no border until hovered";
    Hover(flat);
    const WindowPixels raised = Paint(flat);
    EXPECT_EQ(raised.At(50, 0), crHighlight);
    EXPECT_EQ(raised.At(0, 30), crHighlight);
    EXPECT_EQ(raised.At(50, 39), crShadow);
    EXPECT_EQ(raised.At(99, 30), crShadow);
    flat.SendMessage(BM_SETSTATE, TRUE);
    const WindowPixels sunken = Paint(flat);
    EXPECT_EQ(sunken.At(50, 0), crShadow);
    EXPECT_EQ(sunken.At(50, 39), crHighlight);
    flat.SendMessage(BM_SETSTATE, FALSE);
    MoveCursorAway();

    CSkinButton solid;
    solid.SetFlat(FALSE);
    Configure(solid, L"Go", BS_DEFPUSHBUTTON, RECT{10, 110, 110, 150}, 1003);
    ASSERT_TRUE(solid.IsDefault());
    const WindowPixels px = Paint(solid);
    EXPECT_EQ(px.At(50, 0), RGB(0, 0, 0)) << "the default button's black frame";
    EXPECT_EQ(px.At(50, 1), crHighlight) << "then the raised edge inside it";
    EXPECT_EQ(px.At(50, 37), crShadow);
}

TEST_F(ButtonLook, ACapturedParentBackgroundReplacesTheFill)
{
    Host coloured(520, 100, 200, 100, RGB(10, 120, 30));
    CThemedButton see;
    ASSERT_TRUE(see.Create(L"", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, RECT{10, 10, 60, 40}, coloured.m_hWnd, 1));
    see.SetCopyParentBack(TRUE);
    ::RedrawWindow(coloured.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    const WindowPixels px = Paint(see);
    EXPECT_TRUE(see.HasParentBackground());
    EXPECT_EQ(px.At(25, 15), RGB(10, 120, 30));
    see.SendMessage(WM_SYSCOLORCHANGE);
    EXPECT_FALSE(see.HasParentBackground()) << "a colour change drops the capture";
}

// The themed variant: without a theme library, or while the application is
// not themed, it paints the base look.
TEST_F(ButtonLook, ThemedVariantFallsBackWithoutAThemedLibrary)
{
    CThemeLibrary none{L"uxtheme.dll", nullptr};
    button.SetThemeLibrary(&none);
    EXPECT_FALSE(button.IsThemed());
    EXPECT_EQ(Paint(button).At(60, 2), kNormalBack);

    CLibrary uxtheme(::LoadLibraryW(L"uxtheme.dll"));
    ASSERT_TRUE(uxtheme);
    CThemeLibrary real{L"uxtheme.dll", uxtheme.Get()};
    button.SetThemeLibrary(&real);
    EXPECT_EQ(button.IsThemed(), ::IsAppThemed() != FALSE);
    const WindowPixels px = Paint(button);
    if (!button.IsThemed()) {
        EXPECT_EQ(px.At(60, 2), kNormalBack);
    } else {
        EXPECT_NE(px.At(60, 2), kNormalBack) << "the engine paints the background";
        EXPECT_FALSE(BoundsOf(px, kNormalText).Empty()) << "the caption keeps its slot colour";
    }
    button.SetThemeLibrary(nullptr);
}

} // namespace
