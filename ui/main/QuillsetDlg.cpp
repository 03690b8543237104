// The main window's construction and layout: the controls and their
// places, the painted background, the size limits, the system menu and the
// window's messages.
#include "ui/main/QuillsetDlg.h"

#include "catalogue/catalogue.h"
#include "res/product.h"
#include "res/resource.h"
#include "ui/controls/list_geometry.h"
#include "ui/main/command_texts.h"
#include "ui/main/main_art.h"
#include "ui/main/window_memory.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <utility>

using namespace main_art;
using namespace main_layout;

namespace {

const COLORREF kBannerButtonBack = RGB(76, 195, 247);

// Draws the whole bitmap stretched over (x, y, cx, cy).
void DrawBitmap(HDC hDC, HDC hMemDC, HBITMAP hBitmap, int x, int y, int cx, int cy) noexcept
{
    const SIZE size = BitmapSize(hBitmap);
    if (!size.cx || !size.cy || cx <= 0 || cy <= 0)
        return;
    CSelectObject select(hMemDC, hBitmap);
    if (size.cx == cx && size.cy == cy)
        ::BitBlt(hDC, x, y, cx, cy, hMemDC, 0, 0, SRCCOPY);
    else
        ::StretchBlt(hDC, x, y, cx, cy, hMemDC, 0, 0, size.cx, size.cy, SRCCOPY);
}

// The work area of the monitor that holds most of the window.
RECT WorkArea(HWND hWnd) noexcept
{
    MONITORINFO mi{};
    mi.cbSize = sizeof(mi);
    ::GetMonitorInfoW(::MonitorFromWindow(hWnd, MONITOR_DEFAULTTONEAREST), &mi);
    return mi.rcWork;
}

} // namespace

CQuillsetDlg::CQuillsetDlg()
    : CDialog(IDD_QUILLSET_DIALOG),
      m_hIcon(LoadIconResource(IDR_MAINFRAME, ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON))),
      m_arrActionNames{LoadStringResource(IDS_ACTION_MANUAL), LoadStringResource(IDS_ACTION_AUTO),
                       LoadStringResource(IDS_ACTION_SAVE)}
{
}

CQuillsetDlg::~CQuillsetDlg()
{
    // A worker still reading is left with what it needs, never the window.
    m_loader.Stop();
    m_detection.Stop();
}

SoftwareCategory* CQuillsetDlg::Categories() const noexcept
{
    return m_pSettings ? m_pSettings->Categories.get() : nullptr;
}

SoftwareEntry& CQuillsetDlg::Entry(int nEntry) const noexcept
{
    const CRowModel::Place place = m_rows.PlaceOf(nEntry);
    return *Categories()[place.category - 1].Entries[place.index];
}

int CQuillsetDlg::SectionOf(int nEntry) const noexcept
{
    return static_cast<int>(&Entry(nEntry) - m_pSettings->Entries.data());
}

// --- Building the window ------------------------------------------------------

BOOL CQuillsetDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    // The background is painted whole on every erase: it must leave the
    // controls alone, or a resize paints over buttons that have already
    // repainted themselves.
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(GetStyle() | WS_CLIPCHILDREN));

    HMENU hSysMenu = ::GetSystemMenu(m_hWnd, FALSE);
    const std::wstring about = LoadStringResource(IDS_ABOUTBOX);
    if (hSysMenu && !about.empty()) {
        ::AppendMenuW(hSysMenu, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuW(hSysMenu, MF_STRING, IDM_ABOUTBOX, about.c_str());
    }
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon.Get()));

    // The catalogue's size is in 96-DPI pixels: at the window's scale.
    m_scale = dpi::Scale{dpi::WindowDpi(m_hWnd)};
    bool bRemembered = false;
    if (m_pSettings) {
        const RECT rc = GetWindowRect();
        const Size size = StartSize(bRemembered);
        ::MoveWindow(m_hWnd, rc.left, rc.top, size.cx, size.cy, TRUE);
        SetWindowText(m_pSettings->TitleText);
    }
    const RECT rcClient = GetClientRect();

    static_cast<void>(MakeMainFont(GetFont(), m_scale.dpi));
    LoadArtwork();

    m_rows = CRowModel::OfCatalogue(Categories());
    // The machine is asked first: it answers while the lists are built.
    StartDetection(true);
    BuildImageLists();
    BuildCategoryPane(rcClient);
    BuildEntryLists(rcClient);
    CreateSearch();
    CreateButtons();
    CreateCount();

    LayoutControls();
    m_nPaneOverflow = PaneOverflow(CurrentLayout(), m_listCategories.GetItemCount(), m_scale.Px(kPaneRowHeight));
    if (m_nPaneOverflow > 0 && !bRemembered) {
        // Taller by what the pane lacks, so that every category shows, but
        // never taller than the work area of the window's monitor: there the
        // pane scrolls. A size the technician gave the window stays.
        const RECT rcWindow = GetWindowRect();
        const RECT rcWork = WorkArea(m_hWnd);
        ::MoveWindow(m_hWnd, 0, 0, rcWindow.right - rcWindow.left,
                     GrownHeight(rcClient.bottom - rcClient.top + m_nPaneOverflow + m_scale.Px(26),
                                 rcWork.bottom - rcWork.top),
                     TRUE);
    }
    CenterWindow();
    m_openedSize96 = RestoredSize96();

    SelectPaneRow(0);
    ::SetFocus(m_listCategories.m_hWnd);
    StartDetails();
    PostMessageW(m_hWnd, kBuildListsMessage, 0, 0);
    return TRUE;
}

