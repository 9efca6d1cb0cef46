// Runs the engine's start-up and main loop in-process on the headless
// platform, with the recording module as prog.so and a timed list of actions
// that the idle hook performs as the virtual clock advances.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "engine/host/engine.h"
#include "platform/headless.h"
#include "tests/engine/recmod.h"

// Folders holding the module variants, each copied as prog.so.
enum ModuleVariant { MODULE_FULL, MODULE_NO_INTERFACE, MODULE_NO_PROCEDURE, MODULE_NONE, MODULE_MISSING };

struct TimedAction {
    DWORD ms;
    std::function<void()> action;
};

struct EngineRun {
    DWORD runMs;                       // Escape is posted once the clock reaches this
    DWORD stepMs;                      // clock advance per idle pass
    std::vector<TimedAction> actions;  // kept in time order
    size_t next;
    int escapeAfterHookCalls;  // when nonzero, Escape comes after this many idle passes instead
    int escapeSent;
    int hookCallsAfterEscape;
    int stuck;  // set when the engine did not end after Escape
    int hookCalls;
};

// Resets engine, display, music and platform, selects the headless backend,
// points the loader at the variant's folder, makes a fresh working folder
// (with song.mid when withSong), and resets the variant's recorder.
void PrepareEngine(EngineRun* run, ModuleVariant variant = MODULE_FULL, bool withSong = true);
// Adds an action at ms (actions must be added in time order).
void At(EngineRun* run, DWORD ms, std::function<void()> action);
void PostAt(EngineRun* run, DWORD ms, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
// Runs EngineMain to its end and returns its result.
int RunEngine(EngineRun* run);

// The recorder of a variant's module (null for MODULE_MISSING).
RecState* Recorder(ModuleVariant variant = MODULE_FULL);
// The current working folder made by PrepareEngine.
const std::string& WorkDir();
// Writes a small valid standard MIDI file.
void WriteMidiFile(const std::string& path);

// Message boxes shown so far, as (caption, text) pairs.
std::vector<std::pair<std::string, std::string>> Boxes();
