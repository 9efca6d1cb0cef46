// Bitmap-font text blocks. Every character becomes one Glyph sprite in
// MainLayer's draw list; a new text throws all glyphs away and lays the string
// out from scratch.
//
// Out of memory: when the text copy cannot be allocated the block holds no
// text (null, length 0); when the glyph array cannot be allocated it keeps its
// text but has no glyphs. Either way it shows nothing (width and height 0)
// until the next SetText, which tries again from scratch.
#include "prog/core/text.h"

#include <cstring>

#include "prog/core/alloc.h"
#include "prog/core/atlas.h"
#include "prog/core/layers.h"
#include "prog/core/world.h"

Glyph* ConstructGlyph(Glyph* glyph, Glyph* previous, int32_t x, int32_t y, int32_t srcX, int32_t srcY) {
    ConstructSprite(&glyph->sprite);
    glyph->next = nullptr;
    glyph->prev = previous;
    if (previous) previous->next = glyph;
    Sprite* s = &glyph->sprite;
    s->srcX = srcX;
    s->srcY = srcY;
    s->x = x;
    s->y = y;
    s->srcW = FONT_CELL_W;
    s->w = FONT_CELL_W;
    s->srcH = FONT_CELL_H;
    s->h = FONT_CELL_H;
    s->state = 0;
    s->image = TextImage;
    glyph->link = JoinMainLayer(glyph);
    return glyph;
}

void DestroyGlyph(Glyph* glyph) {
    if (glyph->prev) glyph->prev->next = glyph->next;
    if (glyph->next) glyph->next->prev = glyph->prev;
    LeaveMainLayer(glyph->link);
    glyph->link = nullptr;
}

// Takes a copy of the string; on failure the block is left without text.
static void CopyText(TextBlock* block, const char* text) {
    size_t length = text ? std::strlen(text) : 0;
    block->text = (char*)GameAlloc(length + 1);
    if (!block->text) {
        block->length = 0;
        return;
    }
    if (length) std::memcpy(block->text, text, length);
    block->text[length] = '\0';
    block->length = (int32_t)length;
}

TextBlock* ConstructTextBlock(TextBlock* block, int32_t x, int32_t y, const char* text) {
    block->x = x;
    block->y = y;
    CopyText(block, text);
    Layout(block);
    return block;
}

void SetText(TextBlock* block, const char* text) {
    DestroyTextBlock(block);
    CopyText(block, text);
    Layout(block);
}

void DestroyTextBlock(TextBlock* block) {
    DestroyGlyphs(block);
    GameFree(block->text);
    block->text = nullptr;
}

void Layout(TextBlock* block) {
    block->width = 0;
    block->height = 0;
    if (!block->text) {
        block->glyphs = nullptr;
        return;
    }
    block->glyphs = (Glyph**)GameAlloc(sizeof(Glyph*) * (size_t)block->length);
    if (!block->glyphs) return;
    int32_t column = 0, line = 0, widest = 0;
    for (int32_t i = 0; i < block->length; ++i) {
        // The cell of a character is chosen by its code as a signed byte.
        int32_t n = (signed char)block->text[i];
        Glyph* previous = i == 0 ? nullptr : block->glyphs[i - 1];
        Glyph* glyph = (Glyph*)GameAlloc(sizeof(Glyph));
        if (glyph)
            ConstructGlyph(glyph, previous, block->x + column * FONT_CELL_W, block->y + line * FONT_CELL_H,
                           FontCellX(n), FontCellY(n));
        block->glyphs[i] = glyph;
        if (n == '\n') {
            ++line;
            if (column > widest) widest = column;
            column = 0;
        } else {
            ++column;
        }
    }
    block->width = widest * FONT_CELL_W;
    block->height = line * FONT_CELL_H;
}

void DestroyGlyphs(TextBlock* block) {
    for (int32_t i = 0; block->glyphs && i < block->length; ++i) {
        Glyph* glyph = block->glyphs[i];
        if (!glyph) continue;
        DestroyGlyph(glyph);
        GameFree(glyph);
    }
    GameFree(block->glyphs);
    block->glyphs = nullptr;
}
