// A minimal game world for the object tests: one Prog with MainLayer, the
// ship, optionally the Banner. TearDown frees everything and checks that no
// allocation of the test is left behind.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <vector>

#include "prog/core/alloc.h"
#include "prog/core/layers.h"
#include "prog/core/world.h"
#include "prog/objects/debris.h"
#include "prog/objects/records.h"
#include "prog/objects/shots.h"

struct WorldFixture : ::testing::Test {
    Prog prog{};
    long liveAtStart = 0;
    static char fakeSheet;  // stands in for the sprite sheet; never read

    void SetUp() override {
        GameAllocFailAt(0);
        ResetWorld();
        liveAtStart = GameAllocLive();
        TheProg = &prog;
        SpritesImage = reinterpret_cast<Image*>(&fakeSheet);
        MainLayer = AddLayer(&prog);
        ASSERT_NE(MainLayer, nullptr);
        TheShip = static_cast<Ship*>(GameAlloc(sizeof(Ship)));
        ASSERT_NE(TheShip, nullptr);
        ConstructShip(TheShip);
    }

    void TearDown() override {
        GameAllocFailAt(0);
        ResetWorld();
        EXPECT_EQ(GameAllocLive(), liveAtStart) << "the test left allocations behind";
    }

    // The ship in play at a given place, with the given scenery speeds.
    void ShipPlaying(int32_t x, int32_t y, int32_t speed = 9, int32_t sideSpeed = 0) {
        TheShip->mode = SHIP_PLAYING;
        TheShip->sprite.x = x;
        TheShip->sprite.y = y;
        TheShip->speed = speed;
        TheShip->sideSpeed = sideSpeed;
    }

    // Scenery standing still, so objects move by their own velocity only.
    void StillScenery() {
        TheShip->speed = 0;
        TheShip->sideSpeed = 0;
    }

    void MakeBanner() {
        Banner = static_cast<Enemy*>(GameAlloc(sizeof(Enemy)));
        ASSERT_NE(Banner, nullptr);
        ConstructEnemy(Banner, 512, 0, ENEMY_BANNER);
    }

    static Enemy* MakeEnemy(int32_t x, int32_t y, int32_t kind) {
        Enemy* e = static_cast<Enemy*>(GameAlloc(sizeof(Enemy)));
        return e ? ConstructEnemy(e, x, y, kind) : nullptr;
    }

    static Shot* MakeShot(int32_t cx, int32_t cy, int32_t dx, int32_t vy, int32_t kind, int32_t step = 0,
                          int32_t limit = 0) {
        Shot* s = static_cast<Shot*>(GameAlloc(sizeof(Shot)));
        return s ? ConstructShot(s, cx, cy, dx, vy, kind, step, limit) : nullptr;
    }

    static Debris* MakeDebris(int32_t x, int32_t y, int32_t dx, int32_t dy, int32_t stage, int32_t kind) {
        Debris* d = static_cast<Debris*>(GameAlloc(sizeof(Debris)));
        return d ? ConstructDebris(d, x, y, dx, dy, stage, kind) : nullptr;
    }

    template <class T>
    static std::vector<T*> Items(const Chain<T>& chain) {
        std::vector<T*> out;
        for (T* t = chain.oldest; t; t = t->next) out.push_back(t);
        return out;
    }

    template <class T>
    static size_t Count(const Chain<T>& chain) {
        return Items(chain).size();
    }

    // Whether the object's link is in MainLayer's draw list.
    static bool Drawn(const void* object) {
        for (SpriteLink* l = MainLayer->drawFirst; l; l = l->older)
            if (l->object == object) return true;
        return false;
    }

    static size_t DrawListLength() {
        size_t n = 0;
        for (SpriteLink* l = MainLayer->drawFirst; l; l = l->older) ++n;
        return n;
    }

    // Destroys everything in the object chains, leaving the ship alone.
    static void ClearChains() {
        DestroyChain(DebrisChain);
        DestroyChain(ShotChain);
        DestroyChain(EnemyChain);
        Banner = nullptr;
    }
};

inline char WorldFixture::fakeSheet = 0;

// A particle as a burst should make it: kind, ring (its stage), centre, velocity.
struct Particle {
    int32_t kind, ring, x, y, dx, dy;
    bool operator==(const Particle& o) const {
        return kind == o.kind && ring == o.ring && x == o.x && y == o.y && dx == o.dx && dy == o.dy;
    }
};
inline void PrintTo(const Particle& p, std::ostream* os) {
    *os << "{kind " << p.kind << " ring " << p.ring << " at " << p.x << "," << p.y << " moving " << p.dx << "," << p.dy
        << "}";
}

// The debris chain, oldest first, as particles.
inline std::vector<Particle> Particles() {
    std::vector<Particle> out;
    for (Debris* d = DebrisChain.oldest; d; d = d->next)
        out.push_back({d->kind, d->stage, d->sprite.x + (int32_t)d->sprite.w / 2,
                       d->sprite.y + (int32_t)d->sprite.h / 2, d->dx, d->dy});
    return out;
}

// Replays a spark burst's draws on the process-wide generator, appending to
// `out`: per ring the count, then per spark its velocity and its offset,
// drawn again while the velocity is (0, 0).
inline void PredictSparkBurst(std::vector<Particle>& out, int x, int y) {
    for (int ring = 1; ring <= 4; ++ring) {
        const int count = (3 + std::rand() % 7) / ring + 1;
        for (int i = 0; i < count; ++i) {
            int pdx, pdy, ox, oy;
            do {
                pdx = std::rand() % 12 - 6;
                pdy = std::rand() % 12 - 6;
                ox = std::rand() % 12 - 6;
                oy = std::rand() % 12 - 6;
            } while (pdx == 0 && pdy == 0);
            out.push_back({DEBRIS_SPARK, ring, x + ox, y + oy, pdx, pdy});
        }
    }
}

// The same for a fragment burst carrying velocity (dx, dy).
inline void PredictFragmentBurst(std::vector<Particle>& out, int x, int y, int dx, int dy) {
    for (int ring = 1; ring <= 4; ++ring) {
        const int count = (2 + std::rand() % 3) / ring + 1;
        for (int i = 0; i < count; ++i) {
            int pdx, pdy;
            do {
                pdx = dx - 3 + std::rand() % 6;
                pdy = dy - 3 + std::rand() % 6;
            } while (pdx == 0 && pdy == 0);
            out.push_back({DEBRIS_FRAGMENT, ring, x, y, pdx, pdy});
        }
    }
}
