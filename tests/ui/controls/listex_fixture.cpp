#include "tests/ui/controls/listex_fixture.h"

#include "res/resource.h"
#include "tests/support/test_support.h"

namespace listex_test {

CFont MakeDialogFont()
{
    LOGFONTW lf{};
    lf.lfHeight = -12; // 9 points at 96 dots per inch
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    ::lstrcpynW(lf.lfFaceName, L"Tahoma", LF_FACESIZE);
    return CFont(::CreateFontIndirectW(&lf));
}

CBitmap SolidBitmap(int cx, int cy, COLORREF cr)
{
    CClientDC screen(nullptr);
    CBitmap bitmap(::CreateCompatibleBitmap(screen.Get(), cx, cy));
    CMemDC mem(::CreateCompatibleDC(screen.Get()));
    CSelectObject select(mem.Get(), bitmap.Get());
    CBrush brush(::CreateSolidBrush(cr));
    RECT rc{0, 0, cx, cy};
    ::FillRect(mem.Get(), &rc, brush.Get());
    return bitmap;
}

CImageList SolidImages(int size, const std::vector<COLORREF>& colours)
{
    CImageList images(::ImageList_Create(size, size, ILC_COLOR24, 0, 4));
    for (COLORREF cr : colours) {
        const CBitmap bitmap = SolidBitmap(size, size, cr);
        ::ImageList_Add(images.Get(), bitmap.Get(), nullptr);
    }
    return images;
}

std::vector<std::wstring> ActionNames()
{
    return {LoadStringResource(IDS_ACTION_MANUAL), LoadStringResource(IDS_ACTION_AUTO),
            LoadStringResource(IDS_ACTION_SAVE)};
}

std::vector<std::wstring> TestLinks()
{
    return {L"Install", L"Setup", L"Save"};
}

int TextWidth(HFONT hFont, const std::wstring& text)
{
    CClientDC screen(nullptr);
    CSelectObject select(screen.Get(), hFont);
    SIZE size{};
    ::GetTextExtentPoint32W(screen.Get(), text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

Host::Host(int cx, int cy) : HostWindow(RECT{0, 0, cx, cy}) {}

BOOL Host::OnNotify(WPARAM, LPARAM lp, LRESULT*)
{
    const auto* pHdr = reinterpret_cast<const NMHDR*>(lp);
    if (pHdr->code == static_cast<UINT>(NM_CLICK)) {
        if (auto* pList = dynamic_cast<CListEx*>(CWnd::FromHandle(pHdr->hwndFrom))) {
            clicks.push_back(Click{static_cast<UINT>(pHdr->idFrom), reinterpret_cast<const NMITEMACTIVATE*>(lp)->iItem,
                                   pList->HotLink(), pList->HotLinkKind()});
        }
    }
    return FALSE;
}

ListTest::ListTest() : font(MakeDialogFont())
{
    checks = SolidImages(16, {kCheckOff, kCheckOn});
    icons = SolidImages(32, {kIcon, RGB(0, 100, 0)});
    for (size_t s = 0; s < 3; ++s) {
        entryBitmaps[s] = SolidBitmap(1, 60, kEntryMid[s]);
        entryBitmaps[3 + s] = SolidBitmap(88, 60, kEntryLeft[s]);
        entryBitmaps[6 + s] = SolidBitmap(88, 60, kEntryRight[s]);
    }
    headerBitmaps[0] = SolidBitmap(1, 60, kHeaderMid);
    headerBitmaps[1] = SolidBitmap(25, 60, kHeaderLeft);
    headerBitmaps[2] = SolidBitmap(25, 60, kHeaderRight);
    for (size_t s = 0; s < 3; ++s) {
        const COLORREF cr = s == 0 ? kPaneRow : kPaneSel;
        paneBitmaps[s] = SolidBitmap(1, 52, cr);
        paneBitmaps[3 + s] = SolidBitmap(3, 52, cr);
        paneBitmaps[6 + s] = SolidBitmap(s == 0 ? 10 : 3, 52, cr);
    }
    paneBack = SolidBitmap(160, 1, kPaneBack);
}

namespace {

std::array<HBITMAP, 9> Handles(const std::array<CBitmap, 9>& bitmaps)
{
    std::array<HBITMAP, 9> handles{};
    for (size_t i = 0; i < bitmaps.size(); ++i)
        handles[i] = bitmaps[i].Get();
    return handles;
}

} // namespace

std::unique_ptr<CListEx> ListTest::MakeEntryList(const RECT& rc, UINT nID)
{
    auto list = std::make_unique<CListEx>();
    // The test owns the image lists, so the list view must not destroy them.
    EXPECT_TRUE(list->Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_OWNERDRAWFIXED |
                                 LVS_NOCOLUMNHEADER | LVS_SHAREIMAGELISTS,
                             rc, host.m_hWnd, nID));
    list->SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_CHECKBOXES);
    list->SetImageList(icons.Get(), LVSIL_SMALL);
    list->SetImageList(checks.Get(), LVSIL_STATE);
    list->SetFont(font.Get());
    list->InsertListColumn(0, LoadStringResource(IDS_COL_NAME), LVCFMT_LEFT, 200);
    list->InsertListColumn(1, LoadStringResource(IDS_COL_SIZE), LVCFMT_CENTER, 100);
    list->InsertListColumn(2, LoadStringResource(IDS_COL_ACTIONS), LVCFMT_CENTER, 180);
    list->InsertListColumn(3, L"", LVCFMT_CENTER, 30);
    list->SetMode(0);
    list->SetRowHeight(60);
    list->SetEraseColor(kListBack);
    list->SetEntryBitmaps(Handles(entryBitmaps));
    list->SetHeaderBitmaps(headerBitmaps[0].Get(), headerBitmaps[1].Get(), headerBitmaps[2].Get());
    list->SetDrawFlags(14);
    return list;
}

std::unique_ptr<CListEx> ListTest::MakePane(const RECT& rc, UINT nID)
{
    auto list = std::make_unique<CListEx>();
    EXPECT_TRUE(list->Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_OWNERDRAWFIXED |
                                 LVS_NOSCROLL | LVS_NOCOLUMNHEADER | LVS_SHAREIMAGELISTS,
                             rc, host.m_hWnd, nID));
    list->SetExtendedStyle(LVS_EX_FULLROWSELECT);
    list->SetImageList(icons.Get(), LVSIL_SMALL);
    list->SetFont(font.Get());
    list->InsertListColumn(0, LoadStringResource(IDS_COL_CATEGORY), LVCFMT_CENTER, 160);
    list->SetMode(2);
    list->SetEraseBitmap(paneBack.Get());
    list->SetRowHeight(52);
    list->SetEntryBitmaps(Handles(paneBitmaps));
    list->SetDrawFlags(11);
    return list;
}

