#include <cstring>

#include "tests/support/harness.h"

struct PixelServices : EngineGraphics {};

// Null arguments, unlocked holders, failed or second locks, positions off the surface write nothing.
TEST_F(PixelServices, NullArgumentsLocksAndBounds) {
    ImageSurface *holder = AddImage("", IMAGE_BLANK, 1024, 4)->holder, empty, again;
    PixelFormat f, untouched;
    ASSERT_EQ(GetPixelFormat(holder->surface, &f), 1);
    EXPECT_EQ(std::tie(f.rMask, f.gMask, f.bMask, f.rShift, f.gShift, f.bShift),
              std::make_tuple(0xF800u, 0x07E0u, 0x001Fu, 11, 5, 0));
    EXPECT_EQ(FillSurface(0, 0, 40, holder, &f), 1);  // neither scaled nor masked: blue spills into green
    std::vector<uint16_t> expected(4096, 0x0028);
    untouched = f, ConstructImageSurface(&empty);
    EXPECT_EQ(empty.lockDesc.lpSurface, nullptr);
    EXPECT_EQ(GetPixelFormat(nullptr, &f) + GetPixelFormat(holder->surface, nullptr), 0);
    EXPECT_EQ(std::memcmp(&f, &untouched, sizeof f), 0);
    EXPECT_EQ(FillSurface(1, 1, 1, nullptr, &f) + FillSurface(1, 1, 1, holder, nullptr), 0);
    EXPECT_EQ(FillSurface(1, 1, 1, &empty, &f) + LockSurface(nullptr) + UnlockSurface(nullptr), 0);
    EXPECT_EQ(LockSurface(&empty) + UnlockSurface(&empty) + PutPixel(0, 0, 1, 1, 1, &empty.lockDesc, &f), 0);
    holder->lockDesc.lpSurface = holder->surface->pixels, HeadlessGetFaults()->lock = FailNext();  // a stale pointer
    EXPECT_EQ(LockSurface(holder) + PutPixel(0, 0, 31, 63, 31, &holder->lockDesc, &f), 0);
    ASSERT_EQ(LockSurface(holder), 1);
    EXPECT_EQ(std::make_tuple(holder->surface->locked, holder->lockDesc.lpSurface, holder->lockDesc.lPitch),
              std::make_tuple(1, static_cast<void*>(holder->surface->pixels), 2048));
    again = *holder;
    EXPECT_EQ(LockSurface(&again) + FillSurface(31, 63, 31, holder, &f), 0);
    EXPECT_EQ(PutPixel(0, 0, 31, 63, 31, nullptr, &f) + PutPixel(0, 0, 31, 63, 31, &holder->lockDesc, nullptr), 0);
    holder->lockDesc.dwWidth = 1000, holder->lockDesc.dwHeight = 3;
    for (auto p : {POINT{-1, 0}, {0, -1}, {1000, 0}, {1023, 1}, {0, 3}, {5, 100000}, {-100000, 1}})
        EXPECT_EQ(PutPixel(p.x, p.y, 31, 63, 31, &holder->lockDesc, &f), 0);
    PutPixel(3, 2, 1, 2, 3, &holder->lockDesc, &f), PutPixel(999, 2, 31, 63, 31, &holder->lockDesc, &f);
    EXPECT_EQ(UnlockSurface(holder) + holder->surface->locked, 0);
    expected[2 * 1024 + 3] = 1 << 11 | 2 << 5 | 3, expected[2 * 1024 + 999] = 0xFFFF;
    EXPECT_EQ(std::vector<uint16_t>(holder->surface->pixels, holder->surface->pixels + 4096), expected);
}
