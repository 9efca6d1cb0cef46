// The three bitmaps: format, colour key, every source rectangle the game draws from, font cells,
// and the ground and cloud cells of the tile sheet.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "tests/assets/generated_assets.h"

namespace {

struct Rgb {
    int r, g, b;
};
bool operator==(Rgb a, Rgb b) { return a.r == b.r && a.g == b.g && a.b == b.b; }

// A bitmap loaded the way the engine loads it (SDL's BMP decoder), as plain RGB values.
struct Image {
    int w = 0, h = 0, bitsPerPixel = 0;
    std::vector<Rgb> pixels;
    Rgb At(int x, int y) const { return pixels[static_cast<size_t>(y) * w + x]; }
    Rgb Key() const { return At(0, 0); }
    bool IsKey(int x, int y) const { return At(x, y) == Key(); }
};

Image Load(const std::string& name) {
    Image image;
    const std::string path = GeneratedAssetsDir() + "/" + name;
    SDL_Surface* loaded = SDL_LoadBMP(path.c_str());
    if (!loaded) {
        ADD_FAILURE() << "SDL_LoadBMP(" << path << "): " << SDL_GetError();
        return image;
    }
    image.bitsPerPixel = loaded->format->BitsPerPixel;
    SDL_Surface* rgb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(loaded);
    if (!rgb) {
        ADD_FAILURE() << "SDL_ConvertSurfaceFormat: " << SDL_GetError();
        return image;
    }
    image.w = rgb->w;
    image.h = rgb->h;
    for (int y = 0; y < rgb->h; ++y) {
        const uint32_t* row =
            reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(rgb->pixels) + y * rgb->pitch);
        for (int x = 0; x < rgb->w; ++x)
            image.pixels.push_back({static_cast<int>((row[x] >> 16) & 0xFF), static_cast<int>((row[x] >> 8) & 0xFF),
                                    static_cast<int>(row[x] & 0xFF)});
    }
    SDL_FreeSurface(rgb);
    return image;
}

const Image& Sprites() {
    static const Image image = Load("sprites.bmp");
    return image;
}
const Image& Text() {
    static const Image image = Load("text.bmp");
    return image;
}
const Image& Tiles() {
    static const Image image = Load("tiles.bmp");
    return image;
}

struct Rect {
    std::string what;
    int x, y, w, h;
};

bool Inside(const Image& image, const Rect& r) {
    return r.x >= 0 && r.y >= 0 && r.w > 0 && r.h > 0 && r.x + r.w <= image.w && r.y + r.h <= image.h;
}

int OpaquePixels(const Image& image, const Rect& r) {
    int n = 0;
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x) n += !image.IsKey(x, y);
    return n;
}

bool SamePicture(const Image& image, const Rect& a, const Rect& b) {
    for (int y = 0; y < a.h; ++y)
        for (int x = 0; x < a.w; ++x)
            if (!(image.At(a.x + x, a.y + y) == image.At(b.x + x, b.y + y))) return false;
    return true;
}

// Every rectangle the game takes from the sprite sheet.
std::vector<Rect> SpriteRects() {
    std::vector<Rect> rects;
    const int shipColumns[5] = {36, 54, 72, 108, 126};  // playing, ready, down, reset, entering
    for (int column : shipColumns)
        for (int row = 0; row < 2; ++row)
            rects.push_back({"ship column " + std::to_string(column), column, row * 24, 18, 24});
    for (int f = 0; f < 2; ++f) {
        rects.push_back({"plain shot", 8 + 6 * f, 88, 6, 6});
        rects.push_back({"missile", 8 + 7 * f, 94, 7, 14});
        rects.push_back({"big shot", 4 * f, 88, 4, 20});
    }
    for (int k = 0; k < 7; ++k) rects.push_back({"power-up " + std::to_string(k), k * 20, 58, 20, 20});
    const int sizes[4] = {4, 8, 9, 13};
    const int fragmentRows[4] = {108, 114, 122, 131};
    const int sparkRows[4] = {242, 246, 254, 263};
    for (int s = 0; s < 4; ++s)
        for (int f = 0; f < 4; ++f) {
            rects.push_back(
                {"fragment stage " + std::to_string(s + 1), f * sizes[s], fragmentRows[s], sizes[s], sizes[s]});
            rects.push_back({"spark stage " + std::to_string(s + 1), f * sizes[s], sparkRows[s], sizes[s], sizes[s]});
        }
    for (int f = 0; f < 2; ++f) rects.push_back({"riser", f * 18, 144, 18, 24});
    for (int f = 0; f < 6; ++f) {
        rects.push_back({"diver row 168", f * 12, 168, 12, 12});
        rects.push_back({"diver row 180", f * 12, 180, 12, 12});
    }
    for (int f = 0; f < 4; ++f) rects.push_back({"tracker", f * 25, 216, 25, 25});
    rects.push_back({"heavy", 0, 276, 33, 33});
    for (int y : {124, 186, 248}) rects.push_back({"banner panel " + std::to_string(y), 182, y, 141, 61});
    return rects;
}

}  // namespace

