// Batches run for real: a hidden stand-in for the main window owns the
// progress window, the progress window's caption and bar are watched as
// they change, and the report is answered through the message-box seam.
#pragma once

#include "batch/prog_dlg.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace batch_testing {

// What the report saw of the running window.
struct ReportSeen {
    bool bShown = false;
    HWND hOwner = nullptr;
    // The failure list as the worker had filled it when it reported.
    std::vector<std::wstring> arrFailed;
    std::wstring strText;
    std::wstring strCaption;
    UINT nType = 0;
    bool bWindowVisible = false;
    RECT rcWindow{};
    LONG_PTR exStyle = 0;
    RECT rcBar{}; // in the window's client coordinates
    RECT rcClient{};
    LONG_PTR barStyle = 0;
    int nBarId = 0;
    int nBarLow = -1;
    int nBarHigh = -1;
    int nBarPos = -1;
    // The worker's thread was a single-threaded COM apartment.
    bool bComApartment = false;
};


// The progress window with its caption changes and bar messages noted, in
// the order the window received them.
class WatchedProgDlg : public CProgDlg {
public:
    WatchedProgDlg(CWnd* pParent, std::vector<std::wstring>& events, std::mutex& mutex)
        : CProgDlg(pParent), m_events(events), m_mutex(mutex)
    {
    }
    // Called on the user-interface thread with each new caption.
    std::function<void(const std::wstring&)> onCaption;

protected:
    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    static LRESULT CALLBACK BarProc(HWND hWnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref);
    void Note(const std::wstring& event);

    std::vector<std::wstring>& m_events;
    std::mutex& m_mutex;
};

class Batch : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs a batch modally to its end over the items, each resolved with
    // its name from m_names first; returns what DoModal returned.
    INT_PTR Run(int nMode, const std::vector<std::wstring>& items, const std::wstring& strSavePath = L"");
    // The same over items resolved before.
    INT_PTR RunResolved(int nMode, const std::vector<ResolvedItem>& items, const std::wstring& strSavePath = L"");

    // A copy of the demo installer at m_dir / relative.
    std::wstring Installer(const std::wstring& relative) const;
    // What the demo installers logged so far, and the batches' own log.
    std::wstring Log() const;
    std::wstring BatchLog() const;
    // How the report names the batches' log.
    std::wstring LogLine() const { return L"\n日志文件: " + m_options.strLogFile; }
    std::vector<std::wstring> Events();

    testing_support::TempDir m_dir;
    std::wstring m_log;
    CWnd m_main;
    ReportSeen m_report;
    // Given to every batch: its log in m_dir, short waits for a busy installer.
    BatchOptions m_options;
    // The entry names of the items Run resolves, in item order.
    std::vector<std::wstring> m_names;
    // Given to every save batch: what makes its folder a disc (null: none).
    const SaveDisc* m_pDisc = nullptr;
    // The answer to the report, and the restarts asked for.
    int m_nReportAnswer = IDOK;
    int m_nRestarts = 0;
    // What the last batch left behind.
    BatchSummary m_summary;
    std::function<void(const std::wstring&)> m_onCaption;
    std::function<void()> m_onReport;
    // The stop question: how often it was asked, what runs while it is
    // open (on the window's thread), and the answer.
    int m_nQuestions = 0;
    std::function<void()> m_onQuestion;
    int m_nStopAnswer = IDNO;

private:
    std::mutex m_mutex;
    std::vector<std::wstring> m_events;
};

} // namespace batch_testing
