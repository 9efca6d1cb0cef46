// The display object and its surfaces: plain RGB565 memory, a primary with
// one attached back buffer that flips by swapping pixel buffers, off-screen
// surfaces, locks, colour keys and lost-surface recovery.
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/platform_state.h"
#include "platform/rect_inside.h"

extern "C" const GUID IID_IDirectDraw4 = {0x9C59509A, 0x39BD, 0x11D1, {0x8C, 0x4A, 0x00, 0xC0, 0x4F, 0xD9, 0x30, 0xC5}};

namespace {

constexpr int kMaxSurfaceSide = 16384;
constexpr size_t kRowAlignment = 64;  // rows and buffers start on a 64-byte boundary

bool SameGuid(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }

// A zero-filled surface of width x height, or null when memory runs out.
IDirectDrawSurface4* NewSurface(int width, int height, DWORD caps) {
    IDirectDrawSurface4* surface = new (std::nothrow) IDirectDrawSurface4{};
    if (!surface) return nullptr;
    size_t pitch = ((size_t)width * 2 + kRowAlignment - 1) & ~(kRowAlignment - 1);
    size_t bytes = pitch * (size_t)height;
    void* pixels = nullptr;
    if (posix_memalign(&pixels, kRowAlignment, bytes) != 0 || !pixels) {
        delete surface;
        return nullptr;
    }
    std::memset(pixels, 0, bytes);
    surface->pixels = static_cast<uint16_t*>(pixels);
    surface->width = width;
    surface->height = height;
    surface->pitch = (int)pitch;
    surface->caps = caps;
    platform.surfaces.insert(surface);
    return surface;
}

void FreeSurface(IDirectDrawSurface4* surface) {
    platform.surfaces.erase(surface);
    for (IDirectDraw4* display : platform.displays) {
        if (display->primary == surface) display->primary = nullptr;
    }
    std::free(surface->pixels);
    delete surface;
}

void Describe(const IDirectDrawSurface4* surface, DDSURFACEDESC2* desc, void* firstPixel) {
    DWORD size = desc->dwSize;
    std::memset(desc, 0, sizeof *desc);
    desc->dwSize = size;
    desc->dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_LPSURFACE | DDSD_PIXELFORMAT;
    desc->dwWidth = (DWORD)surface->width;
    desc->dwHeight = (DWORD)surface->height;
    desc->lPitch = surface->pitch;
    desc->lpSurface = firstPixel;
    desc->ddsCaps.dwCaps = surface->caps;
    if (surface->hasSrcKey) desc->ddckCKSrcBlt = surface->srcKey;
    desc->ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
    desc->ddpfPixelFormat.dwFlags = DDPF_RGB;
    desc->ddpfPixelFormat.dwRGBBitCount = 16;
    desc->ddpfPixelFormat.dwRBitMask = 0xF800;
    desc->ddpfPixelFormat.dwGBitMask = 0x07E0;
    desc->ddpfPixelFormat.dwBBitMask = 0x001F;
}

HRESULT CreatePrimary(IDirectDraw4* display, const DDSURFACEDESC2* desc, IDirectDrawSurface4** out) {
    const DWORD chain = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    if (FaultFires(&platform.faults.createPrimary)) return DDERR_GENERIC;
    if ((desc->ddsCaps.dwCaps & chain) != chain || !(desc->dwFlags & DDSD_BACKBUFFERCOUNT) ||
        desc->dwBackBufferCount != 1) {
        return DDERR_INVALIDPARAMS;  // only the flip chain with one back buffer is offered
    }
    if (display->modeWidth <= 0 || display->modeHeight <= 0) return DDERR_INVALIDPARAMS;
    IDirectDrawSurface4* front = NewSurface(display->modeWidth, display->modeHeight, chain | DDSCAPS_FRONTBUFFER);
    IDirectDrawSurface4* back =
        front ? NewSurface(display->modeWidth, display->modeHeight, DDSCAPS_BACKBUFFER | DDSCAPS_FLIP | DDSCAPS_COMPLEX)
              : nullptr;
    if (!back) {
        if (front) FreeSurface(front);
        return DDERR_OUTOFMEMORY;
    }
    front->attached = back;
    back->owner = front;
    display->primary = front;
    *out = front;
    return DD_OK;
}

HRESULT CreateOffscreen(const DDSURFACEDESC2* desc, IDirectDrawSurface4** out) {
    if (FaultFires(&platform.faults.createOffscreen)) return DDERR_OUTOFMEMORY;
    if (FaultFires(&platform.faults.createOffscreenNull)) return DD_OK;  // a driver that says yes and gives nothing
    if ((desc->dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT)) return DDERR_INVALIDPARAMS;
    if (desc->dwWidth < 1 || desc->dwWidth > kMaxSurfaceSide || desc->dwHeight < 1 ||
        desc->dwHeight > kMaxSurfaceSide) {
        return DDERR_INVALIDPARAMS;
    }
    IDirectDrawSurface4* surface = NewSurface((int)desc->dwWidth, (int)desc->dwHeight, DDSCAPS_OFFSCREENPLAIN);
    if (!surface) return DDERR_OUTOFMEMORY;
    *out = surface;
    return DD_OK;
}

}  // namespace

