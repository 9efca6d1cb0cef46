// Where every picture lies on the game's sheets: the one table that the game
// cuts its frames from, the asset maker draws into and the tests read back.
// Plain constants, so that tools/assetgen can include it without the module.
#pragma once
#include <cstdint>

// `frames` pictures of w x h side by side on one row, the first at (x, y).
struct AtlasStrip {
    int32_t x, y, w, h, frames;
};

// Left edge of picture `frame` of the strip.
constexpr int32_t FrameX(const AtlasStrip& strip, int32_t frame) { return strip.x + frame * strip.w; }

// ---- sprites.bmp ----
constexpr int32_t SPRITE_SHEET_W = 324;
constexpr int32_t SPRITE_SHEET_H = 310;

// The ship: one column per mode (the column number is the mode), two rows of
// animation below each other. Columns 0, 1 and 5 are no mode and stay empty.
constexpr AtlasStrip SHIP_FRAMES = {0, 0, 18, 24, 8};
constexpr int32_t SHIP_ROWS = 2;
constexpr int32_t SHIP_COLUMN_PLAYING = 2;
constexpr int32_t SHIP_COLUMN_READY = 3;
constexpr int32_t SHIP_COLUMN_DOWN = 4;
constexpr int32_t SHIP_COLUMN_RESET = 6;
constexpr int32_t SHIP_COLUMN_ENTERING = 7;
constexpr int32_t SHIP_COLUMNS[] = {SHIP_COLUMN_PLAYING, SHIP_COLUMN_READY, SHIP_COLUMN_DOWN, SHIP_COLUMN_RESET,
                                    SHIP_COLUMN_ENTERING};

// Shots, two frames each; the blast's one pixel is transparent (a blast is
// seen only through its sparks).
constexpr AtlasStrip SHOT_PLAIN_FRAMES = {8, 88, 6, 6, 2};
constexpr AtlasStrip SHOT_BIG_FRAMES = {0, 88, 4, 20, 2};
constexpr AtlasStrip SHOT_MISSILE_FRAMES = {8, 94, 7, 14, 2};
constexpr AtlasStrip SHOT_BLAST_FRAME = {22, 94, 1, 1, 1};

// Power-up icons, one per type (0 to 6).
constexpr AtlasStrip POWERUP_FRAMES = {0, 58, 20, 20, 7};

// Debris by stage 1 (smallest) to 4: four frames each of fragments and sparks.
constexpr AtlasStrip FRAGMENT_FRAMES[4] = {
    {0, 108, 4, 4, 4}, {0, 114, 8, 8, 4}, {0, 122, 9, 9, 4}, {0, 131, 13, 13, 4}};
constexpr AtlasStrip SPARK_FRAMES[4] = {{0, 242, 4, 4, 4}, {0, 246, 8, 8, 4}, {0, 254, 9, 9, 4}, {0, 263, 13, 13, 4}};

// Hostile enemies; the diver comes in two colours, one strip each.
constexpr AtlasStrip RISER_FRAMES = {0, 144, 18, 24, 2};
constexpr AtlasStrip DIVER_FRAMES[2] = {{0, 168, 12, 12, 6}, {0, 180, 12, 12, 6}};
constexpr AtlasStrip TRACKER_FRAMES = {0, 216, 25, 25, 4};
constexpr AtlasStrip HEAVY_FRAMES = {0, 276, 33, 33, 1};

// The banner's three status panels, one row apart in one column, so that
// sliding the source window from one to the next turns them over like a reel.
constexpr AtlasStrip BANNER_READY = {182, 124, 141, 61, 1};   // also shown as the ship is lost
constexpr AtlasStrip BANNER_CLICK = {182, 186, 141, 61, 1};   // down, waiting for a click
constexpr AtlasStrip BANNER_LAUNCH = {182, 248, 141, 61, 1};  // flying in

// Every strip with a picture in each frame (the ship's columns are listed above).
constexpr AtlasStrip SPRITE_STRIPS[] = {SHOT_PLAIN_FRAMES,  SHOT_BIG_FRAMES,    SHOT_MISSILE_FRAMES, POWERUP_FRAMES,
                                        FRAGMENT_FRAMES[0], FRAGMENT_FRAMES[1], FRAGMENT_FRAMES[2],  FRAGMENT_FRAMES[3],
                                        SPARK_FRAMES[0],    SPARK_FRAMES[1],    SPARK_FRAMES[2],     SPARK_FRAMES[3],
                                        RISER_FRAMES,       DIVER_FRAMES[0],    DIVER_FRAMES[1],     TRACKER_FRAMES,
                                        HEAVY_FRAMES,       BANNER_READY,       BANNER_CLICK,        BANNER_LAUNCH};

// ---- text.bmp ----
// One 6 x 8 cell per character code, 25 to a row, chosen by the code as the
// game reads it (a signed byte: codes above 127 fall left of and above the sheet).
constexpr int32_t FONT_CELL_W = 6;
constexpr int32_t FONT_CELL_H = 8;
constexpr int32_t FONT_CELLS_PER_ROW = 25;
constexpr int32_t FONT_SHEET_W = FONT_CELLS_PER_ROW * FONT_CELL_W;
constexpr int32_t FONT_SHEET_H = (128 + FONT_CELLS_PER_ROW - 1) / FONT_CELLS_PER_ROW * FONT_CELL_H;

constexpr int32_t FontCellX(int32_t code) { return code % FONT_CELLS_PER_ROW * FONT_CELL_W; }
constexpr int32_t FontCellY(int32_t code) { return code / FONT_CELLS_PER_ROW * FONT_CELL_H; }

// ---- tiles.bmp ----
// 128 x 128 cells in one row: cell 1 is the ground, cell 3 the clouds drawn over everything.
constexpr int32_t TILE_SIZE = 128;
constexpr int32_t TILE_COLUMNS = 4;
constexpr int32_t TILE_GROUND = 1;
constexpr int32_t TILE_CLOUDS = 3;
