// Pixel art written as character grids: each symbol of a grid names a colour of a palette.
#pragma once
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "tools/assetgen/canvas.h"

// '.' and ' ' are always transparent; any other symbol must be given a colour.
struct Palette {
    Rgb colours[128];
    bool known[128];
};

using Grid = std::vector<std::string>;

Palette PaletteMake(std::initializer_list<std::pair<char, Rgb>> entries);
// A copy of base with some symbols given other colours (for colour variants of one picture).
Palette PaletteWith(const Palette& base, std::initializer_list<std::pair<char, Rgb>> entries);
// Draws the grid with its top-left corner at (x, y). Symbols the palette lacks are recorded as errors.
void DrawGrid(Canvas& c, int x, int y, const Grid& grid, const Palette& palette);
// A symmetric picture from its left half: each row followed by its own mirror image.
Grid MirrorLeft(const Grid& leftHalf);
// The same for pictures of odd width: the last column of each row is the middle one and is not repeated.
Grid MirrorLeftAroundMiddle(const Grid& leftHalf);
// Problems met while drawing (unknown symbols); empty when everything was drawn.
const std::vector<std::string>& ArtErrors();
void ReportArtError(const std::string& message);
