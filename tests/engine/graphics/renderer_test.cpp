// The scene renderer: tile maps and sprites clipped to the screen, drawn in
// the scene's order with the images' colour keys, checked pixel for pixel
// against pictures worked out here from the scene alone.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "tests/support/bitmap.h"
#include "tests/support/harness.h"
#include "tests/support/surface.h"

using namespace gfxtest;

namespace {

constexpr uint16_t kBackground = 0x0841;
constexpr uint16_t kKey = 0xF81F;

// An image made by hand: a keyed surface with guards, one pixel in five the key.
struct HandImage : TestSurface {
    ImageSurface holder{};
    Image image{};
    HandImage(int w, int h, std::mt19937& rng) : TestSurface(w, h) {
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++)
                At(x, y) = (x * 7 + y * 3) % 5 == 0 ? kKey : static_cast<uint16_t>(rng() & 0xFFFE);
        SetKey(kKey);
        holder = ImageSurface{&s, {}, w, h};
        image.holder = &holder;
    }
    // What the screen shows of pixel (x, y) drawn over `under`.
    uint16_t Over(int x, int y, uint16_t under = kBackground) { return At(x, y) == kKey ? under : At(x, y); }
};

struct OwnedMap {
    TileMap map{};
    std::vector<Tile> tiles;
    OwnedMap(int cols, int rows, unsigned tw, unsigned th, HandImage& set, std::mt19937& rng) {
        map.tileW = tw;
        map.tileH = th;
        map.cols = map.spanCols = cols;
        map.rows = map.spanRows = rows;
        map.state = MAP_VISIBLE;
        for (int i = 0; i < cols * rows; i++)
            tiles.push_back(Tile{static_cast<int32_t>(rng() % (set.width / tw)),
                                 static_cast<int32_t>(rng() % (set.height / th)), &set.image});
        map.tiles = tiles.data();
    }
};

Sprite MakeSprite(Image* image, int srcX, int srcY, int w, int h, int x, int y) {
    return Sprite{srcX, srcY, w, h, x, y, static_cast<uint32_t>(w), static_cast<uint32_t>(h), image, 6000};
}

// Puts a sprite on a layer as the newest link, which is drawn first.
void Push(Layer& layer, SpriteLink& link, Sprite* sprite) {
    link = SpriteLink{sprite, nullptr, layer.drawFirst, 0, 0, &layer};
    (layer.drawFirst ? layer.drawFirst->newer : layer.oldest) = &link;
    layer.drawFirst = &link;
}

struct Renderer : EngineGraphics {
    std::unique_ptr<TestSurface> back;
    std::mt19937 rng{2024};
    Picture expected{1, 1};

    // A back buffer of our own with guards around it, and the screen size.
    void Screen(int w, int h) {
        back = std::make_unique<TestSurface>(w, h, 11, 67, kBackground);
        backBuffer = &back->s;
        screenWidth = w;
        screenHeight = h;
        expected = Picture(w, h, kBackground);
    }
    void ExpectScreen() {
        ASSERT_TRUE(back->GuardsIntact());
        const Picture got = back->Pixels();
        for (size_t i = 0; i < got.px.size(); i++)
            ASSERT_EQ(got.px[i], expected.px[i]) << "at " << i % got.width << "," << i / got.width;
    }
    // For a scroll at or below zero, each screen pixel shows the map pixel
    // under it, if the grid reaches there and that pixel is not the key.
    void ExpectMap(const TileMap& m, HandImage& set) {
        if (m.scrollX > 0 || m.scrollY > 0) return;
        for (int sy = 0; sy < expected.height; sy++)
            for (int sx = 0; sx < expected.width; sx++) {
                long mx = sx - static_cast<long>(m.scrollX), my = sy - static_cast<long>(m.scrollY);
                long c = mx / m.tileW, r = my / m.tileH;
                if (c >= m.cols || r >= m.rows) continue;
                const Tile& t = m.tiles[r * m.cols + c];
                uint16_t& p = expected.At(sx, sy);
                p = set.Over(t.col * m.tileW + mx % m.tileW, t.row * m.tileH + my % m.tileH, p);
            }
    }
    // A sprite shows the part of its source rectangle that lies on the screen.
    void ExpectSprite(const Sprite& s, HandImage& img) {
        if (s.state == STATE_HIDDEN) return;
        for (int j = 0; j < s.srcH; j++)
            for (int i = 0; i < s.srcW; i++) {
                long x = static_cast<long>(s.x) + i, y = static_cast<long>(s.y) + j;
                if (x >= 0 && y >= 0 && x < expected.width && y < expected.height)
                    expected.At(x, y) = img.Over(s.srcX + i, s.srcY + j, expected.At(x, y));
            }
    }
};

