// The main window on catalogues the tests write: what it shows, how check
// marks follow between the lists and the catalogue, its sizes and layout,
// its painted background, and what it leaves behind.
#include "tests/ui/main/main_window_fixture.h"

#include "res/resource.h"
#include "ui/controls/list_geometry.h"
#include "ui/main/main_layout.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

namespace main_window_test {
namespace {

using namespace testing_support;
using Texts_t = std::vector<std::wstring>;
using Ints = std::vector<int>;

// Categories 甲类 (three entries), 空类 (none) and 乙类 (two); A1 and B1
// start checked.
const wchar_t kCatalogue[] = LR"([Config]
[Type]
Sort1=甲类
Sort2=空类
Sort3=乙类
[甲类]
WorkingDir=%CurrDir%
IconPath=icons\tools.ico
[甲类.List]
List1=A1
List2=A2
List3=A3
[A1]
WorkingDir=%CurrDir%
ManualInstall=soft\a1.exe
IconPath=icons\zip.ico
Description=压缩工具
Checked=1
[A2]
WorkingDir=%CurrDir%
ManualInstall=soft\missing.exe
IconPath=icons\missing.ico
[A3]
WorkingDir=%CurrDir%
ManualInstall=soft\a1.exe /S
[乙类.List]
List1=B1
List2=B2
[B1]
Checked=1
[B2]
Checked=0
)";

class Catalogue : public MainWindow {
protected:
    void SetUp() override
    {
        WriteCatalogue(kCatalogue);
        for (const wchar_t* name : {L"tools.ico", L"zip.ico"})
            WriteFile(m_disc / (std::wstring(L"icons\\") + name),
                      ReadFile(ProgramFolder() + L"demo-disc\\icons\\" + name));
        WriteFile(m_disc / L"soft\\a1.exe", std::string(1572864, 'x'));
    }
    int EntryChecked(int category, int row) const
    {
        return m_settings.Categories[static_cast<size_t>(category)].Entries[static_cast<size_t>(row)]->Checked;
    }
};

TEST_F(Catalogue, ShowsCategoriesEntriesSizesIconsAndCheckMarks)
{
    Open([this](TestDlg& dlg) {
        EXPECT_EQ(Texts(dlg.m_listCategories, 0), (Texts_t{L"全部软件(5)", L"甲类(3)", L"空类(0)", L"乙类(2)"}));
        CListEx& all = dlg.m_pEntryLists[0];
        EXPECT_EQ(Texts(all, 0), (Texts_t{L"甲类 (3款)", L"A1", L"A2", L"A3", L"乙类 (2款)", L"B1", L"B2"}));
        std::vector<DWORD> kinds;
        for (int i = 0; i < all.GetItemCount(); ++i)
            kinds.push_back(all.RowKind(i));
        EXPECT_EQ(kinds, (std::vector<DWORD>{1, 0, 0, 0, 1, 0, 0}));
        EXPECT_EQ(all.HeaderRows(), 2);
        EXPECT_EQ(all.Description(1), L"压缩工具");
        // An installer the disc lacks, or none named, is said to be missing;
        // none of the entries has an automatic install.
        const std::wstring size = L"无自动安装, 1.50 MB";
        const std::wstring missing = L"无自动安装, 文件缺失";
        EXPECT_EQ(Texts(all, 1), (Texts_t{L"", size, missing, size, L"", missing, missing}));
        EXPECT_EQ(Checks(all), (Ints{0, 1, 0, 0, 0, 1, 0}));
        EXPECT_EQ(Texts(dlg.m_pEntryLists[1], 0), (Texts_t{L"A1", L"A2", L"A3"}));
        EXPECT_EQ(Texts(dlg.m_pEntryLists[1], 1), (Texts_t{size, missing, size}));
        EXPECT_EQ(Checks(dlg.m_pEntryLists[1]), (Ints{1, 0, 0}));
        EXPECT_EQ(dlg.m_pEntryLists[2].GetItemCount(), 0);
        EXPECT_EQ(Checks(dlg.m_pEntryLists[3]), (Ints{1, 0}));
        // The names a screen reader speaks for the pane and each list.
        EXPECT_EQ(dlg.m_listCategories.GetWindowText(), L"软件分类");
        const Texts_t names{L"全部软件", L"甲类", L"空类", L"乙类"};
        for (size_t j = 0; j < names.size(); ++j)
            EXPECT_EQ(dlg.m_pEntryLists[j].GetWindowText(), names[j]) << j;
        EXPECT_EQ(dlg.m_pEntryLists[3].LinkColumns(), 1);
        EXPECT_EQ(dlg.m_pEntryLists[3].LinkList(0), (Texts_t{L"手动安装", L"自动安装", L"保存安装包"}));

        // The all-software list is on show, its pane row selected.
        EXPECT_EQ(dlg.m_nCurList, 0);
        EXPECT_TRUE(::IsWindowVisible(all.m_hWnd));
        EXPECT_FALSE(::IsWindowVisible(dlg.m_pEntryLists[1].m_hWnd));
        EXPECT_EQ(dlg.m_listCategories.GetItemState(0, LVIS_SELECTED), UINT{LVIS_SELECTED});

        // Icons from their files, the program's own where a file is missing.
        const std::wstring icons = m_disc / L"icons\\";
        const CIcon zip(static_cast<HICON>(::LoadImageW(nullptr, (icons + L"zip.ico").c_str(), IMAGE_ICON, 32, 32,
                                                        LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
        const CIcon app = LoadIconResource(IDR_MAINFRAME, 32, 32);
        // One image per entry section, shared by every list.
        const auto rowImage = [](CListEx& list, int nRow) {
            LVITEMW item{};
            item.mask = LVIF_IMAGE;
            item.iItem = nRow;
            list.SendMessage(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
            return ImagePixels(list.GetImageList(LVSIL_SMALL), item.iImage);
        };
        HIMAGELIST hAll = dlg.m_imgEntries.Get();
        EXPECT_EQ(::ImageList_GetImageCount(hAll), 5);
        EXPECT_EQ(rowImage(all, 1), IconPixels(zip.Get()));
        EXPECT_EQ(rowImage(dlg.m_pEntryLists[1], 0), IconPixels(zip.Get()));
        EXPECT_EQ(rowImage(all, 2), IconPixels(app.Get()));
        EXPECT_EQ(rowImage(dlg.m_pEntryLists[3], 1), IconPixels(app.Get()));
        EXPECT_NE(ImagePixels(hAll, 0), ImagePixels(hAll, 1));
        EXPECT_EQ(ImageList_GetImageCount(dlg.m_listCategories.GetImageList(LVSIL_SMALL)), 4);
        // The three action links fit their column whole.
        EXPECT_GE(all.GetColumnWidth(2), 180);
    });
    EXPECT_EQ(EntryChecked(0, 0), 1);
    EXPECT_EQ(EntryChecked(2, 0), 1);
}

// Moved to a screen of twice the scale, the window takes the size the
// system suggests and makes everything anew at that scale: fonts, buttons
// and their pictures, rows, icons, columns and the layout; moved back, it is
// as it was.
TEST_F(Catalogue, AChangeOfScaleRemakesEverythingAtTheNewScale)
{
    Open([](TestDlg& dlg) {
        const auto sizeOf = [](const CWnd& wnd) {
            const RECT rc = wnd.GetWindowRect();
            return std::pair{static_cast<int>(rc.right - rc.left), static_cast<int>(rc.bottom - rc.top)};
        };
        const auto fontHeight = [](const CWnd& wnd) {
            LOGFONTW lf{};
            ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(wnd.m_hWnd, WM_GETFONT, 0, 0)), sizeof(lf), &lf);
            return lf.lfHeight;
        };
        const auto iconSize = [](HIMAGELIST hList) {
            int cx = 0;
            int cy = 0;
            ::ImageList_GetIconSize(hList, &cx, &cy);
            return cx;
        };
        const auto rowHeight = [](CListEx& list) {
            RECT rc{LVIR_BOUNDS, 0, 0, 0};
            list.SendMessage(LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&rc));
            return rc.bottom - rc.top;
        };
        CListEx& all = dlg.m_pEntryLists[0];
        const auto check = [&](int n, const RECT& rcWindow) {
            const dpi::Scale s{n};
            EXPECT_EQ(dlg.Scale().dpi, n);
            const RECT rc = dlg.GetWindowRect();
            EXPECT_TRUE(::EqualRect(&rc, &rcWindow)) << n;
            EXPECT_EQ(sizeOf(dlg.m_btnSelectAll), (std::pair{s.Px(140), s.Px(24)})) << n;
            EXPECT_EQ(sizeOf(dlg.m_btnSave), (std::pair{s.Px(106), s.Px(24)})) << n;
            EXPECT_EQ(sizeOf(dlg.m_btnHelp), (std::pair{s.Px(96), s.Px(23)})) << n;
            EXPECT_EQ(fontHeight(all), -::MulDiv(9, n, 72)) << n;
            EXPECT_EQ(fontHeight(dlg.m_btnInstall), -::MulDiv(9, n, 72)) << n;
            EXPECT_EQ(rowHeight(all), s.Px(60)) << n;
            EXPECT_EQ(rowHeight(dlg.m_listCategories), s.Px(52)) << n;
            EXPECT_EQ(iconSize(dlg.m_imgEntries.Get()), s.Px(32)) << n;
            EXPECT_EQ(iconSize(dlg.m_imgCheck.Get()), s.Px(16)) << n;
            EXPECT_EQ(iconSize(all.GetImageList(LVSIL_STATE)), s.Px(16)) << n;
            EXPECT_EQ(all.Scale().dpi, n);
            EXPECT_EQ(dlg.m_listCategories.Scale().dpi, n);
            EXPECT_GE(all.GetColumnWidth(1), s.Px(100)) << n;
            EXPECT_GE(all.GetColumnWidth(2), s.Px(180)) << n;
            EXPECT_EQ(all.GetColumnWidth(3), s.Px(30)) << n;
            const main_layout::Layout layout =
                main_layout::ComputeLayout(dlg.GetClientRect(), main_layout::ButtonSizesAt(s), s);
            EXPECT_TRUE(::EqualRect(&dlg.m_rcList, &layout.list)) << n;
            const RECT pane = dlg.m_listCategories.GetWindowRect();
            EXPECT_EQ(pane.right - pane.left, s.Px(160)) << n;
        };
        const RECT rc96 = dlg.GetWindowRect();
        check(96, rc96);
        const RECT rc192{rc96.left, rc96.top, rc96.left + 2 * (rc96.right - rc96.left),
                         rc96.top + 2 * (rc96.bottom - rc96.top)};
        dlg.SendMessage(WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&rc192));
        check(192, rc192);
        // The icons are read again at their new size.
        EXPECT_TRUE(PumpUntil([&] { return ::ImageList_GetImageCount(dlg.m_imgEntries.Get()) == 5; }));
        dlg.SendMessage(WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&rc96));
        check(96, rc96);
        // A message that carries no scale changes nothing.
        dlg.SendMessage(WM_DPICHANGED, 0, reinterpret_cast<LPARAM>(&rc96));
        check(96, rc96);
    });
}

