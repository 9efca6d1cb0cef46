// The MIDI sequencer device: opening checks the file, playing needs an open
// device.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "tests/platform/platform_fixture.h"

namespace {

// A one-note standard MIDI file.
const unsigned char kSong[] = {
    'M',  'T',  'h', 'd', 0,    0,    0,  6,  0,    0,    0,    1,    0, 96,  // format 0, one track, 96 ticks
    'M',  'T',  'r', 'k', 0,    0,    0,  13,                                 // track of 13 bytes
    0x00, 0x90, 60,  100, 0x60, 0x80, 60, 0,  0x00, 0xFF, 0x2F, 0x00, 0       // note on, off, end
};

class MciTest : public PlatformTest {
  protected:
    std::string dir;

    void SetUp() override {
        PlatformTest::SetUp();
        char pattern[] = "/tmp/platform_mci_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override {
        std::string command = "rm -rf '" + dir + "'";
        EXPECT_EQ(std::system(command.c_str()), 0);
        PlatformTest::TearDown();
    }

    std::string Write(const char* name, const void* bytes, size_t size) {
        std::string path = dir + "/" + name;
        FILE* file = std::fopen(path.c_str(), "wb");
        std::fwrite(bytes, 1, size, file);
        std::fclose(file);
        return path;
    }

    MCIERROR Open(const std::string& path, MCIDEVICEID* id, const char* type = "sequencer") {
        MCI_OPEN_PARMSA params = {};
        params.lpstrDeviceType = type;
        params.lpstrElementName = path.c_str();
        MCIERROR result = mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT, (DWORD_PTR)&params);
        *id = params.wDeviceID;
        return result;
    }
};

TEST_F(MciTest, AMidiFileOpensAndPlays) {
    std::string path = Write("song.mid", kSong, sizeof kSong);
    MCIDEVICEID id = 0;
    ASSERT_EQ(Open(path, &id), 0u);
    EXPECT_NE(id, 0u);
    EXPECT_EQ(HeadlessMciOpenCount(), 1);
    EXPECT_EQ(HeadlessMciLastElement(), path);
    MCI_PLAY_PARMS play = {};
    EXPECT_EQ(mciSendCommandA(id, MCI_PLAY, 0, (DWORD_PTR)&play), 0u);
    EXPECT_EQ(HeadlessMciPlayCount(), 1);
}

TEST_F(MciTest, DeviceTypeNameIsCaseInsensitive) {
    std::string path = Write("song.mid", kSong, sizeof kSong);
    MCIDEVICEID id = 0;
    EXPECT_EQ(Open(path, &id, "Sequencer"), 0u);
    EXPECT_NE(id, 0u);
    MCIDEVICEID other = 0;
    EXPECT_NE(Open(path, &other, "waveaudio"), 0u);
    EXPECT_EQ(other, 0u);
}

TEST_F(MciTest, MissingFileIsNotFound) {
    MCIDEVICEID id = 0;
    EXPECT_EQ(Open(dir + "/song.mid", &id), (MCIERROR)MCIERR_FILE_NOT_FOUND);
    EXPECT_EQ(id, 0u);
    EXPECT_EQ(HeadlessMciOpenCount(), 1);  // asked, and refused
    EXPECT_EQ(HeadlessMciLastElement(), dir + "/song.mid");
}

TEST_F(MciTest, UnreadableFileIsNotFound) {
    std::string folder = dir + "/song.mid";
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    MCIDEVICEID id = 0;
    EXPECT_EQ(Open(folder, &id), (MCIERROR)MCIERR_FILE_NOT_FOUND);
    EXPECT_EQ(id, 0u);
}

TEST_F(MciTest, FilesWithoutAMidiHeaderAreInvalid) {
    const char garbage[] = "this is not a MIDI file at all";
    unsigned char wrongLength[sizeof kSong];
    std::memcpy(wrongLength, kSong, sizeof kSong);
    wrongLength[7] = 7;
    struct Case {
        const char* name;
        const void* bytes;
        size_t size;
    } cases[] = {
        {"garbage.mid", garbage, sizeof garbage},
        {"empty.mid", "", 0},
        {"short.mid", kSong, 10},  // header cut inside its six bytes
        {"length.mid", wrongLength, sizeof wrongLength},
    };
    for (const Case& c : cases) {
        MCIDEVICEID id = 0;
        EXPECT_EQ(Open(Write(c.name, c.bytes, c.size), &id), (MCIERROR)MCIERR_INVALID_FILE) << c.name;
        EXPECT_EQ(id, 0u) << c.name;
    }
    EXPECT_EQ(HeadlessMciPlayCount(), 0);
}

TEST_F(MciTest, OpenFault) {
    std::string path = Write("song.mid", kSong, sizeof kSong);
    HeadlessGetFaults()->mciOpen = 1;
    MCIDEVICEID id = 0;
    EXPECT_NE(Open(path, &id), 0u);
    EXPECT_EQ(id, 0u);
    EXPECT_EQ(Open(path, &id), 0u);
    EXPECT_NE(id, 0u);
}

TEST_F(MciTest, PlayNeedsAnOpenDevice) {
    MCI_PLAY_PARMS play = {};
    EXPECT_EQ(mciSendCommandA(0, MCI_PLAY, 0, (DWORD_PTR)&play), (MCIERROR)MCIERR_INVALID_DEVICE_ID);
    EXPECT_EQ(mciSendCommandA(99, MCI_PLAY, 0, (DWORD_PTR)&play), (MCIERROR)MCIERR_INVALID_DEVICE_ID);
    EXPECT_EQ(HeadlessMciPlayCount(), 0);
    std::string path = Write("song.mid", kSong, sizeof kSong);
    MCIDEVICEID id = 0;
    ASSERT_EQ(Open(path, &id), 0u);
    EXPECT_EQ(mciSendCommandA(id, MCI_CLOSE, 0, 0), 0u);
    EXPECT_EQ(mciSendCommandA(id, MCI_PLAY, 0, (DWORD_PTR)&play), (MCIERROR)MCIERR_INVALID_DEVICE_ID);
}

TEST_F(MciTest, OpenNeedsTypeAndElement) {
    std::string path = Write("song.mid", kSong, sizeof kSong);
    MCI_OPEN_PARMSA params = {};
    params.lpstrDeviceType = "sequencer";
    params.lpstrElementName = path.c_str();
    EXPECT_NE(mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE, (DWORD_PTR)&params), 0u);
    EXPECT_NE(mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT, 0), 0u);
    EXPECT_EQ(params.wDeviceID, 0u);
}

}  // namespace
