// The MIDI sequencer device: opening checks the file, playing needs an open
// device.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "tests/support/harness.h"

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
        EXPECT_EQ(std::system(("rm -rf '" + dir + "'").c_str()), 0);
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

TEST_F(MciTest, AMidiFileOpensAndPlaysUntilClosed) {
    std::string path = Write("song.mid", kSong, sizeof kSong);
    MCIDEVICEID id = 0;
    EXPECT_NE(Open(path, &id, "waveaudio"), 0u);
    HeadlessGetFaults()->mciOpen = 1;
    EXPECT_NE(Open(path, &id), 0u);
    EXPECT_EQ(id, 0u);
    ASSERT_EQ(Open(path, &id, "Sequencer"), 0u);  // the type name in any case
    EXPECT_NE(id, 0u);
    EXPECT_EQ(HeadlessMciOpenCount(), 3);
    EXPECT_EQ(HeadlessMciLastElement(), path);
    MCI_PLAY_PARMS play = {};
    EXPECT_EQ(mciSendCommandA(id, MCI_PLAY, 0, (DWORD_PTR)&play), 0u);
    EXPECT_EQ(HeadlessMciPlayCount(), 1);
    EXPECT_EQ(mciSendCommandA(id, MCI_CLOSE, 0, 0), 0u);
    for (MCIDEVICEID other : {id, MCIDEVICEID(0), MCIDEVICEID(99)}) {
        EXPECT_EQ(mciSendCommandA(other, MCI_PLAY, 0, (DWORD_PTR)&play), (MCIERROR)MCIERR_INVALID_DEVICE_ID);
    }
    EXPECT_EQ(HeadlessMciPlayCount(), 1);
}

TEST_F(MciTest, BadFilesAreRefused) {
    const char garbage[] = "this is not a MIDI file at all";
    unsigned char wrongLength[sizeof kSong];
    std::memcpy(wrongLength, kSong, sizeof kSong);
    wrongLength[7] = 7;
    ASSERT_EQ(mkdir((dir + "/folder.mid").c_str(), 0700), 0);  // cannot be read as a file
    struct Case {
        const char* name;
        const void* bytes;  // null: not written
        size_t size;
        MCIERROR expected;
    } cases[] = {
        {"missing.mid", nullptr, 0, MCIERR_FILE_NOT_FOUND},
        {"folder.mid", nullptr, 0, MCIERR_FILE_NOT_FOUND},
        {"garbage.mid", garbage, sizeof garbage, MCIERR_INVALID_FILE},
        {"empty.mid", "", 0, MCIERR_INVALID_FILE},
        {"short.mid", kSong, 10, MCIERR_INVALID_FILE},  // header cut inside its six bytes
        {"length.mid", wrongLength, sizeof wrongLength, MCIERR_INVALID_FILE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = c.bytes ? Write(c.name, c.bytes, c.size) : dir + "/" + c.name;
        MCIDEVICEID id = 0;
        EXPECT_EQ(Open(path, &id), c.expected);
        EXPECT_EQ(id, 0u);
        EXPECT_EQ(HeadlessMciLastElement(), path);  // asked, and refused
    }
    EXPECT_EQ(HeadlessMciPlayCount(), 0);
}

}  // namespace
