// What the skinned buttons do with real messages: hover tracking, clicks,
// check mode, links, images, tooltips, focus and colours.
#include "platform/desktop_open.h"
#include "platform/system_dialogs.h"
#include "res/resource.h"
#include "tests/support/test_support.h"
#include "tests/ui/controls/button_test_host.h"
#include "ui/controls/ThemedButton.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <chrono>

namespace {

using namespace button_tests;
using testing_support::PumpUntil;

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE | WS_TABSTOP;

class ButtonBehaviour : public ::testing::Test {
protected:
    void SetUp() override
    {
        MoveCursorAway();
        host = std::make_unique<Host>();
    }
    std::unique_ptr<Host> host;
};

bool HasUpdateRegion(HWND hWnd)
{
    return ::GetUpdateRect(hWnd, nullptr, FALSE) != FALSE;
}

TEST_F(ButtonBehaviour, HoverFollowsThePointerAndADragDoesNotLight)
{
    CThemedButton button;
    ASSERT_TRUE(button.Create(L"b", kChild | BS_PUSHBUTTON, RECT{10, 10, 110, 40}, host->m_hWnd, 1001));
    MoveCursorTo(button.m_hWnd, POINT{50, 15});
    ASSERT_TRUE(PumpUntil([&] { return button.MouseOver() != FALSE; })) << "lit by the pointer";
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND));

    button.SendMessage(WM_MOUSELEAVE);
    EXPECT_FALSE(button.MouseOver()) << "off when the pointer leaves";

    MoveCursorTo(button.m_hWnd, POINT{60, 15});
    ASSERT_TRUE(PumpUntil([&] { return button.MouseOver() != FALSE; }));
    MoveCursorAway();
    EXPECT_TRUE(PumpUntil([&] { return button.MouseOver() == FALSE; })) << "the leave notice arrives";

    // A press outside that is dragged onto the button does not light it;
    // the next plain move does.
    button.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(50, 15));
    EXPECT_FALSE(button.MouseOver());
    button.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(50, 15));
    EXPECT_TRUE(button.MouseOver());
    button.SendMessage(WM_CANCELMODE);
    EXPECT_FALSE(button.MouseOver());
}

TEST_F(ButtonBehaviour, ANonFlatButtonNeverLights)
{
    CSkinButton button;
    button.SetFlat(FALSE);
    ASSERT_TRUE(button.Create(L"b", kChild | BS_PUSHBUTTON, RECT{10, 10, 110, 40}, host->m_hWnd, 1001));
    button.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(50, 15));
    EXPECT_FALSE(button.MouseOver());
}

