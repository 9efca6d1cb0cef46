// The GDI subset that brings a bitmap file into a surface: LoadImageA decodes
// the file into a bitmap object (32-bit XRGB, top-down), a memory device
// context holds it, and BitBlt copies it into a surface's device context,
// converting to the surface's RGB565 the way a 16-bit display does.
//
// Files are decoded by the backend (decodeBitmap: SDL's BMP loader, or the
// browser's own decoder). Before it runs, the file's own header is read here and anything too large or inconsistent
// with the file's length is refused, so a hostile file can neither make the loader allocate without bound nor hand it
// fewer bytes than the header promises.
#include "platform/gdi.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unordered_set>

#include "platform/platform_state.h"

namespace {

struct GdiBitmap {
    int width;
    int height;
    uint32_t* pixels;  // width x height, 0x00RRGGBB, top row first
};

struct GdiDC {
    IDirectDrawSurface4* surface;  // set for a surface's device context
    GdiBitmap* selected;           // bitmap of a memory device context
};

// A memory device context starts with this 1 x 1 bitmap selected, as in GDI.
uint32_t stockPixel = 0;
GdiBitmap stockBitmap = {1, 1, &stockPixel};

std::unordered_set<GdiBitmap*>& Bitmaps() {
    static std::unordered_set<GdiBitmap*> set;
    return set;
}
std::unordered_set<GdiDC*>& DCs() {
    static std::unordered_set<GdiDC*> set;
    return set;
}

GdiBitmap* AsBitmap(HANDLE h) {
    GdiBitmap* b = reinterpret_cast<GdiBitmap*>(h);
    if (b == &stockBitmap) return b;
    return Bitmaps().count(b) ? b : nullptr;
}

GdiDC* AsDC(HDC h) {
    GdiDC* dc = reinterpret_cast<GdiDC*>(h);
    return DCs().count(dc) ? dc : nullptr;
}

uint32_t Le32(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint16_t Le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

// Reads the file and info headers and refuses what should not reach the
// decoder: not a bitmap, sizes out of range, pixel data the file cannot hold.
bool HeaderAcceptable(const char* path) {
    std::FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    unsigned char h[14 + 40] = {};
    size_t got = std::fread(h, 1, sizeof h, f);
    long fileSize = -1;
    if (std::fseek(f, 0, SEEK_END) == 0) fileSize = std::ftell(f);
    std::fclose(f);
    if (got < 14 + 12 || fileSize < 0 || h[0] != 'B' || h[1] != 'M') return false;

    const uint32_t dataOffset = Le32(h + 10);
    const uint32_t infoSize = Le32(h + 14);
    int64_t width, height;
    uint32_t bits, compression = 0;
    if (infoSize == 12) {  // OS/2 core header: 16-bit sizes
        width = Le16(h + 18);
        height = static_cast<int16_t>(Le16(h + 20));
        bits = Le16(h + 24);
    } else if (infoSize >= 40 && got >= 14 + 40) {
        width = static_cast<int32_t>(Le32(h + 18));
        height = static_cast<int32_t>(Le32(h + 22));
        bits = Le16(h + 28);
        compression = Le32(h + 30);
    } else {
        return false;
    }
    if (height < 0) height = -height;  // top-down
    if (width < 1 || height < 1 || width > GDI_MAX_BITMAP_SIDE || height > GDI_MAX_BITMAP_SIDE) return false;
    if (width * height > GDI_MAX_BITMAP_PIXELS) return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;

    // Uncompressed rows (and bit-field masks) are padded to four bytes; the
    // file must hold all of them. Run-length data has no fixed size.
    const bool uncompressed = compression == 0 || compression == 3 || compression == 6;
    if (uncompressed) {
        int64_t stride = ((width * bits + 31) / 32) * 4;
        if (static_cast<int64_t>(dataOffset) + stride * height > fileSize) return false;
    } else if (static_cast<int64_t>(dataOffset) >= fileSize) {
        return false;
    }
    return true;
}

GdiBitmap* LoadBitmapFile(const char* path) {
    if (!HeaderAcceptable(path)) return nullptr;
    int width = 0, height = 0;
    uint32_t* pixels = platform.ops->decodeBitmap(path, &width, &height);
    if (!pixels) return nullptr;
    GdiBitmap* b = static_cast<GdiBitmap*>(std::malloc(sizeof(GdiBitmap)));
    if (!b) {
        std::free(pixels);
        return nullptr;
    }
    b->width = width;
    b->height = height;
    b->pixels = pixels;
    Bitmaps().insert(b);
    return b;
}

void FreeBitmap(GdiBitmap* b) {
    Bitmaps().erase(b);
    std::free(b->pixels);
    std::free(b);
}

}  // namespace

extern "C" {

int GdiLiveBitmaps(void) { return static_cast<int>(Bitmaps().size()); }
int GdiLiveDCs(void) { return static_cast<int>(DCs().size()); }

HANDLE LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int cx, int cy, UINT flags) {
    if (!name || type != IMAGE_BITMAP || !(flags & LR_LOADFROMFILE) || cx != 0 || cy != 0) return nullptr;
    return LoadBitmapFile(name);
}

int GetObjectA(HANDLE object, int size, LPVOID out) {
    GdiBitmap* b = AsBitmap(object);
    if (!b) return 0;
    if (!out) return static_cast<int>(sizeof(BITMAP));
    if (size < static_cast<int>(sizeof(BITMAP))) return 0;
    BITMAP bm = {};
    bm.bmType = 0;
    bm.bmWidth = b->width;
    bm.bmHeight = b->height;
    bm.bmWidthBytes = b->width * 4;
    bm.bmPlanes = 1;
    bm.bmBitsPixel = 32;
    bm.bmBits = b->pixels;
    std::memcpy(out, &bm, sizeof bm);
    return static_cast<int>(sizeof(BITMAP));
}

HDC CreateCompatibleDC(HDC dc) {
    if (FaultFires(&platform.faults.createCompatibleDC)) return nullptr;
    if (dc && !AsDC(dc)) return nullptr;
    GdiDC* m = static_cast<GdiDC*>(std::malloc(sizeof(GdiDC)));
    if (!m) return nullptr;
    m->surface = nullptr;
    m->selected = &stockBitmap;
    DCs().insert(m);
    return reinterpret_cast<HDC>(m);
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
    GdiDC* d = AsDC(dc);
    GdiBitmap* b = AsBitmap(object);
    if (!d || d->surface || !b) return nullptr;
    GdiBitmap* previous = d->selected;
    d->selected = b;
    return reinterpret_cast<HGDIOBJ>(previous);
}

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop) {
    GdiDC* d = AsDC(dest);
    GdiDC* s = AsDC(src);
    if (rop != SRCCOPY || !d || !s || !d->surface || !s->selected || width < 0 || height < 0) return FALSE;
    IDirectDrawSurface4* surface = d->surface;
    const GdiBitmap* b = s->selected;

    // Clip the block to both the bitmap and the surface.
    int64_t x0 = x, y0 = y, sx = srcX, sy = srcY, w = width, h = height;
    if (sx < 0) {
        x0 -= sx;
        w += sx;
        sx = 0;
    }
    if (sy < 0) {
        y0 -= sy;
        h += sy;
        sy = 0;
    }
    if (x0 < 0) {
        sx -= x0;
        w += x0;
        x0 = 0;
    }
    if (y0 < 0) {
        sy -= y0;
        h += y0;
        y0 = 0;
    }
    if (sx + w > b->width) w = b->width - sx;
    if (sy + h > b->height) h = b->height - sy;
    if (x0 + w > surface->width) w = surface->width - x0;
    if (y0 + h > surface->height) h = surface->height - y0;
    if (w <= 0 || h <= 0) return TRUE;

    for (int64_t row = 0; row < h; row++) {
        const uint32_t* in = b->pixels + (sy + row) * b->width + sx;
        uint16_t* out =
            reinterpret_cast<uint16_t*>(reinterpret_cast<char*>(surface->pixels) + (y0 + row) * surface->pitch) + x0;
        for (int64_t col = 0; col < w; col++) {
            uint32_t p = in[col];
            uint32_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, bl = p & 0xFF;
            out[col] = static_cast<uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | (bl >> 3));
        }
    }
    return TRUE;
}

