// The main window.
#pragma once

#include "platform/handles.h"
#include "platform/wnd.h"

struct CatalogueSettings;

class CQuillsetDlg : public CDialog {
public:
    CQuillsetDlg();

    // Set by the application before the window opens; not owned.
    CatalogueSettings* m_pSettings = nullptr;

protected:
    BOOL OnInitDialog() override;
    // Enter and Escape never close the main window.
    void OnOK() override;
    void OnCancel() override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void OnSysCommand(UINT nID, LPARAM lp);
    void OnPaint();
    BOOL OnEraseBkgnd(HDC hDC);

    CIcon m_hIcon;
    COLORREF m_crBack = RGB(220, 230, 232);
};
