#include "tools/assetgen/sprite_sheet.h"

const Palette& SpritePalette() {
    static const Palette palette = PaletteMake({
        {'K', {18, 20, 30}},     // outline
        {'e', {46, 50, 64}},     // near black metal
        {'d', {78, 86, 104}},    // dark metal
        {'m', {132, 142, 160}},  // metal
        {'l', {192, 200, 214}},  // light metal
        {'w', {246, 246, 250}},  // white
        {'N', {28, 44, 112}},    // navy
        {'B', {50, 96, 200}},    // blue
        {'b', {120, 180, 255}},  // light blue
        {'C', {36, 150, 180}},   // teal
        {'c', {150, 238, 255}},  // cyan
        {'h', {255, 255, 214}},  // hot white
        {'y', {255, 232, 96}},   // yellow
        {'o', {255, 150, 36}},   // orange
        {'r', {226, 56, 40}},    // red
        {'R', {128, 26, 26}},    // dark red
        {'G', {36, 124, 60}},    // dark green
        {'g', {120, 222, 96}},   // green
        {'P', {100, 48, 160}},   // dark purple
        {'p', {208, 128, 255}},  // purple
        {'n', {122, 84, 50}},    // brown
        {'s', {62, 58, 58}},     // smoke
        {'t', {112, 108, 104}},  // light smoke
    });
    return palette;
}

void MakeSpriteSheet(Canvas& sheet) {
    CanvasInit(sheet, SPRITE_SHEET_W, SPRITE_SHEET_H);
    DrawShip(sheet);
    DrawPowerUps(sheet);
    DrawShots(sheet);
    DrawDebris(sheet);
    DrawEnemies(sheet);
    DrawBanner(sheet);
}
