// The headless runner: its option and script parsing, its screenshots, and
// whole runs of the built engine-headless program (and of the real engine on
// a machine without a display).
#include "engine/host/runner.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "interface/prog.h"

namespace fs = std::filesystem;

namespace {

std::vector<ScriptEvent> Parse(const std::string& text, std::string* error = nullptr) {
    std::vector<ScriptEvent> events;
    std::string message;
    int ok = ParseScript(text, &events, &message);
    if (error) *error = ok ? "" : message;
    EXPECT_TRUE(ok || error) << message;
    return events;
}

std::string ParseError(const std::string& text) {
    std::vector<ScriptEvent> events;
    std::string message;
    EXPECT_EQ(ParseScript(text, &events, &message), 0) << text;
    return message;
}

TEST(RunnerScript, EachInputBecomesItsMessage) {
    auto events = Parse(
        "# a comment line\n"
        "\n"
        "10 move 300 200   # trailing comment\n"
        "20 ldown\n"
        "20 lup\n"
        "30 rdown\n"
        "30 rup\n"
        "40 keydown 65\n"
        "50 keyup 0x41\n"
        "60 key 0X1b\n"
        "70 activate 0\n"
        "80 activate 1\n"
        "90 quit\r\n");
    ASSERT_EQ(events.size(), 12u);
    EXPECT_EQ(events[0].ms, 10u);
    EXPECT_EQ(events[0].message, static_cast<UINT>(WM_MOUSEMOVE));
    EXPECT_EQ(events[0].lParam, (200 << 16) | 300);
    EXPECT_EQ(events[1].message, static_cast<UINT>(WM_LBUTTONDOWN));
    EXPECT_EQ(events[2].message, static_cast<UINT>(WM_LBUTTONUP));
    EXPECT_EQ(events[3].message, static_cast<UINT>(WM_RBUTTONDOWN));
    EXPECT_EQ(events[4].message, static_cast<UINT>(WM_RBUTTONUP));
    EXPECT_EQ(events[5].message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(events[5].wParam, 65u);
    EXPECT_EQ(events[6].message, static_cast<UINT>(WM_KEYUP));
    EXPECT_EQ(events[6].wParam, 0x41u);
    // "key" is a press and a release at the same time, in that order.
    EXPECT_EQ(events[7].message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(events[7].wParam, 27u);
    EXPECT_EQ(events[8].message, static_cast<UINT>(WM_KEYUP));
    EXPECT_EQ(events[8].ms, 60u);
    EXPECT_EQ(events[9].message, static_cast<UINT>(WM_ACTIVATEAPP));
    EXPECT_EQ(events[9].wParam, 0u);
    EXPECT_EQ(events[10].wParam, 1u);
    EXPECT_EQ(events[11].message, static_cast<UINT>(WM_CLOSE));
}

TEST(RunnerScript, LinesAreOrderedByTimeKeepingTheOrderOfEqualTimes) {
    auto events = Parse("50 ldown\n10 keydown 1\n50 lup\n10 keyup 1\n");
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(events[1].message, static_cast<UINT>(WM_KEYUP));
    EXPECT_EQ(events[2].message, static_cast<UINT>(WM_LBUTTONDOWN));
    EXPECT_EQ(events[3].message, static_cast<UINT>(WM_LBUTTONUP));
}

TEST(RunnerScript, ErrorsNameTheLine) {
    EXPECT_EQ(ParseError("10 ldown\n\n20 jump\n").rfind("line 3: ", 0), 0u);
    EXPECT_EQ(ParseError("ldown\n").rfind("line 1: ", 0), 0u);
    EXPECT_EQ(ParseError("# fine\n-5 ldown\n").rfind("line 2: ", 0), 0u);
}

TEST(RunnerScript, BadInputIsRefusedNotMisread) {
    const char* bad[] = {
        "10",                          // no input
        "x10 ldown",                   // bad time
        "10x ldown",                   // trailing junk
        "99999999999999999999 ldown",  // overflow
        "10 move 1",                   // missing argument
        "10 move 1 2 3",               // extra argument
        "10 move 65536 0",             // out of range
        "10 move -1 0",
        "10 ldown now",
        "10 keydown",
        "10 keydown 256",
        "10 keydown 0",
        "10 keydown 0x",
        "10 keydown 0xZZ",
        "10 activate 2",
        "10 quit 1",
    };
    for (const char* line : bad) EXPECT_FALSE(ParseError(line).empty()) << line;
}

TEST(RunnerScript, VeryLongAndBinaryLinesAreRefusedCleanly) {
    std::string longLine = "10 move " + std::string(200000, '9') + " 1\n";
    std::string error = ParseError(longLine);
    EXPECT_EQ(error.rfind("line 1: ", 0), 0u);
    EXPECT_LT(error.size(), 200u);  // the message quotes only a little
    std::string binary("10 \x01\xff\x7f ldown\n", 12);
    EXPECT_FALSE(ParseError(binary).empty());
    std::string nul("10 ld\0own\n", 10);
    EXPECT_FALSE(ParseError(nul).empty());
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
        {"--fault", "lock"}, {"--fault", "lock=-2"}, {"--frobnicate", "1"}, {"extra"},
    };
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
    struct Field {
        const char* name;
        int HeadlessFaults::*member;
    };
    const Field fields[] = {
        {"createWindow", &HeadlessFaults::createWindow},
        {"directDrawCreate", &HeadlessFaults::directDrawCreate},
        {"queryInterface", &HeadlessFaults::queryInterface},
        {"cooperativeLevel", &HeadlessFaults::cooperativeLevel},
        {"setDisplayMode", &HeadlessFaults::setDisplayMode},
        {"createPrimary", &HeadlessFaults::createPrimary},
        {"getAttached", &HeadlessFaults::getAttached},
        {"createOffscreen", &HeadlessFaults::createOffscreen},
        {"createOffscreenNull", &HeadlessFaults::createOffscreenNull},
        {"lock", &HeadlessFaults::lock},
        {"flipStillDrawing", &HeadlessFaults::flipStillDrawing},
        {"flipLost", &HeadlessFaults::flipLost},
        {"restore", &HeadlessFaults::restore},
        {"mciOpen", &HeadlessFaults::mciOpen},
        {"loadLibrary", &HeadlessFaults::loadLibrary},
    };
    static_assert(sizeof(fields) / sizeof(fields[0]) * sizeof(int) == sizeof(HeadlessFaults), "every field");
    for (const Field& field : fields) {
        HeadlessFaults faults = {};
        ASSERT_TRUE(SetHeadlessFault(&faults, field.name, 7)) << field.name;
        EXPECT_EQ(faults.*field.member, 7) << field.name;
        int total = 0;
        for (const Field& other : fields) total += faults.*other.member;
        EXPECT_EQ(total, 7) << field.name;
    }
    HeadlessFaults faults = {};
    EXPECT_FALSE(SetHeadlessFault(&faults, "nosuch", 1));
}

TEST(RunnerJson, StringsAreEscaped) {
    EXPECT_EQ(JsonString("plain"), "\"plain\"");
    EXPECT_EQ(JsonString("a \"b\" \\ c"), "\"a \\\"b\\\" \\\\ c\"");
    EXPECT_EQ(JsonString("line\nnext\t\x01"), "\"line\\nnext\\t\\u0001\"");
    EXPECT_EQ(JsonString(nullptr), "\"\"");
}

// Big-endian 32-bit value from a PNG header.
uint32_t BigEndian(const unsigned char* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string MakeTempDir() {
    char pattern[] = "/tmp/engine-runner-XXXXXX";
    const char* dir = mkdtemp(pattern);
    EXPECT_NE(dir, nullptr);
    return dir ? dir : "/tmp";
}

TEST(RunnerPng, ChannelsAreWidenedByBitReplication) {
    std::string dir = MakeTempDir();
    // Rows 8 bytes apart (4 pixels), of which 3 are used; 2 rows.
    const uint16_t pixels[8] = {0xF800, 0x07E0, 0x001F, 0xDEAD, 0x0000, 0xFFFF, 0x8410, 0xBEEF};
    std::string path = dir + "/p.png";
    ASSERT_TRUE(WriteRgb565Png(path.c_str(), pixels, 3, 2, 8));
    std::string png = ReadFile(path);
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    const unsigned char* header = reinterpret_cast<const unsigned char*>(png.data());
    EXPECT_EQ(BigEndian(header + 16), 3u);
    EXPECT_EQ(BigEndian(header + 20), 2u);
    EXPECT_EQ(header[24], 8);  // bit depth
    EXPECT_EQ(header[25], 2);  // colour type RGB
    EXPECT_FALSE(WriteRgb565Png((dir + "/no/such/dir/p.png").c_str(), pixels, 3, 2, 8));
    EXPECT_FALSE(WriteRgb565Png(path.c_str(), pixels, 3, 2, 4));  // pitch shorter than a row
    fs::remove_all(dir);
}

// --- Whole runs of the built programs -------------------------------------

struct ProcessResult {
    int exitCode;
    std::string out;
    std::string err;
};

// Runs a shell command line in dir, capturing its output streams.
ProcessResult RunIn(const std::string& dir, const std::string& command) {
    std::string line = "cd '" + dir + "' && " + command + " >stdout.txt 2>stderr.txt";
    int status = system(line.c_str());
    ProcessResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = ReadFile(dir + "/stdout.txt");
    result.err = ReadFile(dir + "/stderr.txt");
    return result;
}

// A game folder of its own: a program, the platform library beside it (found
// through the $ORIGIN run path) and the recording module as prog.so.
std::string MakeGameFolder(const char* program) {
    std::string dir = MakeTempDir();
    fs::copy_file(program, dir + "/" + fs::path(program).filename().string());
    fs::copy_file(PLATFORM_LIB_PATH, dir + "/" + fs::path(PLATFORM_LIB_PATH).filename().string());
    fs::copy_file(RECMOD_PATH, dir + "/prog.so");
    return dir;
}

// The integer after "key": in a JSON line, or -999999 when it is absent.
long JsonNumber(const std::string& json, const char* key) {
    std::string label = std::string("\"") + key + "\": ";
    size_t at = json.find(label);
    if (at == std::string::npos) return -999999;
    return strtol(json.c_str() + at + label.size(), nullptr, 10);
}

// The line has the runner's fields in their order and nothing else around them.
bool HasRunnerShape(const std::string& line) {
    const char* parts[] = {"{\"calls\": ", ", \"frames\": ", ", \"virtual_ms\": ", ", \"boxes\": [", "], \"exit\": "};
    size_t at = 0;
    for (const char* part : parts) {
        size_t found = line.find(part, at);
        if (found == std::string::npos || (at == 0 && found != 0)) return false;
        at = found + strlen(part);
    }
    return line.size() >= 2 && line.compare(line.size() - 2, 2, "}\n") == 0;
}

TEST(RunnerProgram, ScriptedRunPrintsTheJsonLineAndSavesShots) {
    std::string dir = MakeGameFolder(ENGINE_HEADLESS_PATH);
    std::ofstream(dir + "/input.txt") << "# a short session\n"
                                         "100 move 512 384\n"
                                         "150 key 0x41\n"
                                         "200 ldown\n"
                                         "210 lup\n";
    ProcessResult run = RunIn(dir,
                              "REC_LOG=calls.txt timeout 60 ./engine-headless --run-ms 500 --step-ms 10 "
                              "--script input.txt --seed 7 --shot 250:shot.png --shot 0:first.png");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    // One line of JSON on standard output, nothing else.
    ASSERT_FALSE(run.out.empty());
    EXPECT_EQ(run.out.find('\n'), run.out.size() - 1);
    EXPECT_EQ(run.out.front(), '{');
    EXPECT_TRUE(HasRunnerShape(run.out)) << run.out;

    // The counts agree with what the module itself saw.
    std::string log = ReadFile(dir + "/calls.txt");
    std::istringstream lines(log);
    long calls = 0, frames = 0, elapsedSum = 0;
    unsigned event;
    int elapsed;
    while (lines >> event >> elapsed) {
        ++calls;
        elapsedSum += elapsed;
        if (event != EV_START && event != EV_SHUTDOWN) ++frames;  // each of these asked for a frame
    }
    EXPECT_EQ(JsonNumber(run.out, "calls"), calls);
    EXPECT_EQ(JsonNumber(run.out, "frames"), frames);
    EXPECT_EQ(JsonNumber(run.out, "exit"), 0);
    long virtualMs = JsonNumber(run.out, "virtual_ms");
    EXPECT_GE(virtualMs, 500);
    // The last idle pass found the runner's Escape instead of making a frame.
    EXPECT_EQ(elapsedSum, virtualMs - 10);
    EXPECT_NE(log.find("2200 "), std::string::npos);
    EXPECT_NE(log.find("2100 "), std::string::npos);
    EXPECT_NE(log.find("2101 "), std::string::npos);
    EXPECT_NE(log.find("2210 "), std::string::npos);
    EXPECT_EQ(log.find("2100 ", log.find("2101 ")), std::string::npos);  // the runner's Escape is no key-down

    // No song.mid in the folder: the one box, on the JSON line and on standard error.
    EXPECT_NE(run.out.find(R"("boxes": [["Report", "No midi for you!"]])"), std::string::npos) << run.out;
    EXPECT_NE(run.err.find("No midi for you!"), std::string::npos);

    for (const char* name : {"shot.png", "first.png"}) {
        std::string png = ReadFile(dir + "/" + name);
        ASSERT_GT(png.size(), 24u) << name;
        const unsigned char* header = reinterpret_cast<const unsigned char*>(png.data());
        EXPECT_EQ(BigEndian(header + 16), 1024u) << name;
        EXPECT_EQ(BigEndian(header + 20), 768u) << name;
    }
    fs::remove_all(dir);
}

TEST(RunnerProgram, ScriptCanStartInactiveAndQuitByClosing) {
    std::string dir = MakeGameFolder(ENGINE_HEADLESS_PATH);
    std::ofstream(dir + "/input.txt") << "0 activate 0\n300 quit\n";
    ProcessResult run = RunIn(dir, "timeout 60 ./engine-headless --script input.txt");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(JsonNumber(run.out, "calls"), 2);  // start and shutdown only
    EXPECT_EQ(JsonNumber(run.out, "frames"), 0);
    EXPECT_EQ(JsonNumber(run.out, "virtual_ms"), 300);
    fs::remove_all(dir);
}

TEST(RunnerProgram, FaultOptionsReachThePlatform) {
    std::string dir = MakeGameFolder(ENGINE_HEADLESS_PATH);
    ProcessResult run = RunIn(dir, "timeout 60 ./engine-headless --run-ms 100 --fault directDrawCreate=1");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find(R"(["Error!", "DirectDrawCreate failed"], ["Error!", "API could not be initialized!"])"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(JsonNumber(run.out, "frames"), 0);
    fs::remove_all(dir);
}

TEST(RunnerProgram, BadScriptIsReportedWithItsLineAndExitCodeTwo) {
    std::string dir = MakeGameFolder(ENGINE_HEADLESS_PATH);
    std::ofstream(dir + "/input.txt") << "10 ldown\n20 fly 3\n";
    ProcessResult run = RunIn(dir, "timeout 60 ./engine-headless --script input.txt");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("line 2"), std::string::npos) << run.err;
    EXPECT_TRUE(run.out.empty());
    run = RunIn(dir, "timeout 60 ./engine-headless --script no-such-file.txt");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("no-such-file.txt"), std::string::npos);
    run = RunIn(dir, "timeout 60 ./engine-headless --step-ms 0");
    EXPECT_EQ(run.exitCode, 2);
    fs::remove_all(dir);
}

TEST(RunnerProgram, ShotThatIsNeverReachedFailsTheRun) {
    std::string dir = MakeGameFolder(ENGINE_HEADLESS_PATH);
    ProcessResult run = RunIn(dir, "timeout 60 ./engine-headless --run-ms 100 --shot 5000:late.png");
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_NE(run.err.find("late.png"), std::string::npos);
    EXPECT_EQ(JsonNumber(run.out, "exit"), 0);
    EXPECT_FALSE(fs::exists(dir + "/late.png"));
    fs::remove_all(dir);
}

TEST(EngineProgram, WithoutADisplayItReportsTheWindowAndEndsWithZero) {
    std::string dir = MakeGameFolder(ENGINE_PATH);
    ProcessResult run = RunIn(dir,
                              "env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER "
                              "timeout 60 ./engine");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("Unexpected Windows error (hwnd was NULL)."), std::string::npos) << run.err;
    fs::remove_all(dir);
}

}  // namespace
