// Enemies: construction by kind, animation, each kind's movement, collisions
// between enemies, leaving the screen, explosions, spawning and the Banner.
#include <gtest/gtest.h>

#include <cstdlib>

#include "world_fixture.h"

namespace {

struct EnemiesTest : WorldFixture {
    void SetUp() override {
        WorldFixture::SetUp();
        ShipPlaying(503, 600, 0, 0);
    }
    static void ExpectCommon(const Enemy* e, int32_t kind) {
        EXPECT_EQ(e->kind, kind);
        EXPECT_EQ(e->sprite.state, 0);
        EXPECT_EQ(e->sprite.image, SpritesImage);
        EXPECT_EQ(e->sprite.srcW, (int32_t)e->sprite.w);
        EXPECT_EQ(e->sprite.srcH, (int32_t)e->sprite.h);
        EXPECT_EQ(e->dx, 0);
        ASSERT_NE(e->link, nullptr);
        EXPECT_EQ(e->link->object, e);
        EXPECT_EQ(EnemyChain.newest, e);
        EXPECT_TRUE(Drawn(e));
    }
};

TEST_F(EnemiesTest, RiserConstruction) {
    srand(11);
    const int r1 = rand() % 4, r2 = rand() % 200, after = rand();
    srand(11);
    Enemy* e = MakeEnemy(300, 50, ENEMY_RISER);
    ExpectCommon(e, ENEMY_RISER);
    EXPECT_EQ(rand(), after);  // exactly two draws
    EXPECT_EQ(e->sprite.srcX, 0);
    EXPECT_EQ(e->sprite.srcY, 144);
    EXPECT_EQ(e->sprite.w, 18u);
    EXPECT_EQ(e->sprite.h, 24u);
    EXPECT_EQ(e->sprite.x, 291);
    EXPECT_EQ(e->sprite.y, 768);  // the y argument is ignored
    EXPECT_EQ(e->dy, -8 - r1);
    EXPECT_EQ(e->swayStep, 3);
    EXPECT_EQ(e->timer, 20 + r2);
    EXPECT_EQ(e->points, -250);
    EXPECT_EQ(e->bursts, 2);
    EXPECT_EQ(e->lastFrame, 1);
    EXPECT_EQ(e->frame, 0);
    EXPECT_EQ(e->hitPoints, 1);
}

TEST_F(EnemiesTest, DiverConstruction) {
    srand(12);
    const int row = rand() % 2, frame = rand() % 5, after = rand();
    srand(12);
    Enemy* e = MakeEnemy(300, 0, ENEMY_DIVER);
    ExpectCommon(e, ENEMY_DIVER);
    EXPECT_EQ(rand(), after);
    EXPECT_EQ(e->sprite.srcX, 0);
    EXPECT_EQ(e->sprite.srcY, 168 + 12 * row);
    EXPECT_EQ(e->sprite.w, 12u);
    EXPECT_EQ(e->sprite.h, 12u);
    EXPECT_EQ(e->sprite.x, 294);
    EXPECT_EQ(e->sprite.y, -6);
    EXPECT_EQ(e->dy, 2);
    EXPECT_EQ(e->timer, 80);
    EXPECT_EQ(e->points, 175);
    EXPECT_EQ(e->bursts, 3);
    EXPECT_EQ(e->lastFrame, 5);
    EXPECT_EQ(e->frame, frame);
    EXPECT_EQ(e->hitPoints, 1);
}

TEST_F(EnemiesTest, DiverRowsAreBoth168And180) {
    bool seen168 = false, seen180 = false;
    for (unsigned seed = 1; seed <= 50; ++seed) {
        srand(seed);
        Enemy* e = MakeEnemy(300, 0, ENEMY_DIVER);
        seen168 |= e->sprite.srcY == 168;
        seen180 |= e->sprite.srcY == 180;
        ASSERT_TRUE(e->frame >= 0 && e->frame <= 4);
        ClearChains();
    }
    EXPECT_TRUE(seen168 && seen180);
}

TEST_F(EnemiesTest, TrackerConstruction) {
    srand(13);
    const int frame = rand() % 3, after = rand();
    srand(13);
    Enemy* e = MakeEnemy(300, 0, ENEMY_TRACKER);
    ExpectCommon(e, ENEMY_TRACKER);
    EXPECT_EQ(rand(), after);
    EXPECT_EQ(e->sprite.srcY, 216);
    EXPECT_EQ(e->sprite.w, 25u);
    EXPECT_EQ(e->sprite.h, 25u);
    EXPECT_EQ(e->sprite.x, 288);
    EXPECT_EQ(e->sprite.y, -25);
    EXPECT_EQ(e->dy, 5);
    EXPECT_EQ(e->swayStep, 0);
    EXPECT_EQ(e->points, 250);
    EXPECT_EQ(e->bursts, 2);
    EXPECT_EQ(e->lastFrame, 3);
    EXPECT_EQ(e->frame, frame);
    EXPECT_EQ(e->hitPoints, 1);
}

TEST_F(EnemiesTest, HeavyConstruction) {
    srand(14);
    const int r = rand() % 2, after = rand();
    srand(14);
    Enemy* e = MakeEnemy(300, 0, ENEMY_HEAVY);
    ExpectCommon(e, ENEMY_HEAVY);
    EXPECT_EQ(rand(), after);
    EXPECT_EQ(e->sprite.srcY, 276);
    EXPECT_EQ(e->sprite.w, 33u);
    EXPECT_EQ(e->sprite.h, 33u);
    EXPECT_EQ(e->sprite.x, 284);
    EXPECT_EQ(e->sprite.y, -33);
    EXPECT_EQ(e->dy, 1 + r);
    EXPECT_EQ(e->swayStep, 0);
    EXPECT_EQ(e->timer, 0);
    EXPECT_EQ(e->points, 500);
    EXPECT_EQ(e->bursts, 10);
    EXPECT_EQ(e->lastFrame, 0);
    EXPECT_EQ(e->frame, 0);
    EXPECT_EQ(e->hitPoints, 15);
}

TEST_F(EnemiesTest, PowerUpConstruction) {
    srand(15);
    const int timer = rand() % 400, frame = rand() % 7, after = rand();
    srand(15);
    Enemy* e = MakeEnemy(300, 0, ENEMY_POWERUP);
    ExpectCommon(e, ENEMY_POWERUP);
    EXPECT_EQ(rand(), after);
    EXPECT_EQ(e->sprite.srcX, 0);
    EXPECT_EQ(e->sprite.srcY, 58);
    EXPECT_EQ(e->sprite.w, 20u);
    EXPECT_EQ(e->sprite.h, 20u);
    EXPECT_EQ(e->sprite.x, 290);
    EXPECT_EQ(e->sprite.y, -20);
    EXPECT_EQ(e->dy, 1);
    EXPECT_EQ(e->swayStep, 3);
    EXPECT_EQ(e->timer, 40 + timer);
    EXPECT_EQ(e->points, 0);
    EXPECT_EQ(e->bursts, 0);
    EXPECT_EQ(e->lastFrame, 7);
    EXPECT_EQ(e->frame, frame);
    EXPECT_EQ(e->hitPoints, 1);
}

TEST_F(EnemiesTest, BannerConstruction) {
    srand(16);
    const int next = rand();
    srand(16);
    MakeBanner();
    ExpectCommon(Banner, ENEMY_BANNER);
    EXPECT_EQ(rand(), next);  // no draws
    EXPECT_EQ(Banner->sprite.srcX, 182);
    EXPECT_EQ(Banner->sprite.srcY, 186);
    EXPECT_EQ(Banner->sprite.w, 141u);
    EXPECT_EQ(Banner->sprite.h, 61u);
    EXPECT_EQ(Banner->sprite.x, 442);
    EXPECT_EQ(Banner->sprite.y, -61);
    EXPECT_EQ(Banner->dy, 0);
    EXPECT_EQ(Banner->points, 0);
    EXPECT_EQ(Banner->bursts, 0);
    EXPECT_EQ(Banner->hitPoints, 1);
}

TEST_F(EnemiesTest, BannerSlidesDownAndStopsAt323) {
    MakeBanner();
    for (int i = 0; i < 127; ++i) Update(Banner);
    EXPECT_EQ(Banner->sprite.y, 320);
    Update(Banner);
    EXPECT_EQ(Banner->sprite.y, 323);
    for (int i = 0; i < 10; ++i) Update(Banner);
    EXPECT_EQ(Banner->sprite.y, 323);
    EXPECT_EQ(Banner->sprite.x, 442);
}

TEST_F(EnemiesTest, ConstructionJoinsTheChainAtTheNewestEnd) {
    Enemy* a = MakeEnemy(100, 0, ENEMY_HEAVY);
    Enemy* b = MakeEnemy(200, 0, ENEMY_HEAVY);
    Enemy* c = MakeEnemy(300, 0, ENEMY_HEAVY);
    EXPECT_EQ(Items(EnemyChain), (std::vector<Enemy*>{a, b, c}));
    EXPECT_EQ(c->prev, b);
    EXPECT_EQ(a->prev, nullptr);
    EXPECT_EQ(c->next, nullptr);
}

TEST_F(EnemiesTest, LinkAllocationFailureLivesUndrawn) {
    Enemy* e = static_cast<Enemy*>(GameAlloc(sizeof(Enemy)));
    GameAllocFailAt(1);
    ConstructEnemy(e, 500, 0, ENEMY_HEAVY);
    EXPECT_EQ(e->link, nullptr);
    EXPECT_EQ(EnemyChain.oldest, e);
    EXPECT_FALSE(Drawn(e));
    Update(e);
    EXPECT_EQ(e->sprite.y, -33 + e->dy);
    TakeDamage(e, 100);
    GameAllocFailAt(1, true);  // no debris, no blast: it is destroyed all the same
    Update(e);
    EXPECT_EQ(EnemyChain.oldest, nullptr);
    EXPECT_EQ(DebrisChain.oldest, nullptr);
    EXPECT_EQ(ShotChain.oldest, nullptr);
}

TEST_F(EnemiesTest, AnimationStepsAt70Milliseconds) {
    Enemy* t = MakeEnemy(300, 300, ENEMY_TRACKER);
    t->frame = 0;
    enemyAnimMs = 0;
    UpdateEnemies(69);
    EXPECT_EQ(enemyAnimMs, 69);
    EXPECT_EQ(t->frame, 0);
    EXPECT_EQ(t->sprite.srcX, 0);
    UpdateEnemies(1);
    EXPECT_EQ(enemyAnimMs, 0);
    EXPECT_EQ(t->frame, 1);
    EXPECT_EQ(t->sprite.srcX, 25);
    UpdateEnemies(1000);  // the part above 70 is dropped
    EXPECT_EQ(enemyAnimMs, 0);
    EXPECT_EQ(t->frame, 2);
}

TEST_F(EnemiesTest, AnimateWrapsAtLastFrame) {
    Enemy* t = MakeEnemy(300, 300, ENEMY_TRACKER);
    t->frame = 3;
    Animate(t);
    EXPECT_EQ(t->frame, 0);
    Enemy* d = MakeEnemy(300, 300, ENEMY_DIVER);
    d->frame = 4;
    Animate(d);
    EXPECT_EQ(d->frame, 5);
    EXPECT_EQ(d->sprite.srcX, 60);
    Animate(d);
    EXPECT_EQ(d->frame, 0);
    Enemy* h = MakeEnemy(300, 300, ENEMY_HEAVY);
    Animate(h);
    EXPECT_EQ(h->frame, 0);
    Enemy* p = MakeEnemy(300, 300, ENEMY_POWERUP);
    p->frame = 4;
    Animate(p);
    EXPECT_EQ(p->frame, 4);  // the type never changes
    EXPECT_EQ(p->sprite.srcX, 80);
    MakeBanner();
    Animate(Banner);
    EXPECT_EQ(Banner->sprite.srcX, 182);
}

TEST_F(EnemiesTest, RiserSwaySequence) {
    Enemy* e = MakeEnemy(300, 0, ENEMY_RISER);
    e->sprite.y = 500;
    e->timer = 3;
    const int32_t x0 = e->sprite.x;
    Update(e);
    EXPECT_EQ(e->dx, 3);
    Update(e);
    EXPECT_EQ(e->dx, 3);
    srand(31);
    const int t = rand() % 200, d = rand() % 4;
    srand(31);
    Update(e);  // the timer runs out
    EXPECT_EQ(e->swayStep, -3);
    EXPECT_EQ(e->dx, 6);
    EXPECT_EQ(e->timer, 20 + t);
    EXPECT_EQ(e->dy, -8 - d);
    Update(e);
    EXPECT_EQ(e->dx, 6);
    e->timer = 1;
    Update(e);
    EXPECT_EQ(e->swayStep, 3);
    EXPECT_EQ(e->dx, 3);
    Update(e);
    EXPECT_EQ(e->dx, 3);
    EXPECT_EQ(e->sprite.x, x0 + 3 + 3 + 6 + 6 + 3 + 3);  // never left
}

TEST_F(EnemiesTest, RiserRidesTheFullSpeed) {
    Enemy* e = MakeEnemy(300, 0, ENEMY_RISER);
    e->sprite.y = 500;
    e->timer = 100;
    e->dy = -9;
    TheShip->speed = 12;
    TheShip->sideSpeed = -2;
    const int32_t x0 = e->sprite.x;
    Update(e);
    EXPECT_EQ(e->sprite.y, 500 + 12 - 9);
    EXPECT_EQ(e->sprite.x, x0 - 2 + 3);
}

TEST_F(EnemiesTest, RiserLeavesAtOnceWhenTheSceneryIsFaster) {
    Enemy* e = MakeEnemy(300, 0, ENEMY_RISER);
    TheShip->speed = -e->dy;  // equal: stays at 768
    Update(e);
    ASSERT_EQ(EnemyChain.oldest, e);
    EXPECT_EQ(e->sprite.y, 768);
    TheShip->speed = -e->dy + 1;
    Update(e);
    EXPECT_EQ(EnemyChain.oldest, nullptr);
    EXPECT_EQ(DebrisChain.oldest, nullptr);
}

TEST_F(EnemiesTest, PowerUpSwaySequence) {
    Enemy* e = MakeEnemy(300, 300, ENEMY_POWERUP);
    e->frame = 6;  // never vanishes by a held bit
    e->timer = 3;
    Update(e);
    EXPECT_EQ(e->dx, 3);
    Update(e);
    EXPECT_EQ(e->dx, 3);
    srand(41);
    const int t = rand() % 400;
    srand(41);
    Update(e);  // expiry
    EXPECT_EQ(e->dx, 0);
    EXPECT_EQ(e->swayStep, -3);
    EXPECT_EQ(e->timer, 40 + t);
    Update(e);
    EXPECT_EQ(e->dx, -3);
    Update(e);
    EXPECT_EQ(e->dx, -3);
    e->timer = 1;
    Update(e);
    EXPECT_EQ(e->dx, 0);
    Update(e);
    EXPECT_EQ(e->dx, 3);
}

TEST_F(EnemiesTest, PowerUpDriftsAtAThirdOfTheSpeed) {
    Enemy* e = MakeEnemy(300, 300, ENEMY_POWERUP);
    e->frame = 6;
    e->timer = 100;
    TheShip->speed = 11;
    TheShip->sideSpeed = 4;
    const int32_t x0 = e->sprite.x, y0 = e->sprite.y;
    Update(e);
    EXPECT_EQ(e->sprite.x, x0 + 4 + 3);
    EXPECT_EQ(e->sprite.y, y0 + 3 + 1);
}

TEST_F(EnemiesTest, HeavyDriftsAtAQuarterOfTheSpeed) {
    Enemy* e = MakeEnemy(300, 300, ENEMY_HEAVY);
    TheShip->speed = 11;
    TheShip->sideSpeed = -4;
    const int32_t x0 = e->sprite.x, y0 = e->sprite.y;
    Update(e);
    EXPECT_EQ(e->sprite.x, x0 - 4);
    EXPECT_EQ(e->sprite.y, y0 + 2 + e->dy);
}

TEST_F(EnemiesTest, DiverDescendsHoversAndDives) {
    TheShip->sideSpeed = -5;  // hover drift: -5 / 2 = -2, not -3
    TheShip->sprite.x = 200;
    TheShip->sprite.y = 400;
    Enemy* e = MakeEnemy(600, 0, ENEMY_DIVER);
    ASSERT_EQ(e->sprite.y, -6);
    const int32_t x0 = e->sprite.x;
    int n = 0;
    while (e->sprite.y <= 96) {
        Update(e);
        ++n;
        ASSERT_EQ(e->sprite.x, x0);  // no scenery movement while descending
    }
    EXPECT_EQ(n, 52);
    EXPECT_EQ(e->sprite.y, 98);
    for (int i = 0; i < 79; ++i) {
        Update(e);
        ASSERT_EQ(e->dy, 0);
        ASSERT_EQ(e->dx, -2);
        ASSERT_EQ(e->timer, 79 - i);
        ASSERT_EQ(e->sprite.y, 98);
    }
    EXPECT_EQ(e->timer, 1);
    const int32_t xh = e->sprite.x;
    EXPECT_EQ(xh, x0 - 2 * 79);
    srand(51);
    const int dy = 4 + rand() % 8;
    srand(51);
    Update(e);  // the dive starts
    EXPECT_EQ(e->timer, 0);
    EXPECT_EQ(e->dy, dy);
    const int t = ((400 + 12) - (98 + 6)) / dy;
    const int dx = ((200 + 9) - (xh + 6)) / t;
    EXPECT_EQ(e->dx, dx);
    EXPECT_EQ(e->sprite.x, xh + dx);
    EXPECT_EQ(e->sprite.y, 98 + dy);
    TheShip->sprite.x = 900;  // the dive keeps its line
    Update(e);
    EXPECT_EQ(e->dx, dx);
    EXPECT_EQ(e->dy, dy);
    EXPECT_EQ(e->timer, 0);
}

TEST_F(EnemiesTest, DiverNegativeGapTruncatesTowardZero) {
    TheShip->sprite.x = 0;
    TheShip->sprite.y = 400;
    Enemy* e = MakeEnemy(600, 104, ENEMY_DIVER);  // at y 98, centre 104
    e->timer = 1;
    srand(52);
    const int dy = 4 + rand() % 8;
    srand(52);
    Update(e);
    const int t = (412 - 104) / dy;
    const int gap = 9 - (594 + 6);
    EXPECT_EQ(e->dx, gap / t);  // C++ division truncates toward zero too
    EXPECT_LT(e->dx, 0);
}

TEST_F(EnemiesTest, DiverDivesStraightDownWhenTheShipIsLevel) {
    // The ship's centre less than one step below the diver's centre: the
    // tick count is 0, and the diver falls straight down.
    TheShip->sprite.x = 100;
    TheShip->sprite.y = 104 - 12;  // ship centre 104, level with the diver's
    Enemy* e = MakeEnemy(600, 104, ENEMY_DIVER);
    e->timer = 1;
    const int32_t x0 = e->sprite.x;
    Update(e);
    EXPECT_EQ(e->timer, 0);
    EXPECT_EQ(e->dx, 0);
    EXPECT_GE(e->dy, 4);
    EXPECT_EQ(e->sprite.x, x0);
    Update(e);
    EXPECT_EQ(e->sprite.x, x0);
}

TEST_F(EnemiesTest, TrackerFallsWithTheSceneryUntilLowerThan256) {
    TheShip->sideSpeed = 3;
    Enemy* e = MakeEnemy(300, 0, ENEMY_TRACKER);
    e->sprite.y = 256;
    const int32_t x0 = e->sprite.x;
    Update(e);
    EXPECT_EQ(e->sprite.x, x0 + 3);
    EXPECT_EQ(e->sprite.y, 261);
    EXPECT_EQ(e->dx, 0);
    EXPECT_EQ(e->dy, 5);
}

TEST_F(EnemiesTest, TrackerHomingIsLimitedToFour) {
    TheShip->sprite.x = 900;
    TheShip->sprite.y = 700;
    Enemy* e = MakeEnemy(300, 0, ENEMY_TRACKER);
    e->sprite.x = 100;
    e->sprite.y = 300;
    Update(e);
    EXPECT_EQ(e->dx, 4);
    EXPECT_EQ(e->dy, 4);
    e->sprite.x = 950;
    e->sprite.y = 750;
    Update(e);
    EXPECT_EQ(e->dx, -4);
    EXPECT_EQ(e->dy, -4);
    // Small gaps: halved and truncated toward zero. Ship centre (909, 712).
    e->sprite.x = 909 - 12 + 7;  // centre 7 right of the ship's: -7 / 2 = -3
    e->sprite.y = 712 - 12 - 5;  // centre 5 above: 5 / 2 = 2
    Update(e);
    EXPECT_EQ(e->dx, -3);
    EXPECT_EQ(e->dy, 2);
    e->sprite.x = 909 - 12 + 8;  // -8 / 2 = -4: at the limit
    e->sprite.y = 712 - 12 - 8;
    Update(e);
    EXPECT_EQ(e->dx, -4);
    EXPECT_EQ(e->dy, 4);
}

TEST_F(EnemiesTest, TrackerKeepsItsVelocityWhileTheShipDoesNotPlay) {
    TheShip->sprite.x = 900;
    TheShip->sprite.y = 700;
    Enemy* e = MakeEnemy(300, 0, ENEMY_TRACKER);
    e->sprite.y = 300;
    Update(e);
    ASSERT_EQ(e->dx, 4);
    TheShip->mode = SHIP_DOWN;
    TheShip->sideSpeed = 2;
    const int32_t x0 = e->sprite.x, y0 = e->sprite.y;
    Update(e);
    EXPECT_EQ(e->dx, 4);
    EXPECT_EQ(e->dy, 4);
    EXPECT_EQ(e->sprite.x, x0 + 2 + 4);
    EXPECT_EQ(e->sprite.y, y0 + 4);
}

TEST_F(EnemiesTest, OlderRiserAgainstNewerHeavy) {
    Enemy* riser = MakeEnemy(300, 0, ENEMY_RISER);
    riser->sprite.y = 410;
    riser->timer = 100;
    Enemy* heavy = MakeEnemy(300, 433, ENEMY_HEAVY);  // box 284..317 x 400..433
    Update(riser);
    // The riser reached 0 and was destroyed in an explosion; the heavy lost one.
    EXPECT_EQ(Items(EnemyChain), (std::vector<Enemy*>{heavy}));
    EXPECT_EQ(heavy->hitPoints, 14);
    EXPECT_NE(DebrisChain.oldest, nullptr);
    EXPECT_EQ(TheShip->score, 0);
}

TEST_F(EnemiesTest, OlderHeavyAgainstNewerRiser) {
    Enemy* heavy = MakeEnemy(300, 433, ENEMY_HEAVY);
    Enemy* riser = MakeEnemy(300, 0, ENEMY_RISER);
    riser->sprite.y = 410;
    const int32_t hy = heavy->sprite.y + heavy->dy;
    Update(heavy);
    EXPECT_EQ(riser->hitPoints, 0);
    EXPECT_EQ(Items(EnemyChain), (std::vector<Enemy*>{riser}));  // the heavy reached 0 and exploded
    // ... leaving a blast on its centre.
    ASSERT_EQ(Count(ShotChain), 1u);
    Shot* b = ShotChain.oldest;
    EXPECT_EQ(b->kind, SHOT_BLAST);
    EXPECT_EQ(b->sprite.x + 60, 284 + 16);
    EXPECT_EQ(b->sprite.y + 60, hy + 16);
    EXPECT_EQ(TheShip->score, 0);
}

TEST_F(EnemiesTest, DeadEnemyOverlappingANewerOneEndsItsUpdate) {
    Enemy* a = MakeEnemy(300, 433, ENEMY_HEAVY);
    a->hitPoints = 0;
    Enemy* b = MakeEnemy(300, 433, ENEMY_HEAVY);
    Update(a);
    EXPECT_EQ(Items(EnemyChain), (std::vector<Enemy*>{a, b}));  // neither removed nor exploded
    EXPECT_EQ(b->hitPoints, 15);
    EXPECT_EQ(DebrisChain.oldest, nullptr);
    EXPECT_EQ(ShotChain.oldest, nullptr);
}

TEST_F(EnemiesTest, EachOverlappingPairIsHandledOnceByTheOlder) {
    Enemy* a = MakeEnemy(300, 433, ENEMY_HEAVY);
    Enemy* b = MakeEnemy(300, 433, ENEMY_HEAVY);
    a->dy = b->dy = 0;
    a->hitPoints = 5;
    UpdateEnemies(10);
    // a hit b (b loses 5), a died and exploded; b, updated later in the same
    // walk, meets no newer enemy.
    EXPECT_EQ(Items(EnemyChain), (std::vector<Enemy*>{b}));
    EXPECT_EQ(b->hitPoints, 10);
}

TEST_F(EnemiesTest, PowerUpsAndTheBannerTakeNoPartInCollisions) {
    Enemy* heavy = MakeEnemy(300, 433, ENEMY_HEAVY);
    Enemy* p = MakeEnemy(300, 433, ENEMY_POWERUP);
    p->frame = 6;
    Update(heavy);
    EXPECT_EQ(heavy->hitPoints, 15);
    EXPECT_EQ(p->hitPoints, 1);
}

TEST_F(EnemiesTest, LeavingTheScreenAtMinusHAnd768) {
    StillScenery();
    struct Case {
        int32_t y;
        bool stays;
    } cases[] = {{-33, true}, {768, true}, {-34, false}, {769, false}};
    for (const Case& c : cases) {
        Enemy* e = MakeEnemy(300, 0, ENEMY_HEAVY);
        e->dy = 0;
        e->sprite.y = c.y;
        Update(e);
        EXPECT_EQ(EnemyChain.oldest != nullptr, c.stays) << c.y;
        EXPECT_EQ(DebrisChain.oldest, nullptr);
        ClearChains();
    }
    EXPECT_EQ(TheShip->score, 0);
    Enemy* e = MakeEnemy(300, 0, ENEMY_HEAVY);  // x is never tested
    e->dy = 0;
    e->sprite.y = 300;
    e->sprite.x = -500;
    Update(e);
    EXPECT_EQ(EnemyChain.oldest, e);
}

TEST_F(EnemiesTest, DeadEnemyExplodesAtItsNextUpdate) {
    srand(61);
    Enemy* e = MakeEnemy(300, 125, ENEMY_TRACKER);  // high enough not to home
    TakeDamage(e, 1);
    const int32_t x = e->sprite.x, y = e->sprite.y + e->dy;
    // Explode draws ox, then oy; a fragment burst comes before its spark burst.
    srand(62);
    const int ox = 1 + rand() % 25, oy = 1 + rand() % 25;
    int total = PredictFragmentBurst(e->dx, e->dy);
    total += PredictSparkBurst();
    rand();
    rand();
    total += PredictFragmentBurst(e->dx, e->dy);
    total += PredictSparkBurst();
    srand(62);
    Update(e);
    EXPECT_EQ(EnemyChain.oldest, nullptr);
    EXPECT_EQ(ShotChain.oldest, nullptr);  // only a heavy leaves a blast
    std::vector<Debris*> d = Items(DebrisChain);
    ASSERT_EQ((int)d.size(), total);
    EXPECT_EQ(d[0]->kind, DEBRIS_FRAGMENT);
    EXPECT_EQ(d[0]->sprite.x + 2, x + ox);
    EXPECT_EQ(d[0]->sprite.y + 2, y + oy);
    EXPECT_EQ(TheShip->score, 0);
}

TEST_F(EnemiesTest, FragmentsCarryTheEnemysVelocity) {
    for (unsigned seed = 1; seed <= 20; ++seed) {
        srand(seed);
        Enemy* e = MakeEnemy(300, 300, ENEMY_HEAVY);
        e->dy = 2;
        TakeDamage(e, 100);
        Update(e);
        for (Debris* d : Items(DebrisChain))
            if (d->kind == DEBRIS_FRAGMENT) {
                ASSERT_GE(d->dy, 2 - 3);
                ASSERT_LE(d->dy, 2 + 2);
            }
        const size_t n = Count(DebrisChain);
        EXPECT_GE(n, 160u);  // ten pairs of bursts
        EXPECT_LE(n, 340u);
        ClearChains();
    }
}

TEST_F(EnemiesTest, PowerUpVanishesOnceItsBitIsHeld) {
    Enemy* p = MakeEnemy(300, 300, ENEMY_POWERUP);
    p->frame = 3;
    p->timer = 100;
    Update(p);
    ASSERT_EQ(EnemyChain.oldest, p);
    TheShip->weapons = 0x08;
    Update(p);
    EXPECT_EQ(EnemyChain.oldest, nullptr);
    EXPECT_EQ(DebrisChain.oldest, nullptr);
    Enemy* six = MakeEnemy(300, 300, ENEMY_POWERUP);
    six->frame = 6;
    six->timer = 100;
    TheShip->weapons = 0x3F;
    Update(six);
    EXPECT_EQ(EnemyChain.oldest, six);
}

TEST_F(EnemiesTest, SpawnNeverBelowSpeedThree) {
    TheShip->speed = 2;
    srand(71);
    for (int i = 0; i < 2000; ++i) SpawnEnemy();
    EXPECT_EQ(EnemyChain.oldest, nullptr);
    // One draw per tick when nothing spawns.
    srand(71);
    for (int i = 0; i < 2000; ++i) rand();
    const int next = rand();
    srand(71);
    for (int i = 0; i < 2000; ++i) SpawnEnemy();
    EXPECT_EQ(rand(), next);
}

TEST_F(EnemiesTest, SpawnAlwaysAt300) {
    TheShip->speed = 300;
    const int offsetX[6] = {0, -9, -6, -12, -16, -10};
    int seenKinds[6] = {0, 0, 0, 0, 0, 0};
    for (unsigned seed = 1; seed <= 300; ++seed) {
        srand(seed);
        rand();
        const int x = 1 + rand() % 1024;
        const int k = 1 + rand() % 99;
        const int kind = k < 20 ? 1 : k < 50 ? 2 : k < 70 ? 3 : k < 90 ? 4 : 5;
        srand(seed);
        SpawnEnemy();
        Enemy* e = EnemyChain.newest;
        ASSERT_NE(e, nullptr);
        ASSERT_EQ(Count(EnemyChain), 1u);
        EXPECT_EQ(e->kind, kind) << "k " << k;
        EXPECT_EQ(e->sprite.x, x + offsetX[kind]);
        ++seenKinds[kind];
        ClearChains();
    }
    for (int kind = 1; kind <= 5; ++kind) EXPECT_GT(seenKinds[kind], 0) << kind;
}

TEST_F(EnemiesTest, SpawnChanceIsAThirdOfTheSpeedInPerCent) {
    TheShip->speed = 9;  // 3 per cent
    for (unsigned seed = 1; seed <= 200; ++seed) {
        srand(seed);
        const int r = 1 + rand() % 100;
        srand(seed);
        SpawnEnemy();
        EXPECT_EQ(EnemyChain.oldest != nullptr, r <= 3);
        ClearChains();
    }
}

TEST_F(EnemiesTest, SpawnAllocationFailures) {
    TheShip->speed = 300;
    GameAllocFailAt(1);  // the record
    SpawnEnemy();
    EXPECT_EQ(EnemyChain.oldest, nullptr);
    GameAllocFailAt(2);  // the link
    SpawnEnemy();
    ASSERT_NE(EnemyChain.oldest, nullptr);
    EXPECT_EQ(EnemyChain.oldest->link, nullptr);
    EXPECT_FALSE(Drawn(EnemyChain.oldest));
}

TEST_F(EnemiesTest, KillAllEnemiesSparesTheBanner) {
    MakeBanner();
    Enemy* h = MakeEnemy(300, 300, ENEMY_HEAVY);
    Enemy* p = MakeEnemy(600, 300, ENEMY_POWERUP);
    p->frame = 6;
    KillAllEnemies();
    EXPECT_EQ(Banner->hitPoints, 1);
    EXPECT_EQ(h->hitPoints, 0);
    EXPECT_EQ(p->hitPoints, 0);
    EXPECT_EQ(Count(EnemyChain), 3u);  // nobody leaves here
    Update(p);                         // a power-up vanishes without debris
    EXPECT_EQ(DebrisChain.oldest, nullptr);
    UpdateEnemies(10);
    EXPECT_EQ(Items(EnemyChain), (std::vector<Enemy*>{Banner}));
    EXPECT_NE(DebrisChain.oldest, nullptr);
}

TEST_F(EnemiesTest, UnlinkTakesTheEnemyOutOfChainAndDrawList) {
    Enemy* a = MakeEnemy(100, 100, ENEMY_HEAVY);
    Enemy* b = MakeEnemy(200, 100, ENEMY_HEAVY);
    Enemy* c = MakeEnemy(300, 100, ENEMY_HEAVY);
    Unlink(b);
    GameFree(b);
    EXPECT_EQ(Items(EnemyChain), (std::vector<Enemy*>{a, c}));
    EXPECT_EQ(c->prev, a);
    EXPECT_EQ(DrawListLength(), 3u);  // a, c and the ship
    Unlink(c);
    GameFree(c);
    EXPECT_EQ(EnemyChain.newest, a);
    Unlink(a);
    GameFree(a);
    EXPECT_EQ(EnemyChain.oldest, nullptr);
    EXPECT_EQ(EnemyChain.newest, nullptr);
}

}  // namespace
