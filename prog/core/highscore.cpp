// The high-score file: one integer as text in "kestra.cfg" in the current
// folder.
//
// The file is replaced, never emptied in place: the new number goes into a
// fresh temporary file beside it, which is renamed over "kestra.cfg" only once
// it has been written and closed without error. So the file always holds
// either the old or the new number, whatever fails in between; a failed write
// removes the temporary file and leaves the old one as it was.
#include "prog/core/highscore.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

int ReadHighScore() {
    std::FILE* file = std::fopen(HIGH_SCORE_FILE, "r");
    if (!file) return 0;
    int value = 0;
    int scanned = std::fscanf(file, "%i", &value);
    std::fclose(file);
    if (scanned == 1) highScore = value;
    return scanned == EOF ? 0 : 1;
}

// Permissions a plain fopen(..., "w") would give a new file.
static mode_t NewFileMode() {
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

int WriteHighScore() {
    char tempName[] = HIGH_SCORE_FILE ".XXXXXX";
    int fd = mkstemp(tempName);
    if (fd < 0) return 0;
    fchmod(fd, NewFileMode());
    std::FILE* file = fdopen(fd, "w");
    if (!file) {
        close(fd);
        unlink(tempName);
        return 0;
    }
    bool written = std::fprintf(file, "%i", (int)highScore) > 0;
    written = std::fflush(file) == 0 && written;
    written = !std::ferror(file) && written;
    written = std::fclose(file) == 0 && written;
    if (!written || std::rename(tempName, HIGH_SCORE_FILE) != 0) {
        unlink(tempName);
        return 0;
    }
    return 1;
}
