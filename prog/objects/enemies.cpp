#include "prog/core/alloc.h"
#include "prog/core/layers.h"
#include "prog/core/world.h"
#include "prog/objects/debris.h"
#include "prog/objects/overlap.h"
#include "prog/objects/records.h"
#include "prog/objects/shots.h"

Chain<Enemy> EnemyChain = {nullptr, nullptr};
int32_t enemyAnimMs = 0;

namespace {

// AnimateEnemy picks picture `frame` at frame x srcW: every animated strip starts at the left edge.
static_assert(RISER_FRAMES.x == 0 && DIVER_FRAMES[0].x == 0 && DIVER_FRAMES[1].x == 0 && TRACKER_FRAMES.x == 0 &&
                  HEAVY_FRAMES.x == 0 && POWERUP_FRAMES.x == 0,
              "enemy strips start at x 0");

// The first picture of the strip, with a box of its size.
void SetBox(Enemy* enemy, const AtlasStrip& strip) {
    CutFrame(&enemy->sprite, strip, 0);
    enemy->sprite.w = (uint32_t)strip.w;
    enemy->sprite.h = (uint32_t)strip.h;
}

// Fills the kind's starting values. Random numbers are drawn in the order the
// fields are listed here, which decides what a fixed seed produces.
void FillKind(Enemy* e, int32_t x, int32_t y) {
    e->dx = 0;
    e->swayStep = 0;
    e->timer = 0;
    e->frame = 0;
    e->hitPoints = 1;
    switch (e->kind) {
        case ENEMY_RISER:  // enters with its top at the bottom edge, whatever y says
            SetBox(e, RISER_FRAMES);
            e->sprite.x = x - (int32_t)e->sprite.w / 2;
            e->sprite.y = 768;
            e->dy = -8 - RandomMod(4);
            e->swayStep = 3;
            e->timer = 20 + RandomMod(200);
            e->points = -250;
            e->bursts = 2;
            e->lastFrame = RISER_FRAMES.frames - 1;
            break;
        case ENEMY_DIVER: {  // (x, y) is its centre
            const AtlasStrip& colour = DIVER_FRAMES[RandomMod(2)];
            SetBox(e, colour);
            e->sprite.x = x - (int32_t)e->sprite.w / 2;
            e->sprite.y = y - (int32_t)e->sprite.h / 2;
            e->dy = 2;
            e->timer = 80;
            e->points = 175;
            e->bursts = 3;
            e->lastFrame = colour.frames - 1;
            e->frame = RandomMod(5);
            break;
        }
        case ENEMY_TRACKER:
            SetBox(e, TRACKER_FRAMES);
            e->sprite.x = x - (int32_t)e->sprite.w / 2;
            e->sprite.y = y - (int32_t)e->sprite.h;
            e->dy = 5;
            e->points = 250;
            e->bursts = 2;
            e->lastFrame = TRACKER_FRAMES.frames - 1;
            e->frame = RandomMod(3);
            break;
        case ENEMY_HEAVY:
            SetBox(e, HEAVY_FRAMES);
            e->sprite.x = x - (int32_t)e->sprite.w / 2;
            e->sprite.y = y - (int32_t)e->sprite.h;
            e->dy = 1 + RandomMod(2);
            e->points = 500;
            e->bursts = 10;
            e->lastFrame = HEAVY_FRAMES.frames - 1;
            e->hitPoints = 15;
            break;
        case ENEMY_POWERUP:
            SetBox(e, POWERUP_FRAMES);
            e->sprite.x = x - (int32_t)e->sprite.w / 2;
            e->sprite.y = y - (int32_t)e->sprite.h;
            e->dy = 1;
            e->swayStep = 3;
            e->timer = 40 + RandomMod(400);
            e->points = 0;
            e->bursts = 0;
            e->lastFrame = POWERUP_FRAMES.frames;         // never read: a power-up does not animate
            e->frame = RandomMod(POWERUP_FRAMES.frames);  // the power-up type, fixed for life
            break;
        default:  // ENEMY_BANNER, and any unknown kind: a still panel
            SetBox(e, BANNER_CLICK);
            e->sprite.x = x - (int32_t)e->sprite.w / 2;
            e->sprite.y = y - (int32_t)e->sprite.h;
            e->dy = 0;
            e->points = 0;
            e->bursts = 0;
            e->lastFrame = 0;
            break;
    }
}

// (target centre - own centre) along one axis.
int32_t CentreGap(int32_t targetPos, uint32_t targetSize, int32_t pos, uint32_t size) {
    return (targetPos + (int32_t)targetSize / 2) - (pos + (int32_t)size / 2);
}

void StepDiver(Enemy* e, const Ship* ship) {
    if (e->sprite.y <= 96) return;  // still descending
    if (e->timer > 1) {
        // Hover, drifting at half the sideways scenery speed.
        e->dy = 0;
        e->dx = ship->sideSpeed / 2;
        e->timer = e->timer - 1;
    } else if (e->timer == 1) {
        // Dive in a straight line at where the ship is now.
        e->timer = 0;
        e->dy = 4 + RandomMod(8);
        const int32_t t = CentreGap(ship->sprite.y, ship->sprite.h, e->sprite.y, e->sprite.h) / e->dy;
        const int32_t gapX = CentreGap(ship->sprite.x, ship->sprite.w, e->sprite.x, e->sprite.w);
        // t is 0 when the ship's centre is less than one step's height away:
        // the diver then falls straight down instead of dividing by zero.
        e->dx = t != 0 ? gapX / t : 0;
    }
}

int32_t Limit4(int32_t v) {
    if (v >= 4) return 4;
    if (v <= -4) return -4;
    return v;
}

void StepTracker(Enemy* e, const Ship* ship) {
    if (e->sprite.y > 256 && ship->mode == SHIP_PLAYING) {
        e->dx = Limit4(CentreGap(ship->sprite.x, ship->sprite.w, e->sprite.x, e->sprite.w) / 2);
        e->dy = Limit4(CentreGap(ship->sprite.y, ship->sprite.h, e->sprite.y, e->sprite.h) / 2);
    } else {
        e->sprite.x = e->sprite.x + ship->sideSpeed;
    }
}

void StepPowerUp(Enemy* e, const Ship* ship) {
    if (Magnitude(e->dx) < 2) e->dx = e->dx + e->swayStep;
    e->timer = e->timer - 1;
    if (e->timer < 1) {
        e->swayStep = -e->swayStep;
        e->dx = e->dx + e->swayStep;
        e->timer = 40 + RandomMod(400);
    }
    e->sprite.x = e->sprite.x + ship->sideSpeed;
    e->sprite.y = e->sprite.y + ship->speed / 3;
}

void StepRiser(Enemy* e, const Ship* ship) {
    if (Magnitude(e->dx) < 3) e->dx = e->dx + e->swayStep;
    e->timer = e->timer - 1;
    if (e->timer < 1) {
        e->swayStep = -e->swayStep;
        e->dx = e->dx - e->swayStep;  // grows by the old step
        e->timer = 20 + RandomMod(200);
        e->dy = -8 - RandomMod(4);
    }
    e->sprite.x = e->sprite.x + ship->sideSpeed;
    e->sprite.y = e->sprite.y + ship->speed;
}

void DestroyEnemy(Enemy* enemy) {
    UnlinkEnemy(enemy);
    GameFree(enemy);
}

}  // namespace

