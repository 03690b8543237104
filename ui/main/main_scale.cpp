// The main window at its screen's scale: the font, the pictures, the icons
// and every size made for the window's DPI, and made anew when the window
// moves to a screen of another scale.
#include "ui/main/QuillsetDlg.h"

#include "catalogue/catalogue.h"
#include "res/resource.h"
#include "ui/controls/list_geometry.h"
#include "ui/main/main_art.h"

#include <algorithm>

using namespace main_art;
using namespace main_layout;

void CQuillsetDlg::LoadArtwork()
{
    m_bmpPaneBack = dpi::LoadBitmapAt(IDB_PANE_BACK, m_scale);
    m_bmpBanner = dpi::LoadBitmapAt(IDB_BANNER, m_scale);
    m_bmpBannerFill = dpi::LoadBitmapAt(IDB_BANNER_FILL, m_scale);
    m_bmpFrameTop = dpi::LoadBitmapAt(IDB_FRAME_TOP, m_scale);
    m_bmpFrameBottom = dpi::LoadBitmapAt(IDB_FRAME_BOTTOM, m_scale);
    m_bmpFrameLeft = dpi::LoadBitmapAt(IDB_FRAME_LEFT, m_scale);
    m_bmpFrameRight = dpi::LoadBitmapAt(IDB_FRAME_RIGHT, m_scale);
    m_bmpFrameTopLeft = dpi::LoadBitmapAt(IDB_FRAME_TOPLEFT, m_scale);
    m_bmpFrameBottomLeft = dpi::LoadBitmapAt(IDB_FRAME_BOTTOMLEFT, m_scale);
    m_bmpFrameTopRight = dpi::LoadBitmapAt(IDB_FRAME_TOPRIGHT, m_scale);
    m_bmpFrameBottomRight = dpi::LoadBitmapAt(IDB_FRAME_BOTTOMRIGHT, m_scale);
}

void CQuillsetDlg::AssignButtonArt()
{
    const bool bAuto = !m_pSettings || m_pSettings->DefaultMode != 0;
    const ButtonSizes sizes = ButtonSizesAt(m_scale);
    struct Art {
        CThemedButton* pButton;
        Size size;
        UINT nHot;
        UINT nNormal;
    };
    const Art arts[] = {
        {&m_btnSelectAll, sizes.selectAll, IDB_SELECTALL_HOT, IDB_SELECTALL},
        {&m_btnSave, sizes.save, IDB_SAVE_HOT, IDB_SAVE},
        {&m_btnInstall, sizes.install, bAuto ? UINT{IDB_INSTALL_AUTO_HOT} : UINT{IDB_INSTALL_MANUAL_HOT},
         bAuto ? UINT{IDB_INSTALL_AUTO} : UINT{IDB_INSTALL_MANUAL}},
        {&m_btnOptions, sizes.options, IDB_OPTIONS, IDB_OPTIONS},
        {&m_btnHomepage, sizes.homepage, IDB_HOMEPAGE_HOT, IDB_HOMEPAGE},
        {&m_btnHelp, sizes.help, IDB_HELP_HOT, IDB_HELP},
    };
    for (const Art& art : arts) {
        CThemedButton& button = *art.pButton;
        ::SetWindowPos(button.m_hWnd, nullptr, 0, 0, art.size.cx, art.size.cy,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        button.SetFont(MainFont(), FALSE);
        button.AssignBitmaps(dpi::LoadBitmapAt(art.nHot, m_scale).Release(),
                             dpi::LoadBitmapAt(art.nNormal, m_scale).Release());
    }
}

int CQuillsetDlg::MeasureText(const std::wstring& text) const
{
    const CClientDC dc(m_hWnd);
    const CSelectObject select(dc.Get(), MainFont());
    SIZE size{};
    ::GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &size);
    return static_cast<int>(size.cx);
}

