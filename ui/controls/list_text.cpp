#include "ui/controls/list_text.h"

#include <cstring>

namespace list_text {

int TextWidth(HDC hDC, const std::wstring& text) noexcept
{
    SIZE size{};
    ::GetTextExtentPoint32W(hDC, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

// The logical font of a control's font: the stock GUI font when it has none.
LOGFONTW ControlLogFont(HFONT hFont) noexcept
{
    LOGFONTW lf{};
    if (!hFont || !::GetObjectW(hFont, sizeof(lf), &lf))
        ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    return lf;
}

CFont MakeFont(LOGFONTW lf, LONG weight, BYTE underline) noexcept
{
    lf.lfWeight = weight == 0 ? lf.lfWeight : weight;
    lf.lfUnderline = underline;
    return CFont(::CreateFontIndirectW(&lf));
}


bool SameLogFont(const LOGFONTW& a, const LOGFONTW& b) noexcept
{
    return std::memcmp(&a, &b, sizeof(LOGFONTW)) == 0;
}

CMeasureDC::CMeasureDC(HWND hWnd) noexcept
    : m_dc(hWnd),
      m_font(MakeFont(ControlLogFont(reinterpret_cast<HFONT>(::SendMessageW(hWnd, WM_GETFONT, 0, 0))), 0, FALSE)),
      m_select(m_dc.Get(), m_font.Get())
{
}

} // namespace list_text
