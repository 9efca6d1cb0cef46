#include "platform/gdi.h"

#include "platform/win32.h"
#include "tests/support/bitmap.h"
#include "tests/support/surface.h"

using namespace gfxtest;

static HGDIOBJ Load(const std::vector<uint8_t>& bytes) {
    return HGDIOBJ(LoadImageA(nullptr, WriteFile("f.bmp", bytes).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
}

// Sizes out of range are refused before any allocation; 1- and 4-bit, short RLE8 rows and the widest row are accepted.
TEST(Gdi, BrokenFilesAreRefused) {
    const std::vector<uint8_t> good = MakeBmp(Colours24(8, 8));
    auto patched = [&](size_t at, std::vector<uint8_t> bytes, size_t length = 0) {
        std::vector<uint8_t> v(good.begin(), length ? good.begin() + length : good.end());
        std::copy(bytes.begin(), bytes.end(), v.begin() + at);
        return v;
    };
    const std::vector<uint8_t> cases[] = {
        patched(0, {}, 7),                                                 // cut in the file header
        patched(10, {0, 0, 0, 0, 12, 0, 0, 0, 1, 0, 1, 0, 1, 0, 24}, 25),  // a 1 x 1 core header cut in its bits
        patched(0, {}, good.size() - 1),                                   // the last pixel byte missing
        patched(0, {'P', 'K'}),                                            // not a bitmap
        patched(14, {20}),                                                 // unknown header size
        patched(28, {7}),                                                  // 7 bits per pixel
        patched(10, {0xFF, 0xFF}),                                         // pixels start past the end
        patched(30, {1}, 54),                                              // so do run-length ones
        patched(18, {0}),                                                  // zero width
        patched(18, {0xF8, 0xFF, 0xFF, 0xFF}),                             // negative width
        patched(22, {0}),                                                  // zero height
        patched(22, {0, 0, 0, 0x80}),                                      // most negative height
        patched(18, {0xA0, 0x86, 1, 0, 0xA0, 0x86, 1}),                    // 100000 x 100000
        patched(22, {0x40, 0x9C}),                                         // 8 x 40000
        patched(18, {0, 32, 0, 0, 0, 16}),                                 // 8192 x 4096: 128 MiB
        MakeBmp(Colours24(GDI_MAX_BITMAP_SIDE + 1, 1)),                    // one column too wide, all its pixels
    };
    for (const auto& bytes : cases) {
        HGDIOBJ h = Load(bytes);
        EXPECT_FALSE(h && DeleteObject(h)) << "case " << &bytes - cases;
    }
    BmpLayout s{7, 3, 8, {}, {{0, 0, 0}, {255, 255, 255}}, std::vector<uint8_t>(21, 1)};  // all of palette index 1
    std::vector<uint8_t> rle = MakeBmp(s);
    rle.resize(54 + 8), rle[30] = 1, rle[34] = 0;                 // compression 1, no image size
    rle.insert(rle.end(), {7, 1, 0, 0, 7, 1, 0, 0, 7, 1, 0, 1});  // per row a run of seven; the end
    const std::vector<uint8_t> four = (s.bits = 4, MakeBmp(s)), one = (s.bits = 1, MakeBmp(s));
    for (HGDIOBJ h : {Load(four), Load(one), Load(rle), Load(MakeBmp(Colours24(GDI_MAX_BITMAP_SIDE, 1)))})
        EXPECT_TRUE(h && DeleteObject(h));
    EXPECT_EQ(LoadImageA(nullptr, WriteFile("f.bmp", good).c_str(), 1 /* an icon */, 0, 0, LR_LOADFROMFILE), nullptr);
}

TEST(Gdi, BitBltClipsToBitmapAndSurface) {
    const BmpLayout s = Colours24(6, 5);
    HGDIOBJ bitmap = Load(MakeBmp(s));
    TestSurface surface(4, 3, 5, 67, 0x0842);
    HDC memory = CreateCompatibleDC(nullptr), target = nullptr;
    SelectObject(memory, bitmap);
    ASSERT_EQ(surface.s.GetDC(&target), DD_OK);
    // its top-left 2 x 2 fits; nothing lies above or left of it; two rows are left at its bottom
    for (auto [x, y, w, h, sx, sy] : {std::array{2, 1, 6, 5, 0, 0}, {0, 0, 1, 1, -1, -1}, {0, 0, 1, 9, 5, 3}})
        EXPECT_TRUE(BitBlt(target, x, y, w, h, memory, sx, sy, SRCCOPY));
    surface.s.ReleaseDC(target);
    EXPECT_TRUE(DeleteDC(memory) && DeleteObject(bitmap));
    EXPECT_EQ(GdiLiveBitmaps() + GdiLiveDCs(), 0);
    std::vector<uint16_t> expected(12, 0x0842);
    for (int i = 0; i < 4; i++) expected[(1 + i / 2) * 4 + 2 + i % 2] = To565(s.pixels[i / 2 * 6 + i % 2]);
    expected[0] = To565(s.pixels[23]), expected[4] = To565(s.pixels[29]);
    EXPECT_TRUE(surface.Pixels() == expected && surface.GuardsIntact());
}
