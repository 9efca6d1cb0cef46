// An injectable fault, the one way a test makes a call that can fail fail:
// the platform's system calls, the engine's and the game's allocations. A
// fault lets `pass` calls through, then fails the next `fail` calls, or every
// call from then on when `fail` is -1. A zeroed fault never fires, so a
// record of faults is reset by zeroing it.
#pragma once

struct Fault {
    int pass;  // calls that still succeed before the first failure
    int fail;  // failures still to come; -1 = every call from then on
};

// True when the call being made now must fail; counts the fault down.
inline bool FaultFires(Fault* fault) {
    if (fault->fail == 0) return false;
    if (fault->pass > 0) {
        --fault->pass;
        return false;
    }
    if (fault->fail > 0) --fault->fail;
    return true;
}

// The next `times` calls fail (-1: every call).
inline Fault FailNext(int times = 1) { return Fault{0, times}; }
// The `nth` call from now fails (1 = the next one), once or, when `sticky`,
// with every call after it too.
inline Fault FailNth(int nth, bool sticky = false) { return nth > 0 ? Fault{nth - 1, sticky ? -1 : 1} : Fault{0, 0}; }
