#include "tools/headless/runner.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

void RunnerOptionsConstruct(RunnerOptions* options) {
    options->runMs = 10000;
    options->stepMs = 10;
    options->scriptPath.clear();
    options->hasSeed = 0;
    options->seed = 0;
    options->shots.clear();
    options->faults.clear();
    options->help = 0;
}

// An unsigned number in decimal, or in hexadecimal after 0x; the whole text
// must be the number, and it must not exceed limit.
static int ParseUnsigned(const std::string& text, unsigned long long limit, unsigned long long* out) {
    if (text.empty() || text.size() > 24) return 0;
    int base = 10;
    size_t start = 0;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        start = 2;
    }
    for (size_t i = start; i < text.size(); ++i) {
        char c = text[i];
        bool ok = base == 10 ? (c >= '0' && c <= '9') : isxdigit(static_cast<unsigned char>(c)) != 0;
        if (!ok) return 0;
    }
    errno = 0;
    unsigned long long value = strtoull(text.c_str() + start, nullptr, base);
    if (errno == ERANGE || value > limit) return 0;
    *out = value;
    return 1;
}

// A signed count for a fault: -1 (every time) or 0 .. INT32_MAX.
static int ParseFaultCount(const std::string& text, int* out) {
    if (text == "-1") {
        *out = -1;
        return 1;
    }
    unsigned long long value;
    if (!ParseUnsigned(text, 0x7FFFFFFF, &value)) return 0;
    *out = static_cast<int>(value);
    return 1;
}

struct FaultName {
    const char* name;
    size_t offset;
    const char* meaning;
};

#define FAULT(name, meaning) \
    { #name, offsetof(HeadlessFaults, name), meaning }
static const FaultName kFaultNames[] = {
    FAULT(createWindow, "the window cannot be created"),
    FAULT(directDrawCreate, "DirectDrawCreate fails"),
    FAULT(queryInterface, "the DirectDraw 4 interface is refused"),
    FAULT(cooperativeLevel, "the full-screen cooperative level is refused"),
    FAULT(setDisplayMode, "the 1024 x 768 x 16 mode is refused"),
    FAULT(createPrimary, "the primary surface cannot be made"),
    FAULT(getAttached, "the back buffer cannot be had"),
    FAULT(createOffscreen, "an image surface cannot be made"),
    FAULT(createOffscreenNull, "an image surface is reported made but is missing"),
    FAULT(lock, "a surface cannot be locked"),
    FAULT(flipStillDrawing, "a flip finds the display still drawing (1 ms each)"),
    FAULT(flipLost, "a flip finds the surfaces lost"),
    FAULT(restore, "lost surfaces cannot be restored"),
    FAULT(mciOpen, "the MIDI sequencer cannot be opened"),
    FAULT(loadLibrary, "the game module cannot be loaded"),
    FAULT(createCompatibleDC, "a memory device context for an image cannot be made"),
    FAULT(surfaceGetDC, "an image surface gives no device context"),
};
#undef FAULT

std::string FaultHelp() {
    std::string text;
    char line[160];
    for (const FaultName& entry : kFaultNames) {
        std::snprintf(line, sizeof line, "  %-21s %s\n", entry.name, entry.meaning);
        text += line;
    }
    return text;
}

int SetHeadlessFault(HeadlessFaults* faults, const char* name, int count) {
    for (const FaultName& entry : kFaultNames) {
        if (strcmp(entry.name, name) == 0) {
            *reinterpret_cast<Fault*>(reinterpret_cast<char*>(faults) + entry.offset) = FailNext(count);
            return 1;
        }
    }
    return 0;
}

static int KnownFault(const std::string& name) {
    for (const FaultName& entry : kFaultNames)
        if (name == entry.name) return 1;
    return 0;
}

int ParseRunnerOptions(int argc, const char* const* argv, RunnerOptions* options, std::string* error) {
    RunnerOptionsConstruct(options);
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        if (option == "-h" || option == "--help") {
            options->help = 1;
            return 1;
        }
        if (option != "--run-ms" && option != "--step-ms" && option != "--script" && option != "--seed" &&
            option != "--shot" && option != "--fault") {
            *error = "unknown option '" + option + "'";
            return 0;
        }
        if (i + 1 >= argc) {
            *error = "option " + option + " needs a value";
            return 0;
        }
        std::string value = argv[++i];
        unsigned long long number;
        if (option == "--run-ms") {
            if (!ParseUnsigned(value, 0x7FFFFFFF, &number)) {
                *error = "--run-ms needs a number of milliseconds, not '" + value + "'";
                return 0;
            }
            options->runMs = static_cast<DWORD>(number);
        } else if (option == "--step-ms") {
            if (!ParseUnsigned(value, 0x7FFFFFFF, &number) || number == 0) {
                *error = "--step-ms needs a number of milliseconds of at least 1, not '" + value + "'";
                return 0;
            }
            options->stepMs = static_cast<DWORD>(number);
        } else if (option == "--script") {
            options->scriptPath = value;
        } else if (option == "--seed") {
            if (!ParseUnsigned(value, 0xFFFFFFFFu, &number)) {
                *error = "--seed needs an unsigned number, not '" + value + "'";
                return 0;
            }
            options->hasSeed = 1;
            options->seed = static_cast<unsigned>(number);
        } else if (option == "--shot") {
            size_t colon = value.find(':');
            if (colon == std::string::npos || colon + 1 >= value.size() ||
                !ParseUnsigned(value.substr(0, colon), 0x7FFFFFFF, &number)) {
                *error = "--shot needs MS:FILE.png, not '" + value + "'";
                return 0;
            }
            options->shots.push_back(ShotRequest{static_cast<DWORD>(number), value.substr(colon + 1), 0});
        } else {  // --fault
            size_t equals = value.find('=');
            int count = 0;
            if (equals == std::string::npos || !KnownFault(value.substr(0, equals)) ||
                !ParseFaultCount(value.substr(equals + 1), &count)) {
                *error = "--fault needs NAME=N with a HeadlessFaults field name and N >= -1, not '" + value + "'";
                return 0;
            }
            options->faults.push_back(FaultSetting{value.substr(0, equals), count});
        }
    }
    return 1;
}

