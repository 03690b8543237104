#include "ui/main/QuillsetDlg.h"

#include "catalogue/catalogue.h"
#include "res/resource.h"

#include <algorithm>

namespace {

const int kMinWidth = 800;
const int kMinHeight = 500;

} // namespace

CQuillsetDlg::CQuillsetDlg()
    : CDialog(IDD_QUILLSET_DIALOG),
      m_hIcon(LoadIconResource(IDR_MAINFRAME, ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON)))
{
}

BOOL CQuillsetDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    HMENU hSysMenu = ::GetSystemMenu(m_hWnd, FALSE);
    const std::wstring about = LoadStringResource(IDS_ABOUTBOX);
    if (hSysMenu && !about.empty()) {
        ::AppendMenuW(hSysMenu, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuW(hSysMenu, MF_STRING, IDM_ABOUTBOX, about.c_str());
    }
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon.Get()));

    if (m_pSettings) {
        RECT rc = GetWindowRect();
        rc.right = std::max(m_pSettings->MainWidth, kMinWidth);
        rc.bottom = std::max(m_pSettings->MainHeight, kMinHeight);
        ::MoveWindow(m_hWnd, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
        SetWindowText(m_pSettings->TitleText);
    }
    CenterWindow();
    return TRUE;
}

void CQuillsetDlg::OnOK() {}

void CQuillsetDlg::OnCancel() {}

void CQuillsetDlg::OnSysCommand(UINT nID, LPARAM lp)
{
    if ((nID & 0xFFF0) == SC_CLOSE) {
        CDialog::OnCancel();
        return;
    }
    DefWindowProc(WM_SYSCOMMAND, nID, lp);
}

void CQuillsetDlg::OnPaint()
{
    if (!::IsIconic(m_hWnd)) {
        DefWindowProc(WM_PAINT, 0, 0);
        return;
    }
    CPaintDC dc(m_hWnd);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.Get()));
    const RECT rc = GetClientRect();
    const int x = (rc.right - rc.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (rc.bottom - rc.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc.Get(), x, y, m_hIcon.Get());
}

BOOL CQuillsetDlg::OnEraseBkgnd(HDC hDC)
{
    const RECT rc = GetClientRect();
    CBrush brush(::CreateSolidBrush(m_crBack));
    ::FillRect(hDC, &rc, brush.Get());
    return TRUE;
}

LRESULT CQuillsetDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_SYSCOMMAND:
        OnSysCommand(static_cast<UINT>(wp), lp);
        return 0;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        return OnEraseBkgnd(reinterpret_cast<HDC>(wp));
    case WM_QUERYDRAGICON:
        return reinterpret_cast<LRESULT>(m_hIcon.Get());
    case WM_GETMINMAXINFO: {
        auto* pInfo = reinterpret_cast<MINMAXINFO*>(lp);
        pInfo->ptMinTrackSize.x = kMinWidth;
        pInfo->ptMinTrackSize.y = kMinHeight;
        return 0;
    }
    default:
        return CDialog::WindowProc(msg, wp, lp);
    }
}
