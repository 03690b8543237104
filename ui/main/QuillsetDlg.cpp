#include "ui/main/QuillsetDlg.h"

#include "catalogue/catalogue.h"
#include "res/product.h"
#include "res/resource.h"
#include "ui/controls/list_geometry.h"
#include "ui/main/row_actions.h"

#include <algorithm>
#include <array>
#include <cwchar>
#include <map>

using namespace main_layout;

namespace {

const int kMinWidth = 800;
const int kMinHeight = 500;
// Results of the details loader wait to be taken.
const UINT kDetailsMessage = WM_APP + 1;
// The category lists not built yet are built, a few at a time.
const UINT kBuildListsMessage = WM_APP + 2;
const int kListsPerStep = 8;
const COLORREF kBannerButtonBack = RGB(76, 195, 247);
// The action column is at least this wide; wider where the links need it.
const int kActionColumnWidth = 180;
const int kActionColumnPadding = 16;

// The one font of every list and button, a copy of the dialog's font.
CFont s_fontMain;

// The row pictures of the lists, loaded once and shared by every list.
class CRowBitmaps {
public:
    CRowBitmaps()
    {
        for (UINT id : {IDB_ROW_MID, IDB_ROW_LEFT, IDB_ROW_RIGHT, IDB_ROW_SEL_MID, IDB_ROW_SEL_LEFT, IDB_ROW_SEL_RIGHT,
                        IDB_HEADER_MID, IDB_HEADER_LEFT, IDB_HEADER_RIGHT, IDB_PANE_ROW_MID, IDB_PANE_ROW_LEFT,
                        IDB_PANE_ROW_RIGHT, IDB_PANE_SEL_MID, IDB_PANE_SEL_LEFT, IDB_PANE_SEL_RIGHT})
            m_bitmaps[id] = LoadBitmapResource(id);
    }
    HBITMAP Get(UINT id) const
    {
        const auto it = m_bitmaps.find(id);
        return it == m_bitmaps.end() ? nullptr : it->second.Get();
    }
    // Middle, left and right pieces, each not selected and selected (the
    // selected piece serves with and without the focus).
    std::array<HBITMAP, 9> Table(UINT mid, UINT selMid, UINT left, UINT selLeft, UINT right, UINT selRight) const
    {
        return {Get(mid),  Get(selMid),  Get(selMid),  Get(left), Get(selLeft),
                Get(selLeft), Get(right), Get(selRight), Get(selRight)};
    }

private:
    std::map<UINT, CBitmap> m_bitmaps;
};

const CRowBitmaps& RowBitmaps()
{
    static const CRowBitmaps s_rowBitmaps;
    return s_rowBitmaps;
}

SIZE BitmapSize(HBITMAP hBitmap) noexcept
{
    BITMAP bm{};
    if (!hBitmap || !::GetObjectW(hBitmap, sizeof(bm), &bm))
        return SIZE{0, 0};
    return SIZE{bm.bmWidth, bm.bmHeight};
}

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

CImageList MakeImageList(int cx, int nCapacity, COLORREF crBack)
{
    // Room for every image from the start: a list that grows by a few images
    // at a time copies all of them again each time.
    CImageList list(::ImageList_Create(cx, cx, ILC_COLOR32 | ILC_MASK, std::max(nCapacity, 1), 4));
    if (list)
        ::ImageList_SetBkColor(list.Get(), crBack);
    return list;
}

void AddIcon(const CImageList& list, HICON hIcon) noexcept
{
    if (list)
        ::ImageList_ReplaceIcon(list.Get(), -1, hIcon);
}

// Puts an icon at its index. Icons arrive in index order, so each one is
// normally the next image; until it arrives, a row's image does not exist
// and the row shows no icon.
void PutIcon(const CImageList& list, int nIndex, const IconImage& image) noexcept
{
    if (!list)
        return;
    HIMAGELIST hList = list.Get();
    while (::ImageList_GetImageCount(hList) < nIndex)
        ::ImageList_Add(hList, image.hColor.Get(), image.hMask.Get());
    if (nIndex < ::ImageList_GetImageCount(hList))
        ::ImageList_Replace(hList, nIndex, image.hColor.Get(), image.hMask.Get());
    else
        ::ImageList_Add(hList, image.hColor.Get(), image.hMask.Get());
}

// Repainting of one window held back for a scope: many changes, one repaint.
class CRedrawOff {
public:
    explicit CRedrawOff(HWND hWnd) noexcept : m_hWnd(hWnd) { ::SendMessageW(m_hWnd, WM_SETREDRAW, FALSE, 0); }
    CRedrawOff(const CRedrawOff&) = delete;
    CRedrawOff& operator=(const CRedrawOff&) = delete;
    ~CRedrawOff()
    {
        ::SendMessageW(m_hWnd, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
    }

private:
    HWND m_hWnd;
};

SoftwareCategory* Categories(CatalogueSettings* pSettings) noexcept
{
    return pSettings ? pSettings->Categories.get() : nullptr;
}

int CountEntries(const SoftwareCategory& category) noexcept
{
    int n = 0;
    if (category.Entries) {
        while (!category.Entries[n].Name.empty())
            ++n;
    }
    return n;
}

} // namespace

CQuillsetDlg::CQuillsetDlg()
    : CDialog(IDD_QUILLSET_DIALOG),
      m_hIcon(LoadIconResource(IDR_MAINFRAME, ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON))),
      m_bmpPaneBack(LoadBitmapResource(IDB_PANE_BACK)), m_bmpBanner(LoadBitmapResource(IDB_BANNER)),
      m_bmpBannerFill(LoadBitmapResource(IDB_BANNER_FILL)), m_bmpFrameTop(LoadBitmapResource(IDB_FRAME_TOP)),
      m_bmpFrameBottom(LoadBitmapResource(IDB_FRAME_BOTTOM)), m_bmpFrameLeft(LoadBitmapResource(IDB_FRAME_LEFT)),
      m_bmpFrameRight(LoadBitmapResource(IDB_FRAME_RIGHT)),
      m_bmpFrameTopLeft(LoadBitmapResource(IDB_FRAME_TOPLEFT)),
      m_bmpFrameBottomLeft(LoadBitmapResource(IDB_FRAME_BOTTOMLEFT)),
      m_bmpFrameTopRight(LoadBitmapResource(IDB_FRAME_TOPRIGHT)),
      m_bmpFrameBottomRight(LoadBitmapResource(IDB_FRAME_BOTTOMRIGHT)),
      m_arrActionNames{LoadStringResource(IDS_ACTION_MANUAL), LoadStringResource(IDS_ACTION_AUTO),
                       LoadStringResource(IDS_ACTION_SAVE)}
{
}

