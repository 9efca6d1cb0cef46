// The display device: start-up failures and their messages, the mode
// request, and presentation with its retry and restore loop.
#include "engine/graphics/display.h"

#include <gtest/gtest.h>

#include "tests/support/harness.h"

namespace {

// Runs a short session with one fault set.
void RunWithFault(int HeadlessFaults::*fault, int count, DWORD runMs = 100) {
    EngineRun run(runMs);
    HeadlessGetFaults()->*fault = count;
    run.Run();
}

// A device that cannot be made gives its own box and then the general one; a
// mode request that fails gives its box alone. Either way the game is set up
// and runs on (before binding, the shutdown notice reaches nobody), its mode
// request returns 0, the stored mode stays empty and nothing is presented.
TEST(DisplayFailures, EachIsReportedAndTheGameRunsWithoutADisplay) {
    struct Case {
        int HeadlessFaults::*fault;
        const char* text;
        bool device;
    };
    const Case cases[] = {{&HeadlessFaults::directDrawCreate, "DirectDrawCreate failed", true},
                          {&HeadlessFaults::queryInterface, "QueryInterface failed", true},
                          {&HeadlessFaults::cooperativeLevel, "SetCooperativeLevel failed", true},
                          {&HeadlessFaults::setDisplayMode, "SetDisplayMode failed", false},
                          {&HeadlessFaults::createPrimary, "CreateSurface failed", false},
                          {&HeadlessFaults::getAttached, "GetAttachedSurface failed", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        RunWithFault(c.fault, 1);
        BoxList expected = {{"Error!", c.text}};
        if (c.device) expected.emplace_back("Error!", "API could not be initialized!");
        EXPECT_EQ(Boxes(), expected);
        EXPECT_TRUE(!c.device || directDraw == nullptr);
        EXPECT_EQ(Recorder()->interfaceCalls, 1);
        EXPECT_EQ(Recorder()->displayModeResult, 0);
        EXPECT_EQ(screenWidth, 0);
        EXPECT_EQ(screenHeight, 0);
        EXPECT_EQ(screenBits, 0);
        EXPECT_EQ(primarySurface, nullptr);
        EXPECT_EQ(backBuffer, nullptr);
        ASSERT_GT(Recorder()->callCount, 5);
        EXPECT_EQ(Recorder()->calls[0].event, EV_START);
        EXPECT_EQ(HeadlessFramesPresented(), 0);
    }
}

TEST(SetDisplayModeService, BuildsAPrimaryWithOneAttachedBackBuffer) {
    RunWithFault(&HeadlessFaults::restore, 0);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(Recorder()->displayModeResult, 1);
    EXPECT_EQ(screenWidth, 1024);
    EXPECT_EQ(screenHeight, 768);
    EXPECT_EQ(screenBits, 16);
    ASSERT_NE(primarySurface, nullptr);
    ASSERT_NE(backBuffer, nullptr);
    EXPECT_EQ(backBuffer, primarySurface->attached);
    EXPECT_EQ(backBuffer->width, 1024);
    EXPECT_EQ(backBuffer->height, 768);
}

TEST(Present, StillDrawingIsRetriedUntilTheFlipCompletes) {
    RunWithFault(&HeadlessFaults::flipStillDrawing, 25, 20);  // one idle frame, then Escape
    EXPECT_EQ(Recorder()->callCount, 3);
    EXPECT_EQ(HeadlessFramesPresented(), 1);
    EXPECT_EQ(HeadlessGetFaults()->flipStillDrawing, 0);
    EXPECT_TRUE(Boxes().empty());
}

TEST(Present, LostSurfaceIsRestoredOnceAndThatFrameIsNotFlipped) {
    RunWithFault(&HeadlessFaults::flipLost, 1, 40);  // three idle frames, then Escape
    auto calls = Calls();
    ASSERT_EQ(calls.size(), 5u);
    EXPECT_EQ(calls[2].frames, 0);  // the first frame was dropped
    EXPECT_EQ(calls[3].frames, 1);
    EXPECT_EQ(HeadlessFramesPresented(), 2);
    EXPECT_EQ(primarySurface->lost, 0);
    EXPECT_TRUE(Boxes().empty());
}

TEST(Present, FailedRestoreIsReportedAndShutdownSentWhileTheEngineRunsOn) {
    EngineRun run(100);
    HeadlessGetFaults()->flipLost = 1;
    HeadlessGetFaults()->restore = 1;
    run.Run();
    BoxList expected = {{"Error!", "Tried to restore primary surface and failed."}};
    EXPECT_EQ(Boxes(), expected);
    auto calls = Calls();
    ASSERT_GT(calls.size(), 5u);
    // Start, the frame whose flip failed, then the shutdown notice after the box.
    EXPECT_EQ(calls[1].event, EV_FRAME);
    EXPECT_EQ(calls[2].event, EV_SHUTDOWN);
    EXPECT_EQ(calls[2].boxes, 1);
    EXPECT_EQ(calls[2].frames, 0);
    // The engine goes on and presents again; Escape still ends it with a shutdown.
    EXPECT_EQ(calls[3].event, EV_FRAME);
    EXPECT_GT(HeadlessFramesPresented(), 0);
    EXPECT_EQ(calls.back().event, EV_SHUTDOWN);
    EXPECT_EQ(CountEvent(calls, EV_SHUTDOWN), 2);
}

}  // namespace
