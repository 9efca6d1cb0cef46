// The engine's image records, published so that a module can reach the
// surface of an image it made and hand it to the pixel services. The engine
// owns and fills them; a module only reads them.
#pragma once
#include <cstdint>
#include <type_traits>

#include "interface/prog.h"
#include "platform/winapi.h"

struct ImageSurface {
    IDirectDrawSurface4* surface;  // null until created; GetPixelFormat takes it
    DDSURFACEDESC2 lockDesc;       // filled by LockSurface; PutPixel takes its address
    int32_t width;                 // pixels
    int32_t height;
};

struct Image {
    char path[256];        // truncated to 255 characters
    int32_t kind;          // IMAGE_KIND_FILE or IMAGE_KIND_BLANK
    int32_t mode;          // as passed to AddImage
    Image* next;           // next in the chain
    ImageSurface* holder;  // null if its allocation failed
};

static_assert(std::is_standard_layout<Image>::value, "Image must be standard layout");
static_assert(std::is_standard_layout<ImageSurface>::value, "ImageSurface must be standard layout");

// The surface holder of an image, or null for a null image.
inline ImageSurface* ImageHolder(const Image* image) { return image ? image->holder : nullptr; }
