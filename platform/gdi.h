// Test controls of the GDI part of the platform: how many bitmaps and device
// contexts are alive (its faults are in HeadlessFaults), and its limits.
#pragma once

extern "C" {

int GdiLiveBitmaps(void);
int GdiLiveDCs(void);

// Largest bitmap LoadImageA accepts, in pixels (width x height); anything
// larger is refused from its header before a byte of pixels is read.
#define GDI_MAX_BITMAP_PIXELS (16 * 1024 * 1024)
#define GDI_MAX_BITMAP_SIDE 32768

}  // extern "C"
