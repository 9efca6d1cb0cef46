// The image store: every picture the engine draws is an Image in the chain
// rooted at prog.images, with an off-screen surface loaded from a bitmap file
// (colour-keyed by its top-left pixel) or left blank.
#pragma once
#include <cstdint>

#include "interface/image.h"
#include "interface/prog.h"
#include "platform/winapi.h"

void ConstructImageSurface(ImageSurface* holder);

// Results of realising an image other than 1 (success) and 0 (failure).
constexpr int IMAGE_NO_SURFACE = -3;
constexpr int IMAGE_BAD_MODE = 3100;

// Loads or creates the surface of an image; 1 on success (see the constants).
int RealiseImage(Image* image, int width, int height);
