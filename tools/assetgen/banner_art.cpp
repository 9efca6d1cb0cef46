// The status banner: three panels stacked edge to edge in one column, so that sliding the source window
// from one to the next reads as a reel of signs turning over.
#include <algorithm>

#include "tools/assetgen/font.h"
#include "tools/assetgen/sprite_sheet.h"

namespace {

// The three panels share one column of the sheet.
static_assert(BANNER_READY.x == BANNER_CLICK.x && BANNER_CLICK.x == BANNER_LAUNCH.x, "one column");
static_assert(BANNER_CLICK.y == BANNER_READY.y + BANNER_READY.h + 1 &&
                  BANNER_LAUNCH.y == BANNER_CLICK.y + BANNER_CLICK.h + 1,
              "one row between the panels");
constexpr int PANEL_X = BANNER_READY.x;
constexpr int PANEL_W = BANNER_READY.w;
constexpr int PANEL_H = BANNER_READY.h;

// The common frame: dark outline, bevelled metal border, deep blue face with faint scan lines, rivets.
void DrawFrame(Canvas& c, int y0) {
    const Rgb outline = {8, 10, 20}, lightEdge = {170, 182, 204}, darkEdge = {60, 68, 90};
    for (int y = 0; y < PANEL_H; ++y)
        for (int x = 0; x < PANEL_W; ++x) {
            Rgb p;
            const int edge = std::min(std::min(x, y), std::min(PANEL_W - 1 - x, PANEL_H - 1 - y));
            if (edge == 0) {
                p = outline;
            } else if (edge <= 2) {
                const bool lit = (x <= 2 || y <= 2) && !(x >= PANEL_W - 3 || y >= PANEL_H - 3);
                p = lit ? lightEdge : darkEdge;
                if (edge == 2) p = Mix(p, {110, 120, 144}, 128);
            } else if (edge == 3) {
                p = outline;
            } else {
                p = Mix({20, 34, 74}, {10, 16, 40}, y * 256 / PANEL_H);
                if (y % 2 == 0) p = Mix(p, {0, 0, 0}, 40);
            }
            Plot(c, PANEL_X + x, y0 + y, p);
        }
    const int rivets[4][2] = {{5, 5}, {PANEL_W - 6, 5}, {5, PANEL_H - 6}, {PANEL_W - 6, PANEL_H - 6}};
    for (const auto& r : rivets) {
        Plot(c, PANEL_X + r[0], y0 + r[1], {200, 210, 226});
        Plot(c, PANEL_X + r[0] + 1, y0 + r[1] + 1, {40, 46, 64});
    }
}

void CentreBig(Canvas& c, int y, const std::string& text, int scale, Rgb top, Rgb bottom) {
    DrawBigText(c, PANEL_X + (PANEL_W - BigTextWidth(text, scale)) / 2, y, text, scale, top, bottom);
}

void CentreSmall(Canvas& c, int y, const std::string& text, Rgb colour) {
    const int w = static_cast<int>(text.size()) * FONT_CELL_W - 1;
    DrawSmallText(c, PANEL_X + (PANEL_W - w) / 2, y, text, colour);
}

// A mouse with its left button lit, for the "click" panel.
const Grid MOUSE = {
    "....KKKKKKKK....",  //
    "..KKyyyyKlllKK..",  //
    ".KyyyyyyKllllmK.",  //
    ".KyhyyyyKllllmK.",  //
    "KyhyyyyyKlllllmK",  //
    "KyyyyyyyKlllllmK",  //
    "KyyyyyyoKllllmmK",  //
    "KKKKKKKKKKKKKKKK",  //
    "KllllllllllllmmK",  //
    "KllllllllllllmmK",  //
    "KllllllllllllmmK",  //
    "KllllllllllllmmK",  //
    "KlllllllllllmmmK",  //
    "KlllllllllllmmmK",  //
    ".KllllllllllmmK.",  //
    ".KmlllllllllmmK.",  //
    "..KKmmmmmmmmKK..",  //
    "....KKKKKKKK....",  //
};

// An upward chevron for the launch panel.
const Grid CHEVRON = {
    "....KK....",  //
    "...KggK...",  //
    "..KgggGK..",  //
    ".KgGKKgGK.",  //
    "KgGK..KgGK",  //
    "KGK....KGK",  //
    ".K......K.",  //
};

}  // namespace

void DrawBanner(Canvas& sheet) {
    const Palette& pal = SpritePalette();
    const int ready = BANNER_READY.y, click = BANNER_CLICK.y, launch = BANNER_LAUNCH.y;
    // Ready (also shown the moment the ship is lost).
    DrawFrame(sheet, ready);
    CentreSmall(sheet, ready + 8, "- SQUADRON KESTRA -", {120, 200, 255});
    CentreBig(sheet, ready + 22, "GET READY", 2, {255, 244, 120}, {255, 140, 30});
    CentreSmall(sheet, ready + 43, "ENEMIES INBOUND", {255, 170, 150});

    // Down, waiting for a click.
    DrawFrame(sheet, click);
    DrawGrid(sheet, PANEL_X + 16, click + 21, MOUSE, pal);
    DrawBigText(sheet, PANEL_X + 44, click + 12, "CLICK", 2, {255, 255, 255}, {120, 220, 255});
    DrawBigText(sheet, PANEL_X + 44, click + 33, "TO FLY", 2, {255, 255, 255}, {120, 220, 255});

    // The rows between the panels take the frame's outline colour, so the slide shows one continuous reel.
    FillRect(sheet, PANEL_X, ready + PANEL_H, PANEL_W, 1, {8, 10, 20});
    FillRect(sheet, PANEL_X, click + PANEL_H, PANEL_W, 1, {8, 10, 20});

    // Flying in.
    DrawFrame(sheet, launch);
    CentreBig(sheet, launch + 11, "LAUNCH", 3, {210, 255, 170}, {60, 190, 70});
    for (int i = 0; i < 2; ++i) {
        DrawGrid(sheet, PANEL_X + 7, launch + 13 + i * 6, CHEVRON, pal);
        DrawGrid(sheet, PANEL_X + PANEL_W - 17, launch + 13 + i * 6, CHEVRON, pal);
    }
    CentreSmall(sheet, launch + 43, "ALL SYSTEMS GO", {160, 255, 170});
}
