// The whole game, headless and without vsync: the engine's own start-up and
// main loop on the headless platform, the real prog.so from the game folder,
// the real data files and the real renderer, over a fixed seeded script
// (the ship started, every weapon and the spark trail switched on, the
// autopilot steering and fire held; a missile and a fresh click every three
// seconds). The virtual clock advances 1 ms per idle pass, so a tick runs on
// every tenth frame and the HUD is rebuilt on every one, as in a game running
// at a few thousand frames a second.
//
// After a warm-up the loop is timed frame by frame: the module call (the
// wrapped VProgProcedure), the drawing (from the call's return to the flip)
// and the presentation copy (the presented frame copied into an RGB565
// streaming texture, which is what the SDL backend does before its vsync
// wait); the rest is the loop itself, the idle pass and the message dispatch.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "bench/bench_world.h"
#include "engine/host/binding.h"
#include "engine/host/engine.h"
#include "platform/backend.h"
#include "platform/headless.h"
#include "tests/support/temp_dir.h"
#include "tools/headless/runner.h"

#ifndef KESTRA_GAME_DIR
#define KESTRA_GAME_DIR "build/game"
#endif

namespace {

constexpr unsigned kSeed = 5;
constexpr DWORD kStepMs = 1;
constexpr DWORD kWarmUpMs = 10000;   // virtual time before timing starts
constexpr DWORD kMeasureMs = 15000;  // virtual time timed
const char* const kDataFiles[] = {"tiles.bmp", "sprites.bmp", "text.bmp", "song.mid"};

// Start, switch on B, S, W, 2, 3 (weapons), F (trail) and A (autopilot),
// hold fire; every 3 s release, click again (a restart when the ship is down)
// and fire a missile.
std::string BusyScript() {
    std::string s =
        "300 move 512 600\n400 ldown\n450 lup\n3500 key 0x42\n3510 key 0x53\n3520 key 0x57\n"
        "3530 key 0x32\n3540 key 0x33\n3550 key 0x46\n3600 key 0x41\n3700 ldown\n";
    for (int t = 6000; t < 120000; t += 3000)
        s += std::to_string(t) + " lup\n" + std::to_string(t + 20) + " ldown\n" + std::to_string(t + 40) + " rdown\n" +
             std::to_string(t + 45) + " rup\n";
    return s;
}

// A moment or a duration on both clocks: the wall clock, and this thread's
// processor time, which leaves out the time the thread waited for a core (the
// steadier of the two on a shared machine).
struct Clocks {
    double wall = 0, cpu = 0;
};

Clocks Now() { return Clocks{bench::WallNs(), bench::ThreadCpuNs()}; }

void AddSince(Clocks* sum, const Clocks& from, const Clocks& to) {
    sum->wall += to.wall - from.wall;
    sum->cpu += to.cpu - from.cpu;
}

struct Sums {
    Clocks module, render, present;  // summed over the timed frames
    Clocks start, end;               // of the timed stretch
    long frames = 0, calls = 0;
    long spriteSamples = 0, spriteTotal = 0, spriteMost = 0;
};

// Every object in the scene is one record and one draw-list link; all other
// live blocks (layers, maps, tile arrays, the HUD's block, text and glyph
// array) are made once by the set-up. So live blocks - 2 x sprites is the
// same number after set-up and at the end unless something leaked.
struct LeakCheck {
    long spritesAfterSetUp = 0, spritesAtEnd = 0;
    long liveAfterSetUp = -1, liveAtEnd = -1;
    bool found = false;
};

struct Run {
    std::vector<ScriptEvent> script;
    size_t nextEvent = 0;
    bool measuring = false, done = false;
    Clocks returnedAt;  // when the last module call returned
    Sums sums;
    LeakCheck leak;
    VProgProcedureFn procedure = nullptr;
    SDL_Surface* target = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
};

Run run;

long SpritesInScene() {
    long n = 0;
    for (const Layer* layer = prog.layers; layer; layer = layer->next)
        for (const SpriteLink* link = layer->drawFirst; link; link = link->older) ++n;
    return n;
}

// The shutdown call: the module prints its allocation counts to standard
// error (KESTRA_ALLOC_STATS is set); they are caught here, with the number of
// objects in the scene at that moment.
int ShutdownProcedure(int elapsedMs) {
    run.leak.spritesAtEnd = SpritesInScene();
    std::fflush(stderr);
    FILE* caught = std::tmpfile();
    const int saved = dup(2);
    if (caught && saved >= 0) dup2(fileno(caught), 2);
    const int result = run.procedure(elapsedMs);
    std::fflush(stderr);
    if (saved >= 0) {
        dup2(saved, 2);
        close(saved);
    }
    if (caught) {
        std::rewind(caught);
        char line[256];
        while (std::fgets(line, sizeof line, caught))
            if (std::sscanf(line, "prog: allocations live=%ld after-setup=%ld", &run.leak.liveAtEnd,
                            &run.leak.liveAfterSetUp) == 2)
                run.leak.found = true;
        std::fclose(caught);
    }
    return result;
}

int TimedProcedure(int elapsedMs) {
    if (prog.event == EV_SHUTDOWN) return ShutdownProcedure(elapsedMs);
    const Clocks t0 = Now();
    const int result = run.procedure(elapsedMs);
    run.returnedAt = Now();
    if (run.measuring) {
        AddSince(&run.sums.module, t0, run.returnedAt);
        ++run.sums.calls;
    }
    return result;
}

// Right after VProgInterface: the fixed seed, and the timing wrapper.
void AfterInterface() {
    std::srand(kSeed);
    run.leak.spritesAfterSetUp = SpritesInScene();
    run.procedure = boundProcedure;
    if (run.procedure) boundProcedure = TimedProcedure;
}

void OnPresent(const uint16_t* pixels, int width, int height, int pitch, void*) {
    const Clocks t2 = Now();
    if (run.texture) SDL_UpdateTexture(run.texture, nullptr, pixels, pitch);
    const Clocks t3 = Now();
    if (!run.measuring) return;
    AddSince(&run.sums.render, run.returnedAt, t2);
    AddSince(&run.sums.present, t2, t3);
    if (run.sums.frames++ % 50 == 0) {
        const long n = SpritesInScene();
        run.sums.spriteTotal += n;
        ++run.sums.spriteSamples;
        if (n > run.sums.spriteMost) run.sums.spriteMost = n;
    }
}

void OnIdle(void*) {
    HeadlessAdvance(kStepMs);
    const DWORD now = timeGetTime();
    while (run.nextEvent < run.script.size() && run.script[run.nextEvent].ms <= now) {
        const ScriptEvent& event = run.script[run.nextEvent++];
        HeadlessPost(event.message, event.wParam, event.lParam);
    }
    if (!run.measuring && !run.done && now >= kWarmUpMs) {
        run.measuring = true;
        run.sums.start = Now();
    } else if (run.measuring && now >= kWarmUpMs + kMeasureMs) {
        run.sums.end = Now();
        run.measuring = false;
        run.done = true;
        HeadlessPost(WM_KEYDOWN, VK_ESCAPE, 0);
    }
}

bool MakePresenter() {
    run.target = SDL_CreateRGBSurfaceWithFormat(0, 1024, 768, 32, SDL_PIXELFORMAT_XRGB8888);
    if (!run.target) return false;
    run.renderer = SDL_CreateSoftwareRenderer(run.target);
    if (!run.renderer) return false;
    run.texture = SDL_CreateTexture(run.renderer, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING, 1024, 768);
    return run.texture != nullptr;
}

int exitCode = -1;

void BM_BusyScene(benchmark::State& state) {
    for (auto _ : state) {
        exitCode = EngineMain(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
        const double wall = run.sums.end.wall - run.sums.start.wall;
        state.SetIterationTime(wall > 0 ? wall / 1e9 : 1e-9);
    }
    const Sums& s = run.sums;
    if (s.frames == 0 || !run.done) {
        state.SkipWithError("no frames were timed");
        return;
    }
    state.counters["fps"] = s.frames / ((s.end.wall - s.start.wall) / 1e9);
    state.counters["fps_cpu"] = s.frames / ((s.end.cpu - s.start.cpu) / 1e9);
    state.counters["module_ms"] = s.module.cpu / s.frames / 1e6;
    state.counters["render_ms"] = s.render.cpu / s.frames / 1e6;
    state.counters["present_ms"] = s.present.cpu / s.frames / 1e6;
}
BENCHMARK(BM_BusyScene)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

bool CopyFile(const std::string& from, const std::string& to) {
    std::ifstream in(from, std::ios::binary);
    std::ofstream out(to, std::ios::binary);
    out << in.rdbuf();
    return in.good() && out.good();
}

// Per frame, in ms: the share of one part on one clock.
double PerFrame(double ns) { return ns / run.sums.frames / 1e6; }

void PrintSummary() {
    const Sums& s = run.sums;
    const Clocks whole = {s.end.wall - s.start.wall, s.end.cpu - s.start.cpu};
    std::printf(
        "\nBusy scene: %ld frames (%ld module calls) in %.0f ms of virtual time, timed %.1f ms wall, "
        "%.1f ms processor; %.0f sprites drawn on average, %ld at most.\n",
        s.frames, s.calls, (double)kMeasureMs, whole.wall / 1e6, whole.cpu / 1e6,
        s.spriteSamples ? (double)s.spriteTotal / s.spriteSamples : 0.0, s.spriteMost);
    const Clocks other = {whole.wall - s.module.wall - s.render.wall - s.present.wall,
                          whole.cpu - s.module.cpu - s.render.cpu - s.present.cpu};
    const struct {
        const char* name;
        Clocks time;
    } parts[] = {{"module call (VProgProcedure)", s.module},
                 {"render (RenderFrame's drawing)", s.render},
                 {"presentation copy (UpdateTexture)", s.present},
                 {"loop, idle pass, dispatch", other},
                 {"whole frame", whole}};
    std::printf("  %-34s %9s %9s %7s\n", "per frame", "cpu ms", "wall ms", "share");
    for (const auto& part : parts)
        std::printf("  %-34s %9.4f %9.4f %6.1f%%\n", part.name, PerFrame(part.time.cpu), PerFrame(part.time.wall),
                    100 * part.time.cpu / whole.cpu);
    bench::PrintFigure("whole game, busy scene (cpu)", s.frames / (whole.cpu / 1e9), "fps", ">= 2000 fps");
    bench::PrintFigure("  the same by the wall clock", s.frames / (whole.wall / 1e9), "fps", "-");
    bench::PrintFigure("  module call per frame (cpu)", PerFrame(s.module.cpu), "ms", "-");
    bench::PrintFigure("  render per frame (cpu)", PerFrame(s.render.cpu), "ms", "-");
    bench::PrintFigure("  presentation copy per frame (cpu)", PerFrame(s.present.cpu), "ms", "-");
    bench::PrintFigure("  render + presentation copy (cpu)", PerFrame(s.render.cpu + s.present.cpu), "ms", "< 0.4 ms");
    const LeakCheck& k = run.leak;
    if (!k.found) {
        std::printf("The module printed no allocation counts at shutdown.\n");
        return;
    }
    const long fixedAfterSetUp = k.liveAfterSetUp - 2 * k.spritesAfterSetUp;
    const long fixedAtEnd = k.liveAtEnd - 2 * k.spritesAtEnd;
    std::printf(
        "Allocations: %ld live after set-up with %ld objects, %ld at the end with %ld objects; "
        "blocks not held by an object: %ld and %ld.\n",
        k.liveAfterSetUp, k.spritesAfterSetUp, k.liveAtEnd, k.spritesAtEnd, fixedAfterSetUp, fixedAtEnd);
    bench::PrintFigure("busy run: live blocks not held by objects, end - set-up",
                       (double)(fixedAtEnd - fixedAfterSetUp), "blocks", "0");
}

}  // namespace

int main(int argc, char** argv) {
    const char* gameDir = std::getenv("KESTRA_GAME_DIR");
    if (!gameDir || !*gameDir) gameDir = KESTRA_GAME_DIR;
    support::TempDir scratch(true);  // the data files are copied here; a beaten high score is written here
    if (scratch.path.empty()) {
        std::fprintf(stderr, "game_bench: cannot make a scratch folder\n");
        return 1;
    }
    for (const char* name : kDataFiles)
        if (!CopyFile(std::string(gameDir) + "/" + name, scratch / name)) {
            std::fprintf(stderr, "game_bench: cannot copy %s/%s (build the game first)\n", gameDir, name);
            return 1;
        }
    std::string error;
    if (!ParseScript(BusyScript(), &run.script, &error)) {
        std::fprintf(stderr, "game_bench: script: %s\n", error.c_str());
        return 1;
    }

    PlatformSelectBackend(PLATFORM_HEADLESS);
    PlatformSetModuleDir(gameDir);
    HeadlessSetIdleHook(OnIdle, nullptr);
    HeadlessSetPresentHook(OnPresent, nullptr);
    afterInterfaceHook = AfterInterface;
    setenv("KESTRA_ALLOC_STATS", "1", 1);
    if (SDL_Init(0) != 0 || !MakePresenter()) std::fprintf(stderr, "game_bench: no presentation texture\n");

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    for (int i = 0; i < HeadlessBoxCount(); ++i)
        std::fprintf(stderr, "game_bench: message box %s: %s\n", HeadlessBoxCaption(i), HeadlessBoxText(i));
    if (exitCode != 0 || !run.done || run.sums.frames == 0) {
        std::fprintf(stderr, "game_bench: the run did not complete (exit code %d)\n", exitCode);
        return 1;
    }
    PrintSummary();
    return 0;
}
