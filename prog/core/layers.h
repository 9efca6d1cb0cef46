// The game's side of the scene: layers, tile maps, sprite headers and the
// depth-ordered draw lists of sprite links.
#pragma once
#include <cstdint>

#include "interface/prog.h"
#include "prog/core/atlas.h"

constexpr int32_t STATE_INITIAL = 6000;  // written by the Sprite constructor
constexpr int ERR_OUT_OF_MEMORY = 4100;  // the tile array could not be allocated

// Tiles and tile maps.
void ConstructTile(Tile* tile);
TileMap* ConstructTileMap(TileMap* map, int32_t cols, int32_t rows, Image* image, int32_t state, int32_t scrollX,
                          int32_t scrollY, uint32_t spanCols, uint32_t spanRows, uint32_t tileW, uint32_t tileH,
                          uint32_t userWord);
int AllocateTiles(TileMap* map);
int AllocateTiles(TileMap* map, Image* image);

// Layers.
void ConstructLayer(Layer* layer);
Layer* AddLayer(Prog* prog);

// Sprite header and its accessors.
void ConstructSprite(Sprite* sprite);
inline int32_t GetX(const Sprite* s) { return s->x; }
inline int32_t GetY(const Sprite* s) { return s->y; }
inline uint32_t GetW(const Sprite* s) { return s->w; }
inline uint32_t GetH(const Sprite* s) { return s->h; }
inline int32_t GetSrcY(const Sprite* s) { return s->srcY; }
inline void SetX(Sprite* s, int32_t v) { s->x = v; }
inline void SetY(Sprite* s, int32_t v) { s->y = v; }
inline void SetSrcY(Sprite* s, int32_t v) { s->srcY = v; }
// Shows picture `frame` of the strip (the source rectangle only; the box is the caller's).
inline void CutFrame(Sprite* s, const AtlasStrip& strip, int32_t frame) {
    s->srcX = FrameX(strip, frame);
    s->srcY = strip.y;
    s->srcW = strip.w;
    s->srcH = strip.h;
}

// Draw lists.
void ConstructSpriteLink(SpriteLink* link, Layer* layer, uint32_t tag);
SpriteLink* AddLink(Layer* layer, int32_t depth, uint32_t tag);  // null when out of memory
void UnlinkSprite(SpriteLink* link);
int32_t SetDepth(SpriteLink* link, int32_t depth);

// The game-object protocol: the last step of every object constructor puts the
// object into MainLayer's draw list; destruction takes it out and frees the link.
SpriteLink* JoinMainLayer(void* object);  // null when the link cannot be had
void LeaveMainLayer(SpriteLink* link);    // null is ignored
