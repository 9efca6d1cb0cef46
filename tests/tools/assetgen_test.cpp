// The asset maker's four files, made once per test process into a temporary
// folder: the same bytes on every run, every source rectangle the game draws
// from inside its bitmap and showing something, the font, the ground and
// cloud tiles, and the song read back by a parser of the test's own.
#include <gtest/gtest.h>
#include <stb/stb_image.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

std::string MakeTempDir() {
    static std::vector<std::string> made;
    std::string pattern = (std::filesystem::temp_directory_path() / "assetgen-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return std::string();
    if (made.empty())
        std::atexit([] {
            std::error_code ec;
            for (const std::string& d : made) std::filesystem::remove_all(d, ec);
        });
    made.push_back(pattern);
    return pattern;
}

// Runs assetgen with the given arguments (already quoted for the shell);
// returns its exit status, or -1.
int RunAssetgen(const std::string& arguments) {
    const int status = std::system(("'" ASSETGEN_PATH "' " + arguments).c_str());
    return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

const std::string& Generated() {
    static const std::string dir = [] {
        std::string d = MakeTempDir();
        return !d.empty() && RunAssetgen("'" + d + "'") == 0 ? d : std::string();
    }();
    return dir;
}

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(Assetgen, WritesTheSameFilesEveryTimeIntoAFolderItMakes) {
    ASSERT_FALSE(Generated().empty());
    const std::string base = MakeTempDir(), again = base + "/game/data";
    ASSERT_FALSE(base.empty());
    ASSERT_EQ(RunAssetgen("'" + again + "'"), 0);
    for (const char* name : {"tiles.bmp", "sprites.bmp", "text.bmp", "song.mid"}) {
        const std::string first = Bytes(Generated() + "/" + name);
        EXPECT_FALSE(first.empty()) << name;
        EXPECT_TRUE(first == Bytes(again + "/" + name)) << name << " differs between runs";
    }
}

TEST(Assetgen, FailsWithoutAUsableOutputFolder) {
    EXPECT_NE(RunAssetgen("2>/dev/null"), 0);
    EXPECT_NE(RunAssetgen("--contact-sheet 2>/dev/null"), 0);
    const std::string base = MakeTempDir(), file = base + "/plain-file";
    ASSERT_FALSE(base.empty());
    std::ofstream(file) << "not a folder";
    EXPECT_EQ(RunAssetgen("'" + file + "' 2>/dev/null"), 1);
    EXPECT_EQ(RunAssetgen("'" + file + "/sub' 2>/dev/null"), 1);
    EXPECT_EQ(RunAssetgen("--icons '" + file + "' 2>/dev/null"), 1);
}

struct Rect {
    int x, y, w, h;
};

// A bitmap as plain 0xRRGGBB values; the key is its top-left pixel.
struct Image {
    int w = 0, h = 0, bitsPerPixel = 0;
    std::vector<uint32_t> pixels;
    explicit Image(const char* name) {
        const std::string bytes = Bytes(Generated() + "/" + name);
        int n = 0;
        unsigned char* rgb =
            stbi_load_from_memory(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), &w, &h, &n, 3);
        if (!rgb) return;
        bitsPerPixel = static_cast<unsigned char>(bytes[28]) | static_cast<unsigned char>(bytes[29]) << 8;
        for (int i = 0; i < w * h; ++i) pixels.push_back(rgb[i * 3] << 16 | rgb[i * 3 + 1] << 8 | rgb[i * 3 + 2]);
        stbi_image_free(rgb);
    }
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * w + x]; }
    bool Inside(Rect r) const { return r.x >= 0 && r.y >= 0 && r.w > 0 && r.h > 0 && r.x + r.w <= w && r.y + r.h <= h; }
    int Ink(Rect r) const {  // pixels other than the key
        int n = 0;
        for (int y = r.y; y < r.y + r.h; ++y)
            for (int x = r.x; x < r.x + r.w; ++x) n += At(x, y) != pixels[0];
        return n;
    }
    bool Same(Rect a, Rect b) const {
        for (int y = 0; y < a.h; ++y)
            for (int x = 0; x < a.w; ++x)
                if (At(a.x + x, a.y + y) != At(b.x + x, b.y + y)) return false;
        return true;
    }
};

