// The headless runner: its option and script parsing, and whole runs of the
// built engine-headless program (and of the real engine without a display).
#include "engine/host/runner.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "interface/prog.h"

namespace fs = std::filesystem;

namespace {

TEST(RunnerScript, EachInputBecomesItsMessage) {
    std::vector<ScriptEvent> events;
    std::string error;
    // Lines are ordered by time; lines of equal time keep their order.
    ASSERT_TRUE(
        ParseScript("90 quit\r\n# a comment line\n\n10 move 300 200   # trailing comment\n30 rdown\n"
                    "20 ldown\n20 lup\n30 rup\n50 keyup 0x41\n40 keydown 65\n60 key 0X1b\n70 activate 0\n"
                    "80 activate 1\n",
                    &events, &error))
        << error;
    // "key" is a press then a release at the same time.
    // clang-format off
    const ScriptEvent expected[] = {
        {10, WM_MOUSEMOVE, 0, (200 << 16) | 300}, {20, WM_LBUTTONDOWN, 0, 0}, {20, WM_LBUTTONUP, 0, 0},
        {30, WM_RBUTTONDOWN, 0, 0}, {30, WM_RBUTTONUP, 0, 0}, {40, WM_KEYDOWN, 65, 0}, {50, WM_KEYUP, 0x41, 0},
        {60, WM_KEYDOWN, 27, 0}, {60, WM_KEYUP, 27, 0}, {70, WM_ACTIVATEAPP, 0, 0}, {80, WM_ACTIVATEAPP, 1, 0},
        {90, WM_CLOSE, 0, 0}};
    // clang-format on
    ASSERT_EQ(events.size(), std::size(expected));
    for (size_t i = 0; i < events.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(events[i].ms, expected[i].ms);
        EXPECT_EQ(events[i].message, expected[i].message);
        EXPECT_EQ(events[i].wParam, expected[i].message == WM_CLOSE ? events[i].wParam : expected[i].wParam);
        EXPECT_EQ(events[i].lParam, expected[i].message == WM_MOUSEMOVE ? expected[i].lParam : events[i].lParam);
    }
}

// Each bad line, after a good one, is refused with an error naming line 2
// and quoting only a little of it.
TEST(RunnerScript, BadLinesAreRefusedWithTheirLineNumber) {
    std::vector<std::string> bad;
    std::istringstream lines(
        "10\nldown\n-5 ldown\n20 jump\nx10 ldown\n10x ldown\n99999999999999999999 ldown\n10 move 1\n10 move 1 2 3\n"
        "10 move -1 0\n10 move 65536 0\n10 ldown now\n10 keydown\n10 keydown 0\n10 keydown 256\n10 keydown 0x\n"
        "10 keydown 0xZZ\n10 activate 2\n10 quit 1\n");
    for (std::string line; std::getline(lines, line);) bad.push_back(line);
    bad.push_back("10 move " + std::string(200000, '9') + " 1");
    bad.push_back(std::string("10 \x01\xff\x7f ldown", 10));
    bad.push_back(std::string("10 ld\0own", 9));
    for (const std::string& line : bad) {
        SCOPED_TRACE(line.substr(0, 40));
        std::vector<ScriptEvent> events;
        std::string error;
        EXPECT_EQ(ParseScript("# fine\n" + line + "\n", &events, &error), 0);
        EXPECT_EQ(error.rfind("line 2: ", 0), 0u) << error;
        EXPECT_LT(error.size(), 200u);
    }
}

TEST(RunnerOptions, DefaultsAndValues) {
    RunnerOptions options;
    std::string error;
    const char* none[] = {"engine-headless"};
    ASSERT_TRUE(ParseRunnerOptions(1, none, &options, &error));
    EXPECT_EQ(options.runMs, 10000u);
    EXPECT_EQ(options.stepMs, 10u);
    EXPECT_FALSE(options.hasSeed);
    const char* all[] = {"engine-headless", "--run-ms", "500",        "--step-ms", "0x10",      "--script",
                         "s.txt",           "--seed",   "4294967295", "--shot",    "0:a.png",   "--shot",
                         "250:dir/b:c.png", "--fault",  "flipLost=2", "--fault",   "restore=-1"};
    ASSERT_TRUE(ParseRunnerOptions(17, all, &options, &error)) << error;
    EXPECT_EQ(options.runMs, 500u);
    EXPECT_EQ(options.stepMs, 16u);
    EXPECT_EQ(options.scriptPath, "s.txt");
    EXPECT_TRUE(options.hasSeed);
    EXPECT_EQ(options.seed, 4294967295u);
    ASSERT_EQ(options.shots.size(), 2u);
    EXPECT_EQ(options.shots[1].ms, 250u);
    EXPECT_EQ(options.shots[1].path, "dir/b:c.png");
    ASSERT_EQ(options.faults.size(), 2u);
    EXPECT_EQ(options.faults[1].name, "restore");
    EXPECT_EQ(options.faults[1].count, -1);
}

TEST(RunnerOptions, BadOptionsAreRefused) {
    const std::vector<std::vector<const char*>> bad = {
        {"--run-ms"},        {"--run-ms", "-1"},     {"--step-ms", "0"},    {"--seed", "4294967296"},
        {"--shot", "100"},   {"--shot", "x:a.png"},  {"--shot", "100:"},    {"--fault", "nosuch=1"},
        {"--fault", "lock"}, {"--fault", "lock=-2"}, {"--frobnicate", "1"}, {"extra"}};
    for (const auto& args : bad) {
        std::vector<const char*> argv = {"engine-headless"};
        argv.insert(argv.end(), args.begin(), args.end());
        RunnerOptions options;
        std::string error;
        EXPECT_FALSE(ParseRunnerOptions(static_cast<int>(argv.size()), argv.data(), &options, &error)) << args[0];
        EXPECT_FALSE(error.empty());
    }
}

TEST(RunnerOptions, EveryFaultNameSetsItsOwnCounter) {
    std::vector<std::string> names;
    std::istringstream list(
        "createWindow directDrawCreate queryInterface cooperativeLevel setDisplayMode createPrimary getAttached "
        "createOffscreen createOffscreenNull lock flipStillDrawing flipLost restore mciOpen loadLibrary");
    for (std::string name; list >> name;) names.push_back(name);
    // The names in the order of the fields.
    ASSERT_EQ(names.size() * sizeof(int), sizeof(HeadlessFaults));
    for (size_t i = 0; i < names.size(); ++i) {
        HeadlessFaults faults = {};
        ASSERT_TRUE(SetHeadlessFault(&faults, names[i].c_str(), 7)) << names[i];
        const int* counters = reinterpret_cast<const int*>(&faults);
        for (size_t j = 0; j < names.size(); ++j) EXPECT_EQ(counters[j], i == j ? 7 : 0) << names[i];
    }
    HeadlessFaults faults = {};
    EXPECT_FALSE(SetHeadlessFault(&faults, "nosuch", 1));
}

TEST(RunnerOutput, JsonStringsAreEscapedAndUnwritablePngsRefused) {
    EXPECT_EQ(JsonString("a \"b\" \\ c"), "\"a \\\"b\\\" \\\\ c\"");
    EXPECT_EQ(JsonString("line\nnext\t\x01"), "\"line\\nnext\\t\\u0001\"");
    EXPECT_EQ(JsonString(nullptr), "\"\"");
    const uint16_t pixels[8] = {};
    EXPECT_FALSE(WriteRgb565Png("/no/such/dir/p.png", pixels, 3, 2, 8));
    EXPECT_FALSE(WriteRgb565Png("/tmp/p.png", pixels, 3, 2, 4));  // pitch shorter than a row
}

// --- Whole runs of the built programs -------------------------------------

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

struct Program {
    std::string dir;
    int exitCode = -1;
    std::string out, err;

