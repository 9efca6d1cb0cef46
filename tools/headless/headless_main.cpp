// engine-headless: the engine's own start-up and main loop on the headless
// platform, driven by a virtual clock and an input script; prints one JSON
// line describing the run.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
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

// Everything the two hooks share.
struct RunState {
    RunnerOptions options;
    std::vector<ScriptEvent> script;
    size_t nextEvent;
    int started;
    int escapeSent;
    int closeSent;
};

static RunState run;

// Virtual time after Escape by which the engine must have ended.
static const DWORD kGraceMs = 60000;

static void PostDueEvents(DWORD now) {
    while (run.nextEvent < run.script.size() && run.script[run.nextEvent].ms <= now) {
        const ScriptEvent& event = run.script[run.nextEvent++];
        HeadlessPost(event.message, event.wParam, event.lParam);
    }
}

// Called whenever the engine finds its queue empty. The first time, the
// lines due at the start are posted (the platform has already made the shown
// window the active application); if there were none, and on every later
// call, the clock advances by one step and the lines due by then are posted.
static void OnIdle(void*) {
    size_t before = run.nextEvent;
    if (!run.started) {
        run.started = 1;
        PostDueEvents(timeGetTime());
    }
    if (run.nextEvent == before) {
        HeadlessAdvance(run.options.stepMs);
        PostDueEvents(timeGetTime());
    }
    DWORD now = timeGetTime();
    if (now >= run.options.runMs && !run.escapeSent) {
        run.escapeSent = 1;
        HeadlessPost(WM_KEYDOWN, VK_ESCAPE, 0);
    }
    // Escape always ends the loop; these guard against a stuck run.
    if (run.escapeSent && now - run.options.runMs >= kGraceMs && !run.closeSent) {
        run.closeSent = 1;
        HeadlessPost(WM_CLOSE, 0, 0);
    }
    if (run.closeSent && now - run.options.runMs >= 2 * kGraceMs) {
        fprintf(stderr, "engine-headless: the engine did not end after Escape and a close\n");
        exit(4);
    }
}

static void PrintResult(int exitCode);

// A flip that finds the display still drawing waits a millisecond; when the
// display never finishes, the run still ends at its time.
static void OnStall(void*) {
    HeadlessAdvance(1);
    if (timeGetTime() < run.options.runMs) return;
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

static int ReadScript(const std::string& path, std::string* text) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        fprintf(stderr, "engine-headless: cannot open script %s\n", path.c_str());
        return 0;
    }
    const std::streamsize limit = 16 << 20;
    std::vector<char> buffer(static_cast<size_t>(limit) + 1);
    file.read(buffer.data(), limit + 1);
    if (file.bad()) {
        fprintf(stderr, "engine-headless: cannot read script %s\n", path.c_str());
        return 0;
    }
    if (file.gcount() > limit) {
        fprintf(stderr, "engine-headless: script %s is larger than 16 MiB\n", path.c_str());
        return 0;
    }
    text->assign(buffer.data(), static_cast<size_t>(file.gcount()));
    return 1;
}

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
    run.nextEvent = 0;
    run.started = run.escapeSent = run.closeSent = 0;
    if (!ParseRunnerOptions(argc, argv, &run.options, &error)) {
        fprintf(stderr, "engine-headless: %s\n", error.c_str());
        PrintUsage(stderr);
        return 2;
    }
    if (run.options.help) {
        PrintUsage(stdout);
        return 0;
    }
    if (!run.options.scriptPath.empty()) {
        std::string text;
        if (!ReadScript(run.options.scriptPath, &text)) return 2;
        if (!ParseScript(text, &run.script, &error)) {
            fprintf(stderr, "engine-headless: %s: %s\n", run.options.scriptPath.c_str(), error.c_str());
            return 2;
        }
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
