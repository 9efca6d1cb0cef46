// Internal to the platform library: the record of routines through which the
// shared part of the stand-in (messages, window, display, sequencer) reaches
// the backend chosen at start-up. Each backend fills one in its own file and
// keeps its own state there; adding a backend is one more such file and one
// more entry in the array of state.cpp.
#pragma once
#include <cstdint>

#include "platform/mmsystem.h"
#include "platform/win32.h"

struct PlatformBackendOps {
    // Brings the backend up (again); false when it cannot run, e.g. without a
    // display. Stop takes it down when another backend is selected.
    bool (*start)(void);
    void (*stop)(void);

    // The single window: made (false when it cannot be), destroyed, shown,
    // brought to the front.
    bool (*createWindow)(const char* title);
    void (*destroyWindow)(void);
    void (*showWindow)(void);
    void (*raiseWindow)(void);

    // Posts the input the system already holds, never waiting; called before
    // every look at the queue.
    void (*poll)(void);
    // Nothing wanted waits: lets time pass. Without block, one step that never
    // waits; with it, until input may have arrived. False when nothing can
    // ever arrive.
    bool (*idle)(bool block);

    // Shows a flipped frame: width x height RGB565 pixels, rows pitch bytes apart.
    void (*present)(const uint16_t* pixels, int width, int height, int pitch);
    // A flip found the display still drawing: the time a real flip waits.
    void (*stall)(void);

    // Moves the pointer to a picture position (already clamped and recorded);
    // its WM_MOUSEMOVE comes back as a real system sends it.
    void (*movePointer)(int x, int y);
    void (*showCursor)(bool visible);
    // A message box (already printed to standard error), answered OK.
    void (*messageBox)(const char* caption, const char* text);
    // The desktop's size in pixels; false when there is none to ask.
    bool (*desktopSize)(int* width, int* height);
    // The millisecond clock of timeGetTime.
    DWORD (*clock)(void);

    // The MIDI sequencer. Every MCI_OPEN request is told first (failed ones
    // too, element "" when none was named); a file whose header was checked is
    // then opened into *music (an error code on failure), played once from the
    // start (false when it cannot be) and freed.
    void (*musicAsked)(const char* element);
    MCIERROR (*musicOpen)(const char* path, void** music);
    bool (*musicPlay)(void* music);
    void (*musicFree)(void* music);

    // Decodes a bitmap file whose header gdi.cpp has checked into width x
    // height pixels 0x00RRGGBB, top row first, allocated with malloc; null
    // when the file cannot be decoded.
    uint32_t* (*decodeBitmap)(const char* path, int* width, int* height);
};

extern const PlatformBackendOps sdlBackend;       // sdl_backend.cpp
extern const PlatformBackendOps headlessBackend;  // headless.cpp
extern const PlatformBackendOps webBackend;       // web_backend.cpp (emscripten only)
