// Whole-game runs: the real engine start-up and loop on the headless backend,
// the real game module and the real data files, driven by scripts.
#include <SDL.h>
#include <gtest/gtest.h>
#include <stb/stb_image.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string kGameDir = KESTRA_GAME_DIR;
const char* const kDataFiles[] = {"tiles.bmp", "sprites.bmp", "text.bmp", "song.mid"};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

// A fresh working folder holding copies of the named data files.
struct PlayDir {
    std::string path;
    explicit PlayDir(std::vector<std::string> files = {std::begin(kDataFiles), std::end(kDataFiles)}) {
        char tmpl[] = "/tmp/kestra-e2e-XXXXXX";
        path = mkdtemp(tmpl);
        for (const std::string& f : files) WriteFile(path + "/" + f, ReadFile(kGameDir + "/" + f));
    }
    ~PlayDir() { std::system(("rm -rf '" + path + "'").c_str()); }
    std::string operator/(const std::string& name) const { return path + "/" + name; }
};

struct Box {
    std::string caption, text;
};

struct RunResult {
    int status = -1;
    std::string out, err;
    long calls = -1, frames = -1, exitCode = -1;
    std::vector<Box> boxes;
};

long JsonNumber(const std::string& json, const std::string& key) {
    std::smatch m;
    if (std::regex_search(json, m, std::regex("\"" + key + "\"\\s*:\\s*(-?[0-9]+)"))) return std::stol(m[1]);
    return -1;
}

RunResult RunGame(const PlayDir& dir, const std::string& args) {
    RunResult r;
    std::string cmd = "cd '" + dir.path + "' && '" + kGameDir + "/engine-headless' " + args + " >out.txt 2>err.txt";
    int raw = std::system(cmd.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = ReadFile(dir / "out.txt");
    r.err = ReadFile(dir / "err.txt");
    r.calls = JsonNumber(r.out, "calls");
    r.frames = JsonNumber(r.out, "frames");
    r.exitCode = JsonNumber(r.out, "exit");
    std::regex box("\\[\\s*\"((?:[^\"\\\\]|\\\\.)*)\"\\s*,\\s*\"((?:[^\"\\\\]|\\\\.)*)\"\\s*\\]");
    for (auto it = std::sregex_iterator(r.out.begin(), r.out.end(), box); it != std::sregex_iterator(); ++it)
        r.boxes.push_back({(*it)[1], (*it)[2]});
    return r;
}

// A screenshot as 8-bit RGB.
struct Picture {
    int w = 0, h = 0;
    std::vector<unsigned char> rgb;
    bool Load(const std::string& path) {
        int n = 0;
        unsigned char* data = stbi_load(path.c_str(), &w, &h, &n, 3);
        if (!data) return false;
        rgb.assign(data, data + (size_t)w * h * 3);
        stbi_image_free(data);
        return true;
    }
    uint32_t At(int x, int y) const {
        const unsigned char* p = &rgb[((size_t)y * w + x) * 3];
        return (uint32_t)p[0] << 16 | (uint32_t)p[1] << 8 | p[2];
    }
};

// A bitmap of the game folder, as the 16-bit display shows it: each colour
// truncated to 5-6-5 and expanded back by bit replication.
struct Sheet {
    SDL_Surface* s = nullptr;
    explicit Sheet(const std::string& path) {
        SDL_Surface* raw = SDL_LoadBMP(path.c_str());
        if (raw) s = SDL_ConvertSurfaceFormat(raw, SDL_PIXELFORMAT_RGB888, 0);
        SDL_FreeSurface(raw);
    }
    ~Sheet() { SDL_FreeSurface(s); }
    uint32_t Raw(int x, int y) const {
        return ((const uint32_t*)((const char*)s->pixels + y * s->pitch))[x] & 0xFFFFFF;
    }
    static uint32_t As565(uint32_t c) {
        uint32_t r = (c >> 19) & 31, g = (c >> 10) & 63, b = (c >> 3) & 31;
        return ((r << 3 | r >> 2) << 16) | ((g << 2 | g >> 4) << 8) | (b << 3 | b >> 2);
    }
    uint32_t Key() const { return As565(Raw(0, 0)); }
    uint32_t Shown(int x, int y) const { return As565(Raw(x, y)); }
};

// Share of the non-transparent pixels of a sheet rectangle that the picture
// shows unchanged at (dx, dy). Clouds drawn over everything may hide a few.
double Match(const Picture& pic, const Sheet& sheet, int sx, int sy, int w, int h, int dx, int dy) {
    int total = 0, same = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint32_t c = sheet.Shown(sx + x, sy + y);
            if (c == sheet.Key()) continue;
            ++total;
            if (dx + x >= 0 && dx + x < pic.w && dy + y >= 0 && dy + y < pic.h && pic.At(dx + x, dy + y) == c) ++same;
        }
    return total ? (double)same / total : 0.0;
}

