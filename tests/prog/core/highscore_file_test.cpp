// The high-score file under abuse: writers killed at random moments never
// lose the stored best, and a "kestra.cfg" holding what the game never writes
// (text, numbers beyond 32 bits, negative numbers, binary bytes) is read with
// "%i", shown on the first HUD, and rewritten only when a score beats it.
#include "prog/core/highscore.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <random>
#include <regex>
#include <string>

#include "prog/core/text.h"
#include "prog/core/world.h"
#include "tests/support/fake_prog.h"
#include "tests/support/temp_dir.h"

namespace {

// Child: continue from the stored best, write one more each time, and report
// each finished write through the pipe. Never returns.
[[noreturn]] void WriteForever(int reportFd) {
    highScore = 0;
    ReadHighScore();
    for (int32_t next = highScore + 1;; ++next) {
        highScore = next;
        if (WriteHighScore() != 1) _exit(3);
        if (write(reportFd, &next, sizeof next) != sizeof next) _exit(4);
    }
}

// A child writes ever larger scores and is killed with SIGKILL at a random
// moment, hundreds of times; after every kill the file must hold a number as
// the game writes it, never lower than the last finished write.
TEST(HighScoreFile, KilledWritersNeverLoseTheStoredBest) {
    fake::TempDir dir;
    ASSERT_FALSE(dir.path.empty());
    highScore = 0;
    ASSERT_EQ(WriteHighScore(), 1);
    const unsigned seed = static_cast<unsigned>(std::time(nullptr));
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delayUs(0, 15000);
    const int kKills = 300;
    int32_t lastWritten = 0;  // the highest write a child reported finished
    long long before = 0;     // what the file held when the child started
    int reports = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill) + ", seed " + std::to_string(seed));
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        fflush(nullptr);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(fds[0]);
            WriteForever(fds[1]);
        }
        close(fds[1]);
        // The pipe holds more reports than a child makes in the longest wait.
        usleep(static_cast<useconds_t>(delayUs(random)));
        ASSERT_EQ(::kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself: " << status;
        for (int32_t value; read(fds[0], &value, sizeof value) == sizeof value; ++reports) lastWritten = value;
        close(fds[0]);

        const std::string text = support::ReadFile(HIGH_SCORE_FILE);
        ASSERT_TRUE(std::regex_match(text, std::regex("-?[1-9][0-9]{0,9}|0"))) << "kestra.cfg holds '" << text << "'";
        const long long stored = std::stoll(text);
        ASSERT_GE(stored, lastWritten);
        ASSERT_GE(stored, before) << "the stored best went down";
        ASSERT_LE(stored, std::max<long long>(lastWritten, before) + 1)
            << "only the write that was cut off may be missing from the reports";
        before = stored;
    }
    std::printf("kills: %d, finished writes reported: %d\n", kKills, reports);
    EXPECT_GT(reports, kKills) << "the kills did not fall among the writes";
}

// What "%i" into a 32-bit int gives on this C library; beyond 32 bits the
// language leaves it to the library (glibc keeps the low 32 bits of a long).
int32_t ScanResult(const char* text) {
    int value = 0;
    std::sscanf(text, "%i", &value);
    return value;
}

TEST(HighScoreFile, StrangeContentsAreReadAsTheScanReadsThem) {
    const struct {
        const char* name;
        std::string bytes;
        int32_t shown;  // the best shown on the HUD
    } contents[] = {
        {"garbage", "kestra high score", 0},
        {"largest", "2147483647", INT32_MAX},
        {"smallest", "-2147483648", INT32_MIN},
        {"11 digits", "99999999999", ScanResult("99999999999")},
        {"30 digits", "999999999999999999999999999999", ScanResult("999999999999999999999999999999")},
        {"negative", "-250", -250},
        {"binary", std::string("\x00\x01\xfe\xff\x80", 5), 0},
        {"digits then binary", std::string("42\x00\xff junk", 9), 42},
        {"hex", "0x7fffffff", INT32_MAX},
        {"octal", "0777", 511},
        {"sign alone", "-", 0},
        {"blank", " \n\t", 0},
    };
    for (const auto& c : contents) {
        SCOPED_TRACE(c.name);
        fake::TempDir dir;
        ASSERT_FALSE(dir.path.empty());
        support::WriteFile(HIGH_SCORE_FILE, c.bytes);
        Prog prog = fake::MakeProg();
        ASSERT_EQ(VProgInterface(&prog), 1);
        prog.event = EV_START;
        VProgProcedure(0);
        const std::string hud = Hud->text;
        EXPECT_NE(hud.find("\nHigh Score: " + std::to_string(c.shown) + "\n"), std::string::npos) << hud;
        EXPECT_EQ(support::ReadFile(HIGH_SCORE_FILE), c.bytes) << "reading changed the file";
        // The first tick: a score of 0 beats only a negative best, which is
        // then saved at once.
        prog.event = EV_FRAME;
        VProgProcedure(10);
        EXPECT_EQ(support::ReadFile(HIGH_SCORE_FILE), c.shown < 0 ? std::string("0") : c.bytes);
        EXPECT_TRUE(fake::Reports().empty());
        ResetWorld();
    }
}

}  // namespace
