#include "engine/base/session.h"

#include <cstdlib>

// The record as the module first sees it: everything empty, the event EV_START.
static Prog StartRecord() {
    Prog record = {};
    record.event = EV_START;
    return record;
}

Prog prog = StartRecord();
HWND window = nullptr;
VProgInterfaceFn boundInterface = nullptr;
VProgProcedureFn boundProcedure = nullptr;
long procedureCalls = 0;
EngineFaults engineFaults = {};

int ModuleBound() { return boundInterface && boundProcedure; }

int CallProcedure(int elapsedMs) {
    ++procedureCalls;
    return boundProcedure(elapsedMs);
}

int NotifyShutdown() {
    if (!ModuleBound()) return 0;
    prog.event = EV_SHUTDOWN;
    CallProcedure(0);
    return 0;
}

int ShowError(const char* text) {
    MessageBoxA(window, text, "Error!", MB_OK);
    return 0;
}

int Report(const char* text) {
    MessageBoxA(window, text, "Report", MB_OK);
    return 1;
}

void* AllocUnlessFault(Fault* fault, size_t size) { return FaultFires(fault) ? nullptr : std::malloc(size); }

void ResetSession() {
    prog = StartRecord();
    window = nullptr;
    boundInterface = nullptr;
    boundProcedure = nullptr;
    procedureCalls = 0;
    engineFaults = EngineFaults{};
}
