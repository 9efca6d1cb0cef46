// The asset maker's files as the game relies on them, read back by the test's own readers.
#include <gtest/gtest.h>
#include <stb/stb_image.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "prog/core/atlas.h"
#include "tests/support/picture.h"
#include "tests/support/temp_dir.h"

namespace {

using support::ReadFile;

// Runs assetgen with the given arguments (already quoted for the shell); returns its exit status, or -1.
int RunAssetgen(const std::string& arguments) {
    const int status = std::system(("'" ASSETGEN_PATH "' " + arguments + " 2>/dev/null").c_str());
    return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

const std::string& Generated() {  // the folder of one run, made once per test process
    static const support::TempDir dir;
    static const std::string made = RunAssetgen("'" + dir.path + "'") == 0 ? dir.path : "";
    return made;
}

TEST(Assetgen, WritesTheSameFilesEveryTimeIntoAFolderItMakesAndFailsWithoutOne) {
    ASSERT_FALSE(Generated().empty());
    const support::TempDir base;
    ASSERT_EQ(RunAssetgen("'" + base / "game/data" + "'"), 0);
    for (const char* name : {"tiles.bmp", "sprites.bmp", "text.bmp", "song.mid", "icon.bmp"}) {
        const std::string first = ReadFile(Generated() + "/" + name);
        EXPECT_FALSE(first.empty()) << name;
        EXPECT_TRUE(first == ReadFile(base / "game/data/" + name)) << name << " differs between runs";
    }
    EXPECT_NE(RunAssetgen(""), 0);
    EXPECT_NE(RunAssetgen("--contact-sheet"), 0);
    const std::string file = base / "plain-file";
    support::WriteFile(file, "not a folder");
    for (const std::string& args : {"'" + file + "'", "'" + file + "/sub'", "--icons '" + file + "'"})
        EXPECT_EQ(RunAssetgen(args), 1) << args;
}

pic::Picture Sheet(const char* name) { return pic::Picture(Generated() + "/" + name); }
// Pixels other than the key (the top-left one) in the rectangle, or -1 when it is not inside the sheet.
int Ink(const pic::Picture& p, int x0, int y0, int w, int h) {
    if (x0 < 0 || y0 < 0 || w < 1 || h < 1 || x0 + w > p.w || y0 + h > p.h) return -1;
    int n = 0;
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x) n += p.At(x, y) != p.At(0, 0);
    return n;
}

// 24 bits, the magenta key in the top left and no other pixel that the engine's 5-6-5 key would make
// transparent. (The sizes the game cuts from are checked with the rectangles below.)
TEST(Bitmaps, AreTwentyFourBitWithAMagentaKey) {
    for (const char* name : {"sprites.bmp", "text.bmp", "tiles.bmp", "icon.bmp"}) {
        const std::string bytes = ReadFile(Generated() + "/" + name);
        const pic::Picture image = Sheet(name);
        ASSERT_FALSE(image.rgb.empty()) << name;
        EXPECT_EQ(bytes[28] | bytes[29] << 8, 24) << name << ": bits per pixel";
        EXPECT_EQ(image.At(0, 0), 0xFF00FFu) << name;
        int collisions = 0;
        for (int i = 0; i < image.w * image.h; ++i) {
            const uint32_t c = image.At(i % image.w, i / image.w);
            collisions += c != 0xFF00FF && pic::Shown(c) == pic::Shown(0xFF00FF);
        }
        EXPECT_EQ(collisions, 0) << name;
    }
}

TEST(Bitmaps, EveryRectangleTheGameDrawsLiesInsideAndShowsSomething) {
    const pic::Picture sprites = Sheet("sprites.bmp"), font = Sheet("text.bmp"), tiles = Sheet("tiles.bmp");
    for (const AtlasStrip& r : SPRITE_STRIPS)
        for (int f = 0; f < r.frames; ++f)
            EXPECT_GT(Ink(sprites, FrameX(r, f), r.y, r.w, r.h), 0) << FrameX(r, f) << "," << r.y;
    for (int column : SHIP_COLUMNS)
        for (int row = 0; row < SHIP_ROWS; ++row)
            EXPECT_GT(Ink(sprites, FrameX(SHIP_FRAMES, column), row * SHIP_FRAMES.h, SHIP_FRAMES.w, SHIP_FRAMES.h), 0)
                << "ship column " << column << " row " << row;
    // The font's cells: 32 to 126 fill their cell dark (the HUD reads over any ground), and from 33 on a light glyph
    // shows in it; a line break stays empty.
    const int cell = FONT_CELL_W * FONT_CELL_H;
    for (int code = 10; code <= 126; code += code == 10 ? 22 : 1) {
        const int x0 = FontCellX(code), y0 = FontCellY(code);
        int light = 0;
        for (int i = 0; i < cell; ++i) light += (font.At(x0 + i % FONT_CELL_W, y0 + i / FONT_CELL_W) & 0xFF00) > 0x8000;
        EXPECT_EQ(Ink(font, x0, y0, FONT_CELL_W, FONT_CELL_H), code > 10 ? cell : 0) << code;
        EXPECT_EQ(light > 0, code > 32) << code;
    }
    // The ground covers everything; the clouds over it leave most clear.
    const int ground = TILE_GROUND * TILE_SIZE, clouds = TILE_CLOUDS * TILE_SIZE, tile = TILE_SIZE * TILE_SIZE;
    EXPECT_EQ(Ink(tiles, ground, 0, TILE_SIZE, TILE_SIZE), tile);
    EXPECT_GT(Ink(tiles, clouds, 0, TILE_SIZE, TILE_SIZE), 0);
    EXPECT_LT(Ink(tiles, clouds, 0, TILE_SIZE, TILE_SIZE), tile / 2);
}

// The icons show the flying ship (its first frame) in their middle, on a tile with transparent corners.
TEST(Bitmaps, DesktopIconsShowTheShipAtEverySize) {
    const pic::Picture sheet = Sheet("sprites.bmp");
    const int x0 = FrameX(SHIP_FRAMES, SHIP_COLUMN_PLAYING), y0 = SHIP_FRAMES.y, w = SHIP_FRAMES.w;
    std::set<uint32_t> ship;
    for (int i = 0; i < w * SHIP_FRAMES.h; ++i)
        if (const uint32_t c = sheet.At(x0 + i % w, y0 + i / w); c != sheet.At(0, 0)) ship.insert(c);
    const support::TempDir dir;
    ASSERT_EQ(RunAssetgen("--icons '" + dir.path + "'"), 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "sprites.bmp"));
    for (int n : {16, 32, 48, 64, 128, 256}) {
        int w = 0, h = 0, channels = 0;
        const std::string path = dir / (std::to_string(n) + "x" + std::to_string(n) + "/apps/kestra.png");
        unsigned char* p = stbi_load(path.c_str(), &w, &h, &channels, 4);
        ASSERT_TRUE(p && w == n && h == n && channels == 4) << n << ": " << w << "x" << h << "x" << channels;
        auto isShip = [&](int i) {
            return p[i * 4 + 3] == 255 && ship.count(p[i * 4] << 16 | p[i * 4 + 1] << 8 | p[i * 4 + 2]);
        };
        EXPECT_TRUE(isShip(n / 2 * n + n / 2)) << n;
        EXPECT_EQ(p[3] | p[(n - 1) * 4 + 3] | p[(n * n - 1) * 4 + 3], 0) << n;
        stbi_image_free(p);
    }
}

