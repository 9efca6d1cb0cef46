// The high-score file: reading with "%i", writing exactly the digits, and
// replacing the file so that a failed write never loses the stored number.
#include "prog/core/highscore.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#if !defined(_WIN32)
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#endif

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/fake_prog.h"

namespace {

using Strings = std::vector<std::string>;

struct HighScoreFixture : ::testing::Test {
    fake::TempDir dir;
    void SetUp() override {
        ASSERT_FALSE(dir.path.empty());
        highScore = 0;
    }
    void TearDown() override {
#if !defined(_WIN32)
        chmod(dir.path.c_str(), 0700);
#endif
        highScore = 0;
    }
    static void Put(const std::string& text) { std::ofstream(HIGH_SCORE_FILE, std::ios::binary) << text; }
    static std::string Get() {
        std::ostringstream out;
        out << std::ifstream(HIGH_SCORE_FILE, std::ios::binary).rdbuf();
        return out.str();
    }
    // Names in the folder, to see that no temporary file is left behind.
    static Strings Entries() {
        Strings names;
        for (const auto& entry : std::filesystem::directory_iterator("."))
            names.push_back(entry.path().filename().string());
        return names;
    }
};

TEST_F(HighScoreFixture, ReadsWithPercentI) {
    struct Case {
        const char* content;  // null: no file
        int32_t before, result, after;
    };
    const Case cases[] = {
        {"010", 0, 1, 8},      {"0x1F", 0, 1, 31},  {"  \n-42 and more", 0, 1, -42},
        {"", 0, 0, 0},         {" \n\t ", 5, 0, 5},  // blank: meets the end before a number
        {"kestra", 77, 1, 77},                       // not a number: scanned, but nothing converted
        {nullptr, 12, 0, 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.content ? c.content : "(no file)");
        std::remove(HIGH_SCORE_FILE);
        if (c.content) Put(c.content);
        highScore = c.before;
        EXPECT_EQ(ReadHighScore(), c.result);
        EXPECT_EQ(highScore, c.after);
    }
}

TEST_F(HighScoreFixture, WritesExactlyTheDigitsAndReadsThemBack) {
    Put("123456");
    const std::pair<int32_t, const char*> cases[] = {
        {350, "350"}, {-7, "-7"}, {0, "0"}, {8, "8"}, {2147483647, "2147483647"}, {-2147483647 - 1, "-2147483648"}};
    for (auto [value, text] : cases) {
        highScore = value;
        EXPECT_EQ(WriteHighScore(), 1);
        EXPECT_EQ(Get(), text);
        highScore = 1;
        EXPECT_EQ(ReadHighScore(), 1);
        EXPECT_EQ(highScore, value);
    }
    EXPECT_EQ(Entries(), Strings{HIGH_SCORE_FILE});
}

// The rename cannot put a file over a folder that holds something.
TEST_F(HighScoreFixture, FailedReplacementLeavesNoTemporaryFile) {
    ASSERT_TRUE(std::filesystem::create_directory(HIGH_SCORE_FILE));
    std::ofstream(HIGH_SCORE_FILE "/keep") << "x";
    highScore = 5;
    EXPECT_EQ(WriteHighScore(), 0);
    EXPECT_EQ(Entries(), Strings{HIGH_SCORE_FILE});
}

#if !defined(_WIN32)
// The file is written through a temporary file, which must not keep its
// private permissions once renamed.
TEST_F(HighScoreFixture, NewFileGetsTheUsualPermissions) {
    mode_t old = umask(022);
    highScore = 1;
    EXPECT_EQ(WriteHighScore(), 1);
    umask(old);
    struct stat st;
    ASSERT_EQ(stat(HIGH_SCORE_FILE, &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
}

// A write that fails half-way (here: no room for a single byte, as on a full
// disk) must leave the old file as it was and no temporary file behind.
TEST_F(HighScoreFixture, FailedWriteKeepsOldFile) {
    Put("120");
    highScore = 350;
    rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    void (*oldHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    rlimit none = saved;
    none.rlim_cur = 0;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &none), 0);
    int result = WriteHighScore();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Get(), "120");
    EXPECT_EQ(Entries(), Strings{HIGH_SCORE_FILE});
    EXPECT_EQ(highScore, 350) << "the number in memory stays";
}

TEST_F(HighScoreFixture, ReadOnlyFolderKeepsOldFile) {
    Put("120");
    ASSERT_EQ(chmod(dir.path.c_str(), 0500), 0);
    if (access(".", W_OK) == 0) GTEST_SKIP() << "this user can write to a read-only folder";
    highScore = 350;
    EXPECT_EQ(WriteHighScore(), 0);
    EXPECT_EQ(Get(), "120");
}
#endif

}  // namespace
