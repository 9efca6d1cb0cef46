// Pieces of the headless runner (engine-headless), which the browser's replay
// engine (tools/web) shares: its options, the input script and how a run
// feeds it to the engine, fault names, the JSON line and screenshots.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/headless.h"
#include "platform/win32.h"

// One scripted input message, posted when the virtual clock reaches ms.
struct ScriptEvent {
    DWORD ms;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// A screenshot request: the first frame presented at or after ms.
struct ShotRequest {
    DWORD ms;
    std::string path;
    int saved;  // 1 once written, -1 when writing failed
};

struct FaultSetting {
    std::string name;
    int count;
};

struct RunnerOptions {
    DWORD runMs;
    DWORD stepMs;
    std::string scriptPath;
    int hasSeed;
    unsigned seed;
    std::vector<ShotRequest> shots;
    std::vector<FaultSetting> faults;
    int help;  // -h or --help: print the usage and run nothing
};

// Defaults: 10000 ms run, 10 ms steps, no script, no seed, no shots, no help.
void RunnerOptionsConstruct(RunnerOptions* options);

// Parses the command line (argv[0] is the program). 1 on success (or on -h
// or --help, which ends the parse); 0 with a one-line explanation in *error.
int ParseRunnerOptions(int argc, const char* const* argv, RunnerOptions* options, std::string* error);

// Parses a script's text into events ordered by time (lines of equal time
// keep their order; "key" gives a key-down and a key-up). 1 on success; 0
// with "line N: ..." in *error.
int ParseScript(const std::string& text, std::vector<ScriptEvent>* events, std::string* error);

// The clock and the queue that a scripted run drives: the headless backend's
// (HeadlessAdvance, HeadlessPost) or the browser backend's replay controls.
struct RunnerInputOps {
    void (*advance)(DWORD ms);
    void (*post)(UINT message, WPARAM wParam, LPARAM lParam);
};

// A scripted run in progress: its options, its script and how far it got.
struct ScriptedRun {
    RunnerOptions options;
    std::vector<ScriptEvent> script;
    const RunnerInputOps* ops;
    size_t nextEvent;
    int started;
    int escapeSent;
    int closeSent;
};

// Default options, no script, nothing posted yet.
void ScriptedRunConstruct(ScriptedRun* run, const RunnerInputOps* ops);

// Reads and parses the options' script file (at most 16 MiB), if one was
// given. 1 on success; 0 with "cannot open script PATH", "PATH: line N: ..."
// or the like in *error.
int ScriptedRunLoadScript(ScriptedRun* run, std::string* error);

// The engine found its queue empty. The first time, the lines due at the
// start are posted (the platform has already made the shown window the
// active application); if there were none, and on every later call, the
// clock advances by one step and the lines due by then are posted. At the
// end of the run Escape is posted, a close a grace period later. 0 when even
// the close has not ended the engine after a second grace period: the caller
// gives up; 1 otherwise.
int ScriptedRunIdle(ScriptedRun* run);

// A flip found the display still drawing: it waits a millisecond. 0 when the
// run's time is over (the display never finishes); 1 otherwise.
int ScriptedRunStall(ScriptedRun* run);

// One line per fault name with what it makes fail, for the usage text.
std::string FaultHelp();

// Makes the fault called name (a HeadlessFaults field name) fail the next
// count calls (-1: every call); 0 when there is no such field.
int SetHeadlessFault(HeadlessFaults* faults, const char* name, int count);

// A JSON string literal (with quotes) for text.
std::string JsonString(const char* text);

// Writes a width x height RGB565 picture (rows pitch bytes apart) as an 8-bit
// RGB PNG, each channel widened by repeating its top bits. 1 on success.
int WriteRgb565Png(const char* path, const uint16_t* pixels, int width, int height, int pitch);
