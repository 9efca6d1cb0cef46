// The desktop icon: the player's ship from the sprite sheet on a dark rounded tile, at the sizes desktops use.
#pragma once
#include <string>

#include "tools/assetgen/canvas.h"

// The edge lengths written, smallest first.
constexpr int ICON_SIZES[] = {16, 32, 48, 64, 128, 256};

// The side of the window icon that the engine shows in the title bar and task bar.
constexpr int WINDOW_ICON_SIZE = 64;

// Writes the window icon as a 24-bit bitmap, the key colour where it is transparent.
bool WriteWindowIcon(const Canvas& sprites, const std::string& path, std::string* error);

// Writes DIR/<N>x<N>/apps/kestra.png for every size (RGBA, transparent outside the tile), making the folders.
bool WriteIcons(const Canvas& sprites, const std::string& dir, std::string* error);