Enemy* ConstructEnemy(Enemy* enemy, int32_t x, int32_t y, int32_t kind) {
    ConstructSprite(&enemy->sprite);
    JoinChain(EnemyChain, enemy);
    enemy->kind = kind;
    FillKind(enemy, x, y);
    enemy->sprite.state = 0;
    enemy->sprite.image = SpritesImage;
    enemy->link = JoinMainLayer(enemy);
    return enemy;
}

void UnlinkEnemy(Enemy* enemy) { LeaveChain(EnemyChain, enemy); }

int32_t DamageEnemy(Enemy* enemy, int32_t amount) {
    const int32_t old = enemy->hitPoints;
    enemy->hitPoints = old - amount;
    if (enemy->hitPoints < 1) enemy->hitPoints = 0;
    return old;
}

void AnimateEnemy(Enemy* enemy) {
    if (enemy->kind != ENEMY_POWERUP) {
        enemy->frame = enemy->frame + 1;
        if (enemy->frame > enemy->lastFrame) enemy->frame = 0;
    }
    if (enemy->kind != ENEMY_BANNER) enemy->sprite.srcX = enemy->frame * enemy->sprite.srcW;
}

void UpdateEnemy(Enemy* enemy) {
    const Ship* ship = TheShip;
    switch (enemy->kind) {
        case ENEMY_DIVER:
            StepDiver(enemy, ship);
            break;
        case ENEMY_TRACKER:
            StepTracker(enemy, ship);
            break;
        case ENEMY_HEAVY:
            enemy->sprite.y = enemy->sprite.y + ship->speed / 4;
            enemy->sprite.x = enemy->sprite.x + ship->sideSpeed;
            break;
        case ENEMY_POWERUP:
            StepPowerUp(enemy, ship);
            break;
        case ENEMY_BANNER:
            if (enemy->sprite.y < 384 - (int32_t)enemy->sprite.h) enemy->sprite.y = enemy->sprite.y + 3;
            break;
        case ENEMY_RISER:
            StepRiser(enemy, ship);
            break;
        default:
            break;
    }
    enemy->sprite.x = enemy->sprite.x + enemy->dx;
    enemy->sprite.y = enemy->sprite.y + enemy->dy;

    // Hostiles against the newer enemies, which have not moved yet this tick:
    // each overlapping pair is handled once, by its older member.
    if (enemy->kind < ENEMY_POWERUP) {
        for (Enemy* other = enemy->next; other;) {
            Enemy* next = other->next;
            if (other->kind < ENEMY_POWERUP && BoxesOverlap(enemy, other)) {
                const int32_t r = DamageEnemy(other, enemy->hitPoints);
                const int32_t old = DamageEnemy(enemy, r + enemy->hitPoints);
                if (old < 1) return;  // it was already dead: the rest waits for the next tick
            }
            other = next;
        }
    }

    // Leaving the screen: gone without debris or points.
    if (enemy->sprite.y < -(int32_t)enemy->sprite.h || enemy->sprite.y > 768) {
        DestroyEnemy(enemy);
        return;
    }

    if (enemy->hitPoints >= 1) {
        // A power-up the ship already holds vanishes.
        if (enemy->kind == ENEMY_POWERUP && enemy->frame >= 0 && enemy->frame < 31 &&
            (ship->weapons & (1 << enemy->frame)))
            DestroyEnemy(enemy);
        return;
    }
    Explode(enemy);
    if (enemy->kind == ENEMY_HEAVY) {
        Shot* blast = static_cast<Shot*>(GameAlloc(sizeof(Shot)));
        if (blast)
            ConstructShot(blast, enemy->sprite.x + (int32_t)enemy->sprite.w / 2,
                          enemy->sprite.y + (int32_t)enemy->sprite.h / 2, 0, 0, SHOT_BLAST);
    }
    DestroyEnemy(enemy);
}

