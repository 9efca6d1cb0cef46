#include "tests/support/run_game.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace rel {

const std::string kGameDir = KESTRA_GAME_DIR;
const char* const kDataFiles[4] = {"tiles.bmp", "sprites.bmp", "text.bmp", "song.mid"};

TempFolder::TempFolder() {
    char pattern[] = "/tmp/kestra-rel-XXXXXX";
    if (mkdtemp(pattern)) path = pattern;
}

TempFolder::~TempFolder() {
    if (!path.empty()) std::system(("rm -rf '" + path + "'").c_str());
}

void TempFolder::AddDataFiles(const std::string& except) const {
    for (const char* name : kDataFiles)
        if (except != name) WriteFile(*this / name, ReadFile(kGameDir + "/" + name));
}

namespace {

// The integer after "key": in the JSON line, or -1.
long JsonNumber(const std::string& json, const char* key) {
    const std::string label = std::string("\"") + key + "\": ";
    const size_t at = json.find(label);
    return at == std::string::npos ? -1 : std::strtol(json.c_str() + at + label.size(), nullptr, 10);
}

// The ["caption", "text"] pairs of the "boxes" list. No message holds a
// quote, so the quoted strings there come in caption, text order.
std::vector<Box> JsonBoxes(const std::string& json) {
    std::vector<Box> boxes;
    const size_t from = json.find("\"boxes\": ["), to = json.find("], \"exit\"");
    if (from == std::string::npos || to == std::string::npos) return boxes;
    std::vector<std::string> quoted;
    for (size_t at = json.find('"', from + 9); at < to; at = json.find('"', json.find('"', at + 1) + 1))
        quoted.push_back(json.substr(at + 1, json.find('"', at + 1) - at - 1));
    for (size_t i = 0; i + 1 < quoted.size(); i += 2) boxes.push_back({quoted[i], quoted[i + 1]});
    return boxes;
}

}  // namespace

RunResult RunGame(const std::string& folder, long runMs, const std::string& args, const std::string& engine,
                  const std::string& env) {
    RunResult r;
    r.runMs = runMs;
    const std::string command = "cd '" + folder + "' && env " + env + " timeout 300 '" + engine + "' --run-ms " +
                                std::to_string(runMs) + " " + args + " >run-stdout.txt 2>run-stderr.txt";
    const int raw = std::system(command.c_str());
    if (WIFEXITED(raw)) r.status = WEXITSTATUS(raw);
    if (WIFSIGNALED(raw)) r.signal = WTERMSIG(raw);
    r.out = ReadFile(folder + "/run-stdout.txt");
    r.err = ReadFile(folder + "/run-stderr.txt");
    unlink((folder + "/run-stdout.txt").c_str());
    unlink((folder + "/run-stderr.txt").c_str());
    r.calls = JsonNumber(r.out, "calls");
    r.frames = JsonNumber(r.out, "frames");
    r.virtualMs = JsonNumber(r.out, "virtual_ms");
    r.exitCode = JsonNumber(r.out, "exit");
    r.boxes = JsonBoxes(r.out);
    return r;
}

bool GameFolderComplete() {
    for (const char* name : kDataFiles)
        if (access((kGameDir + "/" + name).c_str(), R_OK) != 0) return false;
    return access((kGameDir + "/engine-headless").c_str(), X_OK) == 0 &&
           access((kGameDir + "/prog.so").c_str(), R_OK) == 0;
}

void ExpectCleanEnd(const RunResult& run) {
    const std::string err = run.err.substr(0, 3000);
    EXPECT_EQ(run.signal, 0) << err;
    EXPECT_EQ(run.status, 0) << err;
    EXPECT_EQ(run.exitCode, 0) << run.out;
    // The runner closes the window 60 s of virtual time after an unanswered Escape.
    EXPECT_LT(run.virtualMs, run.runMs + 60000) << "the engine did not end on Escape";
    for (const char* mark : {"runtime error", "Sanitizer", "ERROR: "}) {
        const size_t at = run.err.find(mark);
        EXPECT_EQ(at, std::string::npos) << run.err.substr(at == std::string::npos || at < 200 ? 0 : at - 200, 3000);
    }
}

}  // namespace rel
