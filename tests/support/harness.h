// Runs the engine's start-up and main loop in-process on the headless
// platform, with the recording module as prog.so and a timed list of actions
// that the idle hook performs as the virtual clock advances.
#pragma once
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "engine/host/engine.h"
#include "platform/headless.h"
#include "tests/support/recmod.h"

// The module variants, each copied as prog.so into a folder of its own.
enum ModuleVariant { MODULE_FULL, MODULE_NO_INTERFACE, MODULE_NO_PROCEDURE, MODULE_NONE, MODULE_MISSING };

typedef std::vector<std::pair<std::string, std::string>> BoxList;

struct EngineRun {
    // Resets engine, display, music, platform and every recorder, selects the
    // headless backend, points the loader at the variant's folder and makes a
    // fresh working folder (with song.mid when withSong).
    explicit EngineRun(DWORD runMs, ModuleVariant variant = MODULE_FULL, bool withSong = true);
    // Actions run when the clock reaches ms; add them in time order.
    void At(DWORD ms, std::function<void()> action);
    void Post(DWORD ms, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // Runs EngineMain to its end and expects exit code 0.
    void Run();

    DWORD runMs;        // Escape is posted once the clock has moved this far
    DWORD stepMs = 10;  // clock advance per idle pass
    std::vector<std::pair<DWORD, std::function<void()>>> actions;
    size_t next = 0;
    DWORD start = 0;
    int hookCalls = 0, escapeSent = 0, afterEscape = 0, stuck = 0;
};

RecState* Recorder(ModuleVariant variant = MODULE_FULL);
// The calls the full module recorded.
std::vector<RecCall> Calls();
int CountEvent(const std::vector<RecCall>& calls, uint32_t event);
BoxList Boxes();