CQuillsetDlg::~CQuillsetDlg()
{
    // A worker still reading is left with what it needs, never the window.
    m_loader.Stop();
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

    if (m_pSettings) {
        RECT rc = GetWindowRect();
        rc.right = std::max(m_pSettings->MainWidth, kMinWidth);
        rc.bottom = std::max(m_pSettings->MainHeight, kMinHeight);
        ::MoveWindow(m_hWnd, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
        SetWindowText(m_pSettings->TitleText);
    }
    const RECT rcClient = GetClientRect();

    if (!s_fontMain) {
        LOGFONTW lf{};
        ::GetObjectW(GetFont(), sizeof(lf), &lf);
        s_fontMain.Reset(::CreateFontIndirectW(&lf));
    }
    RowBitmaps();

    CountCatalogue();
    BuildImageLists();
    BuildCategoryPane(rcClient);
    BuildEntryLists(rcClient);
    CreateButtons();

    LayoutControls();
    if (m_nPaneOverflow > 0) {
        // Taller by what the pane lacks, so that every category shows.
        const RECT rcWindow = GetWindowRect();
        ::MoveWindow(m_hWnd, 0, 0, rcWindow.right - rcWindow.left,
                     rcClient.bottom - rcClient.top + m_nPaneOverflow + 26, TRUE);
    }
    CenterWindow();

    SelectPaneRow(0);
    ::SetFocus(m_listCategories.m_hWnd);
    StartDetails();
    PostMessageW(m_hWnd, kBuildListsMessage, 0, 0);
    return TRUE;
}

void CQuillsetDlg::CountCatalogue()
{
    SoftwareCategory* pCategories = Categories(m_pSettings);
    m_arrEntryCounts.assign(1, 0);
    for (int j = 0; pCategories && !pCategories[j].Name.empty(); ++j)
        m_arrEntryCounts.push_back(CountEntries(pCategories[j]));
    m_nLists = static_cast<int>(m_arrEntryCounts.size());
}

void CQuillsetDlg::BuildImageLists()
{
    m_fallbackImage = ImageOfIcon(LoadIconResource(IDR_MAINFRAME, 32, 32).Get());

    const int nCategories = m_nLists - 1;
    int nEntries = 0;
    for (int n : m_arrEntryCounts)
        nEntries += n;

    m_imgCategory = MakeImageList(32, nCategories + 1, m_crListBack);
    m_imgCheck = MakeImageList(16, 2, m_crListBack);
    AddIcon(m_imgCategory, LoadIconResource(IDI_ALL_SOFTWARE, 32, 32).Get());
    m_pEntryImages = std::make_unique<CImageList[]>(static_cast<size_t>(nCategories) + 1);
    m_pEntryImages[0] = MakeImageList(32, nEntries, RGB(255, 255, 255));
    // The icons of the categories and entries follow as they are read.
    for (int j = 1; j <= nCategories; ++j)
        m_pEntryImages[j] = MakeImageList(32, m_arrEntryCounts[static_cast<size_t>(j)], RGB(255, 255, 255));
    AddIcon(m_imgCheck, LoadIconResource(IDI_CHECK_OFF, 16, 16).Get());
    AddIcon(m_imgCheck, LoadIconResource(IDI_CHECK_ON, 16, 16).Get());
}

void CQuillsetDlg::BuildCategoryPane(const RECT& rcClient)
{
    // The window owns the image lists: the lists only borrow them.
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_OWNERDRAWFIXED |
                        LVS_NOSCROLL | LVS_NOCOLUMNHEADER | LVS_SHAREIMAGELISTS;
    m_listCategories.Create(style, rcClient, m_hWnd, kIdPane);
    m_listCategories.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    m_listCategories.SetImageList(m_imgCategory.Get(), LVSIL_SMALL);
    m_listCategories.SetFont(s_fontMain.Get(), FALSE);
    m_listCategories.m_dwMode = list_geometry::kModePane;
    m_listCategories.InsertListColumn(0, LoadStringResource(IDS_COL_CATEGORY), LVCFMT_CENTER, kPaneWidth);

    SoftwareCategory* pCategories = Categories(m_pSettings);
    int nTotal = 0;
    for (int n : m_arrEntryCounts)
        nTotal += n;

    CRedrawOff redraw(m_listCategories.m_hWnd);
    m_listCategories.InsertListItem(0, PaneRowText(LoadStringResource(IDS_ALL_SOFTWARE), nTotal),
                                    list_geometry::kRowEntry, L"", 0);
    for (int j = 1; j < m_nLists; ++j)
        m_listCategories.InsertListItem(
            j, PaneRowText(pCategories[j - 1].Name, m_arrEntryCounts[static_cast<size_t>(j)]),
            list_geometry::kRowEntry, L"", j);
}

void CQuillsetDlg::CreateEntryList(CListEx& list, UINT nID, bool bVisible, const RECT& rcClient)
{
    const DWORD style = WS_CHILD | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_OWNERDRAWFIXED |
                        LVS_NOCOLUMNHEADER | LVS_SHAREIMAGELISTS | (bVisible ? WS_VISIBLE : 0);
    list.Create(style, rcClient, m_hWnd, nID);
    list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_CHECKBOXES);
    list.SetImageList(m_pEntryImages[nID - kIdFirstList].Get(), LVSIL_SMALL);
    // The check-box style made the list a state image list of its own,
    // which a list that shares its image lists never releases.
    CImageList ownChecks(list.SetImageList(m_imgCheck.Get(), LVSIL_STATE));
    list.SetFont(s_fontMain.Get(), FALSE);
    list.InsertListColumn(0, LoadStringResource(IDS_COL_NAME), LVCFMT_LEFT, 200);
    list.InsertListColumn(1, LoadStringResource(IDS_COL_SIZE), LVCFMT_CENTER, 100);
    list.InsertListColumn(2, LoadStringResource(IDS_COL_ACTIONS), LVCFMT_CENTER, m_nActionWidth);
    list.InsertListColumn(3, L"", LVCFMT_CENTER, 30);
}

