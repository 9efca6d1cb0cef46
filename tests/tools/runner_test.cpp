#include "tools/headless/runner.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "tests/support/temp_dir.h"

// Lines sort by time, stable; "key" is a press and a release.
TEST(RunnerScript, EachInputBecomesItsMessageAndBadLinesAreRefusedWithTheirNumber) {
    std::vector<ScriptEvent> events;
    std::string error, got;
    const char* script =
        "90 quit\r\n# comment\n\n10 move 300 200 # comment\n30 rdown\n20 ldown\n"
        "20 lup\n30 rup\n50 keyup 0x41\n40 keydown 65\n60 key 0X1b\n70 activate 0\n80 activate 1\n";
    ASSERT_TRUE(ParseScript(script, &events, &error));
    for (const ScriptEvent& e : events) got += " " + std::to_string(e.ms) + ":" + std::to_string(e.message);
    for (const ScriptEvent& e : events) got += " " + std::to_string(e.wParam) + ":" + std::to_string(e.lParam);
    EXPECT_EQ(got,
              " 10:512 20:513 20:514 30:516 30:517 40:256 50:257 60:256 60:257 70:28 80:28 90:16"  // WM_ codes
              " 0:13107500 0:0 0:0 0:0 0:0 65:0 65:0 27:0 27:0 0:0 1:0 0:0");
    std::istringstream lines(
        "10\nldown\n-5 ldown\n20 jump\nx10 ldown\n10x ldown\n99999999999999999999 ldown\n10 move 1\n10 move 1 2 3\n"
        "10 move -1 0\n10 move 65536 0\n10 ldown now\n10 keydown\n10 keydown 0\n10 keydown 256\n10 keydown 0x\n"
        "10 keydown 0xZZ\n10 activate 2\n10 quit 1\n10 \x01\xff ldown\n10 move " +
        std::string(200000, '9') + " 1");
    for (std::string line; std::getline(lines, line);) {
        EXPECT_FALSE(ParseScript("# fine\n" + line + "\n", &events, &error)) << line.substr(0, 40);
        EXPECT_EQ(error.rfind("line 2: ", 0) + error.size() / 200, 0u) << error.substr(0, 300);  // and short
    }
    EXPECT_FALSE(ParseScript(std::string("10 ld\0own", 9), &events, &error));
    const uint16_t pixels[8] = {};  // the screenshot writer refuses what it cannot write
    EXPECT_FALSE(WriteRgb565Png("/no/such/p.png", pixels, 3, 2, 8) || WriteRgb565Png(0, pixels, 3, 2, 8) ||
                 WriteRgb565Png("p.png", nullptr, 3, 2, 8) || WriteRgb565Png("p.png", pixels, 0, 2, 8) ||
                 WriteRgb565Png("p.png", pixels, 3, 0, 8) || WriteRgb565Png("p.png", pixels, 3, 2, 4));
}

// The programs, their platform library ($ORIGIN), the recording prog.so and a script.
struct Program : support::TempDir {
    int exitCode = -1;
    std::string out, err;
    explicit Program(const char* script) {
        namespace fs = std::filesystem;
        for (const char* file : {ENGINE_HEADLESS_PATH, ENGINE_PATH, PLATFORM_LIB_PATH, RECMOD_PATH})
            fs::copy_file(file, *this / fs::path(file).filename());
        support::WriteFile(*this / "input.txt", script);
    }
    void Run(const std::string& command) {
        int status = system(("cd '" + path + "' && timeout 60 " + command + " >out.txt 2>err.txt").c_str());
        exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        out = support::ReadFile(*this / "out.txt"), err = support::ReadFile(*this / "err.txt");
    }
};

std::string Json(int calls, int frames, int ms, const std::string& boxes, int exitCode = 0) {
    return "{\"calls\": " + std::to_string(calls) + ", \"frames\": " + std::to_string(frames) +
           ", \"virtual_ms\": " + std::to_string(ms) + ", \"boxes\": [" + boxes +
           "], \"exit\": " + std::to_string(exitCode) + "}\n";
}

