#include "platform/wnd.h"
#include "res/resource.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <objbase.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

// A dialog on a template without controls whose behaviour is scripted from
// OnInitDialog by posting messages into its own modal loop.
class ScriptedDialog : public CDialog {
public:
    explicit ScriptedDialog(std::vector<MSG> script) : CDialog(IDD_PROGRESS), m_script(std::move(script)) {}

    std::vector<std::wstring> events;
    INT_PTR endWith = 0;

protected:
    BOOL OnInitDialog() override
    {
        events.push_back(L"init");
        for (const MSG& msg : m_script)
            ::PostMessageW(msg.hwnd ? msg.hwnd : m_hWnd, msg.message, msg.wParam, msg.lParam);
        return TRUE;
    }
    void OnOK() override
    {
        events.push_back(L"ok");
        EndDialog(endWith);
    }
    void OnCancel() override
    {
        events.push_back(L"cancel");
        EndDialog(endWith);
    }
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override
    {
        if (msg == WM_APP) {
            events.push_back(L"app");
            EndDialog(static_cast<INT_PTR>(wp));
            return 0;
        }
        return CDialog::WindowProc(msg, wp, lp);
    }

private:
    std::vector<MSG> m_script;
};

MSG Message(UINT message, WPARAM wp = 0, LPARAM lp = 0)
{
    MSG msg{};
    msg.message = message;
    msg.wParam = wp;
    msg.lParam = lp;
    return msg;
}

TEST(Dialog, DoModalReturnsTheValueItEndedWith)
{
    ScriptedDialog dlg({Message(WM_APP, 1234)});
    EXPECT_EQ(dlg.DoModal(), 1234);
    EXPECT_EQ(dlg.events, (std::vector<std::wstring>{L"init", L"app"}));
    EXPECT_EQ(dlg.m_hWnd, nullptr) << "the window is gone after the modal run";
}

TEST(Dialog, EnterReachesOnOkAndEscapeReachesOnCancel)
{
    ScriptedDialog enter({Message(WM_KEYDOWN, VK_RETURN, 0x001C0001)});
    enter.endWith = 7;
    EXPECT_EQ(enter.DoModal(), 7);
    EXPECT_EQ(enter.events, (std::vector<std::wstring>{L"init", L"ok"}));

    ScriptedDialog escape({Message(WM_KEYDOWN, VK_ESCAPE, 0x00010001)});
    escape.endWith = 8;
    EXPECT_EQ(escape.DoModal(), 8);
    EXPECT_EQ(escape.events, (std::vector<std::wstring>{L"init", L"cancel"}));
}

TEST(Dialog, TheCloseBoxEndsTheBaseDialogWithCancel)
{
    class Plain : public CDialog {
    public:
        Plain() : CDialog(IDD_PROGRESS) {}
        BOOL OnInitDialog() override
        {
            ::PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
            return TRUE;
        }
    } dlg;
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
}

TEST(Dialog, NestedModalDialogsDisableAndRestoreTheirOwner)
{
    class Inner : public CDialog {
    public:
        explicit Inner(CWnd* pParent) : CDialog(IDD_PROGRESS, pParent) {}
        bool ownerWasDisabled = false;
        BOOL OnInitDialog() override
        {
            ownerWasDisabled = !::IsWindowEnabled(::GetWindow(m_hWnd, GW_OWNER));
            ::PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
            return TRUE;
        }
    };
    class Outer : public CDialog {
    public:
        Outer() : CDialog(IDD_PROGRESS) {}
        bool innerSawDisabledOwner = false;
        bool enabledAfterInner = false;
        BOOL OnInitDialog() override
        {
            ::PostMessageW(m_hWnd, WM_APP, 0, 0);
            return TRUE;
        }
        LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override
        {
            if (msg == WM_APP) {
                Inner inner(this);
                EXPECT_EQ(inner.DoModal(), IDCANCEL);
                innerSawDisabledOwner = inner.ownerWasDisabled;
                enabledAfterInner = ::IsWindowEnabled(m_hWnd) != FALSE;
                EndDialog(5);
                return 0;
            }
            return CDialog::WindowProc(msg, wp, lp);
        }
    } outer;
    EXPECT_EQ(outer.DoModal(), 5);
    EXPECT_TRUE(outer.innerSawDisabledOwner);
    EXPECT_TRUE(outer.enabledAfterInner);
}

TEST(Dialog, EndDialogFromAnotherThreadEndsTheModalRun)
{
    // A close request sent from another thread, and EndDialog called there:
    // the call returns before the dialog's thread has seen it, and the
    // dialog ends on its own thread once its loop runs.
    for (bool bDirect : {false, true}) {
        class Worker : public CDialog {
        public:
            explicit Worker(bool bDirect) : CDialog(IDD_PROGRESS), m_bDirect(bDirect) {}
            bool runningAfterTheCall = false;
            BOOL OnInitDialog() override
            {
                std::thread([this] {
                    if (m_bDirect)
                        EndDialog(42);
                    else
                        ::PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
                    runningAfterTheCall = IsModalRunning();
                }).join();
                return TRUE;
            }
            bool m_bDirect;
        } dlg(bDirect);
        EXPECT_EQ(dlg.DoModal(), bDirect ? 42 : IDCANCEL);
        EXPECT_TRUE(dlg.runningAfterTheCall);
    }
}

TEST(Dialog, AnActiveForegroundDialogDrawsItsCaptionActive)
{
    // Another program's window (the desktop's) is in front when the dialog
    // comes up, as one is when Quillset starts.
    ::SetForegroundWindow(::GetDesktopWindow());
    class Shown : public CDialog {
    public:
        Shown() : CDialog(IDD_PROGRESS) {}
        int lastNcActivate = -1;
        bool activeInFront = false;
        BOOL OnInitDialog() override { return ::SetTimer(m_hWnd, 1, 300, nullptr) != 0; }
        LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override
        {
            if (msg == WM_NCACTIVATE)
                lastNcActivate = static_cast<int>(wp);
            if (msg == WM_TIMER) {
                activeInFront = ::GetForegroundWindow() == m_hWnd && ::GetActiveWindow() == m_hWnd;
                EndDialog(1);
            }
            return CDialog::WindowProc(msg, wp, lp);
        }
    } dlg;
    EXPECT_EQ(dlg.DoModal(), 1);
    EXPECT_TRUE(dlg.activeInFront);
    EXPECT_EQ(dlg.lastNcActivate, TRUE) << "the caption was last drawn inactive";
}

TEST(Dialog, AMissingTemplateFailsWithoutRunning)
{
    CDialog dlg(4242);
    EXPECT_EQ(dlg.DoModal(), -1);
}

TEST(Application, TheWindowThreadIsACOMApartmentWhileTheProgramRuns)
{
    struct App : CWinApp {
        APTTYPE type = APTTYPE_MTA;
        APTTYPEQUALIFIER qualifier{};
        BOOL InitInstance() override
        {
            ::CoGetApartmentType(&type, &qualifier);
            return FALSE;
        }
    } app;
    EXPECT_EQ(app.Run(::GetModuleHandleW(nullptr)), 0);
    EXPECT_EQ(app.type, APTTYPE_MAINSTA);
    EXPECT_EQ(::CoGetApartmentType(&app.type, &app.qualifier), CO_E_NOTINITIALIZED) << "released at the end";
}

} // namespace
