// Debris, generated: tumbling hull fragments and flickering sparks in four sizes, four frames each.
#include <cmath>

#include "tools/assetgen/rng.h"
#include "tools/assetgen/sprite_sheet.h"

namespace {

// One jagged shard per size; the four frames are the shard turned by quarter turns, so it tumbles.
void DrawFragments(Canvas& sheet) {
    Rng rng = RngMake(0xF2A6u);
    for (int s = 0; s < 4; ++s) {
        const AtlasStrip& strip = FRAGMENT_FRAMES[s];
        const int n = strip.w;
        Canvas shard;
        CanvasInit(shard, n, n);
        const double c = (n - 1) / 2.0;
        // Radius per direction, jagged: 12 spokes with random lengths, read by angle.
        double spoke[12];
        for (double& r : spoke) r = n * (0.28 + RngBelow(rng, 100) / 100.0 * 0.24);
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                const double dx = x - c, dy = y - c;
                const double a = std::atan2(dy, dx) + M_PI;
                const int i = static_cast<int>(a / (2 * M_PI) * 12) % 12;
                const double r = std::sqrt(dx * dx + dy * dy);
                if (n > 4 && r > spoke[i]) continue;
                const int shade = RngBelow(rng, 4);
                Rgb metal = Mix({196, 190, 180}, {92, 88, 96}, static_cast<int>((dx + dy + n) * 128 / (2 * n)));
                if (shade == 0) metal = Mix(metal, {0, 0, 0}, 50);
                // Edges facing down and right glow hot from the explosion; the others are dark.
                if (r > spoke[i] - 1.2 && n > 4)
                    metal = dx + dy > 0 ? Mix(metal, {255, 120, 30}, 170) : Mix(metal, {0, 0, 0}, 120);
                Plot(shard, x, y, metal);
            }
        if (n == 4) {  // the smallest is a plain chip with two hot corners
            Erase(shard, 0, 0);
            Erase(shard, 3, 3);
            Plot(shard, 3, 0, {255, 150, 40});
            Plot(shard, 0, 3, {200, 80, 30});
        }
        for (int f = 0; f < strip.frames; ++f)
            for (int y = 0; y < n; ++y)
                for (int x = 0; x < n; ++x) {
                    int sx = x, sy = y;
                    for (int t = 0; t < f; ++t) {  // quarter turn
                        const int nx = sy, ny = n - 1 - sx;
                        sx = nx;
                        sy = ny;
                    }
                    if (!IsKey(shard, sx, sy)) Plot(sheet, FrameX(strip, f) + x, strip.y + y, Pixel(shard, sx, sy));
                }
    }
}

// Sparks: a white-hot core with rays that flick between straight and diagonal and shrink and grow.
void DrawSparks(Canvas& sheet) {
    const Rgb ramp[4] = {{255, 255, 220}, {255, 230, 90}, {255, 150, 40}, {210, 60, 30}};
    for (int s = 0; s < 4; ++s) {
        const AtlasStrip& strip = SPARK_FRAMES[s];
        const int n = strip.w;
        const double c = (n - 1) / 2.0;
        for (int f = 0; f < strip.frames; ++f) {
            const bool diagonal = f % 2 == 1;
            const double ray = c * (diagonal ? 0.7 : (f < 2 ? 1.0 : 0.8)) + 0.5;
            const double core = n >= 8 ? n * (diagonal ? 0.12 : 0.18) + 0.6 : 0.8;
            for (int y = 0; y < n; ++y)
                for (int x = 0; x < n; ++x) {
                    const double dx = x - c, dy = y - c;
                    const double r = std::sqrt(dx * dx + dy * dy);
                    double level = -1;
                    if (r <= core) level = r / core;  // 0 .. 1 inside the core
                    const bool onRay = diagonal ? std::fabs(std::fabs(dx) - std::fabs(dy)) < 0.5
                                                : (std::fabs(dx) < 0.6 || std::fabs(dy) < 0.6);
                    const bool halo = n >= 8 && !diagonal;
                    if (level < 0 && onRay && r <= ray) level = 1.0 + 2.0 * (r - core) / (ray - core + 0.01);
                    if (level < 0 && r <= core + 1.0 && halo) level = 3.0;  // a faint halo
                    if (level < 0) continue;
                    int i = static_cast<int>(level);
                    if (i > 3) i = 3;
                    Plot(sheet, FrameX(strip, f) + x, strip.y + y, ramp[i]);
                }
        }
    }
}

}  // namespace

void DrawDebris(Canvas& sheet) {
    DrawFragments(sheet);
    DrawSparks(sheet);
}