void CQuillsetDlg::BuildCategoryPane(const RECT& rcClient)
{
    // The window owns the image lists: the lists only borrow them.
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_OWNERDRAWFIXED |
                        LVS_NOCOLUMNHEADER | LVS_SHAREIMAGELISTS;
    m_listCategories.Create(style, rcClient, m_hWnd, kIdPane);
    // A list's window text is the name a screen reader speaks for it.
    m_listCategories.SetWindowText(LoadStringResource(IDS_COL_CATEGORY));
    m_listCategories.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    m_listCategories.SetImageList(m_imgCategory.Get(), LVSIL_SMALL);
    m_listCategories.SetFont(MainFont(), FALSE);
    m_listCategories.SetMode(list_geometry::kModePane);
    m_listCategories.SetScale(m_scale);
    m_listCategories.InsertListColumn(0, LoadStringResource(IDS_COL_CATEGORY), LVCFMT_CENTER,
                                      m_scale.Px(kPaneWidth));

    SoftwareCategory* pCategories = Categories();

    CRedrawOff redraw(m_listCategories.m_hWnd);
    m_listCategories.InsertListItem(0, PaneRowText(LoadStringResource(IDS_ALL_SOFTWARE), m_rows.Count(0)),
                                    list_geometry::kRowEntry, L"", 0);
    for (int j = 1; j < m_rows.Lists(); ++j)
        m_listCategories.InsertListItem(j, PaneRowText(pCategories[j - 1].Name, m_rows.Count(j)),
                                        list_geometry::kRowEntry, L"", j);
}

void CQuillsetDlg::CreateEntryList(CListEx& list, UINT nID, bool bVisible, const RECT& rcClient)
{
    const DWORD style = WS_CHILD | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_OWNERDRAWFIXED |
                        LVS_NOCOLUMNHEADER | LVS_SHAREIMAGELISTS | (bVisible ? WS_VISIBLE : 0) |
                        // The all-software list keeps its rows itself, so the
                        // search can show some of them without building any.
                        (nID == kIdFirstList ? LVS_OWNERDATA : 0);
    list.Create(style, rcClient, m_hWnd, nID);
    // Tab goes from the category pane to the list on show, then on to the
    // buttons, whenever the list was made.
    ::SetWindowPos(list.m_hWnd, m_listCategories.m_hWnd, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    const int j = static_cast<int>(nID - kIdFirstList);
    const SoftwareCategory* pCategories = Categories();
    list.SetWindowText(j > 0 && pCategories ? pCategories[j - 1].Name : LoadStringResource(IDS_ALL_SOFTWARE));
    list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_CHECKBOXES);
    // The check marks are the catalogue's: every list answers them from there
    // (AnswerCheck), so a change to many entries at once is one repaint.
    list.SendMessage(LVM_SETCALLBACKMASK, LVIS_STATEIMAGEMASK, 0);
    list.SetImageList(m_imgEntries.Get(), LVSIL_SMALL);
    // The check-box style made the list a state image list of its own,
    // which a list that shares its image lists never releases.
    CImageList ownChecks(list.SetImageList(m_imgCheck.Get(), LVSIL_STATE));
    list.SetFont(MainFont(), FALSE);
    list.SetScale(m_scale);
    list.InsertListColumn(0, LoadStringResource(IDS_COL_NAME), LVCFMT_LEFT, m_scale.Px(200));
    list.InsertListColumn(kStatusColumn, LoadStringResource(IDS_COL_SIZE), LVCFMT_CENTER, m_nSizeWidth);
    list.InsertListColumn(2, LoadStringResource(IDS_COL_ACTIONS), LVCFMT_CENTER, m_nActionWidth);
    list.InsertListColumn(3, L"", LVCFMT_CENTER, m_scale.Px(kEndColumnWidth));
}