TEST_F(ButtonBehaviour, AttachingSetsModesFromTheStyle)
{
    CThemedButton check;
    CThemedButton def;
    CThemedButton push;
    ASSERT_TRUE(check.Create(L"c", kChild | BS_AUTOCHECKBOX, RECT{10, 10, 110, 40}, host->m_hWnd, 1001));
    ASSERT_TRUE(def.Create(L"d", kChild | BS_DEFPUSHBUTTON, RECT{10, 50, 110, 80}, host->m_hWnd, 1002));
    ASSERT_TRUE(push.Create(L"p", kChild | BS_PUSHBUTTON, RECT{10, 90, 110, 120}, host->m_hWnd, 1003));
    EXPECT_TRUE(check.IsCheckMode());
    EXPECT_FALSE(check.IsDefault());
    EXPECT_TRUE(def.IsDefault());
    EXPECT_FALSE(push.IsCheckMode() || push.IsDefault());
    CThemedButton drawn;
    ASSERT_TRUE(drawn.Create(L"o", kChild | BS_OWNERDRAW, RECT{120, 10, 220, 40}, host->m_hWnd, 1004));
    EXPECT_FALSE(drawn.IsCheckMode()) << "an owner-drawn button is not a check box";
    for (const CWnd* p : {static_cast<const CWnd*>(&check), static_cast<const CWnd*>(&def),
                          static_cast<const CWnd*>(&push)})
        EXPECT_EQ(p->GetStyle() & 0x1F, static_cast<DWORD>(BS_OWNERDRAW));

    EXPECT_EQ(def.SendMessage(WM_GETDLGCODE) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON), DLGC_DEFPUSHBUTTON);
    EXPECT_EQ(push.SendMessage(WM_GETDLGCODE) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON), DLGC_UNDEFPUSHBUTTON);
    push.SendMessage(BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    EXPECT_TRUE(push.IsDefault());
    EXPECT_EQ(push.GetStyle() & 0x1F, static_cast<DWORD>(BS_OWNERDRAW)) << "stays owner-drawn";
    push.SendMessage(BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    EXPECT_FALSE(push.IsDefault());
    push.SendMessage(BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    push.SendMessage(BM_SETSTYLE, BS_CHECKBOX, TRUE);
    EXPECT_TRUE(push.IsDefault()) << "other kinds leave the default state alone";
}

TEST_F(ButtonBehaviour, AClickTogglesCheckModeBeforeTheParentSeesIt)
{
    CThemedButton check;
    ASSERT_TRUE(check.Create(L"c", kChild | BS_AUTOCHECKBOX, RECT{10, 10, 110, 40}, host->m_hWnd, 1001));
    check.SendMessage(BM_CLICK);
    check.SendMessage(BM_CLICK);
    check.SendMessage(BM_CLICK);
    ASSERT_EQ(host->clicks.size(), 3u);
    EXPECT_EQ(host->clicks[0].checkState, 1);
    EXPECT_EQ(host->clicks[1].checkState, 0);
    EXPECT_EQ(host->clicks[2].checkState, 1);
    EXPECT_EQ(::GetFocus(), check.m_hWnd) << "a click focuses the button";
}

TEST_F(ButtonBehaviour, CheckStateMessages)
{
    CThemedButton check;
    CThemedButton push;
    ASSERT_TRUE(check.Create(L"c", kChild | BS_AUTOCHECKBOX, RECT{10, 10, 110, 40}, host->m_hWnd, 1001));
    ASSERT_TRUE(push.Create(L"p", kChild | BS_PUSHBUTTON, RECT{10, 50, 110, 80}, host->m_hWnd, 1002));
    const struct {
        WPARAM wp;
        int checked;
    } cases[] = {{BST_CHECKED, 1}, {BST_UNCHECKED, 0}, {BST_INDETERMINATE, 1}, {3, 0}, {1, 1}, {7, 0}};
    for (const auto& c : cases) {
        ::UpdateWindow(check.m_hWnd);
        EXPECT_EQ(check.SendMessage(BM_SETCHECK, c.wp), 0);
        EXPECT_EQ(check.Checked(), c.checked) << "BM_SETCHECK " << c.wp;
        EXPECT_EQ(check.SendMessage(BM_GETCHECK), c.checked);
        EXPECT_TRUE(HasUpdateRegion(check.m_hWnd));
    }

    ::UpdateWindow(push.m_hWnd);
    push.SendMessage(BM_SETCHECK, BST_CHECKED);
    EXPECT_EQ(push.Checked(), 0) << "a push button has no check state";
    EXPECT_FALSE(HasUpdateRegion(push.m_hWnd)) << "and is not repainted";
    push.SetChecked(1);
    EXPECT_EQ(push.SendMessage(BM_GETCHECK), 1);
}

// The demo installer as a link target: it logs its own file name and its
// parameters when it starts.
class ButtonLink : public ButtonBehaviour {
protected:
    void SetUp() override
    {
        ButtonBehaviour::SetUp();
        target = folder / L"link target.exe";
        log = folder / L"links.log";
        ASSERT_TRUE(::CopyFileW((testing_support::ProgramFolder() + L"demo_installer.exe").c_str(),
                                target.c_str(), FALSE));
        ::SetEnvironmentVariableW(L"QUILLSET_DEMO_LOG", log.c_str());
        SystemDialogHooks hooks;
        hooks.messageBox = [this](HWND hOwner, const std::wstring& text, const std::wstring& caption, UINT) {
            boxes.push_back(caption + L"|" + text);
            owners.push_back(hOwner);
            return IDOK;
        };
        SetSystemDialogHooks(hooks);
    }
    void TearDown() override
    {
        SetSystemDialogHooks({});
        ::SetEnvironmentVariableW(L"QUILLSET_DEMO_LOG", nullptr);
        WaitForTargetToEnd();
    }

    // The started program shows itself for a moment; the folder goes only
    // once it has ended.
    void WaitForTargetToEnd() const
    {
        CFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof(entry);
        for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more; more = ::Process32NextW(snapshot.Get(), &entry)) {
            if (::lstrcmpiW(entry.szExeFile, L"link target.exe") != 0)
                continue;
            CKernelHandle process(::OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID));
            if (process)
                ::WaitForSingleObject(process.Get(), 20000);
        }
    }

    void PointAt(CSkinButton& button)
    {
        ASSERT_LT(target.size(), static_cast<size_t>(MAX_PATH));
        button.SetLink(target.c_str());
    }

    testing_support::TempDir folder;
    std::wstring target;
    std::wstring log;
    std::vector<std::wstring> boxes;
    std::vector<HWND> owners;
};

