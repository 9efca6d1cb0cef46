#include "tools/assetgen/canvas.h"

void CanvasInit(Canvas& c, int w, int h) {
    c.w = w;
    c.h = h;
    c.pixels.assign(static_cast<size_t>(w) * h, KEY_COLOUR);
}

uint16_t ToRgb565(Rgb c) { return static_cast<uint16_t>(((c.r >> 3) << 11) | ((c.g >> 2) << 5) | (c.b >> 3)); }

Rgb KeySafe(Rgb c) {
    if (ToRgb565(c) == ToRgb565(KEY_COLOUR)) c.g = 4;  // one green step away from the key
    return c;
}

void Plot(Canvas& c, int x, int y, Rgb colour) {
    if (x < 0 || y < 0 || x >= c.w || y >= c.h) return;
    c.pixels[static_cast<size_t>(y) * c.w + x] = KeySafe(colour);
}

void Erase(Canvas& c, int x, int y) {
    if (x < 0 || y < 0 || x >= c.w || y >= c.h) return;
    c.pixels[static_cast<size_t>(y) * c.w + x] = KEY_COLOUR;
}

Rgb Pixel(const Canvas& c, int x, int y) { return c.pixels[static_cast<size_t>(y) * c.w + x]; }

bool IsKey(const Canvas& c, int x, int y) { return Pixel(c, x, y) == KEY_COLOUR; }

void FillRect(Canvas& c, int x, int y, int w, int h, Rgb colour) {
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i) Plot(c, i, j, colour);
}

void CopyOpaque(const Canvas& src, int sx, int sy, int w, int h, Canvas& dst, int dx, int dy) {
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            if (sx + i < 0 || sy + j < 0 || sx + i >= src.w || sy + j >= src.h) continue;
            Rgb p = Pixel(src, sx + i, sy + j);
            if (p != KEY_COLOUR) Plot(dst, dx + i, dy + j, p);
        }
}

Rgb Mix(Rgb a, Rgb b, int t) {
    auto m = [t](int u, int v) { return static_cast<uint8_t>(u + ((v - u) * t) / 256); };
    return {m(a.r, b.r), m(a.g, b.g), m(a.b, b.b)};
}