TEST_F(Catalogue, CheckMarksFollowBetweenTheListsAndTheSelectAllBoxFollowsTheListOnShow)
{
    Open([this](TestDlg& dlg) {
        CListEx& all = dlg.m_pEntryLists[0];
        CListEx& a = dlg.m_pEntryLists[1];
        CListEx& b = dlg.m_pEntryLists[3];
        CListEx& pane = dlg.m_listCategories;

        ClickCheck(all, 2);
        EXPECT_EQ(Checks(a), (Ints{1, 1, 0}));
        EXPECT_EQ(EntryChecked(0, 1), 1);

        // A category whose entries are all checked shows the box checked.
        ClickCheck(all, 3);
        ClickRow(pane, 1);
        EXPECT_EQ(dlg.m_nCurList, 1);
        EXPECT_TRUE(::IsWindowVisible(a.m_hWnd));
        EXPECT_FALSE(::IsWindowVisible(all.m_hWnd));
        EXPECT_EQ(dlg.m_btnSelectAll.Checked(), 1);

        // Unticking in the category list clears the all-software row; the
        // box keeps its state until another list shows.
        ClickCheck(a, 0);
        EXPECT_EQ(Checks(all), (Ints{0, 0, 1, 1, 0, 1, 0}));
        EXPECT_EQ(EntryChecked(0, 0), 0);
        EXPECT_EQ(dlg.m_btnSelectAll.Checked(), 1);
        ClickRow(pane, 2);
        EXPECT_EQ(dlg.m_nCurList, 2);
        EXPECT_EQ(dlg.m_btnSelectAll.Checked(), 1) << "an empty list leaves the box as it was";
        ClickRow(pane, 3);
        EXPECT_EQ(dlg.m_btnSelectAll.Checked(), 0);

        // Clicks on the pane's empty space keep the category.
        const int below = 4 * main_layout::kPaneRowHeight + 10;
        ClickAt(pane, 40, below, WM_RBUTTONDOWN, WM_RBUTTONUP);
        ClickAt(pane, 40, below);
        EXPECT_EQ(dlg.m_nCurList, 3);
        EXPECT_EQ(pane.GetItemState(3, LVIS_SELECTED), UINT{LVIS_SELECTED});
        EXPECT_TRUE(::IsWindowVisible(b.m_hWnd));

        // Select-all acts on the list on show only, and never on header rows.
        dlg.m_btnSelectAll.SendMessage(BM_CLICK);
        PumpMessages();
        EXPECT_EQ(Checks(b), (Ints{1, 1}));
        EXPECT_EQ(Checks(all), (Ints{0, 0, 1, 1, 0, 1, 1}));
        ClickRow(pane, 0);
        EXPECT_EQ(dlg.m_btnSelectAll.Checked(), 0);
        dlg.m_btnSelectAll.SendMessage(BM_CLICK);
        PumpMessages();
        EXPECT_EQ(Checks(all), (Ints{0, 1, 1, 1, 0, 1, 1}));
        EXPECT_EQ(Checks(a), (Ints{1, 1, 1}));
    });
    for (int r = 0; r < 3; ++r)
        EXPECT_EQ(EntryChecked(0, r), 1);
    EXPECT_EQ(EntryChecked(2, 1), 1);
}

