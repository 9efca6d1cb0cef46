// Whole-game runs: the real engine start-up and loop on the headless backend,
// the real game module and data files, driven by scripts and checked on
// screenshots and kestra.cfg.
#include <gtest/gtest.h>

#include <cstdint>
#include <regex>
#include <string>
#include <vector>

#include "tests/support/picture.h"
#include "tests/support/run_game.h"

namespace {

using pic::Picture;
using pic::TextMatch;
using rel::RunResult;

void ExpectNumberShown(const Picture& pic, const Picture& font, const std::string& digits, int x, int y) {
    const pic::NumberScore score = pic::NumberMatch(pic, font, digits, x, y);
    EXPECT_TRUE(score.Shown()) << digits << ": " << score.right << " against " << score.other;
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
    for (int line = 0; line < 5; ++line)
        EXPECT_GT(TextMatch(first, font, pic::kFirstHud[line], 0, line * 8), 0.8) << pic::kFirstHud[line];
    EXPECT_GT(pic::WaitingPanelMatch(banner, sprites), 0.8);
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
    ExpectNumberShown(end, font, saved, pic::kHighScoreX, pic::kHighScoreY);

    rel::ExpectCleanEnd(rel::RunGame(dir.path, 300, "--seed 12 --shot 10:again.png"));
    const Picture again(dir / "again.png");
    ASSERT_FALSE(again.rgb.empty());
    EXPECT_GT(TextMatch(again, font, "High Score: ", 0, 8), 0.6);
    ExpectNumberShown(again, font, saved, pic::kHighScoreX, pic::kHighScoreY);
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
