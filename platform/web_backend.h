// Internal to the platform library (the emscripten build): the bitmap decoder
// of the browser backend, which the headless backend shares there, having no
// SDL to decode with.
#pragma once
#include <cstdint>

// The pixels that the page's own image decoder made of exactly the bytes of
// the file at path (see web_preload.js): width x height, 0x00RRGGBB, top row
// first, allocated with malloc; null when the page decoded no such file.
uint32_t* WebDecodeBitmap(const char* path, int* width, int* height);
