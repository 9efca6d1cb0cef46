// Placeholder services until the image store, renderer and pixel services land.
#include "engine/graphics/display.h"
#include "engine/graphics/graphics.h"

Image* AddImage(const char*, int, int, int) { return nullptr; }
void FreeImages() {}
int RenderFrame() {
    Present();
    return 1;
}
int DrawTileMap(TileMap*) { return 1; }
int DrawSprite(Sprite*) { return 1; }
int FillSurface(int, int, int, ImageSurface*, PixelFormat*) { return 0; }
int LockSurface(ImageSurface*) { return 0; }
int UnlockSurface(ImageSurface*) { return 0; }
int PutPixel(int, int, int, int, int, DDSURFACEDESC2*, PixelFormat*) { return 0; }
int GetPixelFormat(IDirectDrawSurface4*, PixelFormat*) { return 0; }