TEST_F(MainWindow, OtherCataloguesAndEncodings)
{
    const struct {
        const char* what;
        std::string bytes;
        Texts_t pane;
        Texts_t all;
    } cases[] = {
        {"GBK", ToCodePage(L"[Type]\r\nSort1=工具\r\n[工具.List]\r\nList1=压缩\r\n", 936), {L"全部软件(1)", L"工具(1)"},
         {L"工具 (1款)", L"压缩"}},
        {"UTF-8", "\xEF\xBB\xBF[Type]\r\nSort1=\xE5\xB7\xA5\xE5\x85\xB7\r\n[\xE5\xB7\xA5\xE5\x85\xB7.List]\r\nList1=z\r\n",
         {L"全部软件(1)", L"工具(1)"}, {L"工具 (1款)", L"z"}},
        {"no category", "", {L"全部软件(0)"}, {}},
        {"a category without entries", "[Type]\r\nSort1=E\r\n", {L"全部软件(0)", L"E(0)"}, {}},
    };
    for (const auto& c : cases) {
        WriteCatalogueBytes(c.bytes);
        Open([&](TestDlg& dlg) {
            EXPECT_EQ(Texts(dlg.m_listCategories, 0), c.pane) << c.what;
            EXPECT_EQ(Texts(dlg.m_pEntryLists[0], 0), c.all) << c.what;
        });
    }
}

