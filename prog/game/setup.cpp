// The one-time set-up of the game: display mode, the three images, the three
// layers with their tile maps, the ship, the HUD text block, the banner and
// the stored high score. Each failure reports one message and returns 0,
// leaving in place what was made before it.
//
// The ship, the HUD block and the banner are needed by every frame: when one
// of them cannot be allocated the set-up reports "Could not create ship.",
// "Could not create HUD text." or "Could not create banner." and returns 0, so
// the frame driver never runs on a half-made world (see frame.h).
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "interface/prog.h"
#include "prog/core/alloc.h"
#include "prog/core/atlas.h"
#include "prog/core/highscore.h"
#include "prog/core/layers.h"
#include "prog/core/text.h"
#include "prog/core/world.h"
#include "prog/game/frame.h"
#include "prog/objects/records.h"

// Shows the text through the stored record's Report service; always 0.
static int ReportFailure(const char* text) {
    if (TheProg && TheProg->Report) TheProg->Report(text);
    return 0;
}

static Image* LoadGameImage(const char* name) {
    Image* image = TheProg->AddImage ? TheProg->AddImage(name, IMAGE_FROM_FILE, 0, 0) : nullptr;
    if (!image) {
        char message[256];
        std::snprintf(message, sizeof message, "Could not load %s.", name);
        ReportFailure(message);
    }
    return image;
}

// Appends a layer with an 11 x 9 map of tiles of the tile sheet's size, every
// tile showing tileset cell (col, 0). The layer and the map are stored as soon as they
// exist, so that a failure further on leaves them reachable.
static int BuildLayer(Layer*& layer, TileMap*& map, int32_t col, const char* layerMessage, const char* mapMessage,
                      const char* tilesMessage) {
    layer = AddLayer(TheProg);
    if (!layer) return ReportFailure(layerMessage);
    map = (TileMap*)GameAlloc(sizeof(TileMap));
    if (!map) return ReportFailure(mapMessage);
    ConstructTileMap(map, 11, 9, TilesImage, MAP_VISIBLE, 0, 0, 11, 9, TILE_SIZE, TILE_SIZE, 0);
    if (!map->tiles) return ReportFailure(tilesMessage);
    for (uint32_t i = 0; i < map->spanCols * map->spanRows; ++i) {
        map->tiles[i].col = col;
        map->tiles[i].row = 0;
    }
    layer->map = map;
    return 1;
}

PROG_EXPORT int VProgInterface(Prog* prog) {
    std::srand((unsigned)std::time(nullptr));
    if (!prog) return ReportFailure("prog was NULL");
    worldReady = false;
    TheProg = prog;
    prog->moduleTag = 201;

    if (!prog->SetDisplayMode || !prog->SetDisplayMode(1024, 768, 16)) {
        char message[256];
        std::snprintf(message, sizeof message, "Could not set display mode to %dx%dx%d.", 1024, 768, 16);
        return ReportFailure(message);
    }
    if (!(TilesImage = LoadGameImage("tiles.bmp"))) return 0;
    if (!(SpritesImage = LoadGameImage("sprites.bmp"))) return 0;
    if (!(TextImage = LoadGameImage("text.bmp"))) return 0;

    if (!BuildLayer(BackLayer, backmap, TILE_GROUND, "Could not create layer.", "Could not create backmap.",
                    "Could not create backmap data."))
        return 0;
    if (!BuildLayer(MainLayer, MainMap, TILE_GROUND, "Could not create MainLayer.", "Could not create MainMap.",
                    "Could not create MainMap data."))
        return 0;
    if (!BuildLayer(TopLayer, TopMap, TILE_CLOUDS, "Could not create TopLayer.", "Could not create TopMap.",
                    "Could not create TopMap data."))
        return 0;

    Ship* ship = (Ship*)GameAlloc(sizeof(Ship));
    if (!ship) return ReportFailure("Could not create ship.");
    TheShip = ConstructShip(ship);

    TextBlock* hud = (TextBlock*)GameAlloc(sizeof(TextBlock));
    if (!hud) return ReportFailure("Could not create HUD text.");
    Hud = ConstructTextBlock(hud, 0, 0, "Loading...");

    Enemy* banner = (Enemy*)GameAlloc(sizeof(Enemy));
    if (!banner) return ReportFailure("Could not create banner.");
    Banner = ConstructEnemy(banner, 512, 0, ENEMY_BANNER);

    ReadHighScore();
    worldReady = true;
    GameAllocMark();
    return 1;
}