// Share of the font's pixels of `text` found at (x, y) in the picture.
double TextMatch(const Picture& pic, const Sheet& font, const std::string& text, int x, int y) {
    double sum = 0;
    int glyphs = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        int n = (signed char)text[i];
        if (n <= 32) continue;
        sum += Match(pic, font, (n % 25) * 6, (n / 25) * 8, 6, 8, x + (int)i * 6, y);
        ++glyphs;
    }
    return glyphs ? sum / glyphs : 0.0;
}

// Whether the picture shows `digits` at (x, y) on the HUD: clouds drawn over
// the HUD may hide part of it, so the number must also match clearly better
// than a number with every digit changed.
void ExpectNumberShown(const Picture& pic, const Sheet& font, const std::string& digits, int x, int y) {
    std::string wrong = digits;
    for (char& c : wrong) c = (char)('0' + (c - '0' + 5) % 10);
    double right = TextMatch(pic, font, digits, x, y), other = TextMatch(pic, font, wrong, x, y);
    EXPECT_GT(right, 0.6) << digits;
    EXPECT_GT(right, other + 0.15) << digits << " against " << wrong;
}

class GameRun : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* f : kDataFiles)
            if (access((kGameDir + "/" + f).c_str(), R_OK) != 0) GTEST_SKIP() << "data file missing: " << f;
    }
};

TEST_F(GameRun, FirstFramesShowHudAndWaitingBanner) {
    PlayDir dir;
    RunResult r = RunGame(dir, "--seed 7 --run-ms 2000 --shot 10:first.png --shot 1600:banner.png");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.boxes.empty()) << r.out;
    EXPECT_GT(r.frames, 100);
    Picture first, banner;
    ASSERT_TRUE(first.Load(dir / "first.png"));
    ASSERT_EQ(first.w, 1024);
    ASSERT_EQ(first.h, 768);
    Sheet font(kGameDir + "/text.bmp"), sprites(kGameDir + "/sprites.bmp");
    ASSERT_TRUE(font.s && sprites.s);
    EXPECT_GT(TextMatch(first, font, "Kestra v2.0e", 0, 0), 0.8);
    EXPECT_GT(TextMatch(first, font, "High Score: 0", 0, 8), 0.8);
    EXPECT_GT(TextMatch(first, font, "Your Score: 0", 0, 16), 0.8);
    EXPECT_GT(TextMatch(first, font, "  Missiles: 3", 0, 24), 0.8);
    EXPECT_GT(TextMatch(first, font, "     Speed: 0 clicks/sec", 0, 32), 0.8);
    // The banner, made at (512, 0), has come down to rest at (442, 323),
    // showing the panel of a ship waiting for a click.
    ASSERT_TRUE(banner.Load(dir / "banner.png"));
    EXPECT_GT(Match(banner, sprites, 182, 186, 141, 61, 442, 323), 0.8);
}

// Click to start, wait for the fly-in, switch the autopilot on and hold fire;
// click again whenever the ship may be down.
std::string PlayScript() {
    std::string s = "500 move 512 600\n600 ldown\n650 lup\n4000 key 0x41\n4100 ldown\n";
    for (int t = 8000; t < 60000; t += 4000) s += std::to_string(t) + " lup\n" + std::to_string(t + 50) + " ldown\n";
    return s;
}

