// The scene renderer: tile maps and sprites clipped to the screen, drawn in
// the scene's order with the images' colour keys, checked pixel for pixel
// against pictures worked out here from the scene alone.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "tests/graphics/bmp_files.h"
#include "tests/graphics/engine_fixture.h"
#include "tests/graphics/test_surface.h"

using namespace gfxtest;

namespace {

constexpr uint16_t kBackground = 0x0841;

// An image made by hand: a surface with guards and its holder.
struct HandImage {
    TestSurface surface;
    ImageSurface holder{};
    Image image{};
    uint16_t key;
    HandImage(int w, int h, uint16_t keyValue, std::mt19937& rng) : surface(w, h), key(keyValue) {
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) {
                uint16_t p = static_cast<uint16_t>(rng());
                surface.At(x, y) = (x * 7 + y * 3) % 5 == 0 ? keyValue : (p == keyValue ? p ^ 1 : p);
            }
        surface.SetKey(keyValue);
        ConstructImageSurface(&holder);
        holder.surface = &surface.s;
        holder.width = w;
        holder.height = h;
        image.kind = IMAGE_KIND_FILE;
        image.mode = IMAGE_FROM_FILE;
        image.holder = &holder;
    }
    uint16_t At(int x, int y) { return surface.At(x, y); }
};

struct Renderer : EngineGraphics {
    std::unique_ptr<TestSurface> back;
    std::mt19937 rng{2024};
    Picture expected{1, 1};

    // A back buffer of our own with guards around it, and the screen size.
    void Screen(int w, int h) {
        back = std::make_unique<TestSurface>(w, h, 11);
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) back->At(x, y) = kBackground;
        backBuffer = &back->s;
        screenWidth = w;
        screenHeight = h;
        expected = Picture(w, h, kBackground);
    }
    void TearDown() override {
        backBuffer = nullptr;
        screenWidth = screenHeight = 0;
        prog.layers = nullptr;
        EngineGraphics::TearDown();
    }
    void ExpectScreen(const char* what = "") {
        ASSERT_TRUE(back->GuardsIntact()) << what;
        std::vector<uint16_t> got = back->Picture();
        for (int y = 0; y < expected.height; y++)
            for (int x = 0; x < expected.width; x++)
                ASSERT_EQ(got[static_cast<size_t>(y) * expected.width + x], expected.At(x, y))
                    << what << " at " << x << "," << y;
    }

    // What a map looks like on the screen: for a scroll at or below zero,
    // each screen pixel shows the map pixel under it, if the grid reaches
    // there and that pixel is not the key.
    void ExpectMap(const TileMap& m, HandImage& set) {
        if (m.scrollX > 0 || m.scrollY > 0) return;
        for (int sy = 0; sy < expected.height; sy++)
            for (int sx = 0; sx < expected.width; sx++) {
                long mx = sx - static_cast<long>(m.scrollX), my = sy - static_cast<long>(m.scrollY);
                long c = mx / m.tileW, r = my / m.tileH;
                if (c >= m.cols || r >= m.rows) continue;
                const Tile& t = m.tiles[r * m.cols + c];
                uint16_t p = set.At(t.col * m.tileW + mx % m.tileW, t.row * m.tileH + my % m.tileH);
                if (p != set.key) expected.At(sx, sy) = p;
            }
    }
    // A sprite no larger than the screen shows the part of its source
    // rectangle that lies on the screen.
    void ExpectSprite(const Sprite& s, HandImage& img) {
        if (s.state == STATE_HIDDEN) return;
        for (int j = 0; j < s.srcH; j++)
            for (int i = 0; i < s.srcW; i++) {
                long sx = static_cast<long>(s.x) + i, sy = static_cast<long>(s.y) + j;
                if (sx < 0 || sy < 0 || sx >= expected.width || sy >= expected.height) continue;
                uint16_t p = img.At(s.srcX + i, s.srcY + j);
                if (p != img.key) expected.At(sx, sy) = p;
            }
    }
};

