#include "prog/core/alloc.h"
#include "prog/core/layers.h"
#include "prog/core/world.h"
#include "prog/objects/debris.h"
#include "prog/objects/overlap.h"
#include "prog/objects/records.h"
#include "prog/objects/shots.h"

Ship* ConstructShip(Ship* ship) {
    ConstructSprite(&ship->sprite);
    Sprite& s = ship->sprite;
    s.srcX = FrameX(SHIP_FRAMES, SHIP_COLUMN_PLAYING);
    s.srcY = SHIP_FRAMES.y;
    s.srcW = SHIP_FRAMES.w;
    s.srcH = SHIP_FRAMES.h;
    s.x = 100;
    s.y = 100;
    s.w = (uint32_t)SHIP_FRAMES.w;
    s.h = (uint32_t)SHIP_FRAMES.h + 1;  // the box is one row taller than the picture
    ship->speed = 4;
    s.state = 0;
    s.image = SpritesImage;
    ship->link = nullptr;
    ResetShip(ship);
    // The game starts with the ship waiting for a click. The frame is not
    // selected again, so the reset column shows until the first tick.
    ship->mode = SHIP_DOWN;
    ship->link = JoinMainLayer(ship);
    return ship;
}

void ResetShip(Ship* ship) {
    ship->sideSpeed = 0;
    ship->animFrame = 0;
    ship->firing = 0;
    ship->score = 0;
    ship->weapons = 0;
    ship->readyTicks = 0;
    ship->maxHitPoints = 1;
    ship->hitPoints = 1;
    ship->missiles = 3;
    ship->mode = SHIP_RESET;  // speed is left as it is
    // Centred just below the bottom edge of the screen.
    ship->sprite.x = 512 - (int32_t)ship->sprite.w / 2;
    ship->sprite.y = 768;
    KillAllEnemies();
    DestroyAllShots();
    SelectShipFrame(ship);
}

void TickShip(Ship* ship) {
    if (ship->mode == SHIP_READY) {
        ship->readyTicks = ship->readyTicks - 1;
        if (ship->readyTicks < 1) {
            if (Banner) Banner->sprite.state = STATE_HIDDEN;
            ship->mode = SHIP_PLAYING;
            ship->hitPoints = ship->maxHitPoints;
        }
    }
    ship->animFrame = ship->animFrame + 1;
    if (ship->animFrame > 1) ship->animFrame = 0;
    SelectShipFrame(ship);
}

void SelectShipFrame(Ship* ship) {
    ship->sprite.srcX = FrameX(SHIP_FRAMES, ship->mode);
    ship->sprite.srcY = SHIP_FRAMES.y + ship->animFrame * SHIP_FRAMES.h;
}

int32_t DamageShip(Ship* ship, int32_t amount) {
    const int32_t old = ship->hitPoints;
    ship->hitPoints = old - amount;
    if (ship->hitPoints >= 1) return old;
    // Destroyed: the wreck flies apart against the scenery's motion.
    const int32_t cx = ship->sprite.x + (int32_t)ship->sprite.w / 2;
    const int32_t cy = ship->sprite.y + (int32_t)ship->sprite.h / 2;
    FragmentBurst(cx, cy, -ship->sideSpeed, -ship->speed);
    SparkBurst(cx, cy);
    ship->mode = SHIP_DOWN;
    if (Banner) {
        Banner->sprite.srcY = BANNER_READY.y;
        Banner->sprite.state = 0;
    }
    return old;
}

void CheckCollisions(Ship* ship) {
    if (ship->mode != SHIP_PLAYING) return;
    for (Enemy* enemy = EnemyChain.oldest; enemy;) {
        Enemy* next = enemy->next;  // a power-up taken is freed here
        if (!BoxesOverlap(ship, enemy)) {
            enemy = next;
            continue;
        }
        if (enemy->kind == ENEMY_POWERUP) {
            const int32_t type = enemy->frame;
            if (type >= 0 && type < 6)
                ship->weapons = ship->weapons | (1 << type);
            else
                ship->missiles = ship->missiles + 1;
            UnlinkEnemy(enemy);
            GameFree(enemy);
        } else if (enemy->kind < ENEMY_POWERUP) {
            // Touching a hostile always destroys the ship; the hostile loses
            // as many hit points as the ship had. One hostile a tick at most.
            const int32_t before = DamageEnemy(enemy, ship->hitPoints);
            DamageShip(ship, before + ship->hitPoints);
            return;
        }
        enemy = next;
    }
}
