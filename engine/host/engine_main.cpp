// engine: the game in a real window through the SDL2 backend of the platform.
#include "engine/host/engine.h"
#include "platform/backend.h"

int main() {
    // Without a display the backend cannot start; the window creation then
    // fails and the engine reports it and ends.
    PlatformSelectBackend(PLATFORM_SDL);
    return EngineMain(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
}
