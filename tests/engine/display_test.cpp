// The display device: start-up failures and their messages, the mode
// request, and presentation with its retry and restore loop.
#include "engine/graphics/display.h"

#include <gtest/gtest.h>

#include "tests/engine/harness.h"

namespace {

typedef std::vector<std::pair<std::string, std::string>> BoxList;

std::vector<RecCall> Calls(const RecState* rec) {
    return std::vector<RecCall>(rec->calls, rec->calls + std::min(rec->callCount, kRecMaxCalls));
}

// Runs a short session with one fault set; returns the boxes shown.
BoxList RunWithFault(int HeadlessFaults::*fault, int count) {
    EngineRun run;
    PrepareEngine(&run);
    HeadlessGetFaults()->*fault = count;
    run.runMs = 100;
    EXPECT_EQ(RunEngine(&run), 0);
    return Boxes();
}

TEST(DisplayStartUp, DirectDrawCreateFailure) {
    BoxList boxes = RunWithFault(&HeadlessFaults::directDrawCreate, 1);
    BoxList expected = {{"Error!", "DirectDrawCreate failed"}, {"Error!", "API could not be initialized!"}};
    EXPECT_EQ(boxes, expected);
    // The game is still set up and run; its mode request fails silently.
    EXPECT_EQ(Recorder()->interfaceCalls, 1);
    EXPECT_EQ(Recorder()->displayModeResult, 0);
    EXPECT_GT(Recorder()->callCount, 5);
    EXPECT_EQ(HeadlessFramesPresented(), 0);
}

TEST(DisplayStartUp, QueryInterfaceFailure) {
    BoxList boxes = RunWithFault(&HeadlessFaults::queryInterface, 1);
    BoxList expected = {{"Error!", "QueryInterface failed"}, {"Error!", "API could not be initialized!"}};
    EXPECT_EQ(boxes, expected);
    EXPECT_EQ(Recorder()->displayModeResult, 0);
}

TEST(DisplayStartUp, CooperativeLevelFailureLeavesNoDevice) {
    BoxList boxes = RunWithFault(&HeadlessFaults::cooperativeLevel, 1);
    BoxList expected = {{"Error!", "SetCooperativeLevel failed"}, {"Error!", "API could not be initialized!"}};
    EXPECT_EQ(boxes, expected);
    EXPECT_EQ(Recorder()->displayModeResult, 0);
    EXPECT_EQ(directDraw, nullptr);
}

TEST(DisplayStartUp, ShutdownNotificationBeforeBindingReachesNobody) {
    RunWithFault(&HeadlessFaults::directDrawCreate, 1);
    auto calls = Calls(Recorder());
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls[0].event, EV_START);
}

TEST(SetDisplayModeService, BuildsTheFlipChain) {
    BoxList boxes = RunWithFault(&HeadlessFaults::restore, 0);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(Recorder()->displayModeResult, 1);
    EXPECT_EQ(screenWidth, 1024);
    EXPECT_EQ(screenHeight, 768);
    EXPECT_EQ(screenBits, 16);
    ASSERT_NE(primarySurface, nullptr);
    EXPECT_EQ(backBuffer, primarySurface->attached);
    EXPECT_EQ(backBuffer->width, 1024);
    EXPECT_EQ(backBuffer->height, 768);
}

void ExpectModeFailure(int HeadlessFaults::*fault, const char* text) {
    BoxList boxes = RunWithFault(fault, 1);
    BoxList expected = {{"Error!", text}};
    EXPECT_EQ(boxes, expected);
    EXPECT_EQ(Recorder()->displayModeResult, 0);
    // A failed request leaves the stored mode as it was.
    EXPECT_EQ(screenWidth, 0);
    EXPECT_EQ(screenHeight, 0);
    EXPECT_EQ(screenBits, 0);
    EXPECT_EQ(primarySurface, nullptr);
    EXPECT_EQ(backBuffer, nullptr);
    EXPECT_EQ(HeadlessFramesPresented(), 0);
}

TEST(SetDisplayModeService, ModeFailure) {
    ExpectModeFailure(&HeadlessFaults::setDisplayMode, "SetDisplayMode failed");
}

TEST(SetDisplayModeService, PrimaryFailure) {
    ExpectModeFailure(&HeadlessFaults::createPrimary, "CreateSurface failed");
}

