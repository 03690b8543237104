#include "tests/batch/batch_fixture.h"

#include "platform/system_dialogs.h"

#include <commctrl.h>
#include <objbase.h>

namespace batch_testing {

using namespace testing_support;

BOOL WatchedProgDlg::OnInitDialog()
{
    const BOOL result = CProgDlg::OnInitDialog();
    // The worker's first send can only be served once this returns to the
    // modal loop, so nothing is missed.
    if (m_progress.m_hWnd)
        ::SetWindowSubclass(m_progress.m_hWnd, &WatchedProgDlg::BarProc, 1, reinterpret_cast<DWORD_PTR>(this));
    return result;
}

LRESULT WatchedProgDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_SETTEXT && lp) {
        const std::wstring caption = reinterpret_cast<const wchar_t*>(lp);
        const auto pos = m_progress.SendMessage(PBM_GETPOS);
        Note(L"caption \"" + caption + L"\" at " + std::to_wstring(pos));
        if (onCaption)
            onCaption(caption);
    }
    return CProgDlg::WindowProc(msg, wp, lp);
}

LRESULT CALLBACK WatchedProgDlg::BarProc(HWND hWnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref)
{
    auto* pDlg = reinterpret_cast<WatchedProgDlg*>(ref);
    switch (msg) {
    case PBM_SETRANGE32:
        pDlg->Note(L"range " + std::to_wstring(static_cast<int>(wp)) + L".." + std::to_wstring(static_cast<int>(lp)));
        break;
    case PBM_SETPOS:
        pDlg->Note(L"pos " + std::to_wstring(static_cast<int>(wp)));
        break;
    case PBM_DELTAPOS:
        pDlg->Note(L"delta " + std::to_wstring(static_cast<int>(wp)));
        break;
    case WM_NCDESTROY:
        ::RemoveWindowSubclass(hWnd, &WatchedProgDlg::BarProc, id);
        break;
    default:
        break;
    }
    return ::DefSubclassProc(hWnd, msg, wp, lp);
}

void WatchedProgDlg::Note(const std::wstring& event)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_events.push_back(event);
}

void Batch::SetUp()
{
    m_log = m_dir / L"install.log";
    m_options.strLogFile = m_dir / L"batch.log";
    m_options.dwBusyWaitMs = 50;
    ASSERT_TRUE(::SetEnvironmentVariableW(L"QUILLSET_DEMO_LOG", m_log.c_str()));
    // The main window stands hidden behind the batch, as the program hides it.
    ASSERT_TRUE(m_main.CreateEx(0, L"STATIC", L"Quillset", WS_POPUP | WS_CAPTION, RECT{100, 100, 900, 700}, nullptr, 0));

    SystemDialogHooks hooks;
    hooks.messageBox = [this](HWND hOwner, const std::wstring& text, const std::wstring& caption, UINT nType) {
        if (text == kStopQuestion) {
            ++m_nQuestions;
            EXPECT_EQ(nType, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
            if (m_onQuestion)
                m_onQuestion();
            return m_nStopAnswer;
        }
        // The worker's thread: the window is still up, the user-interface
        // thread serves the bar's questions from its modal loop.
        ReportSeen seen;
        seen.bShown = true;
        APTTYPE type{};
        APTTYPEQUALIFIER qualifier{};
        seen.bComApartment =
            ::CoGetApartmentType(&type, &qualifier) == S_OK && (type == APTTYPE_STA || type == APTTYPE_MAINSTA);
        seen.hOwner = hOwner;
        seen.strText = text;
        seen.strCaption = caption;
        seen.nType = nType;
        if (g_pProgDlg)
            seen.arrFailed = g_pProgDlg->m_arrFailed;
        if (g_pProgDlg && g_pProgDlg->m_hWnd) {
            const HWND hDlg = g_pProgDlg->m_hWnd;
            const HWND hBar = g_pProgDlg->m_progress.m_hWnd;
            seen.bWindowVisible = ::IsWindowVisible(hDlg) != FALSE;
            ::GetWindowRect(hDlg, &seen.rcWindow);
            ::GetClientRect(hDlg, &seen.rcClient);
            seen.exStyle = ::GetWindowLongPtrW(hDlg, GWL_EXSTYLE);
            ::GetWindowRect(hBar, &seen.rcBar);
            ::MapWindowPoints(nullptr, hDlg, reinterpret_cast<POINT*>(&seen.rcBar), 2);
            seen.barStyle = ::GetWindowLongPtrW(hBar, GWL_STYLE);
            seen.nBarId = ::GetDlgCtrlID(hBar);
            PBRANGE range{};
            ::SendMessageW(hBar, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
            seen.nBarLow = range.iLow;
            seen.nBarHigh = range.iHigh;
            seen.nBarPos = static_cast<int>(::SendMessageW(hBar, PBM_GETPOS, 0, 0));
        }
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_events.push_back(L"report");
        }
        m_report = seen;
        if (m_onReport)
            m_onReport();
        return m_nReportAnswer;
    };
    hooks.restartSystem = [this] { return ++m_nRestarts > 0; };
    SetSystemDialogHooks(hooks);
}

void Batch::TearDown()
{
    SetSystemDialogHooks({});
    ::SetEnvironmentVariableW(L"QUILLSET_DEMO_LOG", nullptr);
}

INT_PTR Batch::Run(int nMode, const std::vector<std::wstring>& items, const std::wstring& strSavePath)
{
    return RunResolved(nMode, ResolveItems(m_names, items), strSavePath);
}

INT_PTR Batch::RunResolved(int nMode, const std::vector<ResolvedItem>& items, const std::wstring& strSavePath)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_events.clear();
    }
    m_report = {};
    WatchedProgDlg dlg(&m_main, m_events, m_mutex);
    EXPECT_EQ(g_pProgDlg, &dlg);
    dlg.onCaption = m_onCaption;
    dlg.m_nMode = nMode;
    dlg.m_pItems = &items;
    dlg.m_strSavePath = strSavePath;
    dlg.m_pDisc = m_pDisc;
    dlg.m_options = m_options;
    const INT_PTR nResult = dlg.DoModal();
    m_summary = dlg.m_summary;
    return nResult;
}

std::wstring Batch::Installer(const std::wstring& relative) const
{
    const std::wstring path = m_dir / relative;
    WriteFile(path, "");
    EXPECT_TRUE(::CopyFileW((ProgramFolder() + L"demo_installer.exe").c_str(), path.c_str(), FALSE));
    return path;
}

std::wstring Batch::Log() const
{
    return FromUtf8(ReadFile(m_log));
}

std::wstring Batch::BatchLog() const
{
    return FromUtf8(ReadFile(m_options.strLogFile));
}

std::vector<std::wstring> Batch::Events()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_events;
}

} // namespace batch_testing
