#include "tests/support/harness.h"

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

const int kVariants = 5;

struct Modules {
    std::string root;
    std::string dirs[kVariants];
    RecState* recorders[kVariants] = {};
    RecResetFn resets[kVariants] = {};
    int runs = 0;
};

Modules* modules = nullptr;

void RemoveRoot() { fs::remove_all(modules->root); }

// Copies each variant into its own folder under one temporary root and loads
// it once here, so that the engine's LoadLibraryA gets the same instance.
Modules* GetModules() {
    if (modules) return modules;
    char pattern[] = "/tmp/engine-tests-XXXXXX";
    if (!mkdtemp(pattern)) abort();
    modules = new Modules();
    modules->root = pattern;
    atexit(RemoveRoot);
    const char* sources[] = {RECMOD_PATH, RECMOD_NOIF_PATH, RECMOD_NOPROC_PATH, RECMOD_NONE_PATH};
    for (int i = 0; i < kVariants; ++i) {
        modules->dirs[i] = modules->root + "/module" + std::to_string(i);
        fs::create_directories(modules->dirs[i]);
        if (i == MODULE_MISSING) continue;
        std::string target = modules->dirs[i] + "/prog.so";
        fs::copy_file(sources[i], target);
        void* handle = dlopen(target.c_str(), RTLD_NOW);
        if (!handle) abort();
        modules->recorders[i] = reinterpret_cast<RecGetStateFn>(dlsym(handle, "RecGetState"))();
        modules->resets[i] = reinterpret_cast<RecResetFn>(dlsym(handle, "RecReset"));
    }
    return modules;
}

void Hook(void* user) {
    EngineRun* run = static_cast<EngineRun*>(user);
    ++run->hookCalls;
    auto runDue = [run]() {
        while (run->next < run->actions.size() && run->actions[run->next].first <= timeGetTime())
            run->actions[run->next++].second();
    };
    // The clock moves only when the due actions left nothing to deliver, so
    // every action lands at its own time.
    runDue();
    if (HeadlessQueueLength() == 0) {
        HeadlessAdvance(run->stepMs);
        runDue();
    }
    if (!run->escapeSent && timeGetTime() - run->start >= run->runMs) {
        run->escapeSent = 1;
        HeadlessPost(WM_KEYDOWN, VK_ESCAPE, 0);
    } else if (run->escapeSent && !run->stuck && ++run->afterEscape > 1000) {
        run->stuck = 1;
        PostQuitMessage(99);
    }
}

}  // namespace

EngineRun::EngineRun(DWORD runMs, ModuleVariant variant, bool withSong) : runMs(runMs) {
    Modules* m = GetModules();
    ResetDisplayForTests();
    ResetEngineForTests();
    HeadlessReset();
    PlatformSelectBackend(PLATFORM_HEADLESS);
    PlatformSetModuleDir(m->dirs[variant].c_str());
    std::string workDir = m->root + "/work" + std::to_string(m->runs++);
    fs::create_directories(workDir);
    if (chdir(workDir.c_str()) != 0) abort();
    if (withSong) {
        // Format 0, one track, 96 ticks per quarter: one note on and off.
        static const unsigned char kMidi[] = {'M', 'T', 'h',  'd',  0,   0,   0,    6,    0,    0,   0,    1,
                                              0,   96,  'M',  'T',  'r', 'k', 0,    0,    0,    12,  0x00, 0x90,
                                              60,  100, 0x60, 0x80, 60,  0,   0x00, 0xFF, 0x2F, 0x00};
        FILE* file = fopen("song.mid", "wb");
        if (!file) abort();
        fwrite(kMidi, 1, sizeof kMidi, file);
        fclose(file);
    }
    for (RecResetFn reset : m->resets)
        if (reset) reset();
}

void EngineRun::At(DWORD ms, std::function<void()> action) {
    if (!actions.empty() && actions.back().first > ms) ADD_FAILURE() << "actions must be added in time order";
    actions.emplace_back(ms, std::move(action));
}

void EngineRun::Post(DWORD ms, UINT message, WPARAM wParam, LPARAM lParam) {
    At(ms, [=]() { HeadlessPost(message, wParam, lParam); });
}

void EngineRun::Run() {
    start = timeGetTime();
    HeadlessSetIdleHook(Hook, this);
    EXPECT_EQ(EngineMain(nullptr, SW_SHOWNORMAL), 0);
    HeadlessSetIdleHook(nullptr, nullptr);
    EXPECT_FALSE(stuck) << "the engine did not end after Escape";
}

RecState* Recorder(ModuleVariant variant) { return GetModules()->recorders[variant]; }

std::vector<RecCall> Calls() {
    const RecState* rec = Recorder();
    return std::vector<RecCall>(rec->calls, rec->calls + std::min(rec->callCount, kRecMaxCalls));
}

int CountEvent(const std::vector<RecCall>& calls, uint32_t event) {
    int n = 0;
    for (const RecCall& call : calls) n += call.event == event;
    return n;
}

BoxList Boxes() {
    BoxList boxes;
    for (int i = 0; i < HeadlessBoxCount(); ++i) boxes.emplace_back(HeadlessBoxCaption(i), HeadlessBoxText(i));
    return boxes;
}