TEST_F(MainWindow, WindowSizeFromTheCatalogueAndTheMinimum)
{
    const struct {
        const wchar_t* config;
        LONG cx;
        LONG cy;
    } cases[] = {{L"", 800, 500}, {L"MainWidth=1024\r\nMainHeight=700\r\n", 1024, 700}, {L"MainWidth=640\r\n", 800, 500}};
    for (const auto& c : cases) {
        WriteCatalogue(std::wstring(L"[Config]\r\n") + c.config);
        Open([&](TestDlg& dlg) {
            EXPECT_EQ(dlg.rcShown.right - dlg.rcShown.left, c.cx) << c.config;
            EXPECT_EQ(dlg.rcShown.bottom - dlg.rcShown.top, c.cy) << c.config;
            EXPECT_LT(dlg.m_nPaneOverflow, 0);
            MINMAXINFO info{};
            dlg.SendMessage(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
            // The frame never drags it below the catalogue's size.
            EXPECT_EQ(info.ptMinTrackSize.x, c.cx) << c.config;
            EXPECT_EQ(info.ptMinTrackSize.y, c.cy) << c.config;
        });
    }
}

TEST_F(MainWindow, APaneTooShortForItsCategoriesGrowsTheWindowOnce)
{
    std::wstring text = L"[Type]\r\n";
    for (int j = 1; j <= 7; ++j)
        text += L"Sort" + std::to_wstring(j) + L"=C" + std::to_wstring(j) + L"\r\n";
    WriteCatalogue(text);
    Open([](TestDlg& dlg) {
        const RECT rcClient = dlg.GetClientRect();
        const int nonClient = (dlg.rcShown.bottom - dlg.rcShown.top) - rcClient.bottom;
        // Before growing, the client area was the 500-pixel window's.
        const int clientBefore = 500 - nonClient;
        const int overflow = 8 * 52 - (clientBefore - 21 - 24 - 15 - 79);
        EXPECT_EQ(dlg.m_nPaneOverflow, overflow);
        EXPECT_EQ(dlg.rcShown.bottom - dlg.rcShown.top, clientBefore + overflow + 26);
        ::MoveWindow(dlg.m_hWnd, 10, 10, 820, 520, TRUE);
        PumpMessages();
        const RECT rc = dlg.GetWindowRect();
        EXPECT_EQ(rc.bottom - rc.top, 520) << "a later resize does not grow it again";
        EXPECT_EQ(dlg.m_nPaneOverflow, overflow);
    });
}

TEST_F(MainWindow, APaneTallerThanTheScreenScrollsAndEveryCategoryCanBeChosen)
{
    // Thirty categories of one entry each want a window taller than the
    // screen; it stops at the work area and the pane scrolls.
    std::wstring text = L"[Type]\r\n";
    std::wstring lists;
    for (int j = 1; j <= 30; ++j) {
        const std::wstring n = std::to_wstring(j);
        text += L"Sort" + n + L"=C" + n + L"\r\n";
        lists += L"[C" + n + L".List]\r\nList1=E" + n + L"\r\n";
    }
    WriteCatalogue(text + lists);
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    Open([&](TestDlg& dlg) {
        const RECT rc = dlg.GetWindowRect();
        EXPECT_LE(rc.bottom - rc.top, work.bottom - work.top);
        EXPECT_GE(rc.top, work.top);
        EXPECT_LE(rc.bottom, work.bottom);
        const RECT install = dlg.m_btnInstall.GetWindowRect();
        EXPECT_LE(install.bottom, work.bottom) << "the command buttons stay on the screen";

        CListEx& pane = dlg.m_listCategories;
        const auto style = static_cast<DWORD>(::GetWindowLongPtrW(pane.m_hWnd, GWL_STYLE));
        EXPECT_TRUE(style & WS_VSCROLL) << "a vertical scroll bar";
        EXPECT_FALSE(style & WS_HSCROLL) << "the column fits beside it";

        struct Way {
            const char* what;
            std::function<void()> reachLast;
        };
        const Way ways[] = {
            {"the wheel, then a click",
             [&] {
                 const RECT client = pane.GetClientRect();
                 POINT pt{client.right / 2, client.bottom / 2};
                 ::ClientToScreen(pane.m_hWnd, &pt);
                 for (int i = 0; i < 30; ++i)
                     pane.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)),
                                      MAKELPARAM(pt.x, pt.y));
                 PumpMessages();
                 RECT last{};
                 ASSERT_TRUE(pane.GetItemRect(30, &last, LVIR_BOUNDS));
                 ASSERT_LE(last.bottom, client.bottom) << "the last category scrolled into view";
                 ClickRow(pane, 30);
             }},
            {"the keyboard",
             [&] {
                 ::SetFocus(pane.m_hWnd);
                 pane.SendMessage(WM_KEYDOWN, VK_END, 0);
                 pane.SendMessage(WM_KEYUP, VK_END, 0);
                 PumpMessages();
             }},
        };
        for (const Way& way : ways) {
            SCOPED_TRACE(way.what);
            ::SetFocus(pane.m_hWnd);
            pane.SendMessage(WM_KEYDOWN, VK_HOME, 0);
            pane.SendMessage(WM_KEYUP, VK_HOME, 0);
            PumpMessages();
            ASSERT_EQ(dlg.m_nCurList, 0);
            EXPECT_EQ(pane.SendMessage(LVM_GETTOPINDEX), 0);
            way.reachLast();
            EXPECT_EQ(dlg.m_nCurList, 30);
            EXPECT_EQ(Texts(dlg.m_pEntryLists[30], 0), (Texts_t{L"E30"}));
            EXPECT_TRUE(::IsWindowVisible(dlg.m_pEntryLists[30].m_hWnd));
            EXPECT_GT(pane.SendMessage(LVM_GETTOPINDEX), 0);
        }
    });
}

