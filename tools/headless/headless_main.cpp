// engine-headless: the engine's own start-up and main loop on the headless
// platform, driven by a virtual clock and an input script; prints one JSON
// line describing the run.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/host/engine.h"
#include "platform/backend.h"
#include "platform/headless.h"
#include "tools/headless/runner.h"

static const char kUsage[] =
    "usage: engine-headless [-h|--help] [--run-ms N] [--step-ms N] [--script FILE] [--seed N]\n"
    "                       [--shot MS:FILE.png]... [--fault NAME=N]...\n"
    "Runs the engine with prog.so from its own folder on a virtual clock. Exit code: the engine's,\n"
    "2 for bad options or script, 3 when a requested screenshot could not be written, 4 when the\n"
    "engine did not end (stuck in a flip at the end of the run, or ignoring Escape and a close).\n"
    "--fault NAME=N makes the next N calls fail (-1: every call); the names:\n";

static void PrintUsage(FILE* to) {
    fputs(kUsage, to);
    fputs(FaultHelp().c_str(), to);
}

// The run the hooks drive, on the headless backend's clock and queue.
static const RunnerInputOps kHeadlessInput = {HeadlessAdvance, HeadlessPost};
static ScriptedRun run;

// The engine found its queue empty: the run goes on (see ScriptedRunIdle).
static void OnIdle(void*) {
    if (ScriptedRunIdle(&run)) return;
    fprintf(stderr, "engine-headless: the engine did not end after Escape and a close\n");
    exit(4);
}

static void PrintResult(int exitCode);

// A flip that finds the display still drawing waits a millisecond; when the
// display never finishes, the run still ends at its time.
static void OnStall(void*) {
    if (ScriptedRunStall(&run)) return;
    fprintf(stderr, "engine-headless: the display was still drawing at the end of the run\n");
    PrintResult(4);
    exit(4);
}

static void OnPresent(const uint16_t* pixels, int width, int height, int pitch, void*) {
    DWORD now = timeGetTime();
    for (ShotRequest& shot : run.options.shots) {
        if (shot.saved || shot.ms > now) continue;
        if (WriteRgb565Png(shot.path.c_str(), pixels, width, height, pitch)) {
            shot.saved = 1;
        } else {
            shot.saved = -1;
            fprintf(stderr, "engine-headless: could not write %s\n", shot.path.c_str());
        }
    }
}

static void Reseed() { srand(run.options.seed); }

static void PrintResult(int exitCode) {
    std::string line = "{\"calls\": " + std::to_string(procedureCalls) +
                       ", \"frames\": " + std::to_string(HeadlessFramesPresented()) +
                       ", \"virtual_ms\": " + std::to_string(timeGetTime()) + ", \"boxes\": [";
    for (int i = 0; i < HeadlessBoxCount(); ++i) {
        if (i) line += ", ";
        line += "[" + JsonString(HeadlessBoxCaption(i)) + ", " + JsonString(HeadlessBoxText(i)) + "]";
    }
    line += "], \"exit\": " + std::to_string(exitCode) + "}\n";
    fputs(line.c_str(), stdout);
    fflush(stdout);
}

int main(int argc, char** argv) {
    std::string error;
    ScriptedRunConstruct(&run, &kHeadlessInput);
    if (!ParseRunnerOptions(argc, argv, &run.options, &error)) {
        fprintf(stderr, "engine-headless: %s\n", error.c_str());
        PrintUsage(stderr);
        return 2;
    }
    if (run.options.help) {
        PrintUsage(stdout);
        return 0;
    }
    if (!ScriptedRunLoadScript(&run, &error)) {
        fprintf(stderr, "engine-headless: %s\n", error.c_str());
        return 2;
    }

    PlatformSelectBackend(PLATFORM_HEADLESS);
    for (const FaultSetting& fault : run.options.faults)
        SetHeadlessFault(HeadlessGetFaults(), fault.name.c_str(), fault.count);
    HeadlessSetIdleHook(OnIdle, nullptr);
    HeadlessSetPresentHook(OnPresent, nullptr);
    HeadlessSetStallHook(OnStall, nullptr);
    if (run.options.hasSeed) afterInterfaceHook = Reseed;

    int exitCode = EngineMain(GetModuleHandleA(nullptr), SW_SHOWNORMAL);

    PrintResult(exitCode);
    int shotsMissing = 0;
    for (const ShotRequest& shot : run.options.shots) {
        if (shot.saved == 0)
            fprintf(stderr, "engine-headless: no frame was presented at or after %u ms; %s not written\n",
                    static_cast<unsigned>(shot.ms), shot.path.c_str());
        if (shot.saved != 1) shotsMissing = 1;
    }
    return shotsMissing ? 3 : exitCode;
}
