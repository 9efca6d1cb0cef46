// Bitmap-font text: a TextBlock lays a string out as one Glyph sprite per
// character, each a cell of the font image (atlas.h), placed a cell apart.
#pragma once
#include <cstdint>

#include "interface/scene.h"

struct Glyph {
    Sprite sprite;
    Glyph* next;  // glyph of the following character
    Glyph* prev;  // glyph of the preceding character
    SpriteLink* link;
};

struct TextBlock {
    char* text;      // own copy of the string
    Glyph** glyphs;  // length entries, null where a glyph could not be made
    int32_t x, y;    // top-left of the first character
    int32_t length;
    int32_t width, height;
};

Glyph* ConstructGlyph(Glyph* glyph, Glyph* previous, int32_t x, int32_t y, int32_t srcX, int32_t srcY);
void DestroyGlyph(Glyph* glyph);  // the caller frees the record
TextBlock* ConstructTextBlock(TextBlock* block, int32_t x, int32_t y, const char* text);
void SetText(TextBlock* block, const char* text);
void DestroyTextBlock(TextBlock* block);  // glyphs and text; the caller frees the record
void Layout(TextBlock* block);
void DestroyGlyphs(TextBlock* block);
