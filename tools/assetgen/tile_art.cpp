// Generated scenery. The ground is fine-grained woods with small clearings, in close muted tones, crossed by a
// stream that runs from the top edge to the bottom and a track from the left edge to the right, each leaving
// the cell where it came in so that copies side by side join into long unbroken lines. Every layer repeats
// exactly every TILE_SIZE pixels and nothing in it is large or bright enough to be picked out as a shape, so a
// screenful reads as terrain rather than as a grid. The cloud cell is a scatter of thin, broken wisps of
// varying length, angle and bend, thinly dithered so that whatever lies under them stays readable.
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

// A line that crosses the whole cell and leaves it where it came in, so that copies side by side join into
// one long line: offset(t) = base + the sum of a few sine waves whose periods divide TILE_SIZE.
struct Meander {
    double base;
    double amp[3], phase[3];
};

double MeanderAt(const Meander& m, double t, double* slope) {
    const double w = 2 * M_PI / TILE_SIZE;
    double v = m.base, d = 0;
    for (int k = 0; k < 3; ++k) {
        v += m.amp[k] * std::sin(w * (k + 1) * t + m.phase[k]);
        d += m.amp[k] * w * (k + 1) * std::cos(w * (k + 1) * t + m.phase[k]);
    }
    *slope = d;
    return v;
}

// Distance of a point from a meander that runs along its first coordinate (t) and wanders in the second
// (u), measured across the line so that its width stays even where it bends.
double MeanderDistance(const Meander& m, double t, double u) {
    double slope = 0;
    double du = std::fmod(u - MeanderAt(m, t, &slope), TILE_SIZE);
    if (du < -TILE_SIZE / 2) du += TILE_SIZE;
    if (du >= TILE_SIZE / 2) du -= TILE_SIZE;
    return std::fabs(du) / std::sqrt(1 + slope * slope);
}

// Ground colours: muted, mid-dark and close together, so that the bright craft, shots and badges stand out
// everywhere and no patch is bright or dark enough to be seen as a shape of its own.
const Rgb FLOOR = {26, 44, 28}, CROWN_DARK = {36, 62, 36}, CROWN_LIGHT = {62, 90, 48};
const Rgb GRASS_DARK = {40, 62, 34}, GRASS_LIGHT = {58, 74, 40};
const Rgb TRACK = {86, 84, 60}, WATER = {36, 58, 56}, BANK = {42, 62, 40};

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
            c.cx[j][i] = i * Crowns::STEP + (RngBelow(rng, 300) - 150) / 100.0;
            c.cy[j][i] = j * Crowns::STEP + (RngBelow(rng, 300) - 150) / 100.0;
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
    // Woods (high) and small clearings (low), both fine-grained: the coarsest layer has 8 features per cell.
    const Fractal cover = FractalMake(12, 3, 0.55, 0x6A0D);
    const Fractal tone = FractalMake(16, 3, 0.6, 0xF1E1);
    // A stream that runs from the top edge to the bottom and a track from the left edge to the right.
    const Meander stream = {44, {14, 6, 2}, {0.4, 2.1, 4.0}};
    const Meander track = {92, {12, 7, 3}, {1.3, 5.2, 0.7}};
    Crowns crowns;
    CrownsMake(crowns, 0xC20A);

    for (int y = 0; y < TILE_SIZE; ++y)
        for (int x = 0; x < TILE_SIZE; ++x) {
            const double h = FractalAt(cover, x, y), t = FractalAt(tone, x, y);
            Rgb c;
            if (h > 0.47) {
                const double lit = CanopyAt(crowns, x, y);
                c = lit <= 0 ? FLOOR : Mix(CROWN_DARK, CROWN_LIGHT, static_cast<int>(lit * 256));
            } else {
                c = Mix(GRASS_DARK, GRASS_LIGHT, static_cast<int>(Clamp01(t * 2 - 0.5) * 256));
            }
            const double water = MeanderDistance(stream, y + 0.5, x + 0.5);
            const double road = MeanderDistance(track, x + 0.5, y + 0.5);
            // Under the trees the stream shows only in part.
            const int hidden = h > 0.47 ? 110 : 0;
            if (water < 1.2)
                c = Mix(Mix(WATER, BANK, static_cast<int>(Clamp01(t * 1.5 - 0.4) * 120)), c, hidden);
            else if (water < 2.2)
                c = Mix(c, BANK, 140 - hidden);
            else if (road < 0.9)
                c = Mix(c, TRACK, 150 + static_cast<int>(t * 60));
            Plot(sheet, x0 + x, y, c);
        }
}

