// Broken data files through the real engine-headless and game module: every
// bitmap and the song empty, cut short, of the wrong kind, or with a header
// claiming 100000 x 100000 pixels. Each gives the same boxes in the same order
// as a missing file would, the run ends cleanly on Escape with exit code 0,
// and nothing tries to hold the claimed picture in memory.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/reliability/run_game.h"

namespace {

using rel::Box;
using rel::RunResult;

struct Variant {
    const char* name;
    std::string (*make)(const std::string& good, const std::string& other);
};

std::string Empty(const std::string&, const std::string&) { return ""; }
std::string HalfOfIt(const std::string& good, const std::string&) { return good.substr(0, good.size() / 2); }
std::string HeaderOnly(const std::string& good, const std::string&) { return good.substr(0, 20); }
std::string OtherKind(const std::string&, const std::string& other) { return other; }
std::string Text(const std::string&, const std::string&) { return "this is not a picture\n"; }

// The file's own header with width and height both 100000 (the BITMAPINFOHEADER
// fields at offsets 18 and 22); the pixel data stays as small as it was.
std::string HugeHeader(const std::string& good, const std::string&) {
    std::string bytes = good;
    const char side[4] = {static_cast<char>(0xA0), static_cast<char>(0x86), 0x01, 0x00};
    if (bytes.size() >= 26) {
        std::memcpy(&bytes[18], side, 4);
        std::memcpy(&bytes[22], side, 4);
    }
    return bytes;
}

const Variant kVariants[] = {
    {"empty", Empty},          {"half", HalfOfIt}, {"header only", HeaderOnly},
    {"other kind", OtherKind}, {"text", Text},     {"100000 x 100000", HugeHeader},
};

class BadDataFile : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!rel::GameFolderComplete()) GTEST_SKIP() << "the game folder is not complete";
    }
    // A working folder with good copies of every data file but `broken`,
    // which gets `bytes`.
    static void Fill(const rel::TempFolder& folder, const std::string& broken, const std::string& bytes) {
        for (const char* name : rel::kDataFiles) {
            if (broken == name)
                rel::WriteFile(folder / name, bytes);
            else
                rel::CopyFile(rel::kGameDir + "/" + name, folder / name);
        }
    }
    static void ExpectCleanEnd(const RunResult& run) {
        EXPECT_EQ(run.signal, 0) << run.err.substr(0, 3000);
        EXPECT_EQ(run.status, 0) << run.err.substr(0, 3000);
        EXPECT_EQ(run.exitCode, 0) << run.out;
        EXPECT_LT(run.virtualMs, 60000) << "the engine did not end on Escape";
        EXPECT_EQ(rel::SanitizerReport(run), "");
    }
};

TEST_F(BadDataFile, EachBrokenBitmapGivesTheMessagesOfAMissingOne) {
    const std::string song = rel::ReadFile(rel::kGameDir + "/song.mid");
    for (const char* bitmap : {"tiles.bmp", "sprites.bmp", "text.bmp"}) {
        const std::string good = rel::ReadFile(rel::kGameDir + "/" + bitmap);
        const Box store = std::string(bitmap) == "tiles.bmp"
                              ? Box{"Report", "Head image could not be loaded and/or found"}
                              : Box{"Error!", "Image could not be loaded and/or found"};
        const std::vector<Box> want = {store,
                                       {"Report", std::string("Could not load ") + bitmap + "."},
                                       {"Report", "VProgInterface(&prog) failed"}};
        for (const Variant& variant : kVariants) {
            SCOPED_TRACE(std::string(bitmap) + ", " + variant.name);
            rel::TempFolder folder;
            Fill(folder, bitmap, variant.make(good, song));
            RunResult run = rel::RunGame(folder.path, "--seed 1 --run-ms 300");
            ExpectCleanEnd(run);
            EXPECT_EQ(run.boxes, want) << run.out;
            EXPECT_EQ(run.frames, 0) << "a half-built scene was drawn";
        }
    }
    // Not one of these runs held anything near the 40 GB that 100000 x 100000
    // pixels would take (the largest child's peak resident size, in KiB).
    struct rusage usage;
    ASSERT_EQ(getrusage(RUSAGE_CHILDREN, &usage), 0);
    EXPECT_LT(usage.ru_maxrss, 1024L * 1024);
}

TEST_F(BadDataFile, BrokenSongGivesOneReportAndTheGamePlays) {
    const std::string good = rel::ReadFile(rel::kGameDir + "/song.mid");
    const std::string bitmap = rel::ReadFile(rel::kGameDir + "/text.bmp");
    const Variant variants[] = {
        {"empty", Empty},
        {"header only", [](const std::string& g, const std::string&) { return g.substr(0, 10); }},
        {"other kind", OtherKind},
        {"text", Text}};
    for (const Variant& variant : variants) {
        SCOPED_TRACE(variant.name);
        rel::TempFolder folder;
        Fill(folder, "song.mid", variant.make(good, bitmap));
        RunResult run = rel::RunGame(folder.path, "--seed 1 --run-ms 500");
        ExpectCleanEnd(run);
        EXPECT_EQ(run.boxes, (std::vector<Box>{{"Report", "No midi for you!"}})) << run.out;
        EXPECT_GT(run.frames, 20) << "the game did not go on after the box";
    }
}

// A song whose header is whole but whose track is cut off may be taken by the
// sequencer; either way the game starts and ends normally.
TEST_F(BadDataFile, SongCutInsideItsTrackIsSurvived) {
    const std::string good = rel::ReadFile(rel::kGameDir + "/song.mid");
    for (size_t length : {size_t{14}, size_t{30}, good.size() / 2, good.size() - 1}) {
        SCOPED_TRACE(length);
        rel::TempFolder folder;
        Fill(folder, "song.mid", good.substr(0, length));
        RunResult run = rel::RunGame(folder.path, "--seed 1 --run-ms 500");
        ExpectCleanEnd(run);
        EXPECT_TRUE(run.boxes.empty() || run.boxes == (std::vector<Box>{{"Report", "No midi for you!"}})) << run.out;
        EXPECT_GT(run.frames, 20);
    }
}

}  // namespace
