// The recording test module (see recmod.h). Built in four variants: with both
// exports, without VProgInterface (REC_NO_INTERFACE), without VProgProcedure
// (REC_NO_PROCEDURE), and with neither.
#include "tests/support/recmod.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/headless.h"

static RecState state;

extern "C" __attribute__((visibility("default"))) void RecReset() {
    memset(&state, 0, sizeof state);
    state.interfaceResult = 1;
    state.procedureResult = 1;
}

extern "C" __attribute__((visibility("default"))) RecState* RecGetState() { return &state; }

static struct Initialise {
    Initialise() { RecReset(); }
} initialise;

#ifndef REC_NO_INTERFACE
PROG_EXPORT int VProgInterface(Prog* prog) {
    ++state.interfaceCalls;
    state.proceduresBeforeInterface = state.callCount;
    state.prog = prog;
    state.progAtInterface = *prog;
    state.windowAtInterface = prog->window ? *prog->window : nullptr;
    state.mciOpensAtInterface = HeadlessMciOpenCount();
    if (prog->SetDisplayMode) state.displayModeResult = prog->SetDisplayMode(1024, 768, 16);
    return state.interfaceResult;
}
#endif

#ifndef REC_NO_PROCEDURE
PROG_EXPORT int VProgProcedure(int elapsedMs) {
    Prog* prog = state.prog;
    if (prog && state.callCount < kRecMaxCalls)
        state.calls[state.callCount] =
            RecCall{prog->event,           elapsedMs,     prog->key,          prog->mouseX,
                    prog->mouseY,          timeGetTime(), HeadlessBoxCount(), HeadlessFramesPresented(),
                    HeadlessMciPlayCount()};
    ++state.callCount;
    // With REC_LOG set (the runner test), every call is written to that file
    // as "event elapsed" when the shutdown event arrives.
    const char* path = getenv("REC_LOG");
    FILE* file = prog && prog->event == EV_SHUTDOWN && path ? fopen(path, "w") : nullptr;
    if (!file) return state.procedureResult;
    for (int i = 0; i < state.callCount && i < kRecMaxCalls; ++i)
        fprintf(file, "%u %d\n", state.calls[i].event, state.calls[i].elapsed);
    fclose(file);
    return state.procedureResult;
}
#endif
