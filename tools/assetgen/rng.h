// A small deterministic pseudo-random generator (xorshift32), so that every run makes the same files.
#pragma once
#include <cstdint>

struct Rng {
    uint32_t state;
};

inline Rng RngMake(uint32_t seed) { return Rng{seed ? seed : 0x9E3779B9u}; }

inline uint32_t RngNext(Rng& r) {
    uint32_t x = r.state;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    r.state = x;
    return x;
}

// A number in 0 .. n - 1 (n > 0).
inline int RngBelow(Rng& r, int n) { return static_cast<int>(RngNext(r) % static_cast<uint32_t>(n)); }
