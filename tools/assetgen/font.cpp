#include "tools/assetgen/font.h"

#include <cstring>

namespace {

constexpr Rgb GLYPH_LIGHT = {236, 240, 250};
constexpr Rgb GLYPH_LOWER = {200, 214, 236};
constexpr Rgb GLYPH_EDGE = {12, 14, 24};

}  // namespace

bool GlyphBit(char ch, int x, int y) {
    if (x < 0 || y < 0 || x >= GLYPH_BODY_W || y >= GLYPH_BODY_H) return false;
    for (int s = 0; s < FONT_STRIP_COUNT; ++s) {
        const char* at = std::strchr(FONT_STRIPS[s].codes, ch);
        if (ch == 0 || !at) continue;
        int index = static_cast<int>(at - FONT_STRIPS[s].codes);
        return FONT_STRIPS[s].rows[y][index * (GLYPH_BODY_W + 1) + x] == '#';
    }
    return false;
}

void MakeTextSheet(Canvas& sheet) {
    CanvasInit(sheet, FONT_SHEET_W, FONT_SHEET_H);
    for (int code = 32; code < 127; ++code) {
        const int cx = FontCellX(code), cy = FontCellY(code);
        const char ch = static_cast<char>(code);
        // The glyph fills its cell at the top left, so an edge around only its
        // lit pixels would miss their left and top sides. The whole cell is
        // dark instead, the space too: a line of text is a dark strip, and
        // lines laid every 8 pixels join into one panel that the light
        // letters stand out from over any ground.
        FillRect(sheet, cx, cy, FONT_CELL_W, FONT_CELL_H, GLYPH_EDGE);
        for (int y = 0; y < GLYPH_BODY_H; ++y)
            for (int x = 0; x < GLYPH_BODY_W; ++x)
                if (GlyphBit(ch, x, y)) Plot(sheet, cx + x, cy + y, y < 4 ? GLYPH_LIGHT : GLYPH_LOWER);
    }
}

void DrawSmallText(Canvas& c, int x, int y, const std::string& text, Rgb colour) {
    for (size_t i = 0; i < text.size(); ++i) {
        const int cx = x + static_cast<int>(i) * FONT_CELL_W;
        for (int py = -1; py <= GLYPH_BODY_H; ++py)
            for (int px = -1; px <= GLYPH_BODY_W; ++px) {
                if (GlyphBit(text[i], px, py)) {
                    Plot(c, cx + px, y + py, colour);
                    continue;
                }
                bool near = false;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) near = near || GlyphBit(text[i], px + dx, py + dy);
                if (near) Plot(c, cx + px, y + py, GLYPH_EDGE);
            }
    }
}

int BigTextWidth(const std::string& text, int scale) {
    if (text.empty()) return 0;
    return static_cast<int>(text.size()) * (GLYPH_BODY_W + 1) * scale - scale;
}

void DrawBigText(Canvas& c, int x, int y, const std::string& text, int scale, Rgb top, Rgb bottom) {
    const int height = GLYPH_BODY_H * scale;
    auto lit = [&](int px, int py) {
        if (px < 0 || py < 0) return false;
        int index = px / ((GLYPH_BODY_W + 1) * scale);
        if (index >= static_cast<int>(text.size())) return false;
        int gx = (px % ((GLYPH_BODY_W + 1) * scale)) / scale;
        return GlyphBit(text[index], gx, py / scale);
    };
    const int w = BigTextWidth(text, scale);
    const Rgb shadow = {8, 10, 20};
    // Shadow one pixel down and right, then the outline, then the body.
    for (int py = -1; py <= height + 1; ++py)
        for (int px = -1; px <= w + 1; ++px) {
            if (lit(px, py)) continue;
            bool edge = false;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) edge = edge || lit(px + dx, py + dy);
            if (edge || lit(px - 2, py - 2)) Plot(c, x + px, y + py, shadow);
        }
    for (int py = 0; py < height; ++py)
        for (int px = 0; px < w; ++px)
            if (lit(px, py)) {
                Rgb body = Mix(top, bottom, height > 1 ? py * 256 / (height - 1) : 0);
                // A lighter top edge on each stroke gives the letters some relief.
                if (!lit(px, py - 1)) body = Mix(body, {255, 255, 255}, 110);
                Plot(c, x + px, y + py, body);
            }
}
