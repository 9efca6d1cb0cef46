// Shots: volleys by weapon bits, missiles, auto-fire, sway, movement, hits and scoring, blasts.
#include "tests/support/world.h"

namespace {

struct ShotsTest : WorldFixture {
    void SetUp() override { WorldFixture::SetUp(), ShipPlaying(500, 400, 9, 0); }  // a third of the speed: 3
    // kind power srcX srcY w h x y dx dy swayStep swayLimit
    static V Read(const Shot* s) {
        return {s->kind,     s->power,    s->sprite.srcX, s->sprite.srcY, (int32_t)s->sprite.w, (int32_t)s->sprite.h,
                s->sprite.x, s->sprite.y, s->dx,          s->dy,          s->swayStep,          s->swayLimit};
    }
};

// The ship at (500, 400), 18 x 25. The unit b is 2, or 4 with the fast bit (in 0x3F): velocity -2 b less a third of the
// speed, spread dx -b / 2 and b / 2. Per shot kind, centre, dx, vy, sway step and limit, in order spread, nose, wings
// (swerving outwards first), main guns (inwards first), each pair left then right.
TEST_F(ShotsTest, VolleysByWeaponBits) {
    // clang-format off
    const V cases[] = {
        {0,    SHOT_PLAIN, 496, 400,  0, -4,  0, 0,   SHOT_PLAIN, 522, 400,  0, -4,  0, 0},
        {0x3F, SHOT_BIG,   478, 400, -2, -8,  0, 0,   SHOT_BIG,   540, 400,  2, -8,  0, 0,
               SHOT_BIG,   509, 375,  0, -8,  0, 0,   SHOT_BIG,   482, 425,  0, -8, -1, 6,
               SHOT_BIG,   536, 425,  0, -8,  1, 6,   SHOT_BIG,   496, 400,  0, -8,  1, 6,
               SHOT_BIG,   522, 400,  0, -8, -1, 6},
        {WEAPON_SPREAD, SHOT_PLAIN, 478, 400, -1, -4, 0, 0,   SHOT_PLAIN, 540, 400, 1, -4, 0, 0,
                        SHOT_PLAIN, 496, 400,  0, -4, 0, 0,   SHOT_PLAIN, 522, 400, 0, -4, 0, 0}};
    // clang-format on
    for (const V& c : cases) {
        FireWeapons(c[0]);
        const std::vector<Shot*> s = Items(ShotChain);
        ASSERT_EQ(s.size() * 7 + 1, c.size()) << "weapons " << c[0];
        for (size_t i = 0; i < s.size(); ++i) {
            const int32_t* w = &c[1 + 7 * i];
            const AtlasStrip& f = w[0] == SHOT_BIG ? SHOT_BIG_FRAMES : SHOT_PLAIN_FRAMES;  // power: 3 or 1, the kind
            EXPECT_EQ(Read(s[i]),
                      (V{w[0], w[0], f.x, f.y, f.w, f.h, w[1] - f.w / 2, w[2] - f.h / 2, w[3], w[4] - 3, w[5], w[6]}))
                << "weapons " << c[0] << " shot " << i;
            EXPECT_TRUE(IsDrawn(s[i]));
        }
        ClearChains();
    }
}
// Centred on (x + w / 2, y), power 2, -2 up less a third of the speed. A missile costs one even when it cannot be
// allocated; with none left nothing happens.
TEST_F(ShotsTest, Missiles) {
    TheShip->missiles = 2, GameGetFaults()->alloc = FailNth(1), FireWeapons(FIRE_MISSILE);
    EXPECT_EQ((V{TheShip->missiles, Count(ShotChain)}), (V{1, 0}));
    FireWeapons(FIRE_MISSILE), FireWeapons(FIRE_MISSILE);
    ASSERT_EQ((V{TheShip->missiles, Count(ShotChain)}), (V{0, 1}));
    EXPECT_EQ(Read(ShotChain.oldest), (V{SHOT_MISSILE, 2, SHOT_MISSILE_FRAMES.x, SHOT_MISSILE_FRAMES.y, 7, 14, 509 - 3,
                                         400 - 7, 0, -2 - 3, 0, 0}));
}
// The count runs only while firing and carries over between presses; every tenth tick fires the ship's weapons (the
// shots then move at once), except while the ship is down, when the count still restarts.
TEST_F(ShotsTest, AutoFireEveryTenTicks) {
    const auto updates = [](int n) {
        for (int i = 0; i < n; ++i) UpdateShots();
        return Count(ShotChain);
    };
    TheShip->firing = 1;
    EXPECT_EQ(updates(9), 0);
    ASSERT_EQ(updates(1), 2);
    EXPECT_EQ((V{fireTicks, ShotChain.oldest->sprite.y + 3, ShotChain.oldest->animFrame}), (V{0, 400 - 4, 1}));
    ClearChains();
    TheShip->weapons = WEAPON_NOSE | WEAPON_BIG;
    updates(6), TheShip->firing = 0, updates(20), TheShip->firing = 1;
    EXPECT_EQ((V{updates(4), ShotChain.oldest->kind}), (V{3, SHOT_BIG}));
    ClearChains();
    EXPECT_EQ((TheShip->mode = SHIP_DOWN, V{updates(10), fireTicks}), (V{0, 0}));
    EXPECT_EQ((TheShip->mode = SHIP_READY, updates(10)), 3);
}
TEST_F(ShotsTest, SwayRunsBetweenPlusAndMinusLimit) {
    StillScenery();
    Shot* s = MakeShot(500, 400, 0, 0, SHOT_PLAIN, 1, 6);
    int32_t x = s->sprite.x;
    for (int w : {1, 2, 3, 4, 5, 6, 5, 4, 3, 2, 1, 0, -1, -2, -3, -4, -5, -6, -5, -4, -3, -2, -1, 0, 1, 2})
        ASSERT_EQ((UpdateShot(s), V{s->dx, s->sprite.x}), (V{w, x += w}));
}
// A shot remembers the side speed it was made at and follows only changes of it; frames alternate.
TEST_F(ShotsTest, MovesWithChangesOfTheSceneryAndAlternatesFrames) {
    TheShip->sideSpeed = 2;
    Shot* s = MakeShot(500, 400, 1, -4, SHOT_PLAIN);  // made at speed 9, side 2
    const int32_t x = s->sprite.x, y = s->sprite.y;
    EXPECT_EQ((UpdateShot(s), V{s->sprite.x, s->sprite.y}), (V{x + 1, y - 4}));  // exactly the requested velocity
    TheShip->sideSpeed = -3, TheShip->speed = 15;                                // a third: 5
    EXPECT_EQ((UpdateShot(s), V{s->sprite.x, s->sprite.y}), (V{x + 1 + (-3 - 2) + 1, y - 4 + 5 + (-4 - 3)}));
    for (const auto& [kind, strip] : {std::pair{SHOT_PLAIN, SHOT_PLAIN_FRAMES}, std::pair{SHOT_BIG, SHOT_BIG_FRAMES},
                                      std::pair{SHOT_MISSILE, SHOT_MISSILE_FRAMES}}) {  // srcX by frame
        Shot* a = MakeShot(500, 400, 0, 0, kind);
        for (int f : {1, 0, 1})
            EXPECT_EQ((AnimateShot(a), V{kind, a->animFrame, a->sprite.srcX}), (V{kind, f, FrameX(strip, f)}));
    }
}
// One shot on one enemy: what the enemy loses, what the ship scores, what is left of the shot (kind, power). Hostiles
// only; a missile is spent by any hit; an enemy already at 0 scores again; the enemy leaves at its own update.
TEST_F(ShotsTest, HitsByKind) {
    const V cases[] = {{ENEMY_TRACKER, 3, SHOT_PLAIN, 2, 0},
                       {ENEMY_TRACKER, 1, SHOT_BIG, 0, 250, SHOT_BIG, 2},
                       {ENEMY_RISER, 1, SHOT_PLAIN, 0, -250},
                       {ENEMY_DIVER, 0, SHOT_PLAIN, 0, 175, SHOT_PLAIN, 1},
                       {ENEMY_POWERUP, 1, SHOT_PLAIN, 1, 0, SHOT_PLAIN, 1},
                       {ENEMY_BANNER, 1, SHOT_PLAIN, 1, 0, SHOT_PLAIN, 1},
                       {ENEMY_TRACKER, 1, SHOT_MISSILE, 0, 250, SHOT_BLAST, 20}};
    StillScenery();
    for (const V& c : cases) {
        Enemy* e = MakeEnemy(500, 420, c[0]);
        e->sprite.x = 490, e->sprite.y = 400, e->hitPoints = c[1], TheShip->score = 0;
        MakeShot(500, 410, 0, 0, c[2]);
        UpdateShots();
        V got{c[0], c[1], c[2], e->hitPoints, TheShip->score};
        if (const Shot* s = ShotChain.oldest) got.insert(got.end(), {s->kind, s->power});
        EXPECT_EQ(got, c);
        EXPECT_EQ(Items(EnemyChain), std::vector<Enemy*>{e});
        ClearChains();
    }
}
// The blast is centred where the missile was after its move, (500, 405 - 2), with ten updates to live (counted in
// swayLimit).
TEST_F(ShotsTest, MissileTurnsIntoABlast) {
    Enemy* e = MakeEnemy(500, 420, ENEMY_HEAVY);
    e->hitPoints = 5;
    UpdateShot(MakeShot(500, 405, 0, -2, SHOT_MISSILE));
    EXPECT_EQ((V{e->hitPoints, TheShip->score, Count(ShotChain)}), (V{3, 0, 1}));  // the missile's power, 2
    EXPECT_EQ(Read(ShotChain.oldest), (V{SHOT_BLAST, 20, SHOT_BLAST_FRAME.x, SHOT_BLAST_FRAME.y, 120, 120, 500 - 60,
                                         403 - 60, 0, 0 - 3, 0, 10}));
}
// A blast stands still; each update draws a point of its box (x + 1 + random mod 120, then y the same way) and makes
// one spark burst there, sparks up to 6 around it; the tenth update ends it.
TEST_F(ShotsTest, BlastStandsStillAndBurstsOnEachOfTenUpdates) {
    for (unsigned seed = 1; seed <= 8; ++seed, ClearChains()) {
        srand(seed);
        const int32_t px = 340 + 1 + rand() % 120, py = 240 + 1 + rand() % 120;
        srand(seed);
        Shot* b = MakeShot(400, 300, 0, 0, SHOT_BLAST);  // corner (340, 240)
        for (int i = 1; i <= 10; ++i) {
            const int32_t before = Count(DebrisChain);
            ASSERT_EQ((V{b->sprite.x, b->sprite.y}), (V{340, 240})) << "update " << i;
            UpdateShots();
            ASSERT_GT(Count(DebrisChain), before);
            EXPECT_TRUE(i > 1 || SpreadOf(DEBRIS_SPARK).Within(px - 6, px + 5, py - 6, py + 5)) << "seed " << seed;
        }
        EXPECT_EQ(ShotChain.oldest, nullptr);
    }
}
// Power 20 spent on each enemy in the box in turn; spent, it runs out its ten updates. A blast left by a missile joins
// at the newest end, so the walk that made it reaches it too (one life used), unless the missile was the newest shot.
TEST_F(ShotsTest, BlastHurtsEverythingInItsBoxAndJoinsTheWalk) {
    StillScenery();
    Enemy *heavy = MakeEnemy(400, 300, ENEMY_HEAVY), *diver = MakeEnemy(380, 280, ENEMY_DIVER);
    Enemy* heavy2 = MakeEnemy(420, 320, ENEMY_HEAVY);
    Shot* b = MakeShot(400, 300, 0, 0, SHOT_BLAST);
    EXPECT_EQ((UpdateShot(b), V{heavy->hitPoints, diver->hitPoints, heavy2->hitPoints, b->power, TheShip->score}),
              (V{0, 0, 15 - 4, 0, 500 + 175}));
    EXPECT_EQ(Items(ShotChain), std::vector<Shot*>{b});
    for (int otherShot : {1, 0}) {
        ClearChains();
        MakeEnemy(500, 420, ENEMY_HEAVY);
        MakeShot(500, 405, 0, 0, SHOT_MISSILE);
        if (otherShot) MakeShot(100, 405, 0, 0, SHOT_PLAIN);
        EXPECT_EQ((UpdateShots(), V{Count(ShotChain), ShotChain.newest->kind, ShotChain.newest->swayLimit}),
                  (V{1 + otherShot, SHOT_BLAST, 10 - otherShot}));
    }
}

}  // namespace
