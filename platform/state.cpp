// The shared state of the platform library and the choice of backend.
#include "platform/platform_state.h"

PlatformState platform;

namespace {
char windowToken;  // the single window's handle points here
}

HWND PlatformWindowHandle() { return reinterpret_cast<HWND>(&windowToken); }

bool FaultFires(int& counter) {
    if (counter == 0) return false;
    if (counter > 0) --counter;
    return true;
}

extern "C" int PlatformSelectBackend(PlatformBackend backend) {
    platform.backend = backend;
    if (backend == PLATFORM_HEADLESS) {
        if (platform.sdlReady) {
            SdlStop();
            platform.sdlReady = false;
        }
        return 1;
    }
    if (!platform.sdlReady) platform.sdlReady = SdlStart();
    return platform.sdlReady ? 1 : 0;
}

extern "C" PlatformBackend PlatformCurrentBackend(void) { return platform.backend; }