TEST_F(ButtonLink, AClickOpensTheLinkWithoutParameters)
{
    CThemedButton button;
    ASSERT_TRUE(button.Create(L"", kChild | BS_PUSHBUTTON, RECT{10, 10, 110, 40}, host->m_hWnd, 1005));
    PointAt(button);
    button.SendMessage(BM_CLICK);
    EXPECT_EQ(host->clicks.size(), 1u) << "the parent hears the click too";
    EXPECT_TRUE(boxes.empty());
    // The desktop's shell starts it, with the desktop's environment rather
    // than this process's: it logs beside itself, as it does by default.
    const std::wstring beside = folder / L"demo-install.log";
    ASSERT_TRUE(PumpUntil([&] { return !testing_support::ReadFile(beside).empty(); }, std::chrono::seconds(20)));
    EXPECT_EQ(testing_support::ReadFile(beside), testing_support::ToUtf8(L"link target.exe|\r\n"));
    EXPECT_EQ(::GetFileAttributesW(log.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ButtonLink, ALinkThatCannotBeOpenedIsSaidOverTheWindow)
{
    CThemedButton button;
    ASSERT_TRUE(button.Create(L"", kChild | BS_PUSHBUTTON, RECT{10, 10, 110, 40}, host->m_hWnd, 1005));
    const std::wstring link = L"quillset-nothing-opens:page";
    button.SetLink(link.c_str());
    button.SendMessage(BM_CLICK);
    EXPECT_EQ(boxes, std::vector<std::wstring>{L"打开网页|网页打开失败, 请在浏览器中访问:\n\n" + link});
    EXPECT_EQ(owners, std::vector<HWND>{host->m_hWnd});
}

TEST_F(ButtonLink, WhereTheDesktopDoesNotOpenTheLinkThisElevatedProgramDoesNotEither)
{
    ASSERT_TRUE(RunsElevated()) << "Wine gives every process an elevated token";
    std::vector<std::wstring> asked;
    SetDesktopShellHook([&](const std::wstring& file, const std::wstring&, const std::wstring&) {
        asked.push_back(file);
        return false;
    });
    CThemedButton button;
    ASSERT_TRUE(button.Create(L"", kChild | BS_PUSHBUTTON, RECT{10, 10, 110, 40}, host->m_hWnd, 1005));
    PointAt(button);
    button.SendMessage(BM_CLICK);
    SetDesktopShellHook({});
    EXPECT_EQ(asked, std::vector<std::wstring>{target});
    EXPECT_EQ(boxes, std::vector<std::wstring>{L"打开网页|网页打开失败, 请在浏览器中访问:\n\n" + target});
    EXPECT_FALSE(testing_support::ProcessRunning(L"link target.exe"));
}

TEST_F(ButtonLink, ACheckButtonDoesNotOpenItsLink)
{
    CThemedButton check;
    ASSERT_TRUE(check.Create(L"", kChild | BS_AUTOCHECKBOX, RECT{10, 10, 110, 40}, host->m_hWnd, 1001));
    PointAt(check);
    check.SendMessage(BM_CLICK);
    EXPECT_EQ(check.Checked(), 1);
    PumpUntil([] { return false; }, std::chrono::seconds(3));
    EXPECT_EQ(::GetFileAttributesW(log.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ButtonLink, ALinkTooLongIsCutAtItsLastUnit)
{
    CThemedButton button;
    ASSERT_TRUE(button.Create(L"", kChild | BS_PUSHBUTTON, RECT{10, 10, 110, 40}, host->m_hWnd, 1005));
    button.SetLink(std::wstring(MAX_PATH + 40, L'x').c_str());
    button.SendMessage(BM_CLICK);
    EXPECT_EQ(button.Link()[MAX_PATH - 1], L'\0');
    EXPECT_EQ(std::wstring(button.Link()).size(), static_cast<size_t>(MAX_PATH - 1));
}

TEST_F(ButtonBehaviour, ADoubleClickInTheModalLoopIsTwoClicks)
{
    class ClickDialog : public CDialog {
    public:
        ClickDialog() : CDialog(IDD_ABOUTBOX) {}
        CThemedButton button;
        int clicks = 0;

    protected:
        BOOL OnInitDialog() override
        {
            button.Create(L"b", kChild | BS_PUSHBUTTON, RECT{10, 10, 110, 40}, m_hWnd, 1001);
            const LPARAM pt = MAKELPARAM(20, 10);
            ::PostMessageW(button.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, pt);
            ::PostMessageW(button.m_hWnd, WM_LBUTTONUP, 0, pt);
            ::PostMessageW(button.m_hWnd, WM_LBUTTONDBLCLK, MK_LBUTTON, pt);
            ::PostMessageW(button.m_hWnd, WM_LBUTTONUP, 0, pt);
            ::PostMessageW(m_hWnd, WM_APP, 0, 0);
            return TRUE;
        }
        BOOL OnCommand(WPARAM wp, LPARAM lp) override
        {
            if (LOWORD(wp) == 1001 && HIWORD(wp) == BN_CLICKED)
                ++clicks;
            return CDialog::OnCommand(wp, lp);
        }
        LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override
        {
            if (msg == WM_APP) {
                EndDialog(IDOK);
                return 0;
            }
            return CDialog::WindowProc(msg, wp, lp);
        }
    } dialog;
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.clicks, 2);
    EXPECT_TRUE(dialog.button.TooltipWindow() == nullptr) << "the tooltip went with its button";
}

TEST_F(ButtonBehaviour, PreTranslateCreatesTheTooltipAndRewritesDoubleClicks)
{
    CThemedButton button;
    ASSERT_TRUE(button.Create(L"b", kChild | BS_PUSHBUTTON, RECT{10, 10, 110, 40}, host->m_hWnd, 1001));
    EXPECT_EQ(button.TooltipWindow(), nullptr) << "no tooltip before the first message";
    MSG msg{button.m_hWnd, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5), 0, {}};
    EXPECT_FALSE(button.PreTranslateMessage(&msg));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_LBUTTONDOWN));
    ASSERT_NE(button.TooltipWindow(), nullptr);
    EXPECT_EQ(::SendMessageW(button.TooltipWindow(), TTM_GETTOOLCOUNT, 0, 0), 0);
}

