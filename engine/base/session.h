// The engine's side of its link with the game module, shared by the host and
// the graphics: the one Prog record handed to the module, the engine's window,
// the module's two bound entry points, and the message boxes. The host fills
// them in at start-up; the display, image store and renderer use them.
#pragma once
#include <cstddef>

#include "interface/prog.h"
#include "platform/fault.h"
#include "platform/winapi.h"

extern Prog prog;    // the one record handed to the game module
extern HWND window;  // the engine's window; prog.window points here

// What the module's lookups found; each stays stored even when the other is
// missing.
extern VProgInterfaceFn boundInterface;
extern VProgProcedureFn boundProcedure;
// Number of calls made into VProgProcedure since start-up.
extern long procedureCalls;

// Nonzero when both entry points are present, the only case in which the
// engine calls either of them.
int ModuleBound();
// Calls VProgProcedure with the elapsed milliseconds, counting the call.
int CallProcedure(int elapsedMs);
// Sends EV_SHUTDOWN to the module if it is bound; returns 0.
int NotifyShutdown();

// Message box owned by the window, caption "Error!"; returns 0.
int ShowError(const char* text);
// The Report service: message box captioned "Report"; returns 1.
int Report(const char* text);

// The engine's allocations that tests can make fail.
struct EngineFaults {
    Fault musicPlayer;  // the music player's record
    Fault musicName;    // the player's copy of the file name
    Fault imageStore;   // every allocation of the image store, in order
};
extern EngineFaults engineFaults;
// malloc(size), or null when the fault fires.
void* AllocUnlessFault(Fault* fault, size_t size);

// Puts all of the above back to the start state (tests run several engine
// sessions in one process).
void ResetSession();
