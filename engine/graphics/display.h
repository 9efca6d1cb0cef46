// The display device: the DirectDraw object, the flip chain and the screen size
// that the renderer clips to.
#pragma once
#include "platform/winapi.h"

extern IDirectDraw4* directDraw;             // null until the device is initialised
extern IDirectDrawSurface4* primarySurface;  // null until SetDisplayMode succeeds
extern IDirectDrawSurface4* backBuffer;
extern int screenWidth;  // clipping bounds, set by a successful SetDisplayMode
extern int screenHeight;
extern int screenBits;

int InitDisplayDevice();                                      // 1, or 0 after a message
int SetDisplayMode(int width, int height, int bitsPerPixel);  // the service
void Present();                                               // flip with retry and restore
void ResetDisplayForTests();
