// Internal to the platform library: bitmap files decoded by SDL's BMP loader,
// the decodeBitmap routine of the SDL and headless backends' tables.
#pragma once
#include <cstdint>

// Decodes the bitmap file at path (its header already checked by gdi.cpp)
// into width x height pixels 0x00RRGGBB, top row first, allocated with
// malloc; null when the file cannot be decoded.
uint32_t* SdlDecodeBitmap(const char* path, int* width, int* height);
