// The one record that joins the engine and the game module, the event codes
// and the two functions the module exports.
#pragma once
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "interface/scene.h"

struct ImageSurface;     // engine-owned surface holder of an Image
struct PixelFormat;      // below
struct _DDSURFACEDESC2;  // DDSURFACEDESC2, the surface description (platform)
struct IDirectDrawSurface4;
struct HWND__;

// Event codes, the values of Prog::event.
enum : uint32_t {
    EV_FRAME = 2000,
    EV_SHUTDOWN = 2001,
    EV_START = 2003,
    EV_KEY_DOWN = 2100,
    EV_KEY_UP = 2101,
    EV_MOUSE_MOVE = 2200,
    EV_LBUTTON_DOWN = 2210,
    EV_LBUTTON_UP = 2211,
    EV_RBUTTON_DOWN = 2220,
    EV_RBUTTON_UP = 2221,
};

// Image modes and kinds of the image store.
constexpr int IMAGE_FROM_FILE = 3101;
constexpr int IMAGE_BLANK = 3102;
constexpr int IMAGE_KIND_FILE = 3001;
constexpr int IMAGE_KIND_BLANK = 3011;

// Pixel layout filled by GetPixelFormat, read by FillSurface and PutPixel.
struct PixelFormat {
    uint32_t rMask;
    uint32_t gMask;
    uint32_t bMask;
    uint8_t bShift;
    uint8_t gShift;
    uint8_t rShift;
};

// Service signatures, declared once for both sides.
typedef int (*SetDisplayModeFn)(int width, int height, int bitsPerPixel);
typedef int (*DrawTileMapFn)(TileMap* map);
typedef Image* (*AddImageFn)(const char* path, int mode, int width, int height);
typedef int (*DrawSpriteFn)(Sprite* sprite);
typedef int (*ReportFn)(const char* text);
typedef int (*FillSurfaceFn)(int red, int green, int blue, ImageSurface* holder, PixelFormat* format);
typedef int (*LockSurfaceFn)(ImageSurface* holder);
typedef int (*UnlockSurfaceFn)(ImageSurface* holder);
typedef int (*PutPixelFn)(int column, int row, int red, int green, int blue, _DDSURFACEDESC2* locked,
                          PixelFormat* format);
typedef int (*GetPixelFormatFn)(IDirectDrawSurface4* surface, PixelFormat* format);
typedef int (*RenderFrameFn)();

struct Prog {
    Layer* layers;       // written by the module: first layer of the scene
    Image* images;       // written by the engine: first image of its chain
    uint32_t event;      // code of the event being delivered
    uint8_t key;         // low byte of the last key's virtual-key code
    int32_t mouseX;      // low 16 bits of the last mouse position word
    int32_t mouseY;      // the position word shifted right by 16
    uint32_t moduleTag;  // written by the module
    SetDisplayModeFn SetDisplayMode;
    DrawTileMapFn DrawTileMap;
    AddImageFn AddImage;
    DrawSpriteFn DrawSprite;
    ReportFn Report;
    FillSurfaceFn FillSurface;
    LockSurfaceFn LockSurface;
    UnlockSurfaceFn UnlockSurface;
    PutPixelFn PutPixel;
    GetPixelFormatFn GetPixelFormat;
    RenderFrameFn RenderFrame;
    HWND__** window;  // address of the engine's window handle
};

static_assert(std::is_standard_layout<Prog>::value, "Prog must be standard layout");
// 20, 24 and 32 with the desktop's 8-byte pointers; 12, 16 and 24 in the
// browser's wasm32, whose pointers take 4.
static_assert(offsetof(Prog, key) == 2 * sizeof(void*) + 4 && offsetof(Prog, mouseX) == 2 * sizeof(void*) + 8 &&
                  offsetof(Prog, moduleTag) == 2 * sizeof(void*) + 16,
              "Prog field offsets");

// The two exports of the game module, looked up by these names.
typedef int (*VProgInterfaceFn)(Prog* prog);
typedef int (*VProgProcedureFn)(int elapsedMs);
#define VPROG_INTERFACE_NAME "VProgInterface"
#define VPROG_PROCEDURE_NAME "VProgProcedure"

#if defined(_WIN32)
#define PROG_EXPORT extern "C" __declspec(dllexport)
#define PROG_MODULE_NAME "prog.dll"
#elif defined(__EMSCRIPTEN__)
#define PROG_EXPORT extern "C" __attribute__((visibility("default")))
#define PROG_MODULE_NAME "prog.wasm"
#else
#define PROG_EXPORT extern "C" __attribute__((visibility("default")))
#define PROG_MODULE_NAME "prog.so"
#endif

PROG_EXPORT int VProgInterface(Prog* prog);
PROG_EXPORT int VProgProcedure(int elapsedMs);

// Both sides agree on the exported types.
static_assert(std::is_same<decltype(&VProgInterface), VProgInterfaceFn>::value, "VProgInterface type");
static_assert(std::is_same<decltype(&VProgProcedure), VProgProcedureFn>::value, "VProgProcedure type");
