// Stand-in for the DirectDraw subset the engine uses: a display object, a
// primary surface with one attached back buffer (the flip chain), off-screen
// surfaces, colour keys, rectangle copies, locks and flips. Surfaces are plain
// RGB565 memory owned by the platform; methods are plain member functions.
#pragma once
#include <cstdint>

#include "platform/win32.h"

extern "C" {

typedef LONG HRESULT;
struct IUnknown;

struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};
typedef const GUID& REFIID;
extern const GUID IID_IDirectDraw4;  // {9C59509A-39BD-11D1-8C4A-00C04FD930C5}

#define DD_OK 0
#define DDERR_GENERIC ((HRESULT)0x80004005)
#define DDERR_INVALIDPARAMS ((HRESULT)0x80070057)
#define DDERR_OUTOFMEMORY ((HRESULT)0x8007000E)
#define DDERR_NOINTERFACE ((HRESULT)0x80004002)
#define DDERR_INVALIDRECT ((HRESULT)0x88760096)
#define DDERR_INVALIDMODE ((HRESULT)0x88760078)
#define DDERR_INVALIDOBJECT ((HRESULT)0x88760082)
#define DDERR_NOTFOUND ((HRESULT)0x887600FF)
#define DDERR_NOTFLIPPABLE ((HRESULT)0x88760246)
#define DDERR_NOTLOCKED ((HRESULT)0x887602AC)
#define DDERR_SURFACEBUSY ((HRESULT)0x887601AE)
#define DDERR_SURFACELOST ((HRESULT)0x887601C2)
#define DDERR_WASSTILLDRAWING ((HRESULT)0x8876021C)
#define DDERR_CANTCREATEDC ((HRESULT)0x88760245)
#define DDERR_NODC ((HRESULT)0x8876024B)
#define DDERR_UNSUPPORTED ((HRESULT)0x80004001)

// Cooperative level.
#define DDSCL_FULLSCREEN 0x00000001
#define DDSCL_EXCLUSIVE 0x00000010

// Surface description flags.
#define DDSD_CAPS 0x00000001
#define DDSD_HEIGHT 0x00000002
#define DDSD_WIDTH 0x00000004
#define DDSD_PITCH 0x00000008
#define DDSD_BACKBUFFERCOUNT 0x00000020
#define DDSD_LPSURFACE 0x00000800
#define DDSD_PIXELFORMAT 0x00001000

// Surface capabilities.
#define DDSCAPS_BACKBUFFER 0x00000004
#define DDSCAPS_COMPLEX 0x00000008
#define DDSCAPS_FLIP 0x00000010
#define DDSCAPS_FRONTBUFFER 0x00000020
#define DDSCAPS_OFFSCREENPLAIN 0x00000040
#define DDSCAPS_PRIMARYSURFACE 0x00000200

// Locks.
#define DDLOCK_WAIT 0x00000001
#define DDLOCK_READONLY 0x00000010
#define DDLOCK_NOSYSLOCK 0x00000800

// Colour keys.
#define DDCKEY_SRCBLT 0x00000008

// Blits.
#define DDBLTFAST_SRCCOLORKEY 0x00000001
#define DDBLTFAST_WAIT 0x00000010
#define DDBLT_COLORFILL 0x00000400
#define DDBLT_WAIT 0x01000000

// Pixel format flags.
#define DDPF_RGB 0x00000040

struct DDCOLORKEY {
    DWORD dwColorSpaceLowValue;
    DWORD dwColorSpaceHighValue;
};

struct DDPIXELFORMAT {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwFourCC;
    DWORD dwRGBBitCount;
    DWORD dwRBitMask;
    DWORD dwGBitMask;
    DWORD dwBBitMask;
    DWORD dwRGBAlphaBitMask;
};

struct DDSCAPS2 {
    DWORD dwCaps;
    DWORD dwCaps2;
    DWORD dwCaps3;
    DWORD dwCaps4;
};

// 124 bytes where pointers are 32 bits; here dwSize is sizeof(DDSURFACEDESC2).
typedef struct _DDSURFACEDESC2 {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwHeight;
    DWORD dwWidth;
    LONG lPitch;
    DWORD dwBackBufferCount;
    DWORD dwMipMapCount;
    DWORD dwAlphaBitDepth;
    DWORD dwReserved;
    LPVOID lpSurface;
    DDCOLORKEY ddckCKDestOverlay;
    DDCOLORKEY ddckCKDestBlt;
    DDCOLORKEY ddckCKSrcOverlay;
    DDCOLORKEY ddckCKSrcBlt;
    DDPIXELFORMAT ddpfPixelFormat;
    DDSCAPS2 ddsCaps;
    DWORD dwTextureStage;
} DDSURFACEDESC2;

