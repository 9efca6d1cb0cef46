// The game set-up: order of the engine calls, the scene it builds, and every
// failure with its message and what it leaves behind.
#include <gtest/gtest.h>

#include <algorithm>
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
#include "tests/support/fake_prog.h"

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
    // After a set-up that did not complete, the frame driver touches nothing
    // and asks for no frame.
    void ExpectIdleFrameDriver() {
        prog.event = EV_LBUTTON_DOWN;
        EXPECT_EQ(VProgProcedure(1000), 0);
        EXPECT_EQ(pendingMs, 0);
        EXPECT_EQ(windowFrames, 0);
    }
};

void ExpectMap(const TileMap* map, int32_t col) {
    ASSERT_NE(map, nullptr);
    EXPECT_EQ((std::vector<int64_t>{map->cols, map->rows, map->spanCols, map->spanRows, map->tileW, map->tileH,
                                    map->scrollX, map->scrollY, map->state, map->userWord}),
              (std::vector<int64_t>{11, 9, 11, 9, 128, 128, 0, 0, MAP_VISIBLE, 0}));
    ASSERT_NE(map->tiles, nullptr);
    for (int i = 0; i < 99; ++i) {
        EXPECT_EQ(map->tiles[i].col, col) << "tile " << i;
        EXPECT_EQ(map->tiles[i].row, 0) << "tile " << i;
        EXPECT_EQ(map->tiles[i].image, fake::ImageFor("tiles.bmp")) << "tile " << i;
    }
}

TEST_F(SetupFixture, CompleteSetUp) {
    std::ofstream(HIGH_SCORE_FILE) << "0x1F";
    ASSERT_EQ(VProgInterface(&prog), 1);
    EXPECT_EQ(fake::Calls(), (Strings{"SetDisplayMode 1024 768 16", "AddImage tiles.bmp 3101 0 0",
                                      "AddImage sprites.bmp 3101 0 0", "AddImage text.bmp 3101 0 0"}));
    EXPECT_EQ(prog.moduleTag, 201u);
    EXPECT_EQ(TheProg, &prog);
    EXPECT_EQ(highScore, 31);

    // Three layers: back, main, top, chained both ways, each with its map.
    Layer* const layers[3] = {BackLayer, MainLayer, TopLayer};
    TileMap* const maps[3] = {backmap, MainMap, TopMap};
    EXPECT_EQ(prog.layers, BackLayer);
    for (int i = 0; i < 3; ++i) {
        ASSERT_NE(layers[i], nullptr);
        EXPECT_EQ(layers[i]->prev, i > 0 ? layers[i - 1] : nullptr);
        EXPECT_EQ(layers[i]->next, i < 2 ? layers[i + 1] : nullptr);
        EXPECT_EQ(layers[i]->map, maps[i]);
        ExpectMap(maps[i], i == 2 ? 3 : 1);
    }

    // Only MainLayer holds links: the ship (oldest), the HUD glyphs, the banner.
    EXPECT_EQ(BackLayer->oldest, nullptr);
    EXPECT_EQ(TopLayer->oldest, nullptr);
    ASSERT_TRUE(TheShip && Hud && Banner);
    std::vector<void*> objects, expected{TheShip};
    for (SpriteLink* l = MainLayer->oldest; l; l = l->newer) objects.push_back(l->object);
    for (int i = 0; i < Hud->length; ++i) expected.push_back(Hud->glyphs[i]);
    expected.push_back(Banner);
    EXPECT_EQ(objects, expected);

    EXPECT_EQ(TheShip->mode, SHIP_DOWN);
    EXPECT_STREQ(Hud->text, "Loading...");
    EXPECT_EQ(Hud->x | Hud->y, 0);
    EXPECT_EQ(Banner->kind, ENEMY_BANNER);
    EXPECT_EQ(Banner->sprite.x, 442);  // made at reference point (512, 0)
    EXPECT_EQ(Banner->sprite.y, -61);
    EXPECT_TRUE(fake::Reports().empty());
}

// The generator is seeded with the calendar time before the record is checked.
TEST_F(SetupFixture, NullRecord) {
    ExpectIdleFrameDriver();
    std::srand(12345);
    const time_t before = std::time(nullptr);
    EXPECT_EQ(VProgInterface(nullptr), 0);
    const time_t after = std::time(nullptr);
    const int got = std::rand();
    bool seeded = false;
    for (time_t t = before; t <= after; ++t) {
        std::srand((unsigned)t);
        seeded = seeded || std::rand() == got;
    }
    EXPECT_TRUE(seeded);
    EXPECT_EQ(TheProg, nullptr);
    EXPECT_TRUE(fake::Calls().empty()) << "no record to report through";

    fake::DisplayResult() = 0;
    ASSERT_EQ(VProgInterface(&prog), 0);
    fake::Reports().clear();
    EXPECT_EQ(VProgInterface(nullptr), 0);
    EXPECT_EQ(fake::Reports(), (Strings{"prog was NULL"})) << "reported through the stored record";
    EXPECT_EQ(TheProg, &prog) << "the stored record stays";
}

// Set-up allocates in this order: back layer, backmap, its tiles, MainLayer,
// MainMap, its tiles, TopLayer, TopMap, its tiles, then the ship.
struct FailRow {
    bool displayFails;
    const char* missingImage;
    long failAt;
    const char* message;
    int layers;          // layers in the chain afterwards
    int completeLayers;  // of those, how many have their map attached
    bool lastMapMade;    // the map of the last layer exists, without tiles
};

void PrintTo(const FailRow& row, std::ostream* os) { *os << row.message; }

struct SetupFailure : SetupFixture, ::testing::WithParamInterface<FailRow> {};

