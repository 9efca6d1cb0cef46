// Debris particles: fragments and sparks that drift, shrink and vanish.
#pragma once
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "interface/scene.h"
#include "prog/objects/chain.h"

constexpr int32_t DEBRIS_FRAGMENT = 1;
constexpr int32_t DEBRIS_SPARK = 2;

struct Debris {
    Sprite sprite;
    Debris* next;
    Debris* prev;
    int32_t dx;
    int32_t dy;
    int32_t stage;
    int32_t kind;
    int32_t frame;
    int32_t life;
    int32_t lifeReload;
    SpriteLink* link;
};
static_assert(std::is_standard_layout<Debris>::value && offsetof(Debris, sprite) == 0, "Debris starts with its Sprite");

extern Chain<Debris> DebrisChain;

Debris* ConstructDebris(Debris* debris, int32_t x, int32_t y, int32_t dx, int32_t dy, int32_t stage, int32_t kind);
void SelectDebrisFrame(Debris* debris);
void AnimateDebris(Debris* debris);
void UpdateDebris(Debris* debris);  // may destroy the particle
void FragmentBurst(int32_t x, int32_t y, int32_t dx, int32_t dy);
void SparkBurst(int32_t x, int32_t y);
void UpdateAllDebris();