TEST_F(Renderer, TileMapsMatchThePicture) {
    HandImage set(512, 256, rng);
    // {cols, rows, scrollX, scrollY}: -200 starts at column 1 with its left 72
    // pixels cut; a 3 x 4 map leaves the rest of the screen as it was; a
    // positive scroll, or the most negative one, puts the grid out of sight.
    const int cases[][4] = {{12, 8, -200, 0},
                            {3, 4, 0, 0},
                            {40, 40, 1, 0},
                            {40, 40, 0, 1},
                            {40, 40, 50, -20},
                            {40, 40, -20, 50},
                            {40, 40, 1000000, 1000000},
                            {40, 40, INT32_MIN, INT32_MIN}};
    for (auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "scroll " << c[2] << "," << c[3]);
        Screen(1024, 768);
        OwnedMap m(c[0], c[1], 128, 128, set, rng);
        m.map.scrollX = c[2];
        m.map.scrollY = c[3];
        EXPECT_EQ(DrawTileMap(&m.map), 1);
        if (c[2] == -200) {
            EXPECT_EQ(back->At(0, 5), set.Over(m.tiles[1].col * 128 + 72, m.tiles[1].row * 128 + 5));
        }
        ExpectMap(m.map, set);
        ExpectScreen();
    }
    // Random scrolls over many tile sizes, screen-sized tiles among them.
    const unsigned sizes[][2] = {{32, 32}, {24, 16}, {7, 13}, {1, 1}, {96, 64}, {200, 150}};
    for (auto& size : sizes) {
        OwnedMap m(30, 25, size[0], size[1], set, rng);
        for (int round = 0; round < 10; round++) {
            SCOPED_TRACE(::testing::Message() << "tiles " << size[0] << "x" << size[1] << " round " << round);
            Screen(200, 150);
            m.map.scrollX = -static_cast<int>(rng() % (30 * size[0] + 40));
            m.map.scrollY = -static_cast<int>(rng() % (25 * size[1] + 40));
            EXPECT_EQ(DrawTileMap(&m.map), 1);
            ExpectMap(m.map, set);
            ExpectScreen();
        }
    }
}

TEST_F(Renderer, SpritesClippedAtEveryEdge) {
    Screen(160, 120);
    HandImage img(64, 48, rng);
    Sprite left = MakeSprite(&img.image, 20, 4, 18, 10, -10, 100);  // its right 8 columns at x 0
    EXPECT_EQ(DrawSprite(&left), 1);
    for (int j = 0; j < 10; j++) {
        for (int i = 0; i < 8; i++) EXPECT_EQ(back->At(i, 100 + j), img.Over(30 + i, 4 + j));
        EXPECT_EQ(back->At(8, 100 + j), kBackground);
    }
    Sprite bottom = MakeSprite(&img.image, 3, 5, 20, 12, 50, 115);  // 5 rows on screen
    EXPECT_EQ(DrawSprite(&bottom), 1);
    for (int x = 50; x < 70; x++) EXPECT_EQ(back->At(x, 119), img.Over(3 + x - 50, 5 + 4));
    ExpectSprite(left, img);
    ExpectSprite(bottom, img);
    for (int far : {INT32_MIN, INT32_MAX}) {  // arithmetic that would overflow 32 bits
        Sprite s = MakeSprite(&img.image, 0, 0, 8, 8, far, far);
        EXPECT_EQ(DrawSprite(&s), 1);
    }
    for (int round = 0; round < 400; round++) {
        int w = 1 + rng() % 33, h = 1 + rng() % 33;
        int x = static_cast<int>(rng() % 240) - 40,
            y = round < 3 ? 120 + round * 50 : static_cast<int>(rng() % 200) - 40;
        Sprite s = MakeSprite(&img.image, rng() % (64 - w + 1), rng() % (48 - h + 1), w, h, x, y);
        EXPECT_EQ(DrawSprite(&s), 1);
        ExpectSprite(s, img);
    }
    ExpectScreen();
}

