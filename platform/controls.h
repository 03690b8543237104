// The common controls the program's windows are made of, as thin wrappers
// over their window messages.
#pragma once

#include "platform/wnd.h"

#include <commctrl.h>

#include <string>

class CButton : public CWnd {
public:
    bool Create(const wchar_t* pszCaption, DWORD dwStyle, const RECT& rc, HWND hParent, UINT nID)
    {
        return CreateEx(0, WC_BUTTONW, pszCaption, dwStyle, rc, hParent, nID);
    }
};

class CProgressCtrl : public CWnd {
public:
    bool Create(DWORD dwStyle, const RECT& rc, HWND hParent, UINT nID)
    {
        return CreateEx(0, PROGRESS_CLASSW, L"", dwStyle, rc, hParent, nID);
    }
};

class CToolTipCtrl : public CWnd {
public:
    // A tooltip window owned by hParent; it goes when hParent goes.
    bool Create(HWND hParent, DWORD dwStyle);
    bool AddTool(HWND hTool, const std::wstring& text, const RECT& rc, UINT_PTR nIDTool);
    void UpdateTipText(HWND hTool, const std::wstring& text, UINT_PTR nIDTool);
    int GetToolCount() const noexcept { return static_cast<int>(SendMessage(TTM_GETTOOLCOUNT)); }
    void Activate(BOOL bActivate) const noexcept { SendMessage(TTM_ACTIVATE, bActivate); }
    void RelayEvent(MSG* pMsg) const noexcept { SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(pMsg)); }
};

class CListCtrl : public CWnd {
public:
    bool Create(DWORD dwStyle, const RECT& rc, HWND hParent, UINT nID)
    {
        return CreateEx(0, WC_LISTVIEWW, L"", dwStyle, rc, hParent, nID);
    }
    int GetItemCount() const noexcept { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
    int InsertColumn(int nCol, const std::wstring& heading, int nFormat, int nWidth);
    int InsertItem(int nItem, const std::wstring& text, int nImage = -1);
    bool SetItemText(int nItem, int nSubItem, const std::wstring& text);
    std::wstring GetItemText(int nItem, int nSubItem) const;
    bool GetItemRect(int nItem, RECT* pRect, int nCode) const noexcept;
    bool GetCheck(int nItem) const noexcept;
    bool SetCheck(int nItem, bool bCheck) noexcept;
    UINT GetItemState(int nItem, UINT nMask) const noexcept;
    bool SetItemState(int nItem, UINT nState, UINT nMask) noexcept;
    DWORD SetExtendedStyle(DWORD dwExStyle) noexcept;
    HIMAGELIST SetImageList(HIMAGELIST hImages, int nKind) noexcept;
    HIMAGELIST GetImageList(int nKind) const noexcept;
    int GetColumnWidth(int nCol) const noexcept;
    bool SetColumnWidth(int nCol, int cx) noexcept;
    HWND GetHeaderCtrl() const noexcept;
};
