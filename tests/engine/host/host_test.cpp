// Start-up, the window procedure and the main loop, driven through the
// engine's own entry routine on the headless platform.
#include <gtest/gtest.h>

#include "engine/graphics/display.h"
#include "engine/graphics/graphics.h"
#include "engine/host/engine.h"
#include "tests/support/harness.h"

namespace {

TEST(StartUp, WindowServicesAndDisplayComeBeforeTheModuleAndMusicAfter) {
    EngineRun run(50);
    run.Run();
    RecState* rec = Recorder();
    ASSERT_EQ(rec->interfaceCalls, 1);
    EXPECT_EQ(rec->proceduresBeforeInterface, 0);
    EXPECT_EQ(rec->prog, &prog);
    const Prog& seen = rec->progAtInterface;
    EXPECT_EQ(seen.event, 2003u);
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
    EXPECT_EQ(rec->displayModeResult, 1);  // the device already exists
    EXPECT_EQ(rec->mciOpensAtInterface, 0);
    ASSERT_GE(rec->callCount, 2);
    EXPECT_EQ(rec->calls[0].mciPlays, 1);  // playing before EV_START
    EXPECT_TRUE(Boxes().empty());
}

TEST(StartUp, FirstCallIsStartWithElapsedZeroAndNoFrame) {
    EngineRun run(100);
    HeadlessSetTime(5000);
    run.Run();
    auto calls = Calls();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[0].event, EV_START);
    EXPECT_EQ(calls[0].elapsed, 0);
    EXPECT_EQ(CountEvent(calls, EV_START), 1);
    // The start call's result is ignored, and the first stamp is taken after it.
    EXPECT_EQ(calls[1].event, EV_FRAME);
    EXPECT_EQ(calls[1].frames, 0);
    EXPECT_EQ(calls[1].elapsed, 10);
}

TEST(StartUp, FailedModuleSetUpIsReportedAndTheLoopRunsOn) {
    EngineRun run(100);
    Recorder()->interfaceResult = 0;
    run.Run();
    BoxList expected = {{"Report", "VProgInterface(&prog) failed"}};
    EXPECT_EQ(Boxes(), expected);
    auto calls = Calls();
    ASSERT_GE(calls.size(), 4u);
    // Shutdown is notified after the box, then start-up goes on as usual.
    EXPECT_EQ(calls[0].event, EV_SHUTDOWN);
    EXPECT_EQ(calls[0].boxes, 1);
    EXPECT_EQ(calls[1].event, EV_START);
    EXPECT_GT(CountEvent(calls, EV_FRAME), 0);
    EXPECT_EQ(calls.back().event, EV_SHUTDOWN);
}

// With the application inactive no idle pass overwrites the event, so what
// each message leaves behind can be read; once active again, the idle pass
// after the key-down delivers 2000.
TEST(WindowProcedure, EachInputIsDeliveredAndLeavesItsEvent) {
    EngineRun run(0);
    run.Post(0, WM_ACTIVATEAPP, 0);
    struct Case {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        uint32_t event, after;
    };
    // The position word's top half is shifted unsigned (0x8001 stays
    // positive); buttons carry a position too, but only moves store it. Only
    // the low byte of a key's wParam is the key.
    const Case cases[] = {{WM_KEYUP, 'C', 0, 2101, 2000},
                          {WM_MOUSEMOVE, 0, static_cast<LPARAM>(0x80017FFFu), 2200, 2000},
                          {WM_LBUTTONDOWN, 0, (5 << 16) | 6, 2210, 2000},
                          {WM_LBUTTONUP, 0, 0, 2211, 2000},
                          {WM_RBUTTONDOWN, 0, 0, 2220, 2000},
                          {WM_RBUTTONUP, 0, 0, 2221, 2000},
                          {WM_KEYDOWN, 0x1141, 0, 2100, 2100}};
    std::vector<uint32_t> after;
    DWORD t = 100;
    for (const Case& c : cases) {
        run.At(t, [&]() { prog.event = 12345; });
        run.Post(t, c.message, c.wParam, c.lParam);
        run.At(t + 50, [&]() { after.push_back(prog.event); });
        t += 100;
    }
    run.Post(t, WM_ACTIVATEAPP, 1);
    run.runMs = t + 50;
    run.Run();
    auto calls = Calls();
    ASSERT_EQ(after.size(), 7u);
    ASSERT_GT(calls.size(), 9u);
    for (int i = 0; i < 7; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(calls[1 + i].event, cases[i].event);
        EXPECT_EQ(calls[1 + i].clock, 100u * (i + 1));
        EXPECT_EQ(after[i], cases[i].after);
    }
    EXPECT_EQ(calls[1].key, 'C');
    EXPECT_EQ(calls[7].key, 0x41);
    EXPECT_EQ(calls[8].event, EV_FRAME);
    EXPECT_EQ(calls[2].mouseX, 0x7FFF);
    EXPECT_EQ(calls[2].mouseY, 0x8001);
    EXPECT_EQ(calls[3].mouseX, 0x7FFF);
    EXPECT_EQ(calls[3].mouseY, 0x8001);
}