// The painted background and the controls' places for the window's size.
void ExpectLaidOutAndPainted(TestDlg& dlg, const char* what)
{
    PumpMessages();
    ::UpdateWindow(dlg.m_hWnd);
    const RECT client = dlg.GetClientRect();
    auto sizeOf = [](const CWnd& wnd) {
        const RECT rc = wnd.GetWindowRect();
        return main_layout::Size{rc.right - rc.left, rc.bottom - rc.top};
    };
    const main_layout::Layout layout = main_layout::ComputeLayout(
        client, {{140, 24}, {106, 24}, {106, 24}, {16, 24}, {96, 23}, {96, 23}});
    const RECT& l = dlg.m_rcList;
    EXPECT_TRUE(::EqualRect(&l, &layout.list)) << what;
    RECT install = dlg.m_btnInstall.GetWindowRect();
    ::MapWindowPoints(nullptr, dlg.m_hWnd, reinterpret_cast<POINT*>(&install), 2);
    EXPECT_TRUE(::EqualRect(&install, &layout.install)) << what;
    EXPECT_EQ(sizeOf(dlg.m_btnInstall).cx, 106);

    const WindowPixels px(dlg.m_hWnd);
    auto pixel = [](UINT id, int x, int y) {
        const CBitmap bitmap = LoadBitmapResource(id);
        BITMAP bm{};
        ::GetObjectW(bitmap.Get(), sizeof(bm), &bm);
        return BitmapPixels(bitmap.Get(), bm.bmWidth, bm.bmHeight).At(x, y);
    };
    const int right = client.right - 1;
    for (int y : {0, 30, 68}) {
        EXPECT_EQ(px.At(689, y), pixel(IDB_BANNER, 689, y)) << what << " banner " << y;
        EXPECT_EQ(px.At(690, y), pixel(IDB_BANNER_FILL, 0, y)) << what << " fill " << y;
        EXPECT_EQ(px.At(right, y), pixel(IDB_BANNER_FILL, 0, y)) << what << " fill at the right edge " << y;
    }
    // The pane covers the top-left corner's left half, beside the search row.
    EXPECT_EQ(px.At(l.left + 2, l.top - 5), pixel(IDB_FRAME_TOPLEFT, 7, 0)) << what;
    EXPECT_EQ(px.At(l.right + 4, l.top - 5), pixel(IDB_FRAME_TOPRIGHT, 9, 0)) << what;
    EXPECT_EQ(px.At(l.right + 4, l.bottom + 4), pixel(IDB_FRAME_BOTTOMRIGHT, 9, 9)) << what;
    EXPECT_EQ(px.At(l.left - 5, l.bottom + 4), pixel(IDB_FRAME_BOTTOMLEFT, 0, 9)) << what;
    EXPECT_EQ(px.At((l.left + l.right) / 2, l.top - 5), pixel(IDB_FRAME_TOP, 0, 0)) << what;
    EXPECT_EQ(px.At((l.left + l.right) / 2, l.bottom + 4), pixel(IDB_FRAME_BOTTOM, 0, 9)) << what;
    EXPECT_EQ(px.At(l.right + 4, (l.top + l.bottom) / 2), pixel(IDB_FRAME_RIGHT, 9, 0)) << what;
    // The one-pixel gap between the pane and the list shows the frame.
    EXPECT_EQ(px.At(l.left - 1, (l.top + l.bottom) / 2), pixel(IDB_FRAME_LEFT, 4, 0)) << what;
}

