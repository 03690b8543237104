// Measuring text the way the catalogue list measures it: in the control's
// own font, or in a font made from it.
#pragma once

#include "platform/handles.h"

#include <string>

namespace list_text {

int TextWidth(HDC hDC, const std::wstring& text) noexcept;


// The logical font of a control's font: the stock GUI font when it has none.
LOGFONTW ControlLogFont(HFONT hFont) noexcept;

// Whether two logical fonts are the same font, field by field.
bool SameLogFont(const LOGFONTW& a, const LOGFONTW& b) noexcept;

// The logical font with another weight (0 keeps it) and underline.
CFont MakeFont(LOGFONTW lf, LONG weight, BYTE underline) noexcept;


// A screen context with the control's font selected, for measuring text.
class CMeasureDC {
public:
    explicit CMeasureDC(HWND hWnd) noexcept;
    HDC Get() const noexcept { return m_dc.Get(); }
    int Width(const std::wstring& text) const noexcept { return TextWidth(m_dc.Get(), text); }

private:
    CClientDC m_dc;
    CFont m_font;
    CSelectObject m_select;
};

} // namespace list_text
