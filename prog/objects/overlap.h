// The one collision test: does a corner of either box lie inside the other?
#pragma once
#include <cstdint>

#include "interface/scene.h"

int PointInBox(int32_t px, int32_t py, int32_t bx, int32_t by, int32_t bw, int32_t bh);
int BoxesOverlap(const void* a, const void* b);  // both start with a Sprite