void DisplayReset() { platform.display = nullptr; }

extern "C" HRESULT DirectDrawCreate(GUID* driver, IDirectDraw** out, IUnknown* outer) {
    if (!out) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (driver || outer) return DDERR_INVALIDPARAMS;  // only the default display
    if (FaultFires(&platform.faults.directDrawCreate)) return DDERR_GENERIC;
    IDirectDraw* object = new (std::nothrow) IDirectDraw{};
    if (!object) return DDERR_OUTOFMEMORY;
    platform.drawObjects.insert(object);
    *out = object;
    return DD_OK;
}

HRESULT IDirectDraw::QueryInterface(REFIID iid, LPVOID* out) {
    if (!out) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (FaultFires(&platform.faults.queryInterface)) return DDERR_GENERIC;
    if (!SameGuid(iid, IID_IDirectDraw4)) return DDERR_NOINTERFACE;
    IDirectDraw4* display = new (std::nothrow) IDirectDraw4{};
    if (!display) return DDERR_OUTOFMEMORY;
    platform.displays.insert(display);
    platform.display = display;
    *out = display;
    return DD_OK;
}

ULONG IDirectDraw::Release() {
    if (platform.drawObjects.erase(this) == 0) return 0;
    delete this;
    return 0;
}

HRESULT IDirectDraw4::SetCooperativeLevel(HWND hwnd, DWORD flags) {
    if (FaultFires(&platform.faults.cooperativeLevel)) return DDERR_GENERIC;
    if ((flags & DDSCL_EXCLUSIVE) && !hwnd) return DDERR_INVALIDPARAMS;
    window = hwnd;
    cooperativeFlags = flags;
    return DD_OK;
}

HRESULT IDirectDraw4::SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel, DWORD refreshRate, DWORD flags) {
    if (FaultFires(&platform.faults.setDisplayMode)) return DDERR_GENERIC;
    if (bitsPerPixel != 16) return DDERR_INVALIDMODE;
    if (width < 1 || height < 1 || width > kMaxSurfaceSide || height > kMaxSurfaceSide) return DDERR_INVALIDMODE;
    modeWidth = (int)width;
    modeHeight = (int)height;
    modeBits = (int)bitsPerPixel;
    return DD_OK;
}

HRESULT IDirectDraw4::CreateSurface(DDSURFACEDESC2* desc, IDirectDrawSurface4** out, IUnknown* outer) {
    if (!desc || !out) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (outer || !(desc->dwFlags & DDSD_CAPS)) return DDERR_INVALIDPARAMS;
    if (desc->ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE) return CreatePrimary(this, desc, out);
    if (desc->ddsCaps.dwCaps & DDSCAPS_OFFSCREENPLAIN) return CreateOffscreen(desc, out);
    return DDERR_INVALIDPARAMS;
}

