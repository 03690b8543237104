// A push button that paints itself: state colours, a hot and a normal image,
// hover tracking for flat buttons, a tooltip, a two-state check mode, and a
// link or drop-down menu opened by a click.
#pragma once

#include "platform/controls.h"
#include "platform/handles.h"
#include "ui/controls/button_drawing.h"

#include <optional>
#include <string>

class CSkinButton : public CButton {
public:
    using enum button_drawing::ColorSlot;

    // Results of AssignBitmaps.
    enum AssignResult : int { AssignOk = 0, ImageInvalid = 1, MaskFailed = 2 };

    // An icon of the pair; the button owns the icon.
    struct IconEntry {
        CIcon hIcon;
        DWORD dwWidth = 0;
        DWORD dwHeight = 0;
    };
    // A bitmap of the pair with its mask; the button owns both.
    struct BitmapEntry {
        CBitmap hBitmap;
        DWORD dwWidth = 0;
        DWORD dwHeight = 0;
        CBitmap hMask;
        COLORREF crTransparent = RGB(0, 0, 0);
    };
    // The message sent before the drop-down menu opens; its wParam is
    // replaced by the submenu's handle. A null window sends nothing.
    struct MenuNotify {
        HWND hWnd = nullptr;
        UINT nMessage = 0;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
    };

    CSkinButton();
    ~CSkinButton() override;

    // Takes ownership of both bitmaps (either may be null) and builds their
    // masks. A normal bitmap without a hot one is ignored. Returns AssignOk,
    // or ImageInvalid / MaskFailed, in which case the button has no images.
    int AssignBitmaps(HBITMAP hHot, HBITMAP hNormal);
    // Shows text as the button's tooltip; null does nothing.
    void AssignTooltip(const wchar_t* pszText);
    // Creates the (inactive) tooltip window once.
    void EnsureTooltip();
    // Destroys every icon, bitmap and mask of the pairs.
    void ReleaseImages() noexcept;
    // Turns the hover state of a flat button off.
    void EndHover();

    BOOL PreTranslateMessage(MSG* pMsg) override;

    // Configuration the design leaves to owners, through member functions.
    void SetColor(int nSlot, COLORREF cr) noexcept;
    COLORREF Color(int nSlot) const noexcept;
    // The link a click opens, cut to MAX_PATH - 1 characters; null clears it.
    void SetLink(const wchar_t* pszLink) noexcept;
    const wchar_t* Link() const noexcept { return m_szLink; }
    void SetFlat(BOOL bFlat) noexcept { m_bFlat = bFlat; }
    void SetBorder(BOOL bBorder) noexcept { m_bBorder = bBorder; }
    BOOL Border() const noexcept { return m_bBorder; }
    void SetCopyParentBack(BOOL bCopy) noexcept { m_bCopyParentBack = bCopy; }
    // Whether the parent's pixels under the button have been captured.
    bool HasParentBackground() const noexcept { return static_cast<bool>(m_dcBack); }
    // Takes ownership of an icon of the pair (0 hot, 1 normal) of the given
    // size; an entry that does not exist is left alone and the icon goes.
    void AssignIcon(int nEntry, CIcon hIcon, DWORD dwWidth, DWORD dwHeight) noexcept;
    // Takes ownership of a drop-down menu opened by a click, owned by
    // hOwner, with the message sent before it opens.
    void AssignDropMenu(CMenu hMenu, HWND hOwner, const MenuNotify& notify) noexcept;
    HMENU DropMenu() const noexcept { return m_hDropMenu.Get(); }
    // The text painted beside the images, for images that draw the label
    // themselves: the window text stays the whole label that screen readers
    // speak and that carries the mnemonic. Without one the window text is
    // painted.
    void SetPaintedText(std::wstring text) { m_paintedText = std::move(text); }

