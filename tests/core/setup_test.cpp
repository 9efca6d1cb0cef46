// The game set-up: order of the engine calls, the scene it builds, and every
// failure with its message and what it leaves behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>

#include "platform/headless.h"
#include "prog/core/alloc.h"
#include "prog/core/frame.h"
#include "prog/core/highscore.h"
#include "prog/core/layers.h"
#include "prog/core/text.h"
#include "prog/core/world.h"
#include "prog/objects/records.h"
#include "tests/core/fake_prog.h"

namespace {

using Strings = std::vector<std::string>;

struct SetupFixture : ::testing::Test {
    fake::TempDir dir;
    Prog prog = fake::MakeProg();
    long liveBefore = 0;

    void SetUp() override {
        HeadlessReset();
        liveBefore = GameAllocLive();
    }
    void TearDown() override {
        GameAllocFailAt(0);
        ResetWorld();
        EXPECT_EQ(GameAllocLive(), liveBefore) << "ResetWorld could not reach everything the set-up made";
    }
    int LayerCount() {
        int n = 0;
        for (Layer* l = prog.layers; l; l = l->next) ++n;
        return n;
    }
};

void ExpectMap(const TileMap* map, int32_t col) {
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(map->cols, 11);
    EXPECT_EQ(map->rows, 9);
    EXPECT_EQ(map->spanCols, 11u);
    EXPECT_EQ(map->spanRows, 9u);
    EXPECT_EQ(map->tileW, 128u);
    EXPECT_EQ(map->tileH, 128u);
    EXPECT_EQ(map->scrollX, 0);
    EXPECT_EQ(map->scrollY, 0);
    EXPECT_EQ(map->state, MAP_VISIBLE);
    EXPECT_EQ(map->userWord, 0u);
    ASSERT_NE(map->tiles, nullptr);
    for (int i = 0; i < 99; ++i) {
        EXPECT_EQ(map->tiles[i].col, col) << "tile " << i;
        EXPECT_EQ(map->tiles[i].row, 0) << "tile " << i;
        EXPECT_EQ(map->tiles[i].image, fake::ImageFor("tiles.bmp")) << "tile " << i;
    }
}

TEST_F(SetupFixture, CompleteSetUp) {
    ASSERT_EQ(VProgInterface(&prog), 1);
    EXPECT_EQ(fake::Calls(), (Strings{"SetDisplayMode 1024 768 16", "AddImage tiles.bmp 3101 0 0",
                                      "AddImage sprites.bmp 3101 0 0", "AddImage text.bmp 3101 0 0"}));
    EXPECT_EQ(prog.moduleTag, 201u);
    EXPECT_EQ(TheProg, &prog);
    EXPECT_EQ(TilesImage, fake::ImageFor("tiles.bmp"));
    EXPECT_EQ(SpritesImage, fake::ImageFor("sprites.bmp"));
    EXPECT_EQ(TextImage, fake::ImageFor("text.bmp"));

    // Three layers: back, main, top, chained both ways.
    ASSERT_EQ(LayerCount(), 3);
    EXPECT_EQ(prog.layers, BackLayer);
    EXPECT_EQ(BackLayer->next, MainLayer);
    EXPECT_EQ(MainLayer->next, TopLayer);
    EXPECT_EQ(TopLayer->prev, MainLayer);
    EXPECT_EQ(MainLayer->prev, BackLayer);
    EXPECT_EQ(BackLayer->prev, nullptr);
    EXPECT_EQ(BackLayer->map, backmap);
    EXPECT_EQ(MainLayer->map, MainMap);
    EXPECT_EQ(TopLayer->map, TopMap);
    ExpectMap(backmap, 1);
    ExpectMap(MainMap, 1);
    ExpectMap(TopMap, 3);

    // Only MainLayer holds links: the ship (oldest), the HUD glyphs, the banner.
    EXPECT_EQ(BackLayer->drawFirst, nullptr);
    EXPECT_EQ(BackLayer->oldest, nullptr);
    EXPECT_EQ(TopLayer->drawFirst, nullptr);
    EXPECT_EQ(TopLayer->oldest, nullptr);
    ASSERT_NE(TheShip, nullptr);
    ASSERT_NE(Hud, nullptr);
    ASSERT_NE(Banner, nullptr);
    std::vector<void*> objects;
    for (SpriteLink* l = MainLayer->oldest; l; l = l->newer) objects.push_back(l->object);
    std::vector<void*> expected{TheShip};
    for (int i = 0; i < Hud->length; ++i) expected.push_back(Hud->glyphs[i]);
    expected.push_back(Banner);
    EXPECT_EQ(objects, expected);

    EXPECT_EQ(TheShip->mode, SHIP_DOWN);
    EXPECT_STREQ(Hud->text, "Loading...");
    EXPECT_EQ(Hud->x, 0);
    EXPECT_EQ(Hud->y, 0);
    EXPECT_EQ(Banner->kind, ENEMY_BANNER);
    EXPECT_EQ(Banner->sprite.x, 442);  // made at reference point (512, 0)
    EXPECT_EQ(Banner->sprite.y, -61);
    EXPECT_EQ(highScore, 0) << "no high-score file";
    EXPECT_TRUE(fake::Reports().empty());
}

TEST_F(SetupFixture, FrameDriverIdleBeforeAnySetUp) {
    prog.event = EV_MOUSE_MOVE;
    EXPECT_EQ(VProgProcedure(1000), 0);
    EXPECT_EQ(pendingMs, 0);
    EXPECT_EQ(windowFrames, 0);
}

TEST_F(SetupFixture, ReadsTheHighScoreFile) {
    std::ofstream(HIGH_SCORE_FILE) << "0x1F";
    ASSERT_EQ(VProgInterface(&prog), 1);
    EXPECT_EQ(highScore, 31);
}

TEST_F(SetupFixture, NullPointerWithNothingStoredReportsNothing) {
    EXPECT_EQ(VProgInterface(nullptr), 0);
    EXPECT_EQ(TheProg, nullptr);
    EXPECT_TRUE(fake::Calls().empty());
}

TEST_F(SetupFixture, NullPointerReportsThroughStoredRecord) {
    fake::DisplayResult() = 0;
    ASSERT_EQ(VProgInterface(&prog), 0);
    fake::Reports().clear();
    EXPECT_EQ(VProgInterface(nullptr), 0);
    EXPECT_EQ(fake::Reports(), (Strings{"prog was NULL"}));
    EXPECT_EQ(TheProg, &prog) << "the stored record stays";
}

TEST_F(SetupFixture, SeedsTheGeneratorFirstEvenForNull) {
    std::srand(12345);
    time_t before = std::time(nullptr);
    VProgInterface(nullptr);
    time_t after = std::time(nullptr);
    int got = std::rand();
    bool matched = false;
    for (time_t t = before; t <= after; ++t) {
        std::srand((unsigned)t);
        if (std::rand() == got) matched = true;
    }
    EXPECT_TRUE(matched) << "the generator was not seeded with the calendar time";
}

TEST_F(SetupFixture, DisplayModeFailure) {
    fake::DisplayResult() = 0;
    EXPECT_EQ(VProgInterface(&prog), 0);
    EXPECT_EQ(fake::Calls(),
              (Strings{"SetDisplayMode 1024 768 16", "Report Could not set display mode to 1024x768x16."}));
    EXPECT_EQ(TheProg, &prog);
    EXPECT_EQ(prog.moduleTag, 201u);
    EXPECT_EQ(prog.layers, nullptr);
}

struct ImageRow {
    const char* missing;
    int loaded;  // images loaded before the missing one
};

struct ImageFailure : SetupFixture, ::testing::WithParamInterface<ImageRow> {};

TEST_P(ImageFailure, ReportsFileAndKeepsEarlierImages) {
    fake::MissingImage() = GetParam().missing;
    EXPECT_EQ(VProgInterface(&prog), 0);
    EXPECT_EQ(fake::Reports(), (Strings{std::string("Could not load ") + GetParam().missing + "."}));
    EXPECT_EQ(fake::Calls().back(), std::string("Report Could not load ") + GetParam().missing + ".");
    EXPECT_EQ((int)fake::Calls().size(), 1 + GetParam().loaded + 1 + 1);
    Image* images[3] = {TilesImage, SpritesImage, TextImage};
    const char* names[3] = {"tiles.bmp", "sprites.bmp", "text.bmp"};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(images[i], i < GetParam().loaded ? fake::ImageFor(names[i]) : nullptr) << names[i];
    EXPECT_EQ(prog.layers, nullptr);
}

INSTANTIATE_TEST_SUITE_P(EachImage, ImageFailure,
                         ::testing::Values(ImageRow{"tiles.bmp", 0}, ImageRow{"sprites.bmp", 1},
                                           ImageRow{"text.bmp", 2}));

// The allocations of the set-up come in this order: back layer, backmap,
// its tiles, MainLayer, MainMap, its tiles, TopLayer, TopMap, its tiles.
struct AllocRow {
    long failAt;
    const char* message;
    int layers;          // layers in the chain afterwards
    int completeLayers;  // of those, how many have their map attached
    bool lastMapMade;    // the map of the last layer exists, unattached
};

void PrintTo(const AllocRow& row, std::ostream* os) { *os << row.failAt << ": " << row.message; }
void PrintTo(const ImageRow& row, std::ostream* os) { *os << row.missing; }

struct AllocFailure : SetupFixture, ::testing::WithParamInterface<AllocRow> {};

TEST_P(AllocFailure, ReportsAndLeavesWhatWasMade) {
    const AllocRow& row = GetParam();
    GameAllocFailAt(row.failAt);
    EXPECT_EQ(VProgInterface(&prog), 0);
    GameAllocFailAt(0);
    EXPECT_EQ(fake::Reports(), (Strings{row.message}));
    ASSERT_EQ(LayerCount(), row.layers);
    Layer* layers[3] = {BackLayer, MainLayer, TopLayer};
    TileMap* maps[3] = {backmap, MainMap, TopMap};
    Layer* l = prog.layers;
    for (int i = 0; i < row.layers; ++i, l = l->next) {
        EXPECT_EQ(l, layers[i]);
        EXPECT_EQ(l->drawFirst, nullptr) << "no object exists yet";
        if (i < row.completeLayers) {
            EXPECT_EQ(l->map, maps[i]);
            ExpectMap(maps[i], i == 2 ? 3 : 1);
        } else {
            EXPECT_EQ(l->map, nullptr) << "layer " << i;
            if (row.lastMapMade) {
                ASSERT_NE(maps[i], nullptr);
                EXPECT_EQ(maps[i]->tiles, nullptr);
            } else {
                EXPECT_EQ(maps[i], nullptr);
            }
        }
    }
    EXPECT_EQ(TheShip, nullptr);
    EXPECT_EQ(Hud, nullptr);
    EXPECT_EQ(Banner, nullptr);
    // The frame driver leaves a half-built world alone and asks for no frame.
    prog.event = EV_MOUSE_MOVE;
    EXPECT_EQ(VProgProcedure(1000), 0);
    EXPECT_EQ(pendingMs, 0);
    EXPECT_EQ(windowFrames, 0);
}

INSTANTIATE_TEST_SUITE_P(EachRow, AllocFailure,
                         ::testing::Values(AllocRow{1, "Could not create layer.", 0, 0, false},
                                           AllocRow{2, "Could not create backmap.", 1, 0, false},
                                           AllocRow{3, "Could not create backmap data.", 1, 0, true},
                                           AllocRow{4, "Could not create MainLayer.", 1, 1, false},
                                           AllocRow{5, "Could not create MainMap.", 2, 1, false},
                                           AllocRow{6, "Could not create MainMap data.", 2, 1, true},
                                           AllocRow{7, "Could not create TopLayer.", 2, 2, false},
                                           AllocRow{8, "Could not create TopMap.", 3, 2, false},
                                           AllocRow{9, "Could not create TopMap data.", 3, 2, true}));

TEST_F(SetupFixture, ShipFailureReportsAndKeepsTheLayers) {
    GameAllocFailAt(10);  // the first allocation after the three maps
    EXPECT_EQ(VProgInterface(&prog), 0);
    GameAllocFailAt(0);
    EXPECT_EQ(fake::Reports(), (Strings{"Could not create ship."}));
    EXPECT_EQ(LayerCount(), 3);
    EXPECT_EQ(TopLayer->map, TopMap);
    EXPECT_EQ(TheShip, nullptr);
    EXPECT_EQ(worldReady, false);
    prog.event = EV_LBUTTON_DOWN;
    EXPECT_EQ(VProgProcedure(20), 0);
}

// Every single allocation of a complete set-up is made to fail in turn: each
// try either reports exactly one message and returns 0 (and the frame driver
// then stays idle), or succeeds silently with that object undrawn.
TEST_F(SetupFixture, EveryFailingAllocationIsSurvived) {
    long start = GameAllocCalls();
    ASSERT_EQ(VProgInterface(&prog), 1);
    long total = GameAllocCalls() - start;
    ResetWorld();
    ASSERT_GT(total, 12);
    std::vector<std::string> seen;
    for (long n = 1; n <= total; ++n) {
        prog = fake::MakeProg();
        GameAllocFailAt(n);
        int result = VProgInterface(&prog);
        GameAllocFailAt(0);
        if (result == 0) {
            ASSERT_EQ(fake::Reports().size(), 1u) << "allocation " << n;
            seen.push_back(fake::Reports()[0]);
            prog.event = EV_FRAME;
            EXPECT_EQ(VProgProcedure(15), 0) << "allocation " << n;
        } else {
            EXPECT_TRUE(fake::Reports().empty()) << "allocation " << n;
            EXPECT_EQ(worldReady, true);
        }
        ResetWorld();
        EXPECT_EQ(GameAllocLive(), liveBefore) << "allocation " << n;
    }
    for (const char* message : {"Could not create ship.", "Could not create HUD text.", "Could not create banner."})
        EXPECT_NE(std::find(seen.begin(), seen.end(), message), seen.end()) << message;
    EXPECT_EQ(seen.size(), 12u) << "nine layer rows and the three objects";
}

}  // namespace
