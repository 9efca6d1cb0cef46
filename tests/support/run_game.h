// Whole runs of the built engine-headless in a folder of the test's own, and
// the pieces of its JSON result line that the tests read.
#pragma once
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace rel {

// The built game folder: engine-headless, prog.so, the platform library and
// the data files.
extern const std::string kGameDir;
extern const char* const kDataFiles[4];

using support::ReadFile;
using support::WriteFile;

// A fresh folder under /tmp, removed with everything in it at the end.
struct TempFolder {
    std::string path;
    TempFolder();
    ~TempFolder();
    std::string operator/(const std::string& name) const { return path + "/" + name; }
    // Copies every data file of the game folder here but `except`.
    void AddDataFiles(const std::string& except = "") const;
};

struct Box {
    std::string caption, text;
    bool operator==(const Box& other) const { return caption == other.caption && text == other.text; }
};

struct RunResult {
    int status = -1;  // the exit status; -1 when the program did not exit normally
    int signal = 0;   // the signal that ended it, if any
    long runMs = 0;   // when the runner sent Escape
    std::string out, err;
    long calls = -1, frames = -1, virtualMs = -1, exitCode = -1;
    std::vector<Box> boxes;
};

// Runs `engine` in `folder` until Escape at virtual time `runMs`, under a
// wall-clock limit; `env` (NAME=VALUE ...) is added to its environment.
RunResult RunGame(const std::string& folder, long runMs, const std::string& args = "",
                  const std::string& engine = kGameDir + "/engine-headless", const std::string& env = "");

// Whether the game folder holds the engine, the module and every data file.
bool GameFolderComplete();

// Expects a run that exited by itself with code 0 soon after Escape, with no
// sanitizer or runtime-error report.
void ExpectCleanEnd(const RunResult& run);

}  // namespace rel
