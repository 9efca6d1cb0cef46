// The Windows interfaces that the engine and the game call: user32, gdi32,
// kernel32, winmm and DirectDraw. On Windows these are the system's own
// headers; elsewhere they are our stand-in under the same names. Engine and
// game code includes this header and nothing else of platform/ for them.
#pragma once
#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <ddraw.h>
#include <mmsystem.h>
#include <windows.h>
#else
#include "platform/ddraw.h"
#include "platform/mmsystem.h"
#include "platform/win32.h"
#endif
