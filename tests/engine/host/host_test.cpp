#include "engine/host/music.h"
#include "tests/support/harness.h"

// Start has elapsed 0 however late the clock; no idle calls while inactive; a position's top half is
// unsigned; once active, the first idle pass makes the first frame.
TEST(StartUp, ModuleAfterWindowServicesAndDisplayMusicAfterThenEachInputAsItsEvent) {
    EngineRun run(850,
                  "0 activate 0\n100 keyup 67\n200 move 32767 32769\n300 ldown\n400 lup\n500 rdown\n600 rup\n"
                  "700 keydown 65\n800 activate 1\n");
    HeadlessSetTime(5000), run.Run();
    const RecState& rec = *Recorder();
    EXPECT_EQ(std::tie(rec.interfaceCalls, rec.callsBefore, rec.window, rec.displayMode, rec.mciOpens, rec.prog),
              std::make_tuple(1, 0, 1, 1, 0, &prog));
    EXPECT_EQ(Trace("etkxyfm", 9),
              "2003/0/0/0/0/0/1 2101/100/67/0/0/0/1 2200/100/67/32767/32769/1/1 "
              "2210/100/67/32767/32769/2/1 2211/100/67/32767/32769/3/1 2220/100/67/32767/32769/4/1 "
              "2221/100/67/32767/32769/5/1 2100/100/65/32767/32769/6/1 2000/110/65/32767/32769/7/1 ");
    EXPECT_TRUE(Boxes().empty());
}

TEST(StartUp, FailedModuleSetUpIsReportedAndTheLoopRunsOn) {
    EngineRun run(30);
    Recorder()->interfaceResult = 0, run.Run(1);  // the game never started
    EXPECT_EQ(Boxes(), (BoxList{{"Report", "VProgInterface(&prog) failed"}}));
    EXPECT_EQ(Trace("eb"), "2001/1 2003/1 2000/1 2000/1 2001/1 ");
}

// Without memory for the player there is neither music nor box.
TEST(StartUp, SongIsPlayedOrReportedOnceBeforeTheGameStarts) {
    const int cases[][6] = {{0, 0, 0, 1, 1, 0}, {1, 0, 0, 1, 0, 1}, {0, 0, 1, 0, 0, 1}, {0, 1, 0, 0, 0, 0}};
    for (auto [openFault, playerFault, nameFault, opens, plays, boxes] : cases) {
        EngineRun run(50);
        HeadlessGetFaults()->mciOpen = FailNext(openFault);
        engineFaults.musicPlayer = FailNext(playerFault), engineFaults.musicName = FailNext(nameFault), run.Run();
        EXPECT_EQ(Boxes(), BoxList(boxes, {"Report", "No midi for you!"}));
        EXPECT_EQ(std::make_tuple(HeadlessMciOpenCount(), HeadlessMciPlayCount()), std::tie(opens, plays));
        EXPECT_STREQ(opens ? HeadlessMciLastElement() : "song.mid", "song.mid");
        const std::string before = "/" + std::to_string(boxes) + "/" + std::to_string(plays) + " ";
        EXPECT_EQ(Trace("ebm", 2), "2003" + before + "2000" + before);
    }
}

// Only start and shutdown (one, on Escape) get no frame.
TEST(MainLoop, FramesFollowTheResultAndElapsedTimesAddUpAcrossTheClockWrap) {
    const DWORD start = 0xFFFFFF00u;  // wraps round 256 ms in
    for (int result : {1, 0}) {
        EngineRun run(1000, "33 move 0 0\n33 ldown\n100 keydown 65\n101 keyup 65\n");
        run.stepMs = 7, Recorder()->procedureResult = result;
        HeadlessSetTime(start), run.Run();
        const auto& calls = Calls();
        ASSERT_GT(calls.size(), 100u);
        EXPECT_EQ(HeadlessFramesPresented(), result ? long(calls.size() - 2) : 0);
        uint32_t sum = 0, keyDowns = 0;
        for (size_t i = 1; i + 1 < calls.size(); sum += calls[i++].elapsed) {
            EXPECT_EQ(calls[i].frames, result ? int(i - 1) : 0) << i;
            EXPECT_EQ(calls[i].elapsed, int(calls[i].clock - calls[i - 1].clock)) << i;
            keyDowns += calls[i].event == EV_KEY_DOWN;
        }
        EXPECT_EQ(std::make_tuple(sum, keyDowns), std::make_tuple(calls[calls.size() - 2].clock - start, 1u));
        EXPECT_EQ(std::make_tuple(calls.back().event, calls.back().elapsed, calls.back().clock - start),
                  std::make_tuple(2001u, 0, 1001u));
    }
}

// Input that waits together keeps its order: a move never overtakes the click queued before it.
TEST(StartUp, InputWaitingTogetherIsDeliveredInItsOrder) {
    EngineRun run(200, "100 move 100 500\n100 ldown\n100 move 900 500\n100 lup\n");
    run.Run();
    std::string inputs;
    for (const RecCall& c : Calls())
        if (c.event != EV_FRAME) inputs += std::to_string(c.event) + "/" + std::to_string(c.mouseX) + " ";
    EXPECT_EQ(inputs, "2003/0 2200/100 2210/100 2200/900 2211/900 2001/900 ");
}
