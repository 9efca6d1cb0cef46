// Platform faults on the headless backend, through the real runner and game
// during play: flips that stay busy, a surface lost at every flip, restores
// that fail, a sequencer that cannot open. The engine keeps running and ends
// cleanly on Escape with exit code 0.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/run_game.h"

namespace {

using rel::Box;
using rel::RunResult;

TEST(PlatformFault, EngineRunsOnAndEndsCleanly) {
    if (!rel::GameFolderComplete()) GTEST_SKIP() << "the game folder is not complete";
    rel::TempFolder folder;
    folder.AddDataFiles();
    // Click to start, autopilot, fire held, spark trail.
    rel::WriteFile(folder / "play.txt",
                   "100 move 512 600\n200 ldown\n250 lup\n1000 key 0x41\n1100 ldown\n1500 key 0x46\n");
    auto run = [&folder](const std::string& faults, long runMs = 3000) {
        RunResult r = rel::RunGame(folder.path, runMs, "--seed 4 --script play.txt " + faults);
        rel::ExpectCleanEnd(r);
        EXPECT_GE(r.virtualMs, runMs);
        return r;
    };
    const RunResult clean = run("");
    ASSERT_GT(clean.frames, 100);
    const Box restoreFailed{"Error!", "Tried to restore primary surface and failed."};
    const struct {
        const char* faults;
        std::vector<Box> boxes;
        long frames, calls;
    } cases[] = {
        // Flips refused as still drawing many times over are waited for:
        // late, but every frame is shown.
        {"--fault flipStillDrawing=200000", {}, clean.frames, clean.calls},
        // A surface lost at every flip is restored each time and no frame is
        // shown, but the game is called as often as ever.
        {"--fault flipLost=-1", {}, 0, clean.calls},
        // Three failed restores: a message and a shutdown notice to the game
        // each, then frames again once restoring works.
        {"--fault flipLost=5 --fault restore=3",
         {restoreFailed, restoreFailed, restoreFailed},
         clean.frames - 5,
         clean.calls + 3},
        {"--fault mciOpen=1", {{"Report", "No midi for you!"}}, clean.frames, clean.calls},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.faults);
        RunResult r = run(c.faults);
        EXPECT_EQ(r.boxes, c.boxes) << r.out;
        EXPECT_EQ(r.frames, c.frames);
        EXPECT_EQ(r.calls, c.calls);
    }

    // Restores that never work: a message at every frame, and still a clean end.
    RunResult never = run("--fault flipLost=-1 --fault restore=-1 --fault mciOpen=-1", 300);
    EXPECT_EQ(never.frames, 0);
    ASSERT_GT(never.boxes.size(), 10u);
    EXPECT_EQ(never.boxes[0], (Box{"Report", "No midi for you!"}));
    for (size_t i = 1; i < never.boxes.size(); ++i) EXPECT_EQ(never.boxes[i], restoreFailed);
}

}  // namespace