struct DDBLTFX {
    DWORD dwSize;
    DWORD dwDDFX;
    DWORD dwROP;
    DWORD dwDDROP;
    DWORD dwRotationAngle;
    DWORD dwZBufferOpCode;
    DWORD dwZBufferLow;
    DWORD dwZBufferHigh;
    DWORD dwZBufferBaseDest;
    DWORD dwZDestConstBitDepth;
    DWORD dwZDestConst;
    DWORD dwZSrcConstBitDepth;
    DWORD dwZSrcConst;
    DWORD dwAlphaEdgeBlendBitDepth;
    DWORD dwAlphaEdgeBlend;
    DWORD dwReserved;
    DWORD dwAlphaDestConstBitDepth;
    DWORD dwAlphaDestConst;
    DWORD dwAlphaSrcConstBitDepth;
    DWORD dwAlphaSrcConst;
    DWORD dwFillColor;
    DDCOLORKEY ddckDestColorkey;
    DDCOLORKEY ddckSrcColorkey;
};

// A surface: width x height RGB565 pixels, rows pitch bytes apart.
struct IDirectDrawSurface4 {
    uint16_t* pixels;  // owned by the platform
    int width;
    int height;
    int pitch;          // bytes per row
    DWORD caps;         // DDSCAPS_* it was created with
    DDCOLORKEY srcKey;  // source colour key, valid when hasSrcKey
    int hasSrcKey;
    int locked;                     // nonzero between Lock and Unlock
    int lost;                       // a lost primary must be restored before it flips
    int dcOut;                      // nonzero between GetDC and ReleaseDC
    IDirectDrawSurface4* attached;  // the back buffer of a primary, else null
    IDirectDrawSurface4* owner;     // the primary a back buffer belongs to

    HRESULT GetAttachedSurface(DDSCAPS2* caps, IDirectDrawSurface4** out);
    HRESULT Flip(IDirectDrawSurface4* overrideSurface, DWORD flags);
    HRESULT Restore();
    // Copies srcRect of src to (x, y). With DDBLTFAST_SRCCOLORKEY, source pixels
    // equal to src's colour key are skipped. Refuses (DDERR_INVALIDRECT) a
    // rectangle that is inverted or does not fit the source or this surface;
    // never touches memory outside either surface.
    HRESULT BltFast(DWORD x, DWORD y, IDirectDrawSurface4* src, RECT* srcRect, DWORD flags);
    // Only DDBLT_COLORFILL (with or without DDBLT_WAIT) is provided.
    HRESULT Blt(RECT* destRect, IDirectDrawSurface4* src, RECT* srcRect, DWORD flags, DDBLTFX* fx);
    HRESULT Lock(RECT* rect, DDSURFACEDESC2* desc, DWORD flags, HANDLE event);
    HRESULT Unlock(RECT* rect);
    HRESULT GetDC(HDC* dc);
    HRESULT ReleaseDC(HDC dc);
    HRESULT SetColorKey(DWORD flags, DDCOLORKEY* key);
    HRESULT GetSurfaceDesc(DDSURFACEDESC2* desc);
    ULONG Release();
};

struct IDirectDraw4 {
    HWND window;  // set by SetCooperativeLevel
    DWORD cooperativeFlags;
    int modeWidth, modeHeight, modeBits;  // 0 until SetDisplayMode
    IDirectDrawSurface4* primary;         // the primary of the current mode

    HRESULT SetCooperativeLevel(HWND window, DWORD flags);
    HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel, DWORD refreshRate, DWORD flags);
    HRESULT CreateSurface(DDSURFACEDESC2* desc, IDirectDrawSurface4** out, IUnknown* outer);
    ULONG Release();
};

struct IDirectDraw {
    HRESULT QueryInterface(REFIID iid, LPVOID* out);
    ULONG Release();
};

HRESULT DirectDrawCreate(GUID* driver, IDirectDraw** out, IUnknown* outer);

}  // extern "C"
