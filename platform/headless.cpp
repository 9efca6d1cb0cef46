// Controls of the headless backend: the virtual clock, posted input, recorded
// message boxes, hooks, presented frames, injected faults and the reset that
// puts all of it back between tests.
#include "platform/platform_state.h"

extern "C" {

void HeadlessReset(void) {
    if (platform.backend == PLATFORM_SDL && platform.windowExists) SdlDestroyWindow();
    platform.queue.clear();
    platform.classRegistered = false;
    platform.className.clear();
    platform.windowProc = nullptr;
    platform.windowExists = false;
    platform.windowShown = false;
    platform.focus = nullptr;
    platform.cursor = POINT{0, 0};
    platform.currentCursor = nullptr;
    platform.cursorVisible = true;
    platform.clock = 0;
    platform.boxCaptions.clear();
    platform.boxTexts.clear();
    platform.idleHook = nullptr;
    platform.idleUser = nullptr;
    platform.presentHook = nullptr;
    platform.presentUser = nullptr;
    platform.stallHook = nullptr;
    platform.stallUser = nullptr;
    platform.framesPresented = 0;
    platform.faults = HeadlessFaults{};
    DisplayReset();
    MciReset();
}

void HeadlessSetTime(DWORD ms) { platform.clock = ms; }

void HeadlessAdvance(DWORD ms) { platform.clock += ms; }

void HeadlessPost(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_MOUSEMOVE) {
        platform.cursor.x = (LONG)(int16_t)(lParam & 0xFFFF);
        platform.cursor.y = (LONG)(int16_t)((lParam >> 16) & 0xFFFF);
    }
    PlatformPost(message, wParam, lParam);
}

int HeadlessQueueLength(void) { return (int)platform.queue.size(); }

int HeadlessBoxCount(void) { return (int)platform.boxCaptions.size(); }

const char* HeadlessBoxCaption(int index) {
    if (index < 0 || index >= HeadlessBoxCount()) return nullptr;
    return platform.boxCaptions[index].c_str();
}

const char* HeadlessBoxText(int index) {
    if (index < 0 || index >= HeadlessBoxCount()) return nullptr;
    return platform.boxTexts[index].c_str();
}

void HeadlessSetIdleHook(HeadlessIdleHook hook, void* user) {
    platform.idleHook = hook;
    platform.idleUser = user;
}

void HeadlessSetPresentHook(HeadlessPresentHook hook, void* user) {
    platform.presentHook = hook;
    platform.presentUser = user;
}

void HeadlessSetStallHook(HeadlessStallHook hook, void* user) {
    platform.stallHook = hook;
    platform.stallUser = user;
}

long HeadlessFramesPresented(void) { return platform.framesPresented; }

HeadlessFaults* HeadlessGetFaults(void) { return &platform.faults; }

int HeadlessMciOpenCount(void) { return platform.mciOpenCount; }

int HeadlessMciPlayCount(void) { return platform.mciPlayCount; }

const char* HeadlessMciLastElement(void) { return platform.mciLastElement.c_str(); }

POINT HeadlessCursor(void) { return platform.cursor; }

int HeadlessCursorVisible(void) { return platform.cursorVisible ? 1 : 0; }

}  // extern "C"
