// The browser backend (the emscripten build): its bitmap decoder, internal to
// the platform library, which the headless backend shares there, having no SDL
// to decode with; and its replay controls, for the replay engine (tools/web).
#pragma once
#include <cstdint>

#include "platform/win32.h"

// The pixels that the page's own image decoder made of exactly the bytes of
// the file at path (see web_preload.js): width x height, 0x00RRGGBB, top row
// first, allocated with malloc; null when the page decoded no such file.
uint32_t* WebDecodeBitmap(const char* path, int* width, int* height);

// ---- Replay controls ----
// A driver (the replay engine) runs the page on a virtual clock with its own
// input, as engine-headless runs the headless backend, while every frame is
// still drawn into the page's canvas: timeGetTime returns the virtual clock;
// where the engine finds its queue empty the idle hook runs; every presented
// frame goes to the present hook once the canvas shows it; a flip found still
// drawing calls the stall hook; the page's own input is dropped. Presents and
// idle passes still give the page its turn, but at once: no pacing to the
// display's refresh. Until WebReplayStart nothing of this is in effect.
struct WebReplayHooks {
    void (*idle)(void* user);
    void (*present)(const uint16_t* pixels, int width, int height, int pitch, void* user);
    void (*stall)(void* user);
    void* user;
};

// Replaying from now on, the virtual clock at 0, with these hooks (copied).
void WebReplayStart(const WebReplayHooks* hooks);

// The virtual clock.
void WebReplayAdvance(DWORD ms);

// Posts an input message as the system would; a move also moves the pointer.
void WebReplayPost(UINT message, WPARAM wParam, LPARAM lParam);

// Real time spent since WebReplayStart, in milliseconds: turning frames into
// the canvas's pixels and drawing them (RGB565 to RGBA and putImageData), and
// giving the page its turn.
double WebReplayPresentMs(void);
double WebReplayYieldMs(void);