void CQuillsetDlg::DecorateEntryList(CListEx& list)
{
    const CRowBitmaps& bitmaps = RowBitmaps(m_scale);
    list.SetRowHeight(m_scale.Px(kEntryRowHeight));
    list.SetEraseColor(m_crListBack);
    list.SetLinkColorSelFocus(m_crLinkSelected);
    list.SetEntryBitmaps(bitmaps.Table(IDB_ROW_MID, IDB_ROW_SEL_MID, IDB_ROW_LEFT, IDB_ROW_SEL_LEFT, IDB_ROW_RIGHT,
                                       IDB_ROW_SEL_RIGHT));
    list.SetHeaderBitmaps(bitmaps.Get(IDB_HEADER_MID), bitmaps.Get(IDB_HEADER_LEFT), bitmaps.Get(IDB_HEADER_RIGHT));
    list.SetDrawFlags(list_geometry::kFlagEntryBitmaps | list_geometry::kFlagHeaderBitmaps |
                      list_geometry::kFlagThreePiece);
}

void CQuillsetDlg::CreateButtons()
{
    const bool bAuto = !m_pSettings || m_pSettings->DefaultMode != 0;
    struct ButtonPlan {
        CThemedButton* pButton;
        UINT nID;
        UINT nText;
        DWORD dwStyle;
        const wchar_t* pszTip;
        // The whole label the images draw, with the mnemonic: the window
        // text a screen reader speaks.
        const wchar_t* pszLabel;
    };
    const ButtonPlan plans[] = {
        {&m_btnSelectAll, kIdSelectAll, IDS_BTN_SELECTALL, BS_AUTOCHECKBOX, L"选择所有应用程序", L"全选(&A)"},
        {&m_btnSave, kIdSave, IDS_BTN_SAVE, BS_PUSHBUTTON, L"保存所选软件安装包", L"保存(&S)"},
        {&m_btnInstall, kIdInstall, IDS_BTN_INSTALL, BS_PUSHBUTTON,
         bAuto ? L"自动安装所选软件" : L"手动安装所选软件",
         bAuto ? command_texts::kLabelAutoInstall : command_texts::kLabelManualInstall},
        {&m_btnOptions, kIdOptions, 0, BS_PUSHBUTTON, L"安装选项", L"安装选项"},
        {&m_btnHomepage, kIdHomepage, 0, BS_PUSHBUTTON, L"访问主页", L"官方主页"},
        {&m_btnHelp, kIdHelp, 0, BS_PUSHBUTTON, L"查看帮助信息", L"使用帮助"},
    };
    for (const ButtonPlan& plan : plans) {
        CThemedButton& button = *plan.pButton;
        button.SetPaintedText(plan.nText ? LoadStringResource(plan.nText) : std::wstring());
        button.Create(plan.pszLabel, WS_CHILD | WS_VISIBLE | WS_TABSTOP | plan.dwStyle, RECT{}, m_hWnd, plan.nID);
        if (plan.nID == kIdHomepage || plan.nID == kIdHelp) {
            for (int slot : {CThemedButton::HoverBack, CThemedButton::NormalBack, CThemedButton::FocusBack})
                button.SetColor(slot, kBannerButtonBack);
        }
        if (plan.nID == kIdHomepage)
            button.SetLink(kHomepageUrl);
        button.AssignTooltip(plan.pszTip);
    }
    AssignButtonArt();
}

// --- Layout and painting --------------------------------------------------------

Layout CQuillsetDlg::CurrentLayout() const
{
    auto sizeOf = [](const CWnd& wnd) {
        const RECT rc = wnd.GetWindowRect();
        return Size{rc.right - rc.left, rc.bottom - rc.top};
    };
    const ButtonSizes sizes{sizeOf(m_btnSelectAll), sizeOf(m_btnSave), sizeOf(m_btnInstall),
                            sizeOf(m_btnOptions),   sizeOf(m_btnHomepage), sizeOf(m_btnHelp)};
    return ComputeLayout(GetClientRect(), sizes, m_scale);
}

