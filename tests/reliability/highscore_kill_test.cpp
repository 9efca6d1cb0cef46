// The high-score file survives a process killed at any moment: a child writes
// ever larger scores with WriteHighScore and reports each finished write
// through a pipe; the parent kills it with SIGKILL at random moments, hundreds
// of times, and after every kill "kestra.cfg" must hold a number written by
// the game, never lower than the last write the child finished.
#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <string>

#include "prog/core/highscore.h"
#include "tests/core/fake_prog.h"
#include "tests/reliability/run_game.h"

namespace {

// Child: continue from the stored best, write one more each time, and report
// each finished write. Never returns.
[[noreturn]] void WriteForever(int reportFd) {
    highScore = 0;
    ReadHighScore();
    for (int32_t next = highScore + 1;; ++next) {
        highScore = next;
        if (WriteHighScore() != 1) _exit(3);
        if (write(reportFd, &next, sizeof next) != sizeof next) _exit(4);
    }
}

// The file holds exactly what WriteHighScore writes: an optional '-' and
// decimal digits without leading zeros.
bool AsTheGameWritesIt(const std::string& text, long long* value) {
    size_t i = text.size() > 0 && text[0] == '-' ? 1 : 0;
    if (i == text.size() || text.size() > 11) return false;
    if (text[i] == '0' && text.size() > i + 1) return false;
    for (size_t k = i; k < text.size(); ++k)
        if (text[k] < '0' || text[k] > '9') return false;
    *value = std::stoll(text);
    return true;
}

int Leftovers() {  // temporary files that killed writes left behind
    int count = 0;
    DIR* dir = opendir(".");
    while (dirent* entry = readdir(dir))
        if (std::string(entry->d_name).rfind(HIGH_SCORE_FILE ".", 0) == 0) ++count;
    closedir(dir);
    return count;
}

TEST(HighScoreCrashSafety, KilledWritersNeverLoseTheStoredBest) {
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
    int leftovers = 0, reports = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill) + ", seed " + std::to_string(seed));
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        fflush(nullptr);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(fds[0]);
            WriteForever(fds[1]);
        }
        close(fds[1]);
        // The pipe holds thousands of reports, more than a child makes in
        // the longest wait.
        usleep(static_cast<useconds_t>(delayUs(random)));
        ASSERT_EQ(::kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the writer stopped by itself: " << status;
        int32_t value;
        while (read(fds[0], &value, sizeof value) == sizeof value) {
            lastWritten = value;
            ++reports;
        }
        close(fds[0]);

        std::string text = rel::ReadFile(HIGH_SCORE_FILE);
        long long stored = 0;
        ASSERT_TRUE(AsTheGameWritesIt(text, &stored)) << "kestra.cfg holds '" << text << "'";
        ASSERT_GE(stored, lastWritten);
        ASSERT_GE(stored, before) << "the stored best went down";
        ASSERT_LE(stored, std::max<long long>(lastWritten, before) + 1)
            << "only the write that was cut off may be missing from the reports";
        before = stored;
        leftovers = Leftovers();
    }
    // What the figures were, for the record.
    std::printf(
        "kills: %d, finished writes reported: %d, stored best at the end: %lld, "
        "temporary files left by kills mid-write: %d\n",
        kKills, reports, before, leftovers);
    EXPECT_GT(reports, kKills) << "the kills did not fall among the writes";
}

}  // namespace
