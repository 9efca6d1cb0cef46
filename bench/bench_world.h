// What the benchmarks share: per-call timing by the wall clock and by the
// thread's processor time, and the summary lines that scripts/bench.sh gathers
// into its table ("= label|value|unit|target"). The game's set-up on stand-in
// services and the scratch folder come from the tests' own fixtures
// (tests/support/world.h, tests/support/temp_dir.h).
#pragma once
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <ctime>

namespace bench {

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