// The exit clean-up must free REC_LOG's image; a line at 0 lands before the clock moves; the runner's
// Escape is no key-down and its idle pass makes no frame. No song.mid: a box.
TEST(RunnerProgram, ScriptedRunPrintsTheJsonLineAndSavesShots) {
    Program p("0 move 512 384\n150 key 0x41\n200 ldown\n210 lup\n");
    p.Run("env REC_LOG=log.txt ./engine-headless --run-ms 500 --script input.txt --shot 250:a.png --shot 0:b.png");
    EXPECT_EQ(p.out, Json(53, 51, 500, R"(["Report", "doing something stupid"], ["Report", "No midi for you!"])"));
    EXPECT_EQ(p.exitCode, 0);
    std::string log = support::ReadFile(p / "log.txt"), inputs;
    for (size_t at = 0; at < log.size(); at = log.find('\n', at) + 1)
        if (log.compare(at, 3, "200")) inputs += log.substr(at, 5);
    EXPECT_EQ(log.substr(0, 26) + inputs, "2003 0 0 0\n2200 0 512 384\n2200 2100 2101 2210 2211 ");
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 53);
    for (const char* name : {"a.png", "b.png"})  // 1024 x 768
        EXPECT_EQ(support::ReadFile(p / name).substr(12, 12), std::string("IHDR\0\0\x04\0\0\0\x03\0", 12)) << name;
}

// A module that fails to load is never called; a script can start inactive and quit by closing;
// faults reach the platform. (Missing or incomplete modules are run end to end.)
TEST(RunnerProgram, FaultsAndAnInactiveStartThatQuitsGiveTheirJsonLine) {
    Program p("0 activate 0\n300 quit\n");
    p.Run("./engine-headless --run-ms 1000 --fault loadLibrary=1");
    EXPECT_EQ(std::to_string(p.exitCode) + p.out,
              "1" + Json(0, 0, 1000, R"(["Error!", "prog.so was not found or is not a valid DLL."])", 1));
    p.Run("./engine-headless --run-ms 1000 --fault directDrawCreate=1 --script input.txt");
    const std::string boxes = R"(["Error!", "DirectDrawCreate failed"], ["Error!", "API could not be initialized!"], )";
    EXPECT_EQ(std::to_string(p.exitCode) + p.out, "0" + Json(2, 0, 300, boxes + R"(["Report", "No midi for you!"])"));
}

// Bad options or scripts end with 2, naming what is refused; a shot never reached ends with 3; the
// windowed engine without a display with 1.
TEST(RunnerProgram, ExitCodesOfHelpBadOptionsUnsavedShotsAndNoDisplay) {
    Program p("10 ldown\n20 fly 3\n");
    p.Run("./engine-headless -h --frobnicate");
    EXPECT_EQ(p.exitCode + p.out.rfind("usage: engine-headless", 0) + p.err.size(), 0u);
    // Every fault the platform can inject is listed by a name the option takes, with its meaning.
    HeadlessFaults listed = {};
    std::istringstream lines(p.out.substr(p.out.find("the names:\n") + 11));
    for (std::string name, meaning; lines >> name && std::getline(lines, meaning);)
        EXPECT_TRUE(SetHeadlessFault(&listed, name.c_str(), 1) && meaning.size() > 10) << name;
    for (size_t i = 0; i < sizeof listed / sizeof(Fault); ++i) EXPECT_EQ((&listed.createWindow)[i].fail, 1) << i;
    for (std::string args : {"--script input.txt", "--script none.txt", "--run-ms", "--step-ms 0", "--seed 4294967296",
                             "--shot 100", "--fault nosuch=1", "--fault lock=-2", "--frobnicate", "extra"}) {
        p.Run("./engine-headless " + args);
        const std::string named =
            args == "--script input.txt" ? "input.txt: line 2: " : args.substr(args.find(' ') + 1);
        EXPECT_TRUE(p.exitCode == 2 && p.out.empty() && p.err.find(named) != std::string::npos) << args << p.err;
    }
    p.Run("./engine-headless --run-ms 100 --shot 5000:late.png");
    EXPECT_TRUE(p.exitCode == 3 && p.err.find("late.png") != std::string::npos &&
                p.out.find(R"(exit": 0})") != p.out.npos);
    EXPECT_FALSE(std::filesystem::exists(p / "late.png"));
    p.Run("env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER ./engine");
    EXPECT_TRUE(p.exitCode == 1 && p.err.find("Unexpected Windows error (hwnd was NULL).") != p.err.npos) << p.err;
}
