// The asset maker as a program: same output on every run, and clear failures for bad arguments.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/assets/generated_assets.h"

namespace {

std::vector<char> Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(AssetgenRun, WritesTheSameFourFilesEveryTime) {
    ASSERT_FALSE(GeneratedAssetsDir().empty());
    const std::string again = MakeTempDir();
    ASSERT_FALSE(again.empty());
    ASSERT_EQ(RunAssetgen("'" + again + "'"), 0);
    for (const char* name : {"tiles.bmp", "sprites.bmp", "text.bmp", "song.mid"}) {
        const std::vector<char> first = Bytes(GeneratedAssetsDir() + "/" + name);
        EXPECT_FALSE(first.empty()) << name;
        EXPECT_TRUE(first == Bytes(again + "/" + name)) << name << " differs between runs";
    }
}

TEST(AssetgenRun, CreatesAMissingOutputFolder) {
    const std::string base = MakeTempDir();
    ASSERT_FALSE(base.empty());
    ASSERT_EQ(RunAssetgen("'" + base + "/game/data'"), 0);
    EXPECT_TRUE(std::filesystem::exists(base + "/game/data/song.mid"));
}

TEST(AssetgenRun, FailsWithoutAnOutputFolderOrWithAnUnusableOne) {
    EXPECT_NE(RunAssetgen("2>/dev/null"), 0);
    EXPECT_NE(RunAssetgen("--contact-sheet 2>/dev/null"), 0);
    const std::string base = MakeTempDir();
    ASSERT_FALSE(base.empty());
    std::ofstream(base + "/plain-file") << "not a folder";
    EXPECT_EQ(RunAssetgen("'" + base + "/plain-file' 2>/dev/null"), 1);
    EXPECT_EQ(RunAssetgen("'" + base + "/plain-file/sub' 2>/dev/null"), 1);
}
