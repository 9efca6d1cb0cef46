// The player's ship, pointing up the screen: hull, engine flames per mode, shield blink, and the wreck.
#include "tools/assetgen/sprite_sheet.h"

namespace {

constexpr int FRAME_W = SHIP_FRAMES.w;
constexpr int FRAME_H = SHIP_FRAMES.h;

// Left half of the hull (rows 0..18); the right half is its mirror image.
const Grid HULL_LEFT = {
    "........K",  //
    ".......Kw",  //
    ".......Kl",  //
    "......Kll",  //
    "......Klc",  //
    "......Kcb",  //
    "......Kcb",  //
    "..K...KlB",  //
    ".KwK..Klm",  //
    ".KlK.Kllm",  //
    ".KlKKllmm",  //
    ".KlKlmmml",  //
    "KBlKllmmd",  //
    "KBllllmdm",  //
    "KBBlmmddm",  //
    "KNBBmmdmm",  //
    "KKNBKKdmm",  //
    ".KKK.KdKK",  //
    ".....KeoK",  //
};

// Engine flames below the two nozzles (rows 19..23), left half; two flicker frames each.
const Grid SHORT_FLAME[2] = {
    {
        "......hy.",  //
        "......yo.",  //
        "......o..",  //
        ".........",  //
        ".........",  //
    },
    {
        "......yh.",  //
        "......oy.",  //
        ".......o.",  //
        ".......r.",  //
        ".........",  //
    },
};

const Grid LONG_FLAME[2] = {
    {
        "......hh.",  //
        "......hy.",  //
        "......yo.",  //
        "......oo.",  //
        "......r..",  //
    },
    {
        "......hh.",  //
        "......yh.",  //
        "......yy.",  //
        "......oy.",  //
        ".......o.",  //
    },
};

// The wreck: a broken, smoking hull with one wing torn off; the two frames flicker the fire and smoke.
const Grid WRECK[2] = {
    {
        "........t.........",  //
        ".......tst........",  //
        "......tsst........",  //
        ".......tsst.......",  //
        "........st........",  //
        ".........K........",  //
        ".......KKdK.......",  //
        "......KdedK.......",  //
        "..K...KmeodK......",  //
        ".KdK..KdoydK......",  //
        ".KdK.KmdyodK...K..",  //
        ".KdKKdmeodemK.KdK.",  //
        "KNdKdeemddmdKKdeK.",  //
        "KNddeddmeKKdedeK..",  //
        "KNNddKdeKeKKKdK...",  //
        "KeNNKe.KKK..KK....",  //
        "KKeK.K..K.........",  //
        ".KK...............",  //
        "..................",  //
        "......o...........",  //
        "..................",  //
        "..................",  //
        "..................",  //
        "..................",  //
    },
    {
        ".........t........",  //
        "........tst.......",  //
        ".......tsst.......",  //
        "......tsst........",  //
        ".......st.........",  //
        ".........K........",  //
        ".......KKdK.......",  //
        "......KdedK.......",  //
        "..K...KmeydK......",  //
        ".KdK..KdyhdK......",  //
        ".KdK.KmdoydK...K..",  //
        ".KdKKdmerdemK.KdK.",  //
        "KNdKdeemddmdKKdeK.",  //
        "KNddeddmeKKdedeK..",  //
        "KNNddKdeKeKKKdK...",  //
        "KeNNKe.KKK..KK....",  //
        "KKeK.K..K.........",  //
        ".KK...............",  //
        "..................",  //
        "..................",  //
        "..................",  //
        "..................",  //
        "..................",  //
        "..................",  //
    },
};

// A thin cyan ring around the hull: the blink that marks the ship as not yet hittable.
void DrawShieldRing(Canvas& sheet, int x0, int y0) {
    const Rgb ring = {120, 230, 255};
    Canvas frame;
    CanvasInit(frame, FRAME_W, FRAME_H);
    CopyOpaque(sheet, x0, y0, FRAME_W, FRAME_H, frame, 0, 0);
    for (int y = 0; y < FRAME_H; ++y)
        for (int x = 0; x < FRAME_W; ++x) {
            if (!IsKey(frame, x, y)) continue;
            bool next = false;
            for (int d = -1; d <= 1; d += 2) {
                next = next || (x + d >= 0 && x + d < FRAME_W && !IsKey(frame, x + d, y));
                next = next || (y + d >= 0 && y + d < FRAME_H && !IsKey(frame, x, y + d));
            }
            // Every other outside pixel, so the ring reads as a flickering field rather than a line.
            if (next && (x + y) % 2 == 0) Plot(sheet, x0 + x, y0 + y, ring);
        }
}

}  // namespace

void DrawShip(Canvas& sheet) {
    const Palette& pal = SpritePalette();
    const Grid hull = MirrorLeft(HULL_LEFT);
    const int playing = FrameX(SHIP_FRAMES, SHIP_COLUMN_PLAYING), ready = FrameX(SHIP_FRAMES, SHIP_COLUMN_READY);
    const int down = FrameX(SHIP_FRAMES, SHIP_COLUMN_DOWN), reset = FrameX(SHIP_FRAMES, SHIP_COLUMN_RESET);
    const int entering = FrameX(SHIP_FRAMES, SHIP_COLUMN_ENTERING);
    for (int row = 0; row < SHIP_ROWS; ++row) {
        const int y = SHIP_FRAMES.y + row * FRAME_H;
        DrawGrid(sheet, playing, y, hull, pal);
        DrawGrid(sheet, playing, y + 19, MirrorLeft(SHORT_FLAME[row]), pal);
        DrawGrid(sheet, ready, y, hull, pal);
        DrawGrid(sheet, ready, y + 19, MirrorLeft(SHORT_FLAME[row]), pal);
        if (row == 0) DrawShieldRing(sheet, ready, y);
        DrawGrid(sheet, down, y, WRECK[row], pal);
        DrawGrid(sheet, reset, y, hull, pal);  // engines idle while it waits below the screen
        DrawGrid(sheet, entering, y, hull, pal);
        DrawGrid(sheet, entering, y + 19, MirrorLeft(LONG_FLAME[row]), pal);
    }
}
