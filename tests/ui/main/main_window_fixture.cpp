#include "tests/ui/main/main_window_fixture.h"

#include "catalogue/ini_profile.h"
#include "platform/system_dialogs.h"

namespace main_window_test {

using namespace testing_support;

namespace {

const UINT kRunSteps = WM_APP + 40;

std::vector<COLORREF> DrawnPixels(const std::function<void(HDC)>& draw)
{
    CClientDC screen(nullptr);
    CMemDC dc(::CreateCompatibleDC(screen.Get()));
    CBitmap bitmap(::CreateCompatibleBitmap(screen.Get(), 32, 32));
    {
        CSelectObject select(dc.Get(), bitmap.Get());
        const RECT rc{0, 0, 32, 32};
        CBrush white(::CreateSolidBrush(RGB(255, 255, 255)));
        ::FillRect(dc.Get(), &rc, white.Get());
        draw(dc.Get());
    }
    const BitmapPixels pixels(bitmap.Get(), 32, 32);
    std::vector<COLORREF> result;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            result.push_back(pixels.At(x, y));
    return result;
}

} // namespace

BOOL TestDlg::OnInitDialog()
{
    const BOOL result = CQuillsetDlg::OnInitDialog();
    PostMessageW(m_hWnd, kRunSteps, 0, 0);
    return result;
}

LRESULT TestDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg != kRunSteps)
        return CQuillsetDlg::WindowProc(msg, wp, lp);
    rcShown = GetWindowRect();
    EXPECT_TRUE(::IsWindowVisible(m_hWnd));
    if (bCloseAtOnce) {
        if (script)
            script(*this);
        PostMessageW(m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    }
    EXPECT_TRUE(PumpUntil([this] { return DetailsLoaded(); }));
    EXPECT_NE(::GetPropW(m_hWnd, kDetailsLoadedProp), nullptr);
    if (script)
        script(*this);
    PostMessageW(m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    return 0;
}

void MainWindow::TearDown()
{
    SetSystemDialogHooks({});
    SetDetailReader({});
    ::SetEnvironmentVariableW(L"QUILLSET_DEMO_LOG", nullptr);
}

void MainWindow::WriteCatalogue(const std::wstring& text)
{
    WriteCatalogueBytes(ToUtf16LeWithBom(text));
}

void MainWindow::WriteCatalogueBytes(const std::string& bytes)
{
    WriteFile(m_disc / L"Quillset.INI", bytes);
}

void MainWindow::Open(const std::function<void(TestDlg&)>& steps, bool bCloseAtOnce)
{
    m_settings = CatalogueSettings();
    const CIniProfile profile(m_disc / L"Quillset.INI");
    ReadCatalogue(m_settings, profile, m_disc.Path() + L"\\");
    TestDlg dlg;
    dlg.m_pSettings = &m_settings;
    dlg.script = steps;
    dlg.bCloseAtOnce = bCloseAtOnce;
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(::GetPropW(dlg.m_hWnd, kDetailsLoadedProp), nullptr);
}

std::vector<std::wstring> MainWindow::Texts(const CListEx& list, int nCol)
{
    std::vector<std::wstring> texts;
    for (int i = 0; i < list.GetItemCount(); ++i)
        texts.push_back(list.GetItemText(i, nCol));
    return texts;
}

std::vector<int> MainWindow::Checks(const CListEx& list)
{
    std::vector<int> checks;
    for (int i = 0; i < list.GetItemCount(); ++i)
        checks.push_back(list.GetCheck(i) ? 1 : 0);
    return checks;
}

void MainWindow::ClickAt(CListEx& list, int x, int y, UINT down, UINT up)
{
    list.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    if (down == WM_LBUTTONDOWN) {
        list.SendMessage(down, MK_LBUTTON, MAKELPARAM(x, y));
        list.SendMessage(up, 0, MAKELPARAM(x, y));
    } else {
        // The list view follows a right button in a loop of its own until
        // the button comes up: the release waits in the queue.
        ::PostMessageW(list.m_hWnd, up, 0, MAKELPARAM(x, y));
        list.SendMessage(down, MK_RBUTTON, MAKELPARAM(x, y));
    }
    PumpMessages();
}

void MainWindow::ClickCheck(CListEx& list, int nRow)
{
    RECT icon{};
    ASSERT_TRUE(list.GetItemRect(nRow, &icon, LVIR_ICON));
    ClickAt(list, icon.left / 2 + 2, (icon.top + icon.bottom) / 2);
}

void MainWindow::ClickRow(CListEx& list, int nRow)
{
    RECT label{};
    ASSERT_TRUE(list.GetItemRect(nRow, &label, LVIR_LABEL));
    ClickAt(list, (label.left + label.right) / 2, (label.top + label.bottom) / 2);
}

std::vector<COLORREF> ImagePixels(HIMAGELIST hList, int nImage)
{
    return DrawnPixels([&](HDC hDC) { ::ImageList_Draw(hList, nImage, hDC, 0, 0, ILD_TRANSPARENT); });
}

std::vector<COLORREF> IconPixels(HICON hIcon)
{
    CImageList list(::ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, 1, 0));
    ::ImageList_SetBkColor(list.Get(), RGB(255, 255, 255));
    ::ImageList_ReplaceIcon(list.Get(), -1, hIcon);
    return ImagePixels(list.Get(), 0);
}

} // namespace main_window_test