struct OwnedMap {
    TileMap map{};
    std::vector<Tile> tiles;
    OwnedMap(int cols, int rows, unsigned tw, unsigned th, HandImage& set, std::mt19937& rng) {
        map.tileW = tw;
        map.tileH = th;
        map.cols = cols;
        map.rows = rows;
        map.spanCols = cols;
        map.spanRows = rows;
        map.state = MAP_VISIBLE;
        const int cellsX = set.surface.width / tw, cellsY = set.surface.height / th;
        for (int i = 0; i < cols * rows; i++)
            tiles.push_back(
                Tile{static_cast<int32_t>(rng() % cellsX), static_cast<int32_t>(rng() % cellsY), &set.image});
        map.tiles = tiles.data();
    }
};

Sprite MakeSprite(HandImage& img, int srcX, int srcY, int w, int h, int x, int y) {
    Sprite s{};
    s.srcX = srcX;
    s.srcY = srcY;
    s.srcW = w;
    s.srcH = h;
    s.w = static_cast<uint32_t>(w);
    s.h = static_cast<uint32_t>(h);
    s.x = x;
    s.y = y;
    s.image = &img.image;
    s.state = 6000;
    return s;
}

TEST_F(Renderer, ScrollOfMinus200StartsAtColumnOneWith72PixelsCut) {
    Screen(1024, 768);
    HandImage set(512, 256, 0xF81F, rng);
    OwnedMap m(12, 8, 128, 128, set, rng);
    m.map.scrollX = -200;
    m.map.scrollY = 0;
    EXPECT_EQ(DrawTileMap(&m.map), 1);
    // Screen column 0 shows pixel 72 of column 1's tile; column 56 starts
    // column 2's tile.
    const Tile& t1 = m.tiles[1];
    const Tile& t2 = m.tiles[2];
    uint16_t p0 = set.At(t1.col * 128 + 72, t1.row * 128 + 5);
    if (p0 != set.key) {
        EXPECT_EQ(back->At(0, 5), p0);
    }
    uint16_t p56 = set.At(t2.col * 128, t2.row * 128 + 5);
    if (p56 != set.key) {
        EXPECT_EQ(back->At(56, 5), p56);
    }
    ExpectMap(m.map, set);
    ExpectScreen();
}

TEST_F(Renderer, PositiveScrollDrawsNothing) {
    Screen(300, 200);
    HandImage set(64, 64, 0xF81F, rng);
    OwnedMap m(40, 40, 16, 16, set, rng);
    for (auto scroll : {std::pair<int, int>{1, 0}, {0, 1}, {50, -20}, {-20, 50}, {1000000, 1000000}}) {
        m.map.scrollX = scroll.first;
        m.map.scrollY = scroll.second;
        EXPECT_EQ(DrawTileMap(&m.map), 1);
        ExpectScreen("positive scroll");
    }
}

TEST_F(Renderer, NarrowMapLeavesTheRestUntouched) {
    Screen(1024, 768);
    HandImage set(256, 256, 0xF81F, rng);
    OwnedMap m(3, 4, 128, 128, set, rng);  // 384 x 512 of a 1024 x 768 screen
    EXPECT_EQ(DrawTileMap(&m.map), 1);
    ExpectMap(m.map, set);
    ExpectScreen();
    for (int y = 0; y < 768; y++) EXPECT_EQ(back->At(384, y), kBackground);
    for (int x = 0; x < 1024; x++) EXPECT_EQ(back->At(x, 512), kBackground);
}

