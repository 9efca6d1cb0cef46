// Hand-made RGB565 surfaces with guard pixels around the picture and in each row's padding, to
// prove that a copy stayed inside; and the copy rule, written independently of the platform.
#pragma once
#include <cstdint>
#include <random>
#include <vector>

#include "platform/ddraw.h"

namespace gfxtest {

constexpr uint16_t kGuard = 0xA5C3;

// With guard 0 the memory ends at the last pixel: AddressSanitizer reports a read past it.
struct TestSurface {
    int width, height, stride, before;
    std::vector<uint16_t> memory;
    IDirectDrawSurface4 s{};
    TestSurface(int w, int h, int padding = 5, int guard = 67, uint16_t fill = 0)
        : width(w), height(h), stride(w + padding), before(guard) {
        memory.assign(size_t(guard) * 2 + size_t(stride) * h - (guard ? 0 : padding), kGuard);
        s.pixels = memory.data() + guard, s.width = w, s.height = h, s.pitch = stride * 2;
        for (int i = 0; i < w * h; i++) At(i % w, i / w) = fill;
    }
    TestSurface(const TestSurface&) = delete;
    uint16_t& At(int x, int y) { return memory[before + size_t(y) * stride + x]; }
    void SetKey(uint16_t key) { s.srcKey = DDCOLORKEY{key, key}, s.hasSrcKey = 1; }
    void Fill(std::mt19937& rng, int keyEvery = 0, uint16_t key = 0) {  // with keyEvery, one in about so many is key
        for (int i = 0; i < width * height; i++)
            At(i % width, i / width) = keyEvery && rng() % keyEvery == 0 ? key : rng();
    }
    bool GuardsIntact() {  // every pixel outside the picture still holds the guard
        for (long i = 0, at = -before; i < long(memory.size()); i++, at++)
            if ((at < 0 || at >= long(stride) * height || at % stride >= width) && memory[i] != kGuard) return false;
        return true;
    }
    std::vector<uint16_t> Pixels() {  // row by row
        std::vector<uint16_t> p;
        for (int i = 0; i < width * height; i++) p.push_back(At(i % width, i / width));
        return p;
    }
};

// Each pixel of rectangle r that is not the key replaces the one at the same offset from (dx, dy).
inline void ExpectCopy(std::vector<uint16_t>& dst, int dstWidth, int dx, int dy, const std::vector<uint16_t>& src,
                       int srcWidth, RECT r, bool keyed, uint16_t key) {
    for (int y = r.top; y < r.bottom; y++)
        for (int x = r.left, at = y * srcWidth + x; x < r.right; x++, at++)
            if (!keyed || src[at] != key) dst[(dy + y - r.top) * dstWidth + dx + x - r.left] = src[at];
}

}  // namespace gfxtest
