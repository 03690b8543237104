#include "platform/handles.h"
#include "platform/thread.h"
#include "res/resource.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

namespace {

using testing_support::GdiObjectCount;

TEST(Handles, OwnersReleaseTheirObjectsExactlyOnce)
{
    const DWORD before = GdiObjectCount();
    for (int i = 0; i < 1000; ++i) {
        CBrush brush(::CreateSolidBrush(RGB(1, 2, 3)));
        CBrush moved = std::move(brush);
        EXPECT_FALSE(brush);
        CBitmap bitmap = LoadBitmapResource(IDB_BANNER);
        bitmap.Reset(::CreateBitmap(4, 4, 1, 1, nullptr));
        CMemDC dc(::CreateCompatibleDC(nullptr));
        CSelectObject select(dc.Get(), bitmap.Get());
    }
    EXPECT_LE(GdiObjectCount(), before + 2);
}

TEST(Handles, ReleaseGivesUpOwnership)
{
    CBrush brush(::CreateSolidBrush(RGB(1, 2, 3)));
    HBRUSH hRaw = brush.Release();
    EXPECT_FALSE(brush);
    LOGBRUSH lb{};
    EXPECT_EQ(::GetObjectW(hRaw, sizeof(lb), &lb), static_cast<int>(sizeof(lb))) << "still alive";
    ::DeleteObject(hRaw);
}

TEST(Handles, ResourcesLoadAtTheirSizeAndMissingOnesAreEmpty)
{
    CBitmap banner = LoadBitmapResource(IDB_BANNER);
    ASSERT_TRUE(banner);
    BITMAP bm{};
    ::GetObjectW(banner.Get(), sizeof(bm), &bm);
    EXPECT_EQ(bm.bmWidth, 690);
    EXPECT_EQ(bm.bmHeight, 69);
    EXPECT_FALSE(LoadBitmapResource(4242));
    EXPECT_TRUE(LoadIconResource(IDR_MAINFRAME, 32, 32));
    EXPECT_FALSE(LoadIconResource(4242, 32, 32));
}

unsigned SetFlag(void* pParam)
{
    *static_cast<volatile LONG*>(pParam) = 1;
    return 0;
}

TEST(Thread, BeginThreadRunsTheProcedure)
{
    volatile LONG flag = 0;
    CKernelHandle thread = BeginThread(&SetFlag, const_cast<LONG*>(&flag));
    ASSERT_TRUE(thread);
    EXPECT_EQ(::WaitForSingleObject(thread.Get(), 10000), WAIT_OBJECT_0);
    EXPECT_EQ(flag, 1);
}

} // namespace
