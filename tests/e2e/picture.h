// Screenshots and bitmaps as 8-bit RGB, and colours as the 16-bit display
// shows them, for the end-to-end tests.
#pragma once
#include <stb/stb_image.h>

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

// An image file (a PNG screenshot or a BMP of the game folder) as 8-bit RGB.
struct Picture {
    int w = 0, h = 0;
    std::vector<unsigned char> rgb;
    explicit Picture(const std::string& path) {
        int n = 0;
        unsigned char* data = stbi_load(path.c_str(), &w, &h, &n, 3);
        if (data) rgb.assign(data, data + static_cast<size_t>(w) * h * 3);
        stbi_image_free(data);
    }
    uint32_t At(int x, int y) const {
        const unsigned char* p = &rgb[(static_cast<size_t>(y) * w + x) * 3];
        return uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2];
    }
};

// A 5-6-5 pixel as the screenshot shows it: each channel widened by
// repeating its top bits.
inline uint32_t Widened(uint32_t r, uint32_t g, uint32_t b) {
    return ((r << 3 | r >> 2) << 16) | ((g << 2 | g >> 4) << 8) | (b << 3 | b >> 2);
}

// A colour as the 16-bit display shows it: truncated to 5-6-5 and widened back.
inline uint32_t Shown(uint32_t c) { return Widened((c >> 19) & 31, (c >> 10) & 63, (c >> 3) & 31); }

}  // namespace e2e
