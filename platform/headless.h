// Controls of the headless backend, for tests, the headless runner and
// benchmarks: a virtual clock the caller advances, input the caller posts,
// message boxes recorded, presented frames handed to a hook, injected faults.
#pragma once
#include <cstdint>

#include "platform/fault.h"
#include "platform/win32.h"

extern "C" {

// Puts the whole headless platform back to its start state: empty queue,
// clock 0, no boxes, no faults, no hooks, no window, no display object, no
// sequencer device or request, pointer at (0, 0). Surfaces still held by callers stay valid memory.
void HeadlessReset(void);

// Virtual millisecond clock returned by timeGetTime.
void HeadlessSetTime(DWORD ms);
void HeadlessAdvance(DWORD ms);

// Posts an input message to the window (as the system would).
void HeadlessPost(UINT message, WPARAM wParam, LPARAM lParam);
// Messages waiting, a posted quit included.
int HeadlessQueueLength(void);

// Message boxes, in the order they were shown; each answered OK at once.
int HeadlessBoxCount(void);
const char* HeadlessBoxCaption(int index);
const char* HeadlessBoxText(int index);

// Called by PeekMessageA when it finds the queue empty (then it looks again)
// and by WaitMessage until a message is queued. Without a hook WaitMessage
// returns at once.
typedef void (*HeadlessIdleHook)(void* user);
void HeadlessSetIdleHook(HeadlessIdleHook hook, void* user);

// Called with every presented frame (after a successful flip): the picture
// the display now shows, width x height RGB565 pixels, pitch bytes per row.
typedef void (*HeadlessPresentHook)(const uint16_t* pixels, int width, int height, int pitch, void* user);
void HeadlessSetPresentHook(HeadlessPresentHook hook, void* user);
long HeadlessFramesPresented(void);

// Called each time a flip finds the display still drawing, before it says
// so: a real flip spends that time waiting for the display.
typedef void (*HeadlessStallHook)(void* user);
void HeadlessSetStallHook(HeadlessStallHook hook, void* user);

// Every fault the platform library can inject, one record: each call that
// can fail checks its fault (platform/fault.h), e.g.
// HeadlessGetFaults()->lock = FailNext(1). HeadlessReset clears them all.
struct HeadlessFaults {
    Fault createWindow;         // CreateWindowExA returns null
    Fault directDrawCreate;     // DirectDrawCreate fails
    Fault queryInterface;       // IDirectDraw::QueryInterface fails
    Fault cooperativeLevel;     // SetCooperativeLevel fails
    Fault setDisplayMode;       // IDirectDraw4::SetDisplayMode fails
    Fault createPrimary;        // CreateSurface of a primary fails
    Fault getAttached;          // GetAttachedSurface fails
    Fault createOffscreen;      // CreateSurface of an off-screen surface fails
    Fault createOffscreenNull;  // ... reports success but leaves no surface
    Fault lock;                 // Lock fails
    Fault flipStillDrawing;     // Flip returns DDERR_WASSTILLDRAWING
    Fault flipLost;             // Flip returns DDERR_SURFACELOST (surface lost)
    Fault restore;              // Restore fails
    Fault mciOpen;              // MCI_OPEN fails
    Fault loadLibrary;          // LoadLibraryA fails
    Fault createCompatibleDC;   // CreateCompatibleDC returns null
    Fault surfaceGetDC;         // IDirectDrawSurface4::GetDC fails
};
HeadlessFaults* HeadlessGetFaults(void);

// What the headless sequencer was asked to do, for tests: every MCI_OPEN
// request (failed ones too) and the element it named; every MCI_PLAY sent to
// an open device.
int HeadlessMciOpenCount(void);
int HeadlessMciPlayCount(void);
const char* HeadlessMciLastElement(void);

// The pointer position that mouse_event and posted moves leave behind.
POINT HeadlessCursor(void);

// 1 while the pointer is shown, 0 after SetCursor(NULL) hid it.
int HeadlessCursorVisible(void);

}  // extern "C"
