// Surfaces made by hand for the graphics tests: RGB565 memory with guard
// pixels around it (before, after and in the padding of every row), so a test
// can prove a copy wrote nothing outside the surface. Also a plain picture
// type and the copy rule written out independently of the platform's code.
#pragma once
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "platform/ddraw.h"

namespace gfxtest {

constexpr uint16_t kGuard = 0xA5C3;

struct TestSurface {
    int width = 0, height = 0, stride = 0, before = 0;
    std::vector<uint16_t> memory;
    IDirectDrawSurface4 s{};

    TestSurface(int w, int h, int padding = 5, int guard = 67) {
        width = w;
        height = h;
        stride = w + padding;
        before = guard;
        memory.assign(static_cast<size_t>(guard) * 2 + static_cast<size_t>(stride) * h, kGuard);
        s.pixels = memory.data() + before;
        s.width = w;
        s.height = h;
        s.pitch = stride * 2;
        s.caps = DDSCAPS_OFFSCREENPLAIN;
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) At(x, y) = 0;
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
    std::vector<uint16_t> Picture() {
        std::vector<uint16_t> p(static_cast<size_t>(width) * height);
        for (int y = 0; y < height; y++)
            for (int x = 0; x < width; x++) p[static_cast<size_t>(y) * width + x] = At(x, y);
        return p;
    }
    void Fill(std::mt19937& rng) {
        for (int y = 0; y < height; y++)
            for (int x = 0; x < width; x++) At(x, y) = static_cast<uint16_t>(rng());
    }
};

// A picture of plain pixels, row by row.
struct Picture {
    int width, height;
    std::vector<uint16_t> px;
    Picture(int w, int h, uint16_t fill = 0) : width(w), height(h), px(static_cast<size_t>(w) * h, fill) {}
    uint16_t& At(int x, int y) { return px[static_cast<size_t>(y) * width + x]; }
};

// The copy rule: each source pixel of the rectangle that is not the key
// replaces the destination pixel at the same offset from (dx, dy). Pixels that
// would land outside the destination are an error of the caller.
inline void ExpectCopy(Picture& dst, int dx, int dy, const std::vector<uint16_t>& src, int srcWidth, int left, int top,
                       int right, int bottom, bool keyed, uint16_t key) {
    for (int y = top; y < bottom; y++)
        for (int x = left; x < right; x++) {
            uint16_t p = src[static_cast<size_t>(y) * srcWidth + x];
            if (!keyed || p != key) dst.At(dx + x - left, dy + y - top) = p;
        }
}

}  // namespace gfxtest
