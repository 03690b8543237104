// The catalogue list: an owner-drawn report list view whose rows are entries
// (check box, icon, name, description, cells, action links) or category
// header rows, painted on row bitmaps, with hot tracking of the check area
// and of the action links.
//
// The control keeps per-row arrays (m_arrDescription, m_arrRowKind) and
// per-column arrays (m_arrColumnKind, m_arrAutoSize) parallel to the list
// view's items and columns, and counts header rows in m_nHeaderRows; the
// owner goes through InsertListColumn and InsertListItem, which do both sides
// at once. A row or column the arrays lack is shown as a plain one-line entry
// row or plain column.
//
// The check marks are the list view's own, or the owner's when the list
// view's callback mask holds the state images (LVM_SETCALLBACKMASK): then the
// owner answers them through LVN_GETDISPINFO and hears of every change made
// through the control (a click, Space, LVM_SETITEMSTATE) as LVN_ITEMCHANGING
// and LVN_ITEMCHANGED, and stores it.
//
// Bitmaps and image lists are lent by the owner, who keeps them alive as long
// as the control.
#pragma once

#include "platform/controls.h"
#include "platform/dpi.h"
#include "platform/handles.h"
#include "ui/controls/list_geometry.h"

#include <array>
#include <string>
#include <vector>

class CListEx : public CListCtrl {
public:
    CListEx() noexcept;
    ~CListEx() override;

    // Colours of the rows, by state, and of the background.
    enum Colour : int {
        Text,
        TextSelFocus,
        TextSelNoFocus,
        Desc,
        DescSelFocus,
        DescSelNoFocus,
        Link,
        LinkSelFocus,
        LinkSelNoFocus,
        RowBack,
        Erase,
        kColourCount
    };
    COLORREF Color(Colour colour) const noexcept;
    // Sets a colour and repaints; a colour that does not exist is left alone.
    void SetColor(Colour colour, COLORREF cr);

    // The model, row by row and column by column; rows and columns the model
    // lacks read as plain one-line entry rows and plain columns.
    DWORD RowKind(int nItem) const noexcept;
    std::wstring Description(int nItem) const;
    // Replaces a row's description and repaints; false for a row the model
    // lacks.
    bool SetDescription(int nItem, const std::wstring& description);
    int HeaderRows() const noexcept { return m_nHeaderRows; }
    DWORD ColumnKind(int nCol) const noexcept;
    const std::vector<DWORD>& ColumnKinds() const noexcept { return m_arrColumnKind; }
    const std::vector<DWORD>& AutoSizeFlags() const noexcept { return m_arrAutoSize; }
    // The link lists in use, and list k (empty beyond them).
    int LinkColumns() const noexcept { return m_nLinkColumns; }
    const std::vector<std::wstring>& LinkList(int k) const noexcept;
    // The layout mode (kModePane for the category pane) and drawing flags.
    DWORD Mode() const noexcept { return m_dwMode; }
    void SetMode(DWORD dwMode);
    // The screen scale rows are laid out at; 96 DPI until set.
    const dpi::Scale& Scale() const noexcept { return m_scale; }
    void SetScale(const dpi::Scale& scale);
    DWORD DrawFlags() const noexcept { return m_dwDrawFlags; }

    // What the pointer is over: column 0's check area, and the link (its
    // 1-based number in its cell and its column's kind; 0 = none).
    bool CheckHot() const noexcept { return m_bCheckHot != FALSE; }
    int HotLink() const noexcept { return m_nHotLink; }
    int HotLinkKind() const noexcept { return m_nHotLinkKind; }

    // Owner helpers that keep the model parallel: a column with its kind and
    // auto-size flag (a multi-link column with its link list: refused at
    // column 0 and while 10 lists are in use); a row with its kind and
    // description (a header row also counts in m_nHeaderRows). Results as the
    // list view's insertions; -1 leaves the model unchanged.
    int InsertListColumn(int nCol, const std::wstring& heading, int nFormat, int nWidth, DWORD dwKind = 0,
                         DWORD dwAutoSize = 0);
    int InsertListItem(int nItem, const std::wstring& text, DWORD dwKind, const std::wstring& description,
                       int nImage = 0);

