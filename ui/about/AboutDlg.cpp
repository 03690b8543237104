#include "ui/about/AboutDlg.h"

#include "res/product.h"
#include "res/resource.h"

#include <iterator>
#include <string>

namespace {

constexpr int kBoxWidth = 360;
constexpr int kBoxHeight = 215;

constexpr UINT kIdMaker = 1000;
constexpr COLORREF kLinkColor = RGB(11, 91, 152);
constexpr COLORREF kNoticeColor = RGB(167, 166, 170);
constexpr COLORREF kNoticeShadow = RGB(255, 255, 255);

// A credit button: the team's name, the title of its page and the page
// under the product's home page (null: no page).
struct Credit {
    UINT nID;
    RECT rc;
    const wchar_t* pszName;
    const wchar_t* pszTip;
    const wchar_t* pszPage;
};

constexpr Credit kCredits[] = {
    {1001, {84, 104, 125, 120}, L"开发组", L"Tovrin Quillset 开发组的主页", L"team/development/"},
    {1002, {125, 104, 166, 120}, L"维护组", L"Tovrin Quillset 维护组的主页", L"team/maintenance/"},
    {1003, {84, 129, 152, 145}, L"用户体验组", L"此人尚无个人主页^_^", nullptr},
};

// A line painted into the background.
struct Line {
    int x;
    int y;
    const wchar_t* pszText;
};

constexpr Line kLines[] = {
    {30, 80, L"Version 1.1 (Build 125.1400)"},
    {30, 105, L"程序设计:"},
    {30, 130, L"界面设计:"},
};

constexpr wchar_t kNotice[] = L"Tovrin Quillset 开发组 版权所有";

void SetLink(CSkinButton& button, const std::wstring& target)
{
    button.SetLink(target.c_str());
}

} // namespace

CAboutDlg::CAboutDlg(CWnd* pParent) noexcept : CDialog(IDD_ABOUTBOX, pParent) {}

BOOL CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowText(L"关于 Tovrin Quillset");
    // Every place below is in 96-DPI pixels, at the box's scale.
    m_scale = dpi::Scale{dpi::WindowDpi(m_hWnd)};
    const dpi::Scale& s = m_scale;
    auto at = [&s](const RECT& rc) { return RECT{s.Px(rc.left), s.Px(rc.top), s.Px(rc.right), s.Px(rc.bottom)}; };
    ::MoveWindow(m_hWnd, 0, 0, s.Px(kBoxWidth), s.Px(kBoxHeight), FALSE);
    CenterWindow();

    const COLORREF crText = ::GetSysColor(COLOR_WINDOWTEXT);
    const COLORREF crBack = m_pBackColor ? *m_pBackColor : ::GetSysColor(COLOR_BTNFACE);
    const HFONT hFont = GetFont();
    auto create = [&](CThemedButton& button, const wchar_t* pszCaption, DWORD dwStyle, const RECT& rc, UINT nID) {
        button.Create(pszCaption, WS_CHILD | WS_VISIBLE | dwStyle, rc, m_hWnd, nID);
        button.SetFont(hFont, TRUE);
    };

    CThemedButton* const creditButtons[] = {&m_btnCredit1, &m_btnCredit2, &m_btnCredit3};
    for (size_t i = 0; i < std::size(kCredits); ++i) {
        CThemedButton& button = *creditButtons[i];
        const Credit& credit = kCredits[i];
        create(button, credit.pszName, 0, at(credit.rc), credit.nID);
        button.SetColor(CSkinButton::HoverText, kLinkColor);
        button.SetColor(CSkinButton::FocusText, kLinkColor);
        button.SetColor(CSkinButton::NormalText, crText);
        button.SetColor(CSkinButton::HoverBack, crBack);
        button.SetColor(CSkinButton::NormalBack, crBack);
        button.SetColor(CSkinButton::FocusBack, crBack);
        button.AssignTooltip(credit.pszTip);
        if (credit.pszPage)
            SetLink(button, std::wstring(kHomepageUrl) + credit.pszPage);
    }

    // The maker's picture and the close button's image draw their own
    // labels; their window texts are what a screen reader speaks.
    m_btnMaker.SetPaintedText(std::wstring());
    create(m_btnMaker, L"Tovrin Quillset 开发组", 0, at(RECT{275, 90, 305, 136}), kIdMaker);
    m_btnMaker.AssignBitmaps(dpi::LoadBitmapAt(IDB_MAKER, s).Release(), dpi::LoadBitmapAt(IDB_MAKER, s).Release());
    m_btnMaker.AssignTooltip(L"Tovrin Quillset 开发组");
    SetLink(m_btnMaker, kHomepageUrl);

    m_btnClose.SetPaintedText(L"&C");
    create(m_btnClose, L"关闭(&C)", WS_TABSTOP, at(RECT{250, 150, 331, 171}), IDOK);
    m_btnClose.AssignBitmaps(dpi::LoadBitmapAt(IDB_CLOSE_HOT, s).Release(), dpi::LoadBitmapAt(IDB_CLOSE, s).Release());
    m_btnClose.AssignTooltip(L"关闭窗口");
    return TRUE;
}

LRESULT CAboutDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_ERASEBKGND && m_pBackColor && m_pBackBitmap && PaintBackground(reinterpret_cast<HDC>(wp)))
        return TRUE;
    return CDialog::WindowProc(msg, wp, lp);
}

bool CAboutDlg::PaintBackground(HDC hDC) const
{
    const RECT rc = GetClientRect();
    CMemDC dcBuffer(::CreateCompatibleDC(hDC));
    CMemDC dcPicture(::CreateCompatibleDC(hDC));
    CBitmap bmpBuffer(::CreateCompatibleBitmap(hDC, rc.right, rc.bottom));
    CBrush brush(::CreateSolidBrush(*m_pBackColor));
    if (!dcBuffer || !dcPicture || !bmpBuffer || !brush)
        return false;

    CSelectObject selectBuffer(dcBuffer.Get(), bmpBuffer.Get());
    ::FillRect(dcBuffer.Get(), &rc, brush.Get());
    // The picture at its own size: whatever it does not cover keeps the fill.
    BITMAP bm{};
    if (::GetObjectW(m_pBackBitmap->Get(), sizeof(bm), &bm) == static_cast<int>(sizeof(bm))) {
        CSelectObject selectPicture(dcPicture.Get(), m_pBackBitmap->Get());
        ::BitBlt(dcBuffer.Get(), 0, 0, bm.bmWidth, bm.bmHeight, dcPicture.Get(), 0, 0, SRCCOPY);
    }

    ::SetBkMode(dcBuffer.Get(), TRANSPARENT);
    CSelectObject selectFont(dcBuffer.Get(), GetFont());
    for (const Line& line : kLines)
        ::TextOutW(dcBuffer.Get(), m_scale.Px(line.x), m_scale.Px(line.y), line.pszText, ::lstrlenW(line.pszText));
    const int nNotice = static_cast<int>(std::size(kNotice)) - 1;
    ::SetTextColor(dcBuffer.Get(), kNoticeShadow);
    ::TextOutW(dcBuffer.Get(), m_scale.Px(30) + 1, m_scale.Px(155) + 1, kNotice, nNotice);
    ::SetTextColor(dcBuffer.Get(), kNoticeColor);
    ::TextOutW(dcBuffer.Get(), m_scale.Px(30), m_scale.Px(155), kNotice, nNotice);

    ::BitBlt(hDC, 0, 0, rc.right, rc.bottom, dcBuffer.Get(), 0, 0, SRCCOPY);
    return true;
}
