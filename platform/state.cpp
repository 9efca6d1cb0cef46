// The shared state of the platform library and the choice of backend.
#include "platform/platform_state.h"

PlatformState platform;

namespace {

char windowToken;  // the single window's handle points here

// Every backend there is, by the name PlatformSelectBackend takes.
struct BackendEntry {
    PlatformBackend id;
    const PlatformBackendOps* ops;
};
const BackendEntry kBackends[] = {
    {PLATFORM_HEADLESS, &headlessBackend},
#if defined(__EMSCRIPTEN__)
    {PLATFORM_WEB, &webBackend},
#else
    {PLATFORM_SDL, &sdlBackend},
#endif
};

}  // namespace

HWND PlatformWindowHandle() { return reinterpret_cast<HWND>(&windowToken); }

extern "C" int PlatformSelectBackend(PlatformBackend backend) {
    const PlatformBackendOps* chosen = nullptr;
    for (const BackendEntry& entry : kBackends) {
        if (entry.id == backend) chosen = entry.ops;
    }
    if (!chosen) return 0;
    if (chosen != platform.ops) {
        // What the old backend made means nothing to the new one.
        if (platform.windowExists) platform.ops->destroyWindow();
        platform.windowExists = false;
        platform.windowShown = false;
        MciReset();
        platform.ops->stop();
        platform.ops = chosen;
    }
    return platform.ops->start() ? 1 : 0;
}
