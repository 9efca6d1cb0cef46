// Bitmap files built byte by byte, independently of the decoder under test.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace gfxtest {

struct Rgb {
    uint8_t r, g, b;
};

inline uint16_t To565(Rgb c) { return uint16_t((c.r >> 3) << 11 | (c.g >> 2) << 5 | (c.b >> 3)); }

struct BmpLayout {
    int width = 0, height = 0, bits = 24;  // 24, or 1, 4 or 8 with a palette
    std::vector<Rgb> pixels, palette;      // pixels and palette indices top row first
    std::vector<uint8_t> indices;
};

inline std::vector<uint8_t> MakeBmp(const BmpLayout& s) {
    const uint32_t stride = (s.width * s.bits + 31) / 32 * 4, size = stride * s.height,
                   offset = 54 + 4 * s.palette.size();
    std::vector<uint8_t> v = {'B', 'M'};
    for (uint32_t x : {offset + size, 0u, offset, 40u, uint32_t(s.width), uint32_t(s.height), 1u | s.bits << 16,
                       0u /* uncompressed */, size, 2835u, 2835u, uint32_t(s.palette.size()), 0u})
        for (int i = 0; i < 4; i++) v.push_back(uint8_t(x >> 8 * i));
    for (Rgb c : s.palette) v.insert(v.end(), {c.b, c.g, c.r, 0});
    for (int y = s.height - 1; y >= 0; y--) {  // bottom row first
        const size_t row = v.size();
        for (int x = 0, at = y * s.width; x < s.width; x++, at++) {
            if (s.bits == 24) v.insert(v.end(), {s.pixels[at].b, s.pixels[at].g, s.pixels[at].r});
            if (s.bits < 24 && x * s.bits % 8 == 0) v.push_back(0);
            if (s.bits < 24) v.back() |= uint8_t(s.indices[at] << (8 - s.bits - x * s.bits % 8));
        }
        v.resize(row + stride, 0);
    }
    return v;
}

// Writes `name` (prefixed with the test's name) in GoogleTest's temporary folder; gives its path.
inline std::string WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string path = ::testing::TempDir() + "gfx_" + (test ? test->name() + std::string("_") : "") + name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return path;
}

inline BmpLayout Colours24(int width, int height) {  // every pixel a different colour
    BmpLayout s{width, height, 24, {}, {}, {}};
    for (int i = 0, x = 0, y = 0; i < width * height; i++, x = i % width, y = i / width)
        s.pixels.push_back(
            Rgb{uint8_t(x * 37 + y * 11 + 7), uint8_t(255 - x * 13 - y * 29), uint8_t(x * 5 + y * 53 + 3)});
    return s;
}

}  // namespace gfxtest
