// A category pane and an all-software list with the program's own artwork,
// set up as the main window sets them up. With QUILLSET_GALLERY_DIR set,
// the window is saved there as listex-gallery.bmp to be looked at.
#include "tests/ui/controls/listex_fixture.h"

#include "res/resource.h"
#include "tests/support/test_support.h"

#include <cstdlib>

using namespace listex_test;

namespace {

constexpr COLORREF kListBackground = RGB(244, 245, 247);
constexpr COLORREF kLinkSelected = RGB(252, 24, 17);

// Saves the client area of a window as a 32-bit bitmap file.
bool SaveWindow(HWND hWnd, const std::wstring& path)
{
    const RECT rc = [&] {
        RECT r{};
        ::GetClientRect(hWnd, &r);
        return r;
    }();
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = rc.right;
    bmi.bmiHeader.biHeight = rc.bottom;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* pBits = nullptr;
    CClientDC window(hWnd);
    CBitmap bitmap(::CreateDIBSection(window.Get(), &bmi, DIB_RGB_COLORS, &pBits, nullptr, 0));
    if (!bitmap)
        return false;
    {
        CMemDC mem(::CreateCompatibleDC(window.Get()));
        CSelectObject select(mem.Get(), bitmap.Get());
        ::BitBlt(mem.Get(), 0, 0, rc.right, rc.bottom, window.Get(), 0, 0, SRCCOPY);
        ::GdiFlush();
    }
    // Opaque, whatever the drawing left in the alpha bytes.
    auto* pPixels = static_cast<DWORD*>(pBits);
    for (LONG i = 0; i < rc.right * rc.bottom; ++i)
        pPixels[i] |= 0xFF000000u;
    const DWORD size = static_cast<DWORD>(rc.right) * static_cast<DWORD>(rc.bottom) * 4;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(bmi.bmiHeader);
    file.bfSize = file.bfOffBits + size;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
    bytes.append(reinterpret_cast<const char*>(&bmi.bmiHeader), sizeof(bmi.bmiHeader));
    bytes.append(static_cast<const char*>(pBits), size);
    testing_support::WriteFile(path, bytes);
    return testing_support::ReadFile(path).size() == bytes.size();
}

CImageList IconImages(int size, COLORREF back, const std::vector<UINT>& ids)
{
    CImageList images(::ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 0, 0));
    ::ImageList_SetBkColor(images.Get(), back);
    for (UINT id : ids) {
        const CIcon icon = LoadIconResource(id, size, size);
        ::ImageList_ReplaceIcon(images.Get(), -1, icon.Get());
    }
    return images;
}

