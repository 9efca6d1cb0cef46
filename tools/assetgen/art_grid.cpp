#include "tools/assetgen/art_grid.h"

#include <algorithm>

namespace {

std::vector<std::string>& Errors() {
    static std::vector<std::string> errors;
    return errors;
}

}  // namespace

Palette PaletteMake(std::initializer_list<std::pair<char, Rgb>> entries) {
    Palette p{};
    for (const auto& e : entries) {
        p.colours[static_cast<unsigned char>(e.first) & 127] = e.second;
        p.known[static_cast<unsigned char>(e.first) & 127] = true;
    }
    return p;
}

Palette PaletteWith(const Palette& base, std::initializer_list<std::pair<char, Rgb>> entries) {
    Palette p = base;
    for (const auto& e : entries) {
        p.colours[static_cast<unsigned char>(e.first) & 127] = e.second;
        p.known[static_cast<unsigned char>(e.first) & 127] = true;
    }
    return p;
}

void DrawGrid(Canvas& c, int x, int y, const Grid& grid, const Palette& palette) {
    for (size_t row = 0; row < grid.size(); ++row)
        for (size_t col = 0; col < grid[row].size(); ++col) {
            unsigned char s = static_cast<unsigned char>(grid[row][col]);
            if (s == '.' || s == ' ') continue;
            if (s > 127 || !palette.known[s]) {
                ReportArtError(std::string("no colour for symbol '") + static_cast<char>(s) + "'");
                continue;
            }
            Plot(c, x + static_cast<int>(col), y + static_cast<int>(row), palette.colours[s]);
        }
}

Grid MirrorLeft(const Grid& leftHalf) {
    Grid full;
    for (const std::string& row : leftHalf) {
        std::string mirrored(row.rbegin(), row.rend());
        full.push_back(row + mirrored);
    }
    return full;
}

Grid MirrorLeftAroundMiddle(const Grid& leftHalf) {
    Grid full;
    for (const std::string& row : leftHalf) {
        std::string mirrored(row.rbegin(), row.rend());
        full.push_back(row + mirrored.substr(mirrored.empty() ? 0 : 1));
    }
    return full;
}

const std::vector<std::string>& ArtErrors() { return Errors(); }

void ReportArtError(const std::string& message) {
    if (std::find(Errors().begin(), Errors().end(), message) == Errors().end()) Errors().push_back(message);
}
