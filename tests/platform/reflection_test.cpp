#include "platform/controls.h"
#include "res/resource.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::wstring> g_log;

// A top-level window of a plain class that records what reaches its own
// handlers.
class Host : public testing_support::HostWindow {
public:
    Host() : HostWindow(RECT{0, 0, 400, 300}, WS_OVERLAPPEDWINDOW | WS_VISIBLE) {}

protected:
    BOOL OnCommand(WPARAM wp, LPARAM) override
    {
        g_log.push_back(L"parent command " + std::to_wstring(HIWORD(wp)));
        return TRUE;
    }
    BOOL OnNotify(WPARAM, LPARAM lp, LRESULT* pResult) override
    {
        g_log.push_back(L"parent notify " + std::to_wstring(static_cast<int>(reinterpret_cast<NMHDR*>(lp)->code)));
        *pResult = 11;
        return TRUE;
    }
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override
    {
        if (msg == WM_DRAWITEM)
            g_log.push_back(L"parent drawitem");
        return HostWindow::WindowProc(msg, wp, lp);
    }
};

class RecordingButton : public CButton {
public:
    bool consume = false;

protected:
    bool OnChildNotify(UINT msg, WPARAM wp, LPARAM, LRESULT* pResult) override
    {
        if (msg == WM_COMMAND)
            g_log.push_back(L"child command " + std::to_wstring(HIWORD(wp)));
        else if (msg == WM_NOTIFY)
            g_log.push_back(L"child notify");
        else if (msg == WM_DRAWITEM)
            g_log.push_back(L"child drawitem");
        else
            return false;
        *pResult = 22;
        return consume;
    }
};

class MeasuringList : public CListCtrl {
public:
    int measuredBeforeAttach = 0;
    int measured = 0;

protected:
    bool OnChildNotify(UINT msg, WPARAM, LPARAM lp, LRESULT* pResult) override
    {
        if (msg != WM_MEASUREITEM)
            return false;
        ++measured;
        if (!m_hWnd)
            ++measuredBeforeAttach;
        reinterpret_cast<MEASUREITEMSTRUCT*>(lp)->itemHeight = 60;
        *pResult = TRUE;
        return true;
    }
};

class Reflection : public ::testing::Test {
protected:
    void SetUp() override { g_log.clear(); }
};

TEST_F(Reflection, AControlSeesItsNotificationBeforeItsParent)
{
    Host host;
    RecordingButton button;
    ASSERT_TRUE(button.Create(L"b", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, RECT{0, 0, 80, 24}, host.m_hWnd, 1001));
    button.SendMessage(BM_CLICK);
    EXPECT_EQ(g_log, (std::vector<std::wstring>{L"child command 0", L"parent command 0"}));
}

TEST_F(Reflection, AControlThatConsumesItsNotificationHidesItFromItsParent)
{
    Host host;
    RecordingButton button;
    button.consume = true;
    ASSERT_TRUE(button.Create(L"b", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, RECT{0, 0, 80, 24}, host.m_hWnd, 1001));
    button.SendMessage(BM_CLICK);
    EXPECT_EQ(g_log, (std::vector<std::wstring>{L"child command 0"}));

    NMHDR hdr{button.m_hWnd, 1001, static_cast<UINT>(NM_CLICK)};
    g_log.clear();
    EXPECT_EQ(host.SendMessage(WM_NOTIFY, 1001, reinterpret_cast<LPARAM>(&hdr)), 22)
        << "the control's result is what the sender gets";
    EXPECT_EQ(g_log, (std::vector<std::wstring>{L"child notify"}));
}

TEST_F(Reflection, NotificationsOfUnattachedControlsGoToTheParent)
{
    Host host;
    HWND hPlain = ::CreateWindowExW(0, L"BUTTON", L"p", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0, 80, 24,
                                    host.m_hWnd, reinterpret_cast<HMENU>(1002), nullptr, nullptr);
    NMHDR hdr{hPlain, 1002, static_cast<UINT>(NM_CLICK)};
    EXPECT_EQ(host.SendMessage(WM_NOTIFY, 1002, reinterpret_cast<LPARAM>(&hdr)), 11);
    EXPECT_EQ(g_log, (std::vector<std::wstring>{L"parent notify -2"}));
}

