// The colour-keyed copy: every kernel this processor runs against the plain
// rule, and BltFast's checks of rectangles, keys and surface states.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "platform/blit_kernels.h"
#include "platform/ddraw.h"
#include "tests/support/surface.h"

using gfxtest::ExpectCopy;
using gfxtest::Picture;
using gfxtest::TestSurface;

namespace {

// Puts the fastest kernel back after a test forced another one.
struct KernelRestore {
    ~KernelRestore() { BlitForceKernel(nullptr); }
};

// Reference first, then what the processor supports; the fastest is active
// unless a test forces another.
TEST(BlitKernels, ListFollowsTheProcessor) {
    std::vector<std::string> names;
    for (int i = 0; i < BlitKernelCount(); i++) names.push_back(BlitKernelAt(i)->name);
    auto has = [&](const char* n) { return std::find(names.begin(), names.end(), n) != names.end(); };
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(names[0], "reference");
#if defined(__x86_64__)
    __builtin_cpu_init();
    EXPECT_TRUE(has("sse2"));  // part of every x86-64 processor
    EXPECT_EQ(has("avx2"), static_cast<bool>(__builtin_cpu_supports("avx2")));
    EXPECT_EQ(has("avx512bw"),
              static_cast<bool>(__builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512f")));
#endif
    EXPECT_EQ(BlitActiveKernel(), BlitKernelAt(BlitKernelCount() - 1));
    EXPECT_EQ(BlitForceKernel("no-such-kernel"), 0);
    EXPECT_EQ(BlitActiveKernel(), BlitKernelAt(BlitKernelCount() - 1));
}

// Every width from 1 to 130: all remainders of 8, 16 and 32 pixels, and rows
// shorter than one vector. Both buffers end at their last pixel, so a kernel
// reading past it runs off the allocation (AddressSanitizer reports it); the
// destination's rows are padded with guards, so a write past a row shows.
TEST(BlitKernels, EveryKernelMatchesTheRuleForEveryWidth) {
    std::mt19937 rng(12345);
    for (int k = 0; k < BlitKernelCount(); k++) {
        const BlitKernel* kernel = BlitKernelAt(k);
        for (int width = 1; width <= 130; width++) {
            const int height = 1 + width % 5;
            const uint16_t key = static_cast<uint16_t>(rng());
            TestSurface src(width, height, width % 3, 0), dst(width, height, 7, 0);
            src.Fill(rng, 3, key);
            dst.Fill(rng);
            Picture expected = dst.Pixels();
            ExpectCopy(expected, 0, 0, src.Pixels(), 0, 0, width, height, true, key);
            kernel->copy(dst.s.pixels, dst.stride, src.s.pixels, src.stride, width, height, key);
            ASSERT_EQ(dst.Pixels().px, expected.px) << kernel->name << " width " << width;
            ASSERT_TRUE(dst.GuardsIntact()) << kernel->name << " width " << width;
        }
    }
}

// BltFast with each kernel over random rectangles, many flush with an edge of
// source or destination, against the rule. The key applies only when it is
// both asked for and set on the source.
TEST(BltFast, RandomRectanglesWithEveryKernel) {
    KernelRestore restore;
    std::mt19937 rng(99);
    const uint16_t key = 0xF81F;
    TestSurface src(97, 41, 3);
    src.Fill(rng, 3, key);
    src.SetKey(key);
    const Picture srcPixels = src.Pixels();
    for (int k = 0; k < BlitKernelCount(); k++) {
        ASSERT_TRUE(BlitForceKernel(BlitKernelAt(k)->name));
        ASSERT_EQ(BlitActiveKernel(), BlitKernelAt(k));
        for (int round = 0; round < 300; round++) {
            TestSurface dst(83, 37, 9);
            dst.Fill(rng);
            int left = rng() % src.width, top = rng() % src.height;
            int right = round % 4 == 0 ? src.width : left + 1 + rng() % (src.width - left);
            int bottom = round % 5 == 0 ? src.height : top + 1 + rng() % (src.height - top);
            right = std::min(right, left + dst.width);
            bottom = std::min(bottom, top + dst.height);
            const int w = right - left, h = bottom - top;
            const int dx = round % 3 == 0 ? dst.width - w : rng() % (dst.width - w + 1);
            const int dy = round % 7 == 0 ? dst.height - h : rng() % (dst.height - h + 1);
            const bool asked = round % 6 != 0;
            src.s.hasSrcKey = round % 10 != 0;
            Picture expected = dst.Pixels();
            ExpectCopy(expected, dx, dy, srcPixels, left, top, right, bottom, asked && src.s.hasSrcKey, key);
            RECT r = {left, top, right, bottom};
            ASSERT_EQ(dst.s.BltFast(dx, dy, &src.s, &r, asked ? DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT : 0), DD_OK);
            ASSERT_EQ(dst.Pixels().px, expected.px) << BlitKernelAt(k)->name << " round " << round;
            ASSERT_TRUE(dst.GuardsIntact());
        }
    }
    EXPECT_EQ(src.Pixels().px, srcPixels.px);
}

// Rectangles that are inverted, empty or do not fit the source or the
// destination, and locked or lost surfaces, are refused before a pixel moves.
TEST(BltFast, RefusalsTouchNothing) {
    TestSurface src(16, 8), dst(32, 16);
    std::mt19937 rng(5);
    src.Fill(rng);
    dst.Fill(rng);
    const Picture before = dst.Pixels();
    auto copy = [&](DWORD x, DWORD y, LONG l, LONG t, LONG r, LONG b) {
        RECT rect = {l, t, r, b};
        return dst.s.BltFast(x, y, &src.s, &rect, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
    };
    const LONG cases[][6] = {
        {0, 0, 5, 0, 4, 4},  {0, 0, 0, 5, 4, 4},   {0, 0, 4, 0, 4, 4},  {0, 0, 0, 3, 4, 3},   {0, 0, -1, 0, 4, 4},
        {0, 0, 0, -1, 4, 4}, {0, 0, 0, 0, 17, 4},  {0, 0, 0, 0, 4, 9},  {0, 0, -8, 0, -2, 4}, {29, 0, 0, 0, 4, 4},
        {0, 13, 0, 0, 4, 4}, {-10, 0, 0, 0, 4, 4}, {0, -1, 0, 0, 4, 4}, {40, 40, 0, 0, 1, 1},
    };
    for (auto& c : cases)
        EXPECT_EQ(copy(static_cast<DWORD>(c[0]), static_cast<DWORD>(c[1]), c[2], c[3], c[4], c[5]), DDERR_INVALIDRECT)
            << c[0] << "," << c[1] << " " << c[2] << "," << c[3] << "," << c[4] << "," << c[5];
    EXPECT_EQ(dst.s.BltFast(0, 0, nullptr, nullptr, DDBLTFAST_SRCCOLORKEY), DDERR_INVALIDPARAMS);
    EXPECT_EQ(dst.s.BltFast(17, 0, &src.s, nullptr, 0), DDERR_INVALIDRECT);  // the whole 16 from 17 overruns 32
    src.s.locked = 1;
    EXPECT_EQ(copy(0, 0, 0, 0, 4, 4), DDERR_SURFACEBUSY);
    src.s.locked = 0;
    dst.s.locked = 1;
    EXPECT_EQ(copy(0, 0, 0, 0, 4, 4), DDERR_SURFACEBUSY);
    dst.s.locked = 0;
    IDirectDrawSurface4 primary{};
    primary.lost = 1;
    dst.s.owner = &primary;  // a back buffer goes with its lost primary
    EXPECT_EQ(copy(0, 0, 0, 0, 4, 4), DDERR_SURFACELOST);
    dst.s.owner = nullptr;
    EXPECT_EQ(dst.Pixels().px, before.px);
    EXPECT_TRUE(dst.GuardsIntact());
    // A null rectangle is the whole source, here flush with the bottom-right corner.
    EXPECT_EQ(dst.s.BltFast(16, 8, &src.s, nullptr, 0), DD_OK);
    EXPECT_TRUE(dst.GuardsIntact());
    EXPECT_EQ(dst.At(31, 15), src.At(15, 7));
}

// A surface copying onto itself with overlapping rectangles gets the picture
// of the source as it was before the copy, in every direction; rows of 380
// pixels cross the staging buffer's chunks.
TEST(BltFast, OverlappingCopyWithinOneSurface) {
    KernelRestore restore;
    std::mt19937 rng(3);
    const int dirs[][2] = {{5, 0}, {-5, 0}, {0, 3}, {0, -3}, {300, 1}, {-300, -1}, {2, 2}, {-2, -2}};
    for (int k = 0; k < BlitKernelCount(); k++) {
        BlitForceKernel(BlitKernelAt(k)->name);
        for (bool keyed : {false, true})
            for (auto& d : dirs) {
                TestSurface t(700, 12);
                t.Fill(rng, 4, 0x0001);
                t.SetKey(0x0001);
                Picture expected = t.Pixels();
                RECT r = {d[0] < 0 ? 310 : 10, 4, d[0] < 0 ? 690 : 390, 8};
                const int dx = r.left + d[0], dy = r.top + d[1];
                ExpectCopy(expected, dx, dy, t.Pixels(), r.left, r.top, r.right, r.bottom, keyed, 0x0001);
                ASSERT_EQ(t.s.BltFast(dx, dy, &t.s, &r, keyed ? DDBLTFAST_SRCCOLORKEY : 0), DD_OK);
                ASSERT_EQ(t.Pixels().px, expected.px) << BlitKernelAt(k)->name << " " << d[0] << "," << d[1];
                ASSERT_TRUE(t.GuardsIntact());
            }
    }
}

}  // namespace
