#include "tests/support/run_game.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <regex>

namespace rel {

const std::string kGameDir = KESTRA_GAME_DIR;
const char* const kDataFiles[4] = {"tiles.bmp", "sprites.bmp", "text.bmp", "song.mid"};

void AddDataFiles(const TempDir& dir, const std::string& except) {
    for (const char* name : kDataFiles) {
        const std::string bytes = ReadFile(kGameDir + "/" + name);
        EXPECT_FALSE(bytes.empty()) << kGameDir << "/" << name << " is missing";
        if (except != name) WriteFile(dir / name, bytes);
    }
}

RunResult RunGame(const std::string& folder, long runMs, const std::string& args, const std::string& engine,
                  const std::string& env) {
    RunResult r;
    r.runMs = runMs;
    const std::string out = folder + "/run-stdout.txt", err = folder + "/run-stderr.txt";
    r.status = std::system(("cd '" + folder + "' && env " + env + " timeout 300 '" + engine + "' --run-ms " +
                            std::to_string(runMs) + " " + args + " >'" + out + "' 2>'" + err + "'")
                               .c_str());
    r.out = ReadFile(out);
    r.err = ReadFile(err);
    unlink(out.c_str());
    unlink(err.c_str());
    std::smatch m;  // the JSON line's integers (-1 when missing) and ["caption", "text"] pairs
    for (auto [key, value] : {std::pair<std::string, long*>{"calls", &r.calls},
                              {"frames", &r.frames},
                              {"virtual_ms", &r.virtualMs},
                              {"exit", &r.exitCode}})
        if (std::regex_search(r.out, m, std::regex("\"" + key + "\": (-?[0-9]+)"))) *value = std::stol(m[1]);
    const size_t from = r.out.find("\"boxes\": ["), to = r.out.find("], \"exit\"");
    const std::string list = from < to && to != std::string::npos ? r.out.substr(from, to - from) : "";
    const std::regex pair("\\[\"([^\"]*)\", \"([^\"]*)\"\\]");
    for (std::sregex_iterator p(list.begin(), list.end(), pair), end; p != end; ++p)
        r.boxes.push_back({(*p)[1], (*p)[2]});
    return r;
}

void ExpectCleanEnd(const RunResult& run, int exitCode) {
    EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == exitCode) << "wait status " << run.status << "\n"
                                                                              << run.err.substr(0, 3000);
    EXPECT_EQ(run.exitCode, exitCode) << run.out;
    // The runner closes the window 60 s of virtual time after an unanswered Escape.
    EXPECT_LT(run.virtualMs, run.runMs + 60000) << "the engine did not end on Escape";
    for (const char* mark : {"runtime error", "Sanitizer", "ERROR: "}) {
        const size_t at = run.err.find(mark);
        EXPECT_EQ(at, std::string::npos) << run.err.substr(at == std::string::npos || at < 200 ? 0 : at - 200, 3000);
    }
}

}  // namespace rel