void CQuillsetDlg::LayoutControls()
{
    if (!m_listCategories.m_hWnd || !m_btnSelectAll.m_hWnd)
        return;
    const RECT rcClient = GetClientRect();
    const Layout layout = CurrentLayout();
    const int nPaneRowHeight = m_scale.Px(kPaneRowHeight);

    // Every control moves at once, each repainting once: a window dragged
    // by its frame shows no control at two places.
    CListEx& list = m_pEntryLists[static_cast<size_t>(m_nCurList)];
    const std::pair<const CWnd*, RECT> places[] = {
        {&m_btnSelectAll, layout.selectAll}, {&m_btnOptions, layout.options}, {&m_btnInstall, layout.install},
        {&m_btnSave, layout.save},           {&m_btnHomepage, layout.homepage}, {&m_btnHelp, layout.help},
        {&m_listCategories, layout.pane},    {&list, layout.list},            {&m_stcCount, layout.count},
        {&m_stcSearch, layout.searchLabel},  {&m_editSearch, layout.search},
    };
    HDWP hDefer = ::BeginDeferWindowPos(static_cast<int>(std::size(places)));
    for (const auto& [pWnd, rc] : places) {
        if (hDefer)
            hDefer = ::DeferWindowPos(hDefer, pWnd->m_hWnd, nullptr, rc.left, rc.top, rc.right - rc.left,
                                      rc.bottom - rc.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // Where the system could not move them together, one by one.
    if (!hDefer || !::EndDeferWindowPos(hDefer)) {
        for (const auto& [pWnd, rc] : places)
            ::MoveWindow(pWnd->m_hWnd, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
    }
    m_listCategories.SetColumnWidth(
        0, PaneColumnWidth(layout, m_listCategories.GetItemCount(), nPaneRowHeight, ::GetSystemMetrics(SM_CXVSCROLL)));
    m_rcList = layout.list;
    SizeNameColumn(layout);

    for (const RECT& strip : FrameStrips(rcClient, layout, m_scale))
        ::InvalidateRect(m_hWnd, &strip, TRUE);
}

void CQuillsetDlg::SizeNameColumn(const Layout& layout)
{
    CListEx& list = m_pEntryLists[static_cast<size_t>(m_nCurList)];
    const int nColumns = Header_GetItemCount(list.GetHeaderCtrl());
    int nOthers = 0;
    for (int c = 1; c < nColumns; ++c)
        nOthers += list.GetColumnWidth(c);
    const int nName = NameColumnWidth(layout, nOthers, list.GetItemCount(), m_scale.Px(kEntryRowHeight),
                                      ::GetSystemMetrics(SM_CXVSCROLL));
    if (nName != list.GetColumnWidth(0))
        list.SendMessage(LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(std::max(nName, 0), 0));
}

BOOL CQuillsetDlg::OnEraseBkgnd(HDC hDC)
{
    const RECT rc = GetClientRect();
    const int cx = rc.right - rc.left;
    const int cy = rc.bottom - rc.top;
    CMemDC memDC(::CreateCompatibleDC(hDC));
    CMemDC bitmapDC(::CreateCompatibleDC(hDC));
    CBitmap offscreen(::CreateCompatibleBitmap(hDC, cx, cy));
    if (!memDC || !bitmapDC || !offscreen)
        return TRUE;
    {
        CSelectObject selectOffscreen(memDC.Get(), offscreen.Get());
        HDC dc = memDC.Get();
        HDC mem = bitmapDC.Get();
        CBrush back(::CreateSolidBrush(m_crBack));
        ::FillRect(dc, &rc, back.Get());
        CBrush listBack(::CreateSolidBrush(m_crListBack));
        ::FillRect(dc, &m_rcList, listBack.Get());

        const SIZE banner = BitmapSize(m_bmpBanner.Get());
        DrawBitmap(dc, mem, m_bmpBanner.Get(), 0, 0, banner.cx, banner.cy);
        DrawBitmap(dc, mem, m_bmpBannerFill.Get(), banner.cx, 0, cx, banner.cy);

        // The frame's pieces at their own size, as wide as twice the
        // overhang, half of it over the list's edge.
        const RECT& l = m_rcList;
        const int o = m_scale.Px(kFrameOverhang);
        const int f = 2 * o;
        DrawBitmap(dc, mem, m_bmpFrameTopLeft.Get(), l.left - o, l.top - o, f, f);
        DrawBitmap(dc, mem, m_bmpFrameBottomLeft.Get(), l.left - o, l.bottom - o, f, f);
        DrawBitmap(dc, mem, m_bmpFrameTopRight.Get(), l.right - o, l.top - o, f, f);
        DrawBitmap(dc, mem, m_bmpFrameBottomRight.Get(), l.right - o, l.bottom - o, f, f);
        DrawBitmap(dc, mem, m_bmpFrameTop.Get(), l.left, l.top - o, l.right - l.left, f);
        DrawBitmap(dc, mem, m_bmpFrameBottom.Get(), l.left, l.bottom - o, l.right - l.left, f);
        DrawBitmap(dc, mem, m_bmpFrameLeft.Get(), l.left - o, l.top, f, l.bottom - l.top);
        DrawBitmap(dc, mem, m_bmpFrameRight.Get(), l.right - o, l.top, f, l.bottom - l.top);

        ::BitBlt(hDC, 0, 0, cx, cy, dc, 0, 0, SRCCOPY);
    }
    return TRUE;
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

void CQuillsetDlg::OnGetMinMaxInfo(MINMAXINFO* pInfo) const noexcept
{
    // The catalogue's size is the least the frame may be dragged to.
    const Size least = m_pSettings ? WindowSize(m_pSettings->MainWidth, m_pSettings->MainHeight, m_scale)
                                   : MinimumSize(m_scale);
    pInfo->ptMinTrackSize.x = least.cx;
    pInfo->ptMinTrackSize.y = least.cy;
}

Size CQuillsetDlg::StartSize(bool& bRemembered) const
{
    const Size least = WindowSize(m_pSettings->MainWidth, m_pSettings->MainHeight, m_scale);
    const std::optional<Size> remembered = window_memory::ReadRememberedSize(m_strCatalogue);
    bRemembered = remembered.has_value();
    if (!remembered)
        return least;
    const RECT rcWork = WorkArea(m_hWnd);
    return OpeningSize(*remembered, least, Size{rcWork.right - rcWork.left, rcWork.bottom - rcWork.top}, m_scale);
}

Size CQuillsetDlg::RestoredSize96() const
{
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    ::GetWindowPlacement(m_hWnd, &placement);
    const RECT& rc = placement.rcNormalPosition;
    return Size{::MulDiv(rc.right - rc.left, dpi::kBase, m_scale.dpi),
                ::MulDiv(rc.bottom - rc.top, dpi::kBase, m_scale.dpi)};
}

void CQuillsetDlg::RememberSize() const
{
    const Size size = RestoredSize96();
    if (!m_strCatalogue.empty() && size.cx > 0 && size.cy > 0 && !(size == m_openedSize96))
        window_memory::RememberSize(m_strCatalogue, size);
}

// --- Messages -------------------------------------------------------------------

void CQuillsetDlg::OnOK() {}

void CQuillsetDlg::OnCancel() {}

void CQuillsetDlg::OnSysCommand(UINT nID, LPARAM lp)
{
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        OnAbout();
        return;
    }
    if ((nID & 0xFFF0) == SC_CLOSE) {
        RememberSize();
        m_loader.Stop();
        m_detection.Stop();
        ::RemovePropW(m_hWnd, kDetailsLoadedProp);
        ::RemovePropW(m_hWnd, kStatesReadProp);
        ::RemovePropW(m_hWnd, kRowsOnShowLoadedProp);
        CDialog::OnCancel();
        return;
    }
    DefWindowProc(WM_SYSCOMMAND, nID, lp);
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
    case WM_CTLCOLORSTATIC:
        return OnColorStatic(reinterpret_cast<HDC>(wp));
    case WM_QUERYDRAGICON:
        return reinterpret_cast<LRESULT>(m_hIcon.Get());
    case WM_GETMINMAXINFO:
        OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lp));
        return 0;
    case WM_SIZE:
        LayoutControls();
        return 0;
    case WM_HELP:
        // F1, wherever the focus is in the window.
        OnHelpContents();
        return TRUE;
    case WM_DPICHANGED:
        OnDpiChanged(dpi::DpiOfMessage(wp), reinterpret_cast<const RECT*>(lp));
        return 0;
    case WM_CONTEXTMENU:
        // From the keyboard; the right button is the list's own notice.
        if (lp == -1)
            OnEntryMenuKey(reinterpret_cast<HWND>(wp));
        return 0;
    case kDetailsMessage:
        OnDetailsArrived();
        return 0;
    case kBuildListsMessage:
        BuildPendingLists();
        return 0;
    case kDetectionMessage:
        OnDetectionArrived();
        return 0;
    default:
        return CDialog::WindowProc(msg, wp, lp);
    }
}
