// The one headless harness of the platform and engine tests:
// - PlatformTest: every platform test starts from a fresh headless platform;
// - EngineGraphics: a fresh platform and engine with a DirectDraw object in
//   the display's global, no display mode and an empty image chain, checking
//   that no bitmap or device context is left behind;
// - EngineRun: the engine's start-up and main loop in-process, with the
//   recording module as prog.so and a timed list of actions that the idle hook
//   performs as the virtual clock advances.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "engine/graphics/display.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/image_store.h"
#include "engine/host/engine.h"
#include "platform/backend.h"
#include "platform/ddraw.h"
#include "platform/gdi.h"
#include "platform/headless.h"
#include "platform/mmsystem.h"
#include "platform/win32.h"
#include "tests/support/recmod.h"

class PlatformTest : public ::testing::Test {
  protected:
    void SetUp() override {
        PlatformSelectBackend(PLATFORM_HEADLESS);
        HeadlessReset();
    }
    void TearDown() override { HeadlessReset(); }
};

namespace gfxtest {

struct EngineGraphics : ::testing::Test {
    IDirectDraw* first = nullptr;
    int bitmapsBefore = 0, dcsBefore = 0;

    void SetUp() override {
        HeadlessReset();
        ResetEngineForTests();
        ResetDisplayForTests();
        GdiResetFaults();
        ImageStoreFailAllocation(0);
        bitmapsBefore = GdiLiveBitmaps();
        dcsBefore = GdiLiveDCs();
        ASSERT_EQ(DirectDrawCreate(nullptr, &first, nullptr), DD_OK);
        ASSERT_EQ(first->QueryInterface(IID_IDirectDraw4, reinterpret_cast<LPVOID*>(&directDraw)), DD_OK);
    }
    void TearDown() override {
        ResetEngineForTests();  // frees the image chain
        ResetDisplayForTests();
        if (first) first->Release();
        GdiResetFaults();
        ImageStoreFailAllocation(0);
        HeadlessReset();
        EXPECT_EQ(GdiLiveBitmaps(), bitmapsBefore) << "a bitmap was left behind";
        EXPECT_EQ(GdiLiveDCs(), dcsBefore) << "a device context was left behind";
    }

    static int Boxes() { return HeadlessBoxCount(); }
    static std::string BoxText(int i) { return HeadlessBoxText(i) ? HeadlessBoxText(i) : ""; }
    static std::string BoxCaption(int i) { return HeadlessBoxCaption(i) ? HeadlessBoxCaption(i) : ""; }
};

}  // namespace gfxtest

// The module variants, each copied as prog.so into a folder of its own.
enum ModuleVariant { MODULE_FULL, MODULE_NO_INTERFACE, MODULE_NO_PROCEDURE, MODULE_NONE, MODULE_MISSING };

typedef std::vector<std::pair<std::string, std::string>> BoxList;

struct EngineRun {
    // Resets engine, display, music, platform and every recorder, selects the
    // headless backend, points the loader at the variant's folder and makes a
    // fresh working folder (with song.mid when withSong).
    explicit EngineRun(DWORD runMs, ModuleVariant variant = MODULE_FULL, bool withSong = true);
    // Actions run when the clock reaches ms; add them in time order.
    void At(DWORD ms, std::function<void()> action);
    void Post(DWORD ms, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // Runs EngineMain to its end and expects exit code 0.
    void Run();

    DWORD runMs;        // Escape is posted once the clock has moved this far
    DWORD stepMs = 10;  // clock advance per idle pass
    std::vector<std::pair<DWORD, std::function<void()>>> actions;
    size_t next = 0;
    DWORD start = 0;
    int hookCalls = 0, escapeSent = 0, afterEscape = 0, stuck = 0;
};

RecState* Recorder(ModuleVariant variant = MODULE_FULL);
// The calls the full module recorded.
std::vector<RecCall> Calls();
int CountEvent(const std::vector<RecCall>& calls, uint32_t event);
BoxList Boxes();
