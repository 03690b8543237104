// Screen scales: which pictures serve a DPI, the sizes they take there, and
// the DPI a change of scale carries.
#include "platform/dpi.h"
#include "res/resource.h"

#include <gtest/gtest.h>

namespace {

TEST(Dpi, PicturesComeFromTheSmallestSetAtOrAboveTheScale)
{
    struct Case {
        int dpi;
        int artworkDpi;
        SIZE save;      // the 105 x 23 button picture
        SIZE middle;    // a 1 x 60 piece the lists stretch
    };
    const Case cases[] = {
        {96, 96, {105, 23}, {1, 60}},   {120, 144, {132, 29}, {1, 75}},  {144, 144, {158, 35}, {1, 90}},
        {168, 192, {184, 40}, {1, 105}}, {192, 192, {210, 46}, {1, 120}}, {240, 192, {263, 58}, {1, 150}},
        {72, 96, {79, 17}, {1, 45}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dpi::ArtworkDpi(c.dpi), c.artworkDpi) << c.dpi;
        const dpi::Scale scale{c.dpi};
        for (const auto& [id, size] : {std::pair{UINT{IDB_SAVE}, c.save}, std::pair{UINT{IDB_ROW_MID}, c.middle}}) {
            const CBitmap bitmap = dpi::LoadBitmapAt(id, scale);
            const SIZE got = BitmapSize(bitmap.Get());
            EXPECT_EQ(got.cx, size.cx) << c.dpi << " " << id;
            EXPECT_EQ(got.cy, size.cy) << c.dpi << " " << id;
        }
    }
    // A picture the program lacks stays absent at every scale.
    EXPECT_FALSE(dpi::LoadBitmapAt(9, dpi::Scale{144}));
}

TEST(Dpi, TheScaleAMessageCarries)
{
    EXPECT_EQ(dpi::DpiOfMessage(MAKEWPARAM(144, 144)), 144);
    EXPECT_EQ(dpi::DpiOfMessage(MAKEWPARAM(192, 192)), 192);
    EXPECT_EQ(dpi::DpiOfMessage(0), 0);
    EXPECT_EQ(dpi::DpiOfMessage(MAKEWPARAM(0xFFFF, 0xFFFF)), 0);
    EXPECT_EQ(dpi::Scale{144}.Px(5), 8);
    EXPECT_EQ(dpi::Scale{120}.Px(160), 200);
    EXPECT_EQ(dpi::Scale{}.Px(-3), -3);
}

} // namespace
