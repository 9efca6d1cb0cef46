// The game world of the tests and benchmarks: a Prog whose services log every call, the game set up on it, and
// WorldFixture (MainLayer and the ship only, reset before and after; the test must leave no allocation).
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "interface/prog.h"
#include "prog/core/alloc.h"
#include "prog/core/layers.h"
#include "prog/core/world.h"
#include "prog/game/reset.h"
#include "prog/objects/debris.h"
#include "prog/objects/records.h"
#include "prog/objects/shots.h"

using V = std::vector<int32_t>;  // values compared at once

namespace fake {

inline std::vector<std::string> calls, reports;  // every service call in order; the texts given to Report
inline int displayResult = 1;                    // what SetDisplayMode answers
inline std::string missingImage;                 // the file AddImage cannot load
inline char sheets[3];                           // image handles the game stores but never reads

inline Image* ImageFor(const std::string& name) {
    const std::string names[3] = {"tiles.bmp", "sprites.bmp", "text.bmp"};
    const int i = (int)(std::find(names, names + 3, name) - names);
    return i < 3 ? reinterpret_cast<Image*>(&sheets[i]) : nullptr;
}

template <class... A>
inline void Log(const char* service, A... args) {
    std::ostringstream line;
    line << service, ((line << ' ' << args), ...), calls.push_back(line.str());
}

// A record as the engine fills it before calling VProgInterface; clears the log.
inline Prog MakeProg() {
    calls.clear(), reports.clear(), missingImage.clear(), displayResult = 1;
    Prog prog{};
    prog.event = EV_START;
    prog.SetDisplayMode = [](int w, int h, int bpp) { return Log("SetDisplayMode", w, h, bpp), displayResult; };
    prog.AddImage = [](const char* path, int mode, int w, int h) {
        return Log("AddImage", path, mode, w, h), missingImage == path ? nullptr : ImageFor(path);
    };
    prog.Report = [](const char* text) { return Log("Report", text), reports.push_back(text), 1; };
    return prog;
}

inline Prog game;  // the record SetUpGame uses

// A fresh game set up on `game`, then the generator seeded; false when the set-up failed.
inline bool SetUpGame(unsigned seed) {
    ResetWorld();
    game = MakeProg();
    if (!VProgInterface(&game)) return false;
    std::srand(seed);
    return true;
}

}  // namespace fake

struct WorldFixture : ::testing::Test {
    Prog prog{};
    long liveAtStart = 0;

    void SetUp() override {
        ResetWorld();
        liveAtStart = GameAllocLive();
        TheProg = &prog;
        SpritesImage = fake::ImageFor("sprites.bmp");
        MainLayer = AddLayer(&prog);
        TheShip = ConstructShip(static_cast<Ship*>(GameAlloc(sizeof(Ship))));
    }
    void TearDown() override {
        ResetWorld();
        EXPECT_EQ(GameAllocLive(), liveAtStart) << "the test left allocations behind";
    }
    static void ShipPlaying(int32_t x, int32_t y, int32_t speed = 9, int32_t side = 0) {
        TheShip->mode = SHIP_PLAYING, TheShip->sprite.x = x, TheShip->sprite.y = y, TheShip->speed = speed;
        TheShip->sideSpeed = side;
    }
    static void StillScenery() { TheShip->speed = TheShip->sideSpeed = 0; }
    static Enemy* MakeEnemy(int32_t x, int32_t y, int32_t kind) {
        return ConstructEnemy(static_cast<Enemy*>(GameAlloc(sizeof(Enemy))), x, y, kind);
    }
    static Shot* MakeShot(int32_t cx, int32_t cy, int32_t dx, int32_t vy, int32_t kind, int32_t step = 0,
                          int32_t limit = 0) {
        return ConstructShot(static_cast<Shot*>(GameAlloc(sizeof(Shot))), cx, cy, dx, vy, kind, step, limit);
    }
    static Debris* MakeDebris(int32_t x, int32_t y, int32_t dx, int32_t dy, int32_t stage, int32_t kind) {
        return ConstructDebris(static_cast<Debris*>(GameAlloc(sizeof(Debris))), x, y, dx, dy, stage, kind);
    }
    template <class T>
    static std::vector<T*> Items(const Chain<T>& chain) {
        std::vector<T*> out;
        for (T* t = chain.oldest; t; t = t->next) out.push_back(t);
        return out;
    }
    template <class T>
    static int32_t Count(const Chain<T>& chain) {
        return (int32_t)Items(chain).size();
    }
    // MainLayer's draw list, drawn first first; whether an object is there once.
    static std::vector<void*> Drawn() {
        std::vector<void*> out;
        for (SpriteLink* l = MainLayer->drawFirst; l; l = l->older) out.push_back(l->object);
        return out;
    }
    static bool IsDrawn(const void* o) {
        const auto d = Drawn();
        return std::count(d.begin(), d.end(), o) == 1;
    }
    static void ClearChains() {
        DestroyChain(DebrisChain), DestroyChain(ShotChain), DestroyChain(EnemyChain);
        Banner = nullptr;
    }
};

// The particles of one kind: how many, the range of their centres and velocities, any at rest.
struct Spread {
    int32_t n = 0, x0 = INT_MAX, x1 = INT_MIN, y0 = INT_MAX, y1 = INT_MIN;
    int32_t dx0 = INT_MAX, dx1 = INT_MIN, dy0 = INT_MAX, dy1 = INT_MIN, atRest = 0;
    bool Within(int32_t ax, int32_t bx, int32_t ay, int32_t by, int32_t adx = -99, int32_t bdx = 99, int32_t ady = -99,
                int32_t bdy = 99) const {
        return x0 >= ax && x1 <= bx && y0 >= ay && y1 <= by && dx0 >= adx && dx1 <= bdx && dy0 >= ady && dy1 <= bdy;
    }
};
inline Spread SpreadOf(int32_t kind) {
    Spread s;
    for (Debris* d = DebrisChain.oldest; d; d = d->next) {
        const int32_t x = d->sprite.x + (int32_t)d->sprite.w / 2, y = d->sprite.y + (int32_t)d->sprite.h / 2;
        if (d->kind != kind) continue;
        s.x0 = std::min(s.x0, x), s.x1 = std::max(s.x1, x), s.y0 = std::min(s.y0, y), s.y1 = std::max(s.y1, y);
        s.dx0 = std::min(s.dx0, d->dx), s.dx1 = std::max(s.dx1, d->dx);
        s.dy0 = std::min(s.dy0, d->dy), s.dy1 = std::max(s.dy1, d->dy);
        s.atRest |= d->dx == 0 && d->dy == 0, ++s.n;
    }
    return s;
}
