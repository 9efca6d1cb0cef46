// Enemies: construction by kind, animation, each kind's movement, collisions
// between enemies, leaving the screen, explosions, spawning and the Banner.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstdlib>

#include "tests/support/world.h"

namespace {

struct EnemiesTest : WorldFixture {
    void SetUp() override {
        WorldFixture::SetUp();
        ShipPlaying(503, 600, 0, 0);
    }
};

// The construction table, fed by a replay of each kind's random draws, made at
// reference point (300, 50). ANY marks a field the kind never reads.
constexpr int ANY = INT_MIN;
using Fields = std::array<int32_t, 14>;  // srcX srcY w h x y dy swayStep timer points bursts lastFrame frame hp

Fields Read(const Enemy* e) {
    return {e->sprite.srcX,
            e->sprite.srcY,
            (int32_t)e->sprite.w,
            (int32_t)e->sprite.h,
            e->sprite.x,
            e->sprite.y,
            e->dy,
            e->swayStep,
            e->timer,
            e->points,
            e->bursts,
            e->lastFrame,
            e->frame,
            e->hitPoints};
}

TEST_F(EnemiesTest, ConstructionByKind) {
    struct Case {
        int32_t kind;
        Fields want;
        void (*draw)(Fields&);  // replays the draws, in order, into the wanted fields
    } cases[] = {
        {ENEMY_RISER,
         {0, 144, 18, 24, 291, 768, -8, 3, 20, -250, 2, 1, 0, 1},
         [](Fields& f) { f[6] -= rand() % 4, f[8] += rand() % 200; }},
        {ENEMY_DIVER,
         {0, 168, 12, 12, 294, 44, 2, ANY, 80, 175, 3, 5, 0, 1},
         [](Fields& f) { f[1] += 12 * (rand() % 2), f[12] = rand() % 5; }},
        {ENEMY_TRACKER, {0, 216, 25, 25, 288, 25, 5, 0, ANY, 250, 2, 3, 0, 1}, [](Fields& f) { f[12] = rand() % 3; }},
        {ENEMY_HEAVY, {0, 276, 33, 33, 284, 17, 1, 0, 0, 500, 10, 0, 0, 15}, [](Fields& f) { f[6] += rand() % 2; }},
        {ENEMY_POWERUP,
         {0, 58, 20, 20, 290, 30, 1, 3, 40, 0, 0, 7, 0, 1},
         [](Fields& f) { f[8] += rand() % 400, f[12] = rand() % 7; }},
        {ENEMY_BANNER, {182, 186, 141, 61, 230, -11, 0, 0, 0, 0, 0, 0, 0, 1}, [](Fields&) {}},
    };
    for (const Case& c : cases) {
        for (unsigned seed = 1; seed <= 20; ++seed) {
            SCOPED_TRACE(testing::Message() << "kind " << c.kind << " seed " << seed);
            srand(seed);
            Fields want = c.want;
            c.draw(want);
            const int after = rand();
            srand(seed);
            Enemy* e = MakeEnemy(300, 50, c.kind);
            EXPECT_EQ(rand(), after);  // exactly the kind's draws
            Fields got = Read(e);
            for (size_t i = 0; i < want.size(); ++i)
                if (want[i] == ANY) got[i] = ANY;
            EXPECT_EQ(got, want);
            EXPECT_EQ(e->kind, c.kind);
            EXPECT_EQ(e->dx, 0);
            EXPECT_EQ(e->sprite.srcW, (int32_t)e->sprite.w);
            EXPECT_EQ(e->sprite.srcH, (int32_t)e->sprite.h);
            EXPECT_EQ(e->sprite.state, 0);
            EXPECT_EQ(e->sprite.image, SpritesImage);
            ASSERT_NE(e->link, nullptr);
            EXPECT_EQ(e->link->object, e);
            EXPECT_TRUE(Drawn(e));
            ClearChains();
        }
    }
}

// A spawn whose record cannot be allocated makes nothing; one whose link
// cannot be allocated lives undrawn, moves, and dies without debris or a blast
// when nothing more can be allocated.
TEST_F(EnemiesTest, AllocationFailures) {
    TheShip->speed = 300;
    GameAllocFailAt(1);  // the record
    SpawnEnemy();
    EXPECT_EQ(EnemyChain.oldest, nullptr);
    Enemy* e = static_cast<Enemy*>(GameAlloc(sizeof(Enemy)));
    GameAllocFailAt(1);  // the link
    ConstructEnemy(e, 500, 0, ENEMY_HEAVY);
    EXPECT_EQ(e->link, nullptr);
    EXPECT_EQ(EnemyChain.oldest, e);
    EXPECT_FALSE(Drawn(e));
    StillScenery();
    Update(e);
    EXPECT_EQ(e->sprite.y, -33 + e->dy);
    TakeDamage(e, 100);
    GameAllocFailAt(1, true);
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
    UpdateEnemies(1);
    EXPECT_EQ(enemyAnimMs, 0);
    EXPECT_EQ(t->frame, 1);
    EXPECT_EQ(t->sprite.srcX, 25);
    UpdateEnemies(1000);  // the part above 70 is dropped
    EXPECT_EQ(enemyAnimMs, 0);
    EXPECT_EQ(t->frame, 2);
}

TEST_F(EnemiesTest, AnimateWrapsAtLastFrame) {
    struct Case {
        int32_t kind, frame, frameAfter, srcXAfter;
    } cases[] = {
        {ENEMY_TRACKER, 3, 0, 0}, {ENEMY_DIVER, 4, 5, 60},   {ENEMY_DIVER, 5, 0, 0},
        {ENEMY_HEAVY, 0, 0, 0},   {ENEMY_POWERUP, 4, 4, 80}, {ENEMY_BANNER, 0, 0, 182},  // a power-up keeps its type
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.kind << " from " << c.frame);
        Enemy* e = MakeEnemy(300, 300, c.kind);
        e->frame = c.frame;
        Animate(e);
        EXPECT_EQ(e->frame, c.frameAfter);
        EXPECT_EQ(e->sprite.srcX, c.srcXAfter);
    }
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

// How far one update moves each kind with the scenery at the given speeds:
// the riser rides the full speed, a power-up a third, a heavy a quarter.
TEST_F(EnemiesTest, MovementWithTheScenery) {
    struct Case {
        int32_t kind, speed, side, dy, moveX, moveY;
    } cases[] = {
        {ENEMY_RISER, 12, -2, -9, -2 + 3, 12 - 9},  // its first sway step is 3
        {ENEMY_POWERUP, 11, 4, 1, 4 + 3, 3 + 1},
        {ENEMY_HEAVY, 11, -4, 1, -4, 2 + 1},
        {ENEMY_TRACKER, 0, 3, 5, 3, 5},  // at y 256: not yet homing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        Enemy* e = MakeEnemy(300, 300, c.kind);
        e->sprite.y = 256;
        e->timer = 100;
        e->frame = 6;  // a power-up that never vanishes by a held bit
        e->dy = c.dy;
        TheShip->speed = c.speed;
        TheShip->sideSpeed = c.side;
        const int32_t x = e->sprite.x;
        Update(e);
        EXPECT_EQ(e->sprite.x, x + c.moveX);
        EXPECT_EQ(e->sprite.y, 256 + c.moveY);
        ClearChains();
    }
}

// Both sway until the size of dx reaches 3 (riser) or 2 (power-up). When
// the timer runs out (the third update, and the sixth once it is set to 1)
// the step flips; the riser's dx grows by the old step, the power-up's by
// the new one. Then the riser draws its timer and its dy, the power-up its timer.
TEST_F(EnemiesTest, SwaySequences) {
    struct Case {
        int32_t kind, timerBase, timerMod;
        int dx[7];
    } cases[] = {{ENEMY_RISER, 20, 200, {3, 3, 6, 6, 6, 3, 3}}, {ENEMY_POWERUP, 40, 400, {3, 3, 0, -3, -3, 0, 3}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        Enemy* e = MakeEnemy(300, 300, c.kind);
        e->sprite.y = 500;
        e->frame = 6;  // a power-up that never vanishes by a held bit
        e->timer = 3;
        srand(31);
        const int t = rand() % c.timerMod, d = rand() % 4;
        srand(31);
        int32_t x = e->sprite.x;
        for (int i = 0; i < 7; ++i) {
            if (i == 5) {
                EXPECT_EQ(e->swayStep, -3);
                EXPECT_EQ(e->timer, c.timerBase + t - 2);
                if (c.kind == ENEMY_RISER) {
                    EXPECT_EQ(e->dy, -8 - d);
                }
                e->timer = 1;
            }
            Update(e);
            x += c.dx[i];
            EXPECT_EQ(e->dx, c.dx[i]) << "update " << i + 1;
            EXPECT_EQ(e->sprite.x, x);
        }
        EXPECT_EQ(e->swayStep, 3);
        ClearChains();
    }
}

// Down to y 98 without scenery movement, hovering 79 ticks drifting at half
// the side speed (-5 / 2 = -2), then a dive on a line aimed at the ship. The
// horizontal gap, -233, never divides evenly: its division must truncate.
TEST_F(EnemiesTest, DiverDescendsHoversAndDives) {
    TheShip->sideSpeed = -5;
    TheShip->sprite.x = 200;
    TheShip->sprite.y = 400;
    Enemy* e = MakeEnemy(600, 0, ENEMY_DIVER);
    const int32_t x0 = e->sprite.x;
    int n = 0;
    while (e->sprite.y <= 96) {
        Update(e);
        ++n;
        ASSERT_EQ(e->sprite.x, x0);
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
}

// The ship's centre less than one step below the diver's: the tick count is
// 0, and the diver falls straight down instead of dividing by it.
TEST_F(EnemiesTest, DiverDivesStraightDownWhenTheShipIsLevel) {
    TheShip->sprite.x = 100;
    TheShip->sprite.y = 104 - 12;  // ship centre 104, level with the diver's
    Enemy* e = MakeEnemy(600, 104, ENEMY_DIVER);
    e->timer = 1;
    const int32_t x0 = e->sprite.x;
    Update(e);
    EXPECT_EQ(e->timer, 0);
    EXPECT_EQ(e->dx, 0);
    EXPECT_GE(e->dy, 4);
    Update(e);
    EXPECT_EQ(e->sprite.x, x0);
}

// Homing halves the gap between centres, truncated, and limits it to 4.
TEST_F(EnemiesTest, TrackerHomingIsLimitedToFour) {
    TheShip->sprite.x = 900;
    TheShip->sprite.y = 700;  // centre (909, 712)
    Enemy* e = MakeEnemy(300, 0, ENEMY_TRACKER);
    struct Case {
        int32_t cx, cy, dx, dy;
    } cases[] = {{112, 312, 4, 4}, {962, 762, -4, -4}, {916, 707, -3, 2}, {917, 704, -4, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.cx << "," << c.cy);
        e->sprite.x = c.cx - 12;
        e->sprite.y = c.cy - 12;
        Update(e);
        EXPECT_EQ(e->dx, c.dx);
        EXPECT_EQ(e->dy, c.dy);
    }
    // While the ship does not play, the tracker keeps its last velocity.
    TheShip->mode = SHIP_DOWN;
    TheShip->sideSpeed = 2;
    e->sprite.x = e->sprite.y = 300;
    Update(e);
    EXPECT_EQ(e->dx, -4);
    EXPECT_EQ(e->dy, 4);
    EXPECT_EQ(e->sprite.x, 300 + 2 - 4);
    EXPECT_EQ(e->sprite.y, 300 + 4);
}

// The older of two overlapping hostiles deals its hit points and takes back
// those plus what the other had: riser older than heavy leaves 0 and 14.
TEST_F(EnemiesTest, OlderRiserAgainstNewerHeavy) {
    Enemy* riser = MakeEnemy(300, 0, ENEMY_RISER);
    riser->sprite.y = 410;
    riser->timer = 100;
    Enemy* heavy = MakeEnemy(300, 433, ENEMY_HEAVY);  // box 284..317 x 400..433
    Update(riser);
    EXPECT_EQ(Items(EnemyChain), (std::vector<Enemy*>{heavy}));  // the riser exploded
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
    ASSERT_EQ(Count(ShotChain), 1u);                             // ... leaving a blast on its centre
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
    Enemy* p = MakeEnemy(300, 433, ENEMY_POWERUP);  // takes no part
    a->dy = b->dy = 0;
    a->hitPoints = 5;
    p->frame = 6;
    UpdateEnemies(10);
    // a hit b (b loses 5), a died and exploded; b, updated later in the same
    // walk, meets no newer hostile.
    EXPECT_EQ(Items(EnemyChain), (std::vector<Enemy*>{b, p}));
    EXPECT_EQ(b->hitPoints, 10);
    EXPECT_EQ(p->hitPoints, 1);
}

TEST_F(EnemiesTest, LeavingTheScreenAtMinusHAnd768) {
    StillScenery();
    struct Case {
        int32_t x, y;
        bool stays;
    } cases[] = {{284, -33, true}, {284, 768, true}, {284, -34, false}, {284, 769, false}, {-500, 300, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        Enemy* e = MakeEnemy(300, 0, ENEMY_HEAVY);
        e->dy = 0;
        e->sprite.x = c.x;
        e->sprite.y = c.y;
        Update(e);
        EXPECT_EQ(EnemyChain.oldest != nullptr, c.stays);
        EXPECT_EQ(DebrisChain.oldest, nullptr);
        ClearChains();
    }
    EXPECT_EQ(TheShip->score, 0);
}

// Each of the enemy's bursts draws ox, then oy; a fragment burst carrying the
// enemy's velocity comes before its spark burst, both at (x + ox, y + oy).
TEST_F(EnemiesTest, DeadEnemyExplodesAtItsNextUpdate) {
    srand(61);
    Enemy* e = MakeEnemy(300, 125, ENEMY_TRACKER);  // high enough not to home
    TakeDamage(e, 1);
    const int32_t x = e->sprite.x, y = e->sprite.y + e->dy;
    std::vector<Particle> want;
    srand(62);
    for (int i = 0; i < 2; ++i) {
        const int ox = 1 + rand() % 25, oy = 1 + rand() % 25;
        PredictFragmentBurst(want, x + ox, y + oy, e->dx, e->dy);
        PredictSparkBurst(want, x + ox, y + oy);
    }
    srand(62);
    Update(e);
    EXPECT_EQ(EnemyChain.oldest, nullptr);
    EXPECT_EQ(ShotChain.oldest, nullptr);  // only a heavy leaves a blast
    EXPECT_EQ(Particles(), want);
    EXPECT_EQ(TheShip->score, 0);
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
    Enemy* six = MakeEnemy(300, 300, ENEMY_POWERUP);  // missiles: never held
    six->frame = 6;
    six->timer = 100;
    TheShip->weapons = 0x3F;
    Update(six);
    EXPECT_EQ(EnemyChain.oldest, six);
}

// Replays SpawnEnemy's draws: the chance r (one draw, and nothing more when
// nothing spawns), then x and the kind. Never below speed 3, always at 300.
TEST_F(EnemiesTest, SpawnFollowsItsDraws) {
    const int offsetX[6] = {0, -9, -6, -12, -16, -10};
    for (int32_t speed : {2, 3, 9, 300}) {
        TheShip->speed = speed;
        int spawned = 0, seenKinds[6] = {0, 0, 0, 0, 0, 0};
        for (unsigned seed = 1; seed <= 300; ++seed) {
            SCOPED_TRACE(testing::Message() << "speed " << speed << " seed " << seed);
            srand(seed);
            const int r = 1 + rand() % 100;
            const bool spawns = r <= speed / 3;
            const int next = rand(), x = 1 + next % 1024, k = 1 + rand() % 99;
            const int kind = k < 20 ? 1 : k < 50 ? 2 : k < 70 ? 3 : k < 90 ? 4 : 5;
            srand(seed);
            SpawnEnemy();
            if (!spawns) {
                EXPECT_EQ(EnemyChain.oldest, nullptr);
                EXPECT_EQ(rand(), next);
                continue;
            }
            ASSERT_EQ(Count(EnemyChain), 1u);
            EXPECT_EQ(EnemyChain.oldest->kind, kind) << "k " << k;
            EXPECT_EQ(EnemyChain.oldest->sprite.x, x + offsetX[kind]);
            ++spawned, ++seenKinds[kind];
            ClearChains();
        }
        if (speed == 2) {
            EXPECT_EQ(spawned, 0);
        } else if (speed == 300) {
            EXPECT_EQ(spawned, 300);
            for (int kind = 1; kind <= 5; ++kind) EXPECT_GT(seenKinds[kind], 0) << kind;
        }
    }
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

}  // namespace