int ListTest::AddEntry(CListEx& list, const std::wstring& name, const std::wstring& description, int nImage)
{
    const int r = list.InsertListItem(list.GetItemCount(), name, 0, description, nImage);
    list.SetCellText(r, 1, L"1.50 MB", 0);
    list.SetLinks(r, TestLinks());
    return r;
}

int ListTest::AddHeader(CListEx& list, const std::wstring& title)
{
    return list.InsertListItem(list.GetItemCount(), title, 1, L"");
}

RECT ListTest::Label(const CListEx& list, int nItem)
{
    RECT rc{};
    EXPECT_TRUE(list.GetItemRect(nItem, &rc, LVIR_LABEL));
    return rc;
}

RECT ListTest::Icon(const CListEx& list, int nItem)
{
    RECT rc{};
    EXPECT_TRUE(list.GetItemRect(nItem, &rc, LVIR_ICON));
    return rc;
}

RECT ListTest::Bounds(const CListEx& list, int nItem)
{
    RECT rc{};
    EXPECT_TRUE(list.GetItemRect(nItem, &rc, LVIR_BOUNDS));
    return rc;
}

void ListTest::MoveTo(CListEx& list, int x, int y)
{
    list.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
}

void ListTest::ClickAt(CListEx& list, int x, int y)
{
    MoveTo(list, x, y);
    list.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    list.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    testing_support::PumpMessages();
}

} // namespace listex_test
