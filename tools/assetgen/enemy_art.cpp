// The hostile craft: riser, diver (two colour schemes), tracker and heavy.
#include "tools/assetgen/sprite_sheet.h"

namespace {

// Riser, 18 x 24, two frames: a civilian courier climbing from below (shooting it costs points).
// Left half; rows 19..23 hold the exhaust, which differs between the frames.
const Grid RISER_LEFT[2] = {
    {
        "........K",  //
        ".......Kw",  //
        ".......Kw",  //
        "......Kwl",  //
        "......Kwg",  //
        "......KlG",  //
        "......Kwl",  //
        "......Kwl",  //
        "......Kwr",  //
        ".....KwRr",  //
        "....KlwRr",  //
        "...KGlwwl",  //
        "..KGglwwl",  //
        ".KGgglwll",  //
        "KGgKKlwll",  //
        "KgK..Kllm",  //
        "KK...Kmlm",  //
        ".....KmKm",  //
        "......KoK",  //
        ".......y.",  //
        ".......o.",  //
        ".........",  //
        ".........",  //
        ".........",  //
    },
    {
        "........K",  //
        ".......Kw",  //
        ".......Kw",  //
        "......Kwl",  //
        "......Kwg",  //
        "......KlG",  //
        "......Kwl",  //
        "......Kwl",  //
        "......Kwr",  //
        ".....KwRr",  //
        "....KlwRr",  //
        "...KGlwwl",  //
        "..KGglwwl",  //
        ".KGgglwll",  //
        "KGgKKlwll",  //
        "KgK..Kllm",  //
        "KK...Kmlm",  //
        ".....KmKm",  //
        "......KoK",  //
        ".......h.",  //
        ".......y.",  //
        ".......o.",  //
        ".......r.",  //
        ".........",  //
    },
};

// Diver, 12 x 12: a saucer whose rim lights chase round; digit n marks the light lit in frame n.
const Grid DIVER = {
    "....KKKK....",  //
    "..KK0dd1KK..",  //
    ".KddmllmddK.",  //
    ".K5mlwclm2K.",  //
    "KdmlwccClmdK",  //
    "KdlwcCCClldK",  //
    "KdlcCCCCmldK",  //
    "KdmlCCCmlmdK",  //
    ".K4mlllmm3K.",  //
    ".KddmmmmddK.",  //
    "..KKdddeKK..",  //
    "....KKKK....",  //
};

// Tracker, 25 x 25: an armoured eye with eight spikes; spikes marked n glow in frame n, so the glow
// sweeps round as the frames advance.
const Grid TRACKER = {
    "...........K0K...........",  //
    "...........K0K...........",  //
    "...........K0K...........",  //
    "....K......K0K......K....",  //
    "...K3K.....K0K.....K1K...",  //
    "....K3K...KKKKK...K1K....",  //
    ".....K3KKKllllmKKK1K.....",  //
    "......KKlllllmmmmKK......",  //
    "......KlllllmmmmmmK......",  //
    "......KllllmmmmmmdK......",  //
    ".....KllllmrrrmmdddK.....",  //
    ".KKKKKlllmrwoorddddKKKKK.",  //
    ".K222KllmrooKoordddK222K.",  //
    ".KKKKKlmmroKKKorddeKKKKK.",  //
    ".....KmmmrooKoordeeK.....",  //
    "......KmmmrooordeeK......",  //
    "......KmmmdrrrdeeeK......",  //
    "......KKmdddddeeeKK......",  //
    ".....K1KKKdddeeKKK3K.....",  //
    "....K1K...KKKKK...K3K....",  //
    "...K1K.....K0K.....K3K...",  //
    "....K......K0K......K....",  //
    "...........K0K...........",  //
    "...........K0K...........",  //
    "...........K0K...........",  //
};

// Heavy, 33 x 33, left half up to and including the middle column: a slow gunship flying down the screen,
// engines glowing at the rear.
const Grid HEAVY_LEFT = {
    "...........KKKKKK",  //
    "......y...Kddmmll",  //
    ".....yoy..Kddmmll",  //
    "....KoyoK.Kddmmll",  //
    "...KdmmldKKddmmll",  //
    "...KdmmldKKddmmll",  //
    "...KdmmldKKdemmll",  //
    "...KdmmldKKddmmll",  //
    "...KdmmldKKddmmll",  //
    "..KKdmmldppdemmll",  //
    "KKppdmmldPPddmmll",  //
    "ppPPdmmldPPddmmll",  //
    "PPPPdmmldeeeeeeee",  //
    "RRPPdmmldPPddmmll",  //
    "KKRRdmmldPPddmmll",  //
    "..KKdmmldPPdemmll",  //
    "...KdmmldPPddmmll",  //
    "...KdmmldPPddmmll",  //
    "...KdmmldRRddmmll",  //
    "....KKKKKKKddmmrr",  //
    "..........Kddmrro",  //
    "..........Kddrryo",  //
    "..........Kddrooo",  //
    "..........Kddrroo",  //
    "..........Kddmrro",  //
    "..........Kddmmrr",  //
    "..........Kddmmll",  //
    "...........Kdmmll",  //
    "............Kmmll",  //
    ".............Kmll",  //
    "..............Kll",  //
    "...............Kl",  //
    "................K",  //
};

// Draws a grid whose digit symbols are lights: the one equal to lit glows, the one before it dims.
void DrawWithLights(Canvas& sheet, int x, int y, const Grid& grid, const Palette& pal, int lit, int count, Rgb on,
                    Rgb after, Rgb off) {
    Grid body = grid;
    for (size_t r = 0; r < body.size(); ++r)
        for (size_t c = 0; c < body[r].size(); ++c) {
            char s = body[r][c];
            if (s < '0' || s > '9') continue;
            int n = s - '0';
            body[r][c] = '.';
            Rgb colour = n == lit ? on : ((n + 1) % count == lit ? after : off);
            Plot(sheet, x + static_cast<int>(c), y + static_cast<int>(r), colour);
        }
    DrawGrid(sheet, x, y, body, pal);
}

}  // namespace