// Wisps: short, thin strokes of varying length, angle, bend and thickness, placed at random but kept apart so
// they spread over the whole cell without lining up, broken into pieces along their length and shown through
// a scattered dither, so that most of any small area stays clear and the banner and the HUD stay readable.
// Every stroke is drawn wrapped around the cell, so strokes over an edge join their continuation.
void DrawClouds(Canvas& sheet, int x0) {
    Rng rng = RngMake(0x51A7);
    const int COUNT = 14;
    double px[COUNT], py[COUNT];
    int placed = 0;
    for (int tries = 0; placed < COUNT && tries < 2000; ++tries) {
        const double x = RngBelow(rng, TILE_SIZE), y = RngBelow(rng, TILE_SIZE);
        bool clear = true;
        for (int i = 0; i < placed && clear; ++i) {
            double dx = std::fabs(x - px[i]), dy = std::fabs(y - py[i]);
            dx = std::min(dx, TILE_SIZE - dx), dy = std::min(dy, TILE_SIZE - dy);
            clear = dx * dx * 0.3 + dy * dy > 14 * 14;  // strokes are wide, so keep them apart most across
        }
        if (clear) px[placed] = x, py[placed++] = y;
    }
    for (int i = 0; i < placed; ++i) {
        const double length = 28 + RngBelow(rng, 52), angle = (RngBelow(rng, 100) - 50) * M_PI / 180;
        const double bend = (RngBelow(rng, 200) - 100) / 100.0 * 4, width = 1.0 + RngBelow(rng, 100) / 100.0;
        const double breakPhase = RngBelow(rng, 628) / 100.0, breakRate = 0.08 + RngBelow(rng, 10) / 100.0;
        const double ux = std::cos(angle), uy = std::sin(angle);
        const int reach = static_cast<int>(length / 2) + 4;
        for (int dy = -reach; dy <= reach; ++dy)
            for (int dx = -reach; dx <= reach; ++dx) {
                const double s = dx * ux + dy * uy, across = -dx * uy + dy * ux;
                const double along = s / (length / 2);  // -1 .. 1 from end to end
                if (std::fabs(along) >= 1) continue;
                const double off = across - bend * (1 - along * along);
                const double half = width * (1 - along * along * along * along);  // tapered ends
                const double core = 1 - std::fabs(off) / (half + 0.5);
                // Broken: the stroke thins out and vanishes where a wave along it runs low.
                const double piece = 0.55 + 0.6 * std::sin(s * breakRate + breakPhase);
                const double density = Clamp01(std::min(core * 1.4, piece)) * 0.45;
                if (density <= 0 || density * 256 <= RngBelow(rng, 256)) continue;
                const int x = Wrap(static_cast<int>(std::lround(px[i])) + dx);
                const int y = Wrap(static_cast<int>(std::lround(py[i])) + dy);
                Plot(sheet, x0 + x, y, core > 0.7 && piece > 0.9 ? Rgb{204, 212, 226} : Rgb{148, 162, 182});
            }
    }
}

}  // namespace

void MakeTileSheet(Canvas& sheet) {
    CanvasInit(sheet, TILE_SHEET_W, TILE_SHEET_H);
    DrawGround(sheet, TILE_GROUND * TILE_SIZE);
    DrawClouds(sheet, TILE_CLOUDS * TILE_SIZE);
}
