// The Ship and Enemy records, read by every game object, with the enemy chain.
#pragma once
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "interface/scene.h"
#include "prog/core/atlas.h"
#include "prog/objects/chain.h"

// Ship modes; each is also the column of the ship's pictures that shows it.
constexpr int32_t SHIP_PLAYING = SHIP_COLUMN_PLAYING;
constexpr int32_t SHIP_READY = SHIP_COLUMN_READY;
constexpr int32_t SHIP_DOWN = SHIP_COLUMN_DOWN;
constexpr int32_t SHIP_RESET = SHIP_COLUMN_RESET;
constexpr int32_t SHIP_ENTERING = SHIP_COLUMN_ENTERING;

// Enemy kinds; 1 to 4 are hostile.
constexpr int32_t ENEMY_RISER = 1;
constexpr int32_t ENEMY_DIVER = 2;
constexpr int32_t ENEMY_TRACKER = 3;
constexpr int32_t ENEMY_HEAVY = 4;
constexpr int32_t ENEMY_POWERUP = 5;
constexpr int32_t ENEMY_BANNER = 6;

struct Ship {
    Sprite sprite;
    int32_t sideSpeed;
    int32_t weapons;
    int32_t missiles;
    int32_t score;
    int32_t firing;
    int32_t speed;
    int32_t mode;
    int32_t animFrame;
    int32_t readyTicks;
    int32_t hitPoints;
    int32_t maxHitPoints;
    SpriteLink* link;
};

struct Enemy {
    Sprite sprite;
    Enemy* next;
    Enemy* prev;
    int32_t dx;
    int32_t dy;
    int32_t swayStep;
    int32_t timer;
    int32_t points;
    int32_t bursts;
    int32_t kind;
    int32_t frame;
    int32_t lastFrame;
    int32_t hitPoints;
    SpriteLink* link;
};

static_assert(std::is_standard_layout<Ship>::value && offsetof(Ship, sprite) == 0, "Ship starts with its Sprite");
static_assert(std::is_standard_layout<Enemy>::value && offsetof(Enemy, sprite) == 0, "Enemy starts with its Sprite");

extern Chain<Enemy> EnemyChain;
extern int32_t enemyAnimMs;

// Ship (ship.cpp).
Ship* ConstructShip(Ship* ship);
void ResetShip(Ship* ship);
void TickShip(Ship* ship);
void SelectShipFrame(Ship* ship);
int32_t DamageShip(Ship* ship, int32_t amount);
void CheckCollisions(Ship* ship);

// Enemies (enemies.cpp).
Enemy* ConstructEnemy(Enemy* enemy, int32_t x, int32_t y, int32_t kind);
void UnlinkEnemy(Enemy* enemy);  // leaves the chain and the draw list; caller frees
int32_t DamageEnemy(Enemy* enemy, int32_t amount);
void AnimateEnemy(Enemy* enemy);
void UpdateEnemy(Enemy* enemy);  // may destroy the enemy
void Explode(Enemy* enemy);
void UpdateEnemies(int32_t ms);
void SpawnEnemy();
void KillAllEnemies();
