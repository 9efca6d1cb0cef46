// Loading the game module and finding its exports. A bare file name is looked
// up only in the program's own folder: loading code from whatever folder the
// user happens to stand in is unsafe.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/platform_state.h"

namespace {

const std::string& ProgramDir() {
    static const std::string dir = [] {
        char path[4096];
        ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
        if (length <= 0) return std::string("/nonexistent");  // never fall back to the current directory
        path[length] = '\0';
        char* slash = std::strrchr(path, '/');
        if (!slash) return std::string("/nonexistent");
        if (slash == path) return std::string("/");
        *slash = '\0';
        return std::string(path);
    }();
    return dir;
}

std::string ModulePath(const char* name) {
    if (std::strchr(name, '/')) return name;  // a path chosen by the caller
    std::string dir = PlatformModuleDir();
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir + name;
}

}  // namespace

extern "C" {

void PlatformSetModuleDir(const char* dir) { platform.moduleDirOverride = dir ? dir : ""; }

const char* PlatformModuleDir(void) {
    if (!platform.moduleDirOverride.empty()) return platform.moduleDirOverride.c_str();
    return ProgramDir().c_str();
}

HMODULE LoadLibraryA(LPCSTR fileName) {
    if (!fileName || !*fileName) return nullptr;
    if (FaultFires(platform.faults.loadLibrary)) return nullptr;
    std::string path = ModulePath(fileName);
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) std::fprintf(stderr, "LoadLibraryA: %s\n", dlerror());
    return static_cast<HMODULE>(handle);
}

FARPROC GetProcAddress(HMODULE module, LPCSTR procName) {
    if (!module || !procName) return nullptr;
    dlerror();
    void* symbol = dlsym(module, procName);
    return reinterpret_cast<FARPROC>(symbol);
}

HMODULE GetModuleHandleA(LPCSTR moduleName) {
    if (!moduleName) {
        static void* program = dlopen(nullptr, RTLD_NOW);
        return static_cast<HMODULE>(program);
    }
    std::string path = ModulePath(moduleName);
    return static_cast<HMODULE>(dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD));
}

void OutputDebugStringA(LPCSTR text) {
    if (!text) return;
    size_t length = std::strlen(text);
    std::fputs(text, stderr);
    if (length == 0 || text[length - 1] != '\n') std::fputc('\n', stderr);
    std::fflush(stderr);
}

}  // extern "C"
