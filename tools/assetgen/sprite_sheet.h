// The sprite sheet: the routines that draw each picture where the game's atlas (prog/core/atlas.h) puts it.
#pragma once
#include "prog/core/atlas.h"
#include "tools/assetgen/art_grid.h"
#include "tools/assetgen/canvas.h"

// The colours shared by the sprites (see docs/art.md for the symbols).
const Palette& SpritePalette();

// Ship: a column per mode, two rows (SHIP_FRAMES).
void DrawShip(Canvas& sheet);
// Plain, big and missile shots; the blast's one pixel stays transparent.
void DrawShots(Canvas& sheet);
// The seven power-up icons.
void DrawPowerUps(Canvas& sheet);
// Fragments and sparks, four sizes of four frames each.
void DrawDebris(Canvas& sheet);
// Riser, diver (two colours), tracker and heavy.
void DrawEnemies(Canvas& sheet);
// The three status panels.
void DrawBanner(Canvas& sheet);
// The whole sheet.
void MakeSpriteSheet(Canvas& sheet);
