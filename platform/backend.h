// Choosing the backend behind the platform stand-in, once, at start-up.
#pragma once

extern "C" {

enum PlatformBackend {
    PLATFORM_HEADLESS = 0,  // virtual clock, scripted input, recorded boxes
    PLATFORM_SDL = 1,       // a real window, input, presentation and music
    PLATFORM_WEB = 2,       // a canvas in a web page (the emscripten build)
};

// Selects the backend before the first window is created. Returns 1 on
// success; 0 when the backend cannot start (SDL without a display: the caller
// then sees CreateWindowExA fail). A process that selects none gets the
// headless backend. Selecting another backend drops the window and the
// sequencer devices of the one before.
int PlatformSelectBackend(PlatformBackend backend);

// The folder LoadLibraryA looks in: the running program's own folder unless a
// caller (a test) sets another one. Never the current directory.
void PlatformSetModuleDir(const char* dir);
const char* PlatformModuleDir(void);

}  // extern "C"
