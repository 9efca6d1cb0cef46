// The recording module (prog.so in place of the game) records every call into *recState.
#pragma once
#include <vector>

#include "interface/prog.h"

struct RecCall {
    uint32_t event;  // prog.event at the call
    int elapsed, key, mouseX, mouseY;
    uint32_t clock;               // timeGetTime()
    int boxes, frames, mciPlays;  // message boxes, frames presented and MCI_PLAY commands before the call
};

struct RecState {
    int interfaceResult = 1, procedureResult = 1;  // what the entry points return
    // At VProgInterface: calls before it, window existed, sequencer opens, its 1024x768x16 request's result
    int interfaceCalls = 0, callsBefore = 0, window = 0, mciOpens = 0, displayMode = 0;
    Prog* prog = nullptr;
    std::vector<RecCall> calls;
};
