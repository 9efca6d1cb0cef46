// Whole-game runs: the real engine start-up and loop on the headless backend,
// the real game module and data files, driven by scripts and checked on
// screenshots and kestra.cfg.
#include <gtest/gtest.h>

#include <cstdint>
#include <regex>
#include <string>
#include <vector>

#include "tests/e2e/picture.h"
#include "tests/reliability/run_game.h"

namespace {

using e2e::Picture;
using e2e::Shown;
using rel::RunResult;

// Share of the non-key pixels of a sheet rectangle that the screenshot shows
// unchanged at (dx, dy). Clouds drawn over everything may hide a few.
double Match(const Picture& pic, const Picture& sheet, int sx, int sy, int w, int h, int dx, int dy) {
    const uint32_t key = Shown(sheet.At(0, 0));
    int total = 0, same = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t c = Shown(sheet.At(sx + x, sy + y));
            if (c == key) continue;
            ++total;
            same += dx + x >= 0 && dx + x < pic.w && dy + y >= 0 && dy + y < pic.h && pic.At(dx + x, dy + y) == c;
        }
    return total ? static_cast<double>(same) / total : 0.0;
}

// Share of the font's pixels of `text` found at (x, y) in the screenshot.
double TextMatch(const Picture& pic, const Picture& font, const std::string& text, int x, int y) {
    double sum = 0;
    int glyphs = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const int n = static_cast<unsigned char>(text[i]);
        if (n <= 32) continue;
        sum += Match(pic, font, (n % 25) * 6, (n / 25) * 8, 6, 8, x + static_cast<int>(i) * 6, y);
        ++glyphs;
    }
    return glyphs ? sum / glyphs : 0.0;
}

// Whether the HUD shows `digits` at (x, y): clouds may hide part of it, so
// the number must also match clearly better than one with every digit changed.
void ExpectNumberShown(const Picture& pic, const Picture& font, const std::string& digits, int x, int y) {
    std::string wrong = digits;
    for (char& c : wrong) c = static_cast<char>('0' + (c - '0' + 5) % 10);
    const double right = TextMatch(pic, font, digits, x, y), other = TextMatch(pic, font, wrong, x, y);
    EXPECT_GT(right, 0.6) << digits;
    EXPECT_GT(right, other + 0.15) << digits << " against " << wrong;
}

class GameRun : public ::testing::Test {
  protected:
    rel::TempFolder dir;
    Picture font{rel::kGameDir + "/text.bmp"};
    void SetUp() override {
        if (!rel::GameFolderComplete()) GTEST_SKIP() << "the game folder is not complete";
        dir.AddDataFiles();
        ASSERT_FALSE(font.rgb.empty());
    }
};

TEST_F(GameRun, FirstFramesShowHudAndWaitingBanner) {
    RunResult r = rel::RunGame(dir.path, 2000, "--seed 7 --shot 10:first.png --shot 1600:banner.png");
    rel::ExpectCleanEnd(r);
    EXPECT_TRUE(r.boxes.empty()) << r.out;
    EXPECT_GT(r.frames, 100);
    const Picture first(dir / "first.png"), banner(dir / "banner.png"), sprites(rel::kGameDir + "/sprites.bmp");
    ASSERT_EQ(first.w, 1024);
    ASSERT_EQ(first.h, 768);
    ASSERT_FALSE(banner.rgb.empty() || sprites.rgb.empty());
    const char* const hud[] = {"Kestra v2.0e", "High Score: 0", "Your Score: 0", "  Missiles: 3",
                               "     Speed: 0 clicks/sec"};
    for (int line = 0; line < 5; ++line) EXPECT_GT(TextMatch(first, font, hud[line], 0, line * 8), 0.8) << hud[line];
    // The banner, made at (512, 0), has come down to rest at (442, 323),
    // showing the panel of a ship waiting for a click.
    EXPECT_GT(Match(banner, sprites, 182, 186, 141, 61, 442, 323), 0.8);
}

// Click to start, wait for the fly-in, switch the autopilot on and hold fire;
// click again whenever the ship may be down. A second run starts with the
// saved best on its HUD.
TEST_F(GameRun, ScriptedRunScoresAndKeepsTheHighScore) {
    std::string script = "500 move 512 600\n600 ldown\n650 lup\n4000 key 0x41\n4100 ldown\n";
    for (int t = 8000; t < 60000; t += 4000)
        script += std::to_string(t) + " lup\n" + std::to_string(t + 50) + " ldown\n";
    rel::WriteFile(dir / "play.txt", script);
    rel::ExpectCleanEnd(rel::RunGame(dir.path, 60000, "--seed 11 --script play.txt --shot 59990:end.png"));
    const std::string saved = rel::ReadFile(dir / "kestra.cfg");
    ASSERT_TRUE(std::regex_match(saved, std::regex("[1-9][0-9]*"))) << "kestra.cfg holds '" << saved << "'";
    const Picture end(dir / "end.png");
    ASSERT_FALSE(end.rgb.empty());
    EXPECT_GT(TextMatch(end, font, "High Score: ", 0, 8), 0.6);
    ExpectNumberShown(end, font, saved, 72, 8);

    rel::ExpectCleanEnd(rel::RunGame(dir.path, 300, "--seed 12 --shot 10:again.png"));
    const Picture again(dir / "again.png");
    ASSERT_FALSE(again.rgb.empty());
    EXPECT_GT(TextMatch(again, font, "High Score: ", 0, 8), 0.6);
    ExpectNumberShown(again, font, saved, 72, 8);
    ExpectNumberShown(again, font, "0", 72, 16);
    EXPECT_EQ(rel::ReadFile(dir / "kestra.cfg"), saved);
}

// Ten virtual minutes of random input: moves, clicks, keys, focus changes.
TEST_F(GameRun, TenMinutesOfRandomInputEndCleanly) {
    unsigned seed = 12345;
    auto next = [&seed](unsigned n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % n;
    };
    const char* const keys[] = {"0x32", "0x33", "0x41", "0x42", "0x46", "0x47", "0x4D", "0x53", "0x57", "0x20"};
    std::string s;
    for (int t = 100; t < 600000; t += 20 + static_cast<int>(next(400))) {
        const std::string at = std::to_string(t) + " ";
        const unsigned kind = next(10);
        if (kind == 0) s += at + "ldown\n";
        if (kind == 1) s += at + "lup\n";
        if (kind == 2) s += at + "rdown\n" + at + "rup\n";
        if (kind == 3) s += at + "key " + keys[next(10)] + "\n";
        if (kind == 4 && next(20) == 0) s += at + "activate 0\n" + std::to_string(t + 300) + " activate 1\n";
        if (kind >= 5) s += at + "move " + std::to_string(next(1024)) + " " + std::to_string(next(768)) + "\n";
    }
    rel::WriteFile(dir / "random.txt", s);
    RunResult r = rel::RunGame(dir.path, 600000, "--seed 3 --step-ms 20 --script random.txt");
    rel::ExpectCleanEnd(r);
    EXPECT_TRUE(r.boxes.empty()) << r.out;
    EXPECT_GT(r.frames, 20000);
}

}  // namespace
