// The high-score file: reading with "%i", writing exactly the digits, and
// replacing the file so that a failed write never loses the stored number.
#include "prog/core/highscore.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct HighScoreFixture : ::testing::Test {
    std::string oldDir, dir;

    void SetUp() override {
        char cwd[4096];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        oldDir = cwd;
        char pattern[] = "/tmp/highscore_test.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        ASSERT_EQ(chdir(dir.c_str()), 0);
        highScore = 0;
    }
    void TearDown() override {
        chmod(dir.c_str(), 0700);
        ASSERT_EQ(chdir(oldDir.c_str()), 0);
        std::string command = "rm -rf '" + dir + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
        highScore = 0;
    }
    static void Put(const std::string& text) { std::ofstream(HIGH_SCORE_FILE, std::ios::binary) << text; }
    static std::string Get() {
        std::ifstream in(HIGH_SCORE_FILE, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }
    // Names in the folder, to see that no temporary file is left behind.
    std::vector<std::string> Entries() {
        std::vector<std::string> names;
        DIR* d = opendir(".");
        while (dirent* e = readdir(d)) {
            std::string name = e->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        closedir(d);
        return names;
    }
};

TEST_F(HighScoreFixture, LeadingZeroReadsAsOctal) {
    Put("010");
    EXPECT_EQ(ReadHighScore(), 1);
    EXPECT_EQ(highScore, 8);
}

TEST_F(HighScoreFixture, HexadecimalReads) {
    Put("0x1F");
    EXPECT_EQ(ReadHighScore(), 1);
    EXPECT_EQ(highScore, 31);
}

TEST_F(HighScoreFixture, NegativeNumberAndSurroundingTextIgnored) {
    Put("  \n-42 and more");
    EXPECT_EQ(ReadHighScore(), 1);
    EXPECT_EQ(highScore, -42);
}

TEST_F(HighScoreFixture, EmptyFileLeavesZeroAndFails) {
    Put("");
    EXPECT_EQ(ReadHighScore(), 0);
    EXPECT_EQ(highScore, 0);
}

TEST_F(HighScoreFixture, BlankFileMeetsEndAndFails) {
    highScore = 5;
    Put(" \n\t ");
    EXPECT_EQ(ReadHighScore(), 0);
    EXPECT_EQ(highScore, 5);
}

TEST_F(HighScoreFixture, GarbageSucceedsButLeavesValue) {
    highScore = 77;
    Put("kestra");
    EXPECT_EQ(ReadHighScore(), 1);
    EXPECT_EQ(highScore, 77);
}

TEST_F(HighScoreFixture, MissingFileLeavesValueAndFails) {
    highScore = 12;
    EXPECT_EQ(ReadHighScore(), 0);
    EXPECT_EQ(highScore, 12);
}

TEST_F(HighScoreFixture, WritesExactlyTheDigits) {
    highScore = 350;
    EXPECT_EQ(WriteHighScore(), 1);
    EXPECT_EQ(Get(), "350");
    highScore = -7;
    EXPECT_EQ(WriteHighScore(), 1);
    EXPECT_EQ(Get(), "-7");
    highScore = 0;
    EXPECT_EQ(WriteHighScore(), 1);
    EXPECT_EQ(Get(), "0");
    EXPECT_EQ(Entries(), (std::vector<std::string>{HIGH_SCORE_FILE}));
}

TEST_F(HighScoreFixture, ShorterNumberReplacesLongerOne) {
    Put("123456");
    highScore = 9;
    EXPECT_EQ(WriteHighScore(), 1);
    EXPECT_EQ(Get(), "9");
}

TEST_F(HighScoreFixture, WrittenValuesReadBackTheSame) {
    for (int32_t value : {8, 10, 31, 2147483647, -2147483647 - 1}) {
        highScore = value;
        ASSERT_EQ(WriteHighScore(), 1);
        highScore = 1;
        EXPECT_EQ(ReadHighScore(), 1);
        EXPECT_EQ(highScore, value);
    }
}

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
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    void (*oldHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit none = saved;
    none.rlim_cur = 0;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &none), 0);
    int result = WriteHighScore();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Get(), "120");
    EXPECT_EQ(Entries(), (std::vector<std::string>{HIGH_SCORE_FILE}));
    EXPECT_EQ(highScore, 350) << "the number in memory stays";
}

// The rename cannot put a file over a folder that holds something.
TEST_F(HighScoreFixture, FailedReplacementLeavesNoTemporaryFile) {
    ASSERT_EQ(mkdir(HIGH_SCORE_FILE, 0700), 0);
    std::ofstream(HIGH_SCORE_FILE "/keep") << "x";
    highScore = 5;
    EXPECT_EQ(WriteHighScore(), 0);
    EXPECT_EQ(Entries(), (std::vector<std::string>{HIGH_SCORE_FILE}));
    struct stat st;
    ASSERT_EQ(stat(HIGH_SCORE_FILE "/keep", &st), 0);
}

TEST_F(HighScoreFixture, ReadOnlyFolderKeepsOldFile) {
    Put("120");
    ASSERT_EQ(chmod(dir.c_str(), 0500), 0);
    if (access(".", W_OK) == 0) GTEST_SKIP() << "this user can write to a read-only folder";
    highScore = 350;
    EXPECT_EQ(WriteHighScore(), 0);
    EXPECT_EQ(Get(), "120");
}

}  // namespace
