// The engine's entry routine and what tests and the headless runner reach in it.
#pragma once
#include "engine/base/session.h"

// The engine's entry routine: start-up, then the main loop until the quit
// message. Returns the exit code. The backend must be selected before.
int EngineMain(HINSTANCE instance, int showCommand);

// Puts the engine's own globals back to their start state (tests run
// several engine sessions in one process).
void ResetEngineForTests();

// Called right after VProgInterface returns, when set (the headless runner
// reseeds the C library's generator there so that a run repeats exactly).
extern void (*afterInterfaceHook)();
