// The player ship: construction, reset, the tick, damage and collisions.
#include <gtest/gtest.h>

#include "world_fixture.h"

namespace {

struct ShipTest : WorldFixture {
    void SetUp() override {
        WorldFixture::SetUp();
        MakeBanner();
    }
    // An enemy whose box covers the ship's at (500, 400).
    static Enemy* Under(int32_t kind) {
        Enemy* e = MakeEnemy(509, 425, kind);  // reference point: middle of the bottom edge
        e->sprite.x = 500;
        e->sprite.y = 400;
        return e;
    }
};

TEST_F(ShipTest, ConstructionValues) {
    Ship* s = TheShip;
    EXPECT_EQ(s->mode, SHIP_DOWN);
    EXPECT_EQ(s->sprite.x, 503);
    EXPECT_EQ(s->sprite.y, 768);
    EXPECT_EQ(s->sprite.w, 18u);
    EXPECT_EQ(s->sprite.h, 25u);
    EXPECT_EQ(s->sprite.srcW, 18);
    EXPECT_EQ(s->sprite.srcH, 24);
    EXPECT_EQ(s->sprite.state, 0);
    EXPECT_EQ(s->sprite.image, SpritesImage);
    EXPECT_EQ(s->missiles, 3);
    EXPECT_EQ(s->hitPoints, 1);
    EXPECT_EQ(s->maxHitPoints, 1);
    EXPECT_EQ(s->weapons, 0);
    EXPECT_EQ(s->score, 0);
    EXPECT_EQ(s->speed, 4);
    EXPECT_EQ(s->sideSpeed, 0);
    EXPECT_EQ(s->firing, 0);
    EXPECT_EQ(s->animFrame, 0);
    EXPECT_EQ(s->readyTicks, 0);
    ASSERT_NE(s->link, nullptr);
    EXPECT_EQ(s->link->object, s);
    // The reset column until the first tick, then the down column.
    EXPECT_EQ(s->sprite.srcX, 108);
    EXPECT_EQ(s->sprite.srcY, 0);
    Tick(s);
    EXPECT_EQ(s->sprite.srcX, 72);
    EXPECT_EQ(s->sprite.srcY, 24);
}

TEST_F(ShipTest, LinkAllocationFailureLeavesTheShipUndrawn) {
    Ship* s = static_cast<Ship*>(GameAlloc(sizeof(Ship)));
    GameAllocFailAt(1);
    ConstructShip(s);
    EXPECT_EQ(s->link, nullptr);
    EXPECT_FALSE(Drawn(s));
    EXPECT_EQ(s->mode, SHIP_DOWN);
    EXPECT_EQ(s->sprite.x, 503);
    Tick(s);
    EXPECT_EQ(s->sprite.srcX, 72);
    GameFree(s);
}

TEST_F(ShipTest, CountdownEndsOnTheHundredthTick) {
    Ship* s = TheShip;
    s->mode = SHIP_READY;
    s->readyTicks = 100;
    s->hitPoints = -3;
    for (int i = 1; i <= 99; ++i) Tick(s);
    EXPECT_EQ(s->mode, SHIP_READY);
    EXPECT_EQ(s->readyTicks, 1);
    EXPECT_EQ(Banner->sprite.state, 0);
    Tick(s);
    EXPECT_EQ(s->mode, SHIP_PLAYING);
    EXPECT_EQ(s->hitPoints, 1);
    EXPECT_EQ(Banner->sprite.state, STATE_HIDDEN);
    EXPECT_EQ(s->sprite.srcX, 36);
    Tick(s);
    EXPECT_EQ(s->mode, SHIP_PLAYING);
}

TEST_F(ShipTest, CountdownWithoutABanner) {
    ClearChains();  // no Banner
    TheShip->mode = SHIP_READY;
    TheShip->readyTicks = 1;
    Tick(TheShip);
    EXPECT_EQ(TheShip->mode, SHIP_PLAYING);
}

TEST_F(ShipTest, AnimFrameAlternates) {
    Ship* s = TheShip;
    const int frames[] = {1, 0, 1, 0};
    for (int f : frames) {
        Tick(s);
        EXPECT_EQ(s->animFrame, f);
        EXPECT_EQ(s->sprite.srcY, f * 24);
    }
}

TEST_F(ShipTest, ResetKeepsSpeed) {
    Ship* s = TheShip;
    ShipPlaying(100, 200, 17, -6);
    s->score = 900;
    s->weapons = 0x3F;
    s->missiles = 0;
    s->firing = 1;
    s->animFrame = 1;
    s->readyTicks = 7;
    s->hitPoints = -4;
    Enemy* h = MakeEnemy(300, 300, ENEMY_HEAVY);
    FireWeapons(0);
    Reset(s);
    EXPECT_EQ(s->speed, 17);
    EXPECT_EQ(s->sideSpeed, 0);
    EXPECT_EQ(s->score, 0);
    EXPECT_EQ(s->weapons, 0);
    EXPECT_EQ(s->missiles, 3);
    EXPECT_EQ(s->firing, 0);
    EXPECT_EQ(s->animFrame, 0);
    EXPECT_EQ(s->readyTicks, 0);
    EXPECT_EQ(s->hitPoints, 1);
    EXPECT_EQ(s->maxHitPoints, 1);
    EXPECT_EQ(s->mode, SHIP_RESET);
    EXPECT_EQ(s->sprite.x, 503);
    EXPECT_EQ(s->sprite.y, 768);
    EXPECT_EQ(s->sprite.srcX, 108);
    EXPECT_EQ(s->sprite.srcY, 0);
    EXPECT_EQ(h->hitPoints, 0);  // killed, to die at its next update
    EXPECT_EQ(Banner->hitPoints, 1);
    EXPECT_EQ(ShotChain.oldest, nullptr);
}

TEST_F(ShipTest, TakeDamageAboveZeroReturnsOld) {
    TheShip->hitPoints = 5;
    EXPECT_EQ(TakeDamage(TheShip, 2), 5);
    EXPECT_EQ(TheShip->hitPoints, 3);
    EXPECT_EQ(TheShip->mode, SHIP_DOWN);  // unchanged from construction
    EXPECT_EQ(DebrisChain.oldest, nullptr);
    TheShip->mode = SHIP_PLAYING;
    EXPECT_EQ(TakeDamage(TheShip, 0), 3);
    EXPECT_EQ(TheShip->mode, SHIP_PLAYING);
}

TEST_F(ShipTest, DestroyedShipBurstsAndShowsTheBanner) {
    ShipPlaying(500, 400, 12, -5);
    Banner->sprite.state = STATE_HIDDEN;
    srand(81);
    const int frags = PredictFragmentBurst(5, -12);
    const int sparks = PredictSparkBurst();
    srand(81);
    EXPECT_EQ(TakeDamage(TheShip, 3), 1);
    EXPECT_EQ(TheShip->hitPoints, -2);  // never clamped
    EXPECT_EQ(TheShip->mode, SHIP_DOWN);
    EXPECT_EQ(Banner->sprite.srcY, 124);
    EXPECT_EQ(Banner->sprite.state, 0);
    std::vector<Debris*> d = Items(DebrisChain);
    ASSERT_EQ((int)d.size(), frags + sparks);
    for (int i = 0; i < frags; ++i) {
        // Fragments carry (-sideSpeed, -speed) from the ship's centre (509, 412).
        EXPECT_EQ(d[i]->kind, DEBRIS_FRAGMENT);
        EXPECT_GE(d[i]->dx, 5 - 3);
        EXPECT_LE(d[i]->dx, 5 + 2);
        EXPECT_GE(d[i]->dy, -12 - 3);
        EXPECT_LE(d[i]->dy, -12 + 2);
        EXPECT_EQ(d[i]->sprite.x + (int32_t)d[i]->sprite.w / 2, 509);
        EXPECT_EQ(d[i]->sprite.y + (int32_t)d[i]->sprite.h / 2, 412);
    }
    EXPECT_EQ(d[frags]->kind, DEBRIS_SPARK);
}

TEST_F(ShipTest, DestroyedWithoutABanner) {
    ClearChains();
    ShipPlaying(500, 400);
    TakeDamage(TheShip, 1);
    EXPECT_EQ(TheShip->mode, SHIP_DOWN);
}

TEST_F(ShipTest, ContactWithAHeavy) {
    ShipPlaying(500, 400);
    Enemy* h = Under(ENEMY_HEAVY);
    CheckCollisions(TheShip);
    EXPECT_EQ(h->hitPoints, 14);
    EXPECT_EQ(TheShip->mode, SHIP_DOWN);
    EXPECT_LT(TheShip->hitPoints, 1);
    EXPECT_EQ(Banner->sprite.srcY, 124);
    EXPECT_EQ(EnemyChain.newest, h);  // the hostile stays in its chain
}

TEST_F(ShipTest, DeadHostileStillDestroysTheShip) {
    ShipPlaying(500, 400);
    Enemy* t = Under(ENEMY_TRACKER);
    t->hitPoints = 0;
    CheckCollisions(TheShip);
    EXPECT_EQ(TheShip->mode, SHIP_DOWN);
    EXPECT_EQ(t->hitPoints, 0);
}

TEST_F(ShipTest, OnlyOneHostileATick) {
    ShipPlaying(500, 400);
    Enemy* a = Under(ENEMY_HEAVY);
    Enemy* b = Under(ENEMY_HEAVY);
    CheckCollisions(TheShip);
    EXPECT_EQ(a->hitPoints, 14);
    EXPECT_EQ(b->hitPoints, 15);
}

TEST_F(ShipTest, PowerUpPickUps) {
    ShipPlaying(500, 400);
    Enemy* p = Under(ENEMY_POWERUP);
    p->frame = 3;
    CheckCollisions(TheShip);
    EXPECT_EQ(TheShip->weapons, 0x08);
    EXPECT_EQ(Items(EnemyChain), (std::vector<Enemy*>{Banner}));
    EXPECT_EQ(DrawListLength(), 2u);  // the ship and the Banner

    Enemy* six = Under(ENEMY_POWERUP);
    six->frame = 6;
    CheckCollisions(TheShip);
    EXPECT_EQ(TheShip->missiles, 4);
    EXPECT_EQ(TheShip->weapons, 0x08);
    EXPECT_EQ(TheShip->mode, SHIP_PLAYING);
}

TEST_F(ShipTest, EveryPowerUpTypeGivesItsBit) {
    ShipPlaying(500, 400);
    for (int k = 0; k < 6; ++k) {
        Enemy* p = Under(ENEMY_POWERUP);
        p->frame = k;
        CheckCollisions(TheShip);
    }
    EXPECT_EQ(TheShip->weapons, 0x3F);
    EXPECT_EQ(TheShip->missiles, 3);
}

TEST_F(ShipTest, TwoPowerUpsOfOneTypeInOneTick) {
    ShipPlaying(500, 400);
    Under(ENEMY_POWERUP)->frame = 3;
    Under(ENEMY_POWERUP)->frame = 3;
    CheckCollisions(TheShip);
    EXPECT_EQ(TheShip->weapons, 0x08);
    EXPECT_EQ(Items(EnemyChain), (std::vector<Enemy*>{Banner}));
}

TEST_F(ShipTest, PowerUpsBeforeAHostileAreTakenThoseAfterStay) {
    ShipPlaying(500, 400);
    Enemy* a = Under(ENEMY_POWERUP);
    a->frame = 0;
    Enemy* h = Under(ENEMY_TRACKER);
    Enemy* b = Under(ENEMY_POWERUP);
    b->frame = 1;
    CheckCollisions(TheShip);
    EXPECT_EQ(TheShip->weapons, 0x01);
    EXPECT_EQ(TheShip->mode, SHIP_DOWN);
    EXPECT_EQ(Items(EnemyChain), (std::vector<Enemy*>{Banner, h, b}));
    EXPECT_EQ(h->hitPoints, 0);
}

TEST_F(ShipTest, BannerIsIgnored) {
    ShipPlaying(500, 400);
    Banner->sprite.x = 450;
    Banner->sprite.y = 380;
    CheckCollisions(TheShip);
    EXPECT_EQ(TheShip->mode, SHIP_PLAYING);
    EXPECT_EQ(Banner->hitPoints, 1);
}

TEST_F(ShipTest, NothingHappensOutsidePlaying) {
    const int32_t modes[] = {SHIP_READY, SHIP_DOWN, SHIP_RESET, SHIP_ENTERING};
    for (int32_t mode : modes) {
        ShipPlaying(500, 400);
        TheShip->mode = mode;
        Enemy* h = Under(ENEMY_HEAVY);
        Enemy* p = Under(ENEMY_POWERUP);
        p->frame = 2;
        CheckCollisions(TheShip);
        EXPECT_EQ(TheShip->mode, mode);
        EXPECT_EQ(TheShip->hitPoints, 1);
        EXPECT_EQ(TheShip->weapons, 0);
        EXPECT_EQ(h->hitPoints, 15);
        EXPECT_EQ(Count(EnemyChain), 3u);
        Unlink(h);
        GameFree(h);
        Unlink(p);
        GameFree(p);
    }
}

TEST_F(ShipTest, NoContactNoChange) {
    ShipPlaying(500, 400);
    Enemy* h = MakeEnemy(100, 100, ENEMY_HEAVY);
    CheckCollisions(TheShip);
    EXPECT_EQ(TheShip->mode, SHIP_PLAYING);
    EXPECT_EQ(h->hitPoints, 15);
}

}  // namespace