// Splits a line into words separated by blanks.
static std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
        size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
        if (i > start) words.push_back(line.substr(start, i - start));
    }
    return words;
}

// Shortens a quoted piece of a bad line so that messages stay one line.
static std::string Quote(const std::string& text) {
    std::string shown = text.size() > 40 ? text.substr(0, 40) + "..." : text;
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F) c = '?';
    return "'" + shown + "'";
}

struct TimedEvent {
    ScriptEvent event;
    size_t order;
};

int ParseScript(const std::string& text, std::vector<ScriptEvent>* events, std::string* error) {
    std::vector<TimedEvent> parsed;
    size_t lineStart = 0;
    int lineNumber = 0;
    while (lineStart < text.size()) {
        size_t lineEnd = text.find('\n', lineStart);
        if (lineEnd == std::string::npos) lineEnd = text.size();
        std::string line = text.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;
        ++lineNumber;
        std::string where = "line " + std::to_string(lineNumber) + ": ";

        size_t hash = line.find('#');
        if (hash != std::string::npos) line.erase(hash);
        std::vector<std::string> words = Words(line);
        if (words.empty()) continue;
        if (words.size() < 2) {
            *error = where + "expected '<ms> <what> [args]'";
            return 0;
        }
        unsigned long long ms;
        if (!ParseUnsigned(words[0], 0x7FFFFFFF, &ms)) {
            *error = where + "bad time " + Quote(words[0]);
            return 0;
        }
        const std::string& what = words[1];
        size_t wantArgs;
        if (what == "move")
            wantArgs = 2;
        else if (what == "keydown" || what == "keyup" || what == "key" || what == "activate")
            wantArgs = 1;
        else if (what == "ldown" || what == "lup" || what == "rdown" || what == "rup" || what == "quit")
            wantArgs = 0;
        else {
            *error = where + "unknown input " + Quote(what);
            return 0;
        }
        if (words.size() - 2 != wantArgs) {
            *error = where + "'" + what + "' takes " + std::to_string(wantArgs) + " argument(s)";
            return 0;
        }

        auto add = [&](UINT message, WPARAM wParam, LPARAM lParam) {
            parsed.push_back(TimedEvent{ScriptEvent{static_cast<DWORD>(ms), message, wParam, lParam}, parsed.size()});
        };
        unsigned long long a = 0, b = 0;
        if (what == "move") {
            if (!ParseUnsigned(words[2], 0xFFFF, &a) || !ParseUnsigned(words[3], 0xFFFF, &b)) {
                *error = where + "move needs X and Y from 0 to 65535";
                return 0;
            }
            add(WM_MOUSEMOVE, 0, static_cast<LPARAM>((b << 16) | a));
        } else if (what == "activate") {
            if (words[2] != "0" && words[2] != "1") {
                *error = where + "activate takes 0 or 1, not " + Quote(words[2]);
                return 0;
            }
            add(WM_ACTIVATEAPP, words[2] == "1" ? 1 : 0, 0);
        } else if (what == "keydown" || what == "keyup" || what == "key") {
            if (!ParseUnsigned(words[2], 0xFF, &a) || a == 0) {
                *error = where + "bad virtual-key code " + Quote(words[2]) + " (1 to 255, decimal or 0x-hex)";
                return 0;
            }
            if (what != "keyup") add(WM_KEYDOWN, static_cast<WPARAM>(a), 0);
            if (what != "keydown") add(WM_KEYUP, static_cast<WPARAM>(a), 0);
        } else if (what == "ldown") {
            add(WM_LBUTTONDOWN, 0, 0);
        } else if (what == "lup") {
            add(WM_LBUTTONUP, 0, 0);
        } else if (what == "rdown") {
            add(WM_RBUTTONDOWN, 0, 0);
        } else if (what == "rup") {
            add(WM_RBUTTONUP, 0, 0);
        } else {  // quit
            add(WM_CLOSE, 0, 0);
        }
    }
    std::stable_sort(parsed.begin(), parsed.end(),
                     [](const TimedEvent& x, const TimedEvent& y) { return x.event.ms < y.event.ms; });
    events->clear();
    for (const TimedEvent& item : parsed) events->push_back(item.event);
    return 1;
}

