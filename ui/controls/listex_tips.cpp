// Whole texts over the catalogue list: a name or description painted cut
// short shows whole in a tooltip while the pointer rests on it.
#include "ui/controls/ListEx.h"

#include "ui/controls/list_text.h"

#include <windowsx.h>

using namespace list_geometry;
using namespace list_text;

namespace {

// The one tool of the tooltip: the box of the text under the pointer.
constexpr UINT_PTR kWholeTextTool = 1;
// Wider tips wrap (96-DPI pixels).
constexpr int kTipWidth = 480;

bool SameRect(const RECT& a, const RECT& b) noexcept
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

} // namespace

bool CListEx::CutTextAt(int x, int y, PaintedText& found)
{
    const int count = GetItemCount();
    if (count <= 0 || (m_dwMode & kModePane))
        return false;
    const RECT first = ItemRect(0, LVIR_LABEL);
    const auto [from, to] = CandidateRows(y, first.top, first.bottom - first.top, count);
    for (int r = from; r <= to; ++r) {
        const RECT label = ItemRect(r, LVIR_LABEL);
        if (y < label.top || y >= label.bottom || RowKind(r) != kRowEntry)
            continue;
        RECT bounds = ItemRect(r, LVIR_BOUNDS);
        bounds.left = 0;
        const EntryRowLayout row = RowLayout(r, bounds, label, ItemRect(r, LVIR_ICON));
        // Measured as the row is painted: in the normal font.
        const CMeasureDC dc(m_hWnd);
        const LOGFONTW font = ControlLogFont(reinterpret_cast<HFONT>(Ask(WM_GETFONT, 0, 0)));
        for (PaintedText& text : EntryTexts(dc.Get(), font, r, row, ItemText(r, 0), Description(r))) {
            if (text.drawn != text.whole && Contains(text.box, x, y)) {
                found = std::move(text);
                return true;
            }
        }
    }
    return false;
}

void CListEx::TrackWholeText(UINT msg, WPARAM wp, LPARAM lp)
{
    if (!m_tipWhole.m_hWnd) {
        if (!m_tipWhole.Create(m_hWnd, TTS_NOPREFIX))
            return;
        // Not subclassing the list: the tool is fed the pointer's messages
        // below, after its box has been brought up to date, never before.
        wchar_t empty[1] = L"";
        TTTOOLINFOW ti{};
        ti.cbSize = sizeof(ti);
        ti.hwnd = m_hWnd;
        ti.uId = kWholeTextTool;
        ti.lpszText = empty;
        m_tipWhole.SendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    }
    m_tipWhole.SetFont(reinterpret_cast<HFONT>(Ask(WM_GETFONT, 0, 0)), FALSE);
    m_tipWhole.SendMessage(TTM_SETMAXTIPWIDTH, 0, m_scale.Px(kTipWidth));

    PaintedText found;
    const bool bCut = msg == WM_MOUSEMOVE && CutTextAt(GET_X_LPARAM(lp), GET_Y_LPARAM(lp), found);
    const RECT box = bCut ? found.box : RECT{};
    if (!SameRect(box, m_rcTip) || (bCut && found.whole != m_strTip)) {
        m_tipWhole.SendMessage(TTM_POP);
        m_rcTip = box;
        m_strTip = bCut ? found.whole : std::wstring();
        TTTOOLINFOW ti{};
        ti.cbSize = sizeof(ti);
        ti.hwnd = m_hWnd;
        ti.uId = kWholeTextTool;
        ti.rect = box;
        m_tipWhole.SendMessage(TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&ti));
        m_tipWhole.UpdateTipText(m_hWnd, m_strTip, kWholeTextTool);
    }
    MSG relayed{m_hWnd, msg, wp, lp, static_cast<DWORD>(::GetMessageTime()), {}};
    ::GetCursorPos(&relayed.pt);
    m_tipWhole.RelayEvent(&relayed);
}
