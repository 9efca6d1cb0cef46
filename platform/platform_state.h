// Internal to the platform library: the one shared state record behind the
// stand-in (queue, window, pointer, faults, display objects, devices) and the
// routines the source files of the library call in each other. Not for the
// engine or the game.
#pragma once
#include <cstdint>
#include <deque>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/backend.h"
#include "platform/backend_ops.h"
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
    void* music;  // what the backend opened the file into
};

struct PlatformState {
    const PlatformBackendOps* ops = &headlessBackend;  // the backend selected

    // The message queue of the one thread, and the exit code of a quit that
    // waits until nothing else does.
    std::deque<MSG> queue;
    bool quitPending = false;
    int quitCode = 0;

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

    // Every injectable fault of the library; zeroed by HeadlessReset.
    HeadlessFaults faults = {};

    // Sequencer devices.
    std::vector<MciDevice> mciDevices;
    MCIDEVICEID nextMciId = 1;

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

// Queues a message for the window. A pointer move that follows a move still
// waiting last in the queue replaces it, as Windows does; a move never jumps
// over a click or a key waiting after it.
void PlatformPost(UINT message, WPARAM wParam, LPARAM lParam);

// Queues input as a device brings it: a pointer move first puts the pointer
// where the move says, so that the message's point is the new place.
void PlatformPostInput(UINT message, WPARAM wParam, LPARAM lParam);

// Calls the window procedure at once, as a sent message.
LRESULT PlatformSend(UINT message, WPARAM wParam, LPARAM lParam);

// lParam of a pointer message for a position in picture coordinates.
inline LPARAM PointerParam(LONG x, LONG y) { return (LPARAM)(((uint32_t)(y & 0xFFFF) << 16) | (uint32_t)(x & 0xFFFF)); }

// Drops the display objects' bookkeeping of the current session (not the
// memory of objects still held by callers).
void DisplayReset();
// Frees every sequencer device through the selected backend (the one that
// opened them: selecting another frees them first).
void MciReset();
