// Start-up, the window procedure and the main loop, driven through the
// engine's own entry routine on the headless platform.
#include <gtest/gtest.h>

#include "engine/graphics/display.h"
#include "engine/graphics/graphics.h"
#include "engine/host/engine.h"
#include "tests/engine/harness.h"

namespace {

std::vector<RecCall> Calls(const RecState* rec) {
    return std::vector<RecCall>(rec->calls, rec->calls + std::min(rec->callCount, kRecMaxCalls));
}

int CountEvent(const std::vector<RecCall>& calls, uint32_t event) {
    int n = 0;
    for (const RecCall& call : calls) n += call.event == event;
    return n;
}

// Index of the first call with this event, or -1.
int FindEvent(const std::vector<RecCall>& calls, uint32_t event, size_t from = 0) {
    for (size_t i = from; i < calls.size(); ++i)
        if (calls[i].event == event) return static_cast<int>(i);
    return -1;
}

TEST(StartUp, RecordIsBuiltBeforeTheEntryRoutine) {
    // The state that static construction leaves (tests reset to the same).
    ResetEngineForTests();
    EXPECT_EQ(prog.layers, nullptr);
    EXPECT_EQ(prog.images, nullptr);
    EXPECT_EQ(prog.event, 2003u);
    EXPECT_EQ(prog.key, 0);
    EXPECT_EQ(prog.mouseX, 0);
    EXPECT_EQ(prog.mouseY, 0);
    EXPECT_EQ(prog.moduleTag, 0u);
    EXPECT_EQ(prog.SetDisplayMode, nullptr);
    EXPECT_EQ(prog.RenderFrame, nullptr);
    EXPECT_EQ(prog.window, nullptr);
}

TEST(StartUp, ServicesAndWindowAreInPlaceWhenTheModuleIsSetUp) {
    EngineRun run;
    PrepareEngine(&run);
    run.runMs = 50;
    EXPECT_EQ(RunEngine(&run), 0);
    RecState* rec = Recorder();

    ASSERT_EQ(rec->interfaceCalls, 1);
    EXPECT_EQ(rec->proceduresBeforeInterface, 0);
    EXPECT_EQ(rec->prog, &prog);
    const Prog& seen = rec->progAtInterface;
    EXPECT_EQ(seen.SetDisplayMode, &SetDisplayMode);
    EXPECT_EQ(seen.DrawTileMap, &DrawTileMap);
    EXPECT_EQ(seen.AddImage, &AddImage);
    EXPECT_EQ(seen.DrawSprite, &DrawSprite);
    EXPECT_EQ(seen.Report, &Report);
    EXPECT_EQ(seen.FillSurface, &FillSurface);
    EXPECT_EQ(seen.LockSurface, &LockSurface);
    EXPECT_EQ(seen.UnlockSurface, &UnlockSurface);
    EXPECT_EQ(seen.PutPixel, &PutPixel);
    EXPECT_EQ(seen.GetPixelFormat, &GetPixelFormat);
    EXPECT_EQ(seen.RenderFrame, &RenderFrame);
    EXPECT_EQ(seen.window, &window);
    EXPECT_NE(rec->windowAtInterface, nullptr);
    EXPECT_EQ(seen.event, 2003u);
    // The display device exists before the module's set-up: its mode request works.
    EXPECT_EQ(rec->displayModeResult, 1);
    // Music starts only after the module's set-up, and before EV_START.
    EXPECT_EQ(rec->mciOpensAtInterface, 0);
    EXPECT_EQ(rec->boxesAtInterface, 0);
    ASSERT_GE(rec->callCount, 2);
    EXPECT_EQ(rec->calls[0].mciOpens, 1);
    EXPECT_EQ(rec->calls[0].mciPlays, 1);
    EXPECT_TRUE(Boxes().empty());
}

TEST(StartUp, FirstCallIsStartWithElapsedZeroAndNoFrame) {
    EngineRun run;
    PrepareEngine(&run);
    HeadlessSetTime(5000);  // the clock is far from zero when the engine starts
    run.runMs = 5100;
    EXPECT_EQ(RunEngine(&run), 0);
    auto calls = Calls(Recorder());
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[0].event, EV_START);
    EXPECT_EQ(calls[0].elapsed, 0);
    // The start call's result is ignored: nothing was drawn for it.
    EXPECT_EQ(calls[1].event, EV_FRAME);
    EXPECT_EQ(calls[1].frames, 0);
    // The first stamp is taken after the start call, not at zero.
    EXPECT_EQ(calls[1].elapsed, 10);
    EXPECT_EQ(CountEvent(calls, EV_START), 1);
}

