// The Ship and Enemy records and the enemy's damage rule.
#include <gtest/gtest.h>

#include <cstddef>

#include "tests/support/world.h"

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

// Returns the hit points held before, floors at 0, and never destroys.
TEST_F(EnemyDamage, ReturnsOldHitPointsAndFloorsAtZero) {
    struct Case {
        int32_t hp, amount, returned, left;
    } cases[] = {{2, 3, 2, 0}, {15, 1000, 15, 0}, {15, 0, 15, 15}, {15, 1, 15, 14}, {14, 14, 14, 0}, {0, 5, 0, 0}};
    Enemy* e = MakeEnemy(100, 100, ENEMY_HEAVY);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.hp << " less " << c.amount);
        e->hitPoints = c.hp;
        EXPECT_EQ(TakeDamage(e, c.amount), c.returned);
        EXPECT_EQ(e->hitPoints, c.left);
    }
    EXPECT_EQ(EnemyChain.oldest, e);
    EXPECT_TRUE(Drawn(e));
}

}  // namespace
