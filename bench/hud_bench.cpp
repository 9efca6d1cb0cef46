// Cost of rebuilding the HUD: one SetText of the full HUD text (seven lines,
// about 130 characters, each a glyph and a draw-list link freed and made
// again), as the frame driver does on every call. The text is formatted the
// way the frame driver formats it, with wide numbers; the formatting itself
// is timed as a second row.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>

#include "bench/bench_world.h"
#include "prog/core/text.h"
#include "tests/support/temp_dir.h"
#include "tests/support/world.h"

namespace {

char hudText[256];

void FormatHud(char* text, size_t size) {
    std::snprintf(text, size,
                  "Kestra v2.0e\nHigh Score: %i\nYour Score: %i\n  Missiles: %i\n     Speed: %i clicks/sec\n"
                  "CurrentFPS: %3.2f (%3.2f)\nAverageFPS: %3.2f",
                  192510900, 1234567, 3, 12, 2345.67, 1000.0, 2290.12);
}

bench::Timing setTextTiming, formatTiming;

void BM_HudSetText(benchmark::State& state) {
    for (auto _ : state) bench::TimeOne(state, &setTextTiming, [] { SetText(Hud, hudText); });
}
BENCHMARK(BM_HudSetText)->UseManualTime()->Unit(benchmark::kMicrosecond)->MinTime(1.0);

void BM_HudFormat(benchmark::State& state) {
    char text[256];
    for (auto _ : state) {
        bench::TimeOne(state, &formatTiming, [&] { FormatHud(text, sizeof text); });
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(BM_HudFormat)->UseManualTime()->Unit(benchmark::kMicrosecond)->MinTime(0.5);

}  // namespace

int main(int argc, char** argv) {
    support::TempDir scratch(true);  // the set-up reads the high-score file here
    if (scratch.path.empty() || !fake::SetUpGame(1)) {
        std::fprintf(stderr, "hud_bench: the game's set-up failed\n");
        return 1;
    }
    FormatHud(hudText, sizeof hudText);
    const long liveBefore = GameAllocLive();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const long liveAfter = GameAllocLive();
    ResetWorld();

    std::printf("\nHUD text: %zu characters; live allocations %ld before and %ld after the runs.\n",
                std::strlen(hudText), liveBefore, liveAfter);
    std::printf("SetText: %.2f us wall, %.2f us processor time; formatting: %.2f us, %.2f us.\n",
                setTextTiming.WallUs(), setTextTiming.CpuUs(), formatTiming.WallUs(), formatTiming.CpuUs());
    bench::PrintFigure("HUD SetText, full text (cpu)", setTextTiming.CpuUs(), "us", "< 15 us");
    bench::PrintFigure("HUD formatting, snprintf (cpu)", formatTiming.CpuUs(), "us", "-");
    return 0;
}
