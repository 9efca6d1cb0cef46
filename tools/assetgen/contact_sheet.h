// A picture of all the art at 4x scale, for reviewing it without running the game.
#pragma once
#include <string>

#include "tools/assetgen/canvas.h"

// Stacks the three sheets (sprites, text, tiles) at 4x, transparent pixels shown as a dark checkerboard,
// and saves the result as a PNG.
bool WriteContactSheet(const Canvas& sprites, const Canvas& text, const Canvas& tiles, const std::string& path,
                       std::string* error);
