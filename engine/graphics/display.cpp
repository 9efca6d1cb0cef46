// The display device: the DirectDraw object made at start-up, the flip chain
// made by the SetDisplayMode service, and presentation by flipping.
#include "engine/graphics/display.h"

#include <cstring>

#include "engine/base/session.h"

IDirectDraw4* directDraw = nullptr;
IDirectDrawSurface4* primarySurface = nullptr;
IDirectDrawSurface4* backBuffer = nullptr;
int screenWidth = 0;
int screenHeight = 0;
int screenBits = 0;

// The first interface DirectDrawCreate gives; kept, never released.
static IDirectDraw* firstInterface = nullptr;

int InitDisplayDevice() {
    IDirectDraw* first = nullptr;
    if (DirectDrawCreate(nullptr, &first, nullptr) != DD_OK || !first) return ShowError("DirectDrawCreate failed");
    firstInterface = first;

    IDirectDraw4* device = nullptr;
    if (first->QueryInterface(IID_IDirectDraw4, reinterpret_cast<LPVOID*>(&device)) != DD_OK || !device)
        return ShowError("QueryInterface failed");

    // The object becomes the engine's device only once it is fully set up,
    // so SetDisplayMode after any failure here returns 0 without a message.
    if (device->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN) != DD_OK) {
        device->Release();
        return ShowError("SetCooperativeLevel failed");
    }
    directDraw = device;
    return 1;
}

int SetDisplayMode(int width, int height, int bitsPerPixel) {
    if (!directDraw) return 0;
    if (directDraw->SetDisplayMode(width, height, bitsPerPixel, 0, 0) != DD_OK)
        return ShowError("SetDisplayMode failed");

    DDSURFACEDESC2 desc;
    memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    desc.dwBackBufferCount = 1;
    IDirectDrawSurface4* primary = nullptr;
    if (directDraw->CreateSurface(&desc, &primary, nullptr) != DD_OK || !primary)
        return ShowError("CreateSurface failed");

    DDSCAPS2 caps;
    memset(&caps, 0, sizeof caps);
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    IDirectDrawSurface4* back = nullptr;
    if (primary->GetAttachedSurface(&caps, &back) != DD_OK || !back) {
        primary->Release();
        return ShowError("GetAttachedSurface failed");
    }

    // A later mode replaces the earlier chain, which nothing draws to any more.
    if (primarySurface) primarySurface->Release();
    primarySurface = primary;
    backBuffer = back;
    screenBits = bitsPerPixel;
    screenWidth = width;
    screenHeight = height;
    return 1;
}

void Present() {
    for (;;) {
        if (!primarySurface) return;
        HRESULT result = primarySurface->Flip(nullptr, 0);
        if (result == DD_OK) return;
        if (result == DDERR_SURFACELOST) {
            // Restored once; the frame itself is dropped.
            result = primarySurface->Restore();
            if (result != DD_OK) {
                ShowError("Tried to restore primary surface and failed.");
                NotifyShutdown();
            }
        }
        if (result != DDERR_WASSTILLDRAWING) return;
    }
}

void ResetDisplayForTests() {
    if (primarySurface) primarySurface->Release();
    if (directDraw) directDraw->Release();
    if (firstInterface) firstInterface->Release();
    primarySurface = nullptr;
    backBuffer = nullptr;
    directDraw = nullptr;
    firstInterface = nullptr;
    screenWidth = screenHeight = screenBits = 0;
}
