// The main window under a benchmark: once it has opened and every row's
// icon and size are in, Measure runs on the window's own thread, then the
// window closes.
#pragma once

#include "ui/main/QuillsetDlg.h"

class CLoadedWindowBench : public CQuillsetDlg {
protected:
    virtual void Measure() = 0;

    BOOL OnInitDialog() override
    {
        const BOOL result = CQuillsetDlg::OnInitDialog();
        ::PostMessageW(m_hWnd, kMeasureMessage, 0, 0);
        return result;
    }
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override
    {
        if (msg != kMeasureMessage)
            return CQuillsetDlg::WindowProc(msg, wp, lp);
        MSG pending;
        while (!DetailsLoaded() && ::GetMessageW(&pending, nullptr, 0, 0)) {
            ::TranslateMessage(&pending);
            ::DispatchMessageW(&pending);
        }
        Measure();
        ::PostMessageW(m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    }

private:
    static constexpr UINT kMeasureMessage = WM_APP + 40;
};