TEST(StartUp, FailedModuleSetUpIsReportedAndTheLoopRunsOn) {
    EngineRun run;
    PrepareEngine(&run);
    Recorder()->interfaceResult = 0;
    run.runMs = 100;
    EXPECT_EQ(RunEngine(&run), 0);
    auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].first, "Report");
    EXPECT_EQ(boxes[0].second, "VProgInterface(&prog) failed");
    auto calls = Calls(Recorder());
    // Shutdown is notified right away, then start-up goes on as usual.
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(calls[0].event, EV_SHUTDOWN);
    EXPECT_EQ(calls[0].boxes, 1);
    EXPECT_EQ(calls[1].event, EV_START);
    EXPECT_GT(CountEvent(calls, EV_FRAME), 0);
    EXPECT_EQ(calls.back().event, EV_SHUTDOWN);
}

TEST(WindowProcedure, KeyDownThenIdlePassDelivers2100Then2000) {
    EngineRun run;
    PrepareEngine(&run);
    PostAt(&run, 100, WM_KEYDOWN, 0x1141);  // only the low byte is the key
    run.runMs = 200;
    EXPECT_EQ(RunEngine(&run), 0);
    auto calls = Calls(Recorder());
    int down = FindEvent(calls, EV_KEY_DOWN);
    ASSERT_GE(down, 0);
    EXPECT_EQ(calls[down].key, 0x41);
    EXPECT_EQ(calls[down].clock, 100u);
    ASSERT_LT(static_cast<size_t>(down + 1), calls.size());
    EXPECT_EQ(calls[down + 1].event, EV_FRAME);
    EXPECT_EQ(CountEvent(calls, EV_KEY_DOWN), 1);
}

TEST(WindowProcedure, KeyDownLeavesTheEventAt2100) {
    EngineRun run;
    PrepareEngine(&run);
    PostAt(&run, 0, WM_ACTIVATEAPP, 0);  // no idle passes to overwrite the event
    PostAt(&run, 100, WM_KEYDOWN, 'B');
    uint32_t seen = 0;
    At(&run, 150, [&]() { seen = prog.event; });
    run.runMs = 200;
    EXPECT_EQ(RunEngine(&run), 0);
    EXPECT_EQ(seen, 2100u);
}

TEST(WindowProcedure, KeyUpMouseAndButtonsLeaveTheEventAt2000) {
    EngineRun run;
    PrepareEngine(&run);
    PostAt(&run, 0, WM_ACTIVATEAPP, 0);
    const UINT messages[] = {WM_KEYUP, WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP};
    const uint32_t events[] = {2101, 2200, 2210, 2211, 2220, 2221};
    std::vector<uint32_t> seen;
    DWORD t = 100;
    for (UINT message : messages) {
        // Before each message the event holds something else, so that 2000
        // afterwards can only come from the window procedure.
        At(&run, t, [&]() { prog.event = 12345; });
        PostAt(&run, t, message, 'C', (20 << 16) | 10);
        At(&run, t + 50, [&]() { seen.push_back(prog.event); });
        t += 100;
    }
    run.runMs = t;
    EXPECT_EQ(RunEngine(&run), 0);
    ASSERT_EQ(seen.size(), 6u);
    for (uint32_t event : seen) EXPECT_EQ(event, 2000u);
    auto calls = Calls(Recorder());
    // Start, the six input calls, shutdown: the inactive loop made no idle calls.
    ASSERT_EQ(calls.size(), 8u);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(calls[1 + i].event, events[i]) << i;
    EXPECT_EQ(calls[1].key, 'C');
}

TEST(WindowProcedure, EscapeEndsTheLoopWithShutdownAndExitCodeZero) {
    EngineRun run;
    PrepareEngine(&run);
    PostAt(&run, 100, WM_KEYDOWN, VK_ESCAPE);
    run.runMs = 100000;  // the runner's own Escape never comes
    EXPECT_EQ(RunEngine(&run), 0);
    auto calls = Calls(Recorder());
    EXPECT_EQ(CountEvent(calls, EV_KEY_DOWN), 0);
    EXPECT_EQ(CountEvent(calls, EV_SHUTDOWN), 1);
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back().event, EV_SHUTDOWN);
    EXPECT_EQ(calls.back().elapsed, 0);
    EXPECT_EQ(calls.back().clock, 100u);
    EXPECT_TRUE(Boxes().empty());
}

TEST(WindowProcedure, ClosingTheWindowEndsTheLoopWithShutdown) {
    EngineRun run;
    PrepareEngine(&run);
    PostAt(&run, 100, WM_CLOSE);
    run.runMs = 100000;
    EXPECT_EQ(RunEngine(&run), 0);
    auto calls = Calls(Recorder());
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back().event, EV_SHUTDOWN);
    EXPECT_EQ(calls.back().clock, 100u);
}

