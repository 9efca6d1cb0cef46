// Debris particles: construction, stages and lifetimes, drift, the screen
// rectangle, and the two kinds of burst.
#include <gtest/gtest.h>

#include <cstdlib>

#include "world_fixture.h"

namespace {

struct DebrisTest : WorldFixture {
    void SetUp() override {
        WorldFixture::SetUp();
        StillScenery();
    }
    // Runs UpdateDebris until the chain is empty; returns how many updates it took.
    static int UpdatesUntilGone(int limit) {
        for (int n = 1; n <= limit; ++n) {
            UpdateDebris();
            if (!DebrisChain.oldest) return n;
        }
        return -1;
    }
};

TEST_F(DebrisTest, FragmentConstruction) {
    Debris* d = MakeDebris(100, 200, 3, -2, 4, DEBRIS_FRAGMENT);
    EXPECT_EQ(d->sprite.w, 13u);
    EXPECT_EQ(d->sprite.h, 13u);
    EXPECT_EQ(d->sprite.srcW, 13);
    EXPECT_EQ(d->sprite.srcH, 13);
    EXPECT_EQ(d->sprite.srcX, 0);
    EXPECT_EQ(d->sprite.srcY, 131);
    EXPECT_EQ(d->sprite.x, 100 - 6);  // the point is the centre
    EXPECT_EQ(d->sprite.y, 200 - 6);
    EXPECT_EQ(d->dx, 3);
    EXPECT_EQ(d->dy, -2);
    EXPECT_EQ(d->life, 15);
    EXPECT_EQ(d->lifeReload, 15);
    EXPECT_EQ(d->frame, 0);
    EXPECT_EQ(d->stage, 4);
    EXPECT_EQ(d->sprite.state, 0);
    EXPECT_EQ(d->sprite.image, SpritesImage);
    EXPECT_TRUE(Drawn(d));
    EXPECT_EQ(d->link->object, d);
}

TEST_F(DebrisTest, SizesAndRowsByStage) {
    const int sizes[4] = {4, 8, 9, 13};
    const int fragRows[4] = {108, 114, 122, 131};
    const int sparkRows[4] = {242, 246, 254, 263};
    for (int s = 1; s <= 4; ++s) {
        Debris* f = MakeDebris(500, 400, 1, 1, s, DEBRIS_FRAGMENT);
        Debris* k = MakeDebris(500, 400, 1, 1, s, DEBRIS_SPARK);
        EXPECT_EQ((int)f->sprite.w, sizes[s - 1]);
        EXPECT_EQ(f->sprite.srcY, fragRows[s - 1]);
        EXPECT_EQ(k->sprite.srcY, sparkRows[s - 1]);
        EXPECT_EQ(k->lifeReload, 3);
        EXPECT_EQ(k->life, 3);
        EXPECT_EQ(f->sprite.x, 500 - sizes[s - 1] / 2);
    }
}

TEST_F(DebrisTest, AnimateCyclesFramesAndSource) {
    Debris* d = MakeDebris(500, 400, 1, 1, 2, DEBRIS_SPARK);
    const int expected[6] = {1, 2, 3, 0, 1, 2};
    for (int f : expected) {
        Animate(d);
        EXPECT_EQ(d->frame, f);
        EXPECT_EQ(d->sprite.srcX, f * 8);
    }
}

TEST_F(DebrisTest, FragmentLifetimeIsSixtyTimesStageMinusOne) {
    for (int s = 1; s <= 4; ++s) {
        MakeDebris(500, 400, 0, 0, s, DEBRIS_FRAGMENT);
        EXPECT_EQ(UpdatesUntilGone(300), 60 * s - 1) << "stage " << s;
    }
}

TEST_F(DebrisTest, SparkLifetimeIsTwelveTimesStageMinusOne) {
    srand(5);
    for (int s = 1; s <= 4; ++s) {
        MakeDebris(500, 400, 0, 0, s, DEBRIS_SPARK);  // jitter stays far from the edges
        EXPECT_EQ(UpdatesUntilGone(100), 12 * s - 1) << "stage " << s;
    }
}

TEST_F(DebrisTest, ShrinkingKeepsTheTopLeftCorner) {
    Debris* d = MakeDebris(500, 400, 0, 0, 2, DEBRIS_FRAGMENT);
    const int32_t x = d->sprite.x, y = d->sprite.y;
    for (int i = 0; i < 59; ++i) UpdateDebris();
    ASSERT_EQ(d->stage, 1);
    EXPECT_EQ(d->sprite.w, 8u);  // the new size shows from the next Animate
    UpdateDebris();
    EXPECT_EQ(d->sprite.w, 4u);
    EXPECT_EQ(d->sprite.srcY, 108);
    EXPECT_EQ(d->sprite.x, x);
    EXPECT_EQ(d->sprite.y, y);
}

TEST_F(DebrisTest, SparkJittersAtEachChangeOfStage) {
    // A change of stage draws the horizontal jitter, then the vertical one.
    srand(77);
    const int jx = (rand() % 6 - 3) / 2;
    const int jy = (rand() % 6 - 3) / 2;
    srand(77);
    Debris* d = MakeDebris(500, 400, 2, -2, 2, DEBRIS_SPARK);
    for (int i = 0; i < 10; ++i) UpdateDebris();
    EXPECT_EQ(d->dx, 2);
    EXPECT_EQ(d->dy, -2);
    UpdateDebris();  // update 11: stage 2 -> 1
    EXPECT_EQ(d->stage, 1);
    EXPECT_EQ(d->dx, 2 + jx);
    EXPECT_EQ(d->dy, -2 + jy);
}

TEST_F(DebrisTest, JitterIsMinusOneZeroOrPlusOne) {
    int seen[3] = {0, 0, 0};
    for (unsigned seed = 1; seed <= 200; ++seed) {
        srand(seed);
        Debris* d = MakeDebris(500, 400, 0, 3, 2, DEBRIS_SPARK);
        for (int i = 0; i < 11; ++i) UpdateDebris();
        ASSERT_GE(d->dx, -1);
        ASSERT_LE(d->dx, 1);
        ASSERT_GE(d->dy, 2);
        ASSERT_LE(d->dy, 4);
        ++seen[d->dx + 1];
        ClearChains();
    }
    EXPECT_GT(seen[0], seen[2]);  // -1 comes twice as often as +1
    EXPECT_GT(seen[1], 0);
}

TEST_F(DebrisTest, FragmentNeverChangesVelocity) {
    Debris* d = MakeDebris(500, 400, 1, -1, 2, DEBRIS_FRAGMENT);
    for (int i = 0; i < 100; ++i) UpdateDebris();
    EXPECT_EQ(d->dx, 1);
    EXPECT_EQ(d->dy, -1);
}

TEST_F(DebrisTest, DriftsWithTheScenery) {
    TheShip->sideSpeed = -3;
    TheShip->speed = 10;  // a third: 3
    Debris* d = MakeDebris(500, 400, 2, 1, 4, DEBRIS_FRAGMENT);
    const int32_t x = d->sprite.x, y = d->sprite.y;
    Update(d);
    EXPECT_EQ(d->sprite.x, x - 3 + 2);
    EXPECT_EQ(d->sprite.y, y + 3 + 1);
}

TEST_F(DebrisTest, ScreenEdgesStayOneBeyondGoes) {
    struct Case {
        int32_t x, y;
        bool stays;
    } cases[] = {{0, 400, true},     {1024, 400, true}, {500, 0, true},    {500, 768, true},  {-1, 400, false},
                 {1025, 400, false}, {500, -1, false},  {500, 769, false}, {1024, 768, true}, {0, 0, true}};
    for (const Case& c : cases) {
        Debris* d = MakeDebris(500, 400, 0, 0, 4, DEBRIS_FRAGMENT);
        // Placed one step away, so the move lands exactly on the tested point.
        d->dx = 1;
        d->dy = -1;
        d->sprite.x = c.x - 1;
        d->sprite.y = c.y + 1;
        Update(d);
        EXPECT_EQ(DebrisChain.oldest != nullptr, c.stays) << c.x << "," << c.y;
        ClearChains();
    }
}

TEST_F(DebrisTest, ParticleMadeOffScreenIsTestedOnlyAfterMoving) {
    Debris* d = MakeDebris(-20, 400, 30, 0, 1, DEBRIS_FRAGMENT);  // corner at x -22
    ASSERT_LT(d->sprite.x, 0);
    Update(d);
    ASSERT_EQ(DebrisChain.oldest, d);
    EXPECT_EQ(d->sprite.x, 8);
}

TEST_F(DebrisTest, SparkBurstCounts) {
    int lo = 1000, hi = 0;
    // The extremes come up about once in 600 bursts.
    for (unsigned seed = 1; seed <= 6000; ++seed) {
        srand(seed);
        SparkBurst(500, 400);
        std::vector<Debris*> all = Items(DebrisChain);
        const int n = (int)all.size();
        ASSERT_GE(n, 9);
        ASSERT_LE(n, 22);
        lo = std::min(lo, n);
        hi = std::max(hi, n);
        // Rings in order, with their own counts.
        int perRing[5] = {0, 0, 0, 0, 0};
        int lastRing = 1;
        for (Debris* d : all) {
            ASSERT_EQ(d->kind, DEBRIS_SPARK);
            ASSERT_GE(d->stage, lastRing);
            lastRing = d->stage;
            ++perRing[d->stage];
            ASSERT_NE(d->dx == 0 && d->dy == 0, true);
            ASSERT_GE(d->dx, -6);
            ASSERT_LE(d->dx, 5);
            ASSERT_GE(d->dy, -6);
            ASSERT_LE(d->dy, 5);
            const int32_t half = (int32_t)d->sprite.w / 2;
            ASSERT_GE(d->sprite.x + half, 500 - 6);
            ASSERT_LE(d->sprite.x + half, 500 + 5);
            ASSERT_GE(d->sprite.y + half, 400 - 6);
            ASSERT_LE(d->sprite.y + half, 400 + 5);
        }
        EXPECT_TRUE(perRing[1] >= 4 && perRing[1] <= 10);
        EXPECT_TRUE(perRing[2] >= 2 && perRing[2] <= 5);
        EXPECT_TRUE(perRing[3] >= 2 && perRing[3] <= 4);
        EXPECT_TRUE(perRing[4] >= 1 && perRing[4] <= 3);
        ClearChains();
    }
    EXPECT_EQ(lo, 9);
    EXPECT_EQ(hi, 22);
}

TEST_F(DebrisTest, FragmentBurstCountsAndVelocities) {
    int lo = 1000, hi = 0;
    for (unsigned seed = 1; seed <= 400; ++seed) {
        srand(seed);
        FragmentBurst(300, 200, 4, -3);
        std::vector<Debris*> all = Items(DebrisChain);
        const int n = (int)all.size();
        ASSERT_GE(n, 7);
        ASSERT_LE(n, 12);
        lo = std::min(lo, n);
        hi = std::max(hi, n);
        int perRing[5] = {0, 0, 0, 0, 0};
        for (Debris* d : all) {
            ASSERT_EQ(d->kind, DEBRIS_FRAGMENT);
            ++perRing[d->stage];
            ASSERT_GE(d->dx, 4 - 3);
            ASSERT_LE(d->dx, 4 + 2);
            ASSERT_GE(d->dy, -3 - 3);
            ASSERT_LE(d->dy, -3 + 2);
            const int32_t half = (int32_t)d->sprite.w / 2;
            ASSERT_EQ(d->sprite.x + half, 300);
            ASSERT_EQ(d->sprite.y + half, 200);
        }
        EXPECT_TRUE(perRing[1] >= 3 && perRing[1] <= 5);
        EXPECT_TRUE(perRing[2] >= 2 && perRing[2] <= 3);
        EXPECT_TRUE(perRing[3] >= 1 && perRing[3] <= 2);
        EXPECT_TRUE(perRing[4] >= 1 && perRing[4] <= 2);
        ClearChains();
    }
    EXPECT_EQ(lo, 7);
    EXPECT_EQ(hi, 12);
}

TEST_F(DebrisTest, FragmentBurstAtRestVelocityMakesNoParticleAtRest) {
    bool sawZeroX = false, sawZeroY = false;
    for (unsigned seed = 1; seed <= 300; ++seed) {
        srand(seed);
        FragmentBurst(300, 200, 0, 0);
        for (Debris* d : Items(DebrisChain)) {
            ASSERT_FALSE(d->dx == 0 && d->dy == 0);
            ASSERT_GE(d->dx, -3);
            ASSERT_LE(d->dx, 2);
            sawZeroX |= d->dx == 0;
            sawZeroY |= d->dy == 0;
        }
        ClearChains();
    }
    EXPECT_TRUE(sawZeroX);  // (0, 1) and the like are kept
    EXPECT_TRUE(sawZeroY);
}

TEST_F(DebrisTest, FragmentBurstDrawsInTheStatedOrder) {
    // Ring 1's count first, then pdx before pdy for each particle.
    srand(123);
    const int count1 = (2 + rand() % 3) / 1 + 1;
    int pdx, pdy;
    do {
        pdx = 10 - 3 + rand() % 6;
        pdy = 20 - 3 + rand() % 6;
    } while (pdx == 0 && pdy == 0);
    srand(123);
    FragmentBurst(300, 200, 10, 20);
    std::vector<Debris*> all = Items(DebrisChain);
    int ring1 = 0;
    for (Debris* d : all) ring1 += d->stage == 1;
    EXPECT_EQ(ring1, count1);
    EXPECT_EQ(all[0]->dx, pdx);
    EXPECT_EQ(all[0]->dy, pdy);
}

TEST_F(DebrisTest, SparkBurstDrawsInTheStatedOrder) {
    srand(321);
    rand();  // ring 1's count
    const SparkDraw first = DrawSpark();
    srand(321);
    const int predicted = PredictSparkBurst();
    srand(321);
    SparkBurst(300, 200);
    std::vector<Debris*> all = Items(DebrisChain);
    ASSERT_EQ((int)all.size(), predicted);
    EXPECT_EQ(all[0]->dx, first.pdx);
    EXPECT_EQ(all[0]->dy, first.pdy);
    EXPECT_EQ(all[0]->sprite.x, 300 + first.ox - 2);
    EXPECT_EQ(all[0]->sprite.y, 200 + first.oy - 2);
}

TEST_F(DebrisTest, ParticleRecordAllocationFailureSkipsOnlyThatParticle) {
    srand(9);
    const int predicted = PredictFragmentBurst(1, 1);
    srand(9);
    GameAllocFailAt(1);  // the first particle's record
    FragmentBurst(300, 200, 1, 1);
    EXPECT_EQ((int)Count(DebrisChain), predicted - 1);
    EXPECT_EQ(DrawListLength(), (size_t)predicted - 1 + 1);  // plus the ship
}

TEST_F(DebrisTest, ParticleLinkAllocationFailureLivesUndrawn) {
    srand(9);
    const int predicted = PredictSparkBurst();
    srand(9);
    GameAllocFailAt(2);  // the first particle's link
    SparkBurst(300, 200);
    std::vector<Debris*> all = Items(DebrisChain);
    ASSERT_EQ((int)all.size(), predicted);
    EXPECT_EQ(all[0]->link, nullptr);
    EXPECT_FALSE(Drawn(all[0]));
    EXPECT_TRUE(Drawn(all[1]));
    // It still moves and dies like the others.
    EXPECT_NE(UpdatesUntilGone(200), -1);
}

TEST_F(DebrisTest, EverythingFailsMakesNothing) {
    GameAllocFailAt(1, true);
    SparkBurst(300, 200);
    FragmentBurst(300, 200, 0, 0);
    EXPECT_EQ(DebrisChain.oldest, nullptr);
    EXPECT_EQ(DebrisChain.newest, nullptr);
}

TEST_F(DebrisTest, UpdateWalkSurvivesRemovalsInTheMiddle) {
    Debris* a = MakeDebris(500, 400, 0, 0, 4, DEBRIS_FRAGMENT);
    Debris* b = MakeDebris(500, 400, 0, 0, 4, DEBRIS_FRAGMENT);
    Debris* c = MakeDebris(500, 400, 0, 0, 4, DEBRIS_FRAGMENT);
    b->sprite.y = 780;  // leaves at once
    UpdateDebris();
    EXPECT_EQ(Items(DebrisChain), (std::vector<Debris*>{a, c}));
    EXPECT_EQ(a->next, c);
    EXPECT_EQ(c->prev, a);
    EXPECT_EQ(a->frame, 1);
    EXPECT_EQ(c->frame, 1);
}

}  // namespace