TEST_F(Renderer, MapsAtManyScrollsMatchThePicture) {
    HandImage set(96, 64, 0x07E0, rng);
    const unsigned sizes[][2] = {{32, 32}, {24, 16}, {7, 13}, {1, 1}, {96, 64}};
    for (auto& size : sizes) {
        OwnedMap m(30, 25, size[0], size[1], set, rng);
        for (int round = 0; round < 10; round++) {
            Screen(200, 150);
            m.map.scrollX = -static_cast<int>(rng() % (30 * size[0] + 40));
            m.map.scrollY = -static_cast<int>(rng() % (25 * size[1] + 40));
            EXPECT_EQ(DrawTileMap(&m.map), 1);
            ExpectMap(m.map, set);
            ExpectScreen("random scroll");
        }
    }
    // Tiles exactly as large as the screen.
    HandImage big(400, 300, 0x07E0, rng);
    OwnedMap bm(3, 3, 200, 150, big, rng);
    for (int round = 0; round < 10; round++) {
        Screen(200, 150);
        bm.map.scrollX = -static_cast<int>(rng() % 500);
        bm.map.scrollY = -static_cast<int>(rng() % 400);
        DrawTileMap(&bm.map);
        ExpectMap(bm.map, big);
        ExpectScreen("screen-sized tiles");
    }
}

TEST_F(Renderer, SpriteAtMinus10ShowsItsRight8Columns) {
    Screen(1024, 768);
    HandImage img(64, 32, 0xF81F, rng);
    Sprite s = MakeSprite(img, 20, 4, 18, 10, -10, 100);
    EXPECT_EQ(DrawSprite(&s), 1);
    for (int j = 0; j < 10; j++) {
        for (int i = 0; i < 8; i++) {
            uint16_t p = img.At(30 + i, 4 + j);
            EXPECT_EQ(back->At(i, 100 + j), p == img.key ? kBackground : p);
        }
        EXPECT_EQ(back->At(8, 100 + j), kBackground);
    }
    ExpectSprite(s, img);
    ExpectScreen();
}

TEST_F(Renderer, SpriteCutAtTheBottomAndBelowIt) {
    Screen(320, 240);
    HandImage img(64, 64, 0xF81F, rng);
    Sprite cut = MakeSprite(img, 3, 5, 20, 12, 100, 235);  // 5 rows on screen
    DrawSprite(&cut);
    ExpectSprite(cut, img);
    ExpectScreen("cut");
    for (int x = 100; x < 120; x++) {
        uint16_t p = img.At(3 + x - 100, 5 + 4);
        EXPECT_EQ(back->At(x, 239), p == img.key ? kBackground : p);
    }
    for (int y : {240, 241, 500}) {
        Sprite below = MakeSprite(img, 0, 0, 20, 12, 100, y);
        EXPECT_EQ(DrawSprite(&below), 1);
    }
    Sprite right = MakeSprite(img, 0, 0, 20, 12, 320, 10);
    DrawSprite(&right);
    Sprite left = MakeSprite(img, 0, 0, 20, 12, -20, 10);
    DrawSprite(&left);
    Sprite above = MakeSprite(img, 0, 0, 20, 12, 10, -12);
    DrawSprite(&above);
    ExpectScreen("wholly outside");
}

TEST_F(Renderer, SpritesAroundEveryEdge) {
    Screen(160, 120);
    HandImage img(64, 48, 0x001F, rng);
    for (int round = 0; round < 400; round++) {
        int w = 1 + rng() % 33, h = 1 + rng() % 33;
        int srcX = rng() % (64 - w + 1), srcY = rng() % (48 - h + 1);
        int x = static_cast<int>(rng() % 240) - 40, y = static_cast<int>(rng() % 200) - 40;
        Sprite s = MakeSprite(img, srcX, srcY, w, h, x, y);
        DrawSprite(&s);
        ExpectSprite(s, img);
    }
    ExpectScreen();
}

