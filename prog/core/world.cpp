#include "prog/core/world.h"

#include "prog/core/alloc.h"
#include "prog/core/highscore.h"
#include "prog/core/text.h"
#include "prog/objects/debris.h"
#include "prog/objects/records.h"
#include "prog/objects/shots.h"

// Module-wide state, all null or zero at load.
Prog* TheProg = nullptr;
Image* TilesImage = nullptr;
Image* SpritesImage = nullptr;
Image* TextImage = nullptr;
Layer* BackLayer = nullptr;
Layer* MainLayer = nullptr;
Layer* TopLayer = nullptr;
TileMap* backmap = nullptr;
TileMap* MainMap = nullptr;
TileMap* TopMap = nullptr;
Ship* TheShip = nullptr;
TextBlock* Hud = nullptr;
Enemy* Banner = nullptr;
int32_t highScore = 0;

Chain<Enemy> EnemyChain = {nullptr, nullptr};
Chain<Shot> ShotChain = {nullptr, nullptr};
Chain<Debris> DebrisChain = {nullptr, nullptr};
int32_t enemyAnimMs = 0;
int32_t fireTicks = 0;

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
        for (int32_t i = 0; Hud->glyphs && i < Hud->length; ++i) {
            if (!Hud->glyphs[i]) continue;
            LeaveMainLayer(Hud->glyphs[i]->link);
            GameFree(Hud->glyphs[i]);
        }
        GameFree(Hud->glyphs);
        GameFree(Hud->text);
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
}
