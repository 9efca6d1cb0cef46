// AddImage, realising an image from a bitmap file or as a blank surface, and
// the clean-up at exit.
#include "engine/graphics/image_store.h"

#include <cstdlib>
#include <cstring>

#include "engine/base/session.h"
#include "engine/graphics/display.h"
#include "engine/graphics/graphics.h"
#include "platform/winapi.h"

namespace {

void* ImageAlloc(size_t size) { return AllocUnlessFault(&engineFaults.imageStore, size); }

void DescribeOffscreen(DDSURFACEDESC2* desc, int width, int height) {
    std::memset(desc, 0, sizeof *desc);
    desc->dwSize = sizeof *desc;
    desc->dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc->ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    desc->dwWidth = static_cast<DWORD>(width);
    desc->dwHeight = static_cast<DWORD>(height);
}

// Brings a bitmap file into a new colour-keyed surface. The bitmap is deleted
// on every way out, so a failure leaks nothing.
int LoadFromFile(Image* image) {
    if (!directDraw) return 0;
    ImageSurface* holder = image->holder;
    HGDIOBJ bitmap = static_cast<HGDIOBJ>(
        LoadImageA(GetModuleHandleA(nullptr), image->path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (!bitmap) return 0;

    BITMAP bm = {};
    GetObjectA(bitmap, sizeof bm, &bm);
    holder->width = bm.bmWidth;
    holder->height = bm.bmHeight;

    DDSURFACEDESC2 desc;
    DescribeOffscreen(&desc, holder->width, holder->height);
    if (directDraw->CreateSurface(&desc, &holder->surface, nullptr) != DD_OK) {
        DeleteObject(bitmap);
        return 0;
    }
    if (!holder->surface) {
        DeleteObject(bitmap);
        return IMAGE_NO_SURFACE;
    }

    HDC memory = CreateCompatibleDC(nullptr);
    if (!memory) OutputDebugStringA("CreateCompatableDC failed\n");
    SelectObject(memory, bitmap);
    HDC surfaceDC = nullptr;
    HRESULT gotDC = holder->surface->GetDC(&surfaceDC);
    if (gotDC == DD_OK) {
        BitBlt(surfaceDC, 0, 0, holder->width, holder->height, memory, 0, 0, SRCCOPY);
        holder->surface->ReleaseDC(surfaceDC);
    }
    DeleteDC(memory);
    DeleteObject(bitmap);
    if (gotDC != DD_OK) return 0;

    DDSURFACEDESC2 locked;
    std::memset(&locked, 0, sizeof locked);
    locked.dwSize = sizeof locked;
    if (holder->surface->Lock(nullptr, &locked, DDLOCK_READONLY, nullptr) != DD_OK) return 0;

    // The key is the first pixel at the locked address, masked to the
    // surface's depth. Only one pixel's bytes are read, so a one-pixel
    // surface is not read past its end.
    uint32_t bits = locked.ddpfPixelFormat.dwRGBBitCount;
    if (bits == 0) bits = 16;
    uint32_t first = 0;
    if (locked.lpSurface) std::memcpy(&first, locked.lpSurface, bits >= 32 ? 4 : (bits + 7) / 8);
    uint32_t mask = bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1u;
    DDCOLORKEY key = {first & mask, first & mask};
    if (holder->surface->SetColorKey(DDCKEY_SRCBLT, &key) != DD_OK) {
        holder->surface->Unlock(nullptr);
        return 0;
    }
    return holder->surface->Unlock(nullptr) == DD_OK ? 1 : 0;
}

int CreateBlankSurface(Image* image) {
    if (!image || !directDraw) return 0;
    ImageSurface* holder = image->holder;
    DDSURFACEDESC2 desc;
    DescribeOffscreen(&desc, holder->width, holder->height);
    return directDraw->CreateSurface(&desc, &holder->surface, nullptr) == DD_OK && holder->surface ? 1 : 0;
}

}  // namespace

void ConstructImageSurface(ImageSurface* holder) { std::memset(holder, 0, sizeof *holder); }

int RealiseImage(Image* image, int width, int height) {
    if (!image) return 0;
    if (!image->holder) return IMAGE_NO_SURFACE;
    switch (image->mode) {
        case IMAGE_FROM_FILE:
            return LoadFromFile(image);
        case IMAGE_BLANK:
            Report("doing something stupid");
            image->holder->width = width;
            image->holder->height = height;
            return CreateBlankSurface(image);
        default:
            return IMAGE_BAD_MODE;
    }
}

Image* AddImage(const char* path, int mode, int width, int height) {
    ImageSurface* holder = static_cast<ImageSurface*>(ImageAlloc(sizeof(ImageSurface)));
    if (holder) ConstructImageSurface(holder);

    Image* image = static_cast<Image*>(ImageAlloc(sizeof(Image)));
    if (!image) {
        std::free(holder);
        ShowError("No memory to add new image.");
        return nullptr;
    }
    std::memset(image->path, 0, sizeof image->path);
    if (path) std::strncpy(image->path, path, sizeof image->path - 1);
    image->kind = mode == IMAGE_BLANK ? IMAGE_KIND_BLANK : IMAGE_KIND_FILE;
    image->mode = mode;
    image->next = nullptr;
    image->holder = holder;

    if (!prog.images) {
        prog.images = image;
        if (RealiseImage(image, width, height) != 1) {
            Report("Head image could not be loaded and/or found");
            return nullptr;
        }
        return image;
    }
    Image* last = prog.images;
    while (last->next) last = last->next;
    last->next = image;
    if (RealiseImage(image, width, height) != 1) {
        ShowError("Image could not be loaded and/or found");
        return nullptr;
    }
    return image;
}

void FreeImages() {
    Image* image = prog.images;
    prog.images = nullptr;
    while (image) {
        Image* next = image->next;
        if (image->holder) {
            if (image->holder->surface) image->holder->surface->Release();
            std::free(image->holder);
        }
        std::free(image);
        image = next;
    }
}