// A whole frame through RenderFrame: layers in order, each map then its
// sprites from drawFirst along older, hidden maps and sprites skipped.
TEST_F(Renderer, RenderFrameDrawsLayersInOrder) {
    Screen(256, 192);
    HandImage tiles(128, 64, 0xF81F, rng);
    HandImage sprites(96, 96, 0xF81F, rng);
    OwnedMap back1(20, 20, 32, 32, tiles, rng), main1(20, 20, 16, 16, tiles, rng), top1(5, 5, 64, 64, tiles, rng);
    back1.map.scrollX = -37;
    back1.map.scrollY = -100;
    main1.map.scrollX = -3;
    main1.map.scrollY = -250;
    main1.map.state = STATE_HIDDEN;  // its sprites still drawn
    top1.map.scrollX = -70;
    top1.map.scrollY = 0;

    std::vector<Sprite> objects;
    for (int i = 0; i < 40; i++) {
        int w = 4 + rng() % 30, h = 4 + rng() % 30;
        objects.push_back(MakeSprite(sprites, rng() % (96 - w), rng() % (96 - h), w, h,
                                     static_cast<int>(rng() % 300) - 30, static_cast<int>(rng() % 240) - 30));
        if (i % 7 == 3) objects.back().state = STATE_HIDDEN;
    }
    // Links: the first ten on the back layer, the rest on the main layer.
    std::vector<SpriteLink> links(objects.size());
    Layer layers[3] = {};
    layers[0].map = &back1.map;
    layers[1].map = &main1.map;
    layers[2].map = &top1.map;
    layers[0].next = &layers[1];
    layers[1].next = &layers[2];
    for (size_t i = 0; i < objects.size(); i++) {
        Layer* l = i < 10 ? &layers[0] : &layers[1];
        links[i] = SpriteLink{&objects[i], nullptr, l->drawFirst, 0, 0, l};
        if (l->drawFirst)
            l->drawFirst->newer = &links[i];
        else
            l->oldest = &links[i];
        l->drawFirst = &links[i];  // the newest is drawn first
    }
    prog.layers = &layers[0];
    EXPECT_EQ(RenderFrame(), 1);

    ExpectMap(back1.map, tiles);
    for (int i = 9; i >= 0; i--) ExpectSprite(objects[i], sprites);  // newest first, oldest on top
    for (int i = static_cast<int>(objects.size()) - 1; i >= 10; i--) ExpectSprite(objects[i], sprites);
    ExpectMap(top1.map, tiles);
    ExpectScreen();
}

TEST_F(Renderer, NothingToDrawInto) {
    HandImage img(16, 16, 0xF81F, rng);
    std::vector<uint16_t> before = img.surface.Picture();
    OwnedMap m(4, 4, 8, 8, img, rng);
    Sprite s = MakeSprite(img, 0, 0, 8, 8, 0, 0);
    Layer layer = {};
    layer.map = &m.map;
    SpriteLink link = {&s, nullptr, nullptr, 0, 0, &layer};
    layer.drawFirst = layer.oldest = &link;
    prog.layers = &layer;
    backBuffer = nullptr;  // no display mode yet
    EXPECT_EQ(DrawTileMap(&m.map), 1);
    EXPECT_EQ(DrawSprite(&s), 1);
    EXPECT_EQ(RenderFrame(), 1);
    EXPECT_EQ(img.surface.Picture(), before);
    EXPECT_TRUE(img.surface.GuardsIntact());
}

