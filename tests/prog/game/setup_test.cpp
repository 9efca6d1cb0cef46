// The game set-up: the engine calls in order, the scene it builds, and the message of each step that fails.
#include "prog/core/highscore.h"
#include "prog/core/text.h"
#include "prog/game/frame.h"
#include "tests/support/temp_dir.h"
#include "tests/support/world.h"

namespace {

using Strings = std::vector<std::string>;

struct SetupFixture : ::testing::Test {
    support::TempDir dir{true};
    Prog prog = fake::MakeProg();
    long liveBefore = GameAllocLive();

    void TearDown() override {
        ResetWorld();
        EXPECT_EQ(GameAllocLive(), liveBefore) << "ResetWorld could not reach everything the set-up made";
    }
    // After a set-up that did not complete, the frame driver touches nothing and asks for no frame.
    V IdleFrameDriver() { return prog.event = EV_LBUTTON_DOWN, V{VProgProcedure(1000), pendingMs, windowFrames}; }
};

// Back, main and top layer chained both ways, each with an 11 x 9 map of 128-pixel tiles showing cell (1, 0) of the
// tile sheet, (3, 0) on top; only MainLayer holds links: the ship (oldest), the HUD glyphs, the banner.
TEST_F(SetupFixture, CompleteSetUp) {
    support::WriteFile(HIGH_SCORE_FILE, "0x1F");
    ASSERT_EQ(VProgInterface(&prog), 1);
    EXPECT_EQ(fake::calls, (Strings{"SetDisplayMode 1024 768 16", "AddImage tiles.bmp 3101 0 0",
                                    "AddImage sprites.bmp 3101 0 0", "AddImage text.bmp 3101 0 0"}));
    EXPECT_EQ((V{(int32_t)prog.moduleTag, highScore, TheProg == &prog, !fake::reports.empty()}), (V{201, 31, 1, 0}));
    Layer* const layers[3] = {BackLayer, MainLayer, TopLayer};
    TileMap* const maps[3] = {backmap, MainMap, TopMap};
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(layers[i] && maps[i]);
        EXPECT_EQ((std::vector<void*>{layers[i]->prev, layers[i]->next, layers[i]->map, i ? 0 : prog.layers}),
                  (std::vector<void*>{i ? layers[i - 1] : 0, i < 2 ? layers[i + 1] : 0, maps[i], i ? 0 : BackLayer}));
        const TileMap& m = *maps[i];
        EXPECT_EQ((V{m.cols, m.rows, (int32_t)m.spanCols, (int32_t)m.spanRows, (int32_t)m.tileW, (int32_t)m.tileH,
                     m.scrollX, m.scrollY, m.state, i == 1 || !layers[i]->oldest}),
                  (V{11, 9, 11, 9, 128, 128, 0, 0, MAP_VISIBLE, 1}));
        for (int t = 0; t < 99; ++t)
            ASSERT_TRUE(m.tiles[t].col == (i == 2 ? 3 : 1) && !m.tiles[t].row && m.tiles[t].image == TilesImage) << t;
    }
    ASSERT_TRUE(TheShip && Hud && Banner && TilesImage == fake::ImageFor("tiles.bmp"));
    std::vector<void*> objects, expected{TheShip};
    for (SpriteLink* l = MainLayer->oldest; l; l = l->newer) objects.push_back(l->object);
    for (int i = 0; i < Hud->length; ++i) expected.push_back(Hud->glyphs[i]);
    expected.push_back(Banner);
    EXPECT_EQ(objects, expected);
    EXPECT_EQ((V{TheShip->mode, Hud->x, Hud->y, Banner->kind, Banner->sprite.x, Banner->sprite.y}),
              (V{SHIP_DOWN, 0, 0, ENEMY_BANNER, 442, -61}));  // the banner made at (512, 0)
    EXPECT_STREQ(Hud->text, "Loading...");
}
// Each failing step reports its one message and returns 0, keeping what was made before it (images loaded, layers
// chained, complete maps attached) and asking for nothing after it. Allocations: each layer, its map and its tiles, the
// ship (10) and its link, the HUD (12), its text, glyph array and 10 glyphs with links, the banner (35). Missing image
// ("display": the mode is refused), failing allocation, message; images, layers and maps left.
TEST_F(SetupFixture, EachFailingStepReportsItsMessage) {
    const struct {
        const char* missing;
        int failAt;
        const char* message;
        int images, layers, maps;
        // clang-format off
    } rows[] = {{"display", 0, "Could not set display mode to 1024x768x16.", 0, 0, 0},
                {"tiles.bmp", 0, "Could not load tiles.bmp.", 0, 0, 0},
                {"sprites.bmp", 0, "Could not load sprites.bmp.", 1, 0, 0},
                {"text.bmp", 0, "Could not load text.bmp.", 2, 0, 0}, {"", 1, "Could not create layer.", 3, 0, 0},
                {"", 2, "Could not create backmap.", 3, 1, 0},       {"", 3, "Could not create backmap data.", 3, 1, 0},
                {"", 4, "Could not create MainLayer.", 3, 1, 1},     {"", 5, "Could not create MainMap.", 3, 2, 1},
                {"", 6, "Could not create MainMap data.", 3, 2, 1},  {"", 7, "Could not create TopLayer.", 3, 2, 2},
                {"", 8, "Could not create TopMap.", 3, 3, 2},        {"", 9, "Could not create TopMap data.", 3, 3, 2},
                {"", 10, "Could not create ship.", 3, 3, 3},         {"", 12, "Could not create HUD text.", 3, 3, 3},
                {"", 35, "Could not create banner.", 3, 3, 3}};
    // clang-format on
    for (const auto& row : rows) {
        ResetWorld();
        prog = fake::MakeProg();
        fake::displayResult = std::string(row.missing) != "display", fake::missingImage = row.missing;
        EXPECT_EQ((GameGetFaults()->alloc = FailNth(row.failAt), VProgInterface(&prog)), 0);
        EXPECT_EQ(fake::reports, Strings{row.message});
        int images = !!TilesImage + !!SpritesImage + !!TextImage, layers = 0, maps = 0;
        for (Layer* l = prog.layers; l; l = l->next, ++layers) maps += l->map != nullptr;
        const int asked = row.failAt ? 3 : row.images + fake::displayResult;  // images asked for
        EXPECT_EQ((V{(int32_t)fake::calls.size(), images, layers, maps, (int32_t)prog.moduleTag}),
                  (V{1 + asked + 1, row.images, row.layers, row.maps, 201}))
            << row.message;
        EXPECT_EQ(IdleFrameDriver(), (V{0, 0, 0}));
    }
}

}  // namespace
