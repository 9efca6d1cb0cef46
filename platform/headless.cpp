// The headless backend (tests, the headless runner, benchmarks): no window, a
// virtual clock the caller advances, input the caller posts, message boxes
// recorded, presented frames handed to a hook, sequencer requests counted;
// and its controls, with the reset that puts all of the platform back
// between tests.
#include <string>
#include <vector>

#include "platform/platform_state.h"
#if defined(__EMSCRIPTEN__)
#include "platform/web_backend.h"
#else
#include "platform/sdl_bitmap.h"
#endif

namespace {

struct HeadlessState {
    DWORD clock = 0;
    std::vector<std::string> boxCaptions;
    std::vector<std::string> boxTexts;
    HeadlessIdleHook idleHook = nullptr;
    void* idleUser = nullptr;
    HeadlessPresentHook presentHook = nullptr;
    void* presentUser = nullptr;
    HeadlessStallHook stallHook = nullptr;
    void* stallUser = nullptr;
    long framesPresented = 0;
    int mciOpenCount = 0;
    int mciPlayCount = 0;
    std::string mciLastElement;
};

HeadlessState headless;

bool Start() { return true; }
bool CreateWindow(const char* title) { return true; }
void Nothing() {}  // nothing to stop, no window, nothing to poll

// The caller's idle hook is all that can bring input or move the clock.
bool Idle(bool block) {
    if (!headless.idleHook) return false;
    headless.idleHook(headless.idleUser);
    return true;
}

void Present(const uint16_t* pixels, int width, int height, int pitch) {
    if (headless.presentHook) headless.presentHook(pixels, width, height, pitch, headless.presentUser);
    ++headless.framesPresented;
}

void Stall() {
    if (headless.stallHook) headless.stallHook(headless.stallUser);
}

// What a real system sends back when the pointer was moved.
void MovePointer(int x, int y) { PlatformPost(WM_MOUSEMOVE, 0, PointerParam(x, y)); }

void ShowCursor(bool visible) {}

void MessageBox(const char* caption, const char* text) {
    headless.boxCaptions.push_back(caption);
    headless.boxTexts.push_back(text);
}

// No desktop: the picture's size.
bool DesktopSize(int* width, int* height) { return false; }

DWORD Clock() { return headless.clock; }

void MusicAsked(const char* element) {
    ++headless.mciOpenCount;
    headless.mciLastElement = element;
}

MCIERROR MusicOpen(const char* path, void** music) {
    *music = nullptr;
    return 0;
}

bool MusicPlay(void* music) {
    ++headless.mciPlayCount;
    return true;
}

void MusicFree(void* music) {}

// SDL's BMP loader, as on the desktop; in the browser, which has no SDL, the
// page's own decoder.
uint32_t* DecodeBitmap(const char* path, int* width, int* height) {
#if defined(__EMSCRIPTEN__)
    return WebDecodeBitmap(path, width, height);
#else
    return SdlDecodeBitmap(path, width, height);
#endif
}

}  // namespace

// In the order of PlatformBackendOps.
const PlatformBackendOps headlessBackend = {
    Start,         // start
    Nothing,       // stop
    CreateWindow,  // createWindow
    Nothing,       // destroyWindow
    Nothing,       // showWindow
    Nothing,       // raiseWindow
    Nothing,       // poll
    Idle,          // idle
    Present,       // present
    Stall,         // stall
    MovePointer,   // movePointer
    ShowCursor,    // showCursor
    MessageBox,    // messageBox
    DesktopSize,   // desktopSize
    Clock,         // clock
    MusicAsked,    // musicAsked
    MusicOpen,     // musicOpen
    MusicPlay,     // musicPlay
    MusicFree,     // musicFree
    DecodeBitmap,  // decodeBitmap
};

extern "C" {

void HeadlessReset(void) {
    if (platform.windowExists) platform.ops->destroyWindow();
    platform.queue.clear();
    platform.quitPending = false;
    platform.quitCode = 0;
    platform.classRegistered = false;
    platform.className.clear();
    platform.windowProc = nullptr;
    platform.windowExists = false;
    platform.windowShown = false;
    platform.focus = nullptr;
    platform.cursor = POINT{0, 0};
    platform.currentCursor = nullptr;
    platform.cursorVisible = true;
    platform.faults = HeadlessFaults{};
    DisplayReset();
    MciReset();
    headless = HeadlessState{};
}

void HeadlessSetTime(DWORD ms) { headless.clock = ms; }

void HeadlessAdvance(DWORD ms) { headless.clock += ms; }

void HeadlessPost(UINT message, WPARAM wParam, LPARAM lParam) { PlatformPostInput(message, wParam, lParam); }

int HeadlessQueueLength(void) { return (int)platform.queue.size() + (platform.quitPending ? 1 : 0); }

int HeadlessBoxCount(void) { return (int)headless.boxCaptions.size(); }

const char* HeadlessBoxCaption(int index) {
    if (index < 0 || index >= HeadlessBoxCount()) return nullptr;
    return headless.boxCaptions[index].c_str();
}

const char* HeadlessBoxText(int index) {
    if (index < 0 || index >= HeadlessBoxCount()) return nullptr;
    return headless.boxTexts[index].c_str();
}

void HeadlessSetIdleHook(HeadlessIdleHook hook, void* user) {
    headless.idleHook = hook;
    headless.idleUser = user;
}

void HeadlessSetPresentHook(HeadlessPresentHook hook, void* user) {
    headless.presentHook = hook;
    headless.presentUser = user;
}

void HeadlessSetStallHook(HeadlessStallHook hook, void* user) {
    headless.stallHook = hook;
    headless.stallUser = user;
}

long HeadlessFramesPresented(void) { return headless.framesPresented; }

HeadlessFaults* HeadlessGetFaults(void) { return &platform.faults; }

int HeadlessMciOpenCount(void) { return headless.mciOpenCount; }

int HeadlessMciPlayCount(void) { return headless.mciPlayCount; }

const char* HeadlessMciLastElement(void) { return headless.mciLastElement.c_str(); }

POINT HeadlessCursor(void) { return platform.cursor; }

int HeadlessCursorVisible(void) { return platform.cursorVisible ? 1 : 0; }

}  // extern "C"
