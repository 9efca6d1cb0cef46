// The high-score reader on any kestra.cfg (in a folder of the fuzzer's own): it stores nothing unless it
// reads a number, and a number it reads survives a write and a read back.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "prog/core/highscore.h"

static char folder[] = "/tmp/fuzz_highscore.XXXXXX";

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (!mkdtemp(folder) || chdir(folder) != 0) std::abort();
    std::atexit([] { unlink(HIGH_SCORE_FILE), rmdir(folder); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::FILE* file = std::fopen(HIGH_SCORE_FILE, "wb");
    if (!file || (size && std::fwrite(data, 1, size, file) != size)) std::abort();
    std::fclose(file);
    highScore = 0x5EED;
    const int result = ReadHighScore();
    if ((result != 0 && result != 1) || (result == 0 && highScore != 0x5EED)) std::abort();
    const int32_t read = highScore;
    if (WriteHighScore() != 1) std::abort();
    highScore = ~read;
    if (ReadHighScore() != 1 || highScore != read) std::abort();
    return 0;
}