    // Row height answered to the list view (0 = its own), applied at once.
    void SetRowHeight(int nHeight);
    void SetEntryBitmaps(const std::array<HBITMAP, 9>& bitmaps);
    // The three header row images (middle, left, right) serve every state.
    void SetHeaderBitmaps(HBITMAP hMiddle, HBITMAP hLeft, HBITMAP hRight);
    void SetEraseBitmap(HBITMAP hBitmap);
    // 0 leaves the colour unchanged.
    void SetEraseColor(COLORREF cr);
    void SetLinkColorSelFocus(COLORREF cr);
    void SetDrawFlags(DWORD dwFlags);
    // Sets the check state of every entry row; header rows keep theirs.
    void SetAllChecks(BOOL bOn);
    // Fits the column to its widest cell and keeps it fitted on later
    // changes; the list view's result, 0 for a column that does not exist.
    int AutoSizeColumn(int nCol);
    // Sets a cell's text; column 0 clears the row's description, any other
    // column takes dwKind as its kind (a multi-link column loses its links).
    // The list view's result; 0 for a cell that does not exist, and for a
    // new multi-link column while 10 link lists are in use.
    int SetCellText(int nItem, int nCol, const std::wstring& text, DWORD dwKind);
    // Makes column 2 a link column showing these links in every row: one
    // link is a single-link column, more make a multi-link column. The list
    // view's result; 0 when refused (no links, no such row, fewer than three
    // columns, 10 link lists in use).
    int SetLinks(int nItem, const std::vector<std::wstring>& links);

    // A list made with LVS_OWNERDATA keeps every row's texts and image
    // itself and can show some of its rows only: ShowRows shows the rows
    // given (indices of the rows as inserted, in the order given), ShowAllRows
    // every row again. Nothing is inserted or removed; the list view only
    // learns its new count. Row numbers everywhere else are of the rows on
    // show. A list of another kind shows all its rows.
    void ShowRows(std::vector<int> rows);
    void ShowAllRows();
    bool ShowsSomeRows() const noexcept { return m_bSomeRows; }
    // The row as inserted that row nItem on show is; -1 for none.
    int ModelRow(int nItem) const noexcept;
    // The line painted in the middle of the list while it shows no row;
    // empty paints none.
    void SetEmptyText(const std::wstring& text);

    // Shortens text to the width of box in the control's font.
    std::wstring FitText(const std::wstring& text, const RECT& box) const;
    // The tooltip that shows a name or description drawn cut short whole
    // while the pointer rests on it; null until the pointer first moves
    // over the list.
    HWND WholeTextTip() const noexcept { return m_tipWhole.m_hWnd; }
    // Paints one row.
    virtual void DrawItem(const DRAWITEMSTRUCT* pDis);
    // Repaints the focused and selected rows in the palette of the current
    // focus state.
    void RepaintSelection();

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    BOOL OnNotify(WPARAM wp, LPARAM lp, LRESULT* pResult) override;
    bool OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* pResult) override;

