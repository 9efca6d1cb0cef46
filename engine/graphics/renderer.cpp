// The scene renderer: every layer's tile map, then its sprites, copied into
// the back buffer with the source colour key and clipped by hand to the
// screen; then the frame is presented.
#include <cstdint>

#include "engine/base/session.h"
#include "engine/graphics/display.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/image_store.h"

namespace {

constexpr DWORD kCopyFlags = DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT;  // 0x11

bool FitsLong(int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; }

// One clipped copy from an image to the back buffer; the result of BltFast
// is ignored, as an empty or inverted rectangle simply draws nothing. The
// arithmetic is done wide so that far-off positions cannot wrap around into
// a rectangle that looks valid.
void CopyToBackBuffer(int64_t destX, int64_t destY, const Image* image, int64_t left, int64_t top, int64_t right,
                      int64_t bottom) {
    if (!image || !image->holder || !image->holder->surface) return;
    if (destX < 0 || destY < 0 || destX > UINT32_MAX || destY > UINT32_MAX) return;
    if (!FitsLong(left) || !FitsLong(top) || !FitsLong(right) || !FitsLong(bottom)) return;
    RECT r = {static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(right), static_cast<LONG>(bottom)};
    backBuffer->BltFast(static_cast<DWORD>(destX), static_cast<DWORD>(destY), image->holder->surface, &r, kCopyFlags);
}

// Draws the source rectangle (left, top) - (right, bottom) of an image, a
// piece w x h in size, at (x, y) on the screen. A piece reaching over the top
// or left edge starts at that edge with its source cut by the overhang; one
// reaching past the bottom or right edge has the overhang cut from the far
// side of its source.
void CopyClipped(int64_t x, int64_t y, int64_t w, int64_t h, const Image* image, int64_t left, int64_t top,
                 int64_t right, int64_t bottom) {
    if (y < 0) {
        top -= y;
        y = 0;
    } else if (y > screenHeight - h) {
        bottom -= y - (screenHeight - h);
    }
    if (x < 0) {
        left -= x;
        x = 0;
    } else if (x > screenWidth - w) {
        right -= x - (screenWidth - w);
    }
    CopyToBackBuffer(x, y, image, left, top, right, bottom);
}

}  // namespace

int DrawTileMap(TileMap* map) {
    if (!backBuffer || !map || !map->tiles || map->tileW == 0 || map->tileH == 0) return 1;
    const int64_t tileW = map->tileW, tileH = map->tileH;

    // First visible column and row, in unsigned arithmetic as the scroll is
    // at or below zero; a value that is negative as a signed number is 0.
    uint32_t firstCol = (0u - static_cast<uint32_t>(map->scrollX)) / map->tileW;
    uint32_t firstRow = (0u - static_cast<uint32_t>(map->scrollY)) / map->tileH;
    if (static_cast<int32_t>(firstCol) < 0) firstCol = 0;
    if (static_cast<int32_t>(firstRow) < 0) firstRow = 0;

    // Visible counts, limited by what is left of the grid; a positive scroll
    // puts the first column or row beyond the grid and leaves nothing.
    int64_t visCols = static_cast<uint32_t>(screenWidth) / map->tileW + 2;
    int64_t visRows = static_cast<uint32_t>(screenHeight) / map->tileH + 2;
    if (static_cast<int64_t>(map->cols) - firstCol < visCols) visCols = static_cast<int64_t>(map->cols) - firstCol;
    if (static_cast<int64_t>(map->rows) - firstRow < visRows) visRows = static_cast<int64_t>(map->rows) - firstRow;

    for (int64_t r = 0; r < visRows; r++) {
        const int64_t mapRow = firstRow + r;
        const Tile* tile = map->tiles + mapRow * map->cols + firstCol;
        for (int64_t c = 0; c < visCols; c++, tile++) {
            const int64_t left = tile->col * tileW, top = tile->row * tileH;
            CopyClipped(map->scrollX + (firstCol + c) * tileW, map->scrollY + mapRow * tileH, tileW, tileH, tile->image,
                        left, top, left + tileW, top + tileH);
        }
    }
    return 1;
}

int DrawSprite(Sprite* sprite) {
    if (!backBuffer || !sprite || sprite->state == STATE_HIDDEN) return 1;
    const int64_t left = sprite->srcX, top = sprite->srcY;
    CopyClipped(sprite->x, sprite->y, sprite->w, sprite->h, sprite->image, left, top, left + sprite->srcW,
                top + sprite->srcH);
    return 1;
}

int RenderFrame() {
    if (backBuffer) {
        for (Layer* layer = prog.layers; layer; layer = layer->next) {
            if (layer->map && layer->map->state != STATE_HIDDEN) DrawTileMap(layer->map);
            for (SpriteLink* link = layer->drawFirst; link; link = link->older)
                DrawSprite(static_cast<Sprite*>(link->object));
        }
    }
    Present();
    return 1;
}
