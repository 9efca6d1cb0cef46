// The sheet layout the game and any replacement art agree on, written out as numbers: the game, the asset maker
// and the other tests all read the atlas, so a wrong rectangle there would pass unseen everywhere else.
#include "prog/core/atlas.h"

#include <gtest/gtest.h>

#include <array>
#include <map>

namespace {

using Rect = std::array<int32_t, 5>;  // x, y, w, h, frames
Rect Of(const AtlasStrip& s) { return {s.x, s.y, s.w, s.h, s.frames}; }

}  // namespace

TEST(Atlas, StripsLieWhereTheSheetLayoutPutsThem) {
    const std::pair<const char*, std::pair<AtlasStrip, Rect>> cases[] = {
        {"plain shot", {SHOT_PLAIN_FRAMES, {8, 88, 6, 6, 2}}},
        {"missile", {SHOT_MISSILE_FRAMES, {8, 94, 7, 14, 2}}},
        {"big shot", {SHOT_BIG_FRAMES, {0, 88, 4, 20, 2}}},
        {"blast", {SHOT_BLAST_FRAME, {22, 94, 1, 1, 1}}},
        {"power-ups", {POWERUP_FRAMES, {0, 58, 20, 20, 7}}},
        {"fragment 1", {FRAGMENT_FRAMES[0], {0, 108, 4, 4, 4}}},
        {"fragment 2", {FRAGMENT_FRAMES[1], {0, 114, 8, 8, 4}}},
        {"fragment 3", {FRAGMENT_FRAMES[2], {0, 122, 9, 9, 4}}},
        {"fragment 4", {FRAGMENT_FRAMES[3], {0, 131, 13, 13, 4}}},
        {"spark 1", {SPARK_FRAMES[0], {0, 242, 4, 4, 4}}},
        {"spark 2", {SPARK_FRAMES[1], {0, 246, 8, 8, 4}}},
        {"spark 3", {SPARK_FRAMES[2], {0, 254, 9, 9, 4}}},
        {"spark 4", {SPARK_FRAMES[3], {0, 263, 13, 13, 4}}},
        {"riser", {RISER_FRAMES, {0, 144, 18, 24, 2}}},
        {"diver, first colour", {DIVER_FRAMES[0], {0, 168, 12, 12, 6}}},
        {"diver, second colour", {DIVER_FRAMES[1], {0, 180, 12, 12, 6}}},
        {"tracker", {TRACKER_FRAMES, {0, 216, 25, 25, 4}}},
        {"heavy", {HEAVY_FRAMES, {0, 276, 33, 33, 1}}},
        {"banner: ready", {BANNER_READY, {182, 124, 141, 61, 1}}},
        {"banner: click", {BANNER_CLICK, {182, 186, 141, 61, 1}}},
        {"banner: launch", {BANNER_LAUNCH, {182, 248, 141, 61, 1}}},
    };
    std::map<Rect, int> listed;  // the strips the asset maker fills and the sheet test checks, each once
    for (const AtlasStrip& s : SPRITE_STRIPS) listed[Of(s)]++;
    for (const auto& [name, strip] : cases) {
        EXPECT_EQ(Of(strip.first), strip.second) << name;
        EXPECT_EQ(listed[strip.second], name == std::string("blast") ? 0 : 1) << name;  // the blast shows nothing
    }
    EXPECT_EQ(std::size(SPRITE_STRIPS), std::size(cases) - 1);
    // The ship: a column 18 wide per mode at x = 18 x mode, two rows of 24 (the box is one taller).
    EXPECT_EQ(Of(SHIP_FRAMES), (Rect{0, 0, 18, 24, 8}));
    EXPECT_EQ((std::array{FrameX(SHIP_FRAMES, SHIP_COLUMN_PLAYING), FrameX(SHIP_FRAMES, SHIP_COLUMN_READY),
                          FrameX(SHIP_FRAMES, SHIP_COLUMN_DOWN), FrameX(SHIP_FRAMES, SHIP_COLUMN_RESET),
                          FrameX(SHIP_FRAMES, SHIP_COLUMN_ENTERING), SHIP_ROWS}),
              (std::array{36, 54, 72, 108, 126, 2}));
    // Font cells of 6 x 8, 25 to a row; the tileset's 128-pixel cells.
    for (auto [code, x, y] : {std::array{0, 0, 0}, {24, 144, 0}, {25, 0, 8}, {65, 90, 16}, {127, 12, 40}})
        EXPECT_EQ(std::make_pair(FontCellX(code), FontCellY(code)), std::make_pair(x, y)) << code;
    EXPECT_EQ((std::array{FONT_SHEET_W, FONT_SHEET_H, TILE_SIZE}), (std::array{150, 48, 128}));
}
