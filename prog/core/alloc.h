// Every allocation of the game module goes through these two functions, so
// that tests can make the Nth allocation fail and count what is still live.
#pragma once
#include <cstddef>

void* GameAlloc(size_t bytes);  // null when the allocation fails
void GameFree(void* block);     // null is ignored

// Makes the nth call of GameAlloc from now fail (1 = the next call); with
// `sticky` every call from that one on fails. 0 switches failures off.
void GameAllocFailAt(long n, bool sticky = false);
long GameAllocCalls();  // calls of GameAlloc since load
long GameAllocLive();   // blocks allocated and not yet freed

// Remembers the live count (the set-up calls it when the world is complete) and,
// when the environment variable KESTRA_ALLOC_STATS is set, prints the counts to
// standard error (the frame driver calls it on the shutdown event), so long runs
// can show that live allocations do not grow beyond the objects alive.
void GameAllocMark();
void GameAllocReport();