void CQuillsetDlg::DecorateEntryList(CListEx& list)
{
    const CRowBitmaps& bitmaps = RowBitmaps();
    list.SetRowHeight(kEntryRowHeight);
    list.SetEraseColor(m_crListBack);
    list.SetLinkColorSelFocus(m_crLinkSelected);
    list.SetEntryBitmaps(bitmaps.Table(IDB_ROW_MID, IDB_ROW_SEL_MID, IDB_ROW_LEFT, IDB_ROW_SEL_LEFT, IDB_ROW_RIGHT,
                                       IDB_ROW_SEL_RIGHT));
    list.SetHeaderBitmaps(bitmaps.Get(IDB_HEADER_MID), bitmaps.Get(IDB_HEADER_LEFT), bitmaps.Get(IDB_HEADER_RIGHT));
    list.SetDrawFlags(list_geometry::kFlagEntryBitmaps | list_geometry::kFlagHeaderBitmaps |
                      list_geometry::kFlagThreePiece);
}

void CQuillsetDlg::BuildEntryLists(const RECT& rcClient)
{
    // The action column holds its three links whole in the font at hand.
    {
        std::wstring joined;
        for (const std::wstring& name : m_arrActionNames)
            joined += (joined.empty() ? L"" : list_geometry::kLinkSeparator) + name;
        CClientDC dc(m_hWnd);
        CSelectObject select(dc.Get(), s_fontMain.Get());
        SIZE size{};
        ::GetTextExtentPoint32W(dc.Get(), joined.c_str(), static_cast<int>(joined.size()), &size);
        m_nActionWidth = std::max(kActionColumnWidth, static_cast<int>(size.cx) + kActionColumnPadding);
    }

    // The all-software list is complete before the window shows; the
    // category lists follow once it shows (BuildPendingLists).
    SoftwareCategory* pCategories = Categories(m_pSettings);
    m_pEntryLists = std::make_unique<CListEx[]>(static_cast<size_t>(m_nLists));
    m_arrFirstPlace.assign(static_cast<size_t>(m_nLists), 0);
    m_rcCreate = rcClient;
    m_nListsBuilt = 1;
    CListEx& all = m_pEntryLists[0];
    CreateEntryList(all, kIdFirstList, true, rcClient);
    CRedrawOff redrawAll(all.m_hWnd);

    int A = 0;
    for (int j = 1; j < m_nLists; ++j) {
        const SoftwareCategory& category = pCategories[j - 1];
        const int n = m_arrEntryCounts[static_cast<size_t>(j)];
        m_arrFirstPlace[static_cast<size_t>(j)] = m_arrPlaces.size();
        if (n == 0)
            continue;
        all.InsertListItem(A++, HeaderRowText(category.Name, n), list_geometry::kRowHeader, L"", 0);
        for (int r = 0; r < n; ++r, ++A) {
            const SoftwareEntry& entry = category.Entries[r];
            all.InsertListItem(A, entry.Name, list_geometry::kRowEntry, entry.Description,
                               static_cast<int>(m_arrPlaces.size()));
            all.SetLinks(A, m_arrActionNames);
            // Rows start unchecked.
            if (entry.Checked)
                all.SetCheck(A, true);
            m_arrPlaces.push_back(EntryPlace{j, r, A, L""});
        }
    }
    DecorateEntryList(all);

    const CRowBitmaps& bitmaps = RowBitmaps();
    m_listCategories.SetEraseBitmap(m_bmpPaneBack.Get());
    m_listCategories.SetRowHeight(kPaneRowHeight);
    m_listCategories.SetEntryBitmaps(bitmaps.Table(IDB_PANE_ROW_MID, IDB_PANE_SEL_MID, IDB_PANE_ROW_LEFT,
                                                   IDB_PANE_SEL_LEFT, IDB_PANE_ROW_RIGHT, IDB_PANE_SEL_RIGHT));
    m_listCategories.SetDrawFlags(list_geometry::kFlagEraseBitmap | list_geometry::kFlagEntryBitmaps |
                                  list_geometry::kFlagThreePiece);
}

