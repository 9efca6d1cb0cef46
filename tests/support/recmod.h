// The recording test module: a stand-in for the game that records every
// call the engine makes into it, reached through its RecGetState export.
#pragma once
#include <cstdint>

#include "interface/prog.h"
#include "platform/win32.h"

struct RecCall {
    uint32_t event;  // prog.event at the call
    int elapsed;     // the argument
    uint8_t key;
    int32_t mouseX, mouseY;
    uint32_t clock;  // timeGetTime at the call
    int boxes;       // message boxes shown before the call
    long frames;     // frames presented before the call
    int mciPlays;    // MCI_PLAY commands before the call
};

constexpr int kRecMaxCalls = 1 << 16;

struct RecState {
    int interfaceResult;  // what VProgInterface returns (set by tests; default 1)
    int procedureResult;  // what VProgProcedure returns (default 1)

    // VProgInterface, which also asks for 1024 x 768 x 16.
    int interfaceCalls;
    int proceduresBeforeInterface;
    Prog* prog;              // the pointer it received
    Prog progAtInterface;    // a copy of the record as it arrived
    HWND windowAtInterface;  // *prog->window as it arrived
    int mciOpensAtInterface;
    int displayModeResult;

    int callCount;  // VProgProcedure calls; only the first kRecMaxCalls are kept
    RecCall calls[kRecMaxCalls];
};

typedef RecState* (*RecGetStateFn)();
typedef void (*RecResetFn)();  // back to no calls and default results
