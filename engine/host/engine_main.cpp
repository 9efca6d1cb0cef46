// engine: the game in a real window. On Windows through the system itself; on
// Linux through the SDL2 backend of the platform stand-in; in a web page
// (emscripten) through its browser backend.
#include "engine/host/engine.h"

#if defined(_WIN32)
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) { return EngineMain(instance, showCommand); }
#else
#include "platform/backend.h"

int main() {
    // Without a display the backend cannot start; the window creation then
    // fails and the engine reports it and ends.
#if defined(__EMSCRIPTEN__)
    PlatformSelectBackend(PLATFORM_WEB);
#else
    PlatformSelectBackend(PLATFORM_SDL);
#endif
    return EngineMain(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
}
#endif
