// Internal to the platform library: the one check of a rectangle that a
// surface call is given against the area it must lie in.
#pragma once
#include "platform/win32.h"

// True when r holds at least one pixel and lies inside a width x height area.
inline bool RectInside(const RECT& r, LONG width, LONG height) {
    return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom && r.right <= width && r.bottom <= height;
}
