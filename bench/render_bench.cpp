// A game-like frame drawn three ways in one run: through RenderFrame (our
// BltFast, once with every keyed-copy kernel this processor runs), through
// SDL_BlitSurface with a colour key (no RLE) on the very same pixel memory,
// and as one memcpy of the bytes the frame covers. Also the presentation copy
// of a finished frame into an RGB565 texture of SDL's software renderer.
//
// The frame: three 128 x 128 tile layers scrolled to uneven offsets (the back
// one opaque, the others with transparent parts), 300 sprites of 4 to 33
// pixels and 130 glyphs of 6 x 8, all copied from sheets. RenderFrame runs
// without a display mode's flip (no primary surface), so its time is drawing
// only. The printed summary gives every time and the two ratios.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "engine/graphics/display.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/image_store.h"
#include "engine/host/engine.h"
#include "platform/blit_kernels.h"
#include "platform/headless.h"

namespace {

constexpr int kScreenW = 1024, kScreenH = 768;
constexpr int kTile = 128;
constexpr uint16_t kKey = 0xF81F;  // magenta

struct SheetImage {
    ImageSurface holder;
    Image image;
    SDL_Surface* sdl;  // the same pixels, for SDL's blitter
};

struct Scene {
    IDirectDraw* first = nullptr;
    IDirectDrawSurface4* back = nullptr;
    SDL_Surface* sdlBack = nullptr;
    SheetImage tiles, sprites, text;
    TileMap maps[3];
    std::vector<Tile> grids[3];
    Layer layers[3];
    std::vector<Sprite> objects;
    std::vector<SpriteLink> links;
    std::vector<uint16_t> clean;  // back buffer contents before each frame
    size_t coveredBytes = 0;      // bytes the frame's copies write
};

Scene scene;

IDirectDrawSurface4* NewSurface(int w, int h) {
    DDSURFACEDESC2 d;
    std::memset(&d, 0, sizeof d);
    d.dwSize = sizeof d;
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    d.dwWidth = w;
    d.dwHeight = h;
    IDirectDrawSurface4* s = nullptr;
    if (directDraw->CreateSurface(&d, &s, nullptr) != DD_OK) return nullptr;
    return s;
}

uint16_t& Px(IDirectDrawSurface4* s, int x, int y) { return s->pixels[y * (s->pitch / 2) + x]; }

// Cells of a sheet: an opaque ellipse (or a full cell) in random colours on
// the key; "transparency" is the share of cells given a hole pattern.
void PaintSheet(IDirectDrawSurface4* s, int cellW, int cellH, int transparentPercent, std::mt19937& rng) {
    for (int cy = 0; cy + cellH <= s->height; cy += cellH)
        for (int cx = 0; cx + cellW <= s->width; cx += cellW) {
            const bool holes = static_cast<int>(rng() % 100) < transparentPercent;
            const uint16_t base = static_cast<uint16_t>(rng() & 0xF7DE);
            for (int y = 0; y < cellH; y++)
                for (int x = 0; x < cellW; x++) {
                    double dx = (x + 0.5) / cellW - 0.5, dy = (y + 0.5) / cellH - 0.5;
                    bool inside = !holes || dx * dx + dy * dy < 0.2;
                    Px(s, cx + x, cy + y) = inside ? static_cast<uint16_t>(base + ((x ^ y) & 0x21)) : kKey;
                }
        }
}

// Tile sheet cells: opaque in the first two rows of cells (the back layer's),
// with holes around a disc in rows 2-3 (about half the cells) and 4-5 (most).
void PaintTiles(IDirectDrawSurface4* s, std::mt19937& rng) {
    PaintSheet(s, kTile, kTile, 0, rng);
    for (int row = 2; row < 6; row++)
        for (int col = 0; col < 8; col++) {
            if (static_cast<int>((col * 13 + row * 7) % 100) >= (row < 4 ? 50 : 85)) continue;
            for (int y = 0; y < kTile; y++)
                for (int x = 0; x < kTile; x++) {
                    double dx = (x + 0.5) / kTile - 0.5, dy = (y + 0.5) / kTile - 0.5;
                    if (dx * dx + dy * dy > 0.12) Px(s, col * kTile + x, row * kTile + y) = kKey;
                }
        }
}

template <typename Paint>
bool MakeSheet(SheetImage& sheet, int w, int h, Paint paint) {
    ConstructImageSurface(&sheet.holder);
    sheet.holder.surface = NewSurface(w, h);
    if (!sheet.holder.surface) return false;
    sheet.holder.width = w;
    sheet.holder.height = h;
    paint(sheet.holder.surface);
    DDCOLORKEY key = {kKey, kKey};
    sheet.holder.surface->SetColorKey(DDCKEY_SRCBLT, &key);
    std::memset(&sheet.image, 0, sizeof sheet.image);
    sheet.image.kind = IMAGE_KIND_FILE;
    sheet.image.mode = IMAGE_FROM_FILE;
    sheet.image.holder = &sheet.holder;
    sheet.sdl = SDL_CreateRGBSurfaceWithFormatFrom(sheet.holder.surface->pixels, w, h, 16, sheet.holder.surface->pitch,
                                                   SDL_PIXELFORMAT_RGB565);
    if (!sheet.sdl) return false;
    SDL_SetColorKey(sheet.sdl, SDL_TRUE, kKey);
    SDL_SetSurfaceRLE(sheet.sdl, 0);
    return true;
}

bool BuildScene() {
    HeadlessReset();
    if (DirectDrawCreate(nullptr, &scene.first, nullptr) != DD_OK) return false;
    if (scene.first->QueryInterface(IID_IDirectDraw4, reinterpret_cast<LPVOID*>(&directDraw)) != DD_OK) return false;
    scene.back = NewSurface(kScreenW, kScreenH);
    if (!scene.back) return false;
    backBuffer = scene.back;  // no primary surface: RenderFrame draws and does not flip
    screenWidth = kScreenW;
    screenHeight = kScreenH;
    scene.sdlBack = SDL_CreateRGBSurfaceWithFormatFrom(scene.back->pixels, kScreenW, kScreenH, 16, scene.back->pitch,
                                                       SDL_PIXELFORMAT_RGB565);
    if (!scene.sdlBack) return false;

    std::mt19937 rng(1234);
    // Sheets: tiles (8 x 6 cells of 128), sprites (15 x 15 cells of 33),
    // glyphs (16 x 6 cells of 6 x 8).
    if (!MakeSheet(scene.tiles, 8 * kTile, 6 * kTile, [&](IDirectDrawSurface4* s) { PaintTiles(s, rng); }))
        return false;
    if (!MakeSheet(scene.sprites, 15 * 33, 15 * 33, [&](IDirectDrawSurface4* s) { PaintSheet(s, 33, 33, 100, rng); }))
        return false;
    if (!MakeSheet(scene.text, 16 * 6, 6 * 8, [&](IDirectDrawSurface4* s) { PaintSheet(s, 6, 8, 100, rng); }))
        return false;

    // Three maps, 12 x 60 tiles, scrolled to offsets that cut tiles on all
    // sides.
    const int scrolls[3][2] = {{-37, -1000}, {-101, -2075}, {-200, -3333}};
    for (int m = 0; m < 3; m++) {
        TileMap& map = scene.maps[m];
        std::memset(&map, 0, sizeof map);
        map.scrollX = scrolls[m][0];
        map.scrollY = scrolls[m][1];
        map.tileW = map.tileH = kTile;
        map.cols = 12;
        map.rows = 60;
        map.state = MAP_VISIBLE;
        scene.grids[m].resize(12 * 60);
        for (Tile& tile : scene.grids[m])
            tile = Tile{static_cast<int32_t>(rng() % 8), static_cast<int32_t>(m * 2 + rng() % 2), &scene.tiles.image};
        map.tiles = scene.grids[m].data();
    }

    // 300 sprites of 4 to 33 pixels on the main layer, some crossing the
    // edges, and 130 glyphs of HUD text on the top layer.
    for (int i = 0; i < 300; i++) {
        Sprite s{};
        s.srcW = 4 + static_cast<int>(rng() % 30);
        s.srcH = 4 + static_cast<int>(rng() % 30);
        s.srcX = static_cast<int>(rng() % 15) * 33;
        s.srcY = static_cast<int>(rng() % 15) * 33;
        s.w = s.srcW;
        s.h = s.srcH;
        s.x = static_cast<int>(rng() % (kScreenW + 40)) - 20;
        s.y = static_cast<int>(rng() % (kScreenH + 40)) - 20;
        s.image = &scene.sprites.image;
        s.state = 6000;
        scene.objects.push_back(s);
    }
    for (int i = 0; i < 130; i++) {
        Sprite g{};
        g.srcW = 6;
        g.srcH = 8;
        g.srcX = static_cast<int>(rng() % 16) * 6;
        g.srcY = static_cast<int>(rng() % 6) * 8;
        g.w = 6;
        g.h = 8;
        g.x = 4 + (i % 40) * 6;
        g.y = 4 + (i / 40) * 10;
        g.image = &scene.text.image;
        g.state = 6000;
        scene.objects.push_back(g);
    }
    scene.links.resize(scene.objects.size());
    std::memset(scene.layers, 0, sizeof scene.layers);
    for (int l = 0; l < 3; l++) {
        scene.layers[l].map = &scene.maps[l];
        if (l < 2) scene.layers[l].next = &scene.layers[l + 1];
    }
    for (size_t i = 0; i < scene.objects.size(); i++) {
        Layer* layer = i < 300 ? &scene.layers[1] : &scene.layers[2];
        scene.links[i] = SpriteLink{&scene.objects[i], nullptr, layer->drawFirst, 0, 0, layer};
        if (layer->drawFirst)
            layer->drawFirst->newer = &scene.links[i];
        else
            layer->oldest = &scene.links[i];
        layer->drawFirst = &scene.links[i];
    }
    prog.layers = &scene.layers[0];
    scene.clean.assign(static_cast<size_t>(scene.back->pitch / 2) * kScreenH, 0x1234);
    return true;
}

void ResetBackBuffer() { std::memcpy(scene.back->pixels, scene.clean.data(), scene.clean.size() * 2); }

// The same frame through SDL: each tile and sprite at its place, SDL doing the
// clipping. Returns the bytes written (the clipped areas).
size_t SdlFrame() {
    size_t bytes = 0;
    for (const Layer* layer = prog.layers; layer; layer = layer->next) {
        const TileMap* m = layer->map;
        int firstCol = -m->scrollX / kTile, firstRow = -m->scrollY / kTile;
        for (int r = firstRow; r < m->rows && r < firstRow + kScreenH / kTile + 2; r++)
            for (int c = firstCol; c < m->cols && c < firstCol + kScreenW / kTile + 2; c++) {
                const Tile& t = m->tiles[r * m->cols + c];
                SDL_Rect src = {t.col * kTile, t.row * kTile, kTile, kTile};
                SDL_Rect dst = {m->scrollX + c * kTile, m->scrollY + r * kTile, kTile, kTile};
                SDL_BlitSurface(scene.tiles.sdl, &src, scene.sdlBack, &dst);
                bytes += static_cast<size_t>(dst.w) * dst.h * 2;
            }
        for (const SpriteLink* link = layer->drawFirst; link; link = link->older) {
            const Sprite* s = static_cast<const Sprite*>(link->object);
            const SheetImage& sheet = s->image == &scene.text.image ? scene.text : scene.sprites;
            SDL_Rect src = {s->srcX, s->srcY, s->srcW, s->srcH};
            SDL_Rect dst = {s->x, s->y, s->srcW, s->srcH};
            SDL_BlitSurface(sheet.sdl, &src, scene.sdlBack, &dst);
            bytes += static_cast<size_t>(dst.w) * dst.h * 2;
        }
    }
    return bytes;
}

// Times the loop body per iteration, by the wall clock and by this thread's
// processor time, so that the summary can put the figures side by side. On a
// shared machine the processor time is the steadier of the two: it leaves out
// the time the thread waited for a core.
struct Timing {
    double wallNs = 0, cpuNs = 0;
};
std::map<std::string, Timing> timings;

double ThreadCpuNs() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e9 + t.tv_nsec;
}