TEST_F(ButtonBehaviour, AssignTooltipTwiceKeepsOneToolWithTheLatestText)
{
    CThemedButton button;
    ASSERT_TRUE(button.Create(L"b", kChild | BS_PUSHBUTTON, RECT{10, 10, 110, 40}, host->m_hWnd, 1001));
    button.AssignTooltip(nullptr);
    EXPECT_EQ(button.TooltipWindow(), nullptr) << "a null text does nothing";
    button.AssignTooltip(L"自动安装所选软件");
    button.AssignTooltip(L"手动安装所选软件");
    ASSERT_NE(button.TooltipWindow(), nullptr);
    EXPECT_EQ(::SendMessageW(button.TooltipWindow(), TTM_GETTOOLCOUNT, 0, 0), 1);
    wchar_t szText[80] = {};
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.hwnd = button.m_hWnd;
    ti.uId = 1;
    ti.lpszText = szText;
    ::SendMessageW(button.TooltipWindow(), TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&ti));
    EXPECT_STREQ(szText, L"手动安装所选软件");
    EXPECT_EQ(::SendMessageW(button.TooltipWindow(), TTM_GETMAXTIPWIDTH, 0, 0), 400);
}

TEST_F(ButtonBehaviour, AssignBitmapsOwnsWhatItIsHandedAndDropsBothOnFailure)
{
    CThemedButton button;
    ASSERT_TRUE(button.Create(L"b", kChild | BS_PUSHBUTTON, RECT{10, 10, 110, 40}, host->m_hWnd, 1001));
    auto alive = [](HBITMAP h) {
        BITMAP bm{};
        return ::GetObjectW(h, sizeof(bm), &bm) == static_cast<int>(sizeof(bm));
    };

    HBITMAP hHot = MakePicture(20, 10, kHotPicture).Release();
    HBITMAP hNormal = MakePicture(20, 10, kNormalPicture).Release();
    ASSERT_EQ(button.AssignBitmaps(hHot, hNormal), CSkinButton::AssignOk);
    EXPECT_EQ(button.Bitmap(0).dwWidth, 20u);
    EXPECT_EQ(button.Bitmap(1).dwHeight, 10u);
    EXPECT_EQ(button.Bitmap(0).crTransparent, RGB(0, 0, 0));
    BITMAP mask{};
    ASSERT_TRUE(::GetObjectW(button.Bitmap(1).hMask.Get(), sizeof(mask), &mask));
    EXPECT_EQ(mask.bmBitsPixel, 1);
    EXPECT_EQ(mask.bmWidth, 20);

    // A new pair releases the old one.
    HBITMAP hLone = MakePicture(8, 8, kNormalPicture).Release();
    EXPECT_EQ(button.AssignBitmaps(nullptr, hLone), CSkinButton::AssignOk);
    EXPECT_FALSE(alive(hHot));
    EXPECT_FALSE(alive(hNormal));
    EXPECT_FALSE(alive(hLone)) << "a normal picture without a hot one is not kept, and not leaked";
    EXPECT_FALSE(button.Bitmap(0).hBitmap);
    EXPECT_FALSE(button.Bitmap(1).hBitmap);

    // A valid hot and an invalid normal picture: both dropped.
    hHot = MakePicture(20, 10, kHotPicture).Release();
    HBITMAP hGone = MakePicture(20, 10, kHotPicture).Release();
    ::DeleteObject(hGone);
    EXPECT_EQ(button.AssignBitmaps(hHot, hGone), CSkinButton::ImageInvalid);
    EXPECT_FALSE(alive(hHot));
    EXPECT_FALSE(button.Bitmap(0).hBitmap);
    EXPECT_FALSE(button.Bitmap(0).hMask);
    EXPECT_EQ(button.Bitmap(0).dwWidth, 0u);

    // An invalid hot picture drops the normal one too.
    hNormal = MakePicture(20, 10, kNormalPicture).Release();
    EXPECT_EQ(button.AssignBitmaps(hGone, hNormal), CSkinButton::ImageInvalid);
    EXPECT_FALSE(alive(hNormal));

    // The same picture twice is owned once.
    hHot = MakePicture(20, 10, kHotPicture).Release();
    EXPECT_EQ(button.AssignBitmaps(hHot, hHot), CSkinButton::AssignOk);
    EXPECT_FALSE(button.Bitmap(1).hBitmap);
    button.ReleaseImages();
    EXPECT_FALSE(alive(hHot));
}

