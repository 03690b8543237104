// The catalogue on show: the entry lists filled from the catalogue, the
// icons and sizes as they arrive, the category chosen in the pane, and the
// check marks kept in step between the lists and the catalogue.
#include "ui/main/QuillsetDlg.h"

#include "catalogue/catalogue.h"
#include "res/resource.h"
#include "ui/controls/list_geometry.h"
#include "ui/main/main_art.h"

#include <algorithm>

using namespace main_art;
using namespace main_layout;

namespace {

// Work done after the window shows goes in slices of about this long, so
// that the window answers in between.
const double kSliceMs = 4.0;

// The time one slice of work has taken so far.
class CSlice {
public:
    CSlice() noexcept { ::QueryPerformanceCounter(&m_start); }
    bool Over() const noexcept
    {
        LARGE_INTEGER now{};
        LARGE_INTEGER freq{};
        ::QueryPerformanceCounter(&now);
        ::QueryPerformanceFrequency(&freq);
        return static_cast<double>(now.QuadPart - m_start.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart) >=
               kSliceMs;
    }

private:
    LARGE_INTEGER m_start{};
};
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

} // namespace

// --- Filling the lists -----------------------------------------------------------

void CQuillsetDlg::BuildImageLists()
{
    m_fallbackImage = ImageOfIcon(dpi::LoadIconAt(IDR_MAINFRAME, kIconSize, m_scale).Get());

    const int nCategories = m_rows.Lists() - 1;
    const int nIcon = m_scale.Px(kIconSize);

    m_imgCategory = MakeImageList(nIcon, nCategories + 1, m_crListBack);
    m_imgCheck = MakeImageList(m_scale.Px(kCheckSize), 2, m_crListBack);
    AddIcon(m_imgCategory, dpi::LoadIconAt(IDI_ALL_SOFTWARE, kIconSize, m_scale).Get());
    // The icons of the categories and entries follow as they are read.
    m_imgEntries = MakeImageList(nIcon, m_pSettings ? static_cast<int>(m_pSettings->Entries.size()) : 0,
                                 RGB(255, 255, 255));
    AddIcon(m_imgCheck, dpi::LoadIconAt(IDI_CHECK_OFF, kCheckSize, m_scale).Get());
    AddIcon(m_imgCheck, dpi::LoadIconAt(IDI_CHECK_ON, kCheckSize, m_scale).Get());
}

void CQuillsetDlg::BuildEntryLists(const RECT& rcClient)
{
    MeasureColumns();

    // The all-software list is complete before the window shows; the
    // category lists follow once it shows (BuildPendingLists).
    SoftwareCategory* pCategories = Categories();
    m_pEntryLists = std::make_unique<CListEx[]>(static_cast<size_t>(m_rows.Lists()));
    m_arrStatus.assign(m_pSettings ? m_pSettings->Entries.size() : 0, RowStatus());
    m_arrStartDecided.assign(m_arrStatus.size(), false);
    m_rcCreate = rcClient;
    m_nListsBuilt = 1;
    CListEx& all = m_pEntryLists[0];
    CreateEntryList(all, kIdFirstList, true, rcClient);
    CRedrawOff redrawAll(all.m_hWnd);

    for (int A = 0; A < m_rows.Rows(0); ++A) {
        const int nEntry = m_rows.EntryOfRow(0, A);
        if (nEntry < 0) {
            const int j = m_rows.HeaderCategory(A);
            all.InsertListItem(A, HeaderRowText(pCategories[j - 1].Name, m_rows.Count(j)), list_geometry::kRowHeader,
                               L"", 0);
            continue;
        }
        const SoftwareEntry& entry = Entry(nEntry);
        all.InsertListItem(A, entry.Name, list_geometry::kRowEntry, entry.Description, SectionOf(nEntry));
        AskStatusText(all, A);
        all.SetLinks(A, m_arrActionNames);
    }
    DecorateEntryList(all);

    const CRowBitmaps& bitmaps = RowBitmaps(m_scale);
    m_listCategories.SetEraseBitmap(m_bmpPaneBack.Get());
    m_listCategories.SetRowHeight(m_scale.Px(kPaneRowHeight));
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
        for (int r = 0; r < m_rows.Count(j); ++r) {
            const int nEntry = m_rows.EntryOfRow(j, r);
            const SoftwareEntry& entry = Entry(nEntry);
            list.InsertListItem(r, entry.Name, list_geometry::kRowEntry, entry.Description, SectionOf(nEntry));
            AskStatusText(list, r);
            list.SetLinks(r, m_arrActionNames);
        }
    }
    DecorateEntryList(list);
}

void CQuillsetDlg::BuildPendingLists()
{
    const CSlice slice;
    while (m_nListsBuilt < m_rows.Lists() && !slice.Over())
        BuildCategoryList(m_nListsBuilt++);
    if (m_nListsBuilt < m_rows.Lists())
        PostMessageW(m_hWnd, kBuildListsMessage, 0, 0);
    NoteIfLoaded();
}