TEST(Bitmaps, AreTwentyFourBitWithMagentaKeyTopLeftAndTheRequiredSize) {
    struct Expect {
        const Image& image;
        const char* name;
        int minW, minH;
    } expects[] = {{Sprites(), "sprites", 324, 310}, {Text(), "text", 150, 48}, {Tiles(), "tiles", 512, 128}};
    for (const Expect& e : expects) {
        SCOPED_TRACE(e.name);
        EXPECT_EQ(e.image.bitsPerPixel, 24);
        EXPECT_GE(e.image.w, e.minW);
        EXPECT_GE(e.image.h, e.minH);
        ASSERT_FALSE(e.image.pixels.empty());
        EXPECT_TRUE(e.image.Key() == (Rgb{255, 0, 255}));
    }
}

TEST(Bitmaps, NoArtPixelTurnsIntoTheKeyAtSixteenBits) {
    // The engine keys on the 5-6-5 value of the top-left pixel, made by dropping low bits.
    auto to565 = [](Rgb c) { return ((c.r >> 3) << 11) | ((c.g >> 2) << 5) | (c.b >> 3); };
    for (const Image* image : {&Sprites(), &Text(), &Tiles()}) {
        ASSERT_FALSE(image->pixels.empty());
        const int key = to565(image->Key());
        int collisions = 0;
        for (const Rgb& p : image->pixels) collisions += !(p == image->Key()) && to565(p) == key;
        EXPECT_EQ(collisions, 0);
    }
}

TEST(SpriteSheet, EverySourceRectangleLiesInsideAndShowsSomething) {
    const Image& sheet = Sprites();
    ASSERT_FALSE(sheet.pixels.empty());
    for (const Rect& r : SpriteRects()) {
        SCOPED_TRACE(r.what + " at " + std::to_string(r.x) + "," + std::to_string(r.y));
        ASSERT_TRUE(Inside(sheet, r));
        EXPECT_GT(OpaquePixels(sheet, r), 0);
    }
}

TEST(SpriteSheet, AnimationFramesDifferAndPowerUpsAreDistinct) {
    const Image& sheet = Sprites();
    ASSERT_FALSE(sheet.pixels.empty());
    // The ship flickers between its two rows in every mode column.
    for (int column : {36, 54, 72, 126})
        EXPECT_FALSE(SamePicture(sheet, {"", column, 0, 18, 24}, {"", column, 24, 18, 24})) << "ship column " << column;
    EXPECT_FALSE(SamePicture(sheet, {"", 0, 144, 18, 24}, {"", 18, 144, 18, 24})) << "riser";
    for (int f = 0; f < 6; ++f) {
        EXPECT_FALSE(SamePicture(sheet, {"", f * 12, 168, 12, 12}, {"", (f + 1) % 6 * 12, 168, 12, 12}))
            << "diver " << f;
        EXPECT_FALSE(SamePicture(sheet, {"", f * 12, 168, 12, 12}, {"", f * 12, 180, 12, 12})) << "diver rows " << f;
    }
    for (int f = 0; f < 4; ++f)
        EXPECT_FALSE(SamePicture(sheet, {"", f * 25, 216, 25, 25}, {"", (f + 1) % 4 * 25, 216, 25, 25}))
            << "tracker " << f;
    for (int a = 0; a < 7; ++a)
        for (int b = a + 1; b < 7; ++b)
            EXPECT_FALSE(SamePicture(sheet, {"", a * 20, 58, 20, 20}, {"", b * 20, 58, 20, 20})) << a << " vs " << b;
    for (int a = 0; a < 3; ++a)
        for (int b = a + 1; b < 3; ++b)
            EXPECT_FALSE(SamePicture(sheet, {"", 182, 124 + 62 * a, 141, 61}, {"", 182, 124 + 62 * b, 141, 61}));
}

