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
