#include "prog/objects/shots.h"

#include "prog/core/alloc.h"
#include "prog/core/layers.h"
#include "prog/core/world.h"
#include "prog/objects/debris.h"
#include "prog/objects/overlap.h"
#include "prog/objects/records.h"

Chain<Shot> ShotChain = {nullptr, nullptr};
int32_t fireTicks = 0;

namespace {

constexpr int32_t kBlastLife = 10;    // updates a blast lives, one spark burst in each
constexpr uint32_t kBlastSize = 120;  // the side of the square a blast hurts

// Allocates and constructs one shot; a shot that cannot be allocated is simply
// not made.
void MakeShot(int32_t centreX, int32_t centreY, int32_t dx, int32_t vy, int32_t kind, int32_t swayStep = 0,
              int32_t swayLimit = 0) {
    Shot* shot = static_cast<Shot*>(GameAlloc(sizeof(Shot)));
    if (!shot) return;
    ConstructShot(shot, centreX, centreY, dx, vy, kind, swayStep, swayLimit);
}

void LaunchMissile(Ship* ship) {
    ship->missiles = ship->missiles - 1;
    if (ship->missiles < 0) {
        ship->missiles = 0;
        return;
    }
    MakeShot(ship->sprite.x + (int32_t)ship->sprite.w / 2, ship->sprite.y, 0, -2, SHOT_MISSILE);
}

void FireVolley(Ship* ship, int32_t weapons) {
    const int32_t b = (weapons & WEAPON_FAST) ? 4 : 2;
    const int32_t kind = (weapons & WEAPON_BIG) ? SHOT_BIG : SHOT_PLAIN;
    const int32_t s = (weapons & WEAPON_WAVE) ? -1 : 0;
    const int32_t limit = (weapons & WEAPON_WAVE) ? 6 : 0;
    const int32_t vy = -2 * b;
    const int32_t x = ship->sprite.x, y = ship->sprite.y;
    const int32_t w = (int32_t)ship->sprite.w, h = (int32_t)ship->sprite.h;
    if (weapons & WEAPON_SPREAD) {
        MakeShot(x - w - 4, y, -(b / 2), vy, kind, 0, 0);
        MakeShot(x + 2 * w + 4, y, b / 2, vy, kind, 0, 0);
    }
    if (weapons & WEAPON_NOSE) MakeShot(x + w / 2, y - h, 0, vy, kind, 0, 0);
    if (weapons & WEAPON_WINGS) {
        MakeShot(x - w, y + h, 0, vy, kind, s, limit);
        MakeShot(x + 2 * w, y + h, 0, vy, kind, -s, limit);
    }
    MakeShot(x - 4, y, 0, vy, kind, -s, limit);
    MakeShot(x + w + 4, y, 0, vy, kind, s, limit);
}

}  // namespace

Shot* ConstructShot(Shot* shot, int32_t centreX, int32_t centreY, int32_t dx, int32_t vy, int32_t kind,
                    int32_t swayStep, int32_t swayLimit) {
    ConstructSprite(&shot->sprite);
    JoinChain(ShotChain, shot);
    shot->animFrame = 0;
    shot->kind = kind;
    SelectShotFrame(shot);
    shot->sprite.state = 0;
    shot->sprite.x = centreX - (int32_t)shot->sprite.w / 2;
    shot->sprite.y = centreY - (int32_t)shot->sprite.h / 2;
    shot->sprite.image = SpritesImage;
    shot->power = kind;
    shot->dx = dx;
    shot->baseSide = TheShip->sideSpeed;
    // The shot's own velocity excludes the scenery's drift, added back each tick.
    shot->dy = vy - TheShip->speed / 3;
    shot->swayStep = swayStep;
    shot->swayLimit = swayLimit;
    if (kind == SHOT_BLAST) shot->swayLimit = kBlastLife;  // a blast counts its life here
    shot->link = JoinMainLayer(shot);
    return shot;
}

