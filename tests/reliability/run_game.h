// Whole runs of the built engine-headless in a folder of the test's own, and
// the pieces of its JSON line that the reliability tests read.
#pragma once
#include <string>
#include <vector>

namespace rel {

// The built game folder: engine-headless, prog.so, the platform library and
// the data files.
extern const std::string kGameDir;
extern const char* const kDataFiles[4];

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
void CopyFile(const std::string& from, const std::string& to);

// A fresh folder under /tmp, removed with everything in it at the end.
struct TempFolder {
    std::string path;
    TempFolder();
    ~TempFolder();
    std::string operator/(const std::string& name) const { return path + "/" + name; }
};

struct Box {
    std::string caption, text;
    bool operator==(const Box& other) const { return caption == other.caption && text == other.text; }
};

struct RunResult {
    int status = -1;  // the program's exit status; -1 when it did not exit normally
    int signal = 0;   // the signal that ended it, if any
    std::string out, err;
    long calls = -1, frames = -1, virtualMs = -1, exitCode = -1;
    std::vector<Box> boxes;
};

// Runs `program args` with `folder` as the working directory, the whole
// command under a wall-clock limit; `env` (NAME=VALUE ...) is added to the
// program's environment.
RunResult RunIn(const std::string& folder, const std::string& program, const std::string& args,
                const std::string& env = "");
// The same with the built engine-headless.
RunResult RunGame(const std::string& folder, const std::string& args);

// Whether every data file is in the game folder (the tests skip without them).
bool GameFolderComplete();

// The text of a run's sanitizer or runtime-error reports, if any.
std::string SanitizerReport(const RunResult& run);

}  // namespace rel