template <typename F>
void Timed(benchmark::State& state, const std::string& name, F body) {
    double wall = 0, cpu = 0;
    int64_t n = 0;
    for (auto _ : state) {
        auto w0 = std::chrono::steady_clock::now();
        double c0 = ThreadCpuNs();
        body();
        cpu += ThreadCpuNs() - c0;
        wall += std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - w0).count();
        n++;
    }
    if (n) timings[name] = Timing{wall / n, cpu / n};
}

void BM_RenderFrame(benchmark::State& state) {
    const BlitKernel* kernel = BlitKernelAt(static_cast<int>(state.range(0)));
    BlitForceKernel(kernel->name);
    state.SetLabel(kernel->name);
    ResetBackBuffer();
    Timed(state, std::string("RenderFrame/") + kernel->name, [] { RenderFrame(); });
    BlitForceKernel(nullptr);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * scene.coveredBytes);
}

void BM_SdlColorKeyBlit(benchmark::State& state) {
    ResetBackBuffer();
    Timed(state, "SDL_BlitSurface colour key", [] { SdlFrame(); });
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * scene.coveredBytes);
}

void BM_MemcpyCoveredBytes(benchmark::State& state) {
    static std::vector<char> from(scene.coveredBytes, 1), to(scene.coveredBytes, 0);
    Timed(state, "memcpy of the covered bytes", [] {
        std::memcpy(to.data(), from.data(), from.size());
        benchmark::ClobberMemory();
    });
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * scene.coveredBytes);
}