ULONG IDirectDraw4::Release() {
    if (platform.displays.erase(this) == 0) return 0;
    if (platform.display == this) platform.display = nullptr;
    delete this;  // its surfaces stay valid until released themselves
    return 0;
}

HRESULT IDirectDrawSurface4::GetAttachedSurface(DDSCAPS2* wanted, IDirectDrawSurface4** out) {
    if (!wanted || !out) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (FaultFires(&platform.faults.getAttached)) return DDERR_NOTFOUND;
    if (!(wanted->dwCaps & DDSCAPS_BACKBUFFER) || !attached) return DDERR_NOTFOUND;
    *out = attached;
    return DD_OK;
}

HRESULT IDirectDrawSurface4::Flip(IDirectDrawSurface4* overrideSurface, DWORD flags) {
    if (!(caps & DDSCAPS_PRIMARYSURFACE) || !attached) return DDERR_NOTFLIPPABLE;
    if (overrideSurface && overrideSurface != attached) return DDERR_INVALIDPARAMS;
    if (FaultFires(&platform.faults.flipStillDrawing)) {
        platform.ops->stall();
        return DDERR_WASSTILLDRAWING;
    }
    if (FaultFires(&platform.faults.flipLost)) {
        lost = 1;
        attached->lost = 1;
    }
    if (lost) return DDERR_SURFACELOST;
    // Swapping buffers under a caller that holds a pointer into one of them
    // would move its drawing to the wrong side of the chain.
    if (locked || dcOut || attached->locked || attached->dcOut) return DDERR_SURFACEBUSY;
    uint16_t* shown = attached->pixels;
    attached->pixels = pixels;
    pixels = shown;
    platform.ops->present(pixels, width, height, pitch);
    return DD_OK;
}

HRESULT IDirectDrawSurface4::Restore() {
    if (FaultFires(&platform.faults.restore)) return DDERR_GENERIC;
    lost = 0;
    if (attached) attached->lost = 0;
    return DD_OK;
}

HRESULT IDirectDrawSurface4::Lock(RECT* rect, DDSURFACEDESC2* desc, DWORD flags, HANDLE event) {
    if (!desc) return DDERR_INVALIDPARAMS;
    if (FaultFires(&platform.faults.lock)) return DDERR_GENERIC;
    if (lost) return DDERR_SURFACELOST;
    if (locked || dcOut) return DDERR_SURFACEBUSY;
    uint8_t* first = reinterpret_cast<uint8_t*>(pixels);
    if (rect) {
        if (!RectInside(*rect, width, height)) return DDERR_INVALIDRECT;
        first += (size_t)rect->top * (size_t)pitch + (size_t)rect->left * 2;
    }
    Describe(this, desc, first);
    locked = 1;
    return DD_OK;
}

HRESULT IDirectDrawSurface4::Unlock(RECT* rect) {
    if (!locked) return DDERR_NOTLOCKED;
    locked = 0;
    return DD_OK;
}

HRESULT IDirectDrawSurface4::SetColorKey(DWORD flags, DDCOLORKEY* key) {
    if (flags != DDCKEY_SRCBLT) return DDERR_INVALIDPARAMS;
    if (key) {
        srcKey = *key;
        hasSrcKey = 1;
    } else {
        srcKey = DDCOLORKEY{0, 0};  // no key given: the colour key is removed
        hasSrcKey = 0;
    }
    return DD_OK;
}

HRESULT IDirectDrawSurface4::GetSurfaceDesc(DDSURFACEDESC2* desc) {
    if (!desc) return DDERR_INVALIDPARAMS;
    Describe(this, desc, pixels);
    return DD_OK;
}

ULONG IDirectDrawSurface4::Release() {
    if (platform.surfaces.count(this) == 0) return 0;  // already released
    // A back buffer belongs to its primary and goes when the primary goes.
    if (owner && platform.surfaces.count(owner)) return 1;
    if (attached && platform.surfaces.count(attached)) FreeSurface(attached);
    FreeSurface(this);
    return 0;
}
