// Rectangle copies between surfaces (BltFast) and colour fills (Blt). Every
// rectangle is checked against both surfaces before a pixel moves, so a
// refused copy touches nothing and no copy reaches outside a surface.
#include <cstdint>
#include <cstring>

#include "platform/blit_kernels.h"
#include "platform/ddraw.h"
#include "platform/rect_inside.h"

namespace {

bool SurfaceLost(const IDirectDrawSurface4* s) { return s->lost || (s->owner && s->owner->lost); }

// Plain copy of rows (no key); memmove because a surface may copy onto itself.
void CopyRows(uint16_t* dst, ptrdiff_t dstStride, const uint16_t* src, ptrdiff_t srcStride, int width, int height) {
    for (int y = 0; y < height; y++) {
        std::memmove(dst, src, static_cast<size_t>(width) * 2);
        dst += dstStride;
        src += srcStride;
    }
}

// A copy within one surface whose rectangles overlap. Rows are visited so that
// no source row is overwritten before it is read; a row that overlaps itself
// is staged through a small buffer, chunk by chunk, from the end the copy
// moves towards.
void OverlappingCopy(uint16_t* dst, const uint16_t* src, ptrdiff_t stride, int width, int height, bool keyed,
                     uint16_t key, KeyedCopyFn copy) {
    bool upwards = dst > src;  // destination lies after the source: go from the last row
    for (int i = 0; i < height; i++) {
        int y = upwards ? height - 1 - i : i;
        uint16_t* d = dst + y * stride;
        const uint16_t* s = src + y * stride;
        if (!keyed) {
            std::memmove(d, s, static_cast<size_t>(width) * 2);
            continue;
        }
        constexpr int kChunk = 256;
        uint16_t staged[kChunk];
        int chunks = (width + kChunk - 1) / kChunk;
        for (int c = 0; c < chunks; c++) {
            int at = (d > s) ? (chunks - 1 - c) * kChunk : c * kChunk;
            int n = width - at < kChunk ? width - at : kChunk;
            std::memcpy(staged, s + at, static_cast<size_t>(n) * 2);
            copy(d + at, n, staged, n, n, 1, key);
        }
    }
}

}  // namespace

HRESULT IDirectDrawSurface4::BltFast(DWORD x, DWORD y, IDirectDrawSurface4* src, RECT* srcRect, DWORD flags) {
    if (!src) return DDERR_INVALIDPARAMS;
    if (!pixels || !src->pixels) return DDERR_INVALIDOBJECT;
    if (SurfaceLost(this) || SurfaceLost(src)) return DDERR_SURFACELOST;
    if (locked || src->locked) return DDERR_SURFACEBUSY;

    RECT r = srcRect ? *srcRect : RECT{0, 0, src->width, src->height};
    if (!RectInside(r, src->width, src->height)) return DDERR_INVALIDRECT;
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    if (static_cast<uint64_t>(x) + static_cast<uint64_t>(w) > static_cast<uint64_t>(width) ||
        static_cast<uint64_t>(y) + static_cast<uint64_t>(h) > static_cast<uint64_t>(height))
        return DDERR_INVALIDRECT;

    const ptrdiff_t dstStride = pitch / 2;
    const ptrdiff_t srcStride = src->pitch / 2;
    uint16_t* d = pixels + static_cast<ptrdiff_t>(y) * dstStride + x;
    const uint16_t* s = src->pixels + static_cast<ptrdiff_t>(r.top) * srcStride + r.left;
    const bool keyed = (flags & DDBLTFAST_SRCCOLORKEY) && src->hasSrcKey;
    const uint16_t key = static_cast<uint16_t>(src->srcKey.dwColorSpaceLowValue);

    if (src == this) {
        bool apart = static_cast<LONG>(x) >= r.right || static_cast<LONG>(x) + w <= r.left ||
                     static_cast<LONG>(y) >= r.bottom || static_cast<LONG>(y) + h <= r.top;
        if (!apart) {
            OverlappingCopy(d, s, dstStride, w, h, keyed, key, BlitActiveKernel()->copy);
            return DD_OK;
        }
    }
    if (keyed)
        BlitActiveKernel()->copy(d, dstStride, s, srcStride, w, h, key);
    else
        CopyRows(d, dstStride, s, srcStride, w, h);
    return DD_OK;
}

HRESULT IDirectDrawSurface4::Blt(RECT* destRect, IDirectDrawSurface4* src, RECT* srcRect, DWORD flags, DDBLTFX* fx) {
    if (!(flags & DDBLT_COLORFILL)) return DDERR_UNSUPPORTED;
    if (!fx) return DDERR_INVALIDPARAMS;
    if (!pixels) return DDERR_INVALIDOBJECT;
    if (SurfaceLost(this)) return DDERR_SURFACELOST;
    if (locked) return DDERR_SURFACEBUSY;

    RECT r = destRect ? *destRect : RECT{0, 0, width, height};
    if (!RectInside(r, width, height)) return DDERR_INVALIDRECT;
    const uint16_t colour = static_cast<uint16_t>(fx->dwFillColor);
    const ptrdiff_t stride = pitch / 2;
    for (LONG row = r.top; row < r.bottom; row++) {
        uint16_t* d = pixels + row * stride;
        for (LONG col = r.left; col < r.right; col++) d[col] = colour;
    }
    return DD_OK;
}
