// An RGB picture in memory that the art routines draw into and the writers save.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

struct Rgb {
    uint8_t r, g, b;
};

inline bool operator==(Rgb a, Rgb b) { return a.r == b.r && a.g == b.g && a.b == b.b; }
inline bool operator!=(Rgb a, Rgb b) { return !(a == b); }

// The colour key of every image: pixels of exactly this colour are transparent in the game.
constexpr Rgb KEY_COLOUR = {255, 0, 255};

struct Canvas {
    int w = 0;
    int h = 0;
    std::vector<Rgb> pixels;  // row-major, top row first
};

// Sizes the canvas and fills it with the key colour.
void CanvasInit(Canvas& c, int w, int h);
// The 16-bit (5-6-5) value the engine makes of a colour by dropping low bits.
uint16_t ToRgb565(Rgb c);
// An art colour nudged, if needed, so that it never turns into the key after the 5-6-5 conversion.
Rgb KeySafe(Rgb c);
// Writes an art pixel (made key-safe); pixels outside the canvas are ignored.
void Plot(Canvas& c, int x, int y, Rgb colour);
// Makes a pixel transparent again.
void Erase(Canvas& c, int x, int y);
Rgb Pixel(const Canvas& c, int x, int y);
bool IsKey(const Canvas& c, int x, int y);
// Fills a rectangle with an art colour.
void FillRect(Canvas& c, int x, int y, int w, int h, Rgb colour);
// Copies a w x h area of src at (sx, sy) to dst at (dx, dy), skipping transparent pixels.
void CopyOpaque(const Canvas& src, int sx, int sy, int w, int h, Canvas& dst, int dx, int dy);
// Linear blend of two colours, t in 0..256.
Rgb Mix(Rgb a, Rgb b, int t);