// song.mid read back: format 1, whole tracks of well-formed events each closed by end-of-track, every
// note ended, drums on channel 10 and an instrument on each other channel that plays.
TEST(SongFile, IsWellFormedFormatOneGeneralMidi) {
    const std::string b = ReadFile(Generated() + "/song.mid");
    auto u = [&b](size_t at, int n) {  // big-endian, zero past the end
        uint32_t v = 0;
        for (; n > 0; --n, ++at) v = v << 8 | (at < b.size() ? static_cast<unsigned char>(b[at]) : 0);
        return v;
    };
    ASSERT_EQ(b.compare(0, 4, "MThd"), 0);
    ASSERT_EQ(u(4, 4), 6u);
    EXPECT_EQ(u(8, 2), 1u);
    EXPECT_GE(u(10, 2), 2u);
    EXPECT_TRUE(u(12, 2) > 0 && u(12, 2) < 0x8000) << "ticks per quarter note, not SMPTE time";
    std::map<int, int> notes;  // channel (0-based) -> note-ons
    std::set<int> programmed;  // channels given a program change
    uint32_t tracksRead = 0;
    for (size_t at = 14; at < b.size(); ++tracksRead) {
        SCOPED_TRACE("track " + std::to_string(tracksRead));
        const size_t end = at + 8 + u(at + 4, 4);
        ASSERT_EQ(b.compare(at, 4, "MTrk"), 0);
        ASSERT_LE(end, b.size());
        uint32_t status = 0;
        bool ended = false;
        std::map<std::pair<uint32_t, uint32_t>, int> sounding;  // (channel, key) -> notes on
        for (at += 8; at < end;) {
            for (uint32_t byte = 0x80; byte & 0x80 && at < end;) byte = u(at++, 1);  // the delta time
            if (u(at, 1) & 0x80) status = u(at++, 1);
            const uint32_t kind = status >> 4, channel = status & 15, d1 = u(at, 1), d2 = u(at + 1, 1);
            ended = status == 0xFF && d1 == 0x2F;
            if (status == 0xFF) {  // meta event; no running status after it
                at += 2 + d2, status = 0;
                continue;
            }
            ASSERT_TRUE(kind >= 0x8 && kind < 0xF) << "bad status " << status;
            at += kind == 0xC || kind == 0xD ? 1 : 2;
            if (kind == 0x8 || kind == 0x9) sounding[{channel, d1}] += kind == 0x9 && d2 > 0 ? 1 : -1;
            if (kind == 0x9 && d2 > 0) ++notes[channel];
            if (kind == 0xC) programmed.insert(channel);
        }
        EXPECT_EQ(at, end) << "an event runs past its track";
        EXPECT_TRUE(ended) << "the track does not close with end-of-track";
        for (const auto& k : sounding) EXPECT_EQ(k.second, 0) << "a note is not ended once";
    }
    EXPECT_EQ(tracksRead, u(10, 2));
    EXPECT_GT(notes.count(9), 0u) << "no drums on channel 10";
    for (const auto& c : notes)
        EXPECT_TRUE(c.first == 9 || programmed.count(c.first)) << "no instrument on " << c.first;
}

}  // namespace