TEST_F(ButtonBehaviour, DisablingAButtonMovesTheFocusOn)
{
    CThemedButton first;
    CThemedButton second;
    CThemedButton third;
    ASSERT_TRUE(first.Create(L"1", kChild | BS_PUSHBUTTON, RECT{10, 10, 110, 40}, host->m_hWnd, 1001));
    ASSERT_TRUE(second.Create(L"2", kChild | BS_PUSHBUTTON, RECT{10, 50, 110, 80}, host->m_hWnd, 1002));
    ASSERT_TRUE(third.Create(L"3", kChild | BS_PUSHBUTTON, RECT{10, 90, 110, 120}, host->m_hWnd, 1003));
    ::SetFocus(first.m_hWnd);
    ASSERT_EQ(::GetFocus(), first.m_hWnd);
    ::EnableWindow(first.m_hWnd, FALSE);
    EXPECT_EQ(::GetFocus(), second.m_hWnd);

    ::EnableWindow(third.m_hWnd, FALSE);
    EXPECT_EQ(::GetFocus(), second.m_hWnd) << "after the last one the search wraps to the only enabled one";

    ::EnableWindow(second.m_hWnd, FALSE);
    EXPECT_EQ(::GetFocus(), host->m_hWnd) << "no tab stop left: the parent";
}

