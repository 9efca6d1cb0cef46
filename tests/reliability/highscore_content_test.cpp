// What the game makes of a "kestra.cfg" holding something it never writes:
// text, numbers too large for 32 bits, negative numbers, binary bytes. The
// stored best is read with "%i", shown on the HUD from the first frame, and
// rewritten only when the running score goes past it.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>

#include "prog/core/alloc.h"
#include "prog/core/highscore.h"
#include "prog/core/text.h"
#include "prog/core/world.h"
#include "tests/core/fake_prog.h"
#include "tests/reliability/run_game.h"

namespace {

// What "%i" into a 32-bit int gives for `text` on this C library. For
// numbers beyond 32 bits the language leaves the result to the library;
// glibc converts as a long and keeps the low 32 bits.
int32_t ScanResult(const std::string& text, int32_t unchanged) {
    int value = unchanged;
    std::sscanf(text.c_str(), "%i", &value);
    return value;
}

struct Content {
    const char* name;
    std::string bytes;
    int32_t shown;  // the best shown on the HUD
};

std::vector<Content> Contents() {
    return {
        {"garbage", "kestra high score", 0},
        {"largest", "2147483647", INT32_MAX},
        {"smallest", "-2147483648", INT32_MIN},
        {"11 digits", "99999999999", ScanResult("99999999999", 0)},
        {"30 digits", "999999999999999999999999999999", ScanResult("999999999999999999999999999999", 0)},
        {"negative", "-250", -250},
        {"binary", std::string("\x00\x01\xfe\xff\x80", 5), 0},
        {"digits then binary", std::string("42\x00\xff junk", 9), 42},
        {"hex", "0x7fffffff", INT32_MAX},
        {"octal", "0777", 511},
        {"sign alone", "-", 0},
        {"blank", " \n\t", 0},
    };
}

TEST(StoredBest, ShownOnTheFirstHudAsTheScanReadsIt) {
    for (const Content& c : Contents()) {
        SCOPED_TRACE(c.name);
        fake::TempDir dir;
        ASSERT_FALSE(dir.path.empty());
        rel::WriteFile(HIGH_SCORE_FILE, c.bytes);
        Prog prog = fake::MakeProg();
        ASSERT_EQ(VProgInterface(&prog), 1);
        EXPECT_EQ(highScore, c.shown);
        prog.event = EV_START;
        VProgProcedure(0);
        const std::string hud = Hud->text;
        EXPECT_NE(hud.find("\nHigh Score: " + std::to_string(c.shown) + "\n"), std::string::npos) << hud;
        EXPECT_EQ(rel::ReadFile(HIGH_SCORE_FILE), c.bytes) << "reading changed the file";
        ResetWorld();
    }
}

// Through the real runner: no message, a clean end, and the file rewritten
// only where a score of 0 already beats the stored best.
TEST(StoredBest, RealRunKeepsOrReplacesTheFile) {
    if (!rel::GameFolderComplete()) GTEST_SKIP() << "the game folder is not complete";
    for (const Content& c : Contents()) {
        SCOPED_TRACE(c.name);
        rel::TempFolder folder;
        for (const char* name : rel::kDataFiles) rel::CopyFile(rel::kGameDir + "/" + name, folder / name);
        rel::WriteFile(folder / HIGH_SCORE_FILE, c.bytes);
        rel::RunResult run = rel::RunGame(folder.path, "--seed 5 --run-ms 300");
        EXPECT_EQ(run.status, 0) << run.err.substr(0, 3000);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_TRUE(run.boxes.empty()) << run.out;
        EXPECT_EQ(rel::SanitizerReport(run), "");
        const std::string after = rel::ReadFile(folder / HIGH_SCORE_FILE);
        if (c.shown < 0)
            EXPECT_EQ(after, "0") << "a score of 0 beats a negative best and is saved at once";
        else
            EXPECT_EQ(after, c.bytes);
    }
}

}  // namespace
