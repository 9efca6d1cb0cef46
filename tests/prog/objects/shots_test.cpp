// Shots: volleys by weapon bits, missiles, auto-fire, hits and scoring, sway,
// movement, blasts and leaving the screen.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>

#include "tests/support/world.h"

namespace {

struct ShotsTest : WorldFixture {
    void SetUp() override {
        WorldFixture::SetUp();
        ShipPlaying(500, 400, 9, 0);  // speed 9: a third is 3
    }
    // Centre of a shot's box.
    static int32_t CX(const Shot* s) { return s->sprite.x + (int32_t)s->sprite.w / 2; }
    static int32_t CY(const Shot* s) { return s->sprite.y + (int32_t)s->sprite.h / 2; }
};

// kind power srcX srcY w h x y dx dy swayStep swayLimit
using Row = std::array<int32_t, 12>;
Row Read(const Shot* s) {
    return {s->kind,     s->power,    s->sprite.srcX, s->sprite.srcY, (int32_t)s->sprite.w, (int32_t)s->sprite.h,
            s->sprite.x, s->sprite.y, s->dx,          s->dy,          s->swayStep,          s->swayLimit};
}

// With the ship at (500, 400), 18 x 25. The unit b is 2, or 4 with the fast
// bit (in 0x3F): velocity -2 b less a third of the speed, spread dx -b / 2 and b / 2.
TEST_F(ShotsTest, VolleysByWeaponBits) {
    struct Want {
        int32_t kind, cx, cy, dx, vy, step, limit;
    };
    struct Case {
        int32_t weapons;
        std::vector<Want> shots;
    } cases[] = {
        {0, {{SHOT_PLAIN, 496, 400, 0, -4, 0, 0}, {SHOT_PLAIN, 522, 400, 0, -4, 0, 0}}},
        {0x3F,
         {
             {SHOT_BIG, 500 - 18 - 4, 400, -2, -8, 0, 0},   // spread, left
             {SHOT_BIG, 500 + 36 + 4, 400, 2, -8, 0, 0},    // spread, right
             {SHOT_BIG, 500 + 9, 400 - 25, 0, -8, 0, 0},    // nose
             {SHOT_BIG, 500 - 18, 400 + 25, 0, -8, -1, 6},  // wing, left: swerves outwards first
             {SHOT_BIG, 500 + 36, 400 + 25, 0, -8, 1, 6},   // wing, right
             {SHOT_BIG, 500 - 4, 400, 0, -8, 1, 6},         // main, left: swerves inwards first
             {SHOT_BIG, 500 + 18 + 4, 400, 0, -8, -1, 6},   // main, right
         }},
        {WEAPON_SPREAD,
         {{SHOT_PLAIN, 478, 400, -1, -4, 0, 0},
          {SHOT_PLAIN, 540, 400, 1, -4, 0, 0},
          {SHOT_PLAIN, 496, 400, 0, -4, 0, 0},
          {SHOT_PLAIN, 522, 400, 0, -4, 0, 0}}},
    };
    for (const Case& c : cases) {
        FireWeapons(c.weapons);
        std::vector<Shot*> s = Items(ShotChain);
        ASSERT_EQ(s.size(), c.shots.size()) << "weapons " << c.weapons;
        for (size_t i = 0; i < s.size(); ++i) {
            SCOPED_TRACE(testing::Message() << "weapons " << c.weapons << " shot " << i);
            const Want& w = c.shots[i];
            const bool big = w.kind == SHOT_BIG;
            const int32_t width = big ? 4 : 6, height = big ? 20 : 6;
            EXPECT_EQ(Read(s[i]), (Row{w.kind, big ? 3 : 1, big ? 0 : 8, 88, width, height, w.cx - width / 2,
                                       w.cy - height / 2, w.dx, w.vy - 3, w.step, w.limit}));
            EXPECT_EQ(s[i]->sprite.state, 0);
            EXPECT_EQ(s[i]->sprite.image, SpritesImage);
            EXPECT_TRUE(Drawn(s[i]));
        }
        ClearChains();
    }
}

TEST_F(ShotsTest, VolleyAllocationFailuresLeaveOutOnlyThatShot) {
    GameAllocFailAt(1);  // first shot's record
    FireWeapons(0);
    std::vector<Shot*> s = Items(ShotChain);
    ASSERT_EQ(s.size(), 1u);
    EXPECT_EQ(CX(s[0]), 522);
    ClearChains();
    GameAllocFailAt(2);  // first shot's link
    FireWeapons(0);
    s = Items(ShotChain);
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0]->link, nullptr);
    EXPECT_FALSE(Drawn(s[0]));
    EXPECT_TRUE(Drawn(s[1]));
}

