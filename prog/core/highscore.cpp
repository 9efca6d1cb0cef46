// The high-score file: one integer as text in "kestra.cfg" in the current
// folder.
//
// The file is replaced, never emptied in place: the new number goes into a
// fresh temporary file beside it, which is renamed over "kestra.cfg" only once
// it has been written and closed without error. So the file always holds
// either the old or the new number, whatever fails in between; a failed write
// removes the temporary file and leaves the old one as it was. The new file's
// bytes reach the disk before the rename, and the rename before the function
// returns, so a power cut cannot leave an empty file either. A "kestra.cfg"
// that the player made read-only is left alone, as a plain write would be
// refused. A failed save is told once on standard error; the game goes on.
#include "prog/core/highscore.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#if defined(_WIN32)
#include <io.h>

#include "platform/winapi.h"
#else
#include <fcntl.h>
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

bool FlushToDisk(std::FILE* file) { return _commit(_fileno(file)) == 0; }

bool ReadOnly() {
    DWORD attributes = GetFileAttributesA(HIGH_SCORE_FILE);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}
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

// Renames, then makes the folder's new entry durable too.
bool ReplaceWith(const char* temporary) {
    if (std::rename(temporary, HIGH_SCORE_FILE) != 0) return false;
    int folder = open(".", O_RDONLY | O_DIRECTORY);
    if (folder >= 0) {
        fsync(folder);  // some file systems refuse it for folders; the rename stands
        close(folder);
    }
    return true;
}

void RemoveTemporary(const char* temporary) { unlink(temporary); }

bool FlushToDisk(std::FILE* file) { return fsync(fileno(file)) == 0; }

// Whether the player took every write permission away from the file.
bool ReadOnly() {
    struct stat st;
    return stat(HIGH_SCORE_FILE, &st) == 0 && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}
#endif

// Tells the first failed save of the process on standard error.
int SaveFailed(const char* why) {
    static bool told = false;
    if (!told) std::fprintf(stderr, "kestra: the high score cannot be saved in %s: %s\n", HIGH_SCORE_FILE, why);
    told = true;
    return 0;
}

}  // namespace

int WriteHighScore() {
    if (ReadOnly()) return SaveFailed("the file is read-only");
    TempName tempName;
    std::FILE* file = OpenTemporary(tempName);
    if (!file) return SaveFailed(std::strerror(errno));
    bool written = std::fprintf(file, "%i", (int)highScore) > 0;
    written = std::fflush(file) == 0 && written;
    written = !std::ferror(file) && written;
    written = FlushToDisk(file) && written;
    written = std::fclose(file) == 0 && written;
    int error = errno;
    if (!written || !ReplaceWith(tempName)) {
        if (written) error = errno;
        RemoveTemporary(tempName);
        return SaveFailed(std::strerror(error));
    }
    return 1;
}
