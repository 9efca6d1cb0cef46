// Binding the game module in the real runner: prog.so is taken only from the
// engine's own folder, never from the folder the user stands in, and a file
// of that name that is no library (a cut-off one included), or a library
// without the two entry points, gives the exact message, no call into it and
// a clean end on Escape.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "tests/support/run_game.h"

namespace {

using rel::Box;
using rel::RunResult;

const char kNotFound[] = "prog.so was not found or is not a valid DLL.";

// An engine folder of its own: engine-headless and the platform library it
// finds beside itself, plus prog.so with the given bytes unless empty.
struct EngineFolder : rel::TempFolder {
    explicit EngineFolder(const std::string& module = "") {
        for (const char* file : {"engine-headless", "libplatform.so"})
            rel::WriteFile(*this / file, rel::ReadFile(rel::kGameDir + "/" + file));
        chmod((*this / "engine-headless").c_str(), 0755);
        if (!module.empty()) rel::WriteFile(*this / "prog.so", module);
    }
    RunResult Run(const std::string& cwd, const std::string& env = "") const {
        return rel::RunGame(cwd, 300, "--seed 1", *this / "engine-headless", env);
    }
    // The message alone, no call into the module, and a clean end.
    void ExpectRefused(const std::string& cwd, const std::string& message, const std::string& env = "") const {
        const RunResult run = Run(cwd, env);
        rel::ExpectCleanEnd(run);
        EXPECT_EQ(run.boxes, (std::vector<Box>{{"Error!", message}})) << run.out;
        EXPECT_EQ(run.calls, 0) << "an entry point of a module that should not be bound was called";
    }
};

class ModuleLoading : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!rel::GameFolderComplete()) GTEST_SKIP() << "the game folder is not complete";
    }
};

TEST_F(ModuleLoading, OnlyTheModuleBesideTheEngineIsLoaded) {
    const std::string real = rel::ReadFile(rel::kGameDir + "/prog.so");
    EngineFolder engine;
    rel::TempFolder play;
    play.AddDataFiles();
    rel::WriteFile(play / "prog.so", real);
    // Not even when the library search path names the current folder.
    for (const char* env : {"", "LD_LIBRARY_PATH=."}) {
        SCOPED_TRACE(env);
        engine.ExpectRefused(play.path, kNotFound, env);
    }
    // The same copied engine with the real module beside it plays, so the
    // refusals come from the module and not from the copy.
    rel::WriteFile(engine / "prog.so", real);
    RunResult run = engine.Run(play.path);
    rel::ExpectCleanEnd(run);
    EXPECT_TRUE(run.boxes.empty()) << run.out;
    EXPECT_GT(run.frames, 10);
}

TEST_F(ModuleLoading, BrokenOrIncompleteModulesAreRefused) {
    const std::string real = rel::ReadFile(rel::kGameDir + "/prog.so");
    const std::string partial = std::string(REL_MODULE_DIR) + "/rel_";
    const char* const invalid = " was not found in prog.so - invalid DLL";
    const struct {
        const char* name;
        std::string bytes, message;
    } cases[] = {
        {"text", "this is not a library\n", kNotFound},
        {"one byte", "\x7f", kNotFound},
        {"ELF header only", real.substr(0, 64), kNotFound},
        // A library cut off among the segments it maps: dlopen alone would
        // fault on it. Most of the file beyond them is debugging information.
        {"cut in its segment table", real.substr(0, 200), kNotFound},
        {"cut after its first page", real.substr(0, 4096), kNotFound},
        {"cut inside its code", real.substr(0, 6000), kNotFound},
        {"cut further on", real.substr(0, 0x7000), kNotFound},
        {"a program", rel::ReadFile(rel::kGameDir + "/engine-headless"), kNotFound},
        {"a bitmap", rel::ReadFile(rel::kGameDir + "/tiles.bmp"), kNotFound},
        {"no exports", rel::ReadFile(partial + "no_exports.so"),
         std::string("VProgInterface and VProgProcedure") + invalid},
        {"procedure only", rel::ReadFile(partial + "procedure_only.so"), std::string("VProgInterface") + invalid},
        {"interface only", rel::ReadFile(partial + "interface_only.so"), std::string("VProgProcedure") + invalid},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_FALSE(c.bytes.empty());
        EngineFolder engine(c.bytes);
        engine.ExpectRefused(engine.path, c.message);
    }
}

}  // namespace
