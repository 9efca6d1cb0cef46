extern "C" int PlatformTestModuleAnswer() { return 42; }
