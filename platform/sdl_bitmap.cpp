// Bitmap files decoded by SDL's BMP loader and converted to 32-bit XRGB.
#include "platform/sdl_bitmap.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>

uint32_t* SdlDecodeBitmap(const char* path, int* width, int* height) {
    SDL_RWops* rw = SDL_RWFromFile(path, "rb");
    if (!rw) return nullptr;
    SDL_Surface* decoded = SDL_LoadBMP_RW(rw, 1);
    if (!decoded) return nullptr;
    SDL_Surface* rgb = SDL_ConvertSurfaceFormat(decoded, SDL_PIXELFORMAT_XRGB8888, 0);
    SDL_FreeSurface(decoded);
    if (!rgb) return nullptr;

    uint32_t* pixels = static_cast<uint32_t*>(std::malloc(static_cast<size_t>(rgb->w) * rgb->h * 4));
    if (!pixels) {
        SDL_FreeSurface(rgb);
        return nullptr;
    }
    SDL_LockSurface(rgb);
    for (int y = 0; y < rgb->h; y++)
        std::memcpy(pixels + static_cast<size_t>(y) * rgb->w, static_cast<const char*>(rgb->pixels) + y * rgb->pitch,
                    static_cast<size_t>(rgb->w) * 4);
    SDL_UnlockSurface(rgb);
    *width = rgb->w;
    *height = rgb->h;
    SDL_FreeSurface(rgb);
    return pixels;
}
