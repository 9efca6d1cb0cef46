#include <gtest/gtest.h>

#include "platform/blit_kernels.h"
#include "tests/support/surface.h"

using namespace gfxtest;

// Each kernel (the fastest last and active): keyed only when asked and the source has a key; a copy
// onto itself gets the source as it was, in every direction (rows of 380 cross the staging chunks).
// The source ends at its last pixel, so AddressSanitizer reports a read past it.
TEST(BltFast, RandomAndOverlappingRectanglesWithEveryKernel) {
#if defined(__x86_64__)
    EXPECT_EQ(BlitKernelCount(), 2 + !!__builtin_cpu_supports("avx2") + !!__builtin_cpu_supports("avx512bw"));
#endif
    EXPECT_EQ(BlitActiveKernel(), BlitKernelAt(BlitKernelCount() - 1));
    std::mt19937 rng(99);
    TestSurface src(97, 41, 3, 0);
    src.Fill(rng, 3, 1), src.SetKey(1);
    const int dirs[][2] = {{5, 0}, {-5, 0}, {0, 3}, {0, -3}, {300, 1}, {-300, -1}, {2, 2}, {-2, -2}};
    for (int k = 0; k < BlitKernelCount(); k++) {
        ASSERT_TRUE(BlitForceKernel(BlitKernelAt(k)->name));
        for (int round = 0; round < 300; round++) {
            TestSurface dst(83, 37, 9);
            dst.Fill(rng);
            const int left = rng() % 97, top = rng() % 41;
            const int right = std::min<int>(round % 4 ? left + 1 + rng() % (97 - left) : 97, left + 83);
            const int bottom = std::min<int>(round % 5 ? top + 1 + rng() % (41 - top) : 41, top + 37);
            const int dx = round % 3 ? rng() % (84 - right + left) : 83 - right + left;
            const int dy = round % 7 ? rng() % (38 - bottom + top) : 37 - bottom + top;
            const bool asked = round % 6 != 0;
            src.s.hasSrcKey = round % 10 != 0;
            std::vector<uint16_t> expected = dst.Pixels();
            RECT r = {left, top, right, bottom};
            ExpectCopy(expected, 83, dx, dy, src.Pixels(), 97, r, asked && src.s.hasSrcKey, 1);
            ASSERT_EQ(dst.s.BltFast(dx, dy, &src.s, &r, asked ? DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT : 0), DD_OK);
            ASSERT_TRUE(dst.Pixels() == expected && dst.GuardsIntact()) << BlitKernelAt(k)->name << " " << round;
        }
        for (int d = 0; d < 16; d++) {
            TestSurface t(700, 12);
            t.Fill(rng, 4, 1), t.SetKey(1);
            std::vector<uint16_t> expected = t.Pixels();
            RECT r = {dirs[d % 8][0] < 0 ? 310 : 10, 4, dirs[d % 8][0] < 0 ? 690 : 390, 8};
            const int dx = r.left + dirs[d % 8][0], dy = r.top + dirs[d % 8][1];
            ExpectCopy(expected, 700, dx, dy, t.Pixels(), 700, r, d < 8, 1);
            ASSERT_EQ(t.s.BltFast(dx, dy, &t.s, &r, d < 8 ? DDBLTFAST_SRCCOLORKEY : 0), DD_OK);
            ASSERT_TRUE(t.Pixels() == expected && t.GuardsIntact()) << BlitKernelAt(k)->name << " overlap " << d;
        }
    }
    BlitForceKernel(nullptr);
}

TEST(BltFast, RefusalsTouchNothing) {
    TestSurface src(16, 8), dst(32, 16);
    std::mt19937 rng(5);
    src.Fill(rng), dst.Fill(rng);
    const std::vector<uint16_t> before = dst.Pixels();
    auto copy = [&](LONG x, LONG y, RECT r) { return dst.s.BltFast(DWORD(x), DWORD(y), &src.s, &r, DDBLTFAST_WAIT); };
    const LONG cases[][6] = {
        {0, 0, 5, 0, 4, 4},  {0, 0, 0, 5, 4, 4},   {0, 0, 4, 0, 4, 4},  {0, 0, 0, 3, 4, 3},   {0, 0, -1, 0, 4, 4},
        {0, 0, 0, -1, 4, 4}, {0, 0, 0, 0, 17, 4},  {0, 0, 0, 0, 4, 9},  {0, 0, -8, 0, -2, 4}, {29, 0, 0, 0, 4, 4},
        {0, 13, 0, 0, 4, 4}, {-10, 0, 0, 0, 4, 4}, {0, -1, 0, 0, 4, 4}, {40, 40, 0, 0, 1, 1},
    };
    for (auto& c : cases) EXPECT_EQ(copy(c[0], c[1], {c[2], c[3], c[4], c[5]}), DDERR_INVALIDRECT) << &c - cases;
    EXPECT_EQ(dst.s.BltFast(0, 0, nullptr, nullptr, 0), DDERR_INVALIDPARAMS);
    EXPECT_EQ(dst.s.BltFast(17, 0, &src.s, nullptr, 0), DDERR_INVALIDRECT);  // the whole 16 from 17 overruns 32
    src.s.locked = 1;
    EXPECT_EQ(copy(0, 0, {0, 0, 4, 4}), DDERR_SURFACEBUSY);
    src.s.locked = 0, dst.s.locked = 1;
    EXPECT_EQ(copy(0, 0, {0, 0, 4, 4}), DDERR_SURFACEBUSY);
    IDirectDrawSurface4 primary{};
    primary.lost = 1, dst.s.locked = 0, dst.s.owner = &primary;  // a back buffer goes with its lost primary
    EXPECT_EQ(copy(0, 0, {0, 0, 4, 4}), DDERR_SURFACELOST);
    EXPECT_EQ(dst.Pixels(), before);
    dst.s.owner = nullptr;  // a null rectangle is the whole source, here flush with the bottom-right corner
    EXPECT_EQ(dst.s.BltFast(16, 8, &src.s, nullptr, 0), DD_OK);
    EXPECT_TRUE(dst.GuardsIntact() && dst.At(31, 15) == src.At(15, 7));
}