// --- Icons and sizes, read after the window shows -----------------------------

void CQuillsetDlg::StartDetails()
{
    std::vector<DetailJob> jobs;
    m_arrJobTargets.clear();
    SoftwareCategory* pCategories = Categories();
    // One job per entry section, however often it is listed: its rows all
    // show what the job reads. The rows on show come first, then the
    // categories' icons, then the rest.
    m_arrListingsOf.clear();
    std::vector<bool> queued;
    auto queueSection = [&](size_t nSection) {
        if (queued[nSection])
            return;
        queued[nSection] = true;
        const SoftwareEntry& entry = m_pSettings->Entries[nSection];
        jobs.push_back(DetailJob{entry.IconPath, entry.ManualInstall, m_scale.Px(kIconSize)});
        m_arrJobTargets.push_back(static_cast<int>(nSection));
    };
    if (m_pSettings) {
        m_arrListingsOf.resize(m_pSettings->Entries.size());
        queued.assign(m_pSettings->Entries.size(), false);
        for (int nEntry = 0; nEntry < m_rows.Entries(); ++nEntry)
            m_arrListingsOf[static_cast<size_t>(SectionOf(nEntry))].push_back(nEntry);
        CListEx& all = m_pEntryLists[0];
        const auto nTop = static_cast<int>(all.SendMessage(LVM_GETTOPINDEX, 0, 0));
        const int nEnd = nTop + static_cast<int>(all.SendMessage(LVM_GETCOUNTPERPAGE, 0, 0)) + 1;
        for (int A = std::max(nTop, 0); A < m_rows.Rows(0) && A < nEnd; ++A) {
            const int nEntry = m_rows.EntryOfRow(0, A);
            if (nEntry >= 0)
                queueSection(static_cast<size_t>(SectionOf(nEntry)));
        }
    }
    m_nJobsOnShow = m_nJobsOnShowLeft = jobs.size();
    if (m_nJobsOnShow == 0)
        ::SetPropW(m_hWnd, kRowsOnShowLoadedProp, reinterpret_cast<HANDLE>(1));
    for (int j = 1; j < m_rows.Lists(); ++j) {
        jobs.push_back(DetailJob{pCategories[j - 1].IconPath, L"", m_scale.Px(kIconSize)});
        m_arrJobTargets.push_back(-j);
    }
    for (size_t nSection = 0; nSection < queued.size(); ++nSection)
        queueSection(nSection);
    m_loader.Start(std::move(jobs), m_hWnd, kDetailsMessage);
}

void CQuillsetDlg::OnDetailsArrived()
{
    // Results are taken from the loader only while fewer than it lets wait
    // for the window are still to be shown, so at most twice that many wait
    // here, and the loader reads on while the window shows them.
    bool bTook = false;
    if (m_pendingDetails.size() < CDetailsLoader::kMaxWaiting) {
        const size_t nBefore = m_pendingDetails.size();
        for (DetailResult& result : m_loader.Take())
            m_pendingDetails.push_back(std::move(result));
        bTook = m_pendingDetails.size() > nBefore;
    }
    // A slice at a time: the window answers in between.
    const CSlice slice;
    bool bPaneChanged = false;
    bool bRowsChanged = false;
    bool bUnchecked = false;
    while (!m_pendingDetails.empty() && !slice.Over()) {
        const DetailResult result = std::move(m_pendingDetails.front());
        m_pendingDetails.pop_front();
        if (result.nJob >= m_arrJobTargets.size())
            continue;
        if (result.nJob < m_nJobsOnShow && --m_nJobsOnShowLeft == 0)
            ::SetPropW(m_hWnd, kRowsOnShowLoadedProp, reinterpret_cast<HANDLE>(1));
        const IconImage& image = result.image.hColor ? result.image : m_fallbackImage;
        const int nTarget = m_arrJobTargets[result.nJob];
        if (nTarget < 0) {
            PutIcon(m_imgCategory, -nTarget, image);
            bPaneChanged = true;
        } else if (static_cast<size_t>(nTarget) < m_arrStatus.size()) {
            const auto nSection = static_cast<size_t>(nTarget);
            PutIcon(m_imgEntries, nTarget, image);
            RowStatus& status = m_arrStatus[nSection];
            status.bRead = true;
            status.bFound = result.installer.bFound;
            status.nSize = result.installer.nSize;
            status.bRunsHere = result.installer.bRunsHere;
            bUnchecked = ApplyStartCheck(nSection, true) || bUnchecked;
            bRowsChanged = true;
        }
    }
    if (bPaneChanged)
        m_listCategories.Invalidate(FALSE);
    if (bUnchecked)
        RecomputeSelectAll();
    if (bRowsChanged)
        RepaintEntryLists();
    // More to show, or room made in the loader for more that may be ready.
    if (!m_pendingDetails.empty() || bTook)
        PostMessageW(m_hWnd, kDetailsMessage, 0, 0);
    NoteIfLoaded();
}