void FireWeapons(int32_t weapons) {
    if (weapons == FIRE_MISSILE)
        LaunchMissile(TheShip);
    else
        FireVolley(TheShip, weapons);
}

void UpdateShots() {
    Ship* ship = TheShip;
    if (ship->firing != 0) {
        fireTicks = fireTicks + 1;
        if (fireTicks >= 10) {
            if (ship->mode != SHIP_DOWN) FireWeapons(ship->weapons);
            fireTicks = 0;
        }
    }
    for (Shot* shot = ShotChain.oldest; shot;) {
        Shot* next = shot->next;  // the update may free this shot
        AnimateShot(shot);
        UpdateShot(shot);
        shot = next;
    }
}

void AnimateShot(Shot* shot) {
    shot->animFrame = shot->animFrame + 1;
    if (shot->animFrame > 1) shot->animFrame = 0;
    SelectShotFrame(shot);
}

void SelectShotFrame(Shot* shot) {
    Sprite& s = shot->sprite;
    if (shot->kind == SHOT_BLAST) {  // a one-pixel picture; the box is the area it hurts
        CutFrame(&s, SHOT_BLAST_FRAME, 0);
        s.w = s.h = kBlastSize;
        return;
    }
    const AtlasStrip& strip = shot->kind == SHOT_MISSILE ? SHOT_MISSILE_FRAMES
                              : shot->kind == SHOT_BIG   ? SHOT_BIG_FRAMES
                                                         : SHOT_PLAIN_FRAMES;
    CutFrame(&s, strip, shot->animFrame);
    s.w = (uint32_t)strip.w;
    s.h = (uint32_t)strip.h;
}

void Spend(Shot* shot, int32_t amount) {
    shot->power = shot->power - amount;
    if (shot->power < 1 || shot->kind == SHOT_MISSILE) shot->power = 0;
}

void UpdateShot(Shot* shot) {
    Ship* ship = TheShip;
    // Hits on every hostile enemy under the shot; the enemies stay in their
    // chain (at 0 hit points) until their own next update.
    for (Enemy* enemy = EnemyChain.oldest; enemy;) {
        Enemy* next = enemy->next;
        if (enemy->kind < ENEMY_POWERUP && BoxesOverlap(shot, enemy)) {
            const int32_t before = DamageEnemy(enemy, shot->power);
            Spend(shot, before);
            if (enemy->hitPoints == 0) ship->score = ship->score + enemy->points;
        }
        enemy = next;
    }

    if (shot->swayLimit != 0) {
        shot->dx = shot->dx + shot->swayStep;
        if (Magnitude(shot->dx) >= shot->swayLimit) shot->swayStep = -shot->swayStep;
    }

    shot->sprite.x = shot->sprite.x + ship->sideSpeed - shot->baseSide + shot->dx;
    shot->sprite.y = shot->sprite.y + ship->speed / 3 + shot->dy;

    if (shot->kind == SHOT_BLAST) {
        shot->swayLimit = shot->swayLimit - 1;
        const int32_t r1 = RandomMod((int32_t)shot->sprite.w);
        const int32_t r2 = RandomMod((int32_t)shot->sprite.h);
        SparkBurst(shot->sprite.x + r1 + 1, shot->sprite.y + r2 + 1);
        if (shot->swayLimit < 1) DestroyInChain(ShotChain, shot);
        return;  // a blast never leaves by the screen edges
    }

    if (shot->sprite.y < 0 || shot->sprite.y > 768) {
        DestroyInChain(ShotChain, shot);
        return;
    }

    if (shot->power >= 1) return;
    if (shot->kind == SHOT_MISSILE) {
        // A spent missile leaves a blast standing still where it was.
        MakeShot(shot->sprite.x + (int32_t)shot->sprite.w / 2, shot->sprite.y + (int32_t)shot->sprite.h / 2, 0, 0,
                 SHOT_BLAST);
    }
    DestroyInChain(ShotChain, shot);
}

void DestroyAllShots() { DestroyChain(ShotChain); }