static int ReadScriptFile(const std::string& path, std::string* text, std::string* error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        *error = "cannot open script " + path;
        return 0;
    }
    const std::streamsize limit = 16 << 20;
    std::vector<char> buffer(static_cast<size_t>(limit) + 1);
    file.read(buffer.data(), limit + 1);
    if (file.bad()) {
        *error = "cannot read script " + path;
        return 0;
    }
    if (file.gcount() > limit) {
        *error = "script " + path + " is larger than 16 MiB";
        return 0;
    }
    text->assign(buffer.data(), static_cast<size_t>(file.gcount()));
    return 1;
}

void ScriptedRunConstruct(ScriptedRun* run, const RunnerInputOps* ops) {
    RunnerOptionsConstruct(&run->options);
    run->script.clear();
    run->ops = ops;
    run->nextEvent = 0;
    run->started = run->escapeSent = run->closeSent = 0;
}

int ScriptedRunLoadScript(ScriptedRun* run, std::string* error) {
    const std::string& path = run->options.scriptPath;
    std::string text;
    if (path.empty()) return 1;
    if (!ReadScriptFile(path, &text, error)) return 0;
    if (ParseScript(text, &run->script, error)) return 1;
    *error = path + ": " + *error;
    return 0;
}

// Virtual time after Escape by which the engine must have ended.
static const DWORD kGraceMs = 60000;

static void PostDueEvents(ScriptedRun* run, DWORD now) {
    while (run->nextEvent < run->script.size() && run->script[run->nextEvent].ms <= now) {
        const ScriptEvent& event = run->script[run->nextEvent++];
        run->ops->post(event.message, event.wParam, event.lParam);
    }
}

int ScriptedRunIdle(ScriptedRun* run) {
    size_t before = run->nextEvent;
    if (!run->started) {
        run->started = 1;
        PostDueEvents(run, timeGetTime());
    }
    if (run->nextEvent == before) {
        run->ops->advance(run->options.stepMs);
        PostDueEvents(run, timeGetTime());
    }
    DWORD now = timeGetTime();
    if (now >= run->options.runMs && !run->escapeSent) {
        run->escapeSent = 1;
        run->ops->post(WM_KEYDOWN, VK_ESCAPE, 0);
    }
    // Escape always ends the loop; these guard against a stuck run.
    if (run->escapeSent && now - run->options.runMs >= kGraceMs && !run->closeSent) {
        run->closeSent = 1;
        run->ops->post(WM_CLOSE, 0, 0);
    }
    return !(run->closeSent && now - run->options.runMs >= 2 * kGraceMs);
}

int ScriptedRunStall(ScriptedRun* run) {
    run->ops->advance(1);
    return timeGetTime() < run->options.runMs;
}

std::string JsonString(const char* text) {
    std::string out = "\"";
    for (const char* p = text ? text : ""; *p; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            char escaped[8];
            snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    out += '"';
    return out;
}

int WriteRgb565Png(const char* path, const uint16_t* pixels, int width, int height, int pitch) {
    if (!path || !pixels || width <= 0 || height <= 0 || pitch < width * 2) return 0;
    std::vector<unsigned char> rgb(static_cast<size_t>(width) * height * 3);
    unsigned char* out = rgb.data();
    for (int y = 0; y < height; ++y) {
        const uint16_t* row = reinterpret_cast<const uint16_t*>(reinterpret_cast<const char*>(pixels) +
                                                                static_cast<ptrdiff_t>(y) * pitch);
        for (int x = 0; x < width; ++x) {
            unsigned p = row[x];
            unsigned r = (p >> 11) & 0x1F, g = (p >> 5) & 0x3F, b = p & 0x1F;
            *out++ = static_cast<unsigned char>((r << 3) | (r >> 2));
            *out++ = static_cast<unsigned char>((g << 2) | (g >> 4));
            *out++ = static_cast<unsigned char>((b << 3) | (b >> 2));
        }
    }
    return stbi_write_png(path, width, height, 3, rgb.data(), width * 3) != 0;
}