void CQuillsetDlg::NoteIfLoaded()
{
    if (m_loader.Done() && m_pendingDetails.empty() && m_nListsBuilt == m_rows.Lists() && !m_bDetailsLoaded) {
        m_bDetailsLoaded = true;
        ::SetPropW(m_hWnd, kDetailsLoadedProp, reinterpret_cast<HANDLE>(1));
    }
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
    if (nNew < 0 || nNew >= m_rows.Lists() || !m_pEntryLists)
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
    // Over the entries on show: those the search found, where it found some.
    if (!m_btnSelectAll.m_hWnd || !Categories())
        return;
    int nEntries = 0;
    int nChecked = 1;
    for (int r = 0; r < m_rows.Rows(m_nCurList) && nChecked; ++r) {
        const int nEntry = m_rows.EntryOfRow(m_nCurList, r);
        if (nEntry < 0)
            continue;
        ++nEntries;
        nChecked = Entry(nEntry).Checked ? 1 : 0;
    }
    if (nEntries > 0)
        m_btnSelectAll.SetChecked(nChecked);
}

void CQuillsetDlg::OnCategoryClick()
{
    SelectPaneRow(m_nCurList);
}

void CQuillsetDlg::AnswerCheck(int nList, LVITEMW& item) const
{
    if (!(item.mask & LVIF_STATE) || !(item.stateMask & LVIS_STATEIMAGEMASK) || item.iSubItem != 0)
        return;
    // A header row shows no check box and is never checked.
    const int nEntry = m_rows.EntryOfRow(nList, item.iItem);
    const bool bChecked = nEntry >= 0 && Categories() && Entry(nEntry).Checked != 0;
    item.state = (item.state & ~static_cast<UINT>(LVIS_STATEIMAGEMASK)) | INDEXTOSTATEIMAGEMASK(bChecked ? 2 : 1);
}

void CQuillsetDlg::StoreCheck(int nList, const NMLISTVIEW* pNm)
{
    if (!(pNm->uChanged & LVIF_STATE))
        return;
    const UINT nNew = pNm->uNewState & LVIS_STATEIMAGEMASK;
    const UINT nOld = pNm->uOldState & LVIS_STATEIMAGEMASK;
    const UINT kOff = INDEXTOSTATEIMAGEMASK(1);
    const UINT kOn = INDEXTOSTATEIMAGEMASK(2);
    if (!((nNew == kOn && nOld == kOff) || (nNew == kOff && nOld == kOn)))
        return;
    const int nEntry = m_rows.EntryOfRow(nList, pNm->iItem);
    if (nEntry < 0 || !Categories())
        return;
    // One mark for every row that shows the entry: the list that changed
    // paints all its rows again, for the entry may be listed there more than
    // once; the other lists are hidden and are painted whole when they show.
    Entry(nEntry).Checked = nNew == kOn ? 1 : 0;
    m_pEntryLists[static_cast<size_t>(nList)].Invalidate(FALSE);
    UpdateSelectionCount();
}

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
    } else if (m_pEntryLists && pHdr->idFrom >= kIdFirstList &&
               pHdr->idFrom < kIdFirstList + static_cast<UINT_PTR>(m_rows.Lists())) {
        const auto nList = static_cast<int>(pHdr->idFrom - kIdFirstList);
        switch (pHdr->code) {
        case LVN_GETDISPINFOW:
        case LVN_GETDISPINFOA:
            // The item parts the two forms share are laid out alike; the
            // lists ask for text in the wide form only.
            AnswerCheck(nList, reinterpret_cast<NMLVDISPINFOW*>(lp)->item);
            if (pHdr->code == LVN_GETDISPINFOW)
                AnswerStatus(nList, reinterpret_cast<NMLVDISPINFOW*>(lp)->item);
            break;
        case LVN_ITEMCHANGED:
            StoreCheck(nList, reinterpret_cast<const NMLISTVIEW*>(lp));
            break;
        case static_cast<UINT>(NM_CLICK):
            if (nList == m_nCurList)
                OnEntryClick(reinterpret_cast<const NMITEMACTIVATE*>(lp));
            break;
        case static_cast<UINT>(NM_RCLICK):
            if (nList != m_nCurList)
                break;
            // The row and point the right button was pressed at; the list
            // sends no menu request of its own then.
            OpenRowMenu(reinterpret_cast<const NMITEMACTIVATE*>(lp)->iItem,
                        reinterpret_cast<const NMITEMACTIVATE*>(lp)->ptAction);
            *pResult = 1;
            return TRUE;
        default:
            break;
        }
    }
    return CDialog::OnNotify(wp, lp, pResult);
}
