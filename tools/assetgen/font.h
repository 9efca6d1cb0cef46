// The game's bitmap font: glyph shapes, the text sheet with its cells (prog/core/atlas.h), and large lettering.
#pragma once
#include <string>

#include "prog/core/atlas.h"
#include "tools/assetgen/canvas.h"

constexpr int GLYPH_BODY_W = 5;
constexpr int GLYPH_BODY_H = 7;

struct FontStrip {
    const char* codes;  // the characters drawn in this strip, left to right
    const char* rows[GLYPH_BODY_H];
};

extern const FontStrip FONT_STRIPS[];
extern const int FONT_STRIP_COUNT;

// Whether pixel (x, y) of the 5 x 7 body of character ch is lit; unknown characters are blank.
bool GlyphBit(char ch, int x, int y);
// The text sheet: codes 0..127 in the atlas's font cells; light glyphs with a dark edge.
void MakeTextSheet(Canvas& sheet);
// Draws text with each font pixel as a scale x scale block, a dark outline and a drop shadow;
// top and bottom are the body colours of the first and last rows (a vertical gradient).
void DrawBigText(Canvas& c, int x, int y, const std::string& text, int scale, Rgb top, Rgb bottom);
// Draws text at the font's own size in the given colour with a dark edge, 6 pixels a character.
void DrawSmallText(Canvas& c, int x, int y, const std::string& text, Rgb colour);
// Width in pixels of DrawBigText's lettering (without the outline).
int BigTextWidth(const std::string& text, int scale);
