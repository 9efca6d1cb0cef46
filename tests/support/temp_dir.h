// The one temporary-folder helper of the tests and benchmarks: a fresh folder, optionally made the
// working folder (the game works where it stands), removed with its contents; whole-file reads and writes.
#pragma once
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace support {

struct TempDir {
    std::string path;  // empty when no folder could be made
    explicit TempDir(bool enter = false) {
        std::error_code error;
        std::string pattern = (std::filesystem::temp_directory_path(error) / "kestra-test-XXXXXX").string();
        if (!error && mkdtemp(pattern.data())) path = pattern;
        if (enter && !path.empty()) old = std::filesystem::current_path(error);
        if (!old.empty() && (error || chdir(path.c_str()) != 0)) old.clear();
    }
    ~TempDir() {
        std::error_code error;
        if (!old.empty() && chdir(old.c_str()) != 0) std::abort();
        if (!path.empty()) std::filesystem::remove_all(path, error);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string operator/(const std::string& name) const { return path + "/" + name; }

  private:
    std::string old;
};

inline std::string ReadFile(const std::string& path) {
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace support