TEST_F(GameRun, ScriptedRunScoresAndKeepsTheHighScore) {
    PlayDir dir;
    WriteFile(dir / "play.txt", PlayScript());
    RunResult r = RunGame(dir, "--seed 11 --run-ms 60000 --script play.txt --shot 59990:end.png");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.exitCode, 0);
    std::string saved = ReadFile(dir / "kestra.cfg");
    ASSERT_TRUE(std::regex_match(saved, std::regex("[1-9][0-9]*"))) << "kestra.cfg holds '" << saved << "'";
    Sheet font(kGameDir + "/text.bmp");
    Picture end;
    ASSERT_TRUE(end.Load(dir / "end.png"));
    EXPECT_GT(TextMatch(end, font, "High Score: ", 0, 8), 0.6);
    ExpectNumberShown(end, font, saved, 72, 8);

    // A second run starts with that high score on its HUD.
    RunResult again = RunGame(dir, "--seed 12 --run-ms 300 --shot 10:again.png");
    ASSERT_EQ(again.status, 0) << again.err;
    Picture pic;
    ASSERT_TRUE(pic.Load(dir / "again.png"));
    EXPECT_GT(TextMatch(pic, font, "High Score: ", 0, 8), 0.6);
    ExpectNumberShown(pic, font, saved, 72, 8);
    ExpectNumberShown(pic, font, "0", 72, 16);
    EXPECT_EQ(ReadFile(dir / "kestra.cfg"), saved);
}

struct MissingCase {
    const char* file;
    std::vector<Box> boxes;
};

TEST_F(GameRun, EachMissingDataFileGivesItsMessagesInOrder) {
    const std::vector<MissingCase> cases = {
        {"tiles.bmp",
         {{"Report", "Head image could not be loaded and/or found"},
          {"Report", "Could not load tiles.bmp."},
          {"Report", "VProgInterface(&prog) failed"}}},
        {"sprites.bmp",
         {{"Error!", "Image could not be loaded and/or found"},
          {"Report", "Could not load sprites.bmp."},
          {"Report", "VProgInterface(&prog) failed"}}},
        {"text.bmp",
         {{"Error!", "Image could not be loaded and/or found"},
          {"Report", "Could not load text.bmp."},
          {"Report", "VProgInterface(&prog) failed"}}},
        {"song.mid", {{"Report", "No midi for you!"}}},
    };
    for (const MissingCase& c : cases) {
        std::vector<std::string> files;
        for (const char* f : kDataFiles)
            if (std::string(f) != c.file) files.push_back(f);
        PlayDir dir(files);
        RunResult r = RunGame(dir, "--seed 1 --run-ms 500");
        SCOPED_TRACE(c.file);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.exitCode, 0);
        ASSERT_EQ(r.boxes.size(), c.boxes.size()) << r.out;
        for (size_t i = 0; i < c.boxes.size(); ++i) {
            EXPECT_EQ(r.boxes[i].caption, c.boxes[i].caption);
            EXPECT_EQ(r.boxes[i].text, c.boxes[i].text);
        }
        // Every box also went to standard error as it happened.
        for (const Box& b : c.boxes) EXPECT_NE(r.err.find(b.text), std::string::npos);
    }
}

// Ten virtual minutes of random input: moves, clicks, keys, focus changes.
TEST_F(GameRun, TenMinutesOfRandomInputEndCleanly) {
    PlayDir dir;
    std::string s;
    unsigned seed = 12345;
    auto next = [&seed](unsigned n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % n;
    };
    const char* keys[] = {"0x32", "0x33", "0x41", "0x42", "0x46", "0x47", "0x4D", "0x53", "0x57", "0x20"};
    for (int t = 100; t < 600000; t += 20 + (int)next(400)) {
        switch (next(10)) {
            case 0:
                s += std::to_string(t) + " ldown\n";
                break;
            case 1:
                s += std::to_string(t) + " lup\n";
                break;
            case 2:
                s += std::to_string(t) + " rdown\n" + std::to_string(t) + " rup\n";
                break;
            case 3:
                s += std::to_string(t) + " key " + keys[next(10)] + "\n";
                break;
            case 4:
                if (next(20) == 0) s += std::to_string(t) + " activate 0\n" + std::to_string(t + 300) + " activate 1\n";
                break;
            default:
                s += std::to_string(t) + " move " + std::to_string(next(1024)) + " " + std::to_string(next(768)) + "\n";
        }
    }
    WriteFile(dir / "random.txt", s);
    RunResult r = RunGame(dir, "--seed 3 --run-ms 600000 --step-ms 20 --script random.txt");
    ASSERT_EQ(r.status, 0) << r.err.substr(0, 4000);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.boxes.empty()) << r.out;
    EXPECT_GT(r.frames, 20000);
    EXPECT_EQ(r.err.find("runtime error"), std::string::npos) << r.err.substr(0, 4000);
    EXPECT_EQ(r.err.find("Sanitizer"), std::string::npos) << r.err.substr(0, 4000);
}

}  // namespace
