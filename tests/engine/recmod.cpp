// The recording test module (see recmod.h). Built in four variants: with both
// exports, without VProgInterface (REC_NO_INTERFACE), without VProgProcedure
// (REC_NO_PROCEDURE), and with neither.
#include "tests/engine/recmod.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/headless.h"

static RecState state;

extern "C" __attribute__((visibility("default"))) void RecReset() {
    memset(&state, 0, sizeof state);
    state.interfaceResult = 1;
    state.procedureResult = 1;
    state.setDisplayMode = 1;
}

extern "C" __attribute__((visibility("default"))) RecState* RecGetState() { return &state; }

namespace {
struct Initialise {
    Initialise() { RecReset(); }
} initialise;

#ifndef REC_NO_PROCEDURE
// With REC_LOG set (the runner test), every call is written to that file as
// "event elapsed" when the shutdown event arrives.
void WriteLog() {
    const char* path = getenv("REC_LOG");
    if (!path) return;
    FILE* file = fopen(path, "w");
    if (!file) return;
    int kept = state.callCount < kRecMaxCalls ? state.callCount : kRecMaxCalls;
    for (int i = 0; i < kept; ++i) fprintf(file, "%u %d\n", state.calls[i].event, state.calls[i].elapsed);
    fclose(file);
}
#endif
}  // namespace

#ifndef REC_NO_INTERFACE
PROG_EXPORT int VProgInterface(Prog* prog) {
    ++state.interfaceCalls;
    state.proceduresBeforeInterface = state.callCount;
    state.prog = prog;
    if (!prog) return 0;
    state.progAtInterface = *prog;
    state.windowAtInterface = prog->window ? *prog->window : nullptr;
    state.boxesAtInterface = HeadlessBoxCount();
    state.mciOpensAtInterface = HeadlessMciOpenCount();
    if (state.setDisplayMode && prog->SetDisplayMode) state.displayModeResult = prog->SetDisplayMode(1024, 768, 16);
    return state.interfaceResult;
}
#endif

#ifndef REC_NO_PROCEDURE
PROG_EXPORT int VProgProcedure(int elapsedMs) {
    Prog* prog = state.prog;
    if (state.callCount < kRecMaxCalls) {
        RecCall& call = state.calls[state.callCount];
        call.event = prog ? prog->event : 0;
        call.elapsed = elapsedMs;
        call.key = prog ? prog->key : 0;
        call.mouseX = prog ? prog->mouseX : 0;
        call.mouseY = prog ? prog->mouseY : 0;
        call.clock = timeGetTime();
        call.boxes = HeadlessBoxCount();
        call.frames = HeadlessFramesPresented();
        call.mciOpens = HeadlessMciOpenCount();
        call.mciPlays = HeadlessMciPlayCount();
    }
    ++state.callCount;
    if (prog && prog->event == EV_SHUTDOWN) WriteLog();
    return state.procedureResult;
}
#endif