TEST(Bitmaps, AreTwentyFourBitLargeEnoughWithAMagentaKeyNoArtColourShares) {
    const struct {
        const char* name;
        int minW, minH;
    } cases[] = {{"sprites.bmp", 324, 310}, {"text.bmp", 150, 48}, {"tiles.bmp", 512, 128}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Image image(c.name);
        ASSERT_FALSE(image.pixels.empty());
        EXPECT_EQ(image.bitsPerPixel, 24);
        EXPECT_GE(image.w, c.minW);
        EXPECT_GE(image.h, c.minH);
        EXPECT_EQ(image.pixels[0], 0xFF00FFu);
        // The engine keys on the 5-6-5 value of the top-left pixel.
        auto to565 = [](uint32_t c) { return (c >> 19 & 31) << 11 | (c >> 10 & 63) << 5 | (c >> 3 & 31); };
        int collisions = 0;
        for (uint32_t p : image.pixels) collisions += p != image.pixels[0] && to565(p) == to565(0xFF00FF);
        EXPECT_EQ(collisions, 0);
    }
}

// The icons show the flying ship (its frame at (36, 0)) in their middle, on a tile with transparent corners.
TEST(Bitmaps, DesktopIconsShowTheShipAtEverySize) {
    const Image sheet("sprites.bmp");
    ASSERT_FALSE(sheet.pixels.empty());
    std::set<uint32_t> ship;
    for (int y = 0; y < 24; ++y)
        for (int x = 36; x < 54; ++x)
            if (sheet.At(x, y) != sheet.pixels[0]) ship.insert(sheet.At(x, y));
    const std::string dir = MakeTempDir();
    ASSERT_EQ(RunAssetgen("--icons '" + dir + "'"), 0);
    EXPECT_FALSE(std::filesystem::exists(dir + "/sprites.bmp"));
    for (int n : {16, 32, 48, 64, 128, 256}) {
        SCOPED_TRACE(n);
        int w = 0, h = 0, channels = 0;
        const std::string path = dir + "/" + std::to_string(n) + "x" + std::to_string(n) + "/apps/kestra.png";
        unsigned char* rgba = stbi_load(path.c_str(), &w, &h, &channels, 4);
        ASSERT_NE(rgba, nullptr);
        ASSERT_EQ(w, n);
        ASSERT_EQ(h, n);
        EXPECT_EQ(channels, 4);
        int shipPixels = 0;
        for (int i = 0; i < n * n; ++i) {
            const unsigned char* p = rgba + i * 4;
            shipPixels += p[3] == 255 && ship.count(uint32_t{p[0]} << 16 | p[1] << 8 | p[2]);
        }
        const unsigned char* centre = rgba + (n / 2 * n + n / 2) * 4;
        EXPECT_EQ(rgba[3] | rgba[(n - 1) * 4 + 3] | rgba[(n * n - 1) * 4 + 3], 0);
        EXPECT_TRUE(ship.count(uint32_t{centre[0]} << 16 | centre[1] << 8 | centre[2]));
        EXPECT_GT(shipPixels, n * n / 8);
        stbi_image_free(rgba);
    }
}

TEST(Bitmaps, EverySpriteRectangleLiesInsideShowsSomethingAndFramesDiffer) {
    const Image sheet("sprites.bmp");
    ASSERT_FALSE(sheet.pixels.empty());
    std::vector<Rect> rects;
    for (int column : {36, 54, 72, 108, 126})  // playing, ready, down, reset, entering
        for (int row = 0; row < 2; ++row) rects.push_back({column, row * 24, 18, 24});
    for (int f = 0; f < 2; ++f) {
        rects.push_back({8 + 6 * f, 88, 6, 6});   // plain shot
        rects.push_back({8 + 7 * f, 94, 7, 14});  // missile
        rects.push_back({4 * f, 88, 4, 20});      // big shot
        rects.push_back({f * 18, 144, 18, 24});   // riser
    }
    for (int k = 0; k < 7; ++k) rects.push_back({k * 20, 58, 20, 20});  // power-ups
    const int sizes[4] = {4, 8, 9, 13}, fragmentRows[4] = {108, 114, 122, 131}, sparkRows[4] = {242, 246, 254, 263};
    for (int s = 0; s < 4; ++s)
        for (int f = 0; f < 4; ++f) {
            rects.push_back({f * sizes[s], fragmentRows[s], sizes[s], sizes[s]});
            rects.push_back({f * sizes[s], sparkRows[s], sizes[s], sizes[s]});
        }
    for (int f = 0; f < 4; ++f) rects.push_back({f * 25, 216, 25, 25});  // tracker
    for (int f = 0; f < 6; ++f) {
        rects.push_back({f * 12, 168, 12, 12});  // diver, both rows
        rects.push_back({f * 12, 180, 12, 12});
    }
    rects.push_back({0, 276, 33, 33});                                 // heavy
    for (int y : {124, 186, 248}) rects.push_back({182, y, 141, 61});  // banner panels
    for (const Rect& r : rects) {
        SCOPED_TRACE(std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.w) + "x" +
                     std::to_string(r.h));
        ASSERT_TRUE(sheet.Inside(r));
        EXPECT_GT(sheet.Ink(r), 0);
    }
    // Animation frames differ; the power-ups and the banner panels are told apart.
    std::vector<std::pair<Rect, Rect>> pairs;
    for (int column : {36, 54, 72, 126}) pairs.push_back({{column, 0, 18, 24}, {column, 24, 18, 24}});  // ship flicker
    pairs.push_back({{0, 144, 18, 24}, {18, 144, 18, 24}});                                             // riser
    for (int f = 0; f < 6; ++f) {
        pairs.push_back({{f * 12, 168, 12, 12}, {(f + 1) % 6 * 12, 168, 12, 12}});  // diver frames
        pairs.push_back({{f * 12, 168, 12, 12}, {f * 12, 180, 12, 12}});            // diver rows
    }
    for (int f = 0; f < 4; ++f) pairs.push_back({{f * 25, 216, 25, 25}, {(f + 1) % 4 * 25, 216, 25, 25}});  // tracker
    for (int a = 0; a < 7; ++a)
        for (int b = a + 1; b < 7; ++b) pairs.push_back({{a * 20, 58, 20, 20}, {b * 20, 58, 20, 20}});  // power-ups
    for (int a = 0; a < 3; ++a)
        for (int b = a + 1; b < 3; ++b) pairs.push_back({{182, 124 + 62 * a, 141, 61}, {182, 124 + 62 * b, 141, 61}});
    for (const auto& p : pairs)
        EXPECT_FALSE(sheet.Same(p.first, p.second))
            << p.first.x << "," << p.first.y << " vs " << p.second.x << "," << p.second.y;
}

