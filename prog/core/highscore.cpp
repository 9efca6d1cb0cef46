// The high-score file: one integer as text in "kestra.cfg" in the current
// folder.
//
// The file is replaced, never emptied in place: the new number goes into a
// fresh temporary file beside it, which is renamed over "kestra.cfg" only once
// it has been written and closed without error. So the file always holds
// either the old or the new number, whatever fails in between; a failed write
// removes the temporary file and leaves the old one as it was.
#include "prog/core/highscore.h"

#include <cstdio>
#include <cstdlib>

#if defined(_WIN32)
#include "platform/winapi.h"
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

int ReadHighScore() {
    std::FILE* file = std::fopen(HIGH_SCORE_FILE, "r");
    if (!file) return 0;
    int value = 0;
    int scanned = std::fscanf(file, "%i", &value);
    std::fclose(file);
    if (scanned == 1) highScore = value;
    return scanned == EOF ? 0 : 1;
}

namespace {

#if defined(_WIN32)
using TempName = char[MAX_PATH];

// A new, uniquely named empty file in the current folder, opened for writing.
std::FILE* OpenTemporary(TempName& name) {
    if (!GetTempFileNameA(".", "kcf", 0, name)) return nullptr;
    std::FILE* file = std::fopen(name, "w");
    if (!file) DeleteFileA(name);
    return file;
}

// rename does not replace an existing file on Windows; this does, atomically
// on the same volume, and returns once the move is on disk.
bool ReplaceWith(const char* temporary) {
    return MoveFileExA(temporary, HIGH_SCORE_FILE, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void RemoveTemporary(const char* temporary) { DeleteFileA(temporary); }
#else
using TempName = char[sizeof HIGH_SCORE_FILE ".XXXXXX"];

// A new, uniquely named file beside "kestra.cfg", opened for writing with the
// permissions a plain fopen(..., "w") would give it.
std::FILE* OpenTemporary(TempName& name) {
    std::snprintf(name, sizeof name, "%s", HIGH_SCORE_FILE ".XXXXXX");
    int fd = mkstemp(name);
    if (fd < 0) return nullptr;
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    std::FILE* file = fdopen(fd, "w");
    if (!file) {
        close(fd);
        unlink(name);
    }
    return file;
}

bool ReplaceWith(const char* temporary) { return std::rename(temporary, HIGH_SCORE_FILE) == 0; }

void RemoveTemporary(const char* temporary) { unlink(temporary); }
#endif

}  // namespace

int WriteHighScore() {
    TempName tempName;
    std::FILE* file = OpenTemporary(tempName);
    if (!file) return 0;
    bool written = std::fprintf(file, "%i", (int)highScore) > 0;
    written = std::fflush(file) == 0 && written;
    written = !std::ferror(file) && written;
    written = std::fclose(file) == 0 && written;
    if (!written || !ReplaceWith(tempName)) {
        RemoveTemporary(tempName);
        return 0;
    }
    return 1;
}
