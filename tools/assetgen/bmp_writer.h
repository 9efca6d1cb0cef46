// Saves a canvas as a 24-bit bottom-up Windows bitmap.
#pragma once
#include <string>

#include "tools/assetgen/canvas.h"

// Returns false (with a reason in *error) when the file cannot be written.
bool WriteBmp(const Canvas& c, const std::string& path, std::string* error);
