// Direct pixel access for the game module: fill, lock, unlock, write one
// 16-bit pixel, and read a surface's pixel format.
#include <cstring>

#include "engine/graphics/graphics.h"
#include "engine/graphics/image_store.h"

namespace {

// Components are placed unscaled and unmasked; a shift past the word's width
// places nothing.
uint32_t Pack(int red, int green, int blue, const PixelFormat* format) {
    uint32_t r = format->rShift < 32 ? static_cast<uint32_t>(red) << format->rShift : 0;
    uint32_t g = format->gShift < 32 ? static_cast<uint32_t>(green) << format->gShift : 0;
    return r | g | static_cast<uint32_t>(blue);
}

// Set bits among the low sixteen, one test per bit.
uint8_t CountLow16(uint32_t mask) {
    uint8_t n = 0;
    for (uint32_t bit = 1; bit <= 0x8000; bit <<= 1)
        if (mask & bit) n++;
    return n;
}

}  // namespace

int FillSurface(int red, int green, int blue, ImageSurface* holder, PixelFormat* format) {
    if (!format || !holder || !holder->surface) return 0;
    DDBLTFX fx;
    std::memset(&fx, 0, sizeof fx);
    fx.dwSize = sizeof fx;
    fx.dwFillColor = Pack(red, green, blue, format);
    return holder->surface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx) == DD_OK ? 1 : 0;
}

// A failed lock is reported (0) and leaves no address behind, so PutPixel
// cannot write through a stale or missing one.
int LockSurface(ImageSurface* holder) {
    if (!holder) return 0;
    std::memset(&holder->lockDesc, 0, sizeof holder->lockDesc);
    holder->lockDesc.dwSize = sizeof holder->lockDesc;
    if (!holder->surface) return 0;
    if (holder->surface->Lock(nullptr, &holder->lockDesc, DDLOCK_WAIT | DDLOCK_NOSYSLOCK, nullptr) != DD_OK) {
        std::memset(&holder->lockDesc, 0, sizeof holder->lockDesc);
        holder->lockDesc.dwSize = sizeof holder->lockDesc;
        return 0;
    }
    return 1;
}

int UnlockSurface(ImageSurface* holder) {
    if (holder && holder->surface) holder->surface->Unlock(nullptr);
    return 0;
}

// Writes only inside the locked surface: a position outside it is ignored.
int PutPixel(int column, int row, int red, int green, int blue, DDSURFACEDESC2* locked, PixelFormat* format) {
    if (!format || !locked || !locked->lpSurface) return 0;
    if (column < 0 || row < 0 || static_cast<DWORD>(column) >= locked->dwWidth ||
        static_cast<DWORD>(row) >= locked->dwHeight)
        return 0;
    const ptrdiff_t stride = locked->lPitch >> 1;
    uint16_t* pixels = static_cast<uint16_t*>(locked->lpSurface);
    pixels[row * stride + column] = static_cast<uint16_t>(Pack(red, green, blue, format));
    return 0;
}

int GetPixelFormat(IDirectDrawSurface4* surface, PixelFormat* format) {
    DDSURFACEDESC2 desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_PIXELFORMAT;
    if (!surface || !format) return 0;
    if (surface->GetSurfaceDesc(&desc) != DD_OK) return 0;
    format->rMask = desc.ddpfPixelFormat.dwRBitMask;
    format->gMask = desc.ddpfPixelFormat.dwGBitMask;
    format->bMask = desc.ddpfPixelFormat.dwBBitMask;
    const uint8_t blue = CountLow16(format->bMask);
    const uint8_t green = CountLow16(format->gMask);
    format->bShift = 0;
    format->gShift = blue;
    format->rShift = static_cast<uint8_t>(blue + green);
    return 1;
}
