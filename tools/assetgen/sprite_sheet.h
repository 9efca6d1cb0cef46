// The sprite sheet: where each picture of the game lies, and the routines that draw them.
#pragma once
#include "tools/assetgen/art_grid.h"
#include "tools/assetgen/canvas.h"

constexpr int SPRITE_SHEET_W = 324;
constexpr int SPRITE_SHEET_H = 310;

// The colours shared by the sprites (see docs/art.md for the symbols).
const Palette& SpritePalette();

// Ship: 18 x 24 frames in one column per mode (x 36, 54, 72, 108, 126), two rows (y 0, 24).
void DrawShip(Canvas& sheet);
// Shots at y 88 (plain and big) and y 94 (missile); the blast's one pixel at (22, 94) stays transparent.
void DrawShots(Canvas& sheet);
// Seven 20 x 20 power-up icons at y 58.
void DrawPowerUps(Canvas& sheet);
// Fragments (rows 108, 114, 122, 131) and sparks (rows 242, 246, 254, 263), four frames each.
void DrawDebris(Canvas& sheet);
// Riser (y 144), diver (y 168 and 180), tracker (y 216) and heavy (y 276).
void DrawEnemies(Canvas& sheet);
// The three 141 x 61 status panels at x 182, y 124, 186 and 248.
void DrawBanner(Canvas& sheet);
// The whole sheet.
void MakeSpriteSheet(Canvas& sheet);
