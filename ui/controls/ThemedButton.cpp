#include "ui/controls/ThemedButton.h"

#include <uxtheme.h>

namespace {

using PfnIsAppThemed = BOOL(WINAPI*)();
using PfnOpenThemeData = HTHEME(WINAPI*)(HWND, LPCWSTR);
using PfnDrawThemeParentBackground = HRESULT(WINAPI*)(HWND, HDC, const RECT*);
using PfnDrawThemeBackground = HRESULT(WINAPI*)(HTHEME, HDC, int, int, const RECT*, const RECT*);
using PfnCloseThemeData = HRESULT(WINAPI*)(HTHEME);

// Stand-ins for entry points the library lacks.
BOOL WINAPI StubIsAppThemed()
{
    return FALSE;
}
HTHEME WINAPI StubOpenThemeData(HWND, LPCWSTR)
{
    return nullptr;
}
HRESULT WINAPI StubDrawThemeParentBackground(HWND, HDC, const RECT*)
{
    return S_OK;
}
HRESULT WINAPI StubDrawThemeBackground(HTHEME, HDC, int, int, const RECT*, const RECT*)
{
    return E_FAIL;
}
HRESULT WINAPI StubCloseThemeData(HTHEME)
{
    return E_FAIL;
}

// The entry point of that name in the module, or the stand-in.
template <typename TFunction>
TFunction EntryPoint(const CThemeLibrary* pLibrary, const char* pszName, TFunction pfnStub) noexcept
{
    HMODULE hModule = pLibrary ? pLibrary->hModule : nullptr;
    FARPROC pfn = hModule ? ::GetProcAddress(hModule, pszName) : nullptr;
    if (!pfn)
        return pfnStub;
    return reinterpret_cast<TFunction>(reinterpret_cast<void (*)()>(pfn));
}

} // namespace

CThemedButton::CThemedButton()
{
    SetBorder(FALSE);
}

bool CThemedButton::IsThemed() const
{
    if (!m_pThemeLibrary)
        return false;
    return EntryPoint<PfnIsAppThemed>(m_pThemeLibrary, "IsAppThemed", &StubIsAppThemed)() != FALSE;
}

int CThemedButton::PaintBorder(HDC hDC, RECT& rc)
{
    if (IsThemed())
        return 0;
    return CSkinButton::PaintBorder(hDC, rc);
}

int CThemedButton::PaintBackground(HDC hDC, RECT& rc)
{
    if (!IsThemed())
        return CSkinButton::PaintBackground(hDC, rc);
    const auto pfnOpen = EntryPoint<PfnOpenThemeData>(m_pThemeLibrary, "OpenThemeData", &StubOpenThemeData);
    HTHEME hTheme = pfnOpen(m_hWnd, m_bToolbarLook ? L"TOOLBAR" : L"BUTTON");
    if (!hTheme)
        return CSkinButton::PaintBackground(hDC, rc);
    const int nState = button_drawing::ThemedState(IsDefault(), m_bToolbarLook, Border(), MouseOver(), Pressed(),
                                                   Disabled());
    EntryPoint<PfnDrawThemeParentBackground>(m_pThemeLibrary, "DrawThemeParentBackground",
                                             &StubDrawThemeParentBackground)(m_hWnd, hDC, &rc);
    EntryPoint<PfnDrawThemeBackground>(m_pThemeLibrary, "DrawThemeBackground", &StubDrawThemeBackground)(
        hTheme, hDC, 1, nState, &rc, nullptr);
    EntryPoint<PfnCloseThemeData>(m_pThemeLibrary, "CloseThemeData", &StubCloseThemeData)(hTheme);
    return 0;
}