TEST_F(Catalogue, MaximisingAndRestoringLayOutAndPaintAgain)
{
    Open([](TestDlg& dlg) {
        ExpectLaidOutAndPainted(dlg, "800x500");
        ::ShowWindow(dlg.m_hWnd, SW_MAXIMIZE);
        EXPECT_GT(dlg.GetClientRect().right, 1000);
        ExpectLaidOutAndPainted(dlg, "maximised");
        ::ShowWindow(dlg.m_hWnd, SW_RESTORE);
        EXPECT_EQ(dlg.GetWindowRect().right - dlg.GetWindowRect().left, 800);
        ExpectLaidOutAndPainted(dlg, "restored");
    });
}

TEST_F(Catalogue, OpeningAndClosingAHundredTimesLeavesNothingBehind)
{
    // Every other time the window closes while it still reads 300 icons.
    std::wstring text = kCatalogue;
    const std::wstring sort3 = L"Sort3=乙类\n";
    text.insert(text.find(sort3) + sort3.size(), L"Sort4=大类\n");
    text += L"[大类.List]\n";
    for (int i = 1; i <= 300; ++i)
        text += L"List" + std::to_wstring(i) + L"=E" + std::to_wstring(i) + L"\n";
    for (int i = 1; i <= 300; ++i)
        text += L"[E" + std::to_wstring(i) + L"]\nWorkingDir=%CurrDir%\nIconPath=icons\\zip.ico\n";
    WriteCatalogue(text);
    Open(nullptr);
    const DWORD gdi = GdiObjectCount();
    const DWORD user = UserObjectCount();
    for (int i = 0; i < 100; ++i)
        Open(nullptr, i % 2 == 0);
    EXPECT_LE(GdiObjectCount(), gdi + 5);
    EXPECT_LE(UserObjectCount(), user + 5);
}

