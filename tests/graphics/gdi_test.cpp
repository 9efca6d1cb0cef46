// Bitmap files into surfaces: LoadImageA for every kind of Windows bitmap a
// user would make, refusal of broken and absurd files, and the device
// contexts and BitBlt that bring a bitmap into a surface as RGB565.
#include "platform/gdi.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ddraw.h"
#include "platform/win32.h"
#include "tests/graphics/bmp_files.h"
#include "tests/graphics/test_surface.h"

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

    // Loads a file and copies it through the device contexts into a fresh
    // surface, as the image store does; returns the surface's picture.
    std::vector<uint16_t> LoadThroughDC(const std::string& path, int width, int height) {
        HANDLE bitmap = Load(path);
        EXPECT_NE(bitmap, nullptr);
        if (!bitmap) return {};
        BITMAP bm = {};
        EXPECT_EQ(GetObjectA(bitmap, sizeof bm, &bm), static_cast<int>(sizeof bm));
        EXPECT_EQ(bm.bmWidth, width);
        EXPECT_EQ(bm.bmHeight, height);
        TestSurface surface(width, height);
        HDC memory = CreateCompatibleDC(nullptr);
        EXPECT_NE(SelectObject(memory, static_cast<HGDIOBJ>(bitmap)), nullptr);
        HDC target = nullptr;
        EXPECT_EQ(surface.s.GetDC(&target), DD_OK);
        EXPECT_TRUE(BitBlt(target, 0, 0, width, height, memory, 0, 0, SRCCOPY));
        EXPECT_EQ(surface.s.ReleaseDC(target), DD_OK);
        EXPECT_TRUE(DeleteDC(memory));
        EXPECT_TRUE(DeleteObject(static_cast<HGDIOBJ>(bitmap)));
        EXPECT_TRUE(surface.GuardsIntact());
        return surface.Picture();
    }
};

std::vector<uint16_t> Expected(const std::vector<Rgb>& colours) {
    std::vector<uint16_t> e;
    for (Rgb c : colours) e.push_back(To565(c));
    return e;
}

TEST_F(Gdi, TwentyFourBitBottomUpAndTopDown) {
    for (bool topDown : {false, true}) {
        BmpSpec s;
        s.width = 5;  // rows padded to four bytes
        s.height = 3;
        s.bits = 24;
        s.topDown = topDown;
        s.pixels = TestColours(5, 3);
        std::string path = WriteFile(topDown ? "td24.bmp" : "bu24.bmp", MakeBmp(s));
        EXPECT_EQ(LoadThroughDC(path, 5, 3), Expected(s.pixels)) << (topDown ? "top-down" : "bottom-up");
    }
}

TEST_F(Gdi, ThirtyTwoBitKeepsColoursWhateverTheFourthByte) {
    for (uint8_t alpha : {0, 255, 77}) {
        BmpSpec s;
        s.width = 4;
        s.height = 2;
        s.bits = 32;
        s.alpha = alpha;
        s.pixels = TestColours(4, 2);
        std::string path = WriteFile("c32.bmp", MakeBmp(s));
        EXPECT_EQ(LoadThroughDC(path, 4, 2), Expected(s.pixels)) << "alpha byte " << int(alpha);
    }
}

TEST_F(Gdi, PalettisedEightAndFourBit) {
    std::vector<Rgb> palette = {{0, 0, 0}, {255, 0, 255}, {255, 255, 255}, {12, 200, 99}, {250, 7, 130}};
    for (int bits : {8, 4}) {
        for (bool topDown : {false, true}) {
            BmpSpec s;
            s.width = 7;
            s.height = 3;
            s.bits = bits;
            s.topDown = topDown;
            s.palette = palette;
            std::vector<Rgb> colours;
            for (int i = 0; i < 21; i++) {
                s.indices.push_back(static_cast<uint8_t>((i * 3) % 5));
                colours.push_back(palette[(i * 3) % 5]);
            }
            std::string path = WriteFile("pal.bmp", MakeBmp(s));
            EXPECT_EQ(LoadThroughDC(path, 7, 3), Expected(colours)) << bits << " bits, top-down " << topDown;
        }
    }
}

