// The main window: the banner with the homepage and help buttons, the
// category pane, the entry list of the chosen category inside its painted
// frame, and the row of command buttons.
#pragma once

#include "batch/save_plan.h"
#include "platform/handles.h"
#include "platform/wnd.h"
#include "shell/resolved_item.h"
#include "ui/controls/ListEx.h"
#include "ui/controls/ThemedButton.h"
#include "ui/main/details_loader.h"
#include "ui/main/detection_loader.h"
#include "ui/main/main_layout.h"
#include "ui/main/row_model.h"
#include "ui/main/row_status.h"
#include "ui/main/search_filter.h"

#include <deque>
#include <memory>
#include <string>
#include <vector>

struct CatalogueSettings;
struct SoftwareCategory;
struct SoftwareEntry;

// The window property set on the main window once every icon and installer
// size is in place.
inline constexpr wchar_t kDetailsLoadedProp[] = L"Quillset.DetailsLoaded";
// The window property set on the main window each time the machine's
// answer of which entries are installed is in place (its value counts the
// answers: 1 at the start, 2 after the first batch, ...).
inline constexpr wchar_t kStatesReadProp[] = L"Quillset.StatesRead";
// The window property set on the main window once the rows on show at the
// start have their icon and size.
inline constexpr wchar_t kRowsOnShowLoadedProp[] = L"Quillset.RowsOnShowLoaded";

class CQuillsetDlg : public CDialog {
public:
    CQuillsetDlg();
    ~CQuillsetDlg() override;

    // Set by the application before the window opens; not owned.
    CatalogueSettings* m_pSettings = nullptr;
    // The catalogue file the settings were read from, set by the
    // application: the window's size is remembered for it, and selections
    // are saved into it. Empty: neither.
    std::wstring m_strCatalogue;
    // The command line's usage, as /? tells it, for the help window.
    std::wstring m_strUsage;

    // Control ids.
    static constexpr UINT kIdPane = 1000;
    static constexpr UINT kIdSelectAll = 1001;
    static constexpr UINT kIdSave = 1002;
    static constexpr UINT kIdInstall = 1003;
    static constexpr UINT kIdOptions = 1004;
    static constexpr UINT kIdHomepage = 1005;
    static constexpr UINT kIdHelp = 1006;
    static constexpr UINT kIdFirstList = 1007;
    // The count beside the select-all box.
    static constexpr UINT kIdCount = 990;
    // The search box and its label.
    static constexpr UINT kIdSearchLabel = 991;
    static constexpr UINT kIdSearch = 992;
    static constexpr const wchar_t* kSearchLabel = L"搜索(&F)";

    // Whether every list is built and every icon and installer size has
    // arrived.
    bool DetailsLoaded() const noexcept { return m_bDetailsLoaded; }

protected:
    BOOL OnInitDialog() override;
    // Enter and Escape never close the main window.
    void OnOK() override;
    void OnCancel() override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    BOOL OnNotify(WPARAM wp, LPARAM lp, LRESULT* pResult) override;
    BOOL OnCommand(WPARAM wp, LPARAM lp) override;
    // Ctrl+F anywhere in the window goes to the search box; in the box Esc
    // clears it, and Enter and Down go on to the list.
    BOOL PreTranslateMessage(MSG* pMsg) override;

    CListEx m_listCategories;
    CThemedButton m_btnSelectAll;
    CThemedButton m_btnSave;
    CThemedButton m_btnInstall;
    CThemedButton m_btnOptions;
    CThemedButton m_btnHomepage;
    CThemedButton m_btnHelp;
    // "已选 N 款, 共 X MB", beside the select-all box.
    CWnd m_stcCount;
    // The search box above the entry lists, and its label.
    CWnd m_stcSearch;
    CWnd m_editSearch;
    // Element 0 is the all-software list, element j the list of category j.
    std::unique_ptr<CListEx[]> m_pEntryLists;
    int m_nPaneOverflow = 0;
    CIcon m_hIcon;
    CImageList m_imgCategory;
    CImageList m_imgCheck;
    // The icon of each entry section, shared by every entry list: a row
    // shows the image of its entry's section.
    CImageList m_imgEntries;
    COLORREF m_crBack = RGB(220, 230, 232);
    COLORREF m_crListBack = RGB(244, 245, 247);
    COLORREF m_crLinkSelected = RGB(252, 24, 17);
    CBitmap m_bmpPaneBack;
    CBitmap m_bmpBanner;
    CBitmap m_bmpBannerFill;
    CBitmap m_bmpFrameTop;
    CBitmap m_bmpFrameBottom;
    CBitmap m_bmpFrameLeft;
    CBitmap m_bmpFrameRight;
    CBitmap m_bmpFrameTopLeft;
    CBitmap m_bmpFrameBottomLeft;
    CBitmap m_bmpFrameTopRight;
    CBitmap m_bmpFrameBottomRight;
    RECT m_rcList{};
    int m_nCurList = 0;
    std::vector<std::wstring> m_arrActionNames;
    // The items of the last batch command, resolved once: what its
    // confirmation shows and its batch acts on.
    std::vector<ResolvedItem> m_arrBatch;

