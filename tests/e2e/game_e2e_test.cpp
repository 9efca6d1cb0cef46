// Whole runs of the built engine-headless with the real game module and data files, checked on
// screenshots, kestra.cfg and the message boxes (in order), each with a clean end on Escape.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "tests/support/picture.h"
#include "tests/support/run_game.h"

namespace {

using rel::Box;
using rel::RunResult;

// A folder with the game's data files but `except`, and `script` as play.txt.
struct PlayFolder : rel::TempDir {
    explicit PlayFolder(const std::string& script = "", const std::string& except = "") {
        rel::AddDataFiles(*this, except);
        rel::WriteFile(*this / "play.txt", script);
    }
};

TEST(GameRun, FirstFramesShowHudAndWaitingBanner) {
    const PlayFolder dir;
    const RunResult r = rel::RunGame(dir.path, 2000, "--seed 7 --shot 10:first.png --shot 1600:banner.png");
    rel::ExpectCleanEnd(r);
    EXPECT_TRUE(r.boxes.empty()) << r.out;
    EXPECT_GT(r.frames, 100);
    const pic::Screen first(dir / "first.png", rel::kGameDir), banner(dir / "banner.png", rel::kGameDir);
    ASSERT_TRUE(first.Readable() && banner.Readable());
    EXPECT_EQ(first.FirstHud(), "");
    EXPECT_EQ(banner.Waiting(), "");
}

// Click, autopilot and fire held, clicking again whenever the ship may be down; a second run shows the best.
TEST(GameRun, ScriptedRunScoresAndKeepsTheHighScore) {
    std::string script = "500 move 512 600\n600 ldown\n650 lup\n4000 key 0x41\n4100 ldown\n";
    for (int t = 8000; t < 60000; t += 4000)
        script += std::to_string(t) + " lup\n" + std::to_string(t + 50) + " ldown\n";
    const PlayFolder dir(script);
    rel::ExpectCleanEnd(rel::RunGame(dir.path, 60000, "--seed 11 --script play.txt --shot 59990:end.png"));
    const std::string saved = rel::ReadFile(dir / "kestra.cfg");
    ASSERT_TRUE(saved.find_first_not_of("0123456789") == std::string::npos && saved.substr(0, 1) > "0")
        << "kestra.cfg holds '" << saved << "'";
    rel::ExpectCleanEnd(rel::RunGame(dir.path, 300, "--seed 12 --shot 10:again.png"));
    const pic::Screen end(dir / "end.png", rel::kGameDir), again(dir / "again.png", rel::kGameDir);
    ASSERT_TRUE(end.Readable() && again.Readable());
    EXPECT_EQ(end.High(saved), "");
    EXPECT_EQ(again.High(saved, true), "");
    EXPECT_EQ(rel::ReadFile(dir / "kestra.cfg"), saved);
}

// Ten virtual minutes of random input: moves, clicks, keys, focus changes.
TEST(GameRun, TenMinutesOfRandomInputEndCleanly) {
    std::mt19937 random(12345);
    auto next = [&random](unsigned n) { return static_cast<unsigned>(random() % n); };
    const char* const keys[] = {"0x32", "0x33", "0x41", "0x42", "0x46", "0x47", "0x4D", "0x53", "0x57", "0x20"};
    std::string s;
    for (int t = 100; t < 600000; t += 20 + static_cast<int>(next(400))) {
        const std::string at = std::to_string(t) + " ";
        const unsigned kind = next(10);
        if (kind == 0) s += at + "ldown\n";
        if (kind == 1) s += at + "lup\n";
        if (kind == 2) s += at + "rdown\n" + at + "rup\n";
        if (kind == 3) s += at + "key " + keys[next(10)] + "\n";
        if (kind == 4 && next(20) == 0) s += at + "activate 0\n" + std::to_string(t + 300) + " activate 1\n";
        if (kind >= 5) s += at + "move " + std::to_string(next(1024)) + " " + std::to_string(next(768)) + "\n";
    }
    const PlayFolder dir(s);
    const RunResult r = rel::RunGame(dir.path, 600000, "--seed 3 --step-ms 20 --script play.txt");
    rel::ExpectCleanEnd(r);
    EXPECT_TRUE(r.boxes.empty()) << r.out;
    EXPECT_GT(r.frames, 20000);
}

// A bad bitmap gives the image store's box, then the game's, and nothing is drawn; a bad song gives one
// report and the game plays on. No run holds the pixels a huge header claims.
TEST(BadDataFile, GivesItsMessagesInOrderAndEndsCleanly) {
    for (const std::string name : rel::kDataFiles) {
        const bool song = name == "song.mid";
        const std::string good = rel::ReadFile(rel::kGameDir + "/" + name);
        ASSERT_GT(good.size(), 26u);
        std::string huge = good;  // width and height 100000 (BITMAPINFOHEADER offsets 18, 22); few pixels
        for (int at : {18, 22}) std::memcpy(&huge[at], "\xA0\x86\x01\x00", 4);
        const std::vector<Box> want =
            song ? std::vector<Box>{{"Report", "No midi for you!"}}
                 : std::vector<Box>{name == "tiles.bmp" ? Box{"Report", "Head image could not be loaded and/or found"}
                                                        : Box{"Error!", "Image could not be loaded and/or found"},
                                    {"Report", "Could not load " + name + "."},
                                    {"Report", "VProgInterface(&prog) failed"}};
        const struct {
            const char* name;
            bool present, cut;  // cut: a piece of a good file, which the sequencer may take
            std::string bytes;
        } variants[] = {{"missing", false, false, ""},
                        {"empty", true, false, ""},
                        {"other kind", true, false, rel::ReadFile(rel::kGameDir + (song ? "/text.bmp" : "/song.mid"))},
                        {"text", true, false, "this is not a picture or a song\n"},
                        {"header cut", true, false, good.substr(0, 10)},
                        {"header and a little", true, true, good.substr(0, 20)},
                        {"half", true, true, good.substr(0, good.size() / 2)},
                        {"100000 x 100000", true, true, huge}};
        for (const auto& variant : variants) {
            SCOPED_TRACE(name + ", " + variant.name);
            const PlayFolder folder("", name);
            if (variant.present) rel::WriteFile(folder / name, variant.bytes);
            const RunResult run = rel::RunGame(folder.path, 500, "--seed 1");
            rel::ExpectCleanEnd(run, song ? 0 : 1);  // a game that never started ends with 1
            const bool sequencerTookIt = song && variant.cut && run.boxes.empty();
            EXPECT_EQ(run.boxes, sequencerTookIt ? run.boxes : want) << run.out;
            EXPECT_TRUE(song ? run.frames > 20 : run.frames == 0) << run.frames << " frames";
            for (const Box& box : run.boxes) EXPECT_NE(run.err.find(box.second), std::string::npos) << "not on stderr";
        }
    }
    // The largest child's peak resident size (KiB) is far below the 40 GB of 100000 x 100000 pixels.
    struct rusage usage;
    ASSERT_EQ(getrusage(RUSAGE_CHILDREN, &usage), 0);
    EXPECT_LT(usage.ru_maxrss, 1024L * 1024);
}

const char kNotFound[] = "prog.so was not found or is not a valid DLL.";

// engine-headless and the platform library it finds beside itself, plus prog.so unless `module` is empty.
struct EngineFolder : rel::TempDir {
    explicit EngineFolder(const std::string& module = "") {
        for (const char* file : {"engine-headless", "libplatform.so"})
            rel::WriteFile(*this / file, rel::ReadFile(rel::kGameDir + "/" + file));
        chmod((*this / "engine-headless").c_str(), 0755);
        if (!module.empty()) rel::WriteFile(*this / "prog.so", module);
    }
    RunResult Run(const std::string& cwd, const std::string& env = "") const {
        return rel::RunGame(cwd, 300, "--seed 1", *this / "engine-headless", env);
    }
    void ExpectRefused(const std::string& cwd, const std::string& message, const std::string& env = "") const {
        const RunResult run = Run(cwd, env);
        rel::ExpectCleanEnd(run, 1);
        EXPECT_EQ(run.boxes, (std::vector<Box>{{"Error!", message}})) << run.out;
        EXPECT_EQ(run.calls, 0) << "an entry point of a module that should not be bound was called";
    }
};

// prog.so is taken only from the engine's own folder, never the user's, even when LD_LIBRARY_PATH names it.
TEST(ModuleLoading, OnlyTheModuleBesideTheEngineIsLoaded) {
    const std::string real = rel::ReadFile(rel::kGameDir + "/prog.so");
    EngineFolder engine;
    const PlayFolder play;
    rel::WriteFile(play / "prog.so", real);
    for (const char* env : {"", "LD_LIBRARY_PATH=."}) {
        SCOPED_TRACE(env);
        engine.ExpectRefused(play.path, kNotFound, env);
    }
    // With the real module beside it the copy plays, so the refusals came from the module's place.
    rel::WriteFile(engine / "prog.so", real);
    const RunResult run = engine.Run(play.path);
    rel::ExpectCleanEnd(run);
    EXPECT_TRUE(run.boxes.empty()) << run.out;
    EXPECT_GT(run.frames, 10);
}

TEST(ModuleLoading, BrokenOrIncompleteModulesAreRefused) {
    const std::string real = rel::ReadFile(rel::kGameDir + "/prog.so");
    const std::string partial = std::string(REL_MODULE_DIR) + "/rel_",
                      invalid = " was not found in prog.so - invalid DLL";
    const struct {
        const char* name;
        std::string bytes, message;
    } cases[] = {
        {"text", "this is not a library\n", kNotFound},
        {"one byte", "\x7f", kNotFound},
        {"ELF header only", real.substr(0, 64), kNotFound},
        // Cut among the segments it maps, where dlopen alone would fault.
        {"cut in its segment table", real.substr(0, 200), kNotFound},
        {"cut after its first page", real.substr(0, 4096), kNotFound},
        {"cut inside its code", real.substr(0, 6000), kNotFound},
        {"cut further on", real.substr(0, 0x7000), kNotFound},
        {"a program", rel::ReadFile(rel::kGameDir + "/engine-headless"), kNotFound},
        {"a bitmap", rel::ReadFile(rel::kGameDir + "/tiles.bmp"), kNotFound},
        {"no exports", rel::ReadFile(partial + "no_exports.so"), "VProgInterface and VProgProcedure" + invalid},
        {"procedure only", rel::ReadFile(partial + "procedure_only.so"), "VProgInterface" + invalid},
        {"interface only", rel::ReadFile(partial + "interface_only.so"), "VProgProcedure" + invalid}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_FALSE(c.bytes.empty());
        const EngineFolder engine(c.bytes);
        engine.ExpectRefused(engine.path, c.message);
    }
}

TEST(PlatformFault, EngineRunsOnAndEndsCleanly) {
    // Click to start, autopilot, fire held, spark trail.
    const PlayFolder folder("100 move 512 600\n200 ldown\n250 lup\n1000 key 0x41\n1100 ldown\n1500 key 0x46\n");
    auto run = [&folder](const std::string& faults, long runMs = 3000, int exitCode = 0) {
        RunResult r = rel::RunGame(folder.path, runMs, "--seed 4 --script play.txt " + faults);
        rel::ExpectCleanEnd(r, exitCode);
        EXPECT_GE(r.virtualMs, runMs);
        return r;
    };
    const RunResult clean = run("");
    ASSERT_GT(clean.frames, 100);
    const Box restoreFailed{"Error!", "Tried to restore primary surface and failed."};
    const struct {
        const char* faults;
        std::vector<Box> boxes;
        long frames, calls;
    } cases[] = {
        {"--fault flipStillDrawing=5", {}, clean.frames, clean.calls},  // waited for (1 ms each), all shown
        {"--fault flipLost=-1", {}, 0, clean.calls},  // restored each time, none shown, the game called as ever
        // Three failed restores: a message and a shutdown notice to the game each, then frames again.
        {"--fault flipLost=5 --fault restore=3", std::vector<Box>(3, restoreFailed), clean.frames - 5, clean.calls + 3},
        {"--fault mciOpen=1", {{"Report", "No midi for you!"}}, clean.frames, clean.calls},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.faults);
        const RunResult r = run(c.faults);
        EXPECT_EQ(r.boxes, c.boxes) << r.out;
        EXPECT_EQ(r.frames, c.frames);
        EXPECT_EQ(r.calls, c.calls);
    }
    // Restores that never work: a message at every frame.
    const RunResult never = run("--fault flipLost=-1 --fault restore=-1 --fault mciOpen=-1", 300);
    EXPECT_EQ(never.frames, 0);
    ASSERT_GT(never.boxes.size(), 10u);
    EXPECT_EQ(never.boxes[0], (Box{"Report", "No midi for you!"}));
    for (size_t i = 1; i < never.boxes.size(); ++i) EXPECT_EQ(never.boxes[i], restoreFailed);
    // A display that never finishes drawing: the run still ends at its time, with 4 (the engine did not end).
    EXPECT_EQ(run("--fault flipStillDrawing=-1", 300, 4).frames, 0);
}

}  // namespace