TEST_F(Gdi, FileWrittenBySdlLoads) {
    SDL_Surface* made = SDL_CreateRGBSurfaceWithFormat(0, 6, 4, 24, SDL_PIXELFORMAT_RGB24);
    ASSERT_NE(made, nullptr);
    std::vector<Rgb> colours = TestColours(6, 4);
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 6; x++) {
            uint8_t* p = static_cast<uint8_t*>(made->pixels) + y * made->pitch + x * 3;
            Rgb c = colours[y * 6 + x];
            p[0] = c.r;
            p[1] = c.g;
            p[2] = c.b;
        }
    std::string path = TempPath("sdl.bmp");
    ASSERT_EQ(SDL_SaveBMP(made, path.c_str()), 0);
    SDL_FreeSurface(made);
    EXPECT_EQ(LoadThroughDC(path, 6, 4), Expected(colours));
}

TEST_F(Gdi, BrokenFilesAreRefused) {
    BmpSpec s;
    s.width = 8;
    s.height = 8;
    s.pixels = TestColours(8, 8);
    const std::vector<uint8_t> good = MakeBmp(s);
    HANDLE control = Load(WriteFile("good.bmp", good));
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
    };
    std::vector<Case> cases = {
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
}

TEST_F(Gdi, OnlyBitmapsFromFiles) {
    BmpSpec s;
    s.width = 2;
    s.height = 2;
    s.pixels = TestColours(2, 2);
    std::string path = WriteFile("ok.bmp", MakeBmp(s));
    EXPECT_EQ(LoadImageA(nullptr, path.c_str(), 1 /* an icon */, 0, 0, LR_LOADFROMFILE), nullptr);
    EXPECT_EQ(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, 0), nullptr);  // a resource name
    EXPECT_EQ(LoadImageA(nullptr, nullptr, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
}

TEST_F(Gdi, GetObjectChecksHandleAndSize) {
    BmpSpec s;
    s.width = 3;
    s.height = 2;
    s.pixels = TestColours(3, 2);
    HANDLE bitmap = Load(WriteFile("obj.bmp", MakeBmp(s)));
    ASSERT_NE(bitmap, nullptr);
    BITMAP bm = {};
    EXPECT_EQ(GetObjectA(bitmap, 0, nullptr), static_cast<int>(sizeof(BITMAP)));
    EXPECT_EQ(GetObjectA(bitmap, sizeof bm - 1, &bm), 0);
    int notABitmap = 0;
    EXPECT_EQ(GetObjectA(&notABitmap, sizeof bm, &bm), 0);
    EXPECT_EQ(GetObjectA(nullptr, sizeof bm, &bm), 0);
    EXPECT_TRUE(DeleteObject(static_cast<HGDIOBJ>(bitmap)));
    EXPECT_EQ(GetObjectA(bitmap, sizeof bm, &bm), 0) << "a deleted bitmap is no longer a bitmap";
}

TEST_F(Gdi, BitBltClipsToBitmapAndSurface) {
    BmpSpec s;
    s.width = 6;
    s.height = 5;
    s.pixels = TestColours(6, 5);
    HANDLE bitmap = Load(WriteFile("clip.bmp", MakeBmp(s)));
    ASSERT_NE(bitmap, nullptr);
    HDC memory = CreateCompatibleDC(nullptr);
    ASSERT_NE(memory, nullptr);
    SelectObject(memory, static_cast<HGDIOBJ>(bitmap));
    TestSurface surface(4, 3);
    for (int y = 0; y < 3; y++)
        for (int x = 0; x < 4; x++) surface.At(x, y) = 0x0842;
    HDC target = nullptr;
    ASSERT_EQ(surface.s.GetDC(&target), DD_OK);
    // The whole bitmap at (2, 1): only its top-left 2 x 2 fits.
    EXPECT_TRUE(BitBlt(target, 2, 1, 6, 5, memory, 0, 0, SRCCOPY));
    // From (-1, -1) of the bitmap: nothing to take above or left of it.
    EXPECT_TRUE(BitBlt(target, 0, 0, 1, 1, memory, -1, -1, SRCCOPY));
    EXPECT_FALSE(BitBlt(target, 0, 0, 4, 3, memory, 0, 0, 0x00EE0086 /* SRCPAINT */));
    EXPECT_FALSE(BitBlt(memory, 0, 0, 4, 3, target, 0, 0, SRCCOPY)) << "only into a surface";
    EXPECT_EQ(surface.s.ReleaseDC(target), DD_OK);
    for (int y = 0; y < 3; y++)
        for (int x = 0; x < 4; x++) {
            uint16_t want = (x >= 2 && y >= 1) ? To565(s.pixels[(y - 1) * 6 + (x - 2)]) : 0x0842;
            EXPECT_EQ(surface.At(x, y), want) << x << "," << y;
        }
    EXPECT_TRUE(surface.GuardsIntact());
    EXPECT_FALSE(DeleteObject(static_cast<HGDIOBJ>(bitmap))) << "still selected into a context";
    EXPECT_TRUE(DeleteDC(memory));
    EXPECT_TRUE(DeleteObject(static_cast<HGDIOBJ>(bitmap)));
}

TEST_F(Gdi, SurfaceContextRules) {
    TestSurface surface(4, 4);
    HDC first = nullptr, second = nullptr;
    ASSERT_EQ(surface.s.GetDC(&first), DD_OK);
    EXPECT_NE(surface.s.GetDC(&second), DD_OK) << "one context at a time";
    EXPECT_EQ(second, nullptr);
    EXPECT_FALSE(DeleteDC(first)) << "a surface's context goes back with ReleaseDC";
    TestSurface other(4, 4);
    EXPECT_NE(other.s.ReleaseDC(first), DD_OK) << "not that surface's context";
    EXPECT_EQ(surface.s.ReleaseDC(first), DD_OK);
    EXPECT_NE(surface.s.ReleaseDC(first), DD_OK) << "already released";

    surface.s.locked = 1;
    EXPECT_EQ(surface.s.GetDC(&first), DDERR_SURFACEBUSY);
    surface.s.locked = 0;
    surface.s.lost = 1;
    EXPECT_EQ(surface.s.GetDC(&first), DDERR_SURFACELOST);
    surface.s.lost = 0;
    EXPECT_EQ(surface.s.GetDC(nullptr), DDERR_INVALIDPARAMS);

    GdiGetFaults()->surfaceGetDC = 1;
    EXPECT_NE(surface.s.GetDC(&first), DD_OK);
    EXPECT_EQ(first, nullptr);
    ASSERT_EQ(surface.s.GetDC(&first), DD_OK) << "the fault fired once";
    EXPECT_EQ(surface.s.ReleaseDC(first), DD_OK);
}

TEST_F(Gdi, MemoryContexts) {
    GdiGetFaults()->createCompatibleDC = 1;
    EXPECT_EQ(CreateCompatibleDC(nullptr), nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    int junk = 0;
    EXPECT_EQ(CreateCompatibleDC(reinterpret_cast<HDC>(&junk)), nullptr) << "not a context";
    EXPECT_EQ(SelectObject(dc, reinterpret_cast<HGDIOBJ>(&junk)), nullptr) << "not a bitmap";
    EXPECT_EQ(SelectObject(nullptr, nullptr), nullptr);
    EXPECT_FALSE(DeleteDC(nullptr));
    EXPECT_FALSE(DeleteObject(nullptr));
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_FALSE(DeleteDC(dc)) << "already deleted";
}

}  // namespace
