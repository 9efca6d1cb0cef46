// Generated scenery. The ground is a dense, even patchwork (woods, meadows, fields) crossed by a network of
// streams, with no single feature that stands out: every layer of it is a noise field or a scatter that repeats
// exactly every TILE_SIZE pixels, so all of it runs across the cell edges and joins seamlessly, and what repeats
// every 128 pixels is texture, not a landmark. The cloud cell is thin, broken wisps spread over the whole cell,
// dithered so that at most half of any small area is covered and whatever lies under them stays readable.
#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/assetgen/rng.h"
#include "tools/assetgen/tile_sheet.h"

namespace {

// Value noise that repeats every TILE_SIZE pixels: a lattice of cols x rows random values, smoothly
// interpolated, so the left and right (and top and bottom) edges continue into each other. More columns than
// rows stretch its features vertically, fewer horizontally.
struct Noise {
    int cols, rows;
    std::vector<double> values;
};

Noise NoiseMake(int cols, int rows, uint32_t seed) {
    Noise n{cols, rows, std::vector<double>(static_cast<size_t>(cols) * rows)};
    Rng rng = RngMake(seed);
    for (double& v : n.values) v = RngBelow(rng, 10000) / 10000.0;
    return n;
}

double NoiseAt(const Noise& n, double x, double y) {
    const double fx = x * n.cols / TILE_SIZE, fy = y * n.rows / TILE_SIZE;
    const int ix = static_cast<int>(std::floor(fx)), iy = static_cast<int>(std::floor(fy));
    const double tx = fx - ix, ty = fy - iy;
    auto v = [&](int i, int j) {
        i = ((i % n.cols) + n.cols) % n.cols;
        j = ((j % n.rows) + n.rows) % n.rows;
        return n.values[static_cast<size_t>(j) * n.cols + i];
    };
    const double sx = tx * tx * (3 - 2 * tx), sy = ty * ty * (3 - 2 * ty);
    const double a = v(ix, iy) + (v(ix + 1, iy) - v(ix, iy)) * sx;
    const double b = v(ix, iy + 1) + (v(ix + 1, iy + 1) - v(ix, iy + 1)) * sx;
    return a + (b - a) * sy;
}

// Octaves from lattice size first upwards, each twice as fine and weighted by gain, summed to 0..1.
struct Fractal {
    std::vector<Noise> octaves;
    double gain;
};

Fractal FractalMake(int first, int count, double gain, uint32_t seed) {
    Fractal f{{}, gain};
    for (int i = 0, p = first; i < count; ++i, p *= 2) f.octaves.push_back(NoiseMake(p, p, seed + i * 977));
    return f;
}

double FractalAt(const Fractal& f, double x, double y) {
    double sum = 0, weight = 0, amp = 1;
    for (const Noise& n : f.octaves) {
        sum += NoiseAt(n, x, y) * amp;
        weight += amp;
        amp *= f.gain;
    }
    return sum / weight;
}

int Wrap(int v) { return ((v % TILE_SIZE) + TILE_SIZE) % TILE_SIZE; }

double Clamp01(double v) { return std::max(0.0, std::min(1.0, v)); }

// Ground colours: muted and mid-dark, so that the bright craft, shots and badges stand out everywhere.
const Rgb FLOOR = {18, 36, 24}, CROWN_DARK = {30, 60, 34}, CROWN_LIGHT = {70, 104, 52};
const Rgb MEADOW_DARK = {50, 76, 40}, MEADOW_LIGHT = {78, 98, 52};
const Rgb FIELD = {84, 90, 52}, SOIL = {70, 66, 44}, TRACK = {96, 88, 64};

// Tree crowns on a jittered grid that repeats with the cell: for a pixel, the offset from the nearest crown
// centre and that crown's radius.
struct Crowns {
    static constexpr int STEP = 4, N = TILE_SIZE / STEP;
    double cx[N][N], cy[N][N], r[N][N];
};

void CrownsMake(Crowns& c, uint32_t seed) {
    Rng rng = RngMake(seed);
    for (int j = 0; j < Crowns::N; ++j)
        for (int i = 0; i < Crowns::N; ++i) {
            c.cx[j][i] = i * Crowns::STEP + 2 + (RngBelow(rng, 300) - 150) / 100.0;
            c.cy[j][i] = j * Crowns::STEP + 2 + (RngBelow(rng, 300) - 150) / 100.0;
            c.r[j][i] = 2.2 + RngBelow(rng, 150) / 100.0;
        }
}

// Brightness of the canopy at a pixel: 0 in the gaps between crowns, up to 1 on a crown's lit side.
double CanopyAt(const Crowns& c, int x, int y) {
    double best = 1e9, bx = 0, by = 0, br = 1;
    const int gi = x / Crowns::STEP, gj = y / Crowns::STEP;
    for (int dj = -1; dj <= 1; ++dj)
        for (int di = -1; di <= 1; ++di) {
            const int i = (gi + di + Crowns::N) % Crowns::N, j = (gj + dj + Crowns::N) % Crowns::N;
            // The neighbour's centre, moved by a whole cell where the grid wraps.
            const double cx = c.cx[j][i] + (gi + di - i == 0 ? 0 : (gi + di < 0 ? -TILE_SIZE : TILE_SIZE));
            const double cy = c.cy[j][i] + (gj + dj - j == 0 ? 0 : (gj + dj < 0 ? -TILE_SIZE : TILE_SIZE));
            const double dx = x + 0.5 - cx, dy = y + 0.5 - cy, d = (dx * dx + dy * dy) / (c.r[j][i] * c.r[j][i]);
            if (d < best) best = d, bx = dx / c.r[j][i], by = dy / c.r[j][i], br = c.r[j][i];
        }
    if (best >= 1) return 0;
    return Clamp01(0.55 - (bx + by) * 0.35 - best * 0.25 + (br - 2.9) * 0.1);
}

void DrawGround(Canvas& sheet, int x0) {
    // Where the woods are (high) and the open land (low), warped so that the edges wander.
    const Fractal cover = FractalMake(8, 3, 0.6, 0x6A0D);
    const Fractal warp = FractalMake(4, 2, 0.5, 0x3A2F);
    // Which open land is ploughed field and which meadow.
    const Fractal use = FractalMake(16, 2, 0.5, 0xF1E1);
    const Noise tufts = NoiseMake(64, 64, 0x7F75);
    // Tracks: where a smooth field crosses its middle value, thin winding lines that run on across the edges.
    const Fractal tracks = FractalMake(4, 2, 0.4, 0x5EA7);
    Crowns crowns;
    CrownsMake(crowns, 0xC20A);

    std::vector<double> height(TILE_SIZE * TILE_SIZE), path(TILE_SIZE * TILE_SIZE);
    for (int y = 0; y < TILE_SIZE; ++y)
        for (int x = 0; x < TILE_SIZE; ++x) {
            const double wx = x + (FractalAt(warp, x, y) - 0.5) * 16, wy = y + (FractalAt(warp, y, x) - 0.5) * 16;
            height[y * TILE_SIZE + x] = FractalAt(cover, wx, wy);
            path[y * TILE_SIZE + x] = FractalAt(tracks, x, y) - 0.5;
        }
    auto at = [](const std::vector<double>& f, int x, int y) { return f[Wrap(y) * TILE_SIZE + Wrap(x)]; };
    const double WOOD = 0.5;

    for (int y = 0; y < TILE_SIZE; ++y)
        for (int x = 0; x < TILE_SIZE; ++x) {
            const double h = at(height, x, y);
            // A track pixel: the field changes sign between it and its right or lower neighbour.
            const double p = at(path, x, y);
            const bool track = (p > 0) != (at(path, x + 1, y) > 0) || (p > 0) != (at(path, x, y + 1) > 0);
            Rgb c;
            if (h > WOOD && !track) {
                const double lit = CanopyAt(crowns, x, y);
                c = lit <= 0 ? FLOOR : Mix(CROWN_DARK, CROWN_LIGHT, static_cast<int>(lit * 256));
            } else if (track) {
                c = Mix(TRACK, SOIL, static_cast<int>(NoiseAt(tufts, x, y) * 160));
            } else if (FractalAt(use, x, y) > 0.6) {
                // Fields: furrows on a slant, the same everywhere so they join across the edges.
                const bool furrow = Wrap(x + y * 2) % 4 == 0;
                c = Mix(FIELD, SOIL, furrow ? 110 : static_cast<int>(NoiseAt(tufts, x, y) * 80));
            } else {
                const double t = NoiseAt(tufts, x, y);
                c = Mix(MEADOW_DARK, MEADOW_LIGHT, static_cast<int>(Clamp01(t * 1.2 - 0.1) * 256));
            }
            // Woods cast a short shadow down and to the right onto open land.
            if (h <= WOOD && at(height, x - 2, y - 2) > WOOD) c = Mix(c, {0, 0, 0}, 64);
            Plot(sheet, x0 + x, y, c);
        }

    // Scattered bushes and boulders in the open, many and small, so none of them is a landmark.
    Rng rng = RngMake(0xB05E);
    for (int i = 0; i < 90; ++i) {
        const int x = RngBelow(rng, TILE_SIZE), y = RngBelow(rng, TILE_SIZE), kind = RngBelow(rng, 3);
        if (at(height, x, y) > WOOD - 0.02) continue;
        const Rgb body = kind == 0 ? Rgb{112, 108, 96} : Rgb{40, 70, 36};
        const Rgb shade = kind == 0 ? Rgb{62, 60, 52} : Rgb{26, 46, 26};
        Plot(sheet, x0 + x, y, body);
        Plot(sheet, x0 + Wrap(x + 1), y, body);
        Plot(sheet, x0 + Wrap(x + 1), Wrap(y + 1), shade);
        Plot(sheet, x0 + Wrap(x + 2), Wrap(y + 1), shade);
    }
}

// Wisps: a field stretched sideways, kept only along the thin lines where it crosses its middle value (of even
// width: the distance to the line is the value's distance over its slope), broken up by a second field, and
// shown through a sparse ordered dither.
void DrawClouds(Canvas& sheet, int x0) {
    const Noise streaks = NoiseMake(3, 6, 0xC10D), detail = NoiseMake(6, 12, 0xC1A0);
    const Noise gaps = NoiseMake(8, 16, 0x9A95);
    auto field = [&](double x, double y) { return NoiseAt(streaks, x, y) * 0.75 + NoiseAt(detail, x, y) * 0.25; };
    static const int BAYER[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    for (int y = 0; y < TILE_SIZE; ++y)
        for (int x = 0; x < TILE_SIZE; ++x) {
            const double v = field(x, y) - 0.5;
            const double gx = field(x + 1, y) - field(x - 1, y), gy = field(x, y + 1) - field(x, y - 1);
            const double distance = std::fabs(v) / std::max(1e-4, std::sqrt(gx * gx + gy * gy) / 2);
            const double line = 1 - distance / 4;  // 1 on the line, 0 four pixels away
            const double broken = (NoiseAt(gaps, x, y) - 0.5) / 0.15;
            const double density = Clamp01(std::min(line, broken)) * 0.4;  // never half the pixels
            if (density <= 0 || density < (BAYER[y % 4][x % 4] + 0.5) / 16.0) continue;
            Plot(sheet, x0 + x, y, line > 0.6 ? Rgb{236, 242, 250} : Rgb{186, 198, 218});
        }
}

}  // namespace

void MakeTileSheet(Canvas& sheet) {
    CanvasInit(sheet, TILE_SHEET_W, TILE_SHEET_H);
    DrawGround(sheet, 1 * TILE_SIZE);
    DrawClouds(sheet, 3 * TILE_SIZE);
}
