// Binding the game module in the real runner: prog.so is taken only from the
// engine's own folder, never from the folder the user stands in, and a file
// of that name that is no library, or a library without the two entry points,
// gives the exact message and a clean end on Escape.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "tests/reliability/run_game.h"

namespace {

using rel::Box;
using rel::RunResult;

const std::string kModuleDir = REL_MODULE_DIR;

// An engine folder of its own: engine-headless and the platform library it
// finds beside itself, plus prog.so with the given bytes unless empty.
struct EngineFolder {
    rel::TempFolder folder;
    explicit EngineFolder(const std::string& module = "") {
        rel::CopyFile(rel::kGameDir + "/engine-headless", folder / "engine-headless");
        chmod((folder / "engine-headless").c_str(), 0755);
        rel::CopyFile(rel::kGameDir + "/libplatform.so", folder / "libplatform.so");
        if (!module.empty()) rel::WriteFile(folder / "prog.so", module);
    }
    RunResult Run(const std::string& cwd, const std::string& args = "--run-ms 300", const std::string& env = "") const {
        return rel::RunIn(cwd, folder / "engine-headless", args, env);
    }
};

class ModuleLoading : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!rel::GameFolderComplete()) GTEST_SKIP() << "the game folder is not complete";
    }
    static void ExpectOnly(const RunResult& run, const std::string& message) {
        EXPECT_EQ(run.signal, 0) << run.err.substr(0, 3000);
        EXPECT_EQ(run.status, 0) << run.err.substr(0, 3000);
        EXPECT_EQ(run.exitCode, 0) << run.out;
        EXPECT_EQ(run.boxes, (std::vector<Box>{{"Error!", message}})) << run.out;
        EXPECT_EQ(run.calls, 0) << "an entry point of a module that should not be bound was called";
        EXPECT_LT(run.virtualMs, 60000) << "the engine did not end on Escape";
        EXPECT_EQ(rel::SanitizerReport(run), "");
    }
};

// The user stands in a folder that holds the real game and its data; the
// engine's own folder has no prog.so. The game there must not run.
TEST_F(ModuleLoading, ModuleInTheCurrentFolderIsNeverLoaded) {
    EngineFolder engine;
    rel::TempFolder play;
    for (const char* name : rel::kDataFiles) rel::CopyFile(rel::kGameDir + "/" + name, play / name);
    rel::CopyFile(rel::kGameDir + "/prog.so", play / "prog.so");
    RunResult run = engine.Run(play.path, "--run-ms 300");
    ExpectOnly(run, "prog.so was not found or is not a valid DLL.");

    // Not even when the library search path names the current folder.
    run = engine.Run(play.path, "--run-ms 300", "LD_LIBRARY_PATH=.");
    ExpectOnly(run, "prog.so was not found or is not a valid DLL.");
}

TEST_F(ModuleLoading, FileThatIsNoLibraryIsRefused) {
    const std::string real = rel::ReadFile(rel::kGameDir + "/prog.so");
    const std::string program = rel::ReadFile(rel::kGameDir + "/engine-headless");
    const std::vector<std::pair<const char*, std::string>> files = {
        {"text", "this is not a library\n"},
        {"one byte", "\x7f"},
        {"ELF header only", real.substr(0, 64)},
        // Its mapped segments come first (most of the file beyond them is
        // debugging information): cuts among them.
        {"library cut in its segment table", real.substr(0, 200)},
        {"library cut after its first page", real.substr(0, 4096)},
        {"library cut inside its code", real.substr(0, 6000)},
        {"library cut further on", real.substr(0, 0x7000)},
        {"a program", program},
        {"a bitmap", rel::ReadFile(rel::kGameDir + "/tiles.bmp")},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.first);
        EngineFolder engine(file.second);
        ExpectOnly(engine.Run(engine.folder.path), "prog.so was not found or is not a valid DLL.");
    }
}

TEST_F(ModuleLoading, LibraryLackingTheEntryPointsIsRefused) {
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"rel_no_exports.so", "VProgInterface and VProgProcedure was not found in prog.so - invalid DLL"},
        {"rel_procedure_only.so", "VProgInterface was not found in prog.so - invalid DLL"},
        {"rel_interface_only.so", "VProgProcedure was not found in prog.so - invalid DLL"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        EngineFolder engine(rel::ReadFile(kModuleDir + "/" + c.first));
        ExpectOnly(engine.Run(engine.folder.path), c.second);
    }
}

// The same engine folder with the real module in it plays normally, so the
// refusals above come from the module and not from the copied folder.
TEST_F(ModuleLoading, RealModuleBesideTheEngineIsLoaded) {
    EngineFolder engine(rel::ReadFile(rel::kGameDir + "/prog.so"));
    rel::TempFolder play;
    for (const char* name : rel::kDataFiles) rel::CopyFile(rel::kGameDir + "/" + name, play / name);
    RunResult run = engine.Run(play.path, "--run-ms 300 --seed 1");
    EXPECT_EQ(run.status, 0) << run.err.substr(0, 3000);
    EXPECT_TRUE(run.boxes.empty()) << run.out;
    EXPECT_GT(run.frames, 10);
}

}  // namespace
