// assetgen [OUTDIR] [--contact-sheet FILE] [--icons DIR]: writes tiles.bmp, sprites.bmp, text.bmp,
// song.mid and the window icon icon.bmp into OUTDIR, a picture of all the art, and the desktop icons
// (DIR/<N>x<N>/apps/kestra.png).
// Everything is computed from fixed seeds, so every run writes the same bytes.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "tools/assetgen/art_grid.h"
#include "tools/assetgen/bmp_writer.h"
#include "tools/assetgen/contact_sheet.h"
#include "tools/assetgen/font.h"
#include "tools/assetgen/icon.h"
#include "tools/assetgen/song.h"
#include "tools/assetgen/sprite_sheet.h"
#include "tools/assetgen/tile_sheet.h"

namespace {

int Usage() {
    std::fprintf(stderr, "usage: assetgen [OUTDIR] [--contact-sheet FILE] [--icons DIR]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string outDir, contactSheet, icons;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--contact-sheet") == 0 || std::strcmp(argv[i], "--icons") == 0) {
            std::string& value = std::strcmp(argv[i], "--icons") == 0 ? icons : contactSheet;
            if (i + 1 >= argc) return Usage();
            value = argv[++i];
        } else if (argv[i][0] == '-' || !outDir.empty()) {
            return Usage();
        } else {
            outDir = argv[i];
        }
    }
    if (outDir.empty() && icons.empty()) return Usage();

    std::error_code ec;
    if (!outDir.empty()) std::filesystem::create_directories(outDir, ec);
    if (ec) {
        std::fprintf(stderr, "assetgen: cannot create %s: %s\n", outDir.c_str(), ec.message().c_str());
        return 1;
    }

    Canvas tiles, sprites, text;
    MakeTileSheet(tiles);
    MakeSpriteSheet(sprites);
    MakeTextSheet(text);
    if (!ArtErrors().empty()) {
        for (const std::string& e : ArtErrors()) std::fprintf(stderr, "assetgen: %s\n", e.c_str());
        return 1;
    }
    MidiSong song;
    ComposeSong(song);

    std::string error;
    const std::string dir = outDir + "/";
    bool ok = outDir.empty() ||
              (WriteBmp(tiles, dir + "tiles.bmp", &error) && WriteBmp(sprites, dir + "sprites.bmp", &error) &&
               WriteBmp(text, dir + "text.bmp", &error) && WriteMidi(song, dir + "song.mid", &error) &&
               WriteWindowIcon(sprites, dir + "icon.bmp", &error));
    if (ok && !contactSheet.empty()) ok = WriteContactSheet(sprites, text, tiles, contactSheet, &error);
    if (ok && !icons.empty()) ok = WriteIcons(sprites, icons, &error);
    if (!ok) {
        std::fprintf(stderr, "assetgen: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
