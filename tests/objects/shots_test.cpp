// Shots: volleys by weapon bits, missiles, auto-fire, hits and scoring, sway,
// movement, blasts and leaving the screen.
#include <gtest/gtest.h>

#include <cstdlib>

#include "world_fixture.h"

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

TEST_F(ShotsTest, VolleyWithNoWeaponBits) {
    FireWeapons(0);
    std::vector<Shot*> s = Items(ShotChain);
    ASSERT_EQ(s.size(), 2u);
    // (x - 4, y) and (x + w + 4, y) with the ship at (500, 400), 18 x 25.
    EXPECT_EQ(CX(s[0]), 496);
    EXPECT_EQ(CY(s[0]), 400);
    EXPECT_EQ(CX(s[1]), 522);
    EXPECT_EQ(CY(s[1]), 400);
    for (Shot* shot : s) {
        EXPECT_EQ(shot->kind, SHOT_PLAIN);
        EXPECT_EQ(shot->power, 1);
        EXPECT_EQ(shot->sprite.w, 6u);
        EXPECT_EQ(shot->sprite.h, 6u);
        EXPECT_EQ(shot->sprite.x, CX(shot) - 3);
        EXPECT_EQ(shot->sprite.srcX, 8);
        EXPECT_EQ(shot->sprite.srcY, 88);
        EXPECT_EQ(shot->dx, 0);
        EXPECT_EQ(shot->dy, -4 - 3);  // requested -4, less a third of the speed
        EXPECT_EQ(shot->swayStep, 0);
        EXPECT_EQ(shot->swayLimit, 0);
        EXPECT_EQ(shot->baseSide, 0);
        EXPECT_EQ(shot->sprite.state, 0);
        EXPECT_EQ(shot->sprite.image, SpritesImage);
        EXPECT_TRUE(Drawn(shot));
    }
}

TEST_F(ShotsTest, VolleyWithAllSixBits) {
    FireWeapons(0x3F);
    std::vector<Shot*> s = Items(ShotChain);
    ASSERT_EQ(s.size(), 7u);
    struct Want {
        int32_t cx, cy, dx, step;
    } want[7] = {
        {500 - 18 - 4, 400, -2, 0},   // spread, left
        {500 + 36 + 4, 400, 2, 0},    // spread, right
        {500 + 9, 400 - 25, 0, 0},    // nose
        {500 - 18, 400 + 25, 0, -1},  // wing, left: swerves outwards first
        {500 + 36, 400 + 25, 0, 1},   // wing, right
        {500 - 4, 400, 0, 1},         // main, left: swerves inwards first
        {500 + 18 + 4, 400, 0, -1},   // main, right
    };
    for (int i = 0; i < 7; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(s[i]->kind, SHOT_BIG);
        EXPECT_EQ(s[i]->power, 3);
        EXPECT_EQ(s[i]->sprite.w, 4u);
        EXPECT_EQ(s[i]->sprite.h, 20u);
        EXPECT_EQ(s[i]->sprite.x, want[i].cx - 2);
        EXPECT_EQ(s[i]->sprite.y, want[i].cy - 10);
        EXPECT_EQ(s[i]->dx, want[i].dx);
        EXPECT_EQ(s[i]->dy, -8 - 3);
        EXPECT_EQ(s[i]->swayStep, want[i].step);
        EXPECT_EQ(s[i]->swayLimit, i >= 3 ? 6 : 0);
    }
}

TEST_F(ShotsTest, FastAloneDoublesTheSpeedUnit) {
    FireWeapons(WEAPON_FAST | WEAPON_SPREAD);
    std::vector<Shot*> s = Items(ShotChain);
    ASSERT_EQ(s.size(), 4u);
    EXPECT_EQ(s[0]->dx, -2);
    EXPECT_EQ(s[1]->dx, 2);
    EXPECT_EQ(s[0]->kind, SHOT_PLAIN);
    EXPECT_EQ(s[0]->dy, -8 - 3);
    ClearChains();
    FireWeapons(WEAPON_SPREAD);
    s = Items(ShotChain);
    EXPECT_EQ(s[0]->dx, -1);
    EXPECT_EQ(s[1]->dx, 1);
    EXPECT_EQ(s[0]->dy, -4 - 3);
}