void DrawEnemies(Canvas& sheet) {
    const Palette& pal = SpritePalette();
    const AtlasStrip &riser = RISER_FRAMES, &tracker = TRACKER_FRAMES;
    for (int f = 0; f < riser.frames; ++f) DrawGrid(sheet, FrameX(riser, f), riser.y, MirrorLeft(RISER_LEFT[f]), pal);

    // The first diver strip: a red saucer; the second: the same saucer in violet.
    const Palette red = PaletteWith(pal, {{'c', {255, 190, 120}}, {'C', {210, 40, 30}}});
    const Palette violet = PaletteWith(pal, {{'c', {236, 180, 255}}, {'C', {130, 60, 210}}});
    const AtlasStrip &redDiver = DIVER_FRAMES[0], &violetDiver = DIVER_FRAMES[1];
    for (int f = 0; f < redDiver.frames; ++f) {
        DrawWithLights(sheet, FrameX(redDiver, f), redDiver.y, DIVER, red, f, redDiver.frames, {255, 255, 150},
                       {255, 140, 40}, {70, 40, 40});
        DrawWithLights(sheet, FrameX(violetDiver, f), violetDiver.y, DIVER, violet, f, violetDiver.frames,
                       {190, 255, 255}, {80, 160, 255}, {50, 40, 80});
    }

    for (int f = 0; f < tracker.frames; ++f)
        DrawWithLights(sheet, FrameX(tracker, f), tracker.y, TRACKER, pal, f, tracker.frames, {255, 90, 60},
                       {160, 40, 40}, {90, 96, 110});

    DrawGrid(sheet, HEAVY_FRAMES.x, HEAVY_FRAMES.y, MirrorLeftAroundMiddle(HEAVY_LEFT), pal);
}
