#include "tests/assets/generated_assets.h"

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace {

std::vector<std::string>& TempDirs() {
    static std::vector<std::string> dirs;
    return dirs;
}

void RemoveTempDirs() {
    std::error_code ec;
    for (const std::string& d : TempDirs()) std::filesystem::remove_all(d, ec);
}

}  // namespace

std::string MakeTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "assetgen-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return std::string();
    if (TempDirs().empty()) std::atexit(RemoveTempDirs);
    TempDirs().push_back(pattern);
    return pattern;
}

int RunAssetgen(const std::string& arguments) {
    const std::string command = std::string("'") + ASSETGEN_PATH + "' " + arguments;
    const int status = std::system(command.c_str());
    if (status == -1 || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

const std::string& GeneratedAssetsDir() {
    static const std::string dir = [] {
        std::string d = MakeTempDir();
        if (d.empty() || RunAssetgen("'" + d + "'") != 0) return std::string();
        return d;
    }();
    return dir;
}
