// The module's one allocation function. Small records (every game object,
// glyph and draw-list link, up to 128 bytes) come from free lists, one per
// size class of 16 bytes, carved from 64 KiB chunks and never handed back to
// the general heap: the HUD alone frees and makes some 300 of them on every
// frame, and a list pop is far cheaper than malloc. Larger blocks (tile
// arrays, texts, glyph arrays) use the general heap. A 16-byte header in
// front of every block names its class, so GameFree knows where it goes.
//
// Counting and the injected fault are the same on both paths. Builds with
// AddressSanitizer use the general heap for everything, so that a freed
// record stays poisoned and a use after free is still caught.
#include "prog/core/alloc.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#if defined(__SANITIZE_ADDRESS__)
#define KESTRA_PLAIN_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KESTRA_PLAIN_HEAP 1
#endif
#endif

namespace {
long calls = 0;
long live = 0;
GameFaults faults = {};
long liveAtMark = -1;

#ifndef KESTRA_PLAIN_HEAP
constexpr size_t kHeader = 16;  // keeps every block 16-byte aligned
constexpr size_t kGrain = 16;
constexpr int kClasses = 8;  // 16, 32, ... 128 bytes
constexpr int kGeneral = kClasses;
constexpr size_t kChunkBytes = 64 * 1024;

struct FreeBlock {
    FreeBlock* next;
};

struct SizeClass {
    FreeBlock* free;  // blocks given back, most recent first
    char* bump;       // the unused rest of the newest chunk
    char* end;
};

SizeClass classes[kClasses];

// A block of class c, header included: from the free list, else from the
// newest chunk, else from a new chunk. Null when the heap has no chunk to give.
char* TakeBlock(int c) {
    SizeClass& sc = classes[c];
    if (sc.free) {
        char* block = reinterpret_cast<char*>(sc.free);
        sc.free = sc.free->next;
        return block;
    }
    const size_t stride = kHeader + kGrain * (size_t)(c + 1);
    if (sc.bump == nullptr || (size_t)(sc.end - sc.bump) < stride) {
        char* chunk = static_cast<char*>(std::malloc(kChunkBytes));
        if (!chunk) return nullptr;
        sc.bump = chunk;
        sc.end = chunk + kChunkBytes;
    }
    char* block = sc.bump;
    sc.bump += stride;
    return block;
}
#endif
}  // namespace

void* GameAlloc(size_t bytes) {
    ++calls;
    if (FaultFires(&faults.alloc)) return nullptr;
#ifdef KESTRA_PLAIN_HEAP
    void* block = std::malloc(bytes ? bytes : 1);
    if (block) ++live;
    return block;
#else
    const size_t need = bytes ? bytes : 1;
    char* raw;
    int c;
    if (need <= kGrain * kClasses) {
        c = (int)((need - 1) / kGrain);
        raw = TakeBlock(c);
    } else {
        c = kGeneral;
        raw = need <= SIZE_MAX - kHeader ? static_cast<char*>(std::malloc(kHeader + need)) : nullptr;
    }
    if (!raw) return nullptr;
    *reinterpret_cast<int*>(raw) = c;
    ++live;
    return raw + kHeader;
#endif
}

void GameFree(void* block) {
    if (!block) return;
    --live;
#ifdef KESTRA_PLAIN_HEAP
    std::free(block);
#else
    char* raw = static_cast<char*>(block) - kHeader;
    const int c = *reinterpret_cast<int*>(raw);
    if (c == kGeneral) {
        std::free(raw);
        return;
    }
    FreeBlock* node = reinterpret_cast<FreeBlock*>(raw);
    node->next = classes[c].free;
    classes[c].free = node;
#endif
}

GameFaults* GameGetFaults() { return &faults; }

long GameAllocCalls() { return calls; }
long GameAllocLive() { return live; }

void GameAllocMark() { liveAtMark = live; }

void GameAllocReport() {
    if (!std::getenv("KESTRA_ALLOC_STATS")) return;
    std::fprintf(stderr, "prog: allocations live=%ld after-setup=%ld calls=%ld\n", live, liveAtMark, calls);
}
