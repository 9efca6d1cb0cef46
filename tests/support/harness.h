// The headless harness: PlatformTest (a fresh platform), EngineGraphics (a fresh engine with a
// DirectDraw object and no display mode; checks no bitmap or DC is left) and EngineRun (in-process loop).
#pragma once
#include <gtest/gtest.h>

#include "engine/graphics/display.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/image_store.h"
#include "engine/host/engine.h"
#include "platform/backend.h"
#include "platform/gdi.h"
#include "platform/headless.h"
#include "tests/support/recmod.h"
#include "tests/support/temp_dir.h"
#include "tools/headless/runner.h"

struct PlatformTest : ::testing::Test {
    void SetUp() override { PlatformSelectBackend(PLATFORM_HEADLESS), HeadlessReset(); }
    void TearDown() override { HeadlessReset(); }
};

struct EngineGraphics : ::testing::Test {
    IDirectDraw* first = nullptr;
    int bitmaps = GdiLiveBitmaps(), dcs = GdiLiveDCs();
    void SetUp() override;
    void TearDown() override;
};

// A fresh engine in a fresh folder with a playable song.mid. Run(): EngineMain, expecting exitCode, posting
// the script's lines as the clock (moved by stepMs when nothing waits) reaches them, Escape after runMs.
struct EngineRun {
    explicit EngineRun(DWORD runMs, const char* script = "");
    void Run(int exitCode = 0);
    support::TempDir work{true};
    DWORD runMs, stepMs = 10, start = 0;
    std::vector<ScriptEvent> posts;
    size_t next = 0, afterEscape = 0;
};

RecState* Recorder();
const std::vector<RecCall>& Calls();
// The first n calls as "field/field " words; fields: event, t elapsed, key, x, y, clock, and boxes,
// frames, m MCI plays before the call.
std::string Trace(const char* fields, size_t n = 9999);
typedef std::vector<std::pair<std::string, std::string>> BoxList;  // caption, text
BoxList Boxes();