TEST_P(SetupFailure, ReportsAndLeavesWhatWasMade) {
    const FailRow& row = GetParam();
    fake::DisplayResult() = row.displayFails ? 0 : 1;
    if (row.missingImage) fake::MissingImage() = row.missingImage;
    GameAllocFailAt(row.failAt);
    EXPECT_EQ(VProgInterface(&prog), 0);
    GameAllocFailAt(0);
    EXPECT_EQ(fake::Reports(), Strings{row.message});
    EXPECT_EQ(TheProg, &prog);
    EXPECT_EQ(prog.moduleTag, 201u);

    // Images loaded before the failure are kept; none is asked for after it.
    const char* names[3] = {"tiles.bmp", "sprites.bmp", "text.bmp"};
    int loaded = row.displayFails ? 0 : 3;
    for (int i = 0; i < 3; ++i)
        if (row.missingImage && std::string(row.missingImage) == names[i]) loaded = i;
    const int asked = row.displayFails ? 0 : row.missingImage ? loaded + 1 : 3;
    EXPECT_EQ(fake::Calls().size(), 1u + asked + 1u);
    EXPECT_EQ(fake::Calls().back(), std::string("Report ") + row.message);
    Image* images[3] = {TilesImage, SpritesImage, TextImage};
    for (int i = 0; i < 3; ++i) EXPECT_EQ(images[i], i < loaded ? fake::ImageFor(names[i]) : nullptr) << names[i];

    Layer* layers[3] = {BackLayer, MainLayer, TopLayer};
    TileMap* maps[3] = {backmap, MainMap, TopMap};
    Layer* l = prog.layers;
    for (int i = 0; i < 3; ++i, l = l ? l->next : nullptr) {
        SCOPED_TRACE(::testing::Message() << "layer " << i);
        if (i >= row.layers) {
            EXPECT_EQ(l, nullptr);
            EXPECT_EQ(layers[i], nullptr);
            EXPECT_EQ(maps[i], nullptr);
            continue;
        }
        ASSERT_EQ(l, layers[i]);
        EXPECT_EQ(l->drawFirst, nullptr) << "no object exists yet";
        if (i < row.completeLayers) {
            EXPECT_EQ(l->map, maps[i]);
            ExpectMap(maps[i], i == 2 ? 3 : 1);
        } else {
            EXPECT_EQ(l->map, nullptr);
            EXPECT_EQ(maps[i] != nullptr, row.lastMapMade);
            EXPECT_TRUE(!maps[i] || !maps[i]->tiles);
        }
    }
    EXPECT_EQ(TheShip, nullptr);
    EXPECT_EQ(Hud, nullptr);
    EXPECT_EQ(Banner, nullptr);
    ExpectIdleFrameDriver();
}

INSTANTIATE_TEST_SUITE_P(EachRow, SetupFailure,
                         ::testing::Values(FailRow{true, nullptr, 0, "Could not set display mode to 1024x768x16.", 0, 0,
                                                   false},
                                           FailRow{false, "tiles.bmp", 0, "Could not load tiles.bmp.", 0, 0, false},
                                           FailRow{false, "sprites.bmp", 0, "Could not load sprites.bmp.", 0, 0, false},
                                           FailRow{false, "text.bmp", 0, "Could not load text.bmp.", 0, 0, false},
                                           FailRow{false, nullptr, 1, "Could not create layer.", 0, 0, false},
                                           FailRow{false, nullptr, 2, "Could not create backmap.", 1, 0, false},
                                           FailRow{false, nullptr, 3, "Could not create backmap data.", 1, 0, true},
                                           FailRow{false, nullptr, 4, "Could not create MainLayer.", 1, 1, false},
                                           FailRow{false, nullptr, 5, "Could not create MainMap.", 2, 1, false},
                                           FailRow{false, nullptr, 6, "Could not create MainMap data.", 2, 1, true},
                                           FailRow{false, nullptr, 7, "Could not create TopLayer.", 2, 2, false},
                                           FailRow{false, nullptr, 8, "Could not create TopMap.", 3, 2, false},
                                           FailRow{false, nullptr, 9, "Could not create TopMap data.", 3, 2, true},
                                           FailRow{false, nullptr, 10, "Could not create ship.", 3, 3, false}));

// Every single allocation of a complete set-up is made to fail in turn: each
// try either reports exactly one message and returns 0 (and the frame driver
// then stays idle), or succeeds silently with that object undrawn.
TEST_F(SetupFixture, EveryFailingAllocationIsSurvived) {
    const long start = GameAllocCalls();
    ASSERT_EQ(VProgInterface(&prog), 1);
    const long total = GameAllocCalls() - start;
    ResetWorld();
    ASSERT_GT(total, 12);
    Strings seen;
    for (long n = 1; n <= total; ++n) {
        SCOPED_TRACE(::testing::Message() << "allocation " << n);
        prog = fake::MakeProg();
        GameAllocFailAt(n);
        const int result = VProgInterface(&prog);
        GameAllocFailAt(0);
        if (result == 0) {
            ASSERT_EQ(fake::Reports().size(), 1u);
            seen.push_back(fake::Reports()[0]);
            prog.event = EV_FRAME;
            EXPECT_EQ(VProgProcedure(15), 0);
        } else {
            EXPECT_TRUE(fake::Reports().empty());
            EXPECT_TRUE(worldReady);
        }
        ResetWorld();
        EXPECT_EQ(GameAllocLive(), liveBefore);
    }
    for (const char* message : {"Could not create ship.", "Could not create HUD text.", "Could not create banner."})
        EXPECT_NE(std::find(seen.begin(), seen.end(), message), seen.end()) << message;
    EXPECT_EQ(seen.size(), 12u) << "nine layer rows and the three objects";
}

}  // namespace
