// The image store, the scene renderer and the pixel services: the engine
// services of the Prog record other than SetDisplayMode and Report.
#pragma once
#include "interface/prog.h"
#include "platform/winapi.h"

Image* AddImage(const char* path, int mode, int width, int height);
void FreeImages();  // exit clean-up: frees every Image and ImageSurface of prog.images

int RenderFrame();
int DrawTileMap(TileMap* map);
int DrawSprite(Sprite* sprite);

int FillSurface(int red, int green, int blue, ImageSurface* holder, PixelFormat* format);
int LockSurface(ImageSurface* holder);
int UnlockSurface(ImageSurface* holder);
int PutPixel(int column, int row, int red, int green, int blue, DDSURFACEDESC2* locked, PixelFormat* format);
int GetPixelFormat(IDirectDrawSurface4* surface, PixelFormat* format);