void CQuillsetDlg::BuildCategoryList(int j)
{
    CListEx& list = m_pEntryLists[static_cast<size_t>(j)];
    if (list.m_hWnd)
        return;
    CreateEntryList(list, kIdFirstList + static_cast<UINT>(j), false, m_rcCreate);
    {
        CRedrawOff redraw(list.m_hWnd);
        const auto first = m_arrFirstPlace[static_cast<size_t>(j)];
        const SoftwareCategory& category = Categories(m_pSettings)[j - 1];
        for (int r = 0; r < m_arrEntryCounts[static_cast<size_t>(j)]; ++r) {
            const SoftwareEntry& entry = category.Entries[r];
            const EntryPlace& place = m_arrPlaces[first + static_cast<size_t>(r)];
            list.InsertListItem(r, entry.Name, list_geometry::kRowEntry, entry.Description, r);
            list.SetItemText(r, 1, place.strSize);
            list.SetLinks(r, m_arrActionNames);
            // The catalogue holds every check mark made so far.
            if (entry.Checked)
                list.SetCheck(r, true);
        }
    }
    DecorateEntryList(list);
}

void CQuillsetDlg::BuildPendingLists()
{
    for (int n = 0; n < kListsPerStep && m_nListsBuilt < m_nLists; ++n)
        BuildCategoryList(m_nListsBuilt++);
    if (m_nListsBuilt < m_nLists)
        PostMessageW(m_hWnd, kBuildListsMessage, 0, 0);
    NoteIfLoaded();
}