TEST_F(ShotsTest, ShotRemembersSideSpeed) {
    TheShip->sideSpeed = -7;
    TheShip->speed = 10;
    FireWeapons(0);
    Shot* s = ShotChain.oldest;
    EXPECT_EQ(s->baseSide, -7);
    EXPECT_EQ(s->dy, -4 - 3);
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

TEST_F(ShotsTest, MissileWithOneLeft) {
    TheShip->missiles = 1;
    FireWeapons(FIRE_MISSILE);
    EXPECT_EQ(TheShip->missiles, 0);
    std::vector<Shot*> s = Items(ShotChain);
    ASSERT_EQ(s.size(), 1u);
    EXPECT_EQ(s[0]->kind, SHOT_MISSILE);
    EXPECT_EQ(s[0]->power, 2);
    EXPECT_EQ(s[0]->sprite.w, 7u);
    EXPECT_EQ(s[0]->sprite.h, 14u);
    EXPECT_EQ(s[0]->sprite.srcX, 8);
    EXPECT_EQ(s[0]->sprite.srcY, 94);
    EXPECT_EQ(s[0]->sprite.x, 509 - 3);  // centred on (x + w / 2, y)
    EXPECT_EQ(s[0]->sprite.y, 400 - 7);
    EXPECT_EQ(s[0]->dx, 0);
    EXPECT_EQ(s[0]->dy, -2 - 3);
    EXPECT_EQ(s[0]->swayLimit, 0);
}

TEST_F(ShotsTest, MissileWithNoneLeft) {
    TheShip->missiles = 0;
    FireWeapons(FIRE_MISSILE);
    EXPECT_EQ(TheShip->missiles, 0);
    EXPECT_EQ(ShotChain.oldest, nullptr);
}

TEST_F(ShotsTest, MissileThatCannotBeAllocatedIsLost) {
    TheShip->missiles = 2;
    GameAllocFailAt(1);
    FireWeapons(FIRE_MISSILE);
    EXPECT_EQ(TheShip->missiles, 1);
    EXPECT_EQ(ShotChain.oldest, nullptr);
}

TEST_F(ShotsTest, AutoFireEveryTenTicks) {
    TheShip->firing = 1;
    fireTicks = 0;
    for (int i = 1; i <= 9; ++i) UpdateShots();
    EXPECT_EQ(Count(ShotChain), 0u);
    EXPECT_EQ(fireTicks, 9);
    UpdateShots();
    EXPECT_EQ(fireTicks, 0);
    std::vector<Shot*> s = Items(ShotChain);
    ASSERT_EQ(s.size(), 2u);
    // Made in this tick and already moved once by the same walk: the shot
    // climbs 4 a tick over the screen while the speeds stay.
    EXPECT_EQ(CY(s[0]), 400 - 4);
    EXPECT_EQ(s[0]->animFrame, 1);
    for (int i = 1; i <= 10; ++i) UpdateShots();
    EXPECT_EQ(Count(ShotChain), 4u);
}

TEST_F(ShotsTest, AutoFireUsesTheShipsWeapons) {
    TheShip->firing = 1;
    TheShip->weapons = WEAPON_NOSE | WEAPON_BIG;
    fireTicks = 9;
    UpdateShots();
    std::vector<Shot*> s = Items(ShotChain);
    ASSERT_EQ(s.size(), 3u);
    EXPECT_EQ(s[0]->kind, SHOT_BIG);
}

TEST_F(ShotsTest, NoAutoFireWhileDownButTheCountStillResets) {
    TheShip->firing = 1;
    TheShip->mode = SHIP_DOWN;
    fireTicks = 0;
    for (int i = 1; i <= 10; ++i) UpdateShots();
    EXPECT_EQ(Count(ShotChain), 0u);
    EXPECT_EQ(fireTicks, 0);
    TheShip->mode = SHIP_READY;  // ready: fires
    for (int i = 1; i <= 10; ++i) UpdateShots();
    EXPECT_EQ(Count(ShotChain), 2u);
}

TEST_F(ShotsTest, FireTicksCarryOverBetweenPresses) {
    TheShip->firing = 1;
    fireTicks = 0;
    for (int i = 0; i < 6; ++i) UpdateShots();
    TheShip->firing = 0;
    for (int i = 0; i < 20; ++i) UpdateShots();
    EXPECT_EQ(fireTicks, 6);
    TheShip->firing = 1;
    for (int i = 0; i < 4; ++i) UpdateShots();
    EXPECT_EQ(Count(ShotChain), 2u);
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

TEST_F(ShotsTest, ScreenEdgesForShots) {
    StillScenery();
    struct Case {
        int32_t y;
        bool stays;
    } cases[] = {{0, true}, {768, true}, {-1, false}, {769, false}};
    for (const Case& c : cases) {
        Shot* s = MakeShot(500, 400, 0, 0, SHOT_PLAIN);
        s->sprite.y = c.y;
        Update(s);
        EXPECT_EQ(ShotChain.oldest != nullptr, c.stays) << c.y;
        ClearChains();
    }
    Shot* s = MakeShot(500, 400, 0, 0, SHOT_PLAIN);
    s->sprite.x = 1500;
    Update(s);
    EXPECT_EQ(ShotChain.oldest, s);  // x is never tested
    s->sprite.x = -700;
    Update(s);
    EXPECT_EQ(ShotChain.oldest, s);
}

TEST_F(ShotsTest, PlainShotOnThreeHitPoints) {
    StillScenery();
    Enemy* e = MakeEnemy(500, 420, ENEMY_TRACKER);
    e->hitPoints = 3;
    MakeShot(500, 410, 0, 0, SHOT_PLAIN);
    UpdateShots();
    EXPECT_EQ(e->hitPoints, 2);
    EXPECT_EQ(TheShip->score, 0);
    EXPECT_EQ(ShotChain.oldest, nullptr);  // spent and removed
}

TEST_F(ShotsTest, BigShotPassesThroughAWeakEnemy) {
    StillScenery();
    Enemy* e = MakeEnemy(500, 420, ENEMY_TRACKER);  // 1 hit point, 250 points
    Shot* s = MakeShot(500, 410, 0, 0, SHOT_BIG);
    UpdateShots();
    EXPECT_EQ(e->hitPoints, 0);
    ASSERT_EQ(ShotChain.oldest, s);
    EXPECT_EQ(s->power, 2);
    EXPECT_EQ(TheShip->score, 250);
}

TEST_F(ShotsTest, OneShotHitsSeveralEnemies) {
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
    EXPECT_EQ(EnemyChain.oldest, e);  // it leaves at its own next update
}

TEST_F(ShotsTest, RiserKillCostsPoints) {
    StillScenery();
    Enemy* e = MakeEnemy(500, 0, ENEMY_RISER);
    e->sprite.y = 400;
    MakeShot(500, 405, 0, 0, SHOT_PLAIN);
    UpdateShots();
    EXPECT_EQ(TheShip->score, -250);
}

TEST_F(ShotsTest, PowerUpsAndBannerAreNotHit) {
    StillScenery();
    MakeBanner();
    Banner->sprite.y = 380;
    Enemy* p = MakeEnemy(500, 420, ENEMY_POWERUP);
    Shot* s = MakeShot(500, 410, 0, 0, SHOT_PLAIN);
    UpdateShots();
    EXPECT_EQ(p->hitPoints, 1);
    EXPECT_EQ(Banner->hitPoints, 1);
    EXPECT_EQ(ShotChain.oldest, s);
    EXPECT_EQ(s->power, 1);
}

TEST_F(ShotsTest, MissileTurnsIntoABlast) {
    Enemy* e = MakeEnemy(500, 420, ENEMY_HEAVY);
    e->hitPoints = 5;
    Shot* m = MakeShot(500, 405, 0, -2, SHOT_MISSILE);
    Update(m);
    EXPECT_EQ(e->hitPoints, 3);  // the missile's power, 2
    EXPECT_EQ(TheShip->score, 0);
    std::vector<Shot*> s = Items(ShotChain);
    ASSERT_EQ(s.size(), 1u);
    Shot* b = s[0];
    EXPECT_EQ(b->kind, SHOT_BLAST);
    EXPECT_EQ(b->power, 20);
    EXPECT_EQ(b->swayLimit, 10);
    EXPECT_EQ(b->sprite.w, 120u);
    EXPECT_EQ(b->sprite.h, 120u);
    EXPECT_EQ(b->sprite.srcW, 1);
    EXPECT_EQ(b->sprite.srcH, 1);
    EXPECT_EQ(b->sprite.srcX, 22);
    EXPECT_EQ(b->sprite.srcY, 94);
    // Centred where the missile was after its move: 405 - 2 over the screen.
    EXPECT_EQ(CX(b), 500);
    EXPECT_EQ(CY(b), 403);
    EXPECT_EQ(b->dx, 0);
    EXPECT_EQ(b->dy, 0 - 3);
}

TEST_F(ShotsTest, MissileIsSpentByOneHitOnAnything) {
    StillScenery();
    Enemy* e = MakeEnemy(500, 420, ENEMY_TRACKER);  // 1 hit point
    Shot* m = MakeShot(500, 405, 0, 0, SHOT_MISSILE);
    Update(m);
    EXPECT_EQ(e->hitPoints, 0);
    EXPECT_EQ(TheShip->score, 250);
    ASSERT_EQ(Count(ShotChain), 1u);
    EXPECT_EQ(ShotChain.oldest->kind, SHOT_BLAST);
}

TEST_F(ShotsTest, BlastStandsStillAndEmitsExactlyTenBursts) {
    Shot* b = MakeShot(400, 300, 0, 0, SHOT_BLAST);
    const int32_t x = b->sprite.x, y = b->sprite.y;
    // Each update draws r1, then r2, then one spark burst.
    std::vector<int> expectTotal;
    srand(4242);
    int total = 0;
    for (int i = 0; i < 12; ++i) {
        rand();
        rand();
        total += PredictSparkBurst();
        expectTotal.push_back(total);
    }
    srand(4242);
    for (int i = 0; i < 10; ++i) {
        ASSERT_EQ(ShotChain.oldest, b) << "update " << i + 1;
        UpdateShots();
        EXPECT_EQ((int)Count(DebrisChain), expectTotal[i]) << "update " << i + 1;
        if (i < 9) {
            EXPECT_EQ(b->sprite.x, x);
            EXPECT_EQ(b->sprite.y, y);
        }
    }
    EXPECT_EQ(ShotChain.oldest, nullptr);
    UpdateShots();
    EXPECT_EQ((int)Count(DebrisChain), expectTotal[9]);
}

TEST_F(ShotsTest, BlastBurstPointLiesInsideItsBox) {
    StillScenery();
    srand(55);
    MakeShot(400, 300, 0, 0, SHOT_BLAST);  // corner (340, 240)
    const int r1 = rand() % 120, r2 = rand() % 120;
    srand(55);
    Update(ShotChain.oldest);
    // The burst point is (x + r1 + 1, y + r2 + 1); its first spark lies at
    // that point plus the spark's own offset.
    Debris* d = DebrisChain.oldest;
    ASSERT_NE(d, nullptr);
    srand(55);
    rand();
    rand();
    rand();  // ring 1's count
    const SparkDraw first = DrawSpark();
    EXPECT_EQ(d->sprite.x + 2, 340 + r1 + 1 + first.ox);
    EXPECT_EQ(d->sprite.y + 2, 240 + r2 + 1 + first.oy);
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
    MakeShot(500, 405, 0, 0, SHOT_MISSILE);  // the newest shot
    UpdateShots();
    ASSERT_EQ(Count(ShotChain), 1u);
    EXPECT_EQ(ShotChain.oldest->swayLimit, 10);
}

TEST_F(ShotsTest, SpentMissileWithoutMemoryForItsBlast) {
    StillScenery();
    MakeEnemy(500, 420, ENEMY_HEAVY);
    Shot* m = MakeShot(500, 405, 0, 0, SHOT_MISSILE);
    GameAllocFailAt(1);
    Update(m);
    EXPECT_EQ(ShotChain.oldest, nullptr);
}

TEST_F(ShotsTest, MissileLeavingTheScreenMakesNoBlast) {
    StillScenery();
    Shot* m = MakeShot(500, 10, 0, -20, SHOT_MISSILE);
    Update(m);
    EXPECT_EQ(ShotChain.oldest, nullptr);
}

TEST_F(ShotsTest, AnimateAlternatesFrames) {
    Shot* s = MakeShot(500, 400, 0, 0, SHOT_BIG);
    Animate(s);
    EXPECT_EQ(s->animFrame, 1);
    EXPECT_EQ(s->sprite.srcX, 4);
    Animate(s);
    EXPECT_EQ(s->animFrame, 0);
    EXPECT_EQ(s->sprite.srcX, 0);
    Shot* m = MakeShot(500, 400, 0, 0, SHOT_MISSILE);
    Animate(m);
    EXPECT_EQ(m->sprite.srcX, 15);
    Shot* p = MakeShot(500, 400, 0, 0, SHOT_PLAIN);
    Animate(p);
    EXPECT_EQ(p->sprite.srcX, 14);
}

TEST_F(ShotsTest, SpendZeroesAMissileAndFloorsOthers) {
    Shot* b = MakeShot(500, 400, 0, 0, SHOT_BIG);
    Spend(b, 1);
    EXPECT_EQ(b->power, 2);
    Spend(b, 5);
    EXPECT_EQ(b->power, 0);
    Shot* m = MakeShot(500, 400, 0, 0, SHOT_MISSILE);
    Spend(m, 0);
    EXPECT_EQ(m->power, 0);
}

TEST_F(ShotsTest, DestroyAllShotsEmptiesTheChainAndTheDrawList) {
    FireWeapons(0x3F);
    FireWeapons(0);
    ASSERT_EQ(Count(ShotChain), 9u);
    DestroyAllShots();
    EXPECT_EQ(ShotChain.oldest, nullptr);
    EXPECT_EQ(ShotChain.newest, nullptr);
    EXPECT_EQ(DrawListLength(), 1u);  // the ship alone
}

}  // namespace
