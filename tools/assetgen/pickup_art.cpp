// Power-up icons and the player's shots.
#include "tools/assetgen/sprite_sheet.h"

namespace {

// Icon masks, 10 x 10, drawn white with a dark edge on a round badge of the type's colour.
const Grid ICONS[7] = {
    {
        // 0 fast: double chevron
        "..........",  //
        "....##....",  //
        "...####...",  //
        "..##..##..",  //
        "....##....",  //
        "...####...",  //
        "..##..##..",  //
        ".##....##.",  //
        "..........",  //
        "..........",  //
    },
    {
        // 1 wave: a swinging line
        "..........",  //
        "..........",  //
        ".##.......",  //
        "#..#......",  //
        "#...#....#",  //
        ".....#..#.",  //
        "......##..",  //
        "..........",  //
        "..........",  //
        "..........",  //
    },
    {
        // 2 big: a fat bolt
        "....##....",  //
        "...####...",  //
        "..######..",  //
        "..######..",  //
        "..######..",  //
        "..######..",  //
        "..######..",  //
        "..##..##..",  //
        "..#....#..",  //
        "..........",  //
    },
    {
        // 3 spread: three shots fanning out
        "#...##...#",  //
        "#...##...#",  //
        ".#..##..#.",  //
        ".#..##..#.",  //
        "..#.##.#..",  //
        "..........",  //
        "....##....",  //
        "...####...",  //
        "..##..##..",  //
        "..........",  //
    },
    {
        // 4 wings: side pods beside a small ship
        "..........",  //
        "#...##...#",  //
        "#...##...#",  //
        "#..####..#",  //
        "##.####.##",  //
        "##.####.##",  //
        "#.######.#",  //
        "..##..##..",  //
        "..........",  //
        "..........",  //
    },
    {
        // 5 nose: a long arrow straight ahead
        "....##....",  //
        "...####...",  //
        "..######..",  //
        ".##.##.##.",  //
        "....##....",  //
        "....##....",  //
        "....##....",  //
        "....##....",  //
        "....##....",  //
        "..........",  //
    },
    {
        // 6 extra missile: a rocket with fins
        "....##....",  //
        "...####...",  //
        "...####...",  //
        "...####...",  //
        "...####...",  //
        "..######..",  //
        ".########.",  //
        ".##.##.##.",  //
        "....##....",  //
        "..........",  //
    },
};

const Rgb BADGE_COLOURS[7] = {
    {236, 196, 30},  // fast: gold
    {30, 190, 220},  // wave: cyan
    {240, 120, 30},  // big: orange
    {60, 180, 70},   // spread: green
    {60, 100, 230},  // wings: blue
    {170, 70, 220},  // nose: violet
    {220, 40, 50},   // missile: red
};

void DrawPowerUp(Canvas& sheet, int x0, int y0, int type) {
    const Rgb base = BADGE_COLOURS[type];
    const Rgb rim = {20, 22, 34};
    // A round badge of radius 9.5 lit from the top left, with a dark rim.
    for (int y = 0; y < POWERUP_FRAMES.h; ++y)
        for (int x = 0; x < POWERUP_FRAMES.w; ++x) {
            const double dx = x - 9.5, dy = y - 9.5;
            const double r2 = dx * dx + dy * dy;
            if (r2 > 9.3 * 9.3) continue;
            if (r2 > 8.2 * 8.2) {
                Plot(sheet, x0 + x, y0 + y, rim);
                continue;
            }
            const double light = (-dx - dy) / 12.0;  // -1 .. 1
            Rgb c = light > 0 ? Mix(base, {255, 255, 255}, static_cast<int>(light * 120))
                              : Mix(base, {0, 0, 0}, static_cast<int>(-light * 130));
            Plot(sheet, x0 + x, y0 + y, c);
        }
    const Grid& icon = ICONS[type];
    const Rgb edge = Mix(base, {0, 0, 0}, 190);
    auto on = [&](int x, int y) { return x >= 0 && y >= 0 && x < 10 && y < 10 && icon[y][x] == '#'; };
    for (int y = -1; y <= 10; ++y)
        for (int x = -1; x <= 10; ++x) {
            if (on(x, y)) {
                Plot(sheet, x0 + 5 + x, y0 + 5 + y, {250, 250, 250});
            } else if (on(x - 1, y) || on(x + 1, y) || on(x, y - 1) || on(x, y + 1) || on(x - 1, y - 1)) {
                Plot(sheet, x0 + 5 + x, y0 + 5 + y, edge);
            }
        }
}

const Grid PLAIN_SHOT[2] = {
    {
        "..yy..",  //
        ".yhhy.",  //
        "yhhhhy",  //
        "yhhhhy",  //
        ".yhhy.",  //
        "..yy..",  //
    },
    {
        "..oo..",  //
        ".oyyo.",  //
        "oyhhyo",  //
        "oyhhyo",  //
        ".oyyo.",  //
        "..oo..",  //
    },
};

const Grid BIG_SHOT[2] = {
    {
        ".cc.", "cwwc", "cwwc", "cwwc", "cwwc", "cwwc", "cwwc", "ccwc", "cccc", "CccC",  //
        "CccC", "CccC", ".cC.", ".CC.", ".CC.", ".CB.", ".BB.", ".B..", ".B..", "....",  //
    },
    {
        ".cc.", "cwwc", "cwwc", "cwwc", "cwwc", "cwwc", "cwcc", "cccc", "cccc", "CccC",  //
        "CcCC", "CCcC", ".CC.", ".CC.", ".BC.", ".BB.", ".BB.", "..B.", "..B.", "....",  //
    },
};

const Grid MISSILE[2] = {
    {
        "...r...",  //
        "..rrr..",  //
        "..lwl..",  //
        "..lwl..",  //
        "..lwl..",  //
        "..mwm..",  //
        "..mlm..",  //
        ".KmlmK.",  //
        "KrmlmrK",  //
        "Kr.d.rK",  //
        "..yhy..",  //
        "...y...",  //
        "...o...",  //
        ".......",  //
    },
    {
        "...r...",  //
        "..rrr..",  //
        "..lwl..",  //
        "..lwl..",  //
        "..lwl..",  //
        "..mwm..",  //
        "..mlm..",  //
        ".KmlmK.",  //
        "KrmlmrK",  //
        "Kr.d.rK",  //
        "..hhh..",  //
        "..yhy..",  //
        "...o...",  //
        "...r...",  //
    },
};

}  // namespace

void DrawPowerUps(Canvas& sheet) {
    for (int type = 0; type < POWERUP_FRAMES.frames; ++type)
        DrawPowerUp(sheet, FrameX(POWERUP_FRAMES, type), POWERUP_FRAMES.y, type);
}

void DrawShots(Canvas& sheet) {
    const Palette& pal = SpritePalette();
    for (int f = 0; f < 2; ++f) {
        DrawGrid(sheet, FrameX(SHOT_PLAIN_FRAMES, f), SHOT_PLAIN_FRAMES.y, PLAIN_SHOT[f], pal);
        DrawGrid(sheet, FrameX(SHOT_BIG_FRAMES, f), SHOT_BIG_FRAMES.y, BIG_SHOT[f], pal);
        DrawGrid(sheet, FrameX(SHOT_MISSILE_FRAMES, f), SHOT_MISSILE_FRAMES.y, MISSILE[f], pal);
    }
    // The blast's source pixel (SHOT_BLAST_FRAME) stays transparent: a blast is seen only through its sparks.
}
