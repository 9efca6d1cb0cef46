// Enemies: drawn starting values, animation, each kind's movement, collisions between enemies, explosions and spawning.
#include <set>

#include "tests/support/world.h"

namespace {

struct EnemiesTest : WorldFixture {
    void SetUp() override { WorldFixture::SetUp(), ShipPlaying(503, 600, 0, 0); }
};

// Over many seeds every value of a drawn range comes up, and nothing outside it.
TEST_F(EnemiesTest, DrawnStartingValuesCoverTheirRanges) {
    const struct {
        int32_t kind, lo, hi;
        int32_t (*field)(const Enemy*);
    } cases[] = {{ENEMY_RISER, -11, -8, [](const Enemy* e) { return e->dy; }},
                 {ENEMY_RISER, 20, 219, [](const Enemy* e) { return e->timer; }},
                 {ENEMY_DIVER, 0, 1, [](const Enemy* e) { return (e->sprite.srcY - DIVER_FRAMES[0].y) / 12; }},
                 {ENEMY_DIVER, 0, 4, [](const Enemy* e) { return e->frame; }},
                 {ENEMY_TRACKER, 0, 2, [](const Enemy* e) { return e->frame; }},
                 {ENEMY_HEAVY, 1, 2, [](const Enemy* e) { return e->dy; }},
                 {ENEMY_POWERUP, 0, 6, [](const Enemy* e) { return e->frame; }},  // its type
                 {ENEMY_POWERUP, 40, 439, [](const Enemy* e) { return e->timer; }}};
    for (const auto& c : cases) {
        std::set<int32_t> seen;
        for (unsigned seed = 1; seed <= 4000; ++seed, ClearChains())
            srand(seed), seen.insert(c.field(MakeEnemy(300, 50, c.kind)));
        EXPECT_EQ((V{*seen.begin(), *seen.rbegin(), (int32_t)seen.size()}), (V{c.lo, c.hi, c.hi - c.lo + 1}))
            << "kind " << c.kind << " from " << c.lo;
    }
}
// One update (kind, speed, side speed, dy; the move): a riser rides the full speed (its first sway step is 3), a
// power-up a third, a heavy a quarter, each plus its own velocity; a tracker at y 256 does not home yet.
TEST_F(EnemiesTest, MovementWithTheScenery) {
    const V cases[] = {{ENEMY_RISER, 12, -2, -9, -2 + 3, 12 - 9},
                       {ENEMY_POWERUP, 11, 4, 1, 4 + 3, 3 + 1},
                       {ENEMY_HEAVY, 11, -4, 1, -4, 2 + 1},
                       {ENEMY_TRACKER, 0, 3, 5, 3, 5}};
    for (const V& c : cases) {
        Enemy* e = MakeEnemy(300, 300, c[0]);
        e->sprite.y = 256, e->timer = 100, e->frame = 6, e->dy = c[3];  // frame 6: a power-up never vanishes
        TheShip->speed = c[1], TheShip->sideSpeed = c[2];
        const int32_t x = e->sprite.x;
        EXPECT_EQ((UpdateEnemy(e), V{c[0], e->sprite.x, e->sprite.y}), (V{c[0], x + c[4], 256 + c[5]}));
    }
}
// Swaying until the size of dx reaches 3 (riser) or 2 (power-up); when the timer runs out the step flips, the riser's
// dx growing by the old step, the power-up's by the new one; then the riser draws its timer (20 + 0..199) and dy, the
// power-up its timer (40 + 0..399).
TEST_F(EnemiesTest, SwaySequences) {
    const V cases[] = {{ENEMY_RISER, 20, 200, 3, 3, 6, 6, 6, 3, 3}, {ENEMY_POWERUP, 40, 400, 3, 3, 0, -3, -3, 0, 3}};
    srand(31);
    for (const V& c : cases) {
        Enemy* e = MakeEnemy(300, 300, c[0]);
        e->sprite.y = 500, e->frame = 6, e->timer = 3;  // runs out at the third update
        for (int i = 0, x = e->sprite.x; i < 7; ++i) {
            if (i == 5) {
                EXPECT_TRUE(e->swayStep == -3 && e->timer >= c[1] - 2 && e->timer <= c[1] + c[2] - 3) << e->timer;
                EXPECT_TRUE(c[0] != ENEMY_RISER || (e->dy >= -11 && e->dy <= -8)) << e->dy;
                e->timer = 1;  // runs out at the sixth
            }
            EXPECT_EQ((UpdateEnemy(e), V{e->dx, e->sprite.x}), (V{c[3 + i], x += c[3 + i]})) << c[0] << " #" << i + 1;
        }
        EXPECT_EQ(e->swayStep, 3);
    }
}
// Homing: half the gap between centres, truncated, limited to 4; while the ship does not play, the tracker keeps its
// velocity.
TEST_F(EnemiesTest, TrackerHomingIsLimitedToFour) {
    TheShip->sprite.x = 900, TheShip->sprite.y = 700;  // centre (909, 712)
    Enemy* e = MakeEnemy(300, 0, ENEMY_TRACKER);
    for (const V& c : {V{112, 312, 4, 4}, V{962, 762, -4, -4}, V{916, 707, -3, 2}, V{917, 704, -4, 4}, V{0, 0, 0, 0}}) {
        TheShip->mode = c[0] ? SHIP_PLAYING : SHIP_DOWN;
        e->sprite.x = c[0] - 12, e->sprite.y = c[0] ? c[1] - 12 : 300;  // its centre; not homing at (-12, 300)
        EXPECT_EQ((UpdateEnemy(e), V{e->dx, e->dy}), c[0] ? V({c[2], c[3]}) : V({-4, 4})) << c[0] << "," << c[1];
    }
}
// The older of two overlapping hostiles deals its hit points and takes back those plus the other's (floored at 0); one
// already dead ends its update there; the newer one meets no newer hostile later in the walk. A power-up takes no part;
// a dying heavy leaves a blast on its centre; nobody scores. Older kind, hit points; newer kind, hit points; newer's
// after; older, newer exploded.
TEST_F(EnemiesTest, EachOverlappingPairIsHandledOnceByTheOlder) {
    const V cases[] = {{ENEMY_RISER, 1, ENEMY_HEAVY, 15, 14, 1, 0},
                       {ENEMY_HEAVY, 15, ENEMY_RISER, 1, 0, 1, 1},
                       {ENEMY_HEAVY, 5, ENEMY_HEAVY, 15, 10, 1, 0},
                       {ENEMY_HEAVY, 0, ENEMY_HEAVY, 15, 15, 0, 0}};
    StillScenery();
    for (const V& c : cases) {
        Enemy *older = MakeEnemy(300, 433, c[0]), *newer = MakeEnemy(300, 433, c[2]);
        Enemy* p = MakeEnemy(300, 433, ENEMY_POWERUP);
        for (Enemy* e : {older, newer, p}) e->sprite.y = 400, e->dy = 0, e->timer = 100, p->frame = 6;
        older->hitPoints = c[1], newer->hitPoints = c[3];
        UpdateEnemies(0);
        std::vector<Enemy*> left{older, newer, p};
        left.erase(left.begin(), left.begin() + c[5]);
        if (c[6]) left.erase(left.end() - 2);
        ASSERT_EQ(Items(EnemyChain), left) << c[0] << " against " << c[2];
        const Shot* b = ShotChain.oldest;
        EXPECT_EQ((V{c[6] ? 0 : newer->hitPoints, p->hitPoints, TheShip->score, DebrisChain.oldest != nullptr}),
                  (V{c[4], 1, 0, c[5]}));
        EXPECT_EQ(b ? V({b->kind, b->sprite.x + 60, b->sprite.y + 60}) : V(),
                  c[5] && c[0] == ENEMY_HEAVY ? V({SHOT_BLAST, 300, 416}) : V());
        ClearChains();
    }
}
// Each burst of a dead enemy is made at a point of its box after its move, one in from the top-left, fragments carrying
// its velocity give or take 3.
TEST_F(EnemiesTest, DeadEnemyExplodesAtItsNextUpdate) {
    for (unsigned seed = 1; seed <= 20; ++seed, ClearChains()) {
        srand(seed);
        Enemy* e = MakeEnemy(300, 125, ENEMY_TRACKER);  // 25 x 25 at (288, 100), not homing, 2 bursts, dy 5
        DamageEnemy(e, 1);
        UpdateEnemy(e);
        const Spread f = SpreadOf(DEBRIS_FRAGMENT);
        EXPECT_TRUE(f.Within(289, 288 + 25, 106, 105 + 25, -3, 2, 5 - 3, 5 + 2) && f.n >= 2 * 7 && f.n <= 2 * 12)
            << "seed " << seed;
        EXPECT_EQ((V{Count(EnemyChain), Count(ShotChain), TheShip->score, SpreadOf(DEBRIS_SPARK).n >= 2 * 9}),
                  (V{0, 0, 0, 1}));
    }
}
// Types 0 to 5 vanish, without debris, once the ship holds their weapon bit; a missile (type 6) never does.
TEST_F(EnemiesTest, PowerUpVanishesOnceItsBitIsHeld) {
    for (const V& c : {V{3, 0x37, 1}, V{3, 0x08, 0}, V{6, 0x3F, 1}}) {  // type, weapons held; stays
        Enemy* p = MakeEnemy(300, 300, ENEMY_POWERUP);
        p->frame = c[0], p->timer = 100, TheShip->weapons = c[1];
        EXPECT_EQ((UpdateEnemy(p), V{c[0], c[1], Count(EnemyChain), Count(DebrisChain)}), (V{c[0], c[1], c[2], 0}));
        ClearChains();
    }
}

}  // namespace
