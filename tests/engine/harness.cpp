#include "tests/engine/harness.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "engine/graphics/display.h"
#include "platform/backend.h"

namespace fs = std::filesystem;

namespace {

struct Modules {
    std::string root;
    std::string dirs[5];
    RecState* recorders[5];
    RecResetFn resets[5];
    std::string workDir;
    int runs;
};

Modules* modules = nullptr;

void RemoveRoot() {
    if (modules) {
        std::error_code ignored;
        fs::remove_all(modules->root, ignored);
    }
}

// Copies each variant into a folder of its own under one temporary root and
// loads it once, so that the engine's LoadLibraryA gets the same instance.
Modules* GetModules() {
    if (modules) return modules;
    modules = new Modules();
    char pattern[] = "/tmp/engine-tests-XXXXXX";
    const char* root = mkdtemp(pattern);
    if (!root) {
        perror("mkdtemp");
        abort();
    }
    modules->root = root;
    atexit(RemoveRoot);
    const char* sources[4] = {RECMOD_PATH, RECMOD_NOIF_PATH, RECMOD_NOPROC_PATH, RECMOD_NONE_PATH};
    const char* names[5] = {"full", "noif", "noproc", "none", "missing"};
    for (int i = 0; i < 5; ++i) {
        modules->dirs[i] = modules->root + "/" + names[i];
        fs::create_directories(modules->dirs[i]);
        modules->recorders[i] = nullptr;
        modules->resets[i] = nullptr;
        if (i == MODULE_MISSING) continue;
        std::string target = modules->dirs[i] + "/prog.so";
        fs::copy_file(sources[i], target);
        void* handle = dlopen(target.c_str(), RTLD_NOW);
        if (!handle) {
            fprintf(stderr, "dlopen %s: %s\n", target.c_str(), dlerror());
            abort();
        }
        modules->recorders[i] = reinterpret_cast<RecGetStateFn>(dlsym(handle, "RecGetState"))();
        modules->resets[i] = reinterpret_cast<RecResetFn>(dlsym(handle, "RecReset"));
    }
    return modules;
}

void Hook(void* user) {
    EngineRun* run = static_cast<EngineRun*>(user);
    ++run->hookCalls;
    auto runDue = [run]() {
        DWORD now = timeGetTime();
        while (run->next < run->actions.size() && run->actions[run->next].ms <= now) run->actions[run->next++].action();
    };
    // Actions due now run first; the clock moves only when they left nothing
    // to deliver, so every action lands at its own time.
    runDue();
    if (HeadlessQueueLength() == 0) {
        HeadlessAdvance(run->stepMs);
        runDue();
    }
    DWORD now = timeGetTime();
    bool due = run->escapeAfterHookCalls ? run->hookCalls >= run->escapeAfterHookCalls : now >= run->runMs;
    if (due && !run->escapeSent) {
        run->escapeSent = 1;
        HeadlessPost(WM_KEYDOWN, VK_ESCAPE, 0);
    } else if (run->escapeSent && !run->stuck && ++run->hookCallsAfterEscape > 1000) {
        run->stuck = 1;
        PostQuitMessage(99);
    }
}

}  // namespace

void PrepareEngine(EngineRun* run, ModuleVariant variant, bool withSong) {
    Modules* m = GetModules();
    ResetDisplayForTests();
    ResetEngineForTests();
    HeadlessReset();
    PlatformSelectBackend(PLATFORM_HEADLESS);
    PlatformSetModuleDir(m->dirs[variant].c_str());

    m->workDir = m->root + "/work" + std::to_string(m->runs++);
    fs::create_directories(m->workDir);
    if (chdir(m->workDir.c_str()) != 0) abort();
    if (withSong) WriteMidiFile(m->workDir + "/song.mid");

    for (int i = 0; i < 5; ++i)
        if (m->resets[i]) m->resets[i]();

    run->runMs = 1000;
    run->stepMs = 10;
    run->actions.clear();
    run->next = 0;
    run->escapeAfterHookCalls = 0;
    run->escapeSent = 0;
    run->hookCallsAfterEscape = 0;
    run->stuck = 0;
    run->hookCalls = 0;
}

void At(EngineRun* run, DWORD ms, std::function<void()> action) {
    if (!run->actions.empty() && run->actions.back().ms > ms) {
        ADD_FAILURE() << "actions must be added in time order";
        return;
    }
    run->actions.push_back(TimedAction{ms, std::move(action)});
}

void PostAt(EngineRun* run, DWORD ms, UINT message, WPARAM wParam, LPARAM lParam) {
    At(run, ms, [=]() { HeadlessPost(message, wParam, lParam); });
}

int RunEngine(EngineRun* run) {
    HeadlessSetIdleHook(Hook, run);
    int result = EngineMain(nullptr, SW_SHOWNORMAL);
    HeadlessSetIdleHook(nullptr, nullptr);
    EXPECT_FALSE(run->stuck) << "the engine did not end after Escape";
    return result;
}

RecState* Recorder(ModuleVariant variant) { return GetModules()->recorders[variant]; }

const std::string& WorkDir() { return GetModules()->workDir; }

void WriteMidiFile(const std::string& path) {
    // Format 0, one track, 96 ticks per quarter: one note on and off, end of track.
    static const unsigned char kMidi[] = {
        'M',  'T',  'h', 'd', 0,    0,    0,  6,  0,    0,    0,    1,    0, 96,  // header
        'M',  'T',  'r', 'k', 0,    0,    0,  12,                                 // track
        0x00, 0x90, 60,  100, 0x60, 0x80, 60, 0,  0x00, 0xFF, 0x2F, 0x00,         // events
    };
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) abort();
    fwrite(kMidi, 1, sizeof kMidi, file);
    fclose(file);
}

std::vector<std::pair<std::string, std::string>> Boxes() {
    std::vector<std::pair<std::string, std::string>> boxes;
    for (int i = 0; i < HeadlessBoxCount(); ++i) boxes.emplace_back(HeadlessBoxCaption(i), HeadlessBoxText(i));
    return boxes;
}
