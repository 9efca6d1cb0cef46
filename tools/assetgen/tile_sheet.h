// The tile sheet: a row of square cells (prog/core/atlas.h), the ground and the cloud layer drawn over everything.
#pragma once
#include "prog/core/atlas.h"
#include "tools/assetgen/canvas.h"

constexpr int TILE_SHEET_W = TILE_COLUMNS * TILE_SIZE;
constexpr int TILE_SHEET_H = TILE_SIZE;

void MakeTileSheet(Canvas& sheet);
