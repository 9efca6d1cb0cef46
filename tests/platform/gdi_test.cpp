// Bitmap files into surfaces: LoadImageA for every kind of Windows bitmap a
// user would make, refusal of broken and absurd files, and the device
// contexts and BitBlt that bring a bitmap into a surface as RGB565.
#include "platform/gdi.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ddraw.h"
#include "platform/win32.h"
#include "tests/support/bitmap.h"
#include "tests/support/surface.h"

using namespace gfxtest;

namespace {

struct Gdi : ::testing::Test {
    int bitmapsBefore = 0, dcsBefore = 0;
    void SetUp() override {
        GdiResetFaults();
        bitmapsBefore = GdiLiveBitmaps();
        dcsBefore = GdiLiveDCs();
    }
    void TearDown() override {
        GdiResetFaults();
        EXPECT_EQ(GdiLiveBitmaps(), bitmapsBefore) << "a bitmap was left behind";
        EXPECT_EQ(GdiLiveDCs(), dcsBefore) << "a device context was left behind";
    }
    static HANDLE Load(const std::string& path) {
        return LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    }
    // Copies a bitmap into a surface through a memory context and the
    // surface's context, as the image store does.
    static bool Copy(HANDLE bitmap, TestSurface& t, int x, int y, int w, int h, int sx = 0, int sy = 0) {
        HDC memory = CreateCompatibleDC(nullptr), target = nullptr;
        EXPECT_NE(SelectObject(memory, static_cast<HGDIOBJ>(bitmap)), nullptr);
        EXPECT_EQ(t.s.GetDC(&target), DD_OK);
        const bool copied = BitBlt(target, x, y, w, h, memory, sx, sy, SRCCOPY);
        EXPECT_EQ(t.s.ReleaseDC(target), DD_OK);
        EXPECT_TRUE(DeleteDC(memory));
        return copied;
    }
};

// Each kind of file gives the colours a 16-bit display shows. Seven pixels
// a row leave every kind of row padding.
TEST_F(Gdi, EveryKindOfBitmapLoadsAsRgb565) {
    const std::vector<Rgb> palette = {{0, 0, 0}, {255, 0, 255}, {255, 255, 255}, {12, 200, 99}, {250, 7, 130}};
    struct Case {
        int bits;
        bool topDown;
        uint8_t alpha;
    } cases[] = {{24, false, 0}, {24, true, 0}, {32, false, 0}, {32, true, 255}, {32, false, 77},
                 {8, false, 0},  {8, true, 0},  {4, false, 0},  {4, true, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.bits << " bits, top-down " << c.topDown << ", alpha " << int(c.alpha));
        BmpSpec s = Colours24(7, 3);
        s.bits = c.bits;
        s.topDown = c.topDown;
        s.alpha = c.alpha;
        if (c.bits <= 8) s.palette = palette;
        for (int i = 0; c.bits <= 8 && i < 21; i++) {
            s.indices.push_back(static_cast<uint8_t>((i * 3) % 5));
            s.pixels[i] = palette[(i * 3) % 5];
        }
        HANDLE bitmap = Load(WriteFile("kind.bmp", MakeBmp(s)));
        ASSERT_NE(bitmap, nullptr);
        BITMAP bm = {};
        EXPECT_EQ(GetObjectA(bitmap, sizeof bm, &bm), static_cast<int>(sizeof bm));
        EXPECT_EQ(bm.bmWidth, 7);
        EXPECT_EQ(bm.bmHeight, 3);
        TestSurface surface(7, 3);
        EXPECT_TRUE(Copy(bitmap, surface, 0, 0, 7, 3));
        EXPECT_TRUE(DeleteObject(static_cast<HGDIOBJ>(bitmap)));
        Picture expected(7, 3);
        for (int i = 0; i < 21; i++) expected.px[i] = To565(s.pixels[i]);
        EXPECT_EQ(surface.Pixels().px, expected.px);
        EXPECT_TRUE(surface.GuardsIntact());
    }
}

// Truncated, malformed and absurdly sized files are refused without a crash
// and without allocating for the claimed size.
TEST_F(Gdi, BrokenFilesAreRefused) {
    const std::vector<uint8_t> good = MakeBmp(Colours24(8, 8));
    const std::string goodPath = WriteFile("good.bmp", good);
    HANDLE control = Load(goodPath);
    ASSERT_NE(control, nullptr) << "the file the broken ones are made from";
    EXPECT_TRUE(DeleteObject(static_cast<HGDIOBJ>(control)));

    auto patched = [&](size_t at, std::vector<uint8_t> bytes) {
        std::vector<uint8_t> v = good;
        for (size_t i = 0; i < bytes.size(); i++) v[at + i] = bytes[i];
        return v;
    };
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"empty", {}},
        {"half a file header", std::vector<uint8_t>(good.begin(), good.begin() + 7)},
        {"header only", std::vector<uint8_t>(good.begin(), good.begin() + 54)},
        {"pixels cut short", std::vector<uint8_t>(good.begin(), good.end() - 40)},
        {"last byte missing", std::vector<uint8_t>(good.begin(), good.end() - 1)},
        {"not a bitmap", patched(0, {'P', 'K'})},
        {"zero width", patched(18, {0, 0, 0, 0})},
        {"negative width", patched(18, {0xF8, 0xFF, 0xFF, 0xFF})},
        {"zero height", patched(22, {0, 0, 0, 0})},
        {"7 bits per pixel", patched(28, {7, 0})},
        {"pixel offset past the end", patched(10, {0xFF, 0xFF, 0, 0})},
        {"unknown header size", patched(14, {20, 0, 0, 0})},
        {"100000 x 100000", patched(18, {0xA0, 0x86, 0x01, 0, 0xA0, 0x86, 0x01, 0})},
        {"8192 x 4096 (128 MiB of pixels)", patched(18, {0, 0x20, 0, 0, 0, 0x10, 0, 0})},
        {"1 x 40000", patched(18, {1, 0, 0, 0, 0x40, 0x9C, 0, 0})},
        {"most negative height", patched(22, {0, 0, 0, 0x80})},
    };
    for (const Case& c : cases) {
        HANDLE h = Load(WriteFile("bad.bmp", c.bytes));
        EXPECT_EQ(h, nullptr) << c.what;
        if (h) DeleteObject(static_cast<HGDIOBJ>(h));
    }
    EXPECT_EQ(Load(TempPath("does-not-exist.bmp")), nullptr);
    EXPECT_EQ(LoadImageA(nullptr, nullptr, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
    EXPECT_EQ(LoadImageA(nullptr, goodPath.c_str(), 1 /* an icon */, 0, 0, LR_LOADFROMFILE), nullptr);
    EXPECT_EQ(LoadImageA(nullptr, goodPath.c_str(), IMAGE_BITMAP, 0, 0, 0), nullptr);  // a resource name
}

// A bitmap larger than the surface, or a source origin before the bitmap,
// copies only what lies on both.
TEST_F(Gdi, BitBltClipsToBitmapAndSurface) {
    const BmpSpec s = Colours24(6, 5);
    HANDLE bitmap = Load(WriteFile("clip.bmp", MakeBmp(s)));
    ASSERT_NE(bitmap, nullptr);
    TestSurface surface(4, 3, 5, 67, 0x0842);
    EXPECT_TRUE(Copy(bitmap, surface, 2, 1, 6, 5));          // its top-left 2 x 2 fits
    EXPECT_TRUE(Copy(bitmap, surface, 0, 0, 1, 1, -1, -1));  // nothing above or left of the bitmap
    EXPECT_TRUE(DeleteObject(static_cast<HGDIOBJ>(bitmap)));
    Picture expected(4, 3, 0x0842);
    for (int y = 1; y < 3; y++)
        for (int x = 2; x < 4; x++) expected.At(x, y) = To565(s.pixels[(y - 1) * 6 + (x - 2)]);
    EXPECT_EQ(surface.Pixels().px, expected.px);
    EXPECT_TRUE(surface.GuardsIntact());
}

}  // namespace
