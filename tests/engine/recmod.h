// The recording test module: a stand-in for the game that records every
// call the engine makes into it. Tests reach its state through RecGetState,
// looked up in the loaded module.
#pragma once
#include <cstdint>

#include "interface/prog.h"
#include "platform/win32.h"

struct RecCall {
    uint32_t event;  // prog.event at the call
    int elapsed;     // the argument
    uint8_t key;     // prog.key at the call
    int32_t mouseX;  // prog.mouseX at the call
    int32_t mouseY;  // prog.mouseY at the call
    uint32_t clock;  // timeGetTime at the call
    int boxes;       // message boxes shown before the call
    long frames;     // frames presented before the call
    int mciOpens;    // MCI_OPEN commands before the call
    int mciPlays;    // MCI_PLAY commands before the call
};

constexpr int kRecMaxCalls = 1 << 16;

struct RecState {
    // Set by tests before a run.
    int interfaceResult;  // what VProgInterface returns (default 1)
    int procedureResult;  // what VProgProcedure returns (default 1)
    int setDisplayMode;   // VProgInterface asks for 1024 x 768 x 16 (default 1)

    // VProgInterface.
    int interfaceCalls;
    int proceduresBeforeInterface;  // VProgProcedure calls that came first
    Prog* prog;                     // the pointer it received
    Prog progAtInterface;           // a copy of the record as it arrived
    HWND windowAtInterface;         // *prog->window as it arrived
    int boxesAtInterface;
    int mciOpensAtInterface;
    int displayModeResult;  // result of SetDisplayMode, when asked

    // VProgProcedure.
    int callCount;  // may exceed kRecMaxCalls; only the first are kept
    RecCall calls[kRecMaxCalls];
};

typedef RecState* (*RecGetStateFn)();
// Puts the state back to its defaults (no calls, default results).
typedef void (*RecResetFn)();
