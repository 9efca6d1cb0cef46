// Everything the player fires: shots, missiles and blasts.
#pragma once
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "interface/scene.h"
#include "prog/objects/chain.h"

constexpr int32_t SHOT_PLAIN = 1;
constexpr int32_t SHOT_MISSILE = 2;
constexpr int32_t SHOT_BIG = 3;
constexpr int32_t SHOT_BLAST = 20;

constexpr int32_t WEAPON_FAST = 0x01;
constexpr int32_t WEAPON_WAVE = 0x02;
constexpr int32_t WEAPON_BIG = 0x04;
constexpr int32_t WEAPON_SPREAD = 0x08;
constexpr int32_t WEAPON_WINGS = 0x10;
constexpr int32_t WEAPON_NOSE = 0x20;
constexpr int32_t FIRE_MISSILE = 255;

struct Shot {
    Sprite sprite;
    Shot* next;
    Shot* prev;
    int32_t dx;
    int32_t dy;
    int32_t swayStep;
    int32_t swayLimit;
    int32_t baseSide;
    int32_t kind;
    int32_t animFrame;
    int32_t power;
    SpriteLink* link;
};
static_assert(std::is_standard_layout<Shot>::value && offsetof(Shot, sprite) == 0, "Shot starts with its Sprite");

extern Chain<Shot> ShotChain;
extern int32_t fireTicks;

Shot* ConstructShot(Shot* shot, int32_t centreX, int32_t centreY, int32_t dx, int32_t vy, int32_t kind,
                    int32_t swayStep = 0, int32_t swayLimit = 0);
void FireWeapons(int32_t weapons);
void UpdateShots();
void AnimateShot(Shot* shot);
void SelectShotFrame(Shot* shot);
void Spend(Shot* shot, int32_t amount);
void UpdateShot(Shot* shot);  // may destroy the shot
void DestroyAllShots();
