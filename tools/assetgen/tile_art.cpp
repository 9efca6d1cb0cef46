// Generated scenery: seamless terrain for the ground cell and sparse seamless clouds for the top cell.
#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/assetgen/rng.h"
#include "tools/assetgen/tile_sheet.h"

namespace {

// Value noise that repeats every TILE_SIZE pixels: a lattice of period x period random values,
// smoothly interpolated, so the left and right (and top and bottom) edges continue into each other.
struct Noise {
    int period;
    std::vector<double> values;
};

Noise NoiseMake(int period, uint32_t seed) {
    Noise n{period, std::vector<double>(static_cast<size_t>(period) * period)};
    Rng rng = RngMake(seed);
    for (double& v : n.values) v = RngBelow(rng, 10000) / 10000.0;
    return n;
}

double NoiseAt(const Noise& n, double x, double y) {
    const double fx = x * n.period / TILE_SIZE, fy = y * n.period / TILE_SIZE;
    const int ix = static_cast<int>(std::floor(fx)), iy = static_cast<int>(std::floor(fy));
    const double tx = fx - ix, ty = fy - iy;
    auto v = [&](int i, int j) {
        i = ((i % n.period) + n.period) % n.period;
        j = ((j % n.period) + n.period) % n.period;
        return n.values[static_cast<size_t>(j) * n.period + i];
    };
    const double sx = tx * tx * (3 - 2 * tx), sy = ty * ty * (3 - 2 * ty);
    const double a = v(ix, iy) + (v(ix + 1, iy) - v(ix, iy)) * sx;
    const double b = v(ix, iy + 1) + (v(ix + 1, iy + 1) - v(ix, iy + 1)) * sx;
    return a + (b - a) * sy;
}

// Several octaves summed, normalised to 0..1.
double Fractal(const std::vector<Noise>& octaves, double x, double y) {
    double sum = 0, weight = 0, amp = 1;
    for (const Noise& n : octaves) {
        sum += NoiseAt(n, x, y) * amp;
        weight += amp;
        amp *= 0.5;
    }
    return sum / weight;
}

struct Band {
    double upTo;
    Rgb low, high;
};

// Terrain colours by height: deep water, shallows, sand, two kinds of grassland, forest, rock.
const Band BANDS[] = {
    {0.36, {18, 42, 88}, {30, 70, 120}},     {0.41, {36, 88, 130}, {64, 126, 150}},
    {0.44, {150, 140, 96}, {176, 160, 108}}, {0.55, {70, 120, 50}, {96, 140, 60}},
    {0.64, {54, 100, 44}, {66, 116, 46}},    {0.74, {30, 74, 38}, {42, 90, 44}},
    {2.00, {96, 90, 80}, {150, 142, 128}},
};

Rgb TerrainColour(double h) {
    double from = 0;
    for (const Band& b : BANDS) {
        if (h < b.upTo) {
            const double t = (h - from) / (std::min(b.upTo, 1.0) - from);
            return Mix(b.low, b.high, static_cast<int>(std::max(0.0, std::min(1.0, t)) * 256));
        }
        from = b.upTo;
    }
    return BANDS[6].high;
}

void DrawGround(Canvas& sheet, int x0) {
    std::vector<Noise> octaves;
    for (int i = 0, p = 4; i < 5; ++i, p *= 2) octaves.push_back(NoiseMake(p, 0x51ED + i * 977));
    const Noise grain = NoiseMake(64, 0xA11CE);
    auto height = [&](int x, int y) {
        return Fractal(octaves, (x + TILE_SIZE) % TILE_SIZE, (y + TILE_SIZE) % TILE_SIZE);
    };
    for (int y = 0; y < TILE_SIZE; ++y)
        for (int x = 0; x < TILE_SIZE; ++x) {
            const double h = height(x, y);
            Rgb c = TerrainColour(h);
            if (h >= 0.41) {
                // Land is lit from the top left: brighter on slopes facing it, darker behind ridges.
                const double slope = (height(x - 1, y - 1) - height(x + 1, y + 1)) * 14.0;
                const int t = static_cast<int>(std::max(-1.0, std::min(1.0, slope)) * 70);
                c = t > 0 ? Mix(c, {255, 250, 220}, t) : Mix(c, {0, 0, 0}, -t);
                // Fine grain so that slow scrolling stays visible.
                const double g = NoiseAt(grain, x, y);
                c = Mix(c, g > 0.5 ? Rgb{255, 255, 255} : Rgb{0, 0, 0}, static_cast<int>(std::fabs(g - 0.5) * 50));
            } else {
                // Gentle ripples on the water.
                const double g = NoiseAt(grain, x * 2 % TILE_SIZE, y);
                if (g > 0.72) c = Mix(c, {150, 200, 230}, 60);
            }
            Plot(sheet, x0 + x, y, c);
        }
}

// Clouds: a noise field thresholded high, shown with an ordered dither so that the thin edges read as haze
// while the colour key keeps everything else see-through.
void DrawClouds(Canvas& sheet, int x0) {
    std::vector<Noise> octaves;
    for (int i = 0, p = 2; i < 5; ++i, p *= 2) octaves.push_back(NoiseMake(p, 0xC10D + i * 131));
    static const int BAYER[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    for (int y = 0; y < TILE_SIZE; ++y)
        for (int x = 0; x < TILE_SIZE; ++x) {
            const double v = Fractal(octaves, x, y);
            const double density = (v - 0.53) / 0.15;  // 0 at the edge, 1 in the thick of a cloud
            if (density <= 0) continue;
            const double limit = (BAYER[y % 4][x % 4] + 0.5) / 16.0;
            if (std::min(density, 0.95) < limit) continue;
            // Shade: the lower right of each puff is greyer.
            const double below = Fractal(octaves, x + 2, (y + 2) % TILE_SIZE);
            Rgb c = below < v ? Rgb{236, 240, 248} : Rgb{190, 198, 214};
            Plot(sheet, x0 + x, y, c);
        }
}

}  // namespace

void MakeTileSheet(Canvas& sheet) {
    CanvasInit(sheet, TILE_SHEET_W, TILE_SHEET_H);
    DrawGround(sheet, 1 * TILE_SIZE);
    DrawClouds(sheet, 3 * TILE_SIZE);
}
