// Screenshots compared with the game's own bitmaps: a picture file as RGB,
// colours as a 16-bit screen shows them, and how much of a sheet rectangle or
// a line of text a screenshot shows unchanged.
#pragma once
#include <stb/stb_image.h>

#include <cstdint>
#include <string>
#include <vector>

namespace pic {

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

// Share of the non-key pixels of a sheet rectangle that the screenshot shows
// unchanged at (dx, dy). Clouds drawn over everything may hide a few.
inline double Match(const Picture& pic, const Picture& sheet, int sx, int sy, int w, int h, int dx, int dy) {
    const uint32_t key = Shown(sheet.At(0, 0));
    int total = 0, same = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t c = Shown(sheet.At(sx + x, sy + y));
            if (c == key) continue;
            ++total;
            same += dx + x >= 0 && dx + x < pic.w && dy + y >= 0 && dy + y < pic.h && pic.At(dx + x, dy + y) == c;
        }
    return total ? static_cast<double>(same) / total : 0.0;
}

// Share of the font's pixels of `text` found at (x, y) in the screenshot.
inline double TextMatch(const Picture& pic, const Picture& font, const std::string& text, int x, int y) {
    double sum = 0;
    int glyphs = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const int n = static_cast<unsigned char>(text[i]);
        if (n <= 32) continue;
        sum += Match(pic, font, (n % 25) * 6, (n / 25) * 8, 6, 8, x + static_cast<int>(i) * 6, y);
        ++glyphs;
    }
    return glyphs ? sum / glyphs : 0.0;
}

// How well `digits` match at (x, y), and how well the same number with every
// digit changed does: clouds may hide part of a number, so a shown number must
// match well and clearly better than the changed one.
struct NumberScore {
    double right, other;
    bool Shown() const { return right > 0.6 && right > other + 0.15; }
};
inline NumberScore NumberMatch(const Picture& pic, const Picture& font, const std::string& digits, int x, int y) {
    std::string wrong = digits;
    for (char& c : wrong) c = static_cast<char>('0' + (c - '0' + 5) % 10);
    return {TextMatch(pic, font, digits, x, y), TextMatch(pic, font, wrong, x, y)};
}

// The HUD's lines in the first frames, one every 8 pixels from the top left.
constexpr const char* kFirstHud[] = {"Kestra v2.0e", "High Score: 0", "Your Score: 0", "  Missiles: 3",
                                     "     Speed: 0 clicks/sec"};
// The high score's digits on the HUD's second line.
constexpr int kHighScoreX = 72, kHighScoreY = 8;

// The banner, made at (512, 0), comes down to rest at (442, 323), showing the
// panel of a ship waiting for a click (a rectangle of the sprite sheet).
inline double WaitingPanelMatch(const Picture& pic, const Picture& sprites) {
    return Match(pic, sprites, 182, 186, 141, 61, 442, 323);
}

}  // namespace pic