// Glyphs 33 to 126 have ink, light (to read on dark ground) and dark (to read
// on light ground); space and line break stay empty.
TEST(Bitmaps, FontGlyphsAreLightWithADarkEdge) {
    const Image font("text.bmp");
    ASSERT_FALSE(font.pixels.empty());
    auto cell = [](int code) { return Rect{(code % 25) * 6, (code / 25) * 8, 6, 8}; };
    EXPECT_EQ(font.Ink(cell(10)), 0);
    EXPECT_EQ(font.Ink(cell(32)), 0);
    for (int code = 33; code <= 126; ++code) {
        SCOPED_TRACE("code " + std::to_string(code));
        const Rect r = cell(code);
        ASSERT_TRUE(font.Inside(r));
        int light = 0, dark = 0;
        for (int y = r.y; y < r.y + r.h; ++y)
            for (int x = r.x; x < r.x + r.w; ++x) {
                const uint32_t c = font.At(x, y);
                if (c == font.pixels[0]) continue;
                const int luma = ((c >> 16) * 3 + (c >> 8 & 255) * 6 + (c & 255)) / 10;
                light += luma > 180;
                dark += luma < 60;
            }
        EXPECT_GT(light, 0);
        EXPECT_GT(dark, 0);
    }
}

// The ground (cell 1, opaque) and the clouds drawn over everything (cell 3,
// mostly clear) wrap seamlessly: the colour step from the last line to the
// first is no larger than a typical step inside, while lines far apart differ.
TEST(Bitmaps, GroundAndCloudTilesWrapSeamlessly) {
    const Image tiles("tiles.bmp");
    ASSERT_GE(tiles.w, 512);
    ASSERT_GE(tiles.h, 128);
    EXPECT_EQ(tiles.Ink({128, 0, 128, 128}), 128 * 128);
    const int clouds = tiles.Ink({384, 0, 128, 128});
    EXPECT_GT(clouds, 128 * 128 / 50);
    EXPECT_LT(clouds, 128 * 128 / 3);
    for (int cellX : {128, 384})
        for (bool byRows : {false, true}) {
            SCOPED_TRACE(std::to_string(cellX) + (byRows ? " rows" : " columns"));
            auto step = [&](int a, int b) {  // mean colour step between lines a and b
                double sum = 0;
                for (int i = 0; i < 128; ++i) {
                    const uint32_t p = byRows ? tiles.At(cellX + i, a) : tiles.At(cellX + a, i);
                    const uint32_t q = byRows ? tiles.At(cellX + i, b) : tiles.At(cellX + b, i);
                    for (int shift : {0, 8, 16}) sum += std::abs(int(p >> shift & 255) - int(q >> shift & 255));
                }
                return sum / 128;
            };
            std::vector<double> inside;
            for (int i = 0; i < 127; ++i) inside.push_back(step(i, i + 1));
            std::sort(inside.begin(), inside.end());
            EXPECT_LE(step(127, 0), inside[95] * 1.25 + 1.0);  // the upper quartile
            EXPECT_GT(step(0, 64), step(127, 0));
        }
}