TEST(ListGallery, CatalogueListsWithTheProgramsArtwork)
{
    Host host(760, 520);
    const CFont font = MakeDialogFont();
    std::vector<CBitmap> owned;
    auto load = [&owned](UINT id) {
        owned.push_back(LoadBitmapResource(id));
        return owned.back().Get();
    };
    const std::array<HBITMAP, 9> rows{load(IDB_ROW_MID), load(IDB_ROW_SEL_MID), load(IDB_ROW_SEL_MID),
                                      load(IDB_ROW_LEFT), load(IDB_ROW_SEL_LEFT), load(IDB_ROW_SEL_LEFT),
                                      load(IDB_ROW_RIGHT), load(IDB_ROW_SEL_RIGHT), load(IDB_ROW_SEL_RIGHT)};
    const std::array<HBITMAP, 9> paneRows{load(IDB_PANE_ROW_MID), load(IDB_PANE_SEL_MID), load(IDB_PANE_SEL_MID),
                                          load(IDB_PANE_ROW_LEFT), load(IDB_PANE_SEL_LEFT), load(IDB_PANE_SEL_LEFT),
                                          load(IDB_PANE_ROW_RIGHT), load(IDB_PANE_SEL_RIGHT), load(IDB_PANE_SEL_RIGHT)};
    const HBITMAP headerMid = load(IDB_HEADER_MID);
    const HBITMAP headerLeft = load(IDB_HEADER_LEFT);
    const HBITMAP headerRight = load(IDB_HEADER_RIGHT);
    const HBITMAP paneBack = load(IDB_PANE_BACK);
    for (const auto& b : owned)
        ASSERT_TRUE(b) << "artwork missing";

    const CImageList categoryIcons =
        IconImages(32, kListBackground, {IDI_ALL_SOFTWARE, IDR_MAINFRAME, IDR_MAINFRAME});
    const CImageList checkIcons = IconImages(16, kListBackground, {IDI_CHECK_OFF, IDI_CHECK_ON});
    const CImageList entryIcons = IconImages(32, RGB(255, 255, 255), {IDR_MAINFRAME});

    CListEx pane;
    ASSERT_TRUE(pane.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_OWNERDRAWFIXED |
                                LVS_NOSCROLL | LVS_NOCOLUMNHEADER | LVS_SHAREIMAGELISTS,
                            RECT{10, 10, 170, 510}, host.m_hWnd, 1000));
    pane.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    pane.SetImageList(categoryIcons.Get(), LVSIL_SMALL);
    pane.SetFont(font.Get(), FALSE);
    pane.InsertListColumn(0, LoadStringResource(IDS_COL_CATEGORY), LVCFMT_CENTER, 160);
    pane.SetMode(2);
    pane.InsertListItem(0, L"", 0, L"", 0);
    pane.InsertListItem(1, L"", 0, L"", 1);
    pane.InsertListItem(2, L"", 0, L"", 2);

    CListEx list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_OWNERDRAWFIXED |
                                LVS_NOCOLUMNHEADER | LVS_SHAREIMAGELISTS,
                            RECT{180, 10, 750, 510}, host.m_hWnd, 1007));
    list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_CHECKBOXES);
    list.SetImageList(entryIcons.Get(), LVSIL_SMALL);
    list.SetImageList(checkIcons.Get(), LVSIL_STATE);
    list.SetFont(font.Get(), FALSE);
    list.InsertListColumn(0, LoadStringResource(IDS_COL_NAME), LVCFMT_LEFT, 200);
    list.InsertListColumn(1, LoadStringResource(IDS_COL_SIZE), LVCFMT_CENTER, 100);
    list.InsertListColumn(2, LoadStringResource(IDS_COL_ACTIONS), LVCFMT_CENTER, 180);
    list.InsertListColumn(3, L"", LVCFMT_CENTER, 30);

    struct Entry {
        const wchar_t* name;
        const wchar_t* description;
        const wchar_t* size;
        bool checked;
    };
    const std::vector<std::pair<std::wstring, std::vector<Entry>>> categories{
        {L"办公软件",
         {{L"WPS Office", L"金山办公套件：文字、表格与演示", L"215.37 MB", true},
          {L"Foxit Reader", L"", L"68.02 MB", false},
          {L"An Exceedingly Long Package Name That Cannot Fit", L"名称过长时以省略号结尾", L"1.50 MB", true}}},
        {L"系统工具", {{L"7-Zip", L"压缩与解压缩", L"1.42 MB", false}, {L"Everything", L"", L"0.00 MB", true}}},
    };
    int total = 0;
    for (size_t j = 0; j < categories.size(); ++j) {
        const auto& [name, entries] = categories[j];
        const int header = list.InsertListItem(list.GetItemCount(), name, 1, L"");
        for (const Entry& e : entries) {
            const int r = list.InsertListItem(list.GetItemCount(), e.name, 0, e.description, 0);
            list.SetCellText(r, 1, e.size, 0);
            list.SetLinks(r, ActionNames());
            list.SetCheck(r, e.checked);
        }
        const auto count = static_cast<int>(entries.size());
        total += count;
        list.SetCellText(header, 0, name + L" (" + std::to_wstring(count) + L"款)", 0);
        pane.SetCellText(static_cast<int>(j) + 1, 0, name + L"(" + std::to_wstring(count) + L")", 0);
    }
    pane.SetCellText(0, 0, LoadStringResource(IDS_ALL_SOFTWARE) + L"(" + std::to_wstring(total) + L")", 0);
    EXPECT_EQ(list.GetItemCount() - list.HeaderRows(), 5);

    list.SetRowHeight(60);
    list.SetEraseColor(kListBackground);
    list.SetLinkColorSelFocus(kLinkSelected);
    list.SetEntryBitmaps(rows);
    list.SetHeaderBitmaps(headerMid, headerLeft, headerRight);
    list.SetDrawFlags(14);
    pane.SetEraseBitmap(paneBack);
    pane.SetRowHeight(52);
    pane.SetEntryBitmaps(paneRows);
    pane.SetDrawFlags(11);

    pane.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    list.SetItemState(2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ::SetFocus(list.m_hWnd);
    ::RedrawWindow(host.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    testing_support::PumpMessages();

    // The long name comes out shortened, the rest as they are.
    RECT label{};
    list.GetItemRect(3, &label, LVIR_LABEL);
    const RECT nameBox{label.left - 5 + 6 + 40, 0, label.right - 20, 20};
    const std::wstring shown = list.FitText(list.GetItemText(3, 0), nameBox);
    EXPECT_EQ(shown.substr(shown.size() - 3), L"...");
    EXPECT_EQ(list.FitText(L"WPS Office", nameBox), L"WPS Office");

    if (const char* dir = std::getenv("QUILLSET_GALLERY_DIR")) {
        EXPECT_TRUE(SaveWindow(host.m_hWnd, testing_support::FromUtf8(dir) + L"\\listex-gallery.bmp"));
    }
}

} // namespace