    void LayoutControls();
    // The name column of the list on show takes what the other columns and
    // a scroll bar, when its rows need one, leave.
    void SizeNameColumn(const main_layout::Layout& layout);
    // The layout for the client area as it is now.
    main_layout::Layout CurrentLayout() const;
    // The screen scale the window is shown at.
    const dpi::Scale& Scale() const noexcept { return m_scale; }

    // Commands.
    void OnSelectAll();
    void OnInstallSelected();
    void OnSaveSelected();
    void OnInstallOptions();
    void OnHelpMenu();
    void OnModeAuto();
    void OnModeManual();
    void OnAbout();
    void OnHelpContents();
    // Checks exactly the entries that failed or did not run in the last
    // batch.
    void OnCheckUnfinished();
    // Checks exactly the entries of saved selection nSet.
    void OnChooseSet(size_t nSet);
    // Saves today's marks as a selection into the catalogue, under a name
    // the technician gives.
    void OnSaveSet();

private:
    // Results of the details loader wait to be taken.
    static constexpr UINT kDetailsMessage = WM_APP + 1;
    // The category lists not built yet are built, a few at a time.
    static constexpr UINT kBuildListsMessage = WM_APP + 2;
    // The machine's answer of which entries are installed waits to be taken.
    static constexpr UINT kDetectionMessage = WM_APP + 3;

    // The catalogue's categories; null without a catalogue.
    SoftwareCategory* Categories() const noexcept;
    // Entry nEntry of the catalogue, numbered as the row model numbers it.
    SoftwareEntry& Entry(int nEntry) const noexcept;
    // The entry section entry nEntry lists: its place among the catalogue's
    // entry sections.
    int SectionOf(int nEntry) const noexcept;
    void OnSysCommand(UINT nID, LPARAM lp);
    void OnPaint();
    BOOL OnEraseBkgnd(HDC hDC);
    void OnGetMinMaxInfo(MINMAXINFO* pInfo) const noexcept;
    // The outer size the window opens at: the one remembered for the
    // catalogue, else the catalogue's, never less than the catalogue's;
    // bRemembered tells which.
    main_layout::Size StartSize(bool& bRemembered) const;
    // The window's restored outer size in 96-DPI pixels.
    main_layout::Size RestoredSize96() const;
    // The size is remembered for the catalogue when it has changed.
    void RememberSize() const;

    // Everything drawn at the screen scale, made anew at m_scale: the
    // font, the pictures, the icons, the buttons' and rows' sizes, the
    // columns.
    void LoadArtwork();
    void AssignButtonArt();
    void ApplyScale();
    // The window has been moved to a screen of another scale (nDpi; 0 when
    // the message carries none); pSuggested is where the system would have
    // it.
    void OnDpiChanged(int nDpi, const RECT* pSuggested);
    // The widths of the size and actions columns, measured in the shared
    // font at m_scale.
    void MeasureColumns();
    int MeasureText(const std::wstring& text) const;
    void SetColumnWidths(CListEx& list) const;
    void BuildImageLists();
    void BuildCategoryPane(const RECT& rcClient);
    void BuildEntryLists(const RECT& rcClient);
    void CreateEntryList(CListEx& list, UINT nID, bool bVisible, const RECT& rcClient);
    void DecorateEntryList(CListEx& list);
    void BuildCategoryList(int j);
    void BuildPendingLists();
    void CreateButtons();
    void CreateCount();
    void CreateSearch();
    // The search box's text changed: the all-software list shows what
    // matches it.
    void OnSearchChanged();
    void FocusSearch();
    // Tells the checked entries' count and size again.
    void UpdateSelectionCount();
    // The colours of the static texts on the window's background.
    LRESULT OnColorStatic(HDC hDC);
    void StartDetails();
    void OnDetailsArrived();
    void NoteIfLoaded();
    // Asks the machine again which entries are installed; bStart: the
    // answer may uncheck entries, and a restart's results are read back.
    void StartDetection(bool bStart);
    void OnDetectionArrived();
    // At the start, an entry section whose status says so is unchecked,
    // once; true when it was.
    bool ApplyStartCheck(size_t nSection, bool bAtStart);
    // The column of the entry lists that shows each row's status.
    static constexpr int kStatusColumn = 1;
    // A row's status text is asked of the window whenever it is shown.
    static void AskStatusText(CListEx& list, int nRow);
    // The size column's text of a row of entry list nList, answered from
    // the entry's status.
    void AnswerStatus(int nList, LVITEMW& item) const;
    // Each item's result onto the row of the entry it came from.
    void ShowResults(const std::vector<LoggedItem>& items, const std::vector<size_t>& sections);
    // Entry sections named by the items of a log (by name and line).
    std::vector<size_t> SectionsOfLoggedItems(const std::vector<LoggedItem>& items) const;
    void RepaintEntryLists();
    // After a batch's report: asks whether to check its unfinished entries.
    void OfferCheckUnfinished();

