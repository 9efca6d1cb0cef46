#include "tools/assetgen/contact_sheet.h"

#include <algorithm>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO_FOPEN_S
#include <stb/stb_image_write.h>

namespace {

constexpr int SCALE = 4;
constexpr int GAP = 16;

void Place(std::vector<uint8_t>& out, int outW, const Canvas& c, int x0, int y0) {
    for (int y = 0; y < c.h * SCALE; ++y)
        for (int x = 0; x < c.w * SCALE; ++x) {
            Rgb p = Pixel(c, x / SCALE, y / SCALE);
            if (p == KEY_COLOUR) {
                const bool dark = ((x / 8) + (y / 8)) % 2 == 0;
                p = dark ? Rgb{34, 36, 44} : Rgb{48, 50, 60};
            }
            uint8_t* d = &out[(static_cast<size_t>(y0 + y) * outW + x0 + x) * 3];
            d[0] = p.r;
            d[1] = p.g;
            d[2] = p.b;
        }
}

}  // namespace

bool WriteContactSheet(const Canvas& sprites, const Canvas& text, const Canvas& tiles, const std::string& path,
                       std::string* error) {
    const int w = std::max({sprites.w + GAP / SCALE + text.w, tiles.w}) * SCALE + 2 * GAP;
    const int h = (std::max(sprites.h, text.h) + tiles.h) * SCALE + 3 * GAP;
    std::vector<uint8_t> out(static_cast<size_t>(w) * h * 3, 16);
    Place(out, w, sprites, GAP, GAP);
    Place(out, w, text, GAP + sprites.w * SCALE + GAP, GAP);
    Place(out, w, tiles, GAP, GAP + std::max(sprites.h, text.h) * SCALE + GAP);
    if (!stbi_write_png(path.c_str(), w, h, 3, out.data(), w * 3)) {
        *error = "cannot write " + path;
        return false;
    }
    return true;
}
