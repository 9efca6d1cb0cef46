// The module's allocation function: small blocks from per-size free lists,
// large ones from the general heap, with the same counting and injected
// failures on both paths.
#include "prog/core/alloc.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <vector>

namespace {

struct AllocTest : ::testing::Test {
    void SetUp() override { GameAllocFailAt(0); }
    void TearDown() override { GameAllocFailAt(0); }
};

// Sizes on both sides of every 16-byte class edge, zero, and beyond the
// largest class.
const std::vector<size_t> kSizes = {0,  1,  15,  16,  17,  31,  32,  33,  48,   63,   64,
                                    65, 96, 100, 112, 127, 128, 129, 144, 1000, 70000};

TEST_F(AllocTest, BlocksAreAlignedWritableAndDistinct) {
    const long live = GameAllocLive();
    std::vector<unsigned char*> blocks;
    for (int round = 0; round < 50; ++round)
        for (size_t size : kSizes) {
            unsigned char* b = static_cast<unsigned char*>(GameAlloc(size));
            ASSERT_NE(b, nullptr) << size;
            EXPECT_EQ(reinterpret_cast<uintptr_t>(b) % 16, 0u) << size;
            std::memset(b, (int)(blocks.size() & 0xFF), size);
            blocks.push_back(b);
        }
    EXPECT_EQ(GameAllocLive(), live + (long)blocks.size());
    // No block overlaps another: each still holds its own fill.
    size_t i = 0;
    for (int round = 0; round < 50; ++round)
        for (size_t size : kSizes) {
            for (size_t k = 0; k < size; ++k)
                ASSERT_EQ(blocks[i][k], (unsigned char)(i & 0xFF)) << "block " << i << " of " << size << " bytes";
            ++i;
        }
    EXPECT_EQ(std::set<unsigned char*>(blocks.begin(), blocks.end()).size(), blocks.size());
    for (unsigned char* b : blocks) GameFree(b);
    EXPECT_EQ(GameAllocLive(), live);
}

TEST_F(AllocTest, FreedBlocksServeLaterCallsOfEverySize) {
    const long live = GameAllocLive();
    // Free and make again many times over, mixing sizes, as the HUD and the
    // particles do; every block keeps its contents while it lives.
    std::vector<std::pair<unsigned char*, size_t>> held;
    for (int step = 0; step < 3000; ++step) {
        const size_t size = kSizes[(size_t)(step * 7) % kSizes.size()];
        if (step % 3 == 2 && !held.empty()) {
            auto [b, n] = held[(size_t)step % held.size()];
            for (size_t k = 0; k < n; ++k) ASSERT_EQ(b[k], (unsigned char)(n & 0xFF));
            GameFree(b);
            held.erase(held.begin() + (long)((size_t)step % held.size()));
        }
        unsigned char* b = static_cast<unsigned char*>(GameAlloc(size));
        ASSERT_NE(b, nullptr);
        std::memset(b, (int)(size & 0xFF), size);
        held.push_back({b, size});
    }
    for (auto [b, n] : held) GameFree(b);
    EXPECT_EQ(GameAllocLive(), live);
}

TEST_F(AllocTest, FailureAtTheNthCallOnEitherPath) {
    const long live = GameAllocLive(), calls = GameAllocCalls();
    void* small = GameAlloc(40);
    GameFree(small);  // a block is waiting in the free list
    GameAllocFailAt(2);
    void* a = GameAlloc(40);
    void* b = GameAlloc(40);  // fails although a free block waits
    void* c = GameAlloc(5000);
    EXPECT_NE(a, nullptr);
    EXPECT_EQ(b, nullptr);
    EXPECT_NE(c, nullptr);
    EXPECT_EQ(GameAllocCalls(), calls + 4);
    EXPECT_EQ(GameAllocLive(), live + 2);

    GameAllocFailAt(1, true);
    EXPECT_EQ(GameAlloc(16), nullptr);
    EXPECT_EQ(GameAlloc(5000), nullptr);
    EXPECT_EQ(GameAllocLive(), live + 2);
    GameAllocFailAt(0);
    void* d = GameAlloc(16);
    EXPECT_NE(d, nullptr);
    GameFree(a);
    GameFree(c);
    GameFree(d);
    GameFree(nullptr);  // ignored, not counted
    EXPECT_EQ(GameAllocLive(), live);
    EXPECT_EQ(GameAllocCalls(), calls + 7);
}

}  // namespace