void CQuillsetDlg::CreateButtons()
{
    const bool bAuto = !m_pSettings || m_pSettings->DefaultMode != 0;
    struct ButtonPlan {
        CThemedButton* pButton;
        UINT nID;
        UINT nText;
        DWORD dwStyle;
        int cx;
        int cy;
        UINT nHot;
        UINT nNormal;
        const wchar_t* pszTip;
    };
    const ButtonPlan plans[] = {
        {&m_btnSelectAll, kIdSelectAll, IDS_BTN_SELECTALL, BS_AUTOCHECKBOX, 140, 24, IDB_SELECTALL_HOT, IDB_SELECTALL,
         L"选择所有应用程序"},
        {&m_btnSave, kIdSave, IDS_BTN_SAVE, BS_PUSHBUTTON, 106, 24, IDB_SAVE_HOT, IDB_SAVE, L"保存所选软件安装包"},
        {&m_btnInstall, kIdInstall, IDS_BTN_INSTALL, BS_PUSHBUTTON, 106, 24,
         bAuto ? UINT{IDB_INSTALL_AUTO_HOT} : UINT{IDB_INSTALL_MANUAL_HOT},
         bAuto ? UINT{IDB_INSTALL_AUTO} : UINT{IDB_INSTALL_MANUAL}, bAuto ? L"自动安装所选软件" : L"手动安装所选软件"},
        {&m_btnOptions, kIdOptions, 0, BS_PUSHBUTTON, 16, 24, IDB_OPTIONS, IDB_OPTIONS, L"安装选项"},
        {&m_btnHomepage, kIdHomepage, 0, BS_PUSHBUTTON, 96, 23, IDB_HOMEPAGE_HOT, IDB_HOMEPAGE, L"访问主页"},
        {&m_btnHelp, kIdHelp, 0, BS_PUSHBUTTON, 96, 23, IDB_HELP_HOT, IDB_HELP, L"查看帮助信息"},
    };
    for (const ButtonPlan& plan : plans) {
        CThemedButton& button = *plan.pButton;
        const std::wstring text = plan.nText ? LoadStringResource(plan.nText) : std::wstring();
        button.Create(text.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | plan.dwStyle, RECT{0, 0, plan.cx, plan.cy},
                      m_hWnd, plan.nID);
        button.SetFont(s_fontMain.Get(), FALSE);
        button.AssignBitmaps(LoadBitmapResource(plan.nHot).Release(), LoadBitmapResource(plan.nNormal).Release());
        if (plan.nID == kIdHomepage || plan.nID == kIdHelp) {
            for (int slot : {CThemedButton::HoverBack, CThemedButton::NormalBack, CThemedButton::FocusBack})
                button.m_crColors[slot] = kBannerButtonBack;
        }
        if (plan.nID == kIdHomepage)
            std::wcsncpy(button.m_szLink, kHomepageUrl, MAX_PATH - 1);
        button.AssignTooltip(plan.pszTip);
    }
}

// --- Icons and sizes, read after the window shows -----------------------------

void CQuillsetDlg::StartDetails()
{
    std::vector<DetailJob> jobs;
    SoftwareCategory* pCategories = Categories(m_pSettings);
    for (int j = 1; j < m_nLists; ++j)
        jobs.push_back(DetailJob{pCategories[j - 1].IconPath, L""});
    for (const EntryPlace& place : m_arrPlaces) {
        const SoftwareEntry& entry = pCategories[place.nCategory - 1].Entries[place.nRow];
        jobs.push_back(DetailJob{entry.IconPath, entry.ManualInstall});
    }
    m_loader.Start(std::move(jobs), m_hWnd, kDetailsMessage);
}