// A missile costs one even when it cannot be allocated; with none left nothing happens.
TEST_F(ShotsTest, Missiles) {
    TheShip->missiles = 2;
    GameAllocFailAt(1);
    FireWeapons(FIRE_MISSILE);
    EXPECT_EQ(TheShip->missiles, 1);
    EXPECT_EQ(ShotChain.oldest, nullptr);

    FireWeapons(FIRE_MISSILE);
    EXPECT_EQ(TheShip->missiles, 0);
    std::vector<Shot*> s = Items(ShotChain);
    ASSERT_EQ(s.size(), 1u);
    // Centred on (x + w / 2, y), power 2, -2 up less a third of the speed.
    EXPECT_EQ(Read(s[0]), (Row{SHOT_MISSILE, 2, 8, 94, 7, 14, 509 - 3, 400 - 7, 0, -2 - 3, 0, 0}));

    FireWeapons(FIRE_MISSILE);
    EXPECT_EQ(TheShip->missiles, 0);
    EXPECT_EQ(Count(ShotChain), 1u);
}

// The count runs only while firing and carries over between presses; every
// tenth tick fires the ship's weapons, except while the ship is down.
TEST_F(ShotsTest, AutoFireEveryTenTicks) {
    TheShip->firing = 1;
    fireTicks = 0;
    for (int i = 1; i <= 9; ++i) UpdateShots();
    EXPECT_EQ(Count(ShotChain), 0u);
    UpdateShots();
    EXPECT_EQ(fireTicks, 0);
    std::vector<Shot*> s = Items(ShotChain);
    ASSERT_EQ(s.size(), 2u);
    // Made in this tick and already moved once by the same walk: the shot
    // climbs 4 a tick over the screen while the speeds stay.
    EXPECT_EQ(CY(s[0]), 400 - 4);
    EXPECT_EQ(s[0]->animFrame, 1);
    ClearChains();
    TheShip->weapons = WEAPON_NOSE | WEAPON_BIG;
    for (int i = 0; i < 6; ++i) UpdateShots();
    TheShip->firing = 0;
    for (int i = 0; i < 20; ++i) UpdateShots();
    EXPECT_EQ(fireTicks, 6);
    TheShip->firing = 1;
    for (int i = 0; i < 4; ++i) UpdateShots();
    s = Items(ShotChain);
    ASSERT_EQ(s.size(), 3u);
    EXPECT_EQ(s[0]->kind, SHOT_BIG);
    ClearChains();
    TheShip->mode = SHIP_DOWN;
    for (int i = 1; i <= 10; ++i) UpdateShots();
    EXPECT_EQ(Count(ShotChain), 0u);
    EXPECT_EQ(fireTicks, 0);  // the count still resets
    TheShip->mode = SHIP_READY;
    for (int i = 1; i <= 10; ++i) UpdateShots();
    EXPECT_EQ(Count(ShotChain), 3u);
}

TEST_F(ShotsTest, SwayRunsBetweenPlusAndMinusLimit) {
    StillScenery();
    Shot* s = MakeShot(500, 400, 0, 0, SHOT_PLAIN, 1, 6);
    const int want[] = {1, 2, 3, 4, 5, 6, 5, 4, 3, 2, 1, 0, -1, -2, -3, -4, -5, -6, -5, -4, -3, -2, -1, 0, 1, 2};
    int32_t x = s->sprite.x;
    for (int w : want) {
        Update(s);
        ASSERT_EQ(s->dx, w);
        x += w;
        ASSERT_EQ(s->sprite.x, x);
    }
}

// A shot remembers the side speed it was made at and follows only changes of it.
TEST_F(ShotsTest, MoveFollowsChangesOfTheScenery) {
    TheShip->sideSpeed = 2;
    Shot* s = MakeShot(500, 400, 1, -4, SHOT_PLAIN);  // made at speed 9, side 2
    const int32_t x = s->sprite.x, y = s->sprite.y;
    Update(s);
    EXPECT_EQ(s->sprite.x, x + 1);  // exactly the requested velocity
    EXPECT_EQ(s->sprite.y, y - 4);
    TheShip->sideSpeed = -3;
    TheShip->speed = 15;  // a third: 5
    Update(s);
    EXPECT_EQ(s->sprite.x, x + 1 + (-3 - 2) + 1);
    EXPECT_EQ(s->sprite.y, y - 4 + 5 + (-4 - 3));
}

