#include <sys/stat.h>

#include "tests/support/harness.h"

class MciTest : public PlatformTest {};

TEST_F(MciTest, BadFilesAreRefusedAndAGoodOnePlaysUntilClosed) {
    const std::string song("MThd\0\0\0\6\0\0\0\1\0\x60MTrk\0\0\0\x0d\0\x90<d\x60\x80<\0\0\xff/\0\0", 35);
    support::TempDir dir;
    ASSERT_EQ(mkdir((dir / "folder").c_str(), 0700), 0);  // cannot be read as a file
    const std::tuple<const char*, std::string, MCIERROR> cases[] = {
        {"missing", "", MCIERR_FILE_NOT_FOUND},
        {"folder", "", MCIERR_FILE_NOT_FOUND},
        {"empty", "", MCIERR_INVALID_FILE},
        {"text", "not a MIDI file at all", MCIERR_INVALID_FILE},
        {"short", song.substr(0, 10), MCIERR_INVALID_FILE},                      // cut inside the header
        {"length", std::string(song).replace(7, 1, "\7"), MCIERR_INVALID_FILE},  // a header length of 7
        {"song", song, 0}};
    MCI_OPEN_PARMSA open = {};
    for (const auto& [name, bytes, expected] : cases) {
        const std::string path = dir / name;
        if (name[0] != 'm' && name[0] != 'f') support::WriteFile(path, bytes);
        open = {0, 0, "Sequencer", path.c_str(), nullptr};
        EXPECT_EQ(mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT, DWORD_PTR(&open)), expected) << name;
        EXPECT_TRUE(HeadlessMciLastElement() == path && (open.wDeviceID != 0) == (expected == 0)) << name;
    }
    MCI_PLAY_PARMS play = {};
    EXPECT_EQ(mciSendCommandA(open.wDeviceID, MCI_PLAY, 0, DWORD_PTR(&play)), 0u);
    EXPECT_EQ(mciSendCommandA(open.wDeviceID, MCI_CLOSE, 0, 0), 0u);
    for (MCIDEVICEID other : {open.wDeviceID, MCIDEVICEID(0), MCIDEVICEID(99)})
        EXPECT_EQ(mciSendCommandA(other, MCI_PLAY, 0, DWORD_PTR(&play)), MCIERROR(MCIERR_INVALID_DEVICE_ID));
    EXPECT_EQ(HeadlessMciPlayCount(), 1);
}
