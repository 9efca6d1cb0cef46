// Screenshots compared with the game's own bitmaps, shared by the headless runs and screen_check.
#pragma once
#include <stb/stb_image.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "prog/core/atlas.h"

namespace pic {

// An image file (a PNG screenshot or a BMP) as 8-bit RGB.
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

// A 5-6-5 pixel as the screenshot shows it: each channel widened by repeating its top bits.
inline uint32_t Widened(uint32_t r, uint32_t g, uint32_t b) {
    return ((r << 3 | r >> 2) << 16) | ((g << 2 | g >> 4) << 8) | (b << 3 | b >> 2);
}

// A colour as the 16-bit display shows it: truncated to 5-6-5 and widened back.
inline uint32_t Shown(uint32_t c) { return Widened((c >> 19) & 31, (c >> 10) & 63, (c >> 3) & 31); }

// A 1024 x 768 screenshot with the font and sprite sheet of the game folder. Each check returns "" when the
// screenshot shows it, else the scores seen. `tolerance`: a real display's rounding of 16-bit colours.
class Screen {
  public:
    Screen(const std::string& shotPath, const std::string& gameDir, int tolerance = 0)
        : shot(shotPath), font(gameDir + "/text.bmp"), sprites(gameDir + "/sprites.bmp"), tolerance(tolerance) {}
    bool Readable() const { return shot.w == 1024 && shot.h == 768 && !font.rgb.empty() && !sprites.rgb.empty(); }

    // The HUD's lines in the first frames, one every 8 pixels from the top left.
    std::string FirstHud() const {
        std::string problems;
        const char* const lines[] = {"Kestra v2.0e", "High Score: 0", "Your Score: 0", "  Missiles: 3",
                                     "     Speed: 0 clicks/sec"};
        for (int i = 0; i < 5; ++i) problems += Need(lines[i], Text(lines[i], 0, 8 * i), 0.8);
        return problems;
    }
    // That HUD, and the banner at rest at (442, 323) with the panel waiting for a click, not the one getting ready.
    std::string Waiting() const {
        const double click = Match(sprites, BANNER_CLICK, 442, 323);
        return FirstHud() + Need("click panel", click, 0.8) +
               Need("ready panel", Match(sprites, BANNER_READY, 442, 323), -1, click - 0.15);
    }
    // The panel the fly-in ends with (also shown as the ship is lost) where the waiting panel was.
    std::string Ready() const {
        const double ready = Match(sprites, BANNER_READY, 442, 323);
        return Need("ready panel", ready, 0.8) +
               Need("click panel", Match(sprites, BANNER_CLICK, 442, 323), -1, ready - 0.15);
    }
    // The HUD's high score shows `digits` (`again`: and the player's score 0).
    std::string High(const std::string& digits, bool again = false) const {
        return Hud("High Score: ", digits, 8) + (again ? Hud("Your Score: ", "0", 16) : "");
    }

  private:
    Picture shot, font, sprites;
    int tolerance;

    // "" when the score lies in (low, high], else a line saying so.
    static std::string Need(const std::string& what, double score, double low, double high = 1.0) {
        char line[160];
        std::snprintf(line, sizeof line, "'%s' %.2f NOT in (%.2f, %.2f]; ", what.c_str(), score, low, high);
        return score > low && score <= high ? "" : line;
    }
    // Share of the non-key pixels of the sheet's rectangle r (its first frame) that the screenshot shows at (dx, dy).
    double Match(const Picture& sheet, const AtlasStrip& r, int dx, int dy) const {
        int total = 0, same = 0;
        for (int y = 0; y < r.h; ++y)
            for (int x = 0; x < r.w; ++x) {
                const uint32_t c = Shown(sheet.At(r.x + x, r.y + y));
                if (c == Shown(sheet.At(0, 0))) continue;
                ++total;
                bool near = dx + x >= 0 && dx + x < shot.w && dy + y >= 0 && dy + y < shot.h;
                for (int shift = 0; near && shift < 24; shift += 8)
                    near = std::abs(int(shot.At(dx + x, dy + y) >> shift & 255) - int(c >> shift & 255)) <= tolerance;
                same += near;
            }
        return total ? static_cast<double>(same) / total : 0.0;
    }
    // Share of the font's pixels of `text` found at (x, y), a cell apart.
    double Text(const std::string& text, int x, int y) const {
        double sum = 0;
        int glyphs = 0;
        for (size_t i = 0; i < text.size(); ++i) {
            const int n = static_cast<unsigned char>(text[i]), at = x + FONT_CELL_W * static_cast<int>(i);
            if (n > 32) sum += Match(font, {FontCellX(n), FontCellY(n), FONT_CELL_W, FONT_CELL_H, 1}, at, y), ++glyphs;
        }
        return glyphs ? sum / glyphs : 0.0;
    }
    // The HUD line at y shows `label`, then `digits` clearly better than with every digit changed (clouds
    // may hide part of it).
    std::string Hud(const std::string& label, const std::string& digits, int y) const {
        std::string other = digits;
        for (char& c : other) c = static_cast<char>('0' + (c - '0' + 5) % 10);
        const int x = static_cast<int>(label.size()) * FONT_CELL_W;
        const double right = Text(digits, x, y);
        return Need(label, Text(label, 0, y), 0.6) + Need(digits, right, 0.6) +
               Need(other, Text(other, x, y), -1, right - 0.15);
    }
};

}  // namespace pic
