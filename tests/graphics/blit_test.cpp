// The colour-keyed copy: every kernel this processor runs against the plain
// rule, and BltFast's and Blt's checks of rectangles, keys and surface states.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/blit_kernels.h"
#include "platform/ddraw.h"
#include "tests/graphics/test_surface.h"

using gfxtest::ExpectCopy;
using gfxtest::Picture;
using gfxtest::TestSurface;

namespace {

// Puts the fastest kernel back after a test forced another one.
struct KernelRestore {
    ~KernelRestore() { BlitForceKernel(nullptr); }
};

Picture Snapshot(TestSurface& t) {
    Picture p(t.width, t.height);
    p.px = t.Picture();
    return p;
}

// A source in which roughly a third of the pixels are the key.
void FillWithKey(TestSurface& t, std::mt19937& rng, uint16_t key) {
    for (int y = 0; y < t.height; y++)
        for (int x = 0; x < t.width; x++) t.At(x, y) = rng() % 3 == 0 ? key : static_cast<uint16_t>(rng());
}

TEST(BlitKernels, ReferenceIsFirstAndEveryListedKernelIsRunnable) {
    ASSERT_GE(BlitKernelCount(), 1);
    EXPECT_STREQ(BlitKernelAt(0)->name, "reference");
    EXPECT_EQ(BlitKernelAt(BlitKernelCount()), nullptr);
    EXPECT_EQ(BlitKernelAt(-1), nullptr);
    // The fastest one is active unless a test forces another.
    EXPECT_EQ(BlitActiveKernel(), BlitKernelAt(BlitKernelCount() - 1));
#if defined(__x86_64__)
    // SSE2 is part of every x86-64 processor.
    ASSERT_GE(BlitKernelCount(), 2);
    EXPECT_STREQ(BlitKernelAt(1)->name, "sse2");
#endif
    EXPECT_EQ(BlitForceKernel("no-such-kernel"), 0);
    EXPECT_EQ(BlitActiveKernel(), BlitKernelAt(BlitKernelCount() - 1));
}

TEST(BlitKernels, ProcessorFeaturesDecideTheList) {
    std::vector<std::string> names;
    for (int i = 0; i < BlitKernelCount(); i++) names.push_back(BlitKernelAt(i)->name);
    auto has = [&](const char* n) { return std::find(names.begin(), names.end(), n) != names.end(); };
#if defined(__x86_64__)
    __builtin_cpu_init();
    EXPECT_EQ(has("avx2"), static_cast<bool>(__builtin_cpu_supports("avx2")));
    EXPECT_EQ(has("avx512bw"),
              static_cast<bool>(__builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512f")));
#endif
    EXPECT_TRUE(has("reference"));
}

// Every width from 1 to 130 (all remainders of 8, 16 and 32 pixels, and rows
// shorter than one vector), random keys and contents, each kernel against the
// rule written out in the test.
TEST(BlitKernels, EveryKernelMatchesTheRuleForEveryWidth) {
    std::mt19937 rng(12345);
    for (int k = 0; k < BlitKernelCount(); k++) {
        const BlitKernel* kernel = BlitKernelAt(k);
        for (int width = 1; width <= 130; width++) {
            const int height = 1 + width % 5;
            const uint16_t key = static_cast<uint16_t>(rng());
            TestSurface src(width, height, 3), dst(width, height, 7);
            FillWithKey(src, rng, key);
            dst.Fill(rng);
            Picture expected = Snapshot(dst);
            ExpectCopy(expected, 0, 0, src.Picture(), width, 0, 0, width, height, true, key);
            kernel->copy(dst.s.pixels, dst.stride, src.s.pixels, src.stride, width, height, key);
            ASSERT_EQ(dst.Picture(), expected.px) << kernel->name << " width " << width;
            ASSERT_TRUE(dst.GuardsIntact()) << kernel->name << " width " << width;
        }
    }
}

// Rows packed end to end in an exactly sized buffer: a kernel that read one
// pixel past the last row would run off the allocation (AddressSanitizer
// reports it), and one that wrote past a row would change the next row.
TEST(BlitKernels, NothingReadOrWrittenPastTheRows) {
    std::mt19937 rng(7);
    for (int k = 0; k < BlitKernelCount(); k++) {
        const BlitKernel* kernel = BlitKernelAt(k);
        for (int width : {1, 3, 4, 5, 7, 8, 9, 15, 16, 17, 31, 32, 33, 63, 65}) {
            const int height = 3;
            std::vector<uint16_t> src(static_cast<size_t>(width) * height), dst(src.size());
            for (auto& p : src) p = rng() % 2 ? 0xF81F : static_cast<uint16_t>(rng());
            for (auto& p : dst) p = static_cast<uint16_t>(rng());
            std::vector<uint16_t> expected = dst;
            for (size_t i = 0; i < src.size(); i++)
                if (src[i] != 0xF81F) expected[i] = src[i];
            // The middle row alone: rows 0 and 2 must keep what they had.
            std::vector<uint16_t> want = dst;
            for (int i = 0; i < width; i++) want[width + i] = expected[width + i];
            kernel->copy(dst.data() + width, width, src.data() + width, width, width, 1, 0xF81F);
            ASSERT_EQ(dst, want) << kernel->name << " width " << width;
            // The last row, ending exactly at the end of both buffers.
            kernel->copy(dst.data() + 2 * width, width, src.data() + 2 * width, width, width, 1, 0xF81F);
            for (int i = 0; i < width; i++) ASSERT_EQ(dst[2 * width + i], expected[2 * width + i]);
        }
    }
}

TEST(BlitKernels, ForcingAKernelMakesBltFastUseIt) {
    KernelRestore restore;
    for (int k = 0; k < BlitKernelCount(); k++) {
        ASSERT_EQ(BlitForceKernel(BlitKernelAt(k)->name), 1);
        EXPECT_EQ(BlitActiveKernel(), BlitKernelAt(k));
    }
    EXPECT_EQ(BlitForceKernel(nullptr), 1);
    EXPECT_EQ(BlitActiveKernel(), BlitKernelAt(BlitKernelCount() - 1));
}

// BltFast with each kernel over random rectangles, including rectangles flush
// with every edge of source and destination, against the rule.
TEST(BltFast, RandomRectanglesWithEveryKernel) {
    KernelRestore restore;
    std::mt19937 rng(99);
    TestSurface src(97, 41, 3);
    const uint16_t key = 0xF81F;
    FillWithKey(src, rng, key);
    src.SetKey(key);
    const std::vector<uint16_t> srcPixels = src.Picture();
    for (int k = 0; k < BlitKernelCount(); k++) {
        ASSERT_TRUE(BlitForceKernel(BlitKernelAt(k)->name));
        for (int round = 0; round < 300; round++) {
            TestSurface dst(83, 37, 9);
            dst.Fill(rng);
            int left = rng() % src.width, top = rng() % src.height;
            int right = left + 1 + rng() % (src.width - left), bottom = top + 1 + rng() % (src.height - top);
            if (round % 4 == 0) right = src.width;  // flush with the source's right edge
            if (round % 5 == 0) bottom = src.height;
            int w = right - left, h = bottom - top;
            if (w > dst.width) right = left + (w = dst.width);
            if (h > dst.height) bottom = top + (h = dst.height);
            int dx = rng() % (dst.width - w + 1), dy = rng() % (dst.height - h + 1);
            if (round % 3 == 0) dx = dst.width - w;  // flush with the destination's right edge
            if (round % 7 == 0) dy = dst.height - h;
            const bool keyed = round % 6 != 0;
            Picture expected = Snapshot(dst);
            ExpectCopy(expected, dx, dy, srcPixels, src.width, left, top, right, bottom, keyed, key);
            RECT r = {left, top, right, bottom};
            ASSERT_EQ(dst.s.BltFast(dx, dy, &src.s, &r, keyed ? DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT : 0), DD_OK);
            ASSERT_EQ(dst.Picture(), expected.px) << BlitKernelAt(k)->name << " round " << round;
            ASSERT_TRUE(dst.GuardsIntact());
        }
    }
    EXPECT_EQ(src.Picture(), srcPixels);
}

struct BltFastChecks : ::testing::Test {
    TestSurface src{16, 8};
    TestSurface dst{32, 16};
    std::mt19937 rng{5};
    Picture before{1, 1};
    void SetUp() override {
        src.Fill(rng);
        dst.Fill(rng);
        before = Snapshot(dst);
    }
    HRESULT Copy(DWORD x, DWORD y, LONG l, LONG t, LONG r, LONG b) {
        RECT rect = {l, t, r, b};
        return dst.s.BltFast(x, y, &src.s, &rect, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
    }
    bool Untouched() { return dst.Picture() == before.px && dst.GuardsIntact(); }
};

TEST_F(BltFastChecks, NullSourceIsInvalidParams) {
    EXPECT_EQ(dst.s.BltFast(0, 0, nullptr, nullptr, DDBLTFAST_SRCCOLORKEY), DDERR_INVALIDPARAMS);
    EXPECT_TRUE(Untouched());
}

TEST_F(BltFastChecks, InvertedEmptyOrOutsideSourceRectanglesAreRefused) {
    EXPECT_EQ(Copy(0, 0, 5, 0, 4, 4), DDERR_INVALIDRECT);    // inverted horizontally
    EXPECT_EQ(Copy(0, 0, 0, 5, 4, 4), DDERR_INVALIDRECT);    // inverted vertically
    EXPECT_EQ(Copy(0, 0, 4, 0, 4, 4), DDERR_INVALIDRECT);    // empty
    EXPECT_EQ(Copy(0, 0, 0, 3, 4, 3), DDERR_INVALIDRECT);    // empty
    EXPECT_EQ(Copy(0, 0, -1, 0, 4, 4), DDERR_INVALIDRECT);   // left of the source
    EXPECT_EQ(Copy(0, 0, 0, -1, 4, 4), DDERR_INVALIDRECT);   // above the source
    EXPECT_EQ(Copy(0, 0, 0, 0, 17, 4), DDERR_INVALIDRECT);   // past its right edge
    EXPECT_EQ(Copy(0, 0, 0, 0, 4, 9), DDERR_INVALIDRECT);    // past its bottom
    EXPECT_EQ(Copy(0, 0, -8, 0, -2, 4), DDERR_INVALIDRECT);  // wholly outside
    EXPECT_TRUE(Untouched());
}

TEST_F(BltFastChecks, DestinationMustHoldTheWholeRectangle) {
    EXPECT_EQ(Copy(29, 0, 0, 0, 4, 4), DDERR_INVALIDRECT);           // one column too far right
    EXPECT_EQ(Copy(0, 13, 0, 0, 4, 4), DDERR_INVALIDRECT);           // one row too low
    EXPECT_EQ(Copy(0xFFFFFFF6u, 0, 0, 0, 4, 4), DDERR_INVALIDRECT);  // a negative x as a DWORD
    EXPECT_EQ(Copy(0, 0xFFFFFFFFu, 0, 0, 4, 4), DDERR_INVALIDRECT);
    EXPECT_EQ(Copy(40, 40, 0, 0, 1, 1), DDERR_INVALIDRECT);
    EXPECT_TRUE(Untouched());
    EXPECT_EQ(Copy(28, 12, 0, 0, 4, 4), DD_OK);  // flush with the bottom-right corner
    EXPECT_TRUE(dst.GuardsIntact());
    EXPECT_EQ(dst.At(31, 15), src.At(3, 3));
}

TEST_F(BltFastChecks, LockedOrLostSurfacesAreRefused) {
    src.s.locked = 1;
    EXPECT_EQ(Copy(0, 0, 0, 0, 4, 4), DDERR_SURFACEBUSY);
    src.s.locked = 0;
    dst.s.locked = 1;
    EXPECT_EQ(Copy(0, 0, 0, 0, 4, 4), DDERR_SURFACEBUSY);
    dst.s.locked = 0;
    dst.s.lost = 1;
    EXPECT_EQ(Copy(0, 0, 0, 0, 4, 4), DDERR_SURFACELOST);
    dst.s.lost = 0;
    // A back buffer goes with its lost primary.
    IDirectDrawSurface4 primary{};
    primary.lost = 1;
    dst.s.owner = &primary;
    EXPECT_EQ(Copy(0, 0, 0, 0, 4, 4), DDERR_SURFACELOST);
    dst.s.owner = nullptr;
    EXPECT_TRUE(Untouched());
}

TEST_F(BltFastChecks, NullRectangleCopiesTheWholeSource) {
    ASSERT_EQ(dst.s.BltFast(3, 2, &src.s, nullptr, 0), DD_OK);
    Picture expected = before;
    ExpectCopy(expected, 3, 2, src.Picture(), 16, 0, 0, 16, 8, false, 0);
    EXPECT_EQ(dst.Picture(), expected.px);
    EXPECT_EQ(dst.s.BltFast(17, 0, &src.s, nullptr, 0), DDERR_INVALIDRECT);  // 16 wide from 17 overruns 32
}

TEST_F(BltFastChecks, KeyOnlyWhenAskedForAndSet) {
    const uint16_t key = src.At(0, 0);
    for (int x = 0; x < 16; x += 3) src.At(x, 2) = key;
    RECT r = {0, 0, 16, 8};
    // Asked for, no key set: a plain copy.
    ASSERT_EQ(dst.s.BltFast(0, 0, &src.s, &r, DDBLTFAST_SRCCOLORKEY), DD_OK);
    Picture plain = before;
    ExpectCopy(plain, 0, 0, src.Picture(), 16, 0, 0, 16, 8, false, 0);
    EXPECT_EQ(dst.Picture(), plain.px);

    // Key set but not asked for: still a plain copy.
    src.SetKey(key);
    TestSurface d2(32, 16);
    ASSERT_EQ(d2.s.BltFast(0, 0, &src.s, &r, DDBLTFAST_WAIT), DD_OK);
    EXPECT_EQ(d2.At(0, 0), key);

    // Key set and asked for: key pixels leave the destination as it was.
    TestSurface d3(32, 16);
    for (int y = 0; y < 16; y++)
        for (int x = 0; x < 32; x++) d3.At(x, y) = 0x1234;
    ASSERT_EQ(d3.s.BltFast(0, 0, &src.s, &r, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT), DD_OK);
    EXPECT_EQ(d3.At(0, 0), 0x1234);
    EXPECT_EQ(d3.At(3, 2), 0x1234);
    for (int y = 0; y < 8; y++)
        for (int x = 0; x < 16; x++) EXPECT_EQ(d3.At(x, y), src.At(x, y) == key ? 0x1234 : src.At(x, y));
}

// A surface copying onto itself with overlapping rectangles gets the picture
// of the source as it was before the copy, in every direction.
TEST(BltFast, OverlappingCopyWithinOneSurface) {
    KernelRestore restore;
    std::mt19937 rng(3);
    const int dirs[][2] = {{5, 0}, {-5, 0}, {0, 3}, {0, -3}, {300, 1}, {-300, -1}, {2, 2}, {-2, -2}};
    for (int k = 0; k < BlitKernelCount(); k++) {
        BlitForceKernel(BlitKernelAt(k)->name);
        for (bool keyed : {false, true}) {
            for (auto& d : dirs) {
                TestSurface t(700, 12);
                for (int y = 0; y < 12; y++)
                    for (int x = 0; x < 700; x++) t.At(x, y) = rng() % 4 == 0 ? 0x0001 : static_cast<uint16_t>(rng());
                t.SetKey(0x0001);
                Picture expected = Snapshot(t);
                const std::vector<uint16_t> snapshot = t.Picture();
                RECT r = {d[0] < 0 ? 310 : 10, 4, d[0] < 0 ? 690 : 390, 8};
                int dx = r.left + d[0], dy = r.top + d[1];
                ExpectCopy(expected, dx, dy, snapshot, 700, r.left, r.top, r.right, r.bottom, keyed, 0x0001);
                ASSERT_EQ(t.s.BltFast(dx, dy, &t.s, &r, keyed ? DDBLTFAST_SRCCOLORKEY : 0), DD_OK);
                ASSERT_EQ(t.Picture(), expected.px) << BlitKernelAt(k)->name << " " << d[0] << "," << d[1];
                ASSERT_TRUE(t.GuardsIntact());
            }
        }
    }
}

TEST(Blt, ColourFillOfWholeSurfaceAndOfARectangle) {
    TestSurface t(20, 10);
    DDBLTFX fx;
    std::memset(&fx, 0, sizeof fx);
    fx.dwSize = sizeof fx;
    fx.dwFillColor = 0xF800;
    ASSERT_EQ(t.s.Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
    for (uint16_t p : t.Picture()) EXPECT_EQ(p, 0xF800);
    fx.dwFillColor = 0x0001F;
    RECT r = {19, 9, 20, 10};
    ASSERT_EQ(t.s.Blt(&r, nullptr, nullptr, DDBLT_COLORFILL, &fx), DD_OK);
    EXPECT_EQ(t.At(19, 9), 0x001F);
    EXPECT_EQ(t.At(18, 9), 0xF800);
    EXPECT_TRUE(t.GuardsIntact());
}

TEST(Blt, RefusesWhatItCannotDo) {
    TestSurface t(20, 10);
    DDBLTFX fx;
    std::memset(&fx, 0, sizeof fx);
    fx.dwSize = sizeof fx;
    fx.dwFillColor = 0xFFFF;
    RECT outside = {10, 5, 21, 10};
    RECT inverted = {10, 5, 9, 10};
    EXPECT_EQ(t.s.Blt(&outside, nullptr, nullptr, DDBLT_COLORFILL, &fx), DDERR_INVALIDRECT);
    EXPECT_EQ(t.s.Blt(&inverted, nullptr, nullptr, DDBLT_COLORFILL, &fx), DDERR_INVALIDRECT);
    EXPECT_EQ(t.s.Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_NE(t.s.Blt(nullptr, nullptr, nullptr, DDBLT_WAIT, &fx), DD_OK);  // only colour fills
    t.s.locked = 1;
    EXPECT_EQ(t.s.Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx), DDERR_SURFACEBUSY);
    t.s.locked = 0;
    t.s.lost = 1;
    EXPECT_EQ(t.s.Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx), DDERR_SURFACELOST);
    for (uint16_t p : t.Picture()) EXPECT_EQ(p, 0);
    EXPECT_TRUE(t.GuardsIntact());
}

}  // namespace