// One screen's worth (1024 x 768 x 2 bytes): the size of the finished frame.
void BM_MemcpyOneScreen(benchmark::State& state) {
    static std::vector<char> from(kScreenW * kScreenH * 2, 1), to(kScreenW * kScreenH * 2, 0);
    Timed(state, "memcpy of one screen (1.5 MiB)", [] {
        std::memcpy(to.data(), from.data(), from.size());
        benchmark::ClobberMemory();
    });
}

struct Presenter {
    SDL_Surface* target = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
};
Presenter presenter;

bool MakePresenter() {
    presenter.target = SDL_CreateRGBSurfaceWithFormat(0, kScreenW, kScreenH, 32, SDL_PIXELFORMAT_XRGB8888);
    if (!presenter.target) return false;
    presenter.renderer = SDL_CreateSoftwareRenderer(presenter.target);
    if (!presenter.renderer) return false;
    presenter.texture =
        SDL_CreateTexture(presenter.renderer, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING, kScreenW, kScreenH);
    return presenter.texture != nullptr;
}

void BM_PresentUpdateTexture(benchmark::State& state) {
    Timed(state, "present: SDL_UpdateTexture RGB565",
          [] { SDL_UpdateTexture(presenter.texture, nullptr, scene.back->pixels, scene.back->pitch); });
}

