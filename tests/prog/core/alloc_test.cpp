// The module's allocation function: small blocks from per-size free lists,
// large ones from the general heap, with the same counting and injected
// failures on both paths.
#include "prog/core/alloc.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <iterator>
#include <vector>

namespace {

// Sizes on both sides of every 16-byte class edge, zero, and beyond the
// largest class.
const size_t kSizes[] = {0, 1, 15, 16, 17, 31, 32, 33, 63, 64, 65, 127, 128, 129, 144, 1000, 70000};

// Blocks are made and freed in a mix of sizes, as the HUD and the particles
// do; every live block is aligned and keeps its own fill, so no reused block
// overlaps another.
TEST(Alloc, BlocksOfEverySizeAreAlignedDistinctAndReused) {
    const long live = GameAllocLive();
    std::vector<std::pair<unsigned char*, size_t>> held;
    for (int step = 0; step < 3000; ++step) {
        const size_t size = kSizes[(size_t)(step * 7) % std::size(kSizes)];
        if (step % 3 == 2) {
            const size_t at = (size_t)step % held.size();
            auto [b, n] = held[at];
            for (size_t k = 0; k < n; ++k) ASSERT_EQ(b[k], (unsigned char)(n & 0xFF)) << n << " bytes";
            GameFree(b);
            held.erase(held.begin() + (long)at);
        }
        unsigned char* b = static_cast<unsigned char*>(GameAlloc(size));
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(b) % 16, 0u) << size;
        std::memset(b, (int)(size & 0xFF), size);
        held.push_back({b, size});
    }
    EXPECT_EQ(GameAllocLive(), live + (long)held.size());
    for (auto [b, n] : held) GameFree(b);
    EXPECT_EQ(GameAllocLive(), live);
}

TEST(Alloc, FailureAtTheNthCallOnEitherPath) {
    const long live = GameAllocLive(), calls = GameAllocCalls();
    GameFree(GameAlloc(40));  // a block now waits in the free list
    GameAllocFailAt(2);
    void* a = GameAlloc(40);
    EXPECT_EQ(GameAlloc(40), nullptr) << "fails although a free block waits";
    GameAllocFailAt(2, true);
    void* b = GameAlloc(5000);
    EXPECT_EQ(GameAlloc(16), nullptr);
    EXPECT_EQ(GameAlloc(5000), nullptr) << "every call fails from the nth on";
    GameAllocFailAt(0);
    EXPECT_TRUE(a && b);
    EXPECT_EQ(GameAllocLive(), live + 2);
    GameFree(a);
    GameFree(b);
    GameFree(nullptr);  // ignored, not counted
    EXPECT_EQ(GameAllocLive(), live);
    EXPECT_EQ(GameAllocCalls(), calls + 6);
}

}  // namespace
