// The box that asks for the name a selection is saved under.
#pragma once

#include "platform/wnd.h"

#include <string>

class CSetNameDlg : public CDialog {
public:
    // strNote: what is saved, shown above the name.
    CSetNameDlg(CWnd* pParent, std::wstring strNote) noexcept;

    // The name: shown first, and the one given when the box ends with IDOK
    // (without the blanks around it).
    std::wstring m_strName;

protected:
    BOOL OnInitDialog() override;
    // A name that does not serve is said so, and the box stays.
    void OnOK() override;

private:
    std::wstring m_strNote;
};