void CQuillsetDlg::OnDetailsArrived()
{
    const std::vector<DetailResult> results = m_loader.Take();
    const auto nCategories = static_cast<size_t>(m_nLists - 1);
    bool bPaneChanged = false;
    for (const DetailResult& result : results) {
        const IconImage& image = result.image.hColor ? result.image : m_fallbackImage;
        if (result.nJob < nCategories) {
            PutIcon(m_imgCategory, static_cast<int>(result.nJob) + 1, image);
            bPaneChanged = true;
        } else if (result.nJob - nCategories < m_arrPlaces.size()) {
            ApplyEntryDetail(m_arrPlaces[result.nJob - nCategories], image, result.nSize);
        }
    }
    if (bPaneChanged)
        m_listCategories.Invalidate(FALSE);
    NoteIfLoaded();
}

void CQuillsetDlg::NoteIfLoaded()
{
    if (m_loader.Done() && m_nListsBuilt == m_nLists && !m_bDetailsLoaded) {
        m_bDetailsLoaded = true;
        ::SetPropW(m_hWnd, kDetailsLoadedProp, reinterpret_cast<HANDLE>(1));
    }
}

void CQuillsetDlg::ApplyEntryDetail(EntryPlace& place, const IconImage& image, unsigned long long nSize)
{
    const auto nEntry = static_cast<int>(&place - m_arrPlaces.data());
    CListEx& all = m_pEntryLists[0];
    CListEx& list = m_pEntryLists[static_cast<size_t>(place.nCategory)];
    PutIcon(m_pEntryImages[0], nEntry, image);
    PutIcon(m_pEntryImages[static_cast<size_t>(place.nCategory)], place.nRow, image);
    // Straight to the list views, which repaint the row: the size column
    // stays a plain column.
    place.strSize = SizeText(nSize);
    all.SetItemText(place.nAllRow, 1, place.strSize);
    if (list.m_hWnd)
        list.SetItemText(place.nRow, 1, place.strSize);
}

// --- Layout and painting --------------------------------------------------------

