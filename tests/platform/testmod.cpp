// A module for the loader tests: one export with a known answer.
extern "C" int PlatformTestModuleAnswer() { return 42; }
