#include "prog/objects/debris.h"

#include "prog/core/alloc.h"
#include "prog/core/layers.h"
#include "prog/core/world.h"
#include "prog/objects/records.h"

Chain<Debris> DebrisChain = {nullptr, nullptr};

namespace {

constexpr int32_t kFragmentLife = 15;  // animation cycles per stage
constexpr int32_t kSparkLife = 3;

void MakeParticle(int32_t x, int32_t y, int32_t dx, int32_t dy, int32_t stage, int32_t kind) {
    Debris* debris = static_cast<Debris*>(GameAlloc(sizeof(Debris)));
    if (!debris) return;  // out of memory: this particle is skipped
    ConstructDebris(debris, x, y, dx, dy, stage, kind);
}

}  // namespace

Debris* ConstructDebris(Debris* debris, int32_t x, int32_t y, int32_t dx, int32_t dy, int32_t stage, int32_t kind) {
    ConstructSprite(&debris->sprite);
    JoinChain(DebrisChain, debris);
    debris->sprite.state = 0;
    debris->kind = kind;
    debris->sprite.image = SpritesImage;
    debris->lifeReload = kind == DEBRIS_FRAGMENT ? kFragmentLife : kSparkLife;
    debris->life = debris->lifeReload;
    debris->frame = 0;
    debris->stage = stage;
    SelectDebrisFrame(debris);
    // The given point is the particle's centre.
    debris->sprite.x = x - (int32_t)debris->sprite.w / 2;
    debris->sprite.y = y - (int32_t)debris->sprite.h / 2;
    debris->dx = dx;
    debris->dy = dy;
    debris->link = JoinMainLayer(debris);
    return debris;
}

// Picks the source square for the kind, stage and frame. The position is left
// alone, so a particle that shrinks keeps its top-left corner.
void SelectDebrisFrame(Debris* debris) {
    int32_t index = debris->stage - 1;
    if (index < 0) index = 0;  // stages outside 1 .. 4 never reach here; stay inside the tables
    if (index > 3) index = 3;
    const AtlasStrip& strip = debris->kind == DEBRIS_FRAGMENT ? FRAGMENT_FRAMES[index] : SPARK_FRAMES[index];
    CutFrame(&debris->sprite, strip, debris->frame);
    debris->sprite.w = (uint32_t)strip.w;
    debris->sprite.h = (uint32_t)strip.h;
}

void AnimateDebris(Debris* debris) {
    debris->frame = debris->frame + 1;
    if (debris->frame > 3) debris->frame = 0;
    SelectDebrisFrame(debris);
}

void UpdateDebris(Debris* debris) {
    // Ageing happens once per animation cycle, on its last frame.
    if (debris->frame == 3) {
        debris->life = debris->life - 1;
        if (debris->life < 1) {
            debris->stage = debris->stage - 1;
            if (debris->stage < 1) {
                DestroyInChain(DebrisChain, debris);
                return;
            }
            if (debris->kind == DEBRIS_SPARK) {
                // Each jitter is -1, 0 or +1 (chances 2, 3 and 1 in 6).
                debris->dx = debris->dx + (RandomMod(6) - 3) / 2;
                debris->dy = debris->dy + (RandomMod(6) - 3) / 2;
            }
            debris->life = debris->lifeReload;
        }
    }
    // Drift with the scenery besides the particle's own velocity.
    debris->sprite.x = debris->sprite.x + TheShip->sideSpeed + debris->dx;
    debris->sprite.y = debris->sprite.y + TheShip->speed / 3 + debris->dy;
    const int32_t x = debris->sprite.x, y = debris->sprite.y;
    if (y < 0 || y > 768 || x < 0 || x > 1024) DestroyInChain(DebrisChain, debris);
}

// Long-lived fragments that carry the given velocity, give or take a little;
// none of them is ever at rest.
void FragmentBurst(int32_t x, int32_t y, int32_t dx, int32_t dy) {
    for (int32_t ring = 1; ring <= 4; ++ring) {
        const int32_t count = (2 + RandomMod(3)) / ring + 1;
        for (int32_t i = 0; i < count; ++i) {
            int32_t pdx, pdy;
            do {
                pdx = dx - 3 + RandomMod(6);
                pdy = dy - 3 + RandomMod(6);
            } while (pdx == 0 && pdy == 0);
            MakeParticle(x, y, pdx, pdy, ring, DEBRIS_FRAGMENT);
        }
    }
}

// Short-lived sparks scattered around the point with random velocities.
void SparkBurst(int32_t x, int32_t y) {
    for (int32_t ring = 1; ring <= 4; ++ring) {
        const int32_t count = (3 + RandomMod(7)) / ring + 1;
        for (int32_t i = 0; i < count; ++i) {
            int32_t pdx, pdy, ox, oy;
            do {
                pdx = RandomMod(12) - 6;
                pdy = RandomMod(12) - 6;
                ox = RandomMod(12) - 6;
                oy = RandomMod(12) - 6;
            } while (pdx == 0 && pdy == 0);
            MakeParticle(x + ox, y + oy, pdx, pdy, ring, DEBRIS_SPARK);
        }
    }
}

void UpdateAllDebris() {
    for (Debris* debris = DebrisChain.oldest; debris;) {
        Debris* next = debris->next;  // the update may free this particle
        AnimateDebris(debris);
        UpdateDebris(debris);
        debris = next;
    }
}