TEST_F(ButtonBehaviour, DisablingEndsTheHover)
{
    CThemedButton button;
    ASSERT_TRUE(button.Create(L"b", kChild | BS_PUSHBUTTON, RECT{10, 10, 110, 40}, host->m_hWnd, 1001));
    button.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(50, 15));
    ASSERT_TRUE(button.MouseOver());
    ::EnableWindow(button.m_hWnd, FALSE);
    EXPECT_FALSE(button.MouseOver());
}

TEST_F(ButtonBehaviour, ASystemColourChangeRestoresTheDefaults)
{
    CThemedButton button;
    ASSERT_TRUE(button.Create(L"b", kChild | BS_PUSHBUTTON, RECT{10, 10, 110, 40}, host->m_hWnd, 1001));
    for (int slot = 0; slot < button_drawing::kColorSlotCount; ++slot)
        button.SetColor(slot, RGB(76, 195, 247));
    button.SendMessage(WM_SYSCOLORCHANGE);
    for (int slot : {CSkinButton::HoverBack, CSkinButton::NormalBack, CSkinButton::FocusBack})
        EXPECT_EQ(button.Color(slot), ::GetSysColor(COLOR_BTNFACE));
    for (int slot : {CSkinButton::HoverText, CSkinButton::NormalText, CSkinButton::FocusText})
        EXPECT_EQ(button.Color(slot), ::GetSysColor(COLOR_BTNTEXT));
}

TEST_F(ButtonBehaviour, TheParentsColourRequestGetsAHollowBrush)
{
    CThemedButton button;
    ASSERT_TRUE(button.Create(L"b", kChild | BS_PUSHBUTTON, RECT{10, 10, 110, 40}, host->m_hWnd, 1001));
    CClientDC dc(button.m_hWnd);
    EXPECT_EQ(host->SendMessage(WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc.Get()),
                                reinterpret_cast<LPARAM>(button.m_hWnd)),
              reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH)));
}

// What the drop-down menu's owner saw.
struct MenuOwnerLog {
    HMENU hSubMenu = nullptr;
    LPARAM lParam = 0;
    BOOL bButtonPressed = FALSE;
    UINT nCommand = 0;
};
MenuOwnerLog g_menuLog;
const CSkinButton* g_pMenuButton = nullptr;

