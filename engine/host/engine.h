// The engine host's state and internal routines shared across engine files.
#pragma once
#include "interface/prog.h"
#include "platform/winapi.h"

extern Prog prog;    // the one record handed to the game module
extern HWND window;  // the engine's window; prog.window points here

// Message box owned by the window, caption "Error!"; returns 0.
int ShowError(const char* text);
// The Report service: message box captioned "Report"; returns 1.
int Report(const char* text);
// Sends EV_SHUTDOWN to the module if its procedure is bound; returns 0.
int NotifyShutdown();

// The engine's entry routine: start-up, then the main loop until the quit
// message. Returns the exit code. The backend must be selected before.
int EngineMain(HINSTANCE instance, int showCommand);

// Puts the engine's own globals back to their start state (tests run
// several engine sessions in one process).
void ResetEngineForTests();

// Called right after VProgInterface returns, when set (the headless runner
// reseeds the C library's generator there so that a run repeats exactly).
extern void (*afterInterfaceHook)();
// Number of calls made into VProgProcedure since start-up.
extern long procedureCalls;
