#include <random>

#include "tests/support/harness.h"

constexpr uint16_t kKey = 0xF81F;

static uint16_t& Px(IDirectDrawSurface4* s, int64_t x, int64_t y) { return s->pixels[y * (s->pitch / 2) + x]; }

struct Renderer : EngineGraphics {
    std::mt19937 rng{2024};
    std::vector<std::vector<Tile>> tiles;
    std::vector<uint16_t> want;  // the expected 160 x 120 screen

    Image* Sheet(int width, int height) {
        Image* image = AddImage("", IMAGE_BLANK, width, height);
        for (int i = 0; i < width * height; i++)
            Px(image->holder->surface, i % width, i / width) = i % 5 ? uint16_t(rng() & 0xFFFE) : kKey;
        image->holder->surface->srcKey = {kKey, kKey}, image->holder->surface->hasSrcKey = 1;
        return image;
    }
    TileMap Map(int cols, int rows, int tw, int th, Image* set, int scrollX, int scrollY) {
        tiles.emplace_back();
        for (int i = 0; i < cols * rows; i++)
            tiles.back().push_back(
                {int(rng() % (set->holder->width / tw)), int(rng() % (set->holder->height / th)), set});
        return {scrollX, scrollY, 0, 0, unsigned(tw), unsigned(th), cols, rows, MAP_VISIBLE, 0, tiles.back().data()};
    }
    void Put(const Image* image, int64_t srcX, int64_t srcY, int64_t x, int64_t y) {
        uint16_t p = Px(image->holder->surface, srcX, srcY);
        if (x >= 0 && y >= 0 && x < 160 && y < 120 && p != kKey) want[y * 160 + x] = p;
    }
    void ExpectMap(const TileMap& m) {
        for (int64_t i = 0; m.scrollX <= 0 && m.scrollY <= 0 && i < 160 * 120; i++) {
            int64_t mx = i % 160 - m.scrollX, my = i / 160 - m.scrollY, c = mx / m.tileW, r = my / m.tileH;
            const Tile* t = c < m.cols && r < m.rows ? &m.tiles[r * m.cols + c] : nullptr;
            if (t) Put(t->image, t->col * m.tileW + mx % m.tileW, t->row * m.tileH + my % m.tileH, i % 160, i / 160);
        }
    }
    void ExpectSprite(const Sprite& s) {
        for (int j = 0; s.state != STATE_HIDDEN && j < s.srcH; j++)
            for (int i = 0; i < s.srcW; i++) Put(s.image, s.srcX + i, s.srcY + j, int64_t(s.x) + i, int64_t(s.y) + j);
    }
};

// A map under four sprites, a hidden map under five, a small map; first fixed scrolls and sprites
// (over each edge, beyond the screen, far enough for 32 bits to wrap), then random ones.
TEST_F(Renderer, FramesDrawLayersInOrderClippedAtEveryEdge) {
    Image *set = Sheet(512, 256), *sheet = Sheet(200, 150);
    // clang-format off
    const int fixed[9][7] = {{20, 4, 18, 10, -10, 100, 18}, {3, 5, 20, 12, 50, 115, 20}, {0, 0, 30, 20, 150, -15, 30},
        {10, 10, 40, 30, -5, -7, 40}, {0, 0, 170, 8, 0, 30, 170}, {0, 0, 8, 130, 20, 0, 8}, {0, 0, 8, 8, INT32_MIN,
        INT32_MIN, 8}, {0, 0, 8, 8, INT32_MAX, INT32_MAX, 8}, {10, 0, -5, 8, 0, 0, -1}};  // srcX, srcY, srcW, srcH, x, y, w
    // clang-format on
    const int scrolls[][2] = {{-40, 0}, {0, 0}, {1, 0}, {0, 1}, {50, -20}, {-20, 50}, {INT32_MIN, INT32_MIN}};
    const int sizes[][2] = {{32, 32}, {24, 16}, {7, 13}, {1, 1}, {96, 64}, {160, 120}};
    Sprite sprites[9] = {};
    TileMap none = Map(4, 4, 8, 8, set, 0, 0);
    Layer alone = {&none, nullptr, nullptr, nullptr, nullptr};
    prog.layers = &alone;
    EXPECT_EQ(DrawTileMap(&none) + DrawSprite(&sprites[0]) + RenderFrame() + HeadlessFramesPresented(), 3);
    for (int frame = 0; frame < 60; frame++) {
        SCOPED_TRACE(frame);
        ASSERT_EQ(SetDisplayMode(160, 120, 16), 1);
        want.assign(160 * 120, 0);
        const int tw = frame < 7 ? 32 : sizes[frame % 6][0], th = frame < 7 ? 32 : sizes[frame % 6][1];
        TileMap maps[3] = {Map(30, 25, tw, th, set, frame < 7 ? scrolls[frame][0] : -int(rng() % (30 * tw + 40)),
                               frame < 7 ? scrolls[frame][1] : -int(rng() % (25 * th + 40))),
                           Map(20, 20, 16, 16, set, 0, 0), Map(3, 4, 32, 32, set, -int(rng() % 60), -int(rng() % 60))};
        maps[1].state = STATE_HIDDEN;
        Layer layers[3] = {{&maps[0], nullptr, nullptr, nullptr, &layers[1]},
                           {&maps[1], nullptr, nullptr, &layers[0], &layers[2]},
                           {&maps[2], nullptr, nullptr, &layers[1], nullptr}};
        SpriteLink links[9];
        for (int i = 0; i < 9; i++) {
            int w = 1 + rng() % 33, h = 1 + rng() % 33, x = int(rng() % 240) - 40, y = int(rng() % 200) - 40;
            const int r[7] = {int(rng() % (200 - w)), int(rng() % (150 - h)), w, h, x, y, w}, *f = frame ? r : fixed[i];
            sprites[i] = {f[0], f[1], f[2], f[3], f[4], f[5], uint32_t(f[6]), uint32_t(f[3]), sheet, 6000};
            if (frame && i == 4) sprites[i].state = STATE_HIDDEN;
            Layer& layer = layers[i < 4 ? 0 : 1];  // each new link is drawn first
            links[i] = SpriteLink{&sprites[i], nullptr, layer.drawFirst, 0, 0, &layer};
            layer.drawFirst = &links[i];
        }
        prog.layers = &layers[0];
        EXPECT_EQ(RenderFrame(), 1);
        ExpectMap(maps[0]);
        for (int i : {3, 2, 1, 0, 8, 7, 6, 5, 4}) ExpectSprite(sprites[i]);
        ExpectMap(maps[2]);
        for (int i = 0; i < 160 * 120; i++)
            ASSERT_EQ(Px(primarySurface, i % 160, i / 160), want[i]) << "at " << i % 160 << "," << i / 160;
    }
    EXPECT_EQ(HeadlessFramesPresented(), 60);
}
