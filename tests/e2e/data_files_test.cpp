// Missing and broken data files through the real engine-headless and game
// module. A bad bitmap gives the image store's box, then the game's, in that
// order, and nothing is drawn; a bad song gives one report and the game plays
// on. Every run ends cleanly on Escape and none holds the pixels a huge
// header claims.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/run_game.h"

namespace {

using rel::Box;

// The file's own header with width and height both 100000 (the
// BITMAPINFOHEADER fields at offsets 18 and 22); the pixels stay as few.
std::string HugeHeader(std::string bytes) {
    const char side[4] = {static_cast<char>(0xA0), static_cast<char>(0x86), 0x01, 0x00};
    std::memcpy(&bytes[18], side, 4);
    std::memcpy(&bytes[22], side, 4);
    return bytes;
}

TEST(BadDataFile, GivesItsMessagesInOrderAndEndsCleanly) {
    if (!rel::GameFolderComplete()) GTEST_SKIP() << "the game folder is not complete";
    for (const char* name : rel::kDataFiles) {
        const bool song = std::string(name) == "song.mid";
        const std::string good = rel::ReadFile(rel::kGameDir + "/" + name);
        ASSERT_GT(good.size(), 26u);
        const std::string other = rel::ReadFile(rel::kGameDir + (song ? "/text.bmp" : "/song.mid"));
        const Box store = std::string(name) == "tiles.bmp"
                              ? Box{"Report", "Head image could not be loaded and/or found"}
                              : Box{"Error!", "Image could not be loaded and/or found"};
        const std::vector<Box> want = song ? std::vector<Box>{{"Report", "No midi for you!"}}
                                           : std::vector<Box>{store,
                                                              {"Report", std::string("Could not load ") + name + "."},
                                                              {"Report", "VProgInterface(&prog) failed"}};
        const struct {
            const char* name;
            bool present, cut;  // cut: a piece of a good file, which the sequencer may take
            std::string bytes;
        } variants[] = {
            {"missing", false, false, ""},
            {"empty", true, false, ""},
            {"other kind", true, false, other},
            {"text", true, false, "this is not a picture or a song\n"},
            {"header cut", true, false, good.substr(0, 10)},
            {"header and a little", true, true, good.substr(0, 20)},
            {"half", true, true, good.substr(0, good.size() / 2)},
            {"100000 x 100000", true, true, HugeHeader(good)},
        };
        for (const auto& variant : variants) {
            SCOPED_TRACE(std::string(name) + ", " + variant.name);
            rel::TempFolder folder;
            folder.AddDataFiles(name);
            if (variant.present) rel::WriteFile(folder / name, variant.bytes);
            const rel::RunResult run = rel::RunGame(folder.path, 500, "--seed 1");
            rel::ExpectCleanEnd(run);
            if (song && variant.cut)
                EXPECT_TRUE(run.boxes.empty() || run.boxes == want) << run.out;
            else
                EXPECT_EQ(run.boxes, want) << run.out;
            if (song)
                EXPECT_GT(run.frames, 20) << "the game did not go on after the box";
            else
                EXPECT_EQ(run.frames, 0) << "a half-built scene was drawn";
            for (const Box& box : run.boxes) EXPECT_NE(run.err.find(box.text), std::string::npos) << "not on stderr";
        }
    }
    // No run held anything near the 40 GB that 100000 x 100000 pixels would
    // take (the largest child's peak resident size, in KiB).
    struct rusage usage;
    ASSERT_EQ(getrusage(RUSAGE_CHILDREN, &usage), 0);
    EXPECT_LT(usage.ru_maxrss, 1024L * 1024);
}

}  // namespace
