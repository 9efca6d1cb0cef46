// The high-score file: one integer read with "%i" and written as exactly its digits, replaced through a temporary file
// beside it so that neither a failed write nor a writer killed at any moment loses the stored best.
#include "prog/core/highscore.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <random>

#include "tests/support/temp_dir.h"

namespace {

using Strings = std::vector<std::string>;
using V = std::vector<int>;

struct HighScore : ::testing::Test {
    support::TempDir dir{true};
    void SetUp() override { ASSERT_FALSE(dir.path.empty()); }
    void TearDown() override { highScore = 0; }
    // Names in the folder, to see that no temporary file is left behind.
    static Strings Entries() {
        Strings names;
        for (const auto& entry : std::filesystem::directory_iterator(".")) names.push_back(entry.path().filename());
        return names;
    }
};

// Whatever the file holds is read as the scan reads it: the number when one converts, else the stored best (77) kept; 1
// is returned unless the scan meets the end first or there is no file. Reading never changes the file.
TEST_F(HighScore, ContentsAreReadAsTheScanReadsThem) {
    const struct {
        std::string bytes;
        int result, value;
        // clang-format off
    } cases[] = {{"010", 1, 8}, {"0x1F", 1, 31}, {"  \n-42 and more", 1, -42}, {"0x7fffffff", 1, INT32_MAX},
                 {"2147483647", 1, INT32_MAX}, {"-2147483648", 1, INT32_MIN}, 
                 {std::string("42\0\xff junk", 9), 1, 42}, {"kestra high score", 1, 77},
                 {std::string("\0\x01\xfe\xff\x80", 5), 1, 77}, {"-", 1, 77}, {"", 0, 77}, {" \n\t ", 0, 77}};
    // clang-format on
    for (const auto& c : cases) {
        support::WriteFile(HIGH_SCORE_FILE, c.bytes);
        highScore = 77;
        EXPECT_EQ((V{ReadHighScore(), highScore}), (V{c.result, c.value})) << c.bytes;
        EXPECT_EQ(support::ReadFile(HIGH_SCORE_FILE), c.bytes);
    }
    std::remove(HIGH_SCORE_FILE);
    EXPECT_EQ((V{ReadHighScore(), highScore}), (V{0, 77}));
}
// Written over an older file; the temporary file does not keep its private permissions once renamed; a game started
// with its standard input closed, which gets descriptor 0 for the temporary file, still writes.
TEST_F(HighScore, WritesExactlyTheDigitsWithTheUsualPermissions) {
    support::WriteFile(HIGH_SCORE_FILE, "123456");
    for (int32_t value : {350, -7, 0, 8, INT32_MAX, INT32_MIN}) {
        highScore = value;
        EXPECT_EQ(WriteHighScore(), 1);
        EXPECT_EQ(support::ReadFile(HIGH_SCORE_FILE), std::to_string(value));
    }
    EXPECT_EQ(Entries(), Strings{HIGH_SCORE_FILE});
    const mode_t mask = umask(022);
    std::remove(HIGH_SCORE_FILE);
    const int input = dup(0);
    close(0);
    highScore = 5;
    const int result = WriteHighScore();
    if (input >= 0) dup2(input, 0), close(input);
    umask(mask);
    struct stat st;
    ASSERT_EQ((V{result, stat(HIGH_SCORE_FILE, &st)}), (V{1, 0}));
    EXPECT_EQ(st.st_mode & 0777, 0644u);
    EXPECT_EQ(support::ReadFile(HIGH_SCORE_FILE), "5");
}
// A write that fails leaves the old file as it was, no temporary file behind and the number in memory: the player made
// the file read-only, the temporary file cannot be written (no room for a byte, as on a full disk), cannot replace the
// file (a folder holding something stands in its place), or cannot be made (the folder is gone). The first failure
// alone is told on standard error.
TEST_F(HighScore, FailedWritesKeepTheOldFile) {
    testing::internal::CaptureStderr();
    support::WriteFile(HIGH_SCORE_FILE, "120");
    highScore = 350;
    ASSERT_EQ(chmod(HIGH_SCORE_FILE, 0444), 0);
    EXPECT_EQ(WriteHighScore(), 0);
    struct stat st;
    EXPECT_EQ((V{stat(HIGH_SCORE_FILE, &st), static_cast<int>(st.st_mode & 0777)}), (V{0, 0444}));
    ASSERT_EQ(chmod(HIGH_SCORE_FILE, 0644), 0);
    EXPECT_EQ(support::ReadFile(HIGH_SCORE_FILE), "120");
    rlimit saved, none;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    void (*oldHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    none = saved, none.rlim_cur = 0;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &none), 0);
    const int result = WriteHighScore();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ((V{result, highScore}), (V{0, 350}));
    EXPECT_EQ(support::ReadFile(HIGH_SCORE_FILE), "120");
    EXPECT_EQ(Entries(), Strings{HIGH_SCORE_FILE});
    std::remove(HIGH_SCORE_FILE);
    ASSERT_TRUE(std::filesystem::create_directories(HIGH_SCORE_FILE "/keep"));
    EXPECT_EQ(WriteHighScore(), 0);
    EXPECT_EQ(Entries(), Strings{HIGH_SCORE_FILE});
    std::filesystem::remove_all(dir.path);
    EXPECT_EQ(WriteHighScore(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "kestra: the high score cannot be saved in kestra.cfg: the file is read-only\n");
}
// A child writes ever larger scores, reporting each finished write through a pipe, and is killed with SIGKILL at a
// random moment, hundreds of times; after every kill the file must hold a number as the game writes it, never lower
// than the last finished write.
TEST_F(HighScore, KilledWritersNeverLoseTheStoredBest) {
    ASSERT_EQ((highScore = 0, WriteHighScore()), 1);
    const unsigned seed = static_cast<unsigned>(std::time(nullptr));
    std::mt19937 random(seed);
    long long lastWritten = 0, before = 0, reports = 0;  // the last write reported; what the file held before the child
    for (int kill = 0; kill < 300; ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill) + ", seed " + std::to_string(seed));
        int fds[2], status = 0;
        ASSERT_EQ(pipe(fds), 0);
        fflush(nullptr);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(fds[0]), ReadHighScore();
            for (int32_t next = highScore + 1;; ++next)
                if ((highScore = next, WriteHighScore()) != 1 || write(fds[1], &next, sizeof next) != sizeof next)
                    _exit(3);
        }
        close(fds[1]);
        pollfd first{fds[0], POLLIN, 0};  // the kill falls among the writes: after the first, at a random moment
        const bool wrote = poll(&first, 1, 30000) == 1;
        if (wrote) usleep(static_cast<useconds_t>(random() % 15001));  // the pipe holds more reports than that
        ASSERT_EQ(::kill(child, SIGKILL), 0);
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(wrote && WIFSIGNALED(status)) << "the writer finished no write, or stopped by itself: " << status;
        for (int32_t value; read(fds[0], &value, sizeof value) == sizeof value; ++reports) lastWritten = value;
        close(fds[0]);
        const std::string text = support::ReadFile(HIGH_SCORE_FILE);
        const long long stored = text.empty() ? -1 : std::stoll(text);  // throws, failing, on no number at all
        ASSERT_EQ(std::to_string(stored), text) << "kestra.cfg holds no number as the game writes it";
        ASSERT_GE(stored, std::max(lastWritten, before)) << "the stored best went down";
        ASSERT_LE(stored, std::max(lastWritten, before) + 1) << "only the write cut off may be unreported";
        before = stored;
    }
    std::printf("kills: 300, finished writes reported: %lld\n", reports);
}

}  // namespace
