// The Ship and Enemy records and the enemy's damage rule.
#include <gtest/gtest.h>

#include <cstddef>

#include "world_fixture.h"

namespace {

// The records keep their fields in this order after the Sprite header.
static_assert(offsetof(Enemy, next) < offsetof(Enemy, prev) && offsetof(Enemy, prev) < offsetof(Enemy, dx) &&
                  offsetof(Enemy, timer) < offsetof(Enemy, points) &&
                  offsetof(Enemy, hitPoints) < offsetof(Enemy, link),
              "Enemy field order");
static_assert(offsetof(Ship, sideSpeed) == sizeof(Sprite) && offsetof(Ship, speed) < offsetof(Ship, mode) &&
                  offsetof(Ship, maxHitPoints) < offsetof(Ship, link),
              "Ship field order");

struct EnemyDamage : WorldFixture {};

TEST_F(EnemyDamage, MoreThanLeftReturnsOldAndFloorsAtZero) {
    Enemy* e = MakeEnemy(100, 100, ENEMY_TRACKER);
    e->hitPoints = 2;
    EXPECT_EQ(TakeDamage(e, 3), 2);
    EXPECT_EQ(e->hitPoints, 0);
}

TEST_F(EnemyDamage, ThousandOnHeavy) {
    Enemy* e = MakeEnemy(100, 100, ENEMY_HEAVY);
    ASSERT_EQ(e->hitPoints, 15);
    EXPECT_EQ(TakeDamage(e, 1000), 15);
    EXPECT_EQ(e->hitPoints, 0);
}

TEST_F(EnemyDamage, ZeroChangesNothing) {
    Enemy* e = MakeEnemy(100, 100, ENEMY_HEAVY);
    EXPECT_EQ(TakeDamage(e, 0), 15);
    EXPECT_EQ(e->hitPoints, 15);
}

TEST_F(EnemyDamage, PartialDamageAndDamageAtZero) {
    Enemy* e = MakeEnemy(100, 100, ENEMY_HEAVY);
    EXPECT_EQ(TakeDamage(e, 1), 15);
    EXPECT_EQ(e->hitPoints, 14);
    EXPECT_EQ(TakeDamage(e, 14), 14);
    EXPECT_EQ(e->hitPoints, 0);
    EXPECT_EQ(TakeDamage(e, 5), 0);  // never below 0
    EXPECT_EQ(e->hitPoints, 0);
}

TEST_F(EnemyDamage, NeverDestroysByItself) {
    Enemy* e = MakeEnemy(100, 100, ENEMY_TRACKER);
    TakeDamage(e, 1000);
    EXPECT_EQ(EnemyChain.oldest, e);
    EXPECT_TRUE(Drawn(e));
}

}  // namespace