    // States.
    int Checked() const noexcept { return m_nChecked; }
    // The check state, 0 or 1; setting it repaints the button. Only a
    // check-mode button's clicks and BM_SETCHECK change it.
    void SetChecked(int nChecked);
    BOOL IsCheckMode() const noexcept { return m_bCheckMode; }
    BOOL IsDefault() const noexcept { return m_bDefault; }
    BOOL MouseOver() const noexcept { return m_bMouseOver; }
    BOOL MenuShown() const noexcept { return m_bMenuShown; }
    // The flags of the paint in progress or last done.
    BOOL Pressed() const noexcept { return m_bPressed; }
    BOOL Focused() const noexcept { return m_bFocused; }
    BOOL Disabled() const noexcept { return m_bDisabled; }
    // The tooltip window; null until the first message.
    HWND TooltipWindow() const noexcept { return m_tooltip.m_hWnd; }
    // The bitmaps of the pair: 0 hot, 1 normal.
    const BitmapEntry& Bitmap(int nEntry) const noexcept { return m_bitmaps[nEntry == 0 ? 0 : 1]; }


protected:
    void PreSubclassWindow() override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    bool OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* pResult) override;

    // Paints the button for one owner-draw request.
    virtual void DrawItem(const DRAWITEMSTRUCT& dis);
    // The paint hooks, in the order DrawItem calls them.
    virtual int PaintBackground(HDC hDC, RECT& rc);
    virtual int PaintBorder(HDC hDC, RECT& rc);
    virtual void PaintIcon(HDC hDC, BOOL bHasCaption, const RECT& rcItem, RECT& rcCaption, BOOL bPressed,
                           BOOL bDisabled);
    virtual void PaintBitmap(HDC hDC, BOOL bHasCaption, const RECT& rcItem, RECT& rcCaption, BOOL bPressed,
                             BOOL bDisabled);
    virtual void PaintText(HDC hDC, const std::wstring& caption, const RECT& rcItem, RECT& rcCaption,
                           BOOL bPressed, BOOL bDisabled);

    // Where an image of the given size goes; moves the caption's rectangle.
    RECT PlaceImage(BOOL bHasCaption, BOOL bPressed, DWORD dwWidth, DWORD dwHeight, const RECT& rcItem,
                    RECT& rcCaption) const;
    // Copies the parent's pixels under the button once, then paints them.
    void CaptureParentBackground(HDC hDC);
    // A blank monochrome bitmap of the given size; null when it cannot be made.
    static CBitmap BuildMask(HBITMAP hBitmap, DWORD dwWidth, DWORD dwHeight);

private:
    BOOL m_bShowDisabledImage = TRUE;
    POINT m_ptImageOrigin{3, 3};
    POINT m_ptPressShift{1, 1};
    BOOL m_bFlat = TRUE;
    BOOL m_bMouseOver = FALSE;
    BOOL m_bCopyParentBack = FALSE;
    BOOL m_bPressed = FALSE;
    BOOL m_bFocused = FALSE;
    BOOL m_bDisabled = FALSE;
    BOOL m_bDefault = FALSE;
    BOOL m_bCheckMode = FALSE;
    BYTE m_nImageAlign = 0;
    BOOL m_bBorder = TRUE;
    COLORREF m_crColors[button_drawing::kColorSlotCount] = {};
    HWND m_hMenuOwner = nullptr;
    std::optional<std::wstring> m_paintedText;
    BOOL m_bMenuShown = FALSE;
    CMenu m_hDropMenu;
    CCursor m_hAssignedCursor;
    CToolTipCtrl m_tooltip;
    CMemDC m_dcBack;
    CBitmap m_bmpBack;
    HGDIOBJ m_hOldBackBitmap = nullptr;
    BOOL m_bTrackAlways = TRUE;
    int m_nChecked = 0;
    DWORD m_dwTipStyle = 0;
    wchar_t m_szLink[MAX_PATH] = {};
    IconEntry m_icons[2];
    BitmapEntry m_bitmaps[2];
    MenuNotify m_menuNotify;

    void ResetColors() noexcept;
    void DropParentBackground() noexcept;
    int StoreBitmap(int nEntry, HBITMAP hBitmap);
    void OnMouseMove(UINT nFlags, POINT pt);
    void OnClicked();
    void ShowDropMenu();
    void OnEnable(BOOL bEnable);
    LRESULT OnSetStyle(WPARAM wp, LPARAM lp);
};