TEST(SetDisplayModeService, BackBufferFailure) {
    ExpectModeFailure(&HeadlessFaults::getAttached, "GetAttachedSurface failed");
}

TEST(SetDisplayModeService, WithoutDeviceReturnsZeroSilently) {
    ResetDisplayForTests();
    HeadlessReset();
    EXPECT_EQ(SetDisplayMode(1024, 768, 16), 0);
    EXPECT_EQ(HeadlessBoxCount(), 0);
}

TEST(SetDisplayModeService, SecondModeReplacesTheChain) {
    EngineRun run;
    PrepareEngine(&run);
    int second = 0;
    At(&run, 50, [&]() { second = SetDisplayMode(640, 480, 16); });
    run.runMs = 100;
    EXPECT_EQ(RunEngine(&run), 0);
    EXPECT_EQ(second, 1);
    EXPECT_EQ(screenWidth, 640);
    EXPECT_EQ(screenHeight, 480);
    ASSERT_NE(backBuffer, nullptr);
    EXPECT_EQ(backBuffer->width, 640);
    EXPECT_TRUE(Boxes().empty());
}

TEST(Present, StillDrawingIsRetriedUntilTheFlipCompletes) {
    EngineRun run;
    PrepareEngine(&run);
    HeadlessGetFaults()->flipStillDrawing = 25;
    run.runMs = 20;  // one idle frame, then Escape
    EXPECT_EQ(RunEngine(&run), 0);
    auto calls = Calls(Recorder());
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(HeadlessFramesPresented(), 1);
    EXPECT_EQ(HeadlessGetFaults()->flipStillDrawing, 0);
    EXPECT_TRUE(Boxes().empty());
}

TEST(Present, LostSurfaceIsRestoredOnceAndThatFrameIsNotFlipped) {
    EngineRun run;
    PrepareEngine(&run);
    HeadlessGetFaults()->flipLost = 1;
    run.runMs = 40;  // three idle frames, then Escape
    EXPECT_EQ(RunEngine(&run), 0);
    auto calls = Calls(Recorder());
    ASSERT_EQ(calls.size(), 5u);
    EXPECT_EQ(calls[2].frames, 0);  // the first frame was dropped
    EXPECT_EQ(calls[3].frames, 1);  // the next one flipped normally
    EXPECT_EQ(HeadlessFramesPresented(), 2);
    EXPECT_EQ(primarySurface->lost, 0);
    EXPECT_TRUE(Boxes().empty());
}

TEST(Present, FailedRestoreIsReportedAndShutdownSentWhileTheEngineRunsOn) {
    EngineRun run;
    PrepareEngine(&run);
    HeadlessGetFaults()->flipLost = 1;
    HeadlessGetFaults()->restore = 1;
    run.runMs = 100;
    EXPECT_EQ(RunEngine(&run), 0);
    BoxList expected = {{"Error!", "Tried to restore primary surface and failed."}};
    EXPECT_EQ(Boxes(), expected);
    auto calls = Calls(Recorder());
    ASSERT_GT(calls.size(), 5u);
    // Start, the frame whose flip failed, then the shutdown notice after the box.
    EXPECT_EQ(calls[1].event, EV_FRAME);
    EXPECT_EQ(calls[2].event, EV_SHUTDOWN);
    EXPECT_EQ(calls[2].boxes, 1);
    EXPECT_EQ(calls[2].frames, 0);
    // The engine goes on: more frames, the surface is restored on the next
    // flip and presentation resumes; Escape still ends it with a shutdown.
    EXPECT_EQ(calls[3].event, EV_FRAME);
    EXPECT_GT(HeadlessFramesPresented(), 0);
    EXPECT_EQ(calls.back().event, EV_SHUTDOWN);
    int shutdowns = 0;
    for (const RecCall& call : calls) shutdowns += call.event == EV_SHUTDOWN;
    EXPECT_EQ(shutdowns, 2);
}

TEST(Present, WithoutAPrimaryNothingHappens) {
    ResetDisplayForTests();
    HeadlessReset();
    Present();
    EXPECT_EQ(HeadlessFramesPresented(), 0);
    EXPECT_EQ(HeadlessBoxCount(), 0);
}

}  // namespace
