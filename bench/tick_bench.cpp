// Cost of one game tick (RunTick: scrolling, spawning, ship, enemies, debris,
// shots, collisions, modes) at a stress population made through the game's
// own constructors: 100 enemies, 50 shots and 2,000 debris particles, with the
// ship in play. Every iteration builds the same world and population from a
// fixed seed (untimed) and times one tick, so every timed tick does the same work.
//
// The population is laid out so that the timed tick is the steady cost of
// that many objects: enemies stand on a grid with room between them, the shots
// fly below the enemies and the particles are spread over the screen.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "bench/bench_world.h"
#include "prog/game/frame.h"
#include "prog/objects/debris.h"
#include "prog/objects/records.h"
#include "prog/objects/shots.h"
#include "tests/support/temp_dir.h"
#include "tests/support/world.h"

namespace {

constexpr unsigned kSeed = 2024;

struct Counts {
    long enemies = 0, shots = 0, debris = 0;
};

template <class T>
long Length(const Chain<T>& chain) {
    long n = 0;
    for (T* item = chain.oldest; item; item = item->next) ++n;
    return n;
}

void MakeEnemy(int32_t x, int32_t y, int32_t kind) {
    Enemy* enemy = static_cast<Enemy*>(GameAlloc(sizeof(Enemy)));
    if (enemy) ConstructEnemy(enemy, x, y, kind);
}

// The world, the ship in play near the bottom and the population; returns
// the number of each kind of object alive (the banner counts as an enemy).
bool BuildStressScene(Counts* counts) {
    if (!fake::SetUpGame(kSeed)) return false;
    Ship* ship = TheShip;
    ship->mode = SHIP_PLAYING;
    ship->hitPoints = ship->maxHitPoints;
    ship->sprite.x = 500;
    ship->sprite.y = 600;
    ship->speed = 9;
    ship->sideSpeed = 0;
    if (Banner) Banner->sprite.state = STATE_HIDDEN;

    // 10 x 10 enemies, 100 pixels apart across and 40 down; the first row are
    // risers (which always enter at the bottom edge), the rest mixed kinds.
    const int32_t kinds[4] = {ENEMY_DIVER, ENEMY_TRACKER, ENEMY_HEAVY, ENEMY_POWERUP};
    for (int row = 0; row < 10; ++row)
        for (int col = 0; col < 10; ++col)
            MakeEnemy(50 + col * 100, 40 + row * 40, row == 0 ? ENEMY_RISER : kinds[(row + col) % 4]);
    // 50 shots between y 450 and 700, flying up.
    for (int i = 0; i < 50; ++i) {
        Shot* shot = static_cast<Shot*>(GameAlloc(sizeof(Shot)));
        if (shot) ConstructShot(shot, 20 + (i % 25) * 40, 450 + (i / 25) * 120 + (i % 5) * 20, 0, -4, SHOT_PLAIN);
    }
    // 2,000 particles anywhere on the screen, never at rest.
    for (int i = 0; i < 2000; ++i) {
        const int32_t x = 20 + std::rand() % 984, y = 20 + std::rand() % 728;
        int32_t dx = std::rand() % 7 - 3, dy = std::rand() % 7 - 3;
        if (dx == 0 && dy == 0) dy = 1;
        Debris* debris = static_cast<Debris*>(GameAlloc(sizeof(Debris)));
        if (debris) ConstructDebris(debris, x, y, dx, dy, 1 + i % 4, i % 2 ? DEBRIS_SPARK : DEBRIS_FRAGMENT);
    }
    pendingMs = 10;
    enemyAnimMs = 60;  // this tick animates every enemy, as every seventh tick does
    counts->enemies = Length(EnemyChain);
    counts->shots = Length(ShotChain);
    counts->debris = Length(DebrisChain);
    return true;
}

bench::Timing tickTiming;
Counts population, afterTick;

void BM_TickStressPopulation(benchmark::State& state) {
    for (auto _ : state) {
        if (!BuildStressScene(&population)) {
            state.SkipWithError("the game's set-up failed");
            return;
        }
        bench::TimeOne(state, &tickTiming, [] { RunTick(); });
        afterTick.enemies = Length(EnemyChain);
        afterTick.shots = Length(ShotChain);
        afterTick.debris = Length(DebrisChain);
    }
}
BENCHMARK(BM_TickStressPopulation)->UseManualTime()->Unit(benchmark::kMicrosecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
    support::TempDir scratch(true);  // a beaten high score is written here
    if (scratch.path.empty()) {
        std::fprintf(stderr, "tick_bench: cannot make a scratch folder\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    ResetWorld();

    std::printf(
        "\nPopulation before the tick: %ld enemies (the banner included), %ld shots, %ld debris; "
        "after it: %ld, %ld, %ld.\n",
        population.enemies, population.shots, population.debris, afterTick.enemies, afterTick.shots, afterTick.debris);
    std::printf("Per tick: %.1f us wall, %.1f us processor time (%ld ticks).\n", tickTiming.WallUs(),
                tickTiming.CpuUs(), tickTiming.count);
    bench::PrintFigure("tick, 100 enemies + 50 shots + 2000 debris (cpu)", tickTiming.CpuUs(), "us", "< 150 us");
    return 0;
}
