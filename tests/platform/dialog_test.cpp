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
    class Worker : public CDialog {
    public:
        Worker() : CDialog(IDD_PROGRESS) {}
        BOOL OnInitDialog() override
        {
            m_thread = std::thread([this] { ::SendMessageW(m_hWnd, WM_CLOSE, 0, 0); });
            return TRUE;
        }
        ~Worker() override
        {
            if (m_thread.joinable())
                m_thread.join();
        }
        std::thread m_thread;
    } dlg;
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
}

TEST(Dialog, EndDialogCalledOnAnotherThreadEndsTheDialogOnItsOwnThread)
{
    class Ended : public CDialog {
    public:
        Ended() : CDialog(IDD_PROGRESS) {}
        bool runningAfterTheCall = false;
        BOOL OnInitDialog() override
        {
            // The call returns before the dialog's thread has seen it: the
            // dialog is still running then, and ends once its loop runs.
            std::thread other([this] {
                EndDialog(42);
                runningAfterTheCall = IsModalRunning();
            });
            other.join();
            return TRUE;
        }
    } dlg;
    EXPECT_EQ(dlg.DoModal(), 42);
    EXPECT_TRUE(dlg.runningAfterTheCall);
    EXPECT_FALSE(dlg.IsModalRunning());
}

TEST(Dialog, AnActiveForegroundDialogDrawsItsCaptionActive)
{
    // Another thread's window is in front when the dialog comes up, as
    // another program's window is when Quillset starts.
    std::atomic<HWND> hOther = nullptr;
    std::atomic<bool> bDone = false;
    std::thread other([&] {
        HWND hWnd = ::CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 200, nullptr,
                                      nullptr, nullptr, nullptr);
        ::SetForegroundWindow(hWnd);
        hOther = hWnd;
        testing_support::PumpUntil([&] { return bDone.load(); }, std::chrono::seconds(60));
        ::DestroyWindow(hWnd);
    });
    while (!hOther)
        ::Sleep(10);
    ASSERT_EQ(::GetForegroundWindow(), hOther.load());

    class Shown : public CDialog {
    public:
        Shown() : CDialog(IDD_PROGRESS) {}
        int lastNcActivate = -1;
        bool foreground = false;
        bool active = false;
        BOOL OnInitDialog() override
        {
            ::PostMessageW(m_hWnd, WM_APP, 0, 0);
            return TRUE;
        }
        LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override
        {
            if (msg == WM_NCACTIVATE)
                lastNcActivate = static_cast<int>(wp);
            if (msg == WM_APP) {
                testing_support::PumpUntil([] { return false; }, std::chrono::milliseconds(300));
                foreground = ::GetForegroundWindow() == m_hWnd;
                active = ::GetActiveWindow() == m_hWnd;
                EndDialog(1);
                return 0;
            }
            return CDialog::WindowProc(msg, wp, lp);
        }
    } dlg;
    EXPECT_EQ(dlg.DoModal(), 1);
    bDone = true;
    other.join();
    EXPECT_TRUE(dlg.foreground);
    EXPECT_TRUE(dlg.active);
    EXPECT_EQ(dlg.lastNcActivate, TRUE) << "the caption was last drawn inactive";
}

TEST(Dialog, AMissingTemplateFailsWithoutRunning)
{
    CDialog dlg(4242);
    EXPECT_EQ(dlg.DoModal(), -1);
}

} // namespace

namespace {

TEST(Application, TheWindowThreadIsACOMApartmentWhileTheProgramRuns)
{
    class App : public CWinApp {
    public:
        HRESULT hr = E_FAIL;
        APTTYPE type = APTTYPE_MTA;
        BOOL InitInstance() override
        {
            APTTYPEQUALIFIER qualifier{};
            hr = ::CoGetApartmentType(&type, &qualifier);
            return FALSE;
        }
    } app;
    EXPECT_EQ(app.Run(::GetModuleHandleW(nullptr)), 0);
    EXPECT_EQ(app.hr, S_OK);
    EXPECT_EQ(app.type, APTTYPE_MAINSTA);
    // Released again when the program ends.
    APTTYPE type{};
    APTTYPEQUALIFIER qualifier{};
    EXPECT_EQ(::CoGetApartmentType(&type, &qualifier), CO_E_NOTINITIALIZED);
}

} // namespace
