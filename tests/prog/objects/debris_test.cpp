// Debris particles: size and sheet row by stage, lifetimes, drift, the sparks' jitter, the two kinds of burst, and
// every kind's screen edges.
#include "tests/support/world.h"

namespace {

struct DebrisTest : WorldFixture {
    void SetUp() override { WorldFixture::SetUp(), StillScenery(); }
};

// Made around its centre; size and sheet row by stage, lives a stage by kind: one life per animation cycle of four
// updates, so a fragment of stage s is gone at update 60 s - 1, a spark at 12 s - 1.
TEST_F(DebrisTest, SizeRowAndLifetimeByStageAndKind) {
    srand(5);
    for (int i = 0; i < 4; ++i)
        for (int32_t fragment : {1, 0}) {
            const AtlasStrip& strip = fragment ? FRAGMENT_FRAMES[i] : SPARK_FRAMES[i];
            const int32_t s = strip.w, kind = fragment ? DEBRIS_FRAGMENT : DEBRIS_SPARK;
            const Debris* d = MakeDebris(500, 400, 0, 0, i + 1, kind);
            EXPECT_EQ((V{d->sprite.x, d->sprite.y, (int32_t)d->sprite.w, d->sprite.srcW, d->sprite.srcY, IsDrawn(d)}),
                      (V{500 - s / 2, 400 - s / 2, s, s, strip.y, 1}));
            int n = 1;
            for (UpdateAllDebris(); DebrisChain.oldest && n < 300; ++n) UpdateAllDebris();
            EXPECT_EQ(n, (fragment ? 60 : 12) * (i + 1) - 1) << "stage " << i + 1 << " kind " << kind;
        }
}
// Frames cycle 1, 2, 3, 0 across the row; the particle drifts with the scenery (side speed, a third of the speed)
// besides its own velocity, which a fragment never changes; shrinking keeps the top-left corner.
TEST_F(DebrisTest, FragmentAnimatesDriftsAndShrinksInPlace) {
    TheShip->sideSpeed = -3, TheShip->speed = 10;
    Debris* d = MakeDebris(500, 400, 1, -1, 2, DEBRIS_FRAGMENT);
    const AtlasStrip &s1 = FRAGMENT_FRAMES[0], &s2 = FRAGMENT_FRAMES[1];  // stages 1 and 2
    const int32_t x = d->sprite.x, y = d->sprite.y;
    for (int f : {1, 2, 3, 0}) EXPECT_EQ((UpdateAllDebris(), V{d->frame, d->sprite.srcX}), (V{f, FrameX(s2, f)}));
    EXPECT_EQ((V{d->sprite.x, d->sprite.y}), (V{x - 2 * 4, y + 2 * 4}));
    for (int i = 4; i < 59; ++i) UpdateAllDebris();
    EXPECT_EQ((V{d->stage, (int32_t)d->sprite.w}), (V{1, s2.w})) << "the new size shows from the next animation step";
    EXPECT_EQ((UpdateAllDebris(), V{(int32_t)d->sprite.w, d->sprite.srcY, d->sprite.x, d->sprite.y, d->dx, d->dy}),
              (V{s1.w, s1.y, x - 2 * 60, y + 2 * 60, 1, -1}));
}
// A spark's change of stage draws the horizontal jitter, then the vertical one: each (random mod 6 - 3) / 2, truncated
// to -1, 0 or +1.
TEST_F(DebrisTest, SparkJittersAtEachChangeOfStage) {
    for (unsigned seed = 1; seed <= 40; ++seed, ClearChains()) {
        srand(seed);
        const int jx = (rand() % 6 - 3) / 2, jy = (rand() % 6 - 3) / 2;
        srand(seed);
        Debris* d = MakeDebris(500, 400, 2, -2, 2, DEBRIS_SPARK);
        for (int i = 0; i < 10; ++i) UpdateAllDebris();
        ASSERT_EQ((V{d->stage, d->dx, d->dy}), (V{2, 2, -2}));
        EXPECT_EQ((UpdateAllDebris(), V{d->stage, d->dx, d->dy}), (V{1, 2 + jx, -2 + jy})) << "seed " << seed;
    }
}
// Four rings, ring r of (base + random mod m) / r + 1 particles of stage r: fragments on the point carrying the burst's
// velocity give or take 3 (7 to 12 of them), sparks up to 6 around it at up to 6 either way (9 to 22); none at rest,
// even when the burst carries no velocity.
TEST_F(DebrisTest, BurstsByKind) {
    for (const V& c : {V{1, 0, 0, 3, 7, 6000, 9, 22}, V{0, 4, -3, 2, 3, 400, 7, 12}, V{0, 0, 0, 2, 3, 400, 7, 12}}) {
        int32_t lo = 1000, hi = 0;  // c: sparks, dx, dy, base, m, seeds (spark extremes come once in 600), fewest, most
        for (int seed = 1; seed <= c[5]; ++seed, ClearChains()) {
            srand(seed);
            c[0] ? SparkBurst(500, 400) : FragmentBurst(500, 400, c[1], c[2]);
            const Spread s = SpreadOf(c[0] ? DEBRIS_SPARK : DEBRIS_FRAGMENT);
            const int32_t o = c[0] ? 6 : 0, vx = c[0] ? -6 : c[1] - 3, vy = c[0] ? -6 : c[2] - 3, vw = c[0] ? 11 : 5;
            ASSERT_TRUE(s.Within(500 - o, 500 + o - !!o, 400 - o, 400 + o - !!o, vx, vx + vw, vy, vy + vw) &&
                        !s.atRest && s.n == Count(DebrisChain))
                << c[0] << " seed " << seed;
            int32_t ring[5] = {0, 0, 0, 0, 0};
            for (Debris* d = DebrisChain.oldest; d; d = d->next) ++ring[std::clamp(d->stage, 0, 4)];
            for (int32_t r = 1; r <= 4; ++r)
                ASSERT_TRUE(ring[r] >= c[3] / r + 1 && ring[r] <= (c[3] + c[4] - 1) / r + 1);
            lo = std::min(lo, s.n), hi = std::max(hi, s.n);
        }
        EXPECT_EQ((V{lo, hi}), (V{c[6], c[7]}));
    }
}
// Tested after the move, one pixel beyond goes: shots and enemies by y only (an enemy from -h; a missile leaving makes
// no blast), particles by x and y.
TEST_F(DebrisTest, ScreenEdgesForEveryKind) {
    const struct {
        char what;  // s: shot, m: missile, e: heavy enemy (33 high), d: particle
        int32_t x, y, stays;
    } cases[] = {{'s', 500, 0, 1},    {'s', 500, 768, 1}, {'s', 500, -1, 0},  {'m', 500, 769, 0}, {'s', 1500, 400, 1},
                 {'s', -700, 400, 1}, {'e', 284, -33, 1}, {'e', 284, 768, 1}, {'e', 284, -34, 0}, {'e', 284, 769, 0},
                 {'e', -500, 300, 1}, {'d', 0, 400, 1},   {'d', 1024, 0, 1},  {'d', 0, 768, 1},   {'d', -1, 400, 0},
                 {'d', 1025, 400, 0}, {'d', 500, -1, 0},  {'d', 500, 769, 0}};
    for (const auto& c : cases) {
        Sprite* s = c.what == 'e'   ? &MakeEnemy(300, 0, ENEMY_HEAVY)->sprite
                    : c.what == 'd' ? &MakeDebris(500, 400, 0, 0, 4, DEBRIS_FRAGMENT)->sprite
                                    : &MakeShot(500, 400, 0, 0, c.what == 'm' ? SHOT_MISSILE : SHOT_PLAIN)->sprite;
        if (c.what == 'e') EnemyChain.oldest->dy = 0;
        s->x = c.x, s->y = c.y;
        UpdateEnemies(0), UpdateShots(), UpdateAllDebris();  // each walk updates its own kind
        EXPECT_EQ(Count(EnemyChain) + Count(ShotChain) + Count(DebrisChain), c.stays) << c.what << c.x << "," << c.y;
        ClearChains();
    }
    Debris* d = MakeDebris(-20, 400, 30, 0, 1, DEBRIS_FRAGMENT);  // starts beyond the edge and moves in
    EXPECT_EQ((UpdateDebris(d), V{DebrisChain.oldest == d, d->sprite.x}), (V{1, 8}));
}

}  // namespace
