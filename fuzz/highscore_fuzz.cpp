// Fuzzes the high-score reader: the input's bytes become "kestra.cfg" in a
// folder of the fuzzer's own, and ReadHighScore reads it. A file it reads a
// number from must then survive a write and read back as the same number.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "prog/core/highscore.h"

namespace {

char folder[] = "/tmp/fuzz_highscore.XXXXXX";

void RemoveFolder() {
    unlink(HIGH_SCORE_FILE);
    rmdir(folder);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (!mkdtemp(folder) || chdir(folder) != 0) std::abort();
    std::atexit(RemoveFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::FILE* file = std::fopen(HIGH_SCORE_FILE, "wb");
    if (!file) std::abort();
    if (size && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);

    const int32_t unchanged = 0x5EED;
    highScore = unchanged;
    int result = ReadHighScore();
    if (result != 0 && result != 1) std::abort();
    if (result == 0 && highScore != unchanged) std::abort();  // nothing converted, nothing stored

    const int32_t read = highScore;
    if (WriteHighScore() != 1) std::abort();
    highScore = ~read;
    if (ReadHighScore() != 1 || highScore != read) std::abort();
    return 0;
}
