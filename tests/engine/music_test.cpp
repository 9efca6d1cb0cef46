// Background music at start-up: the sequencer commands, the one message when
// nothing can be played, and the silent skip when the player cannot be made.
#include "engine/host/music.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "tests/engine/harness.h"

namespace {

typedef std::vector<std::pair<std::string, std::string>> BoxList;

TEST(Music, ValidFileIsOpenedOnTheSequencerAndPlayedBeforeStart) {
    EngineRun run;
    PrepareEngine(&run, MODULE_FULL, true);
    run.runMs = 50;
    EXPECT_EQ(RunEngine(&run), 0);
    EXPECT_EQ(HeadlessMciOpenCount(), 1);
    EXPECT_EQ(HeadlessMciPlayCount(), 1);
    EXPECT_STREQ(HeadlessMciLastElement(), "song.mid");
    EXPECT_TRUE(Boxes().empty());
    ASSERT_GE(Recorder()->callCount, 1);
    EXPECT_EQ(Recorder()->calls[0].event, EV_START);
    EXPECT_EQ(Recorder()->calls[0].mciPlays, 1);
}

TEST(Music, MissingFileGivesOneReportThenTheGameStarts) {
    EngineRun run;
    PrepareEngine(&run, MODULE_FULL, false);
    run.runMs = 50;
    EXPECT_EQ(RunEngine(&run), 0);
    BoxList expected = {{"Report", "No midi for you!"}};
    EXPECT_EQ(Boxes(), expected);
    EXPECT_EQ(HeadlessMciPlayCount(), 0);
    ASSERT_GE(Recorder()->callCount, 2);
    EXPECT_EQ(Recorder()->calls[0].event, EV_START);
    EXPECT_EQ(Recorder()->calls[0].boxes, 1);  // the box came first
    EXPECT_EQ(Recorder()->calls[1].event, EV_FRAME);
}

TEST(Music, FileThatIsNotMidiGivesTheReport) {
    EngineRun run;
    PrepareEngine(&run, MODULE_FULL, false);
    FILE* file = fopen((WorkDir() + "/song.mid").c_str(), "wb");
    ASSERT_NE(file, nullptr);
    fputs("not a tune at all", file);
    fclose(file);
    run.runMs = 50;
    EXPECT_EQ(RunEngine(&run), 0);
    BoxList expected = {{"Report", "No midi for you!"}};
    EXPECT_EQ(Boxes(), expected);
}

TEST(Music, SequencerThatCannotOpenGivesTheReport) {
    EngineRun run;
    PrepareEngine(&run, MODULE_FULL, true);
    HeadlessGetFaults()->mciOpen = 1;
    run.runMs = 50;
    EXPECT_EQ(RunEngine(&run), 0);
    BoxList expected = {{"Report", "No midi for you!"}};
    EXPECT_EQ(Boxes(), expected);
    EXPECT_EQ(HeadlessMciPlayCount(), 0);
}

TEST(Music, PlayerThatCannotBeAllocatedMeansNoMusicAndNoMessage) {
    EngineRun run;
    PrepareEngine(&run, MODULE_FULL, true);
    GetMusicAllocFaults()->player = 1;
    run.runMs = 50;
    EXPECT_EQ(RunEngine(&run), 0);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(HeadlessMciOpenCount(), 0);
    ASSERT_GE(Recorder()->callCount, 1);
    EXPECT_EQ(Recorder()->calls[0].event, EV_START);
}

TEST(Music, NameCopyThatCannotBeAllocatedIsLikeAFailedOpen) {
    EngineRun run;
    PrepareEngine(&run, MODULE_FULL, true);
    GetMusicAllocFaults()->name = 1;
    run.runMs = 50;
    EXPECT_EQ(RunEngine(&run), 0);
    BoxList expected = {{"Report", "No midi for you!"}};
    EXPECT_EQ(Boxes(), expected);
    EXPECT_EQ(HeadlessMciOpenCount(), 0);
}

TEST(MusicPlayer, PlayWithoutADeviceSendsNothing) {
    HeadlessReset();
    ResetMusicForTests();
    MusicPlayer player;
    MusicPlayerConstruct(&player, "/no/such/folder/song.mid");
    EXPECT_EQ(player.deviceId, 0u);
    ASSERT_NE(player.fileName, nullptr);
    EXPECT_STREQ(player.fileName, "/no/such/folder/song.mid");
    EXPECT_EQ(MusicPlayerPlay(&player), 0);
    EXPECT_EQ(HeadlessMciPlayCount(), 0);
    free(player.fileName);
}

TEST(MusicPlayer, OpenKeepsItsOwnCopyAndReplacesTheOldOne) {
    EngineRun run;
    PrepareEngine(&run, MODULE_FULL, true);  // writes song.mid into the working folder
    MusicPlayer player;
    char name[] = "missing.mid";
    MusicPlayerConstruct(&player, name);
    EXPECT_EQ(player.deviceId, 0u);
    name[0] = 'X';
    EXPECT_STREQ(player.fileName, "missing.mid");
    EXPECT_EQ(MusicPlayerOpen(&player, "song.mid"), 1);  // the first copy is freed (leak check)
    EXPECT_NE(player.deviceId, 0u);
    EXPECT_STREQ(player.fileName, "song.mid");
    EXPECT_EQ(MusicPlayerPlay(&player), 1);
    EXPECT_EQ(HeadlessMciPlayCount(), 1);
    free(player.fileName);
}

}  // namespace
