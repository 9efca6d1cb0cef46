// Windows bitmap files built byte by byte for the tests, so that what the
// loader is given does not depend on the decoder under test.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace gfxtest {

struct Rgb {
    uint8_t r, g, b;
};

// The RGB565 value a 16-bit display shows for a colour: each channel cut to
// its top bits.
inline uint16_t To565(Rgb c) { return static_cast<uint16_t>((c.r >> 3) << 11 | (c.g >> 2) << 5 | (c.b >> 3)); }

inline void Put(std::vector<uint8_t>& v, uint32_t x, int bytes) {
    for (int i = 0; i < bytes; i++) v.push_back(static_cast<uint8_t>(x >> (8 * i)));
}

struct BmpSpec {
    int width = 0, height = 0;
    int bits = 24;                 // 4, 8 (palettised), 24 or 32
    bool topDown = false;          // rows stored top first, height negative
    std::vector<Rgb> pixels;       // top row first (24 and 32 bits)
    std::vector<Rgb> palette;      // 4 and 8 bits
    std::vector<uint8_t> indices;  // top row first (4 and 8 bits)
    uint8_t alpha = 0;             // fourth byte of 32-bit pixels
};

inline std::vector<uint8_t> MakeBmp(const BmpSpec& s) {
    const int stride = ((s.width * s.bits + 31) / 32) * 4;
    const uint32_t paletteBytes = static_cast<uint32_t>(s.palette.size()) * 4;
    const uint32_t offset = 14 + 40 + paletteBytes;
    const uint32_t imageBytes = static_cast<uint32_t>(stride * s.height);
    std::vector<uint8_t> v = {'B', 'M'};
    const uint32_t header[] = {offset + imageBytes,
                               0,
                               offset,
                               40,
                               static_cast<uint32_t>(s.width),
                               static_cast<uint32_t>(s.topDown ? -s.height : s.height)};
    for (uint32_t x : header) Put(v, x, 4);
    Put(v, 1, 2);  // planes
    Put(v, static_cast<uint32_t>(s.bits), 2);
    const uint32_t info[] = {0 /* uncompressed */, imageBytes, 2835, 2835, static_cast<uint32_t>(s.palette.size()), 0};
    for (uint32_t x : info) Put(v, x, 4);
    for (Rgb c : s.palette) v.insert(v.end(), {c.b, c.g, c.r, 0});
    for (int i = 0; i < s.height; i++) {
        const int y = s.topDown ? i : s.height - 1 - i;
        std::vector<uint8_t> row;
        for (int x = 0; x < s.width; x++) {
            const size_t at = static_cast<size_t>(y) * s.width + x;
            if (s.bits == 24 || s.bits == 32) {
                row.insert(row.end(), {s.pixels[at].b, s.pixels[at].g, s.pixels[at].r});
                if (s.bits == 32) row.push_back(s.alpha);
            } else if (s.bits == 8) {
                row.push_back(s.indices[at]);
            } else if (s.bits == 4) {
                if (x % 2 == 0)
                    row.push_back(static_cast<uint8_t>(s.indices[at] << 4));
                else
                    row.back() |= s.indices[at] & 0x0F;
            }
        }
        row.resize(static_cast<size_t>(stride), 0);
        v.insert(v.end(), row.begin(), row.end());
    }
    return v;
}

inline std::string TempPath(const std::string& name) {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return ::testing::TempDir() + "gfx_" + (info ? std::string(info->name()) + "_" : "") + name;
}

inline std::string WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::string path = TempPath(name);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f) {
        if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    return path;
}

// A 24-bit bitmap with distinct colours in every pixel.
inline BmpSpec Colours24(int width, int height) {
    BmpSpec s;
    s.width = width;
    s.height = height;
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
            s.pixels.push_back(Rgb{static_cast<uint8_t>(x * 37 + y * 11 + 7),
                                   static_cast<uint8_t>(255 - x * 13 - y * 29),
                                   static_cast<uint8_t>(x * 5 + y * 53 + 3)});
    return s;
}

}  // namespace gfxtest
