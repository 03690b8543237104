// The About box: the version and the credits on the opener's banner, with
// link buttons to the team's pages and a picture close button.
#pragma once

#include "platform/dpi.h"
#include "platform/handles.h"
#include "platform/wnd.h"
#include "ui/controls/ThemedButton.h"

class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(CWnd* pParent = nullptr) noexcept;

    // Lent by the opener, which keeps them alive while the box is open; the
    // box only reads them. Without both, the box has the plain dialog
    // background and the credits the button colour.
    const COLORREF* m_pBackColor = nullptr;
    const CBitmap* m_pBackBitmap = nullptr;

protected:
    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

    CThemedButton m_btnCredit1;
    CThemedButton m_btnCredit2;
    CThemedButton m_btnCredit3;
    CThemedButton m_btnMaker;
    CThemedButton m_btnClose;
    // The screen scale the box is shown at.
    dpi::Scale m_scale;

private:
    // Composes the background, its picture and its lines off-screen and
    // copies it to hDC in one transfer; false when it could not be composed.
    bool PaintBackground(HDC hDC) const;
};