BOOL DeleteDC(HDC dc) {
    GdiDC* d = AsDC(dc);
    if (!d || d->surface) return FALSE;  // a surface's context goes back with ReleaseDC
    DCs().erase(d);
    std::free(d);
    return TRUE;
}

BOOL DeleteObject(HGDIOBJ object) {
    GdiBitmap* b = AsBitmap(object);
    if (!b) return FALSE;
    if (b == &stockBitmap) return TRUE;
    for (GdiDC* d : DCs())
        if (d->selected == b) return FALSE;  // still selected into a context
    FreeBitmap(b);
    return TRUE;
}

}  // extern "C"

HRESULT IDirectDrawSurface4::GetDC(HDC* dc) {
    if (!dc) return DDERR_INVALIDPARAMS;
    *dc = nullptr;
    if (!pixels) return DDERR_INVALIDOBJECT;
    if (lost || (owner && owner->lost)) return DDERR_SURFACELOST;
    if (locked) return DDERR_SURFACEBUSY;
    if (dcOut) return DDERR_CANTCREATEDC;
    if (FaultFires(&platform.faults.surfaceGetDC)) return DDERR_CANTCREATEDC;
    GdiDC* d = static_cast<GdiDC*>(std::malloc(sizeof(GdiDC)));
    if (!d) return DDERR_OUTOFMEMORY;
    d->surface = this;
    d->selected = nullptr;
    DCs().insert(d);
    dcOut = 1;
    *dc = reinterpret_cast<HDC>(d);
    return DD_OK;
}

HRESULT IDirectDrawSurface4::ReleaseDC(HDC dc) {
    GdiDC* d = AsDC(dc);
    if (!d || d->surface != this) return DDERR_NODC;
    DCs().erase(d);
    std::free(d);
    dcOut = 0;
    return DD_OK;
}
