// Starfield: a small game module for the Kestra engine. It makes a blank
// 1024 x 768 image, paints a falling starfield into it on every call with the
// pixel services (FillSurface clears it; PutPixel sets each star between
// LockSurface and UnlockSurface), shows it through a 4 x 3 tile map, and
// moves the game's ship sprite with the pointer. See docs/modules.md.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "interface/image.h"
#include "interface/prog.h"

namespace {

constexpr int kScreenW = 1024, kScreenH = 768;
constexpr int kCell = 256;  // the sky is shown as 4 x 3 tiles of 256 x 256 pixels
constexpr int kCols = kScreenW / kCell, kRows = kScreenH / kCell;
constexpr int kStars = 240;
constexpr int kTickMs = 10;  // the stars move once per 10 ms of elapsed time

// A colour as 5-6-5 components: red and blue 0 to 31, green 0 to 63.
struct Colour {
    int r, g, b;
};
constexpr Colour kSpace = {0, 0, 6};
constexpr Colour kStarColours[3] = {{10, 20, 12}, {20, 42, 24}, {31, 63, 31}};  // slow, middle, fast

// A drawn object starts with its Sprite header, so a pointer to the object is
// a pointer to its sprite. The ship is drawn with its hot spot on the pointer.
struct Ship {
    Sprite sprite;
    int32_t hotX, hotY;
};
static_assert(std::is_standard_layout<Ship>::value && offsetof(Ship, sprite) == 0, "Sprite header first");

Prog* prog = nullptr;
Image* sky = nullptr;    // the blank image the stars are painted into
Image* sheet = nullptr;  // sprites.bmp
PixelFormat format;      // of the sky, for FillSurface and PutPixel
Ship* ship = nullptr;
bool ready = false;  // set-up complete; until then every call is ignored
long carryMs = 0;    // elapsed time not yet turned into a tick
long ticks = 0;      // ticks so far, modulo the screen height (a whole cycle of every star)
bool clearReported = false, lockReported = false;

// Every record of the module comes from here, zeroed, and lives until the
// process ends: the engine reads the scene at every frame and never frees it.
void* Allocate(size_t bytes) { return std::calloc(1, bytes); }

int Fail(const char* text) {
    prog->Report(text);
    return 0;
}

// Star i sits in a column of its own choosing and falls 1, 2 or 3 pixels a
// tick, wrapping round at the bottom.
uint32_t StarHash(int i) { return static_cast<uint32_t>(i + 1) * 2654435761u; }
int StarX(int i) { return static_cast<int>(StarHash(i) >> 22); }
int StarSpeed(int i) { return 1 + i % 3; }
int StarY(int i) { return static_cast<int>(((StarHash(i) >> 4) % kScreenH + StarSpeed(i) * ticks) % kScreenH); }

// Repaints the sky for the current tick. A failure is reported once (a
// message box on every frame would stop the game), and a failed lock leaves
// the stars out of this frame.
void PaintSky() {
    ImageSurface* holder = ImageHolder(sky);
    if (!prog->FillSurface(kSpace.r, kSpace.g, kSpace.b, holder, &format) && !clearReported) {
        clearReported = true;
        prog->Report("Could not clear the sky.");
    }
    if (!prog->LockSurface(holder)) {
        if (!lockReported) prog->Report("Could not lock the sky.");
        lockReported = true;
        return;
    }
    for (int i = 0; i < kStars; ++i) {
        const Colour& c = kStarColours[StarSpeed(i) - 1];
        prog->PutPixel(StarX(i), StarY(i), c.r, c.g, c.b, &holder->lockDesc, &format);
    }
    prog->UnlockSurface(holder);
}

// One layer: the sky's tile map, whose tile at (column, row) shows the sky's
// cell at the same place, and a draw list holding the ship.
int BuildScene() {
    Layer* layer = static_cast<Layer*>(Allocate(sizeof(Layer)));
    TileMap* map = static_cast<TileMap*>(Allocate(sizeof(TileMap)));
    Tile* tiles = static_cast<Tile*>(Allocate(sizeof(Tile) * kCols * kRows));
    SpriteLink* link = static_cast<SpriteLink*>(Allocate(sizeof(SpriteLink)));
    ship = static_cast<Ship*>(Allocate(sizeof(Ship)));
    if (!layer || !map || !tiles || !link || !ship) return Fail("Could not allocate the scene.");

    for (int row = 0; row < kRows; ++row)
        for (int col = 0; col < kCols; ++col) tiles[row * kCols + col] = Tile{col, row, sky};
    map->tileW = map->tileH = kCell;
    map->cols = map->spanCols = kCols;
    map->rows = map->spanRows = kRows;
    map->state = MAP_VISIBLE;
    map->tiles = tiles;

    // The playing ship's first frame in the game's sheet; the hot spot is its centre.
    ship->sprite = Sprite{36, 0, 18, 24, 0, 0, 18, 24, sheet, 0};
    ship->hotX = 9;
    ship->hotY = 12;
    ship->sprite.x = kScreenW / 2 - ship->hotX;
    ship->sprite.y = kScreenH / 2 - ship->hotY;

    *link = SpriteLink{ship, nullptr, nullptr, 0, 0, layer};
    layer->map = map;
    layer->drawFirst = layer->oldest = link;
    prog->layers = layer;  // the engine draws the scene from the next frame on
    return 1;
}

}  // namespace

PROG_EXPORT int VProgInterface(Prog* engine) {
    if (!engine) return 0;
    prog = engine;
    if (!prog->SetDisplayMode(kScreenW, kScreenH, 16)) return Fail("Could not set the display mode.");
    if (!(sheet = prog->AddImage("sprites.bmp", IMAGE_FROM_FILE, 0, 0))) return Fail("Could not load sprites.bmp.");
    if (!(sky = prog->AddImage("sky", IMAGE_BLANK, kScreenW, kScreenH))) return Fail("Could not make the sky.");
    // The star colours are 5-6-5 components, which is what the engine's
    // surfaces hold; anything else would show wrong colours.
    if (!prog->GetPixelFormat(ImageHolder(sky)->surface, &format) || format.gShift != 5 || format.rShift != 11)
        return Fail("The sky is not a 5-6-5 surface.");
    if (!BuildScene()) return 0;
    PaintSky();
    ready = true;
    return 1;
}

PROG_EXPORT int VProgProcedure(int elapsedMs) {
    if (!ready) return 0;  // the set-up failed: there is no scene to draw
    if (prog->event == EV_START || prog->event == EV_SHUTDOWN) return 0;
    if (prog->event == EV_MOUSE_MOVE) {
        ship->sprite.x = prog->mouseX - ship->hotX;
        ship->sprite.y = prog->mouseY - ship->hotY;
    }
    if (elapsedMs > 0) carryMs += elapsedMs;
    ticks = (ticks + carryMs / kTickMs) % kScreenH;
    carryMs %= kTickMs;
    PaintSky();
    return 1;  // draw a frame
}