    // A game folder of its own: the program, the platform library beside it
    // (found through the $ORIGIN run path) and the recording module as prog.so.
    explicit Program(const char* program) {
        char pattern[] = "/tmp/engine-runner-XXXXXX";
        if (!mkdtemp(pattern)) abort();
        dir = pattern;
        for (const char* file : {program, PLATFORM_LIB_PATH})
            fs::copy_file(file, dir + "/" + fs::path(file).filename().string());
        fs::copy_file(RECMOD_PATH, dir + "/prog.so");
    }
    ~Program() { fs::remove_all(dir); }

    void Run(const std::string& command) {
        int status = system(("cd '" + dir + "' && " + command + " >stdout.txt 2>stderr.txt").c_str());
        exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        out = ReadFile(dir + "/stdout.txt");
        err = ReadFile(dir + "/stderr.txt");
    }
    void Write(const char* name, const char* text) { std::ofstream(dir + "/" + name) << text; }

    // The integer after "key": on the JSON line, or -999999 when it is absent.
    long Json(const char* key) const {
        std::string label = std::string("\"") + key + "\": ";
        size_t at = out.find(label);
        return at == std::string::npos ? -999999 : strtol(out.c_str() + at + label.size(), nullptr, 10);
    }
};

TEST(RunnerProgram, ScriptedRunPrintsTheJsonLineAndSavesShots) {
    Program p(ENGINE_HEADLESS_PATH);
    p.Write("input.txt", "100 move 512 384\n150 key 0x41\n200 ldown\n210 lup\n");
    p.Run(
        "REC_LOG=calls.txt timeout 60 ./engine-headless --run-ms 500 --step-ms 10 --script input.txt --seed 7 "
        "--shot 250:shot.png --shot 0:first.png");
    ASSERT_EQ(p.exitCode, 0) << p.err;
    std::istringstream log(ReadFile(p.dir + "/calls.txt"));
    long calls = 0, frames = 0, elapsedSum = 0;
    std::vector<unsigned> inputs;
    unsigned event;
    int elapsed;
    while (log >> event >> elapsed) {
        ++calls;
        elapsedSum += elapsed;
        if (event != EV_START && event != EV_SHUTDOWN) ++frames;  // each of these asked for a frame
        if (event != EV_START && event != EV_SHUTDOWN && event != EV_FRAME) inputs.push_back(event);
    }
    // Each line in order; the runner's Escape is no key-down.
    std::vector<unsigned> expected = {EV_MOUSE_MOVE, EV_KEY_DOWN, EV_KEY_UP, EV_LBUTTON_DOWN, EV_LBUTTON_UP};
    EXPECT_EQ(inputs, expected);
    // One JSON line whose counts agree with what the module saw; the last idle
    // pass found the runner's Escape instead of making a frame. Without
    // song.mid there is one box, on the line and on standard error.
    EXPECT_GE(elapsedSum, 490);
    EXPECT_EQ(p.out, "{\"calls\": " + std::to_string(calls) + ", \"frames\": " + std::to_string(frames) +
                         ", \"virtual_ms\": " + std::to_string(elapsedSum + 10) +
                         ", \"boxes\": [[\"Report\", \"No midi for you!\"]], \"exit\": 0}\n");
    EXPECT_NE(p.err.find("No midi for you!"), std::string::npos);
    for (const char* name : {"shot.png", "first.png"}) {
        std::string png = ReadFile(p.dir + "/" + name);
        ASSERT_GT(png.size(), 24u) << name;
        EXPECT_EQ(png.substr(1, 3), "PNG");
        EXPECT_EQ(png.substr(16, 8), std::string("\0\0\x04\0\0\0\x03\0", 8)) << name;  // 1024 x 768
    }
}

TEST(RunnerProgram, ScriptCanStartInactiveAndQuitByClosingAndFaultsReachThePlatform) {
    Program p(ENGINE_HEADLESS_PATH);
    p.Write("input.txt", "0 activate 0\n300 quit\n");
    p.Run("timeout 60 ./engine-headless --script input.txt --fault directDrawCreate=1");
    ASSERT_EQ(p.exitCode, 0) << p.err;
    EXPECT_EQ(p.Json("calls"), 2);  // start and shutdown only
    EXPECT_EQ(p.Json("frames"), 0);
    EXPECT_EQ(p.Json("virtual_ms"), 300);
    EXPECT_NE(p.out.find(R"(["Error!", "DirectDrawCreate failed"], ["Error!", "API could not be initialized!"])"),
              std::string::npos)
        << p.out;
}

TEST(RunnerProgram, HelpEndsWithZeroBadScriptOrOptionsWithTwoAndUnsavedShotsWithThree) {
    Program p(ENGINE_HEADLESS_PATH);
    for (const char* help : {"-h", "--run-ms 5 --help --frobnicate"}) {
        p.Run(std::string("timeout 60 ./engine-headless ") + help);
        EXPECT_EQ(p.exitCode, 0) << help;
        EXPECT_EQ(p.out.rfind("usage: engine-headless", 0), 0u) << p.out;
        EXPECT_TRUE(p.err.empty()) << p.err;
    }
    p.Write("input.txt", "10 ldown\n20 fly 3\n");
    p.Run("timeout 60 ./engine-headless --script input.txt");
    EXPECT_EQ(p.exitCode, 2);
    EXPECT_NE(p.err.find("line 2"), std::string::npos) << p.err;
    EXPECT_TRUE(p.out.empty());
    p.Run("timeout 60 ./engine-headless --script no-such-file.txt");
    EXPECT_EQ(p.exitCode, 2);
    EXPECT_NE(p.err.find("no-such-file.txt"), std::string::npos);
    p.Run("timeout 60 ./engine-headless --step-ms 0");
    EXPECT_EQ(p.exitCode, 2);
    // A shot that the run never reaches: the run itself still ends normally.
    p.Run("timeout 60 ./engine-headless --run-ms 100 --shot 5000:late.png");
    EXPECT_EQ(p.exitCode, 3);
    EXPECT_NE(p.err.find("late.png"), std::string::npos);
    EXPECT_EQ(p.Json("exit"), 0);
    EXPECT_FALSE(fs::exists(p.dir + "/late.png"));
}

TEST(EngineProgram, WithoutADisplayItReportsTheWindowAndEndsWithOne) {
    Program p(ENGINE_PATH);
    p.Run("env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 60 ./engine");
    EXPECT_EQ(p.exitCode, 1) << p.err;
    EXPECT_NE(p.err.find("Unexpected Windows error (hwnd was NULL)."), std::string::npos) << p.err;
}

}  // namespace
