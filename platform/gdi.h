// Test controls of the GDI part of the platform: how many bitmaps and device
// contexts are alive, and faults to inject into the calls that can fail.
#pragma once

extern "C" {

struct GdiFaults {
    int createCompatibleDC;  // CreateCompatibleDC returns null
    int surfaceGetDC;        // IDirectDrawSurface4::GetDC fails
};
// Counters count down as they fire; -1 means every time; 0 means never.
GdiFaults* GdiGetFaults(void);
void GdiResetFaults(void);

int GdiLiveBitmaps(void);
int GdiLiveDCs(void);

// Largest bitmap LoadImageA accepts, in pixels (width x height); anything
// larger is refused from its header before a byte of pixels is read.
#define GDI_MAX_BITMAP_PIXELS (16 * 1024 * 1024)
#define GDI_MAX_BITMAP_SIDE 32768

}  // extern "C"