TEST(WindowProcedure, EscapeOrCloseEndsTheLoopWithShutdownAndExitCodeZero) {
    for (UINT message : {WM_KEYDOWN, WM_CLOSE}) {
        SCOPED_TRACE(message);
        EngineRun run(100000);
        run.Post(100, message, VK_ESCAPE);
        run.Run();
        auto calls = Calls();
        EXPECT_EQ(CountEvent(calls, EV_KEY_DOWN), 0);
        EXPECT_EQ(CountEvent(calls, EV_SHUTDOWN), 1);
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls.back().event, EV_SHUTDOWN);
        EXPECT_EQ(calls.back().elapsed, 0);
        EXPECT_EQ(calls.back().clock, 100u);
    }
}

TEST(MainLoop, InactiveApplicationGetsNoCalls) {
    EngineRun run(600);
    run.Post(0, WM_ACTIVATEAPP, 0);
    run.Post(500, WM_ACTIVATEAPP, 1);
    run.Run();
    auto calls = Calls();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[0].event, EV_START);
    // Nothing while inactive, though the loop went on waiting meanwhile; the
    // first idle call then carries the whole wait.
    EXPECT_GE(run.hookCalls, 50);
    EXPECT_EQ(calls[1].event, EV_FRAME);
    EXPECT_GT(calls[1].clock, 500u);
    EXPECT_EQ(calls[1].elapsed, static_cast<int>(calls[1].clock));
}

// Start and shutdown get no frame; every other call gets one when it asks.
// Each call measures from the call before it, whatever it returned, so the
// elapsed times add up to the virtual time, also across the clock's wrap.
TEST(MainLoop, FramesFollowTheResultAndElapsedTimesAddUpAcrossTheClockWrap) {
    const DWORD start = 0xFFFFFF00u;  // wraps round 256 ms in
    for (int result : {1, 0}) {
        SCOPED_TRACE(result);
        EngineRun run(1000);
        run.stepMs = 7;
        Recorder()->procedureResult = result;
        HeadlessSetTime(start);
        run.Post(start + 33, WM_MOUSEMOVE, 0, 0);
        run.Post(start + 33, WM_LBUTTONDOWN);
        run.Post(start + 100, WM_KEYDOWN, 'A');
        run.Post(start + 101, WM_KEYUP, 'A');
        run.Run();
        auto calls = Calls();
        ASSERT_GT(calls.size(), 100u);
        EXPECT_EQ(HeadlessFramesPresented(), result ? static_cast<long>(calls.size() - 2) : 0);
        uint32_t sum = 0;
        for (size_t i = 1; i + 1 < calls.size(); ++i) {
            EXPECT_EQ(calls[i].frames, result ? static_cast<long>(i - 1) : 0) << i;
            EXPECT_EQ(calls[i].elapsed, static_cast<int>(calls[i].clock - calls[i - 1].clock)) << i;
            sum += calls[i].elapsed;
        }
        const RecCall& last = calls[calls.size() - 2];
        EXPECT_LT(last.clock, 1000u);
        EXPECT_EQ(sum, last.clock - start);
    }
}

}  // namespace
