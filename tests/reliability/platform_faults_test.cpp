// Platform faults on the headless backend, through the real runner and game:
// flips that stay busy, a surface lost at every flip, restores that fail, a
// sequencer that cannot open. The engine keeps running and ends cleanly on
// Escape with exit code 0.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/reliability/run_game.h"

namespace {

using rel::Box;
using rel::RunResult;

class PlatformFault : public ::testing::Test {
  protected:
    rel::TempFolder folder;
    void SetUp() override {
        if (!rel::GameFolderComplete()) GTEST_SKIP() << "the game folder is not complete";
        for (const char* name : rel::kDataFiles) rel::CopyFile(rel::kGameDir + "/" + name, folder / name);
    }
    RunResult Run(const std::string& faults) {
        RunResult run = rel::RunGame(folder.path, "--seed 4 --run-ms 2000 " + faults);
        EXPECT_EQ(run.signal, 0) << run.err.substr(0, 3000);
        EXPECT_EQ(run.status, 0) << run.err.substr(0, 3000);
        EXPECT_EQ(run.exitCode, 0) << run.out;
        EXPECT_GE(run.virtualMs, 2000);
        EXPECT_LT(run.virtualMs, 60000) << "the engine did not end on Escape";
        EXPECT_EQ(rel::SanitizerReport(run), "");
        return run;
    }
};

// Every frame's flip is refused as still drawing many times over before it
// goes through: the frames are late but all of them are shown.
TEST_F(PlatformFault, FlipsThatStayBusyAreWaitedFor) {
    RunResult clean = Run("");
    RunResult busy = Run("--fault flipStillDrawing=200000");
    EXPECT_TRUE(busy.boxes.empty()) << busy.out;
    EXPECT_EQ(busy.frames, clean.frames);
    EXPECT_EQ(busy.calls, clean.calls);
}

// A surface lost at every flip is restored each time and no frame is shown,
// but the game is called as often as ever.
TEST_F(PlatformFault, SurfaceLostAtEveryFlip) {
    RunResult clean = Run("");
    RunResult lost = Run("--fault flipLost=-1");
    EXPECT_TRUE(lost.boxes.empty()) << lost.out;
    EXPECT_EQ(lost.frames, 0);
    EXPECT_EQ(lost.calls, clean.calls);
}

// Three restores fail: three messages, three shutdown notices to the game,
// and the engine runs on and shows frames again once restoring works.
TEST_F(PlatformFault, FailedRestoresAreReportedAndTheEngineRunsOn) {
    RunResult clean = Run("");
    RunResult run = Run("--fault flipLost=5 --fault restore=3");
    EXPECT_EQ(run.boxes, (std::vector<Box>(3, Box{"Error!", "Tried to restore primary surface and failed."})))
        << run.out;
    EXPECT_EQ(run.calls, clean.calls + 3) << "one shutdown notice per failed restore";
    EXPECT_EQ(run.frames, clean.frames - 5);
}

// Restores that always fail: a message at every frame, and still a clean end.
TEST_F(PlatformFault, RestoreThatNeverWorks) {
    RunResult run = rel::RunGame(folder.path, "--seed 4 --run-ms 300 --fault flipLost=-1 --fault restore=-1");
    EXPECT_EQ(run.status, 0) << run.err.substr(0, 3000);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.frames, 0);
    ASSERT_GT(run.boxes.size(), 10u);
    for (const Box& box : run.boxes) EXPECT_EQ(box, (Box{"Error!", "Tried to restore primary surface and failed."}));
    EXPECT_EQ(rel::SanitizerReport(run), "");
}

TEST_F(PlatformFault, SequencerThatCannotOpen) {
    RunResult clean = Run("");
    RunResult run = Run("--fault mciOpen=1");
    EXPECT_EQ(run.boxes, (std::vector<Box>{{"Report", "No midi for you!"}})) << run.out;
    EXPECT_EQ(run.frames, clean.frames);
}

// All of them at once, on a long run with play.
TEST_F(PlatformFault, AllTogetherDuringPlay) {
    rel::WriteFile(folder / "play.txt",
                   "100 move 512 600\n200 ldown\n250 lup\n3000 key 0x41\n3100 ldown\n6000 key 0x46\n9000 lup\n");
    RunResult run = rel::RunGame(folder.path,
                                 "--seed 9 --run-ms 10000 --script play.txt --fault flipStillDrawing=50000 "
                                 "--fault flipLost=300 --fault restore=2 --fault mciOpen=-1");
    EXPECT_EQ(run.status, 0) << run.err.substr(0, 3000);
    EXPECT_EQ(run.exitCode, 0);
    ASSERT_EQ(run.boxes.size(), 3u) << run.out;
    EXPECT_EQ(run.boxes[0], (Box{"Report", "No midi for you!"}));
    EXPECT_EQ(run.boxes[1], (Box{"Error!", "Tried to restore primary surface and failed."}));
    EXPECT_EQ(run.boxes[2], run.boxes[1]);
    EXPECT_GT(run.frames, 100);
    EXPECT_EQ(rel::SanitizerReport(run), "");
}

}  // namespace
