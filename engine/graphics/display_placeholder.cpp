// Placeholder display until the display device lands.
#include "engine/graphics/display.h"

IDirectDraw4* directDraw = nullptr;
IDirectDrawSurface4* primarySurface = nullptr;
IDirectDrawSurface4* backBuffer = nullptr;
int screenWidth = 0;
int screenHeight = 0;
int screenBits = 0;
int InitDisplayDevice() { return 0; }
int SetDisplayMode(int, int, int) { return 0; }
void Present() {}
void ResetDisplayForTests() {}
