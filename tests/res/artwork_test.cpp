// The artwork as the program gets it: every bitmap and icon is read back from
// the built Quillset.exe, loaded as a resource module, and checked for its
// exact size and colour depth, and for the joins between the pieces that the
// windows put side by side.
#include "platform/handles.h"
#include "res/resource.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr COLORREF kWindowBack = RGB(220, 230, 232);
constexpr COLORREF kBannerButtonBack = RGB(76, 195, 247);

struct Size {
    UINT id;
    int cx;
    int cy;
};

constexpr Size kBitmaps[] = {
    {IDB_INSTALL_AUTO, 105, 23},     {IDB_INSTALL_AUTO_HOT, 105, 23},  {IDB_BANNER, 690, 69},
    {IDB_BANNER_FILL, 1, 69},        {IDB_CLOSE, 80, 20},              {IDB_CLOSE_HOT, 80, 20},
    {IDB_FRAME_BOTTOM, 1, 10},       {IDB_FRAME_BOTTOMLEFT, 10, 10},   {IDB_FRAME_BOTTOMRIGHT, 10, 10},
    {IDB_FRAME_LEFT, 10, 1},         {IDB_FRAME_RIGHT, 10, 1},         {IDB_FRAME_TOP, 1, 10},
    {IDB_FRAME_TOPLEFT, 10, 10},     {IDB_FRAME_TOPRIGHT, 10, 10},     {IDB_HELP, 95, 23},
    {IDB_HELP_HOT, 95, 23},          {IDB_HOMEPAGE, 95, 23},           {IDB_HOMEPAGE_HOT, 95, 23},
    {IDB_ROW_MID, 1, 60},            {IDB_ROW_LEFT, 88, 60},           {IDB_ROW_RIGHT, 88, 60},
    {IDB_ROW_SEL_MID, 1, 60},        {IDB_ROW_SEL_LEFT, 88, 60},       {IDB_ROW_SEL_RIGHT, 88, 60},
    {IDB_HEADER_MID, 1, 60},         {IDB_HEADER_LEFT, 25, 60},        {IDB_HEADER_RIGHT, 25, 60},
    {IDB_INSTALL_MANUAL, 105, 23},   {IDB_INSTALL_MANUAL_HOT, 105, 23}, {IDB_OPTIONS, 15, 23},
    {IDB_SAVE, 105, 23},             {IDB_SAVE_HOT, 105, 23},          {IDB_SELECTALL, 140, 24},
    {IDB_SELECTALL_HOT, 140, 24},    {IDB_PANE_BACK, 160, 1},          {IDB_PANE_ROW_MID, 1, 52},
    {IDB_PANE_ROW_LEFT, 3, 52},      {IDB_PANE_ROW_RIGHT, 10, 52},     {IDB_PANE_SEL_MID, 1, 52},
    {IDB_PANE_SEL_LEFT, 3, 52},      {IDB_PANE_SEL_RIGHT, 3, 52},      {IDB_MAKER, 29, 45},
    {IDB_STOP, 64, 20},              {IDB_STOP_HOT, 64, 20},           {IDB_STOPPING, 64, 20},
};

constexpr Size kIcons[] = {
    {IDR_MAINFRAME, 16, 16}, {IDR_MAINFRAME, 32, 32}, {IDR_MAINFRAME, 48, 48},
    {IDI_CHECK_OFF, 16, 16}, {IDI_CHECK_ON, 16, 16},  {IDI_ALL_SOFTWARE, 32, 32},
};

