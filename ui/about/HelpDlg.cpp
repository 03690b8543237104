#include "ui/about/HelpDlg.h"

#include "catalogue/catalogue_help.h"
#include "res/resource.h"

#include <utility>

namespace {

constexpr int kBoxWidth = 560;
constexpr int kBoxHeight = 460;
constexpr int kMargin = 10;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 24;

// An edit control breaks lines only at "\r\n".
std::wstring WithReturns(const std::wstring& text)
{
    std::wstring result;
    result.reserve(text.size() + text.size() / 16);
    for (const wchar_t ch : text) {
        if (ch == L'\n')
            result += L'\r';
        result += ch;
    }
    return result;
}

} // namespace

std::wstring HelpText(const std::wstring& usage)
{
    return L"【命令行】\n\n" + usage + L"\n【目录文件中可以写的内容】\n\n" + CatalogueKeysText();
}

CHelpDlg::CHelpDlg(CWnd* pParent, std::wstring text) : CDialog(IDD_HELP, pParent), m_strText(std::move(text)) {}

BOOL CHelpDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowText(L"使用帮助");
    m_scale = dpi::Scale{dpi::WindowDpi(m_hWnd)};
    const dpi::Scale& s = m_scale;
    ::MoveWindow(m_hWnd, 0, 0, s.Px(kBoxWidth), s.Px(kBoxHeight), FALSE);
    CenterWindow();

    const RECT rc = GetClientRect();
    const int nMargin = s.Px(kMargin);
    const int nButtonTop = rc.bottom - nMargin - s.Px(kButtonHeight);
    const RECT rcText{nMargin, nMargin, rc.right - nMargin, nButtonTop - nMargin};
    const RECT rcClose{rc.right - nMargin - s.Px(kButtonWidth), nButtonTop, rc.right - nMargin, rc.bottom - nMargin};
    const HFONT hFont = GetFont();
    m_editText.CreateEx(WS_EX_CLIENTEDGE, L"EDIT", WithReturns(m_strText).c_str(),
                        WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                        rcText, m_hWnd, kIdText);
    m_editText.SetFont(hFont, FALSE);
    m_btnClose.CreateEx(0, L"BUTTON", L"关闭(&C)", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, rcClose,
                        m_hWnd, IDOK);
    m_btnClose.SetFont(hFont, FALSE);
    // The text has the focus, at its start, not all of it selected.
    ::SetFocus(m_editText.m_hWnd);
    m_editText.SendMessage(EM_SETSEL, 0, 0);
    return FALSE;
}