void CQuillsetDlg::MeasureColumns()
{
    // The action column holds its three links whole; the state column the
    // longest of the states a row commonly says.
    std::wstring joined;
    for (const std::wstring& name : m_arrActionNames)
        joined += (joined.empty() ? L"" : list_geometry::kLinkSeparator) + name;
    m_nActionWidth = MeasuredColumnWidth(kActionColumnWidth, MeasureText(joined), m_scale);
    int nWidest = 0;
    for (const wchar_t* pszState : {L"可更新 12.0.1 → 12.3.4", L"需要 64 位 Windows", L"已完成, 需要重新启动"})
        nWidest = std::max(nWidest, MeasureText(pszState));
    m_nSizeWidth = MeasuredColumnWidth(kSizeColumnWidth, nWidest, m_scale);
}

void CQuillsetDlg::SetColumnWidths(CListEx& list) const
{
    list.SetColumnWidth(kStatusColumn, m_nSizeWidth);
    list.SetColumnWidth(2, m_nActionWidth);
    list.SetColumnWidth(3, m_scale.Px(kEndColumnWidth));
}

void CQuillsetDlg::ApplyScale()
{
    // The old font goes once every window has the new one.
    const CFont oldFont = MakeMainFont(GetFont(), m_scale.dpi);
    LoadArtwork();
    AssignButtonArt();
    MeasureColumns();

    // The icons are read again at their new size. The lists hold the old
    // image lists until they have the new ones.
    m_loader.Stop();
    m_pendingDetails.clear();
    const CImageList oldCategory = std::move(m_imgCategory);
    const CImageList oldCheck = std::move(m_imgCheck);
    const CImageList oldEntries = std::move(m_imgEntries);
    BuildImageLists();
    const CRowBitmaps& bitmaps = RowBitmaps(m_scale);
    m_listCategories.SetFont(MainFont(), FALSE);
    for (const CWnd* pStatic : {&m_stcCount, &m_stcSearch, &m_editSearch})
        pStatic->SetFont(MainFont(), FALSE);
    m_listCategories.SetScale(m_scale);
    m_listCategories.SetImageList(m_imgCategory.Get(), LVSIL_SMALL);
    m_listCategories.SetEraseBitmap(m_bmpPaneBack.Get());
    m_listCategories.SetEntryBitmaps(bitmaps.Table(IDB_PANE_ROW_MID, IDB_PANE_SEL_MID, IDB_PANE_ROW_LEFT,
                                                   IDB_PANE_SEL_LEFT, IDB_PANE_ROW_RIGHT, IDB_PANE_SEL_RIGHT));
    m_listCategories.SetRowHeight(m_scale.Px(kPaneRowHeight));
    for (int j = 0; j < m_rows.Lists(); ++j) {
        CListEx& list = m_pEntryLists[static_cast<size_t>(j)];
        if (!list.m_hWnd)
            continue;
        list.SetFont(MainFont(), FALSE);
        list.SetScale(m_scale);
        list.SetImageList(m_imgEntries.Get(), LVSIL_SMALL);
        list.SetImageList(m_imgCheck.Get(), LVSIL_STATE);
        SetColumnWidths(list);
        DecorateEntryList(list);
    }
    StartDetails();
}

void CQuillsetDlg::OnDpiChanged(int nDpi, const RECT* pSuggested)
{
    if (nDpi && nDpi != m_scale.dpi) {
        const RECT rcWindow = GetWindowRect();
        m_scale = dpi::Scale{nDpi};
        ApplyScale();
        if (!pSuggested) {
            // Where the system suggests nothing, the window keeps its place
            // and takes its size at the new scale.
            const Size size = WindowSize(m_pSettings ? m_pSettings->MainWidth : 0,
                                         m_pSettings ? m_pSettings->MainHeight : 0, m_scale);
            ::SetWindowPos(m_hWnd, nullptr, rcWindow.left, rcWindow.top, size.cx, size.cy,
                           SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    if (pSuggested)
        ::SetWindowPos(m_hWnd, nullptr, pSuggested->left, pSuggested->top, pSuggested->right - pSuggested->left,
                       pSuggested->bottom - pSuggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    LayoutControls();
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}