std::string Hex(COLORREF c)
{
    char text[16];
    std::snprintf(text, sizeof(text), "#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

class Artwork : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const std::wstring exe = testing_support::ProgramFolder() + L"Quillset.exe";
        s_module = new CLibrary(
            ::LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    }
    static void TearDownTestSuite()
    {
        delete s_module;
        s_module = nullptr;
    }
    static HMODULE Module() { return s_module->Get(); }

    static CBitmap Load(UINT id)
    {
        return CBitmap(static_cast<HBITMAP>(
            ::LoadImageW(Module(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    }
    static testing_support::BitmapPixels Read(UINT id)
    {
        const Size size = SizeOf(id);
        CBitmap bitmap = Load(id);
        return testing_support::BitmapPixels(bitmap.Get(), size.cx, size.cy);
    }
    static Size SizeOf(UINT id)
    {
        for (const Size& s : kBitmaps)
            if (s.id == id)
                return s;
        ADD_FAILURE() << "bitmap " << id << " is not in the table";
        return {id, 1, 1};
    }

    // Column x of a and column y of b hold the same pixels from row top to bottom.
    static void ExpectSameColumn(UINT a, int xa, UINT b, int xb, int top, int bottom)
    {
        const testing_support::BitmapPixels pa = Read(a), pb = Read(b);
        ASSERT_TRUE(pa.Ok() && pb.Ok());
        for (int y = top; y < bottom; ++y)
            ASSERT_EQ(Hex(pa.At(xa, y)), Hex(pb.At(xb, y))) << a << " column " << xa << " / " << b << " column " << xb
                                                            << ", row " << y;
    }
    static void ExpectSameRow(UINT a, int ya, UINT b, int yb, int left, int right)
    {
        const testing_support::BitmapPixels pa = Read(a), pb = Read(b);
        ASSERT_TRUE(pa.Ok() && pb.Ok());
        for (int x = left; x < right; ++x)
            ASSERT_EQ(Hex(pa.At(x, ya)), Hex(pb.At(x, yb))) << a << " row " << ya << " / " << b << " row " << yb
                                                            << ", column " << x;
    }
    // Share of pixels that differ clearly between two pictures of one size.
    static double Difference(UINT a, UINT b)
    {
        const testing_support::BitmapPixels pa = Read(a), pb = Read(b);
        int differ = 0;
        for (int y = 0; y < pa.Height(); ++y)
            for (int x = 0; x < pa.Width(); ++x) {
                const COLORREF ca = pa.At(x, y), cb = pb.At(x, y);
                const int d = std::abs(GetRValue(ca) - GetRValue(cb)) + std::abs(GetGValue(ca) - GetGValue(cb)) +
                              std::abs(GetBValue(ca) - GetBValue(cb));
                differ += d > 24 ? 1 : 0;
            }
        return static_cast<double>(differ) / (pa.Width() * pa.Height());
    }

    static CLibrary* s_module;
};

CLibrary* Artwork::s_module = nullptr;

TEST_F(Artwork, EveryBitmapIsInTheProgramAtItsSizeWith24Bits)
{
    ASSERT_TRUE(Module()) << "Quillset.exe not found beside the test program";
    for (const Size& s : kBitmaps) {
        CBitmap bitmap = Load(s.id);
        ASSERT_TRUE(bitmap) << "bitmap " << s.id;
        BITMAP bm{};
        ASSERT_EQ(::GetObjectW(bitmap.Get(), sizeof(bm), &bm), static_cast<int>(sizeof(bm)));
        EXPECT_EQ(bm.bmWidth, s.cx) << "bitmap " << s.id;
        EXPECT_EQ(bm.bmHeight, s.cy) << "bitmap " << s.id;
        EXPECT_EQ(bm.bmBitsPixel, 24) << "bitmap " << s.id;
    }
}

// The icon directory of a group resource must hold the size itself, as a
// 32-bit image with alpha; LoadImage alone would quietly scale another size.
// Every picture is drawn again at 1.5 and 2 times its size (numbered 1000
// and 2000 above it), 24 bits deep; the pieces the windows stretch stay a
// pixel across; every icon holds images of 16 to 64 pixels.
TEST_F(Artwork, EveryPictureAtOneAndAHalfAndTwiceItsSize)
{
    const auto scaled = [](int n, int step) { return n == 1 ? 1 : (n * (2 + step) + 1) / 2; };
    for (const Size& b : kBitmaps) {
        for (const UINT step : {1u, 2u}) {
            const CBitmap bitmap = Load(b.id + step * 1000);
            ASSERT_TRUE(bitmap) << b.id << " x" << step;
            BITMAP bm{};
            ::GetObjectW(bitmap.Get(), sizeof(bm), &bm);
            // 1.5x rounds halves up, as the window's scale does.
            const int cx = step == 2 ? (b.cx == 1 ? 1 : 2 * b.cx) : scaled(b.cx, 1);
            const int cy = step == 2 ? (b.cy == 1 ? 1 : 2 * b.cy) : scaled(b.cy, 1);
            const bool frame = b.id >= IDB_FRAME_BOTTOM && b.id <= IDB_FRAME_TOPRIGHT;
            // The frame's pieces are twice the scaled overhang wide.
            const int piece = step == 2 ? 20 : 16;
            EXPECT_EQ(bm.bmWidth, frame && b.cx == 10 ? piece : cx) << b.id << " x" << step;
            EXPECT_EQ(bm.bmHeight, frame && b.cy == 10 ? piece : cy) << b.id << " x" << step;
            EXPECT_EQ(bm.bmBitsPixel, 24) << b.id;
        }
    }
    // The images an icon's group lists, by width.
    for (const UINT id : {UINT{IDR_MAINFRAME}, UINT{IDI_CHECK_OFF}, UINT{IDI_CHECK_ON}, UINT{IDI_ALL_SOFTWARE}}) {
        const HRSRC hInfo = ::FindResourceW(Module(), MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(14));
        const HGLOBAL hGroup = hInfo ? ::LoadResource(Module(), hInfo) : nullptr;
        const auto* pGroup = static_cast<const BYTE*>(hGroup ? ::LockResource(hGroup) : nullptr);
        ASSERT_NE(pGroup, nullptr) << id;
        std::vector<int> widths;
        for (int i = 0; i < pGroup[4]; ++i)
            widths.push_back(pGroup[6 + 14 * i]);
        EXPECT_EQ(widths, (std::vector<int>{16, 24, 32, 48, 64})) << id;
    }
}

TEST_F(Artwork, EveryIconHoldsItsSizesAs32BitImages)
{
    ASSERT_TRUE(Module());
    for (const Size& s : kIcons) {
        HRSRC hGroup = ::FindResourceW(Module(), MAKEINTRESOURCEW(s.id), MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */);
        ASSERT_TRUE(hGroup) << "icon " << s.id;
        const auto* dir = static_cast<const BYTE*>(::LockResource(::LoadResource(Module(), hGroup)));
        ASSERT_TRUE(dir);
        WORD count = 0;
        std::memcpy(&count, dir + 4, sizeof(count));
        bool found = false;
        for (WORD i = 0; i < count && !found; ++i) {
            const BYTE* entry = dir + 6 + 14 * i;
            if (entry[0] != s.cx || entry[1] != s.cy)
                continue;
            WORD nId = 0;
            std::memcpy(&nId, entry + 12, sizeof(nId));
            HRSRC hImage = ::FindResourceW(Module(), MAKEINTRESOURCEW(nId), MAKEINTRESOURCEW(3) /* RT_ICON */);
            ASSERT_TRUE(hImage);
            BITMAPINFOHEADER header{};
            std::memcpy(&header, ::LockResource(::LoadResource(Module(), hImage)), sizeof(header));
            EXPECT_EQ(header.biWidth, s.cx) << "icon " << s.id;
            EXPECT_EQ(header.biHeight, 2 * s.cy) << "icon " << s.id;
            EXPECT_EQ(header.biBitCount, 32) << "icon " << s.id;
            found = true;
        }
        EXPECT_TRUE(found) << "icon " << s.id << " has no " << s.cx << "x" << s.cy << " image";

        CIcon icon(static_cast<HICON>(::LoadImageW(Module(), MAKEINTRESOURCEW(s.id), IMAGE_ICON, s.cx, s.cy, 0)));
        ASSERT_TRUE(icon) << "icon " << s.id;
        ICONINFO info{};
        ASSERT_TRUE(::GetIconInfo(icon.Get(), &info));
        CBitmap color(info.hbmColor), mask(info.hbmMask);
        BITMAP bm{};
        ASSERT_TRUE(::GetObjectW(color.Get(), sizeof(bm), &bm));
        EXPECT_EQ(bm.bmWidth, s.cx) << "icon " << s.id;
        EXPECT_EQ(bm.bmHeight, s.cy) << "icon " << s.id;
    }
}

TEST_F(Artwork, TheDemoDiscIconsLoadAt32Pixels)
{
    for (const wchar_t* name : {L"tools", L"office", L"network", L"zip", L"clean", L"info", L"writer", L"calc",
                                L"pdf", L"browser", L"chat", L"download"}) {
        const std::wstring path = std::wstring(QUILL_DEMO_ICON_DIR) + L"/" + name + L".ico";
        CIcon icon(static_cast<HICON>(
            ::LoadImageW(nullptr, path.c_str(), IMAGE_ICON, 32, 32, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
        ASSERT_TRUE(icon) << testing_support::ToUtf8(path);
        ICONINFO info{};
        ASSERT_TRUE(::GetIconInfo(icon.Get(), &info));
        CBitmap color(info.hbmColor), mask(info.hbmMask);
        BITMAP bm{};
        ASSERT_TRUE(::GetObjectW(color.Get(), sizeof(bm), &bm));
        EXPECT_EQ(bm.bmWidth, 32);
        EXPECT_EQ(bm.bmHeight, 32);
    }
    // The catalogue names driver.ico, which the disc leaves out to show the
    // application icon in its place.
    const std::wstring missing = std::wstring(QUILL_DEMO_ICON_DIR) + L"/driver.ico";
    EXPECT_EQ(::GetFileAttributesW(missing.c_str()), INVALID_FILE_ATTRIBUTES);
}

// The banner fill is stretched from the banner's right edge on, and the two
// banner buttons stand on it (or on the banner's right end in an 800-pixel
// window) with their own background colour around them.
TEST_F(Artwork, TheBannerContinuesIntoItsFillAndCarriesTheButtonGround)
{
    ExpectSameColumn(IDB_BANNER, 689, IDB_BANNER_FILL, 0, 0, 69);
    const testing_support::BitmapPixels banner = Read(IDB_BANNER), fill = Read(IDB_BANNER_FILL);
    for (int y = 38; y < 61; ++y) {
        EXPECT_EQ(Hex(fill.At(0, y)), Hex(kBannerButtonBack)) << "row " << y;
        for (int x = 588; x < 690; ++x)
            ASSERT_EQ(Hex(banner.At(x, y)), Hex(kBannerButtonBack)) << x << "," << y;
    }
}

// The frame's edges are stretched over the inner halves of the corners, so a
// corner must turn into its edges exactly where they take over.
TEST_F(Artwork, TheFrameCornersJoinTheirEdges)
{
    for (int x = 5; x < 10; ++x) {
        ExpectSameColumn(IDB_FRAME_TOPLEFT, x, IDB_FRAME_TOP, 0, 0, 10);
        ExpectSameColumn(IDB_FRAME_BOTTOMLEFT, x, IDB_FRAME_BOTTOM, 0, 0, 10);
        ExpectSameColumn(IDB_FRAME_TOPRIGHT, 9 - x, IDB_FRAME_TOP, 0, 0, 10);
        ExpectSameColumn(IDB_FRAME_BOTTOMRIGHT, 9 - x, IDB_FRAME_BOTTOM, 0, 0, 10);
    }
    for (int y = 5; y < 10; ++y) {
        ExpectSameRow(IDB_FRAME_TOPLEFT, y, IDB_FRAME_LEFT, 0, 0, 10);
        ExpectSameRow(IDB_FRAME_TOPRIGHT, y, IDB_FRAME_RIGHT, 0, 0, 10);
        ExpectSameRow(IDB_FRAME_BOTTOMLEFT, 9 - y, IDB_FRAME_LEFT, 0, 0, 10);
        ExpectSameRow(IDB_FRAME_BOTTOMRIGHT, 9 - y, IDB_FRAME_RIGHT, 0, 0, 10);
    }
    // The outer pixel of every edge melts into the window background.
    const testing_support::BitmapPixels top = Read(IDB_FRAME_TOP), left = Read(IDB_FRAME_LEFT);
    const COLORREF outer = top.At(0, 0);
    EXPECT_LE(std::abs(GetRValue(outer) - GetRValue(kWindowBack)) + std::abs(GetGValue(outer) - GetGValue(kWindowBack)) +
                  std::abs(GetBValue(outer) - GetBValue(kWindowBack)),
              12);
    EXPECT_EQ(Hex(left.At(0, 0)), Hex(outer));
}

// Left and right pieces of a three-piece row meet the stretched middle piece
// without a step.
TEST_F(Artwork, RowPiecesJoinTheirMiddlePiece)
{
    ExpectSameColumn(IDB_ROW_LEFT, 87, IDB_ROW_MID, 0, 0, 60);
    ExpectSameColumn(IDB_ROW_RIGHT, 0, IDB_ROW_MID, 0, 0, 60);
    ExpectSameColumn(IDB_ROW_SEL_LEFT, 87, IDB_ROW_SEL_MID, 0, 0, 60);
    ExpectSameColumn(IDB_ROW_SEL_RIGHT, 0, IDB_ROW_SEL_MID, 0, 0, 60);
    ExpectSameColumn(IDB_HEADER_LEFT, 24, IDB_HEADER_MID, 0, 0, 60);
    ExpectSameColumn(IDB_HEADER_RIGHT, 0, IDB_HEADER_MID, 0, 0, 60);
    ExpectSameColumn(IDB_PANE_ROW_LEFT, 2, IDB_PANE_ROW_MID, 0, 0, 52);
    ExpectSameColumn(IDB_PANE_ROW_RIGHT, 0, IDB_PANE_ROW_MID, 0, 0, 52);
    ExpectSameColumn(IDB_PANE_SEL_LEFT, 2, IDB_PANE_SEL_MID, 0, 0, 52);
    ExpectSameColumn(IDB_PANE_SEL_RIGHT, 0, IDB_PANE_SEL_MID, 0, 0, 52);
}

// Button pictures are drawn opaque: their corners must be the ground they
// stand on, or a rounded button shows square corners of another colour.
TEST_F(Artwork, ButtonPicturesCarryTheirGroundInTheCorners)
{
    const struct {
        UINT id;
        COLORREF ground;
    } buttons[] = {
        {IDB_SELECTALL, kWindowBack},       {IDB_SELECTALL_HOT, kWindowBack},     {IDB_SAVE, kWindowBack},
        {IDB_SAVE_HOT, kWindowBack},        {IDB_INSTALL_AUTO, kWindowBack},      {IDB_INSTALL_AUTO_HOT, kWindowBack},
        {IDB_INSTALL_MANUAL, kWindowBack},  {IDB_INSTALL_MANUAL_HOT, kWindowBack}, {IDB_OPTIONS, kWindowBack},
        {IDB_CLOSE, kWindowBack},           {IDB_CLOSE_HOT, kWindowBack},         {IDB_MAKER, kWindowBack},
        {IDB_HELP, kBannerButtonBack},      {IDB_HELP_HOT, kBannerButtonBack},    {IDB_HOMEPAGE, kBannerButtonBack},
        {IDB_HOMEPAGE_HOT, kBannerButtonBack}, {IDB_STOP, kWindowBack},           {IDB_STOP_HOT, kWindowBack},
        {IDB_STOPPING, kWindowBack},
    };
    for (const auto& b : buttons) {
        const testing_support::BitmapPixels p = Read(b.id);
        ASSERT_TRUE(p.Ok());
        const int r = p.Width() - 1, bottom = p.Height() - 1;
        EXPECT_EQ(Hex(p.At(0, 0)), Hex(b.ground)) << "bitmap " << b.id;
        EXPECT_EQ(Hex(p.At(r, 0)), Hex(b.ground)) << "bitmap " << b.id;
        EXPECT_EQ(Hex(p.At(0, bottom)), Hex(b.ground)) << "bitmap " << b.id;
        EXPECT_EQ(Hex(p.At(r, bottom)), Hex(b.ground)) << "bitmap " << b.id;
    }
}

// The two install modes, and the hot and normal look of each button, must be
// told apart at a glance.
TEST_F(Artwork, InstallModesAndHotLooksAreClearlyDifferent)
{
    EXPECT_GT(Difference(IDB_INSTALL_AUTO, IDB_INSTALL_MANUAL), 0.30);
    EXPECT_GT(Difference(IDB_INSTALL_AUTO_HOT, IDB_INSTALL_MANUAL_HOT), 0.30);
    for (const auto& pair : {std::pair{IDB_INSTALL_AUTO, IDB_INSTALL_AUTO_HOT},
                             std::pair{IDB_INSTALL_MANUAL, IDB_INSTALL_MANUAL_HOT}, std::pair{IDB_SAVE, IDB_SAVE_HOT},
                             std::pair{IDB_HELP, IDB_HELP_HOT}, std::pair{IDB_HOMEPAGE, IDB_HOMEPAGE_HOT},
                             std::pair{IDB_CLOSE, IDB_CLOSE_HOT}, std::pair{IDB_SELECTALL, IDB_SELECTALL_HOT},
                             std::pair{IDB_STOP, IDB_STOP_HOT}})
        EXPECT_GT(Difference(pair.first, pair.second), 0.01) << pair.first << " / " << pair.second;
    EXPECT_GT(Difference(IDB_ROW_MID, IDB_ROW_SEL_MID), 0.5);
    EXPECT_GT(Difference(IDB_PANE_ROW_MID, IDB_PANE_SEL_MID), 0.5);
}

} // namespace
