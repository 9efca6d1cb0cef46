#include "prog/core/layers.h"

#include "prog/core/alloc.h"
#include "prog/core/world.h"

void ConstructTile(Tile* tile) {
    tile->col = 0;
    tile->row = 0;
    tile->image = nullptr;
}

TileMap* ConstructTileMap(TileMap* map, int32_t cols, int32_t rows, Image* image, int32_t state, int32_t scrollX,
                          int32_t scrollY, uint32_t spanCols, uint32_t spanRows, uint32_t tileW, uint32_t tileH,
                          uint32_t userWord) {
    map->cols = cols;
    map->rows = rows;
    map->tiles = nullptr;
    if (image)
        AllocateTiles(map, image);
    else
        AllocateTiles(map);
    map->state = state;
    map->scrollX = scrollX;
    map->scrollY = scrollY;
    map->spanCols = spanCols;
    map->spanRows = spanRows;
    map->tileW = tileW;
    map->tileH = tileH;
    map->userWord = userWord;
    return map;
}

int AllocateTiles(TileMap* map) {
    long count = (long)map->cols * (long)map->rows;
    Tile* tiles = count > 0 ? (Tile*)GameAlloc(sizeof(Tile) * (size_t)count) : nullptr;
    map->tiles = tiles;
    if (!tiles) return ERR_OUT_OF_MEMORY;
    for (long i = 0; i < count; ++i) ConstructTile(&tiles[i]);
    return 1;
}

int AllocateTiles(TileMap* map, Image* image) {
    int result = AllocateTiles(map);
    if (result != 1) return result;
    long count = (long)map->cols * (long)map->rows;
    for (long i = 0; i < count; ++i) map->tiles[i].image = image;
    return result;
}

void ConstructLayer(Layer* layer) {
    layer->map = nullptr;
    layer->drawFirst = nullptr;
    layer->oldest = nullptr;
    layer->prev = nullptr;
    layer->next = nullptr;
}

Layer* AddLayer(Prog* prog) {
    Layer* layer = (Layer*)GameAlloc(sizeof(Layer));
    if (!layer) return nullptr;
    ConstructLayer(layer);
    if (!prog->layers) {
        prog->layers = layer;
        return layer;
    }
    Layer* last = prog->layers;
    while (last->next) last = last->next;
    last->next = layer;
    layer->prev = last;
    return layer;
}

void ConstructSprite(Sprite* sprite) {
    sprite->srcX = sprite->srcY = sprite->srcW = sprite->srcH = 0;
    sprite->x = sprite->y = 0;
    sprite->w = sprite->h = 0;
    sprite->image = nullptr;
    sprite->state = STATE_INITIAL;
}

void ConstructSpriteLink(SpriteLink* link, Layer* layer, uint32_t tag) {
    link->object = nullptr;
    link->newer = nullptr;
    link->older = nullptr;
    link->tag = tag;
    link->depth = 0;
    link->layer = layer;
}

SpriteLink* AddLink(Layer* layer, int32_t depth, uint32_t tag) {
    SpriteLink* link = (SpriteLink*)GameAlloc(sizeof(SpriteLink));
    if (!link) return nullptr;
    ConstructSpriteLink(link, layer, tag);
    link->older = layer->drawFirst;
    if (layer->drawFirst) layer->drawFirst->newer = link;
    layer->drawFirst = link;
    if (!link->older) layer->oldest = link;
    SetDepth(link, depth);
    return link;
}

void UnlinkSprite(SpriteLink* link) {
    Layer* layer = link->layer;
    if (layer) {
        if (layer->drawFirst == link) layer->drawFirst = link->older;
        if (layer->oldest == link) layer->oldest = link->newer;
    }
    if (link->newer) link->newer->older = link->older;
    if (link->older) link->older->newer = link->newer;
}

int32_t SetDepth(SpriteLink* link, int32_t depth) {
    Layer* layer = link->layer;
    int32_t old = link->depth;
    if (old < depth && link->older) {
        // Towards oldest: stop in front of the links that already have the depth.
        SpriteLink* cursor = link;
        while (cursor->older && cursor->older->depth < depth) cursor = cursor->older;
        if (cursor != link) {
            if (!link->newer) {
                layer->drawFirst = link->older;
                link->older->newer = nullptr;
            } else {
                link->newer->older = link->older;
                link->older->newer = link->newer;
            }
            link->newer = cursor;
            link->older = cursor->older;
            if (link->older)
                link->older->newer = link;
            else
                layer->oldest = link;
            cursor->older = link;
        }
    } else if (old > depth && link->newer) {
        // Towards drawFirst: stop behind the links that already have the depth.
        SpriteLink* cursor = link;
        while (cursor->newer && cursor->newer->depth > depth) cursor = cursor->newer;
        if (cursor != link) {
            if (!link->older) {
                layer->oldest = link->newer;
                link->newer->older = nullptr;
            } else {
                link->newer->older = link->older;
                link->older->newer = link->newer;
            }
            link->older = cursor;
            link->newer = cursor->newer;
            if (link->newer)
                link->newer->older = link;
            else
                layer->drawFirst = link;
            cursor->newer = link;
        }
    }
    link->depth = depth;
    return depth;
}

SpriteLink* JoinMainLayer(void* object) {
    if (!MainLayer) return nullptr;
    SpriteLink* link = AddLink(MainLayer, 0, 0);
    if (link) link->object = object;
    return link;
}

void LeaveMainLayer(SpriteLink* link) {
    if (!link) return;
    UnlinkSprite(link);
    GameFree(link);
}
