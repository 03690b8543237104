// The skinned button of every window of the program: no flat border, and a
// background drawn by the visual-styles engine when a theme library is
// attached and the application runs themed.
#pragma once

#include "ui/controls/SkinButton.h"

// A loaded visual-styles library. The button only reads it; whoever attaches
// it keeps it alive and frees it.
struct CThemeLibrary {
    const wchar_t* pszModuleName = L"uxtheme.dll";
    HMODULE hModule = nullptr; // null when the library is absent
};

class CThemedButton : public CSkinButton {
public:
    CThemedButton();

    // The theme library holder (not owned; null: never themed) and the
    // toolbar look.
    void SetThemeLibrary(CThemeLibrary* pLibrary) noexcept { m_pThemeLibrary = pLibrary; }
    void SetToolbarLook(BOOL bToolbar) noexcept { m_bToolbarLook = bToolbar; }

    // Whether the next paint goes through the visual-styles engine.
    bool IsThemed() const;

protected:
    int PaintBackground(HDC hDC, RECT& rc) override;
    int PaintBorder(HDC hDC, RECT& rc) override;

private:
    CThemeLibrary* m_pThemeLibrary = nullptr;
    BOOL m_bToolbarLook = FALSE;
};
