#include "tests/reliability/run_game.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace rel {

const std::string kGameDir = KESTRA_GAME_DIR;
const char* const kDataFiles[4] = {"tiles.bmp", "sprites.bmp", "text.bmp", "song.mid"};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

void CopyFile(const std::string& from, const std::string& to) { WriteFile(to, ReadFile(from)); }

TempFolder::TempFolder() {
    char pattern[] = "/tmp/kestra-rel-XXXXXX";
    if (mkdtemp(pattern)) path = pattern;
}

TempFolder::~TempFolder() {
    if (!path.empty()) std::system(("rm -rf '" + path + "'").c_str());
}

namespace {

// The integer after "key": in the JSON line, or -1.
long JsonNumber(const std::string& json, const char* key) {
    std::string label = std::string("\"") + key + "\": ";
    size_t at = json.find(label);
    if (at == std::string::npos) return -1;
    return std::strtol(json.c_str() + at + label.size(), nullptr, 10);
}

// One JSON string literal starting at `at` (its opening quote); moves `at`
// past it. Only the escapes the runner writes are undone.
bool JsonText(const std::string& json, size_t* at, std::string* text) {
    if (*at >= json.size() || json[*at] != '"') return false;
    text->clear();
    for (size_t i = *at + 1; i < json.size(); ++i) {
        char c = json[i];
        if (c == '"') {
            *at = i + 1;
            return true;
        }
        if (c == '\\' && i + 1 < json.size()) {
            char e = json[++i];
            if (e == 'n')
                *text += '\n';
            else if (e == 'r')
                *text += '\r';
            else if (e == 't')
                *text += '\t';
            else if (e == 'u' && i + 4 < json.size()) {
                *text += static_cast<char>(std::strtol(json.substr(i + 1, 4).c_str(), nullptr, 16));
                i += 4;
            } else
                *text += e;
        } else {
            *text += c;
        }
    }
    return false;
}

std::vector<Box> JsonBoxes(const std::string& json) {
    std::vector<Box> boxes;
    const std::string label = "\"boxes\": [";
    size_t at = json.find(label);
    if (at == std::string::npos) return boxes;
    at += label.size();
    while (at < json.size() && json[at] == '[') {
        Box box;
        ++at;
        if (!JsonText(json, &at, &box.caption) || json.compare(at, 2, ", ") != 0) break;
        at += 2;
        if (!JsonText(json, &at, &box.text) || at >= json.size() || json[at] != ']') break;
        ++at;
        boxes.push_back(box);
        if (json.compare(at, 2, ", ") == 0) at += 2;
    }
    return boxes;
}

}  // namespace

RunResult RunIn(const std::string& folder, const std::string& program, const std::string& args,
                const std::string& env) {
    RunResult r;
    std::string command = "cd '" + folder + "' && env " + env + " timeout 120 '" + program + "' " + args +
                          " >run-stdout.txt 2>run-stderr.txt";
    int raw = std::system(command.c_str());
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

RunResult RunGame(const std::string& folder, const std::string& args) {
    return RunIn(folder, kGameDir + "/engine-headless", args);
}

bool GameFolderComplete() {
    for (const char* name : kDataFiles)
        if (access((kGameDir + "/" + name).c_str(), R_OK) != 0) return false;
    return access((kGameDir + "/engine-headless").c_str(), X_OK) == 0 &&
           access((kGameDir + "/prog.so").c_str(), R_OK) == 0;
}

std::string SanitizerReport(const RunResult& run) {
    for (const char* mark : {"runtime error", "Sanitizer", "ERROR: "}) {
        size_t at = run.err.find(mark);
        if (at != std::string::npos) return run.err.substr(at > 200 ? at - 200 : 0, 3000);
    }
    return "";
}

}  // namespace rel
