// The help window: how the program is used from the command line and what
// the catalogue may say, as text a technician can scroll, select and copy.
#pragma once

#include "platform/dpi.h"
#include "platform/wnd.h"

#include <string>

class CHelpDlg : public CDialog {
public:
    // text: the help, lines ended by "\n".
    CHelpDlg(CWnd* pParent, std::wstring text);

    static constexpr UINT kIdText = 1000;

protected:
    BOOL OnInitDialog() override;

private:
    std::wstring m_strText;
    CWnd m_editText;
    CWnd m_btnClose;
    // The screen scale the window is shown at.
    dpi::Scale m_scale;
};

// The help as the window shows it: the command line's usage, then the
// catalogue's keys, each under its heading.
std::wstring HelpText(const std::wstring& usage);
