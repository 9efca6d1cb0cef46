#include "prog/core/alloc.h"

#include <cstdio>
#include <cstdlib>

namespace {
long calls = 0;
long live = 0;
long failAt = 0;  // absolute call number that fails; 0 = none
bool failSticky = false;
long liveAtMark = -1;
}  // namespace

void* GameAlloc(size_t bytes) {
    ++calls;
    if (failAt != 0 && (calls == failAt || (failSticky && calls > failAt))) return nullptr;
    void* block = std::malloc(bytes ? bytes : 1);
    if (block) ++live;
    return block;
}

void GameFree(void* block) {
    if (!block) return;
    --live;
    std::free(block);
}

void GameAllocFailAt(long n, bool sticky) {
    failAt = n > 0 ? calls + n : 0;
    failSticky = sticky;
}

long GameAllocCalls() { return calls; }
long GameAllocLive() { return live; }

void GameAllocMark() { liveAtMark = live; }

void GameAllocReport() {
    if (!std::getenv("KESTRA_ALLOC_STATS")) return;
    std::fprintf(stderr, "prog: allocations live=%ld after-setup=%ld calls=%ld\n", live, liveAtMark, calls);
}