void BM_PresentUpdateAndRenderCopy(benchmark::State& state) {
    Timed(state, "present: update + RenderCopy to 32-bit", [] {
        SDL_UpdateTexture(presenter.texture, nullptr, scene.back->pixels, scene.back->pitch);
        SDL_RenderCopy(presenter.renderer, presenter.texture, nullptr, nullptr);
    });
}

}  // namespace

int main(int argc, char** argv) {
    if (SDL_Init(0) != 0 || !BuildScene()) {
        std::fprintf(stderr, "render_bench: could not build the scene\n");
        return 1;
    }
    // Check that both ways draw the same frame, and count the bytes it covers.
    ResetBackBuffer();
    RenderFrame();
    std::vector<uint16_t> ours(scene.back->pixels, scene.back->pixels + scene.clean.size());
    ResetBackBuffer();
    scene.coveredBytes = SdlFrame();
    const bool same = std::memcmp(ours.data(), scene.back->pixels, ours.size() * 2) == 0;
    const bool presenting = MakePresenter();

    for (int k = 0; k < BlitKernelCount(); k++) benchmark::RegisterBenchmark("RenderFrame", BM_RenderFrame)->Arg(k);
    benchmark::RegisterBenchmark("SdlColorKeyBlit", BM_SdlColorKeyBlit);
    benchmark::RegisterBenchmark("MemcpyCoveredBytes", BM_MemcpyCoveredBytes);
    benchmark::RegisterBenchmark("MemcpyOneScreen", BM_MemcpyOneScreen);
    if (presenting) {
        benchmark::RegisterBenchmark("PresentUpdateTexture", BM_PresentUpdateTexture);
        benchmark::RegisterBenchmark("PresentUpdateAndRenderCopy", BM_PresentUpdateAndRenderCopy);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    std::printf(
        "\nFrame: 3 layers of 128 x 128 tiles, 300 sprites (4-33 px), 130 glyphs (6 x 8); "
        "%zu bytes written per frame; RenderFrame without a flip.\n",
        scene.coveredBytes);
    std::printf("RenderFrame and the SDL frame are %s.\n", same ? "identical" : "DIFFERENT");
    std::printf("  %-42s %10s %10s\n", "per frame", "wall ms", "cpu ms");
    for (auto& [name, t] : timings) std::printf("  %-42s %10.3f %10.3f\n", name.c_str(), t.wallNs / 1e6, t.cpuNs / 1e6);
    const char* sdl = "SDL_BlitSurface colour key";
    const char* copy = "memcpy of the covered bytes";
    if (timings.count(sdl) && timings.count(copy)) {
        std::printf(
            "Ratios (by processor time; by wall time in brackets): targets >= 8x faster than SDL, "
            "<= 1.6x memcpy\n");
        for (int k = 0; k < BlitKernelCount(); k++) {
            std::string n = std::string("RenderFrame/") + BlitKernelAt(k)->name;
            if (!timings.count(n)) continue;
            const Timing& t = timings[n];
            std::printf("  %-10s %5.1fx faster than SDL (%4.1fx), %5.2fx memcpy (%4.2fx)%s\n", BlitKernelAt(k)->name,
                        timings[sdl].cpuNs / t.cpuNs, timings[sdl].wallNs / t.wallNs, t.cpuNs / timings[copy].cpuNs,
                        t.wallNs / timings[copy].wallNs, BlitKernelAt(k) == BlitActiveKernel() ? "  <- chosen" : "");
        }
    }
    if (!presenting) std::printf("Presentation not timed: SDL's software renderer could not be made.\n");
    return 0;
}