// song.mid read back: chunks, General MIDI use, notes and length.
struct Song {
    std::string error;
    int format = -1, tracks = 0, division = 0, tracksRead = 0, tracksEnded = 0, unmatchedNotes = 0;
    std::map<uint32_t, uint32_t> tempos;  // tick -> microseconds per quarter note
    std::map<int, int> notes;             // channel (0-based) -> note-ons
    std::set<int> programmed;             // channels given a program change
    uint32_t lastTick = 0;
};

Song Parse(const std::string& b) {
    Song s;
    auto u = [&b](size_t at, int n) {  // big-endian, zero past the end
        uint32_t v = 0;
        for (; n > 0; --n, ++at) v = v << 8 | (at < b.size() ? static_cast<unsigned char>(b[at]) : 0);
        return v;
    };
    if (b.compare(0, 4, "MThd") != 0 || u(4, 4) != 6) return s.error = "no MThd", s;
    s.format = u(8, 2);
    s.tracks = u(10, 2);
    s.division = u(12, 2);
    for (size_t at = 14; at < b.size(); ++s.tracksRead) {
        const size_t end = at + 8 + u(at + 4, 4);
        if (b.compare(at, 4, "MTrk") != 0 || end > b.size()) return s.error = "bad track chunk", s;
        uint32_t tick = 0, status = 0;
        bool ended = false;
        std::map<std::pair<int, int>, int> open;
        for (at += 8; at < end;) {
            uint32_t delta = 0, byte = 0x80;
            while (byte & 0x80 && at < end) delta = delta << 7 | ((byte = u(at++, 1)) & 0x7F);
            tick += delta;
            if (u(at, 1) & 0x80) status = u(at++, 1);
            const int kind = status >> 4, channel = status & 15, d1 = u(at, 1), d2 = u(at + 1, 1);
            ended = status == 0xFF && d1 == 0x2F;
            if (status == 0xFF) {  // meta event; no running status after it
                if (d1 == 0x51 && d2 == 3) s.tempos[tick] = u(at + 2, 3);
                at += 2 + d2;
                status = 0;
                continue;
            }
            if (kind < 0x8 || kind == 0xF) return s.error = "bad event status", s;
            at += kind == 0xC || kind == 0xD ? 1 : 2;
            if (kind == 0x9 && d2 > 0) {
                ++s.notes[channel];
                ++open[{channel, d1}];
            } else if (kind == 0x8 || kind == 0x9) {
                s.unmatchedNotes += open[{channel, d1}]-- <= 0;
            } else if (kind == 0xC) {
                s.programmed.insert(channel);
            }
        }
        if (at != end) return s.error = "an event runs past its track", s;
        for (const auto& o : open) s.unmatchedNotes += std::max(0, o.second);
        s.tracksEnded += ended;
        s.lastTick = std::max(s.lastTick, tick);
    }
    return s;
}

TEST(SongFile, IsFormatOneGeneralMidiWithDrumsOnChannelTenForNinetySecondsToThreeMinutes) {
    const Song s = Parse(Bytes(Generated() + "/song.mid"));
    ASSERT_EQ(s.error, "");
    EXPECT_EQ(s.format, 1);
    EXPECT_GE(s.tracks, 2);
    EXPECT_EQ(s.tracksRead, s.tracks);
    EXPECT_EQ(s.tracksEnded, s.tracks) << "a track does not close with end-of-track";
    ASSERT_GT(s.division, 0);
    EXPECT_LT(s.division, 0x8000);  // ticks per quarter note, not SMPTE time
    EXPECT_GT(s.notes.count(9), 0u) << "no drums on channel 10";
    int melodic = 0;
    for (const auto& c : s.notes)
        if (c.first != 9) {
            ++melodic;
            EXPECT_TRUE(s.programmed.count(c.first)) << "channel " << c.first + 1 << " has no instrument";
        }
    EXPECT_GE(melodic, 3);  // bass, lead and chords at least
    EXPECT_EQ(s.unmatchedNotes, 0);

    ASSERT_FALSE(s.tempos.empty());
    double seconds = 0;
    uint32_t from = 0, tempo = 500000;  // 120 beats a minute until the first tempo event
    for (const auto& t : s.tempos) {
        if (t.first >= s.lastTick) break;
        seconds += double(t.first - from) * tempo / 1e6 / s.division;
        from = t.first;
        tempo = t.second;
    }
    seconds += double(s.lastTick - from) * tempo / 1e6 / s.division;
    EXPECT_GE(seconds, 90.0);
    EXPECT_LE(seconds, 180.0);
}

}  // namespace
