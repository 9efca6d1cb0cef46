#include "prog/game/reset.h"

#include "prog/core/alloc.h"
#include "prog/core/highscore.h"
#include "prog/core/text.h"
#include "prog/core/world.h"
#include "prog/game/frame.h"
#include "prog/objects/debris.h"
#include "prog/objects/records.h"
#include "prog/objects/shots.h"

static void FreeMap(TileMap*& map) {
    if (!map) return;
    GameFree(map->tiles);
    GameFree(map);
    map = nullptr;
}

void ResetWorld() {
    DestroyChain(DebrisChain);
    DestroyChain(ShotChain);
    DestroyChain(EnemyChain);  // the Banner is an enemy too
    Banner = nullptr;
    if (TheShip) {
        LeaveMainLayer(TheShip->link);
        GameFree(TheShip);
        TheShip = nullptr;
    }
    if (Hud) {
        DestroyTextBlock(Hud);
        GameFree(Hud);
        Hud = nullptr;
    }
    FreeMap(backmap);
    FreeMap(MainMap);
    FreeMap(TopMap);
    if (TheProg) {
        for (Layer* layer = TheProg->layers; layer;) {
            Layer* next = layer->next;
            GameFree(layer);
            layer = next;
        }
        TheProg->layers = nullptr;
    }
    BackLayer = MainLayer = TopLayer = nullptr;
    TilesImage = SpritesImage = TextImage = nullptr;
    TheProg = nullptr;
    highScore = 0;
    enemyAnimMs = 0;
    fireTicks = 0;
    ResetFrameDriver();
    *GameGetFaults() = GameFaults{};
}