// The menu's owner: on the notice it records what it got and answers the
// menu that is about to open from the keyboard (first item, Enter).
LRESULT CALLBACK MenuOwnerProc(HWND hWnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_APP + 7) {
        g_menuLog.hSubMenu = reinterpret_cast<HMENU>(wp);
        g_menuLog.lParam = lp;
        g_menuLog.bButtonPressed = g_pMenuButton->MenuShown();
        ::PostMessageW(hWnd, WM_KEYDOWN, VK_DOWN, 0);
        ::PostMessageW(hWnd, WM_KEYDOWN, VK_RETURN, 0);
        return 0;
    }
    if (msg == WM_COMMAND && lp == 0)
        g_menuLog.nCommand = LOWORD(wp);
    return ::DefWindowProcW(hWnd, msg, wp, lp);
}

TEST_F(ButtonBehaviour, TheDropDownMenuSendsItsNoticeAndPostsTheChosenCommand)
{
    CThemedButton button;
    ASSERT_TRUE(button.Create(L"", kChild | BS_PUSHBUTTON, RECT{10, 10, 26, 34}, host->m_hWnd, 1004));
    HWND hOwner = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, host->m_hWnd, nullptr, nullptr, nullptr);
    ::SetWindowLongPtrW(hOwner, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MenuOwnerProc));
    button.AssignDropMenu(CMenu(::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MENU_OPTIONS))), hOwner,
                          {hOwner, WM_APP + 7, 0, 42});
    ASSERT_TRUE(button.DropMenu());
    g_menuLog = {};
    g_pMenuButton = &button;

    button.SendMessage(BM_CLICK);
    HMENU hSubMenu = ::GetSubMenu(button.DropMenu(), 0);
    EXPECT_EQ(g_menuLog.hSubMenu, hSubMenu) << "the notice carries the submenu";
    EXPECT_EQ(g_menuLog.lParam, 42);
    EXPECT_TRUE(g_menuLog.bButtonPressed) << "the button shows pressed while the menu is open";
    EXPECT_FALSE(button.MenuShown());
    EXPECT_TRUE(PumpUntil([] { return g_menuLog.nCommand != 0; }, std::chrono::seconds(3)));
    EXPECT_EQ(g_menuLog.nCommand, ::GetMenuItemID(hSubMenu, 0));
    ::DestroyWindow(hOwner);
}

TEST_F(ButtonBehaviour, AThousandButtonsLeaveNoObjectBehind)
{
    auto cycle = [&] {
        CThemedButton button;
        button.Create(L"(&S)", kChild | BS_PUSHBUTTON, RECT{10, 10, 116, 34}, host->m_hWnd, 1002);
        button.AssignBitmaps(MakePicture(105, 23, kHotPicture).Release(), MakePicture(105, 23, kNormalPicture).Release());
        button.AssignTooltip(L"保存所选软件安装包");
        button.SetCopyParentBack(TRUE);
        ::UpdateWindow(button.m_hWnd);
        button.SetCopyParentBack(FALSE);
        button.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
        ::RedrawWindow(button.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        button.SendMessage(WM_MOUSELEAVE);
    };
    cycle();
    testing_support::PumpMessages();
    const DWORD gdiBefore = testing_support::GdiObjectCount();
    const DWORD userBefore = testing_support::UserObjectCount();
    {
        CBitmap probe = MakePicture(4, 4, kHotPicture);
        CThemedButton button;
        button.Create(L"", kChild | BS_PUSHBUTTON, RECT{10, 10, 116, 34}, host->m_hWnd, 1002);
        button.AssignTooltip(L"probe");
        ASSERT_GT(testing_support::GdiObjectCount(), gdiBefore) << "the count sees new objects";
        ASSERT_EQ(testing_support::UserObjectCount(), userBefore + 2) << "the count sees the button and its tooltip";
    }
    for (int i = 0; i < 1000; ++i)
        cycle();
    testing_support::PumpMessages();
    EXPECT_LE(testing_support::GdiObjectCount(), gdiBefore + 2);
    EXPECT_LE(testing_support::UserObjectCount(), userBefore);
}

} // namespace