TEST_F(Catalogue, ClosingWhileAnInstallerDoesNotAnswerTakesAMomentAndTheLoaderEndsOnItsOwn)
{
    // Measuring A1's installer hangs, as on a dead network path, until let go.
    struct Stuck {
        CKernelHandle entered{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
        CKernelHandle release{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
        std::atomic<bool> bReturned{false};
    };
    const auto stuck = std::make_shared<Stuck>();
    SetDetailReader([stuck](const DetailJob& job) {
        if (job.strInstaller.ends_with(L"a1.exe") && ::SetEvent(stuck->entered.Get()))
            stuck->bReturned = ::WaitForSingleObject(stuck->release.Get(), INFINITE) == WAIT_OBJECT_0;
        return ReadDetail(job);
    });
    ULONGLONG closeMs = 0;
    Open(
        [&](TestDlg& dlg) {
            ASSERT_EQ(::WaitForSingleObject(stuck->entered.Get(), 10000), WAIT_OBJECT_0);
            closeMs = ::GetTickCount64();
            dlg.SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
            closeMs = ::GetTickCount64() - closeMs;
        },
        true);
    EXPECT_LT(closeMs, 2000u);
    EXPECT_FALSE(stuck->bReturned);
    ::SetEvent(stuck->release.Get());
    EXPECT_TRUE(PumpUntil([&] { return stuck->bReturned.load(); }));
}

TEST_F(Catalogue, ResultsTheWindowHasNotTakenStayBounded)
{
    std::atomic<size_t> nRead{0};
    SetDetailReader([&](const DetailJob& job) {
        ++nRead;
        return ReadDetail(job);
    });
    const HostWindow host(RECT{0, 0, 50, 50});
    const DWORD gdi = GdiObjectCount();
    CDetailsLoader loader;
    loader.Start(std::vector<DetailJob>(2000, DetailJob{m_disc / L"icons\\zip.ico", L""}), host.m_hWnd, WM_APP);
    // No one takes anything: the worker stops for room.
    for (size_t nSeen = 0, i = 0; i < 100 && (nSeen == 0 || nSeen != nRead.load()); ++i, ::Sleep(300))
        nSeen = nRead.load();
    EXPECT_LE(nRead.load(), CDetailsLoader::kMaxWaiting + 1);
    EXPECT_LE(GdiObjectCount(), gdi + 2 * (CDetailsLoader::kMaxWaiting + 1) + 10);
    size_t nTaken = 0;
    EXPECT_TRUE(PumpUntil([&] {
        for (const DetailResult& result : loader.Take())
            nTaken += result.nJob == nTaken && result.image.hColor ? 1 : 0;
        return loader.Done();
    }));
    EXPECT_EQ(nTaken, 2000u);
}

} // namespace
} // namespace main_window_test
