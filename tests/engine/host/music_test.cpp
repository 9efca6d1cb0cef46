// Background music at start-up: the sequencer commands, the one message when
// nothing can be played, and the silent skip when the player cannot be made.
#include "engine/host/music.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "tests/support/harness.h"

namespace {

TEST(Music, SongIsPlayedOrReportedOnceBeforeTheGameStarts) {
    struct Case {
        const char* name;
        bool withSong;
        const char* fileText;  // written as song.mid when not null
        int mciOpenFault, playerFault, nameFault;
        bool report;
        int opens, plays;
    };
    const Case cases[] = {{"valid file", true, nullptr, 0, 0, 0, false, 1, 1},
                          {"missing file", false, nullptr, 0, 0, 0, true, 1, 0},
                          {"not midi", false, "not a tune at all", 0, 0, 0, true, 1, 0},
                          {"sequencer fails", true, nullptr, 1, 0, 0, true, 1, 0},
                          {"name copy not allocated", true, nullptr, 0, 0, 1, true, 0, 0},
                          {"player not allocated: no music, no message", true, nullptr, 0, 1, 0, false, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EngineRun run(50, MODULE_FULL, c.withSong);
        if (c.fileText) {
            FILE* file = fopen("song.mid", "wb");
            ASSERT_NE(file, nullptr);
            fputs(c.fileText, file);
            fclose(file);
        }
        HeadlessGetFaults()->mciOpen = c.mciOpenFault;
        GetMusicAllocFaults()->player = c.playerFault;
        GetMusicAllocFaults()->name = c.nameFault;
        run.Run();
        BoxList expected;
        if (c.report) expected.emplace_back("Report", "No midi for you!");
        EXPECT_EQ(Boxes(), expected);
        EXPECT_EQ(HeadlessMciOpenCount(), c.opens);
        EXPECT_EQ(HeadlessMciPlayCount(), c.plays);
        EXPECT_STREQ(c.opens ? HeadlessMciLastElement() : "song.mid", "song.mid");
        auto calls = Calls();
        ASSERT_GE(calls.size(), 2u);
        EXPECT_EQ(calls[0].event, EV_START);
        EXPECT_EQ(calls[0].boxes, c.report ? 1 : 0);
        EXPECT_EQ(calls[0].mciPlays, c.plays);
        EXPECT_EQ(calls[1].event, EV_FRAME);
    }
}

}  // namespace
