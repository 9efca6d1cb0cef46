// engine-replay: engine-headless in a web page. The engine's own start-up and
// main loop run on the browser backend, which the backend's replay controls
// put on a virtual clock with scripted input, as engine-headless runs them on
// the headless backend: the same options and script (the page hands the
// arguments from its address to main), the same seed applied after set-up,
// the same steps and Escape at the end. Every frame is drawn into the page's
// canvas; at each shot's time the canvas's pixels, read back, are kept in the
// page (Module.kestraReplay.shots), for a test to compare with
// engine-headless's screenshot of the same run. The run ends with a JSON line
// (also Module.kestraReplay.result): procedure calls, frames, virtual time,
// the exit code, and the real time spent in the page.
#include <emscripten.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/host/engine.h"
#include "platform/backend.h"
#include "platform/headless.h"
#include "platform/web_backend.h"
#include "tools/headless/runner.h"

// clang-format off

EM_JS(void, ReplayBegins, (void), { Module.kestraReplay = {shots: [], result: null}; });

// Keeps what the canvas shows now, as the shot named name (its RGBA pixels).
EM_JS(void, KeepCanvasShot, (const char* name, unsigned ms), {
    var page = Module.kestraPage;
    var picture = page.context.getImageData(0, 0, page.canvas.width, page.canvas.height);
    Module.kestraReplay.shots.push({name: UTF8ToString(name), ms: ms, width: picture.width,
                                    height: picture.height, rgba: picture.data});
});

EM_JS(void, ReplayEnds, (const char* json), { Module.kestraReplay.result = JSON.parse(UTF8ToString(json)); });

// clang-format on

static const char kUsage[] =
    "usage: replay.html?ARG&ARG... with engine-headless's arguments: [--run-ms N] [--step-ms N]\n"
    "  [--script FILE] [--seed N] [--shot MS:NAME]... [--fault NAME=N]...\n"
    "The script is fetched from beside the page; each shot keeps the canvas's pixels under NAME.\n";

static const RunnerInputOps kReplayInput = {WebReplayAdvance, WebReplayPost};
static ScriptedRun run;
static long framesPresented = 0;
static double startMs = 0;

static void PrintResult(int exitCode) {
    char line[256];
    std::snprintf(line, sizeof line,
                  "{\"calls\": %ld, \"frames\": %ld, \"virtual_ms\": %u, \"exit\": %d, \"wall_ms\": %.1f, "
                  "\"present_ms\": %.1f, \"yield_ms\": %.1f}",
                  procedureCalls, framesPresented, static_cast<unsigned>(timeGetTime()), exitCode,
                  emscripten_get_now() - startMs, WebReplayPresentMs(), WebReplayYieldMs());
    std::puts(line);
    std::fflush(stdout);
    ReplayEnds(line);
}

// The engine found its queue empty: the run goes on (see ScriptedRunIdle).
static void OnIdle(void*) {
    if (ScriptedRunIdle(&run)) return;
    std::fprintf(stderr, "engine-replay: the engine did not end after Escape and a close\n");
    PrintResult(4);
    std::exit(4);
}

static void OnStall(void*) {
    if (ScriptedRunStall(&run)) return;
    std::fprintf(stderr, "engine-replay: the display was still drawing at the end of the run\n");
    PrintResult(4);
    std::exit(4);
}

// The canvas already shows the frame.
static void OnPresent(const uint16_t*, int, int, int, void*) {
    ++framesPresented;
    const DWORD now = timeGetTime();
    for (ShotRequest& shot : run.options.shots) {
        if (shot.saved || shot.ms > now) continue;
        KeepCanvasShot(shot.path.c_str(), now);
        shot.saved = 1;
    }
}

static void Reseed() { srand(run.options.seed); }

int main(int argc, char** argv) {
    std::string error;
    ReplayBegins();
    ScriptedRunConstruct(&run, &kReplayInput);
    if (!ParseRunnerOptions(argc, argv, &run.options, &error) || run.options.help) {
        const int code = run.options.help ? 0 : 2;
        if (code) std::fprintf(stderr, "engine-replay: %s\n", error.c_str());
        std::fputs(kUsage, stderr);
        PrintResult(code);
        return code;
    }
    if (!ScriptedRunLoadScript(&run, &error)) {
        std::fprintf(stderr, "engine-replay: %s\n", error.c_str());
        PrintResult(2);
        return 2;
    }

    PlatformSelectBackend(PLATFORM_WEB);
    for (const FaultSetting& fault : run.options.faults)
        SetHeadlessFault(HeadlessGetFaults(), fault.name.c_str(), fault.count);
    const WebReplayHooks hooks = {OnIdle, OnPresent, OnStall, nullptr};
    WebReplayStart(&hooks);
    if (run.options.hasSeed) afterInterfaceHook = Reseed;

    startMs = emscripten_get_now();
    int exitCode = EngineMain(GetModuleHandleA(nullptr), SW_SHOWNORMAL);

    PrintResult(exitCode);
    int shotsMissing = 0;
    for (const ShotRequest& shot : run.options.shots) {
        if (shot.saved) continue;
        std::fprintf(stderr, "engine-replay: no frame was presented at or after %u ms; no shot %s\n",
                     static_cast<unsigned>(shot.ms), shot.path.c_str());
        shotsMissing = 1;
    }
    return shotsMissing ? 3 : exitCode;
}
