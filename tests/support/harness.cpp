#include "tests/support/harness.h"

#include <dlfcn.h>

#include <algorithm>

static void Fresh() { ResetEngineForTests(), ResetDisplayForTests(), HeadlessReset(); }

void EngineGraphics::SetUp() {
    Fresh();
    ASSERT_EQ(DirectDrawCreate(nullptr, &first, nullptr), DD_OK);
    ASSERT_EQ(first->QueryInterface(IID_IDirectDraw4, reinterpret_cast<LPVOID*>(&directDraw)), DD_OK);
}

void EngineGraphics::TearDown() {
    Fresh();
    if (first) first->Release();
    EXPECT_EQ(std::make_pair(GdiLiveBitmaps(), GdiLiveDCs()), std::make_pair(bitmaps, dcs)) << "bitmaps, DCs left";
}

// Loaded by the path that the engine loads it by, so both share it.
RecState* Recorder() { return *static_cast<RecState**>(dlsym(dlopen(REC_DIR "/prog.so", RTLD_NOW), "recState")); }
const std::vector<RecCall>& Calls() { return Recorder()->calls; }

EngineRun::EngineRun(DWORD runMs, const char* script) : runMs(runMs) {
    std::string error;
    EXPECT_TRUE(ParseScript(script, &posts, &error)) << error;
    Fresh(), PlatformSelectBackend(PLATFORM_HEADLESS), PlatformSetModuleDir(REC_DIR);
    *Recorder() = {};
    // Format 0, one track, 96 ticks per quarter: one note on and off.
    static const char kSong[] = "MThd\0\0\0\6\0\0\0\1\0\x60MTrk\0\0\0\x0c\0\x90\x3c\x64\x60\x80\x3c\0\0\xff\x2f\0";
    support::WriteFile("song.mid", std::string(kSong, sizeof kSong - 1));
}

static void Hook(void* user) {
    EngineRun& run = *static_cast<EngineRun*>(user);
    auto due = [&run] {
        for (; run.next < run.posts.size() && run.posts[run.next].ms <= timeGetTime() - run.start; ++run.next)
            HeadlessPost(run.posts[run.next].message, run.posts[run.next].wParam, run.posts[run.next].lParam);
    };
    due();
    if (HeadlessQueueLength() == 0) HeadlessAdvance(run.stepMs), due();
    if (timeGetTime() - run.start < run.runMs) return;
    if (run.afterEscape == 0) HeadlessPost(WM_KEYDOWN, VK_ESCAPE, 0);
    if (++run.afterEscape == 1000) PostQuitMessage(99);  // the engine did not end on Escape
}

void EngineRun::Run(int exitCode) {
    start = timeGetTime(), HeadlessSetIdleHook(Hook, this);
    EXPECT_EQ(EngineMain(nullptr, SW_SHOWNORMAL), exitCode);
    HeadlessSetIdleHook(nullptr, nullptr);
}

std::string Trace(const char* fields, size_t n) {
    std::string out;
    for (size_t i = 0; i < std::min(n, Calls().size()); ++i) {
        const RecCall& c = Calls()[i];
        const long values[] = {c.event, c.elapsed, c.key, c.mouseX, c.mouseY, c.clock, c.boxes, c.frames, c.mciPlays};
        for (const char* f = fields; *f; ++f)
            out += std::to_string(values[std::string("etkxycbfm").find(*f)]) + (f[1] ? "/" : " ");
    }
    return out;
}

BoxList Boxes() {
    BoxList boxes;
    for (int i = 0; i < HeadlessBoxCount(); ++i) boxes.emplace_back(HeadlessBoxCaption(i), HeadlessBoxText(i));
    return boxes;
}
