// Internal to the platform library: the one shared state record behind the
// stand-in (queue, window, pointer, clock, faults, display objects) and the
// routines the source files of the library call in each other. Not for the
// engine or the game.
#pragma once
#include <cstdint>
#include <deque>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/backend.h"
#include "platform/ddraw.h"
#include "platform/headless.h"
#include "platform/mmsystem.h"
#include "platform/win32.h"

// The picture the engine draws and the coordinates of every pointer message.
constexpr int kPictureWidth = 1024;
constexpr int kPictureHeight = 768;

struct MciDevice {
    MCIDEVICEID id;
    std::string element;
    void* music;  // Mix_Music* on the SDL backend, else null
};

struct PlatformState {
    PlatformBackend backend = PLATFORM_HEADLESS;
    bool sdlReady = false;  // SDL video is up on an acceptable driver

    // The message queue of the one thread.
    std::deque<MSG> queue;

    // The window class and the single window.
    bool classRegistered = false;
    std::string className;
    WNDPROC windowProc = nullptr;
    bool windowExists = false;
    bool windowShown = false;
    HWND focus = nullptr;

    // Pointer and cursor.
    POINT cursor = {0, 0};
    HCURSOR currentCursor = nullptr;
    bool cursorVisible = true;

    // Headless clock, boxes, hooks, frames, faults.
    DWORD clock = 0;
    std::vector<std::string> boxCaptions;
    std::vector<std::string> boxTexts;
    HeadlessIdleHook idleHook = nullptr;
    void* idleUser = nullptr;
    HeadlessPresentHook presentHook = nullptr;
    void* presentUser = nullptr;
    HeadlessStallHook stallHook = nullptr;
    void* stallUser = nullptr;
    long framesPresented = 0;
    HeadlessFaults faults = {};

    // Sequencer.
    std::vector<MciDevice> mciDevices;
    MCIDEVICEID nextMciId = 1;
    int mciOpenCount = 0;
    int mciPlayCount = 0;
    std::string mciLastElement;

    // Display objects and surfaces handed out and not yet released. Kept here
    // so that Release can tell a live object from a stale pointer.
    IDirectDraw4* display = nullptr;  // the display object of the current session
    std::unordered_set<IDirectDraw*> drawObjects;
    std::unordered_set<IDirectDraw4*> displays;
    std::unordered_set<IDirectDrawSurface4*> surfaces;

    // Folder LoadLibraryA looks in; empty means the program's own folder.
    std::string moduleDirOverride;
};

extern PlatformState platform;

// The window handle of the single window (a fixed non-null token).
HWND PlatformWindowHandle();

// True when an injected fault fires now; counts a positive counter down.
bool FaultFires(int& counter);

// Queues a message for the window, coalescing pointer moves: at most one
// WM_MOUSEMOVE waits, carrying the latest position.
void PlatformPost(UINT message, WPARAM wParam, LPARAM lParam);

// Calls the window procedure at once, as a sent message.
LRESULT PlatformSend(UINT message, WPARAM wParam, LPARAM lParam);

// lParam of a pointer message for a position in picture coordinates.
inline LPARAM PointerParam(LONG x, LONG y) { return (LPARAM)(((uint32_t)(y & 0xFFFF) << 16) | (uint32_t)(x & 0xFFFF)); }

// Frees the display objects' bookkeeping of the current session (not the
// memory of objects still held by callers) and the sequencer devices.
void DisplayReset();
void MciReset();
void MciShutdown();  // stops the music and closes audio at process exit

// SDL backend (sdl_backend.cpp).
bool SdlStart();  // video up on an acceptable driver
void SdlStop();   // window and video down again
bool SdlCreateWindow(const char* title);
void SdlDestroyWindow();
void SdlShowWindow();
void SdlRaiseWindow();
void SdlPump(bool wait);  // translate pending events; wait for one first if asked
void SdlPresent(const uint16_t* pixels, int width, int height, int pitch);
void SdlWarpPointer(int x, int y);
void SdlShowCursor(bool visible);
void SdlMessageBox(const char* caption, const char* text);
bool SdlDesktopSize(int* width, int* height);
