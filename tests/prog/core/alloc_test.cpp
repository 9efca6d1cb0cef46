// The module's allocation function: small blocks from a free list per 16-byte class, large ones from the general heap,
// counted and failed alike.
#include "prog/core/alloc.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// Blocks made and freed in a mix of sizes on both sides of every class edge, as the HUD and the particles do: every
// live block is aligned and keeps its own fill, so no reused block overlaps another.
TEST(Alloc, BlocksOfEverySizeAreAlignedDistinctAndCounted) {
    const size_t sizes[] = {0, 1, 15, 16, 17, 31, 32, 33, 63, 64, 65, 127, 128, 129, 144, 1000, 70000};
    const long live = GameAllocLive();
    std::vector<std::pair<unsigned char*, size_t>> held;
    for (size_t step = 0; step < 3000; ++step) {
        if (step % 3 == 2) {
            auto [b, n] = held[step % held.size()];
            for (size_t k = 0; k < n; ++k) ASSERT_EQ(b[k], (unsigned char)n) << n << " bytes";
            GameFree(b);
            held.erase(held.begin() + (long)(step % held.size()));
        }
        const size_t n = sizes[step * 7 % 17];
        unsigned char* b = static_cast<unsigned char*>(GameAlloc(n));
        ASSERT_TRUE(b && reinterpret_cast<uintptr_t>(b) % 16 == 0) << n;
        held.push_back({static_cast<unsigned char*>(std::memset(b, (int)(n & 0xFF), n)), n});
    }
    EXPECT_EQ(GameAllocLive(), live + (long)held.size());
    for (auto [b, n] : held) GameFree(b);
    EXPECT_EQ(GameAllocLive(), live);
#if !defined(__SANITIZE_ADDRESS__)   // the address sanitizer's builds use the general heap throughout
    for (size_t size : {48, 128}) {  // a freed small block is given next for any size of its class
        void* a = GameAlloc(size);
        GameFree(a);
        EXPECT_EQ(GameAlloc(size - 15), a) << size;
        GameFree(a);
    }
#endif
}

}  // namespace