void Explode(Enemy* enemy) {
    for (int32_t i = 1; i <= enemy->bursts; ++i) {
        const int32_t ox = 1 + RandomMod((int32_t)enemy->sprite.w);
        const int32_t oy = 1 + RandomMod((int32_t)enemy->sprite.h);
        const int32_t px = enemy->sprite.x + ox, py = enemy->sprite.y + oy;
        FragmentBurst(px, py, enemy->dx, enemy->dy);
        SparkBurst(px, py);
    }
}

void UpdateEnemies(int32_t ms) {
    enemyAnimMs = enemyAnimMs + ms;
    const bool animate = enemyAnimMs >= 70;
    for (Enemy* enemy = EnemyChain.oldest; enemy;) {
        Enemy* next = enemy->next;  // the update may free this enemy
        if (animate) AnimateEnemy(enemy);
        UpdateEnemy(enemy);
        enemy = next;
    }
    if (animate) enemyAnimMs = 0;  // the part above 70 is dropped
}

void SpawnEnemy() {
    const int32_t r = 1 + RandomMod(100);
    if (r > TheShip->speed / 3) return;  // (speed / 3) per cent a tick
    const int32_t x = 1 + RandomMod(1024);
    const int32_t k = 1 + RandomMod(99);
    int32_t kind;
    if (k < 20)
        kind = ENEMY_RISER;
    else if (k < 50)
        kind = ENEMY_DIVER;
    else if (k < 70)
        kind = ENEMY_TRACKER;
    else if (k < 90)
        kind = ENEMY_HEAVY;
    else
        kind = ENEMY_POWERUP;
    Enemy* enemy = static_cast<Enemy*>(GameAlloc(sizeof(Enemy)));
    if (!enemy) return;
    ConstructEnemy(enemy, x, 0, kind);
}

void KillAllEnemies() {
    for (Enemy* enemy = EnemyChain.oldest; enemy;) {
        Enemy* next = enemy->next;
        if (enemy->kind != ENEMY_BANNER) DamageEnemy(enemy, 1000);
        enemy = next;
    }
}