TEST_F(Reflection, OwnerDrawRequestsReachTheControlFirst)
{
    Host host;
    RecordingButton button;
    ASSERT_TRUE(button.Create(L"b", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, RECT{0, 0, 80, 24}, host.m_hWnd, 1001));
    g_log.clear();
    ::RedrawWindow(button.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    ASSERT_FALSE(g_log.empty());
    EXPECT_EQ(g_log.front(), L"child drawitem");
    EXPECT_EQ(g_log.size(), 2u) << "not consumed: the parent draws too";
}

TEST_F(Reflection, MeasureItemReachesTheListObjectWhileTheListIsBeingCreated)
{
    Host host;
    MeasuringList list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDRAWFIXED, RECT{0, 0, 300, 200},
                            host.m_hWnd, 1000));
    EXPECT_GE(list.measuredBeforeAttach, 1) << "the list measures its rows during creation";
    list.InsertColumn(0, L"c", LVCFMT_LEFT, 200);
    list.InsertItem(0, L"row");
    RECT rc{};
    ASSERT_TRUE(list.GetItemRect(0, &rc, LVIR_BOUNDS));
    EXPECT_EQ(rc.bottom - rc.top, 60);
}

TEST_F(Reflection, DestroyingTheParentDetachesItsControls)
{
    RecordingButton button;
    {
        Host host;
        ASSERT_TRUE(button.Create(L"b", WS_CHILD | BS_PUSHBUTTON, RECT{0, 0, 80, 24}, host.m_hWnd, 1001));
        EXPECT_EQ(CWnd::FromHandle(button.m_hWnd), &button);
    }
    EXPECT_EQ(button.m_hWnd, nullptr);
}

// PreTranslateMessage in the modal loop: the target's object first, then
// its parents', before the dialog manager.
class KeyDialog : public CDialog {
public:
    KeyDialog() : CDialog(IDD_PROGRESS) {}

    class Child : public CButton {
    public:
        bool consume = false;
        BOOL PreTranslateMessage(MSG* pMsg) override
        {
            if (pMsg->message == WM_KEYDOWN)
                g_log.push_back(L"child pretranslate");
            return consume && pMsg->message == WM_KEYDOWN;
        }
    } child;

protected:
    BOOL OnInitDialog() override
    {
        child.Create(L"c", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, RECT{0, 0, 60, 20}, m_hWnd, 1001);
        ::PostMessageW(child.m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        ::PostMessageW(m_hWnd, WM_APP, 0, 0);
        return TRUE;
    }
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message == WM_KEYDOWN)
            g_log.push_back(L"dialog pretranslate");
        return FALSE;
    }
    void OnCancel() override { g_log.push_back(L"cancel"); }
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override
    {
        if (msg == WM_APP) {
            EndDialog(1);
            return 0;
        }
        return CDialog::WindowProc(msg, wp, lp);
    }
};

TEST_F(Reflection, TheModalLoopOffersMessagesToTheTargetAndItsParents)
{
    KeyDialog dlg;
    EXPECT_EQ(dlg.DoModal(), 1);
    EXPECT_EQ(g_log, (std::vector<std::wstring>{L"child pretranslate", L"dialog pretranslate", L"cancel"}));

    g_log.clear();
    KeyDialog consuming;
    consuming.child.consume = true;
    EXPECT_EQ(consuming.DoModal(), 1);
    EXPECT_EQ(g_log, (std::vector<std::wstring>{L"child pretranslate"}));
}

} // namespace

namespace {

std::vector<UINT> g_ownProcSaw;

LRESULT CALLBACK OwnProcedure(HWND hWnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_DESTROY || msg == WM_NCDESTROY)
        g_ownProcSaw.push_back(msg);
    return ::DefWindowProcW(hWnd, msg, wp, lp);
}

LRESULT CALLBACK ForeignSubclass(HWND hWnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR)
{
    return ::DefSubclassProc(hWnd, msg, wp, lp);
}

TEST(Subclassing, DetachingUnderAForeignSubclassLeavesTheControlItsOwnProcedure)
{
    // A window of a class of its own, attached, then subclassed by someone
    // else (as a tooltip does with TTF_SUBCLASS), detached while that
    // subclass stays, then destroyed: its own procedure still sees the end.
    WNDCLASSW wc{};
    wc.lpfnWndProc = &OwnProcedure;
    wc.lpszClassName = L"QuillsetOwnProcTest";
    ::RegisterClassW(&wc);
    const SUBCLASSPROC foreign = &ForeignSubclass;
    CWnd wnd;
    HWND hWnd = ::CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(wnd.SubclassWindow(hWnd));
    ASSERT_TRUE(::SetWindowSubclass(hWnd, foreign, 7, 0));
    EXPECT_EQ(wnd.UnsubclassWindow(), hWnd);
    EXPECT_EQ(CWnd::FromHandle(hWnd), nullptr);
    ::DestroyWindow(hWnd);
    EXPECT_EQ(g_ownProcSaw, (std::vector<UINT>{WM_DESTROY, WM_NCDESTROY}));
}

} // namespace
