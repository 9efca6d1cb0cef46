// The desktop icon: the player's ship from the sprite sheet on a dark rounded tile, at the sizes desktops use.
#pragma once
#include <string>

#include "tools/assetgen/canvas.h"

// The edge lengths written, smallest first.
constexpr int ICON_SIZES[] = {16, 32, 48, 64, 128, 256};

// Writes DIR/<N>x<N>/apps/kestra.png for every size (RGBA, transparent outside the tile), making the folders.
bool WriteIcons(const Canvas& sprites, const std::string& dir, std::string* error);