// A whole frame: layers in order, each map then its sprites from drawFirst
// along older; a hidden map is skipped but its sprites are drawn, and hidden
// sprites are skipped.
TEST_F(Renderer, RenderFrameDrawsLayersInOrder) {
    Screen(256, 192);
    HandImage tiles(128, 64, rng), sprites(96, 96, rng);
    OwnedMap back1(20, 20, 32, 32, tiles, rng), main1(20, 20, 16, 16, tiles, rng), top1(5, 5, 64, 64, tiles, rng);
    back1.map.scrollX = -37;
    back1.map.scrollY = -100;
    main1.map.state = STATE_HIDDEN;
    top1.map.scrollX = -70;
    std::vector<Sprite> objects;
    for (int i = 0; i < 40; i++) {
        int w = 4 + rng() % 30, h = 4 + rng() % 30;
        objects.push_back(MakeSprite(&sprites.image, rng() % (96 - w), rng() % (96 - h), w, h,
                                     static_cast<int>(rng() % 300) - 30, static_cast<int>(rng() % 240) - 30));
        if (i % 7 == 3) objects.back().state = STATE_HIDDEN;
    }
    std::vector<SpriteLink> links(objects.size());
    Layer layers[3] = {{&back1.map, nullptr, nullptr, nullptr, &layers[1]},
                       {&main1.map, nullptr, nullptr, &layers[0], &layers[2]},
                       {&top1.map, nullptr, nullptr, &layers[1], nullptr}};
    for (size_t i = 0; i < objects.size(); i++) Push(layers[i < 10 ? 0 : 1], links[i], &objects[i]);
    prog.layers = &layers[0];
    EXPECT_EQ(RenderFrame(), 1);

    ExpectMap(back1.map, tiles);
    for (int i = 9; i >= 0; i--) ExpectSprite(objects[i], sprites);  // newest first, oldest on top
    for (int i = static_cast<int>(objects.size()) - 1; i >= 10; i--) ExpectSprite(objects[i], sprites);
    ExpectMap(top1.map, tiles);
    ExpectScreen();
}

// Before a display mode there is no back buffer: nothing is touched.
TEST_F(Renderer, NothingDrawnBeforeADisplayMode) {
    HandImage img(32, 32, rng);
    const Picture before = img.Pixels();
    OwnedMap m(4, 4, 8, 8, img, rng);
    Sprite s = MakeSprite(&img.image, 0, 0, 8, 8, 0, 0);
    Layer layer = {&m.map, nullptr, nullptr, nullptr, nullptr};
    SpriteLink link;
    Push(layer, link, &s);
    prog.layers = &layer;
    ASSERT_EQ(backBuffer, nullptr);
    EXPECT_EQ(DrawTileMap(&m.map), 1);
    EXPECT_EQ(DrawSprite(&s), 1);
    EXPECT_EQ(RenderFrame(), 1);
    EXPECT_EQ(img.Pixels().px, before.px);
    EXPECT_TRUE(img.GuardsIntact());
}

// The whole way, through AddImage and a real flip chain: a bitmap whose
// top-left pixel is magenta draws with every magenta pixel transparent over
// the empty back buffer (none of the other colours is 0).
TEST_F(Renderer, MagentaKeyedBitmapOnTheRealDisplay) {
    ASSERT_EQ(SetDisplayMode(1024, 768, 16), 1);
    BmpSpec b = Colours24(6, 4);
    for (int i = 0; i < 24; i += 4) b.pixels[i] = Rgb{255, 0, 255};
    Image* image = AddImage(WriteFile("magenta.bmp", MakeBmp(b)).c_str(), IMAGE_FROM_FILE, 0, 0);
    ASSERT_NE(image, nullptr);
    Sprite s = MakeSprite(image, 0, 0, 6, 4, 1020, 10);  // cut at the right edge: four columns show
    Layer layer = {};
    SpriteLink link;
    Push(layer, link, &s);
    prog.layers = &layer;
    const long framesBefore = HeadlessFramesPresented();
    ASSERT_EQ(RenderFrame(), 1);
    EXPECT_EQ(HeadlessFramesPresented(), framesBefore + 1);
    const IDirectDrawSurface4* shown = primarySurface;  // after the flip
    const int stride = shown->pitch / 2;
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 4; x++) {
            const Rgb c = b.pixels[y * 6 + x];
            const bool magenta = c.r == 255 && c.g == 0 && c.b == 255;
            EXPECT_EQ(shown->pixels[(10 + y) * stride + 1020 + x], magenta ? 0 : To565(c)) << x << "," << y;
        }
    EXPECT_EQ(shown->pixels[9 * stride + 1020], 0);
}

}  // namespace