private:
    // Link lists there are at most.
    static constexpr int kMaxLinkLists = 10;
    // The colour members in the order of Colour.
    static COLORREF CListEx::* const kColourMembers[kColourCount];

    // Queries straight to the list view, past this object's own handling.
    LRESULT Ask(UINT msg, WPARAM wp, LPARAM lp) noexcept;
    RECT ItemRect(int nItem, int nCode) noexcept;
    // The rectangle the rows on show paint whole; empty when one of them is
    // a row that is not painted.
    RECT PaintedRows() noexcept;
    std::wstring ItemText(int nItem, int nSubItem);
    bool GetColumnFormat(int nCol, int* pFormat, int* pWidth) noexcept;
    std::wstring FitText(HDC hDC, const std::wstring& text, const RECT& box) const;

    // Finds the check area or link under (x, y): m_bCheckHot, m_nHotLink
    // and m_nHotLinkKind.
    void HitTest(int x, int y);
    void HitTestColumns(int nItem, int x, int y, const RECT& label, const list_geometry::EntryRowLayout& row);
    // The rectangles of a row as painted, from the list view's bounds, label
    // and icon rectangles of the row.
    list_geometry::EntryRowLayout RowLayout(int nItem, const RECT& bounds, const RECT& label,
                                            const RECT& icon) const;
    // Where the links of a link cell lie, measured in hDC's font (the
    // control's normal font, made from font), the cell's text box being text.
    std::vector<RECT> LinkRectsOf(HDC hDC, const LOGFONTW& font, int nItem, int nCol, const RECT& cell, const RECT& text);
    void OnLButton(UINT msg, WPARAM wp, LPARAM lp);
    void OnClick(const NMITEMACTIVATE* pNm);
    void ToggleCheck(int nItem);
    // Whether the owner keeps the check marks (the callback mask holds the
    // state images; the owner answers them through LVN_GETDISPINFO).
    bool OwnerKeepsChecks() noexcept;
    // A change of the state images the owner keeps, sent to the owner as
    // the change notices of nItem (-1 for every row); the other state bits
    // go to the list view.
    LRESULT SetOwnerCheckStates(WPARAM wp, const LVITEMW& item);
    LRESULT NotifyCheckChange(UINT nCode, int nItem, UINT nOld, UINT nNew);
    bool RefusesCheckChange(const NMLISTVIEW* pNm) const noexcept;
    // The keys that move the focus pass over header rows, and Space on a
    // header row changes nothing; true when the key was dealt with.
    bool OnKeyDown(WPARAM wp, LPARAM lp);
    // A key going down or coming up; true when the list dealt with it. Any
    // key down shows focus cues from then on. The Apps key and Shift+F10
    // ask the parent for the focused row's menu (WM_CONTEXTMENU with no
    // point), once per press on every platform.
    bool OnKey(UINT msg, WPARAM wp, LPARAM lp);
    // Gives the first entry row the focus (not the selection) when no row
    // has it.
    void FocusFirstEntryRow();
    LRESULT OnEraseBkgnd(HDC hDC);
    bool OwnerData() const noexcept { return (GetStyle() & LVS_OWNERDATA) != 0; }
    // A cell's text into the list view, or for an owner-data list into the
    // control's own rows.
    bool StoreCellText(int nItem, int nCol, const std::wstring& text);
    // An owner-data list answers the list view's question for a row's texts
    // and image.
    void AnswerRow(LVITEMW& item) const;
    void PaintEmptyText();

    // The name and the description of an entry row as it is painted: each
    // text whole, the box it is drawn in and what is drawn there (shortened
    // to the box). Painting and the whole-text tooltip both ask this.
    struct PaintedText {
        std::wstring whole;
        RECT box{};
        std::wstring drawn;
        bool bName = false;
    };
    std::vector<PaintedText> EntryTexts(HDC hDC, const LOGFONTW& font, int nItem,
                                        const list_geometry::EntryRowLayout& row, const std::wstring& name,
                                        const std::wstring& description);
    // The pointer moved or pressed over the list: the tooltip learns which
    // text cut short, if any, lies under it, then sees the message.
    void TrackWholeText(UINT msg, WPARAM wp, LPARAM lp);
    // The text drawn cut short at (x, y) and its box; false when none is.
    bool CutTextAt(int x, int y, PaintedText& found);
    CToolTipCtrl m_tipWhole;
    // The rows of an owner-data list: per row its cells' texts and its
    // image; and the rows on show when only some are.
    std::vector<std::vector<std::wstring>> m_arrCells;
    std::vector<int> m_arrImage;
    std::vector<int> m_arrShown;
    bool m_bSomeRows = false;
    std::wstring m_strEmpty;
    // The box and text the tooltip answers for now; an empty box: none.
    RECT m_rcTip{};
    std::wstring m_strTip;
    LRESULT OnPaint(WPARAM wp, LPARAM lp);

    // Invalidates the whole control when it is on show.
    void RepaintIfShown() const noexcept;

    // Inserts an empty list at k, moving lists k.. up one place; false and
    // nothing changes when k is beyond the lists in use or 10 are in use.
    bool InsertLinkList(int k);
    void RemoveLinkList(int k);

    // Row painting.
    struct RowPaint;
    void PaintBackground(const RowPaint& paint, const RECT& bounds, const std::array<HBITMAP, 9>& table) const;
    void PaintHeaderRow(const RowPaint& paint, const RECT& label, const RECT& icon);
    void PaintEntryRow(const RowPaint& paint, const RECT& label, const RECT& icon);
    void PaintCells(const RowPaint& paint, int x, const RECT& text);

    // Whether the list view is handling a press of the left button, during
    // which it may not change check states, and whether the control itself
    // is toggling one.
    bool m_bPressing = false;
    bool m_bToggling = false;

    // A text fitted to a box, kept until the text, the box's width or the
    // control's font changes: a long text is measured once per width.
    struct FittedText {
        std::wstring text;
        int nWidth = -1;
        LOGFONTW font{};
        std::wstring fitted;
    };
    // Two per row: the name, then the description.
    std::vector<FittedText> m_arrFitted;
    // The normal, bold and underlined fonts rows are painted in, made from
    // the control's font and kept until that font changes.
    struct RowFonts {
        LOGFONTW font{};
        CFont normal;
        CFont bold;
        CFont underline;
    };
    RowFonts m_rowFonts;
    // The widths of the last link cell measured: the same links in the same
    // font in every row are measured once.
    struct LinkWidths {
        LOGFONTW font{};
        std::wstring cellText;
        std::vector<std::wstring> links;
        int nGroup = -1;
        int nSeparator = 0;
        std::vector<int> widths;
    };
    LinkWidths m_linkWidths;
    const RowFonts& RowFontsFor(const LOGFONTW& font);
    const std::wstring& Fitted(HDC hDC, const LOGFONTW& font, size_t nSlot, const std::wstring& text, const RECT& box);

    // The model; see the header comment for who keeps what.
    BOOL m_bCheckHot = FALSE;   // the pointer is over column 0's check area
    int m_nHotLinkKind = 0;     // column kind of the link under the pointer; 0 = none
    int m_nHotLink = 0;         // 1-based number of that link in its cell; 0 = none
    COLORREF m_crText;
    COLORREF m_crTextSelFocus;
    COLORREF m_crTextSelNoFocus;
    COLORREF m_crDesc;
    COLORREF m_crDescSelFocus;
    COLORREF m_crDescSelNoFocus;
    COLORREF m_crLink;
    COLORREF m_crLinkSelFocus;
    COLORREF m_crLinkSelNoFocus;
    COLORREF m_crRowBack;
    COLORREF m_crErase;
    int m_nHeaderRows = 0;
    std::vector<std::wstring> m_arrDescription;
    std::array<std::vector<std::wstring>, 10> m_arrLinkLists;
    std::vector<DWORD> m_arrColumnKind;
    std::vector<DWORD> m_arrRowKind;
    int m_nLinkColumns = 0;
    int m_nRowHeight = 0;
    dpi::Scale m_scale;
    std::vector<DWORD> m_arrAutoSize;
    DWORD m_dwMode = 0;
    DWORD m_dwDrawFlags = 0;
    HBITMAP m_pEraseBitmap = nullptr;
    // Middle pieces for not selected, selected with focus, selected without
    // focus; then the left pieces; then the right pieces.
    std::array<HBITMAP, 9> m_pEntryBitmaps{};
    std::array<HBITMAP, 9> m_pHeaderBitmaps{};
};
