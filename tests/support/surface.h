// Surfaces made by hand for the graphics tests: RGB565 memory with guard
// pixels before, after and in the padding of every row, so a test can prove a
// copy wrote nothing outside the surface. Also the copy rule written out
// independently of the platform's code.
#pragma once
#include <cstdint>
#include <random>
#include <vector>

#include "platform/ddraw.h"

namespace gfxtest {

constexpr uint16_t kGuard = 0xA5C3;

// A picture of plain pixels, row by row.
struct Picture {
    int width, height;
    std::vector<uint16_t> px;
    Picture(int w, int h, uint16_t fill = 0) : width(w), height(h), px(static_cast<size_t>(w) * h, fill) {}
    uint16_t& At(int x, int y) { return px[static_cast<size_t>(y) * width + x]; }
};

struct TestSurface {
    int width, height, stride, before;
    std::vector<uint16_t> memory;
    IDirectDrawSurface4 s{};

    // With guard 0 the memory ends at the last pixel, so a read past it runs
    // off the allocation (AddressSanitizer reports it).
    TestSurface(int w, int h, int padding = 5, int guard = 67, uint16_t fill = 0)
        : width(w), height(h), stride(w + padding), before(guard) {
        memory.assign(static_cast<size_t>(guard) * 2 + static_cast<size_t>(stride) * h - (guard ? 0 : padding), kGuard);
        s.pixels = memory.data() + before;
        s.width = w;
        s.height = h;
        s.pitch = stride * 2;
        s.caps = DDSCAPS_OFFSCREENPLAIN;
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) At(x, y) = fill;
    }
    TestSurface(const TestSurface&) = delete;
    TestSurface& operator=(const TestSurface&) = delete;

    uint16_t& At(int x, int y) { return memory[before + static_cast<size_t>(y) * stride + x]; }
    void SetKey(uint16_t key) {
        s.srcKey = DDCOLORKEY{key, key};
        s.hasSrcKey = 1;
    }
    // Every pixel that is not part of the picture still holds the guard.
    bool GuardsIntact() {
        for (size_t i = 0; i < memory.size(); i++) {
            long at = static_cast<long>(i) - before;
            bool inside = at >= 0 && at < static_cast<long>(stride) * height && at % stride < width;
            if (!inside && memory[i] != kGuard) return false;
        }
        return true;
    }
    Picture Pixels() {
        Picture p(width, height);
        for (int y = 0; y < height; y++)
            for (int x = 0; x < width; x++) p.At(x, y) = At(x, y);
        return p;
    }
    // Random pixels; with keyEvery > 0 about one in keyEvery is the key.
    void Fill(std::mt19937& rng, int keyEvery = 0, uint16_t key = 0) {
        for (int y = 0; y < height; y++)
            for (int x = 0; x < width; x++)
                At(x, y) = keyEvery && rng() % keyEvery == 0 ? key : static_cast<uint16_t>(rng());
    }
};

// The copy rule: each source pixel of the rectangle that is not the key
// replaces the destination pixel at the same offset from (dx, dy).
inline void ExpectCopy(Picture& dst, int dx, int dy, Picture src, int left, int top, int right, int bottom, bool keyed,
                       uint16_t key) {
    for (int y = top; y < bottom; y++)
        for (int x = left; x < right; x++)
            if (!keyed || src.At(x, y) != key) dst.At(dx + x - left, dy + y - top) = src.At(x, y);
}

}  // namespace gfxtest
