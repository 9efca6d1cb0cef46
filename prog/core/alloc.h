// Every allocation of the game module goes through these two functions, so
// that tests can make the Nth allocation fail and count what is still live.
#pragma once
#include <cstddef>

#include "platform/fault.h"

void* GameAlloc(size_t bytes);  // null when the allocation fails
void GameFree(void* block);     // null is ignored

// The module's injectable faults, all in one record; ResetWorld disarms them.
// `GameGetFaults()->alloc = FailNth(n, sticky)` makes the nth call of
// GameAlloc from now fail (1 = the next call), or with `sticky` every call
// from that one on; a zeroed fault never fires.
struct GameFaults {
    Fault alloc;  // GameAlloc answers null
};
GameFaults* GameGetFaults();

long GameAllocCalls();  // calls of GameAlloc since load
long GameAllocLive();   // blocks allocated and not yet freed

// Remembers the live count (the set-up calls it when the world is complete) and,
// when the environment variable KESTRA_ALLOC_STATS is set, prints the counts to
// standard error (the frame driver calls it on the shutdown event), so long runs
// can show that live allocations do not grow beyond the objects alive.
void GameAllocMark();
void GameAllocReport();