// y 0 and 768 stay, one beyond goes; x is never tested.
TEST_F(ShotsTest, ScreenEdgesForShots) {
    StillScenery();
    struct Case {
        int32_t x, y;
        bool stays;
    } cases[] = {{500, 0, true},    {500, 768, true},  {500, -1, false},
                 {500, 769, false}, {1500, 400, true}, {-700, 400, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        Shot* s = MakeShot(500, 400, 0, 0, SHOT_PLAIN);
        s->sprite.x = c.x;
        s->sprite.y = c.y;
        Update(s);
        EXPECT_EQ(ShotChain.oldest != nullptr, c.stays);
        ClearChains();
    }
}

// One shot on one enemy: what the enemy loses, what the ship scores, what is
// left of the shot. Hostiles only; a missile is spent by any hit.
TEST_F(ShotsTest, HitsByKind) {
    StillScenery();
    struct Case {
        const char* what;
        int32_t enemyKind, hp, shotKind, hpAfter, score, kindAfter, powerAfter;  // kindAfter -1: gone
    } cases[] = {
        {"plain on 3", ENEMY_TRACKER, 3, SHOT_PLAIN, 2, 0, -1, 0},
        {"big passes through a weak enemy", ENEMY_TRACKER, 1, SHOT_BIG, 0, 250, SHOT_BIG, 2},
        {"a riser costs points", ENEMY_RISER, 1, SHOT_PLAIN, 0, -250, -1, 0},
        {"power-up is not hit", ENEMY_POWERUP, 1, SHOT_PLAIN, 1, 0, SHOT_PLAIN, 1},
        {"banner is not hit", ENEMY_BANNER, 1, SHOT_PLAIN, 1, 0, SHOT_PLAIN, 1},
        {"missile on 1 becomes a blast", ENEMY_TRACKER, 1, SHOT_MISSILE, 0, 250, SHOT_BLAST, 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Enemy* e = MakeEnemy(500, 420, c.enemyKind);
        e->sprite.x = 490;
        e->sprite.y = 400;
        e->hitPoints = c.hp;
        MakeShot(500, 410, 0, 0, c.shotKind);
        TheShip->score = 0;
        UpdateShots();
        EXPECT_EQ(e->hitPoints, c.hpAfter);
        EXPECT_EQ(TheShip->score, c.score);
        EXPECT_EQ(EnemyChain.oldest, e);  // it leaves at its own next update
        if (c.kindAfter < 0) {
            EXPECT_EQ(ShotChain.oldest, nullptr);
        } else {
            ASSERT_EQ(Count(ShotChain), 1u);
            EXPECT_EQ(ShotChain.oldest->kind, c.kindAfter);
            EXPECT_EQ(ShotChain.oldest->power, c.powerAfter);
        }
        ClearChains();
    }
}

TEST_F(ShotsTest, OneShotHitsSeveralEnemiesUntilSpent) {
    StillScenery();
    Enemy* a = MakeEnemy(500, 420, ENEMY_TRACKER);
    Enemy* b = MakeEnemy(505, 425, ENEMY_DIVER);
    Enemy* c = MakeEnemy(500, 420, ENEMY_TRACKER);
    Enemy* d = MakeEnemy(500, 430, ENEMY_HEAVY);
    MakeShot(500, 410, 0, 0, SHOT_BIG);  // power 3
    UpdateShots();
    EXPECT_EQ(a->hitPoints, 0);
    EXPECT_EQ(b->hitPoints, 0);
    EXPECT_EQ(c->hitPoints, 0);   // takes the last point of power
    EXPECT_EQ(d->hitPoints, 15);  // a spent shot deals no damage
    EXPECT_EQ(TheShip->score, 250 + 175 + 250);
    EXPECT_EQ(ShotChain.oldest, nullptr);
}

TEST_F(ShotsTest, TwoShotsInOneTickCreditTwice) {
    StillScenery();
    Enemy* e = MakeEnemy(500, 420, ENEMY_DIVER);  // 175 points
    MakeShot(498, 414, 0, 0, SHOT_PLAIN);
    MakeShot(502, 414, 0, 0, SHOT_PLAIN);
    UpdateShots();
    EXPECT_EQ(e->hitPoints, 0);
    EXPECT_EQ(TheShip->score, 2 * 175);
}

TEST_F(ShotsTest, MissileTurnsIntoABlast) {
    Enemy* e = MakeEnemy(500, 420, ENEMY_HEAVY);
    e->hitPoints = 5;
    Update(MakeShot(500, 405, 0, -2, SHOT_MISSILE));
    EXPECT_EQ(e->hitPoints, 3);  // the missile's power, 2
    EXPECT_EQ(TheShip->score, 0);
    std::vector<Shot*> s = Items(ShotChain);
    ASSERT_EQ(s.size(), 1u);
    // Centred where the missile was after its move, (500, 405 - 2); ten
    // updates to live.
    EXPECT_EQ(Read(s[0]), (Row{SHOT_BLAST, 20, 22, 94, 120, 120, 500 - 60, 403 - 60, 0, 0 - 3, 0, 10}));
}

// No blast without memory for it, nor for a missile that leaves the screen.
TEST_F(ShotsTest, MissileWithoutABlast) {
    StillScenery();
    MakeEnemy(500, 420, ENEMY_HEAVY);
    Shot* m = MakeShot(500, 405, 0, 0, SHOT_MISSILE);
    GameAllocFailAt(1);
    Update(m);
    EXPECT_EQ(ShotChain.oldest, nullptr);
    Update(MakeShot(500, 10, 0, -20, SHOT_MISSILE));
    EXPECT_EQ(ShotChain.oldest, nullptr);
}

// Each update draws r1, then r2, then one spark burst at (x + r1 + 1, y + r2 + 1)
// of the blast's box, which stands still; the tenth update ends it.
TEST_F(ShotsTest, BlastStandsStillAndEmitsExactlyTenBursts) {
    Shot* b = MakeShot(400, 300, 0, 0, SHOT_BLAST);  // corner (340, 240)
    std::vector<Particle> want;
    srand(4242);
    for (int i = 0; i < 10; ++i) {
        const int r1 = rand() % 120, r2 = rand() % 120;
        PredictSparkBurst(want, 340 + r1 + 1, 240 + r2 + 1);
    }
    srand(4242);
    for (int i = 0; i < 10; ++i) {
        ASSERT_EQ(ShotChain.oldest, b) << "update " << i + 1;
        EXPECT_EQ(b->sprite.x, 340);
        EXPECT_EQ(b->sprite.y, 240);
        UpdateShots();
    }
    EXPECT_EQ(ShotChain.oldest, nullptr);
    UpdateShots();
    EXPECT_EQ(Particles(), want);
}

TEST_F(ShotsTest, BlastHurtsEverythingInItsBoxUntilSpent) {
    StillScenery();
    Enemy* heavy = MakeEnemy(400, 300, ENEMY_HEAVY);  // 15
    Enemy* diver = MakeEnemy(380, 280, ENEMY_DIVER);  // 1
    Enemy* heavy2 = MakeEnemy(420, 320, ENEMY_HEAVY);
    Shot* b = MakeShot(400, 300, 0, 0, SHOT_BLAST);
    Update(b);
    EXPECT_EQ(heavy->hitPoints, 0);
    EXPECT_EQ(diver->hitPoints, 0);
    EXPECT_EQ(heavy2->hitPoints, 11);  // the 4 that were left
    EXPECT_EQ(b->power, 0);
    EXPECT_EQ(TheShip->score, 500 + 175);
    EXPECT_EQ(ShotChain.oldest, b);  // spent, but a blast runs out its ten ticks
}

// The blast joins at the newest end, so the walk that made it reaches it too,
// unless the missile was the newest shot.
TEST_F(ShotsTest, BlastLeftByAMissileIsReachedByTheSameWalkUnlessNewest) {
    StillScenery();
    MakeEnemy(500, 420, ENEMY_HEAVY);
    MakeShot(500, 405, 0, 0, SHOT_MISSILE);
    Shot* other = MakeShot(100, 405, 0, 0, SHOT_PLAIN);
    UpdateShots();
    std::vector<Shot*> s = Items(ShotChain);
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0], other);
    EXPECT_EQ(s[1]->kind, SHOT_BLAST);
    EXPECT_EQ(s[1]->swayLimit, 9);  // already updated once
    ClearChains();

    MakeEnemy(500, 420, ENEMY_HEAVY);
    MakeShot(500, 405, 0, 0, SHOT_MISSILE);
    UpdateShots();
    ASSERT_EQ(Count(ShotChain), 1u);
    EXPECT_EQ(ShotChain.oldest->swayLimit, 10);
}

TEST_F(ShotsTest, AnimateAlternatesFrames) {
    struct Case {
        int32_t kind, srcX0, srcX1;
    } cases[] = {{SHOT_PLAIN, 8, 14}, {SHOT_BIG, 0, 4}, {SHOT_MISSILE, 8, 15}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        Shot* s = MakeShot(500, 400, 0, 0, c.kind);
        for (int f : {1, 0, 1}) {
            Animate(s);
            EXPECT_EQ(s->animFrame, f);
            EXPECT_EQ(s->sprite.srcX, f ? c.srcX1 : c.srcX0);
        }
    }
}

}  // namespace
