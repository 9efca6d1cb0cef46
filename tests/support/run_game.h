// Whole runs of the built engine-headless in a folder of the test's own, and the fields of its JSON line.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "tests/support/temp_dir.h"

namespace rel {

using support::ReadFile;
using support::TempDir;
using support::WriteFile;

extern const std::string kGameDir;  // engine-headless, prog.so, the platform library, the data files
extern const char* const kDataFiles[4];
// Copies every data file of the game folder into `dir` but `except`.
void AddDataFiles(const TempDir& dir, const std::string& except = "");

using Box = std::pair<std::string, std::string>;  // a message box's caption and text

struct RunResult {
    int status = -1;  // as wait() gives it
    long runMs = 0;   // when the runner sent Escape
    std::string out, err;
    long calls = -1, frames = -1, virtualMs = -1, exitCode = -1;
    std::vector<Box> boxes;
};

// Runs `engine` in `folder` until Escape at virtual time `runMs`, with `env` (NAME=VALUE ...) added.
RunResult RunGame(const std::string& folder, long runMs, const std::string& args = "",
                  const std::string& engine = kGameDir + "/engine-headless", const std::string& env = "");

// Expects an exit by itself with code 0 soon after Escape, with no sanitizer or runtime-error report.
// An end on Escape (or at the run's time) with `exitCode`, nothing reported by a sanitizer.
void ExpectCleanEnd(const RunResult& run, int exitCode = 0);

}  // namespace rel
