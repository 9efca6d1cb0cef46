// The tile sheet: 128 x 128 cells; (1, 0) is the ground, (3, 0) the cloud layer drawn over everything.
#pragma once
#include "tools/assetgen/canvas.h"

constexpr int TILE_SIZE = 128;
constexpr int TILE_SHEET_W = 4 * TILE_SIZE;
constexpr int TILE_SHEET_H = TILE_SIZE;

void MakeTileSheet(Canvas& sheet);
