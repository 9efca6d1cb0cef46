// The player ship: sheet column and row, reset, destruction and collisions.
#include "tests/support/world.h"

namespace {

struct ShipTest : WorldFixture {
    void SetUp() override { WorldFixture::SetUp(), Banner = MakeEnemy(512, 0, ENEMY_BANNER); }
    // An enemy whose box covers the ship's at (500, 400); frame: a power-up's type.
    static Enemy* Under(int32_t kind, int32_t frame = 0) {
        Enemy* e = MakeEnemy(509, 425, kind);
        return e->sprite.x = 500, e->sprite.y = 400, e->frame = frame, e;
    }
};

// Each tick shows the mode's column and the alternating animation frame's row; a new ship shows the reset column.
TEST_F(ShipTest, SheetColumnIsTheModeAndRowTheAnimationFrame) {
    Ship* s = TheShip;
    const int32_t w = SHIP_FRAMES.w, h = SHIP_FRAMES.h;
    EXPECT_EQ((V{s->mode, s->sprite.srcX, s->sprite.srcY, s->speed}), (V{SHIP_DOWN, 6 * w, 0, 4}));
    for (const V& c : {V{SHIP_DOWN, 4 * w, h}, V{SHIP_PLAYING, 2 * w, 0}, V{SHIP_READY, 3 * w, h},
                       V{SHIP_RESET, 6 * w, 0}, V{SHIP_ENTERING, 7 * w, h}}) {  // mode; srcX and srcY after the tick
        s->mode = c[0], s->readyTicks = 100;
        EXPECT_EQ((TickShip(s), V{c[0], s->sprite.srcX, s->sprite.srcY}), c);
    }
}
// Everything but the speed is put back, under the bottom edge; every enemy but the Banner is killed (to die at its next
// update, a power-up without debris) and every shot destroyed.
TEST_F(ShipTest, ResetKeepsOnlyTheSpeed) {
    Ship* s = TheShip;
    ShipPlaying(100, 200, 17, -6), s->hitPoints = -4;
    s->score = 900, s->weapons = 0x3F, s->missiles = 0, s->firing = 1, s->animFrame = 1, s->readyTicks = 7;
    Enemy *h = MakeEnemy(300, 300, ENEMY_HEAVY), *p = MakeEnemy(600, 300, ENEMY_POWERUP);
    FireWeapons(0), ResetShip(s);
    EXPECT_EQ((V{s->sprite.x, s->sprite.y, s->sprite.srcX, s->sprite.srcY, s->missiles, s->hitPoints, s->maxHitPoints,
                 s->weapons, s->score, s->sideSpeed, s->firing, s->animFrame, s->readyTicks, s->speed, s->mode}),
              (V{503, 768, FrameX(SHIP_FRAMES, SHIP_COLUMN_RESET), 0, 3, 1, 1, 0, 0, 0, 0, 0, 0, 17, SHIP_RESET}));
    EXPECT_EQ((V{h->hitPoints, p->hitPoints, Banner->hitPoints, Count(ShotChain)}), (V{0, 0, 1, 0}));
    p->frame = 6;
    EXPECT_EQ((UpdateEnemies(0), V{Count(EnemyChain), SpreadOf(DEBRIS_FRAGMENT).n > 0}),
              (V{1, 1}));  // the heavy exploded
}
// Fragments from the ship's centre (509, 412) carrying (-sideSpeed, -speed) give or take 3, sparks around it; the
// Banner shows the "down" row.
TEST_F(ShipTest, DestroyedShipBurstsAndShowsTheBanner) {
    ShipPlaying(500, 400, 12, -5);
    Banner->sprite.state = STATE_HIDDEN;
    EXPECT_EQ((V{DamageShip(TheShip, 3), TheShip->hitPoints, TheShip->mode}), (V{1, -2, SHIP_DOWN}));  // not clamped
    EXPECT_EQ((V{Banner->sprite.srcY, Banner->sprite.state}), (V{BANNER_READY.y, 0}));
    const Spread f = SpreadOf(DEBRIS_FRAGMENT), s = SpreadOf(DEBRIS_SPARK);
    EXPECT_TRUE(f.Within(509, 509, 412, 412, 5 - 3, 5 + 2, -12 - 3, -12 + 2) && f.n >= 7);
    EXPECT_TRUE(s.Within(509 - 6, 509 + 5, 412 - 6, 412 + 5) && s.n >= 9);
}
// Only while playing. Power-ups are taken (types 0 to 5 give their weapon bit, 6 a missile) and destroyed at once until
// a hostile is met: the first hostile, even a dead one, loses as many hit points as the ship had and destroys it; it
// stays in its chain, and later ones are not reached. The Banner over the ship is ignored.
TEST_F(ShipTest, CollisionsInChainOrderUntilTheFirstHostile) {
    ShipPlaying(500, 400);
    Banner->sprite.x = 450, Banner->sprite.y = 380;
    for (int32_t type = 0; type <= 6; ++type) {
        Under(ENEMY_POWERUP, type), Under(ENEMY_POWERUP, type);
        CheckCollisions(TheShip);
        EXPECT_EQ((V{type, TheShip->weapons, TheShip->missiles}),
                  (V{type, (1 << (type < 6 ? type + 1 : 6)) - 1, type < 6 ? 3 : 5}));
        EXPECT_EQ(Drawn(), (std::vector<void*>{Banner, TheShip}));
    }
    TheShip->weapons = 0;
    Enemy *h = Under(ENEMY_HEAVY), *h2 = Under(ENEMY_HEAVY), *p = Under(ENEMY_POWERUP, 2);
    for (int32_t mode : {SHIP_READY, SHIP_DOWN, SHIP_RESET, SHIP_ENTERING, SHIP_PLAYING}) {
        TheShip->mode = mode;
        CheckCollisions(TheShip);
        EXPECT_EQ(
            (V{TheShip->weapons, h->hitPoints, h2->hitPoints, TheShip->mode, Banner->sprite.srcY}),
            mode == SHIP_PLAYING ? V({0, 14, 15, SHIP_DOWN, BANNER_READY.y}) : V({0, 15, 15, mode, BANNER_CLICK.y}));
    }
    EXPECT_EQ(Items(EnemyChain), (std::vector<Enemy*>{Banner, h, h2, p}));
    ClearChains(), Banner = MakeEnemy(512, 0, ENEMY_BANNER);
    ShipPlaying(500, 400);
    Under(ENEMY_POWERUP, 0);
    h = Under(ENEMY_TRACKER), h->hitPoints = 0;
    TheShip->hitPoints = 1;
    CheckCollisions(TheShip);
    EXPECT_EQ((V{TheShip->weapons, TheShip->mode, h->hitPoints, Count(EnemyChain)}), (V{0x01, SHIP_DOWN, 0, 2}));
}

}  // namespace
