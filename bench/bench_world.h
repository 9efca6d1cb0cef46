// What the in-process game benchmarks share: the game's own set-up on stand-in
// engine services (images are handles that are never drawn), a scratch
// working folder for the high-score file, per-call timing by the wall clock
// and by the thread's processor time, and the summary lines that
// scripts/bench.sh gathers into its table ("= label|value|unit|target").
#pragma once
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "interface/prog.h"
#include "prog/core/alloc.h"
#include "prog/core/world.h"

namespace bench {

inline char fakeSheets[3];  // image handles; the game never reads through them

inline int FakeSetDisplayMode(int, int, int) { return 1; }
inline Image* FakeAddImage(const char* path, int, int, int) {
    const std::string name = path ? path : "";
    int index = name == "tiles.bmp" ? 0 : name == "sprites.bmp" ? 1 : 2;
    return reinterpret_cast<Image*>(&fakeSheets[index]);
}
inline int FakeReport(const char* text) {
    std::fprintf(stderr, "report: %s\n", text);
    return 1;
}

inline Prog fakeProg;

// Builds a fresh world through VProgInterface, then seeds the generator so
// that everything after it repeats exactly. Returns false when the set-up failed.
inline bool SetUpGame(unsigned seed) {
    ResetWorld();
    fakeProg = Prog{};
    fakeProg.SetDisplayMode = FakeSetDisplayMode;
    fakeProg.AddImage = FakeAddImage;
    fakeProg.Report = FakeReport;
    if (!VProgInterface(&fakeProg)) return false;
    std::srand(seed);
    return true;
}

// Moves into a fresh folder under /tmp, so that a beaten high score is written
// there and not into the folder the benchmark was started from.
inline bool EnterScratchFolder(std::string* path) {
    char name[] = "/tmp/kestra-bench-XXXXXX";
    if (!mkdtemp(name) || chdir(name) != 0) return false;
    *path = name;
    return true;
}

inline void LeaveScratchFolder(const std::string& path) {
    if (chdir("/tmp") != 0) return;
    std::remove((path + "/kestra.cfg").c_str());
    std::remove((path + "/kestra.cfg.tmp").c_str());
    rmdir(path.c_str());
}

inline double ThreadCpuNs() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e9 + t.tv_nsec;
}

inline double WallNs() {
    return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Sums of the timed calls of one benchmark.
struct Timing {
    double wallNs = 0, cpuNs = 0;
    long count = 0;
    double WallUs() const { return count ? wallNs / count / 1e3 : 0; }
    double CpuUs() const { return count ? cpuNs / count / 1e3 : 0; }
};

// Times one call of body, adding it to timing and reporting its wall time to
// the benchmark (which runs with UseManualTime).
template <typename F>
void TimeOne(benchmark::State& state, Timing* timing, F body) {
    const double w0 = WallNs(), c0 = ThreadCpuNs();
    body();
    const double c1 = ThreadCpuNs(), w1 = WallNs();
    timing->wallNs += w1 - w0;
    timing->cpuNs += c1 - c0;
    ++timing->count;
    state.SetIterationTime((w1 - w0) / 1e9);
}

// One row of the table printed by scripts/bench.sh.
inline void PrintFigure(const char* label, double value, const char* unit, const char* target) {
    std::printf("= %s|%.3f|%s|%s\n", label, value, unit, target);
}

}  // namespace bench