TEST(TextSheet, PrintableGlyphsHaveInkAndSpaceAndLineBreakCellsAreEmpty) {
    const Image& font = Text();
    ASSERT_FALSE(font.pixels.empty());
    auto cell = [](int code) { return Rect{"code " + std::to_string(code), (code % 25) * 6, (code / 25) * 8, 6, 8}; };
    for (int code = 33; code <= 126; ++code) {
        SCOPED_TRACE(cell(code).what);
        ASSERT_TRUE(Inside(font, cell(code)));
        EXPECT_GT(OpaquePixels(font, cell(code)), 0);
    }
    EXPECT_EQ(OpaquePixels(font, cell(10)), 0);
    EXPECT_EQ(OpaquePixels(font, cell(32)), 0);
    // The examples of the layout rules: 'A' at (90, 16), space at (42, 8), line break at (60, 0).
    EXPECT_EQ(cell('A').x, 90);
    EXPECT_EQ(cell('A').y, 16);
    EXPECT_GT(OpaquePixels(font, {"A", 90, 16, 6, 8}), 0);
}

TEST(TextSheet, GlyphsAreLightWithADarkEdge) {
    const Image& font = Text();
    ASSERT_FALSE(font.pixels.empty());
    // Every glyph must hold both light pixels (to read on dark ground) and dark ones (to read on light ground).
    for (int code = 33; code <= 126; ++code) {
        int light = 0, dark = 0;
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 6; ++x) {
                const int px = (code % 25) * 6 + x, py = (code / 25) * 8 + y;
                if (font.IsKey(px, py)) continue;
                const Rgb c = font.At(px, py);
                const int luma = (c.r * 3 + c.g * 6 + c.b) / 10;
                light += luma > 180;
                dark += luma < 60;
            }
        EXPECT_GT(light, 0) << "code " << code;
        EXPECT_GT(dark, 0) << "code " << code;
    }
}

namespace {

// Mean colour difference between column a and column b of a 128 x 128 cell (rows when byRows).
double LineDifference(const Image& image, int cellX, int a, int b, bool byRows) {
    double sum = 0;
    for (int i = 0; i < 128; ++i) {
        const Rgb p = byRows ? image.At(cellX + i, a) : image.At(cellX + a, i);
        const Rgb q = byRows ? image.At(cellX + i, b) : image.At(cellX + b, i);
        sum += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b);
    }
    return sum / 128;
}

// Checks that the cell wraps: the step from its last line to its first is no larger than a typical step
// between neighbouring lines inside it, while lines far apart differ clearly (so the measure means something).
void ExpectSeamless(const Image& image, int cellX) {
    for (bool byRows : {false, true}) {
        SCOPED_TRACE(byRows ? "top and bottom rows" : "left and right columns");
        std::vector<double> inside;
        for (int i = 0; i + 1 < 128; ++i) inside.push_back(LineDifference(image, cellX, i, i + 1, byRows));
        std::sort(inside.begin(), inside.end());
        const double typical = inside[inside.size() * 3 / 4];
        const double seam = LineDifference(image, cellX, 127, 0, byRows);
        EXPECT_LE(seam, typical * 1.25 + 1.0);
        EXPECT_GT(LineDifference(image, cellX, 0, 64, byRows), seam);
    }
}

}  // namespace

TEST(TileSheet, GroundCellIsOpaqueAndWrapsSeamlessly) {
    const Image& tiles = Tiles();
    ASSERT_GE(tiles.w, 512);
    ASSERT_GE(tiles.h, 128);
    EXPECT_EQ(OpaquePixels(tiles, {"ground", 128, 0, 128, 128}), 128 * 128);
    ExpectSeamless(tiles, 128);
}

TEST(TileSheet, CloudCellIsMostlyClearWithSomeCloudAndWrapsSeamlessly) {
    const Image& tiles = Tiles();
    ASSERT_GE(tiles.w, 512);
    ASSERT_GE(tiles.h, 128);
    const int opaque = OpaquePixels(tiles, {"clouds", 384, 0, 128, 128});
    EXPECT_GT(opaque, 128 * 128 / 50);  // some cloud
    EXPECT_LT(opaque, 128 * 128 / 3);   // mostly see-through, so play stays readable
    ExpectSeamless(tiles, 384);
}
