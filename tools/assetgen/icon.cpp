#include "tools/assetgen/icon.h"

#include <stb/stb_image_write.h>

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "prog/core/atlas.h"
#include "tools/assetgen/bmp_writer.h"

namespace {

// The flying ship, engines lit, as the game shows it.
constexpr int SHIP_X = FrameX(SHIP_FRAMES, SHIP_COLUMN_PLAYING), SHIP_Y = SHIP_FRAMES.y;
constexpr int SHIP_W = SHIP_FRAMES.w, SHIP_H = SHIP_FRAMES.h;

constexpr Rgb TILE_TOP = {22, 32, 64}, TILE_BOTTOM = {8, 12, 28}, TILE_EDGE = {92, 112, 150};

// Whether (x, y) lies inside a square of side n whose corners are rounded with radius r.
bool InsideRounded(int x, int y, int n, int r) {
    const int cx = std::clamp(x, r, n - 1 - r), cy = std::clamp(y, r, n - 1 - r);
    const int dx = x - cx, dy = y - cy;
    return dx * dx + dy * dy <= r * r;
}

// One icon of side n as RGBA. The ship keeps its hard pixels: a whole multiple when that
// fills most of the tile, otherwise nearest-neighbour at the fraction that fits.
std::vector<uint8_t> DrawIcon(const Canvas& sprites, int n) {
    std::vector<uint8_t> out(static_cast<size_t>(n) * n * 4, 0);
    const int radius = n / 6, border = std::max(1, n / 32);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            if (!InsideRounded(x, y, n, radius)) continue;
            const bool edge = !InsideRounded(x - border, y - border, n - 2 * border, std::max(0, radius - border)) ||
                              x < border || y < border || x >= n - border || y >= n - border;
            const Rgb c = edge ? TILE_EDGE : Mix(TILE_TOP, TILE_BOTTOM, y * 256 / n);
            uint8_t* p = &out[(static_cast<size_t>(y) * n + x) * 4];
            p[0] = c.r, p[1] = c.g, p[2] = c.b, p[3] = 255;
        }
    const double fit = n * 0.85 / SHIP_H;
    const double scale = fit >= 2 ? static_cast<int>(fit) : fit;
    const int w = static_cast<int>(SHIP_W * scale), h = static_cast<int>(SHIP_H * scale);
    const int x0 = (n - w) / 2, y0 = (n - h) / 2;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int sx = SHIP_X + std::min(SHIP_W - 1, static_cast<int>(x / scale));
            const int sy = SHIP_Y + std::min(SHIP_H - 1, static_cast<int>(y / scale));
            if (IsKey(sprites, sx, sy)) continue;
            const Rgb c = Pixel(sprites, sx, sy);
            uint8_t* p = &out[(static_cast<size_t>(y0 + y) * n + x0 + x) * 4];
            p[0] = c.r, p[1] = c.g, p[2] = c.b, p[3] = 255;
        }
    return out;
}

}  // namespace

bool WriteIcons(const Canvas& sprites, const std::string& dir, std::string* error) {
    for (int n : ICON_SIZES) {
        const std::string folder = dir + "/" + std::to_string(n) + "x" + std::to_string(n) + "/apps";
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        if (ec) {
            *error = "cannot create " + folder + ": " + ec.message();
            return false;
        }
        const std::vector<uint8_t> rgba = DrawIcon(sprites, n);
        const std::string path = folder + "/kestra.png";
        if (!stbi_write_png(path.c_str(), n, n, 4, rgba.data(), n * 4)) {
            *error = "cannot write " + path;
            return false;
        }
    }
    return true;
}

bool WriteWindowIcon(const Canvas& sprites, const std::string& path, std::string* error) {
    const int n = WINDOW_ICON_SIZE;
    const std::vector<uint8_t> rgba = DrawIcon(sprites, n);
    Canvas icon;
    CanvasInit(icon, n, n);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const uint8_t* p = &rgba[(static_cast<size_t>(y) * n + x) * 4];
            if (p[3]) Plot(icon, x, y, Rgb{p[0], p[1], p[2]});
        }
    return WriteBmp(icon, path, error);
}
