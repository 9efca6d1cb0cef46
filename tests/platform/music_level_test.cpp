// The game's tune as the desktop plays it, recorded through SDL's disk audio driver (as fast as it can write) in a
// child process, so that the audio thread ends with it: no clipping, a sensible loudness over the first 20 s.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>

#include "platform/backend.h"
#include "platform/mmsystem.h"
#include "tests/support/temp_dir.h"

TEST(MusicLevel, TheTunePeaksBelowMinusOneDecibelAtANormalLoudness) {
    const support::TempDir dir;
    const std::string raw = dir / "music.raw", song = KESTRA_GAME_DIR "/song.mid";
    const size_t length = 20 * 44100 * 4;  // 16-bit stereo
    const pid_t child = fork();
    if (child == 0) {  // a buffer of 46 ms every 5 ms: the file grows at most ten times as fast as it plays
        setenv("SDL_VIDEODRIVER", "dummy", 1), setenv("KESTRA_ALLOW_OFFSCREEN", "1", 1);
        setenv("SDL_AUDIODRIVER", "disk", 1), setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", "5", 1);
        MCI_OPEN_PARMSA open = {};
        open.lpstrDeviceType = "sequencer", open.lpstrElementName = song.c_str();
        struct stat st = {};
        if (!PlatformSelectBackend(PLATFORM_SDL) ||
            mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT, (DWORD_PTR)&open) ||
            stat(raw.c_str(), &st) || mciSendCommandA(open.wDeviceID, MCI_PLAY, 0, 0))
            _exit(2);
        const off_t enough = st.st_size + length + 44100 * 4;  // a second's margin for the start
        for (int i = 0; i < 6000 && stat(raw.c_str(), &st) == 0 && st.st_size < enough; ++i) usleep(10000);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    // From the first sound: the device writes silence while the synthesiser loads its soundfont.
    const std::string all = support::ReadFile(raw);
    const size_t first = all.find_first_not_of('\0'), at = first - first % 4;
    ASSERT_TRUE(first != std::string::npos && all.size() >= at + length) << "no 20 s of music: " << all.size();
    const std::string pcm = all.substr(at, length);
    double peak = 0, sum = 0;
    for (size_t i = 0; i < length; i += 2) {
        const double v =
            static_cast<int16_t>(static_cast<uint8_t>(pcm[i]) | static_cast<uint8_t>(pcm[i + 1]) << 8) / 32768.0;
        peak = std::fmax(peak, std::fabs(v)), sum += v * v;
    }
    const double rmsDb = 10 * std::log10(sum / (length / 2));
    EXPECT_LT(20 * std::log10(peak), -1.0);
    EXPECT_TRUE(rmsDb > -24 && rmsDb < -12) << rmsDb;
}