TEST_F(Renderer, OddScenesDrawNothingAndDoNotCrash) {
    Screen(64, 64);
    HandImage img(32, 32, 0xF81F, rng);
    OwnedMap m(4, 4, 8, 8, img, rng);
    m.map.tileW = 0;  // would divide by zero
    EXPECT_EQ(DrawTileMap(&m.map), 1);
    m.map.tileW = 8;
    m.map.tileH = 0;
    EXPECT_EQ(DrawTileMap(&m.map), 1);
    m.map.tileH = 8;
    m.map.tiles = nullptr;
    EXPECT_EQ(DrawTileMap(&m.map), 1);
    EXPECT_EQ(DrawTileMap(nullptr), 1);
    EXPECT_EQ(DrawSprite(nullptr), 1);

    // Images without a surface (a failed image) and sprites without an image.
    Image dead = {};
    Sprite s = MakeSprite(img, 0, 0, 8, 8, 0, 0);
    s.image = &dead;
    EXPECT_EQ(DrawSprite(&s), 1);
    s.image = nullptr;
    EXPECT_EQ(DrawSprite(&s), 1);
    // Far-off positions whose arithmetic would overflow 32 bits.
    Sprite far = MakeSprite(img, 0, 0, 8, 8, INT32_MAX, INT32_MAX);
    EXPECT_EQ(DrawSprite(&far), 1);
    far = MakeSprite(img, INT32_MAX - 2, 0, 8, 8, 0, 0);
    EXPECT_EQ(DrawSprite(&far), 1);
    far = MakeSprite(img, 0, 0, 8, 8, INT32_MIN, INT32_MIN);
    EXPECT_EQ(DrawSprite(&far), 1);
    m.map.tiles = m.tiles.data();
    m.map.scrollX = INT32_MIN;
    m.map.scrollY = INT32_MIN;
    EXPECT_EQ(DrawTileMap(&m.map), 1);
    // A layer without a map still draws its sprites.
    Layer layer = {};
    Sprite shown = MakeSprite(img, 0, 0, 8, 8, 4, 4);
    SpriteLink link = {&shown, nullptr, nullptr, 0, 0, &layer};
    layer.drawFirst = layer.oldest = &link;
    prog.layers = &layer;
    EXPECT_EQ(RenderFrame(), 1);
    ExpectSprite(shown, img);
    ExpectScreen();
}

// The whole way, through AddImage and a real flip chain: a bitmap whose
// top-left pixel is magenta draws with every magenta pixel transparent, and
// the frame is presented.
TEST_F(Renderer, MagentaKeyedBitmapOnTheRealDisplay) {
    ASSERT_EQ(SetDisplayMode(1024, 768, 16), 1);
    ASSERT_NE(backBuffer, nullptr);
    const Rgb magenta = {255, 0, 255};
    BmpSpec b;
    b.width = 6;
    b.height = 4;
    b.pixels = TestColours(6, 4);
    for (int i = 0; i < 24; i += 4) b.pixels[i] = magenta;
    Image* image = AddImage(WriteFile("magenta.bmp", MakeBmp(b)).c_str(), IMAGE_FROM_FILE, 0, 0);
    ASSERT_NE(image, nullptr);

    // Fill the back buffer with one colour, then draw the sprite and a frame.
    PixelFormat format;
    ASSERT_EQ(GetPixelFormat(backBuffer, &format), 1);
    ImageSurface screen;
    ConstructImageSurface(&screen);
    screen.surface = backBuffer;
    ASSERT_EQ(FillSurface(0, 63, 0, &screen, &format), 1);  // pure green

    Sprite s{};
    s.srcW = 6;
    s.srcH = 4;
    s.w = 6;
    s.h = 4;
    s.x = 1020;  // cut at the right edge: four columns show
    s.y = 10;
    s.image = image;
    s.state = 6000;
    Layer layer = {};
    SpriteLink link = {&s, nullptr, nullptr, 0, 0, &layer};
    layer.drawFirst = layer.oldest = &link;
    layer.map = nullptr;
    prog.layers = &layer;

    long framesBefore = HeadlessFramesPresented();
    ASSERT_EQ(RenderFrame(), 1);
    EXPECT_EQ(HeadlessFramesPresented(), framesBefore + 1);
    // After the flip the drawn picture is the primary's.
    IDirectDrawSurface4* shown = primarySurface;
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 4; x++) {
            Rgb c = b.pixels[y * 6 + x];
            bool transparent = c.r == 255 && c.g == 0 && c.b == 255;
            EXPECT_EQ(shown->pixels[(10 + y) * (shown->pitch / 2) + 1020 + x], transparent ? 0x07E0 : To565(c))
                << x << "," << y;
        }
    EXPECT_EQ(shown->pixels[9 * (shown->pitch / 2) + 1020], 0x07E0);
}

}  // namespace
