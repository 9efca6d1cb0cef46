// Scene records shared by the engine (which draws them) and the game module
// (which builds them). Every field is 32 bits wide; pointers are native.
#pragma once
#include <cstddef>
#include <cstdint>
#include <type_traits>

struct Image;  // engine-owned; an opaque handle to the module
struct TileMap;

// Sprite state that means "not drawn"; every other value is drawn.
constexpr int32_t STATE_HIDDEN = -5;
// Tile-map state the game gives its visible maps.
constexpr int32_t MAP_VISIBLE = 4001;

// The header at the start of every game object.
struct Sprite {
    int32_t srcX, srcY;  // top-left of the source rectangle in the image
    int32_t srcW, srcH;  // size of the source rectangle
    int32_t x, y;        // screen position of the top-left corner
    uint32_t w, h;       // on-screen size, used to clip right and bottom
    Image* image;        // image to copy from
    int32_t state;       // STATE_HIDDEN = not drawn
};

struct SpriteLink;

struct Layer {
    TileMap* map;           // drawn first unless hidden
    SpriteLink* drawFirst;  // link drawn first; new links enter here
    SpriteLink* oldest;     // link drawn last
    Layer* prev;
    Layer* next;  // the engine follows only this field
};

struct SpriteLink {
    void* object;       // starts with a Sprite
    SpriteLink* newer;  // towards drawFirst
    SpriteLink* older;  // towards oldest; drawn next
    uint32_t tag;
    int32_t depth;
    Layer* layer;  // owning layer
};

struct Tile {
    int32_t col;   // cell column in the tileset
    int32_t row;   // cell row in the tileset
    Image* image;  // tileset image
};

struct TileMap {
    int32_t scrollX, scrollY;     // screen position of the map's top-left corner
    uint32_t spanCols, spanRows;  // the game's own copy of the grid size
    uint32_t tileW, tileH;        // tile size in pixels
    int32_t cols, rows;           // grid size; tiles holds cols x rows entries
    int32_t state;                // STATE_HIDDEN = map not drawn
    uint32_t userWord;
    Tile* tiles;  // row by row
};

static_assert(std::is_standard_layout<Sprite>::value, "Sprite must be standard layout");
static_assert(std::is_standard_layout<Layer>::value, "Layer must be standard layout");
static_assert(std::is_standard_layout<SpriteLink>::value, "SpriteLink must be standard layout");
static_assert(std::is_standard_layout<TileMap>::value, "TileMap must be standard layout");
static_assert(offsetof(Sprite, w) == 24 && offsetof(Sprite, image) == 32, "Sprite field offsets");
static_assert(offsetof(TileMap, tiles) == 40, "TileMap field offsets");