void CQuillsetDlg::LayoutControls()
{
    if (!m_listCategories.m_hWnd || !m_btnSelectAll.m_hWnd)
        return;
    const RECT rcClient = GetClientRect();
    auto sizeOf = [](const CWnd& wnd) {
        const RECT rc = wnd.GetWindowRect();
        return Size{rc.right - rc.left, rc.bottom - rc.top};
    };
    const ButtonSizes sizes{sizeOf(m_btnSelectAll), sizeOf(m_btnSave), sizeOf(m_btnInstall),
                            sizeOf(m_btnOptions),   sizeOf(m_btnHomepage), sizeOf(m_btnHelp)};
    const Layout layout = ComputeLayout(rcClient, sizes);

    if (!::IsZoomed(m_hWnd) && m_nPaneOverflow == 0) {
        m_nPaneOverflow = PaneOverflow(layout, m_listCategories.GetItemCount(), kPaneRowHeight);
        if (m_nPaneOverflow > 0)
            return;
    }

    auto move = [](const CWnd& wnd, const RECT& rc) {
        ::MoveWindow(wnd.m_hWnd, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
    };
    move(m_btnSelectAll, layout.selectAll);
    move(m_btnOptions, layout.options);
    move(m_btnInstall, layout.install);
    move(m_btnSave, layout.save);
    move(m_btnHomepage, layout.homepage);
    move(m_btnHelp, layout.help);
    move(m_listCategories, layout.pane);
    m_listCategories.SetColumnWidth(0, kPaneWidth);

    CListEx& list = m_pEntryLists[static_cast<size_t>(m_nCurList)];
    move(list, layout.list);
    m_rcList = layout.list;
    const int nColumns = Header_GetItemCount(list.GetHeaderCtrl());
    int nOthers = 0;
    for (int c = 1; c < nColumns; ++c)
        nOthers += list.GetColumnWidth(c);
    const int nName = NameColumnWidth(layout, nOthers, list.GetItemCount(), kEntryRowHeight,
                                      ::GetSystemMetrics(SM_CXVSCROLL));
    list.SendMessage(LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(std::max(nName, 0), 0));

    for (const RECT& strip : FrameStrips(rcClient, layout))
        ::InvalidateRect(m_hWnd, &strip, TRUE);
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

        const RECT& l = m_rcList;
        DrawBitmap(dc, mem, m_bmpFrameTopLeft.Get(), l.left - 5, l.top - 5, 10, 10);
        DrawBitmap(dc, mem, m_bmpFrameBottomLeft.Get(), l.left - 5, l.bottom - 5, 10, 10);
        DrawBitmap(dc, mem, m_bmpFrameTopRight.Get(), l.right - 5, l.top - 5, 10, 10);
        DrawBitmap(dc, mem, m_bmpFrameBottomRight.Get(), l.right - 5, l.bottom - 5, 10, 10);
        DrawBitmap(dc, mem, m_bmpFrameTop.Get(), l.left, l.top - 5, l.right - l.left, 10);
        DrawBitmap(dc, mem, m_bmpFrameBottom.Get(), l.left, l.bottom - 5, l.right - l.left, 10);
        DrawBitmap(dc, mem, m_bmpFrameLeft.Get(), l.left - 5, l.top, 10, l.bottom - l.top);
        DrawBitmap(dc, mem, m_bmpFrameRight.Get(), l.right - 5, l.top, 10, l.bottom - l.top);

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
    pInfo->ptMinTrackSize.x = kMinWidth;
    pInfo->ptMinTrackSize.y = kMinHeight;
}

// --- Categories and check marks ---------------------------------------------------

void CQuillsetDlg::SelectPaneRow(int nRow)
{
    m_listCategories.SetItemState(nRow, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void CQuillsetDlg::OnCategoryChanged(const NMLISTVIEW* pNm)
{
    // The row that has just become the selected one is shown.
    if (!(pNm->uChanged & LVIF_STATE) || !(pNm->uNewState & LVIS_SELECTED) || (pNm->uOldState & LVIS_SELECTED))
        return;
    const int nNew = pNm->iItem;
    if (nNew < 0 || nNew >= m_nLists || !m_pEntryLists)
        return;
    BuildCategoryList(nNew);
    const int nOld = m_nCurList;
    m_nCurList = nNew;
    RecomputeSelectAll();
    // Into place first, then shown: the list never flashes at its old place.
    LayoutControls();
    if (nOld != nNew)
        ::ShowWindow(m_pEntryLists[static_cast<size_t>(nOld)].m_hWnd, SW_HIDE);
    ::ShowWindow(m_pEntryLists[static_cast<size_t>(nNew)].m_hWnd, SW_SHOW);
}

void CQuillsetDlg::RecomputeSelectAll()
{
    CListEx& list = m_pEntryLists[static_cast<size_t>(m_nCurList)];
    const int count = list.GetItemCount();
    if (count == 0 || !m_btnSelectAll.m_hWnd)
        return;
    int nChecked = 1;
    for (int i = 0; i < count; ++i) {
        const bool bHeader = static_cast<size_t>(i) < list.m_arrRowKind.size() &&
                             list.m_arrRowKind[static_cast<size_t>(i)] == list_geometry::kRowHeader;
        if (!bHeader && !list.GetCheck(i)) {
            nChecked = 0;
            break;
        }
    }
    if (m_btnSelectAll.m_bCheckMode)
        m_btnSelectAll.m_nChecked = nChecked;
    m_btnSelectAll.Invalidate();
}

void CQuillsetDlg::OnCategoryClick()
{
    SelectPaneRow(m_nCurList);
}

void CQuillsetDlg::MirrorCheck(const NMLISTVIEW* pNm)
{
    if (!(pNm->uChanged & LVIF_STATE))
        return;
    const UINT nNew = pNm->uNewState & LVIS_STATEIMAGEMASK;
    const UINT nOld = pNm->uOldState & LVIS_STATEIMAGEMASK;
    const UINT kOff = INDEXTOSTATEIMAGEMASK(1);
    const UINT kOn = INDEXTOSTATEIMAGEMASK(2);
    if (!((nNew == kOn && nOld == kOff) || (nNew == kOff && nOld == kOn)))
        return;
    CListEx& shown = m_pEntryLists[static_cast<size_t>(m_nCurList)];
    const bool bChecked = shown.GetCheck(pNm->iItem);
    CategoryRow at{m_nCurList, pNm->iItem};
    CListEx* pOther = &m_pEntryLists[0];
    int nOtherRow = 0;
    if (m_nCurList == 0) {
        const auto mapped = AllRowToCategory(m_arrEntryCounts, pNm->iItem);
        if (!mapped || mapped->row < 0)
            return;
        at = *mapped;
        pOther = &m_pEntryLists[static_cast<size_t>(at.category)];
        nOtherRow = at.row;
    } else {
        nOtherRow = CategoryRowToAll(m_arrEntryCounts, at);
        if (nOtherRow < 0)
            return;
    }
    SoftwareCategory* pCategories = Categories(m_pSettings);
    if (!pCategories || !pCategories[at.category - 1].Entries)
        return;
    int& nChecked = pCategories[at.category - 1].Entries[at.row].Checked;
    // A category list not built yet takes its marks from the catalogue.
    if (!pOther->m_hWnd) {
        nChecked = bChecked ? 1 : 0;
        return;
    }
    pOther->SetCheck(nOtherRow, bChecked);
    nChecked = pOther->GetCheck(nOtherRow) ? 1 : 0;
}

void CQuillsetDlg::OnEntryClick(const NMITEMACTIVATE* pNm)
{
    if (pNm->iSubItem != row_actions::kLinkColumn)
        return;
    const auto at = row_actions::EntryBehindRow(m_arrEntryCounts, m_nCurList, pNm->iItem);
    SoftwareCategory* pCategories = Categories(m_pSettings);
    if (!at || !pCategories || !pCategories[at->category - 1].Entries)
        return;
    const CListEx& list = m_pEntryLists[static_cast<size_t>(m_nCurList)];
    row_actions::Perform(m_hWnd, list.m_nHotLink, pCategories[at->category - 1].Entries[at->row],
                         m_pSettings->SavePath);
}

void CQuillsetDlg::OnSelectAll()
{
    CListEx& list = m_pEntryLists[static_cast<size_t>(m_nCurList)];
    CRedrawOff redraw(list.m_hWnd);
    list.SetAllChecks(m_btnSelectAll.m_nChecked ? TRUE : FALSE);
}

// --- Messages -------------------------------------------------------------------

BOOL CQuillsetDlg::OnNotify(WPARAM wp, LPARAM lp, LRESULT* pResult)
{
    const auto* pHdr = reinterpret_cast<const NMHDR*>(lp);
    if (pHdr->idFrom == kIdPane) {
        switch (pHdr->code) {
        case NM_CLICK: {
            const int nRow = reinterpret_cast<const NMITEMACTIVATE*>(lp)->iItem;
            if (nRow < 0)
                SelectPaneRow(m_nCurList);
            else
                m_nCurList = nRow;
            break;
        }
        case LVN_ITEMCHANGED:
            OnCategoryChanged(reinterpret_cast<const NMLISTVIEW*>(lp));
            break;
        case NM_DBLCLK:
        case NM_RCLICK:
        case NM_RDBLCLK:
            OnCategoryClick();
            break;
        default:
            break;
        }
    } else if (m_pEntryLists && pHdr->idFrom == kIdFirstList + static_cast<UINT_PTR>(m_nCurList)) {
        if (pHdr->code == LVN_ITEMCHANGED)
            MirrorCheck(reinterpret_cast<const NMLISTVIEW*>(lp));
        else if (pHdr->code == static_cast<UINT>(NM_CLICK))
            OnEntryClick(reinterpret_cast<const NMITEMACTIVATE*>(lp));
    }
    return CDialog::OnNotify(wp, lp, pResult);
}

void CQuillsetDlg::OnOK() {}

void CQuillsetDlg::OnCancel() {}

void CQuillsetDlg::OnSysCommand(UINT nID, LPARAM lp)
{
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        OnAbout();
        return;
    }
    if ((nID & 0xFFF0) == SC_CLOSE) {
        m_loader.Stop();
        ::RemovePropW(m_hWnd, kDetailsLoadedProp);
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
    case WM_QUERYDRAGICON:
        return reinterpret_cast<LRESULT>(m_hIcon.Get());
    case WM_GETMINMAXINFO:
        OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lp));
        return 0;
    case WM_SIZE:
        LayoutControls();
        return 0;
    case kDetailsMessage:
        OnDetailsArrived();
        return 0;
    case kBuildListsMessage:
        BuildPendingLists();
        return 0;
    default:
        return CDialog::WindowProc(msg, wp, lp);
    }
}
