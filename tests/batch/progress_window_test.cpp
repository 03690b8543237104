// The progress window itself: where it stands, what it ignores, and how it
// ends when there is nothing to do.
#include "tests/batch/batch_fixture.h"

#include "res/resource.h"

#include <commctrl.h>

#include <string>
#include <vector>

namespace batch_testing {
namespace {

using namespace testing_support;

TEST_F(Batch, WindowStandsTopMostAboveTheWorkAreaBottomAndIgnoresTheUser)
{
    const std::wstring setup = Installer(L"slow setup.exe");
    // While the item runs, the user presses Enter and Escape, and tries the
    // close command: the window stays until the worker closes it.
    // A batch that does not offer to stop (the command line's) shows no
    // close box and no stop button, and asks nothing.
    bool bPressed = false;
    HWND hDlg = nullptr;
    LONG_PTR style = 0;
    HWND hStop = nullptr;
    m_onCaption = [&](const std::wstring& caption) {
        if (bPressed || caption.find(L"100.0%") == std::wstring::npos)
            return;
        bPressed = true;
        hDlg = g_pProgDlg->m_hWnd;
        style = ::GetWindowLongPtrW(hDlg, GWL_STYLE);
        hStop = ::GetDlgItem(hDlg, IDC_STOP);
        ::PostMessageW(hDlg, WM_KEYDOWN, VK_RETURN, 0x001C0001);
        ::PostMessageW(hDlg, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        ::PostMessageW(hDlg, WM_COMMAND, IDOK, 0);
        ::PostMessageW(hDlg, WM_COMMAND, IDCANCEL, 0);
        ::PostMessageW(hDlg, WM_SYSCOMMAND, SC_CLOSE, 0);
    };

    EXPECT_EQ(Run(0, {setup + L" /S /delay=1500"}), IDCANCEL);

    EXPECT_TRUE(bPressed);
    EXPECT_EQ(style & WS_SYSMENU, 0);
    EXPECT_EQ(hStop, nullptr);
    EXPECT_EQ(m_nQuestions, 0);
    ASSERT_TRUE(m_report.bShown);
    EXPECT_TRUE(m_report.bWindowVisible);
    EXPECT_EQ(Log(), L"slow setup.exe|/S /delay=1500\r\n");
    EXPECT_FALSE(::IsWindow(hDlg));

    RECT rcWork{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &rcWork, 0);
    const RECT& rc = m_report.rcWindow;
    // 400 pixels wide, or wider where the caption needs it to show the
    // item's file name; centred on the work area.
    const int width = rc.right - rc.left;
    EXPECT_GE(width, 400);
    EXPECT_EQ(rc.bottom - rc.top, 60);
    EXPECT_EQ(rc.left, rcWork.left + (rcWork.right - rcWork.left - width) / 2);
    EXPECT_EQ(rc.top, rcWork.bottom - 80);
    EXPECT_EQ(rc.bottom, rcWork.bottom - 20);
    EXPECT_NE(m_report.exStyle & WS_EX_TOPMOST, 0);
    EXPECT_NE(m_report.exStyle & WS_EX_TOOLWINDOW, 0);

    // The bar fills the client area less 7 pixels on every side.
    RECT rcInset = m_report.rcClient;
    ::InflateRect(&rcInset, -7, -7);
    EXPECT_TRUE(::EqualRect(&m_report.rcBar, &rcInset));
    EXPECT_EQ(m_report.nBarId, IDC_PROGRESS);
    EXPECT_EQ(m_report.barStyle & (WS_CHILD | WS_VISIBLE | PBS_SMOOTH), WS_CHILD | WS_VISIBLE | PBS_SMOOTH);
}

TEST_F(Batch, EmptyItemListReportsSuccessAndCloses)
{
    EXPECT_EQ(Run(0, {}), IDCANCEL);
    const std::vector<std::wstring> expected{L"range 0..0", L"pos 0", L"caption \"正在安装...0.0% \" at 0",
                                             L"report"};
    EXPECT_EQ(Events(), expected);
    EXPECT_EQ(m_report.strText, L"所有项目安装完毕!\n" + LogLine());
    EXPECT_EQ(m_report.nType, static_cast<UINT>(MB_ICONINFORMATION));

    // No list at all counts as an empty one.
    std::vector<std::wstring> events;
    std::mutex mutex;
    WatchedProgDlg dlg(&m_main, events, mutex);
    dlg.m_nMode = 1;
    dlg.m_strSavePath = m_dir.Path();
    dlg.m_options = m_options;
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(m_report.strText, L"所有项目保存完毕!\n" + LogLine());
    EXPECT_EQ(m_report.strCaption, L"保存安装包");
}

TEST_F(Batch, UnknownModeEndsTheWindowAtOnceWithoutABatch)
{
    const std::wstring setup = Installer(L"never.exe");
    EXPECT_EQ(Run(3, {setup + L" /S"}), IDCANCEL);
    EXPECT_FALSE(m_report.bShown);
    EXPECT_TRUE(Events().empty());
    ::Sleep(200);
    EXPECT_EQ(Log(), L"");
}

TEST_F(Batch, LastConstructedWindowIsTheOneTheWorkerFinds)
{
    {
        CProgDlg first;
        EXPECT_EQ(g_pProgDlg, &first);
        CProgDlg second(&m_main);
        EXPECT_EQ(g_pProgDlg, &second);
        EXPECT_EQ(second.m_nMode, 0);
        EXPECT_EQ(second.m_pItems, nullptr);
        EXPECT_TRUE(second.m_arrFailed.empty());
        EXPECT_TRUE(second.m_strSavePath.empty());
    }
    // A window that has gone is not left behind for a worker to find.
    EXPECT_EQ(g_pProgDlg, nullptr);
}

TEST_F(Batch, OnlyTheWorkerEndsTheWindowWhileTheBatchRuns)
{
    // Something asks the window to close from outside (a WM_CLOSE, a quit
    // request) under a running batch: the batch runs on behind the window,
    // which closes on the worker's own request after the report; the quit
    // request is passed on then.
    const std::wstring setup = Installer(L"slow.exe");
    bool bAsked = false;
    m_onCaption = [&](const std::wstring& caption) {
        if (!bAsked && caption.find(L"50.0%") != std::wstring::npos) {
            bAsked = true;
            ::PostMessageW(g_pProgDlg->m_hWnd, WM_CLOSE, 0, 0);
            ::PostQuitMessage(0);
        }
    };
    EXPECT_EQ(Run(0, {setup + L" /S /delay=500", m_dir / L"missing.exe"}), IDCANCEL);
    EXPECT_TRUE(bAsked);
    ASSERT_TRUE(m_report.bShown);
    EXPECT_TRUE(m_report.bWindowVisible) << "the window went before the report";
    EXPECT_EQ(m_report.nBarPos, 2);
    EXPECT_EQ(m_report.arrFailed, std::vector<std::wstring>{m_dir / L"missing.exe"});
    EXPECT_EQ(Log(), L"slow.exe|/S /delay=500\r\n");
    MSG msg;
    EXPECT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

} // namespace
// The window grows for a long caption by whole steps, up to the work
// area's width, and never shrinks while the batch runs.
TEST(ProgressWindow, WidthForTheCaption)
{
    EXPECT_EQ(ProgressWidth(400, 300, 1280, 50), 400);
    EXPECT_EQ(ProgressWidth(400, 400, 1280, 50), 400);
    EXPECT_EQ(ProgressWidth(400, 401, 1280, 50), 450);
    EXPECT_EQ(ProgressWidth(400, 640, 1280, 50), 650);
    EXPECT_EQ(ProgressWidth(650, 649, 1280, 50), 650);
    EXPECT_EQ(ProgressWidth(640, 500, 1280, 50), 640);
    EXPECT_EQ(ProgressWidth(400, 5000, 1280, 50), 1280);
    EXPECT_EQ(ProgressWidth(600, 901, 0, 75), 975);
}

} // namespace batch_testing