TEST(WindowProcedure, MousePositionComesFromThePositionWord) {
    EngineRun run;
    PrepareEngine(&run);
    PostAt(&run, 100, WM_MOUSEMOVE, 0, (300 << 16) | 200);
    // The top half is shifted unsigned: 0x8001 stays positive.
    PostAt(&run, 200, WM_MOUSEMOVE, 0, static_cast<LPARAM>(0x80017FFFu));
    // Buttons carry a position too, but only moves change mouseX/mouseY.
    PostAt(&run, 300, WM_LBUTTONDOWN, 0, (5 << 16) | 6);
    run.runMs = 400;
    EXPECT_EQ(RunEngine(&run), 0);
    auto calls = Calls(Recorder());
    int first = FindEvent(calls, EV_MOUSE_MOVE);
    ASSERT_GE(first, 0);
    EXPECT_EQ(calls[first].mouseX, 200);
    EXPECT_EQ(calls[first].mouseY, 300);
    int second = FindEvent(calls, EV_MOUSE_MOVE, first + 1);
    ASSERT_GE(second, 0);
    EXPECT_EQ(calls[second].mouseX, 0x7FFF);
    EXPECT_EQ(calls[second].mouseY, 0x8001);
    int button = FindEvent(calls, EV_LBUTTON_DOWN);
    ASSERT_GE(button, 0);
    EXPECT_EQ(calls[button].mouseX, 0x7FFF);
    EXPECT_EQ(calls[button].mouseY, 0x8001);
}

TEST(MainLoop, InactiveApplicationGetsNoCalls) {
    EngineRun run;
    PrepareEngine(&run);
    PostAt(&run, 0, WM_ACTIVATEAPP, 0);
    PostAt(&run, 500, WM_ACTIVATEAPP, 1);
    run.runMs = 600;
    EXPECT_EQ(RunEngine(&run), 0);
    auto calls = Calls(Recorder());
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[0].event, EV_START);
    // Nothing while inactive, though the loop went on waiting meanwhile.
    EXPECT_EQ(calls[1].event, EV_FRAME);
    EXPECT_GT(calls[1].clock, 500u);
    EXPECT_GE(run.hookCalls, 50);
    // Once active again, idle calls carry the whole wait as elapsed time.
    EXPECT_EQ(calls[1].elapsed, static_cast<int>(calls[1].clock));
}

TEST(MainLoop, ModuleReturningZeroGetsNoFrameButTheStampMoves) {
    EngineRun run;
    PrepareEngine(&run);
    Recorder()->procedureResult = 0;
    PostAt(&run, 55, WM_MOUSEMOVE, 0, 0);
    run.runMs = 300;
    EXPECT_EQ(RunEngine(&run), 0);
    EXPECT_EQ(HeadlessFramesPresented(), 0);
    auto calls = Calls(Recorder());
    ASSERT_GT(calls.size(), 10u);
    // Each call measures only from the call before it.
    for (size_t i = 1; i + 1 < calls.size(); ++i)
        EXPECT_EQ(calls[i].elapsed, static_cast<int>(calls[i].clock - calls[i - 1].clock)) << i;
}

TEST(MainLoop, EveryCallAskingForAFrameGetsOne) {
    EngineRun run;
    PrepareEngine(&run);
    PostAt(&run, 55, WM_MOUSEMOVE, 0, 0);
    run.runMs = 300;
    EXPECT_EQ(RunEngine(&run), 0);
    auto calls = Calls(Recorder());
    ASSERT_GT(calls.size(), 10u);
    // Start and shutdown get none; every call between them gets one.
    EXPECT_EQ(HeadlessFramesPresented(), static_cast<long>(calls.size() - 2));
    for (size_t i = 1; i + 1 < calls.size(); ++i) EXPECT_EQ(calls[i].frames, static_cast<long>(i - 1)) << i;
}

TEST(MainLoop, ElapsedTimesAddUpToTheVirtualTime) {
    EngineRun run;
    PrepareEngine(&run);
    HeadlessSetTime(1000);
    PostAt(&run, 1033, WM_MOUSEMOVE, 0, 0);
    PostAt(&run, 1033, WM_LBUTTONDOWN);
    PostAt(&run, 1500, WM_KEYDOWN, 'A');
    PostAt(&run, 1501, WM_KEYUP, 'A');
    run.runMs = 3000;
    run.stepMs = 7;
    EXPECT_EQ(RunEngine(&run), 0);
    auto calls = Calls(Recorder());
    ASSERT_GT(calls.size(), 100u);
    long long sum = 0;
    for (size_t i = 1; i + 1 < calls.size(); ++i) sum += calls[i].elapsed;
    const RecCall& last = calls[calls.size() - 2];
    EXPECT_EQ(sum, static_cast<long long>(last.clock) - 1000);
}

TEST(MainLoop, ElapsedTimeSurvivesTheClockWrappingRound) {
    EngineRun run;
    PrepareEngine(&run);
    HeadlessSetTime(0xFFFFFF00u);  // wraps to 0 after 256 ms
    run.runMs = 0xFFFFFFFFu;
    run.escapeAfterHookCalls = 60;
    EXPECT_EQ(RunEngine(&run), 0);
    auto calls = Calls(Recorder());
    ASSERT_EQ(calls.size(), 61u);
    EXPECT_LT(calls[59].clock, 0x1000u);
    for (size_t i = 1; i + 1 < calls.size(); ++i) EXPECT_EQ(calls[i].elapsed, 10) << i;
}

}  // namespace
