#include "tests/support/harness.h"

// A failed device gives its box and the general one, a failed mode its box alone.
TEST(DisplayFailures, EachIsReportedAndTheGameRunsWithoutADisplay) {
    const char* const cases[][2] = {{"directDrawCreate", "DirectDrawCreate"},    {"queryInterface", "QueryInterface"},
                                    {"cooperativeLevel", "SetCooperativeLevel"}, {"setDisplayMode", "SetDisplayMode"},
                                    {"createPrimary", "CreateSurface"},          {"getAttached", "GetAttachedSurface"}};
    for (int i = 0; i < 6; i++) {
        EngineRun run(100);
        SetHeadlessFault(HeadlessGetFaults(), cases[i][0], 1), run.Run();
        BoxList expected = {{"Error!", cases[i][1] + std::string(" failed")}};
        if (i < 3) expected.emplace_back("Error!", "API could not be initialized!");
        EXPECT_EQ(Boxes(), expected);
        EXPECT_EQ(Recorder()->displayMode + screenWidth + screenHeight + screenBits + HeadlessFramesPresented(), 0);
        EXPECT_TRUE(backBuffer == nullptr && Calls().size() > 5);
    }
}
