// The player ship: construction, reset, the tick, damage and collisions.
#include <gtest/gtest.h>

#include "tests/support/world.h"

namespace {

struct ShipTest : WorldFixture {
    void SetUp() override {
        WorldFixture::SetUp();
        MakeBanner();
    }
    // An enemy whose box covers the ship's at (500, 400).
    static Enemy* Under(int32_t kind, int32_t frame = 0) {
        Enemy* e = MakeEnemy(509, 425, kind);
        e->sprite.x = 500;
        e->sprite.y = 400;
        e->frame = frame;  // a power-up's type
        return e;
    }
    // The values that construction and Reset both set.
    static void ExpectFreshShip(const Ship* s) {
        EXPECT_EQ(s->sprite.x, 503);
        EXPECT_EQ(s->sprite.y, 768);
        EXPECT_EQ(s->sprite.srcX, 108);  // the reset column until the first tick
        EXPECT_EQ(s->sprite.srcY, 0);
        EXPECT_EQ(s->missiles, 3);
        EXPECT_EQ(s->hitPoints, 1);
        EXPECT_EQ(s->maxHitPoints, 1);
        EXPECT_EQ(s->weapons, 0);
        EXPECT_EQ(s->score, 0);
        EXPECT_EQ(s->sideSpeed, 0);
        EXPECT_EQ(s->firing, 0);
        EXPECT_EQ(s->animFrame, 0);
        EXPECT_EQ(s->readyTicks, 0);
    }
};

TEST_F(ShipTest, ConstructionValues) {
    Ship* s = TheShip;
    ExpectFreshShip(s);
    EXPECT_EQ(s->mode, SHIP_DOWN);
    EXPECT_EQ(s->speed, 4);
    EXPECT_EQ(s->sprite.w, 18u);
    EXPECT_EQ(s->sprite.h, 25u);
    EXPECT_EQ(s->sprite.srcW, 18);
    EXPECT_EQ(s->sprite.srcH, 24);
    EXPECT_EQ(s->sprite.state, 0);
    EXPECT_EQ(s->sprite.image, SpritesImage);
    ASSERT_NE(s->link, nullptr);
    EXPECT_EQ(s->link->object, s);
    Tick(s);
    EXPECT_EQ(s->sprite.srcX, 72);  // the down column
    EXPECT_EQ(s->sprite.srcY, 24);
}

TEST_F(ShipTest, LinkAllocationFailureLeavesTheShipUndrawn) {
    Ship* s = static_cast<Ship*>(GameAlloc(sizeof(Ship)));
    GameAllocFailAt(1);
    ConstructShip(s);
    EXPECT_EQ(s->link, nullptr);
    EXPECT_FALSE(Drawn(s));
    EXPECT_EQ(s->mode, SHIP_DOWN);
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

TEST_F(ShipTest, NoBannerIsNeeded) {
    ClearChains();
    TheShip->mode = SHIP_READY;
    TheShip->readyTicks = 1;
    Tick(TheShip);
    EXPECT_EQ(TheShip->mode, SHIP_PLAYING);
    ShipPlaying(500, 400);
    TakeDamage(TheShip, 1);
    EXPECT_EQ(TheShip->mode, SHIP_DOWN);
}

TEST_F(ShipTest, AnimFrameAlternates) {
    for (int f : {1, 0, 1, 0}) {
        Tick(TheShip);
        EXPECT_EQ(TheShip->animFrame, f);
        EXPECT_EQ(TheShip->sprite.srcY, f * 24);
    }
}

TEST_F(ShipTest, ResetKeepsOnlyTheSpeed) {
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
    ExpectFreshShip(s);
    EXPECT_EQ(s->speed, 17);
    EXPECT_EQ(s->mode, SHIP_RESET);
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

// Fragments carrying (-sideSpeed, -speed), then sparks, from the ship's centre
// (509, 412); the Banner shows the "down" row.
TEST_F(ShipTest, DestroyedShipBurstsAndShowsTheBanner) {
    ShipPlaying(500, 400, 12, -5);
    Banner->sprite.state = STATE_HIDDEN;
    std::vector<Particle> want;
    srand(81);
    PredictFragmentBurst(want, 509, 412, 5, -12);
    PredictSparkBurst(want, 509, 412);
    srand(81);
    EXPECT_EQ(TakeDamage(TheShip, 3), 1);
    EXPECT_EQ(TheShip->hitPoints, -2);  // never clamped
    EXPECT_EQ(TheShip->mode, SHIP_DOWN);
    EXPECT_EQ(Banner->sprite.srcY, 124);
    EXPECT_EQ(Banner->sprite.state, 0);
    EXPECT_EQ(Particles(), want);
}

// Contact with a hostile: it loses one hit point, the ship is destroyed, the
// hostile stays in its chain even when already dead; one hostile a tick.
TEST_F(ShipTest, ContactWithAHeavy) {
    ShipPlaying(500, 400);
    Enemy* h = Under(ENEMY_HEAVY);
    Enemy* h2 = Under(ENEMY_HEAVY);
    CheckCollisions(TheShip);
    EXPECT_EQ(h->hitPoints, 14);
    EXPECT_EQ(h2->hitPoints, 15);
    EXPECT_EQ(TheShip->mode, SHIP_DOWN);
    EXPECT_LT(TheShip->hitPoints, 1);
    EXPECT_EQ(Banner->sprite.srcY, 124);
    EXPECT_EQ(Count(EnemyChain), 3u);
}

// Types 0 to 5 give their weapon bit, type 6 a missile; each power-up is
// destroyed at once, two in one tick included. The Banner over the ship is ignored.
TEST_F(ShipTest, PowerUpPickUps) {
    ShipPlaying(500, 400);
    Banner->sprite.x = 450;
    Banner->sprite.y = 380;
    for (int32_t type = 0; type <= 6; ++type) {
        SCOPED_TRACE(type);
        Under(ENEMY_POWERUP, type);
        Under(ENEMY_POWERUP, type);
        CheckCollisions(TheShip);
        EXPECT_EQ(TheShip->weapons, (1 << (type < 6 ? type + 1 : 6)) - 1);
        EXPECT_EQ(TheShip->missiles, type < 6 ? 3 : 5);
        EXPECT_EQ(Items(EnemyChain), (std::vector<Enemy*>{Banner}));
        EXPECT_EQ(DrawListLength(), 2u);  // the ship and the Banner
    }
    EXPECT_EQ(TheShip->mode, SHIP_PLAYING);
    EXPECT_EQ(Banner->hitPoints, 1);
}

// Power-ups older than the hostile are taken, newer ones stay; even a dead
// hostile destroys the ship.
TEST_F(ShipTest, PowerUpsBeforeAHostileAreTakenThoseAfterStay) {
    ShipPlaying(500, 400);
    Under(ENEMY_POWERUP, 0);
    Enemy* h = Under(ENEMY_TRACKER);
    h->hitPoints = 0;
    Enemy* b = Under(ENEMY_POWERUP, 1);
    CheckCollisions(TheShip);
    EXPECT_EQ(TheShip->weapons, 0x01);
    EXPECT_EQ(TheShip->mode, SHIP_DOWN);
    EXPECT_EQ(Items(EnemyChain), (std::vector<Enemy*>{Banner, h, b}));
    EXPECT_EQ(h->hitPoints, 0);
}

TEST_F(ShipTest, NothingHappensOutsidePlaying) {
    ShipPlaying(500, 400);
    Enemy* h = Under(ENEMY_HEAVY);
    Under(ENEMY_POWERUP, 2);
    for (int32_t mode : {SHIP_READY, SHIP_DOWN, SHIP_RESET, SHIP_ENTERING}) {
        SCOPED_TRACE(mode);
        TheShip->mode = mode;
        CheckCollisions(TheShip);
        EXPECT_EQ(TheShip->mode, mode);
        EXPECT_EQ(TheShip->hitPoints, 1);
        EXPECT_EQ(TheShip->weapons, 0);
        EXPECT_EQ(h->hitPoints, 15);
        EXPECT_EQ(Count(EnemyChain), 3u);
    }
}

}  // namespace