    // Fills m_arrBatch with that item of every checked entry, in catalogue
    // order (an entry listed twice, once), each resolved with its name.
    void CollectSelection(std::wstring SoftwareEntry::*pItem);
    // Runs a batch over m_arrBatch behind the progress window, the main
    // window hidden meanwhile; the batch writes its log. Afterwards each row
    // that took part shows its result, and the states are read again. A
    // row's install of one entry gives the link's name, which captions the
    // batch's messages.
    void RunBatch(int nMode, const std::wstring& strSavePath, const std::wstring& strRowCaption = {});
    // The menu under a button, nChecked marked, nGrayed greyed (0: none),
    // extended by extend when given.
    void OpenMenuUnder(UINT nMenu, const CWnd& button, UINT nChecked, UINT nGrayed,
                       void (CQuillsetDlg::*extend)(HMENU) const = nullptr);
    // The saved selections as items of the install-options menu, above its
    // last item.
    void AddSetItems(HMENU hPopup) const;
    void SetInstallMode(bool bAutomatic);

    void OnCategoryChanged(const NMLISTVIEW* pNm);
    void OnCategoryClick();
    // The check mark of a row of entry list nList, answered from the
    // catalogue.
    void AnswerCheck(int nList, LVITEMW& item) const;
    // A row's check mark changed: into the catalogue, which every list that
    // shows the entry answers from.
    void StoreCheck(int nList, const NMLISTVIEW* pNm);
    void SelectPaneRow(int nRow);
    void RecomputeSelectAll();
    // A click in an entry list: a link acts on the entry behind the row.
    void OnEntryClick(const NMITEMACTIVATE* pNm);
    // The menu of the focused row of the list on show, asked for by hFrom
    // from the keyboard (the Apps key, Shift+F10).
    void OnEntryMenuKey(HWND hFrom);
    // The menu of row nRow of the list on show at a point of the list: the
    // row's links as items. Header rows and empty space (-1) have none.
    void OpenRowMenu(int nRow, POINT pt);
    // Link nAction (numbered as the list numbers its links) of row nRow of
    // the list on show acts on the entry behind the row, however chosen.
    void ActOnRow(int nRow, int nAction);

    // Which entry each row of each list shows, made once from the catalogue.
    CRowModel m_rows;
    // What each entry section's rows say in the size column.
    std::vector<RowStatus> m_arrStatus;
    // The entry section of each item of m_arrBatch.
    std::vector<size_t> m_arrBatchSections;
    // What a save batch over m_arrBatch needs to make its folder a disc; set
    // when the window knows its catalogue file (m_strCatalogue).
    SaveDisc m_saveDisc;
    CDetectionLoader m_detection;
    // Per entry section: whether its start-up check has been decided.
    std::vector<bool> m_arrStartDecided;
    // The entry sections that failed or did not run in the last batch.
    std::vector<size_t> m_arrUnfinished;
    // Whether the answer on its way may uncheck entries (the start's).
    bool m_bDetectionAtStart = false;
    int m_nStatesRead = 0;
    // Per entry section of the catalogue, the entries (as the row model
    // numbers them) that list it.
    std::vector<std::vector<int>> m_arrListingsOf;
    // Lists 0 .. m_nListsBuilt - 1 exist; the rest are built after the
    // window shows, or when first chosen.
    int m_nListsBuilt = 0;
    RECT m_rcCreate{};
    dpi::Scale m_scale;
    int m_nActionWidth = 0;
    int m_nSizeWidth = 0;
    // The program's own icon, for a record whose icon file cannot be loaded.
    IconImage m_fallbackImage;
    CDetailsLoader m_loader;
    // Icons and sizes taken from the loader and not yet shown.
    std::deque<DetailResult> m_pendingDetails;
    // What each job of the loader reads for: an entry section (>= 0) or
    // category -j.
    std::vector<int> m_arrJobTargets;
    // The first jobs are those of the rows on show; how many of them are
    // still to be shown.
    size_t m_nJobsOnShow = 0;
    size_t m_nJobsOnShowLeft = 0;
    bool m_bDetailsLoaded = false;
    // Set while a row's action or a batch runs.
    bool m_bBusy = false;
    // The folder last saved to in this run: saving starts there next time.
    std::wstring m_strLastSaveFolder;
    // The window's restored size as it opened, in 96-DPI pixels.
    main_layout::Size m_openedSize96;
    // The window's background under its static texts.
    CBrush m_brBack;
    // What the search box matches, one key per entry as the row model
    // numbers them.
    std::vector<search_filter::SearchKey> m_arrSearchKeys;
};
