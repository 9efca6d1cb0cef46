// Loading the game module and finding its exports. A bare file name is looked
// up only in the program's own folder: loading code from whatever folder the
// user happens to stand in is unsafe.
#include <dlfcn.h>
#include <elf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/platform_state.h"

namespace {

// The running program's path, or empty when it cannot be read.
const std::string& ProgramPath() {
    static const std::string path = [] {
        char buffer[4096];
        ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
        return std::string(buffer, length > 0 ? static_cast<size_t>(length) : 0);
    }();
    return path;
}

// The running program's folder; never the current directory, even when the
// program's path cannot be read.
const std::string& ProgramDir() {
    static const std::string dir = [] {
        const std::string& program = ProgramPath();
        size_t slash = program.rfind('/');
        if (slash == std::string::npos) return std::string("/nonexistent");
        return slash == 0 ? std::string("/") : program.substr(0, slash);
    }();
    return dir;
}

std::string ModulePath(const char* name) {
    if (std::strchr(name, '/')) return name;  // a path chosen by the caller
    std::string dir = PlatformModuleDir();
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir + name;
}

// Whether every segment that the dynamic loader maps from a 64-bit ELF file
// lies within the file. The loader maps segments without comparing them with
// the file's length, and touching a page past the end of a cut-off file
// raises SIGBUS inside dlopen. Anything that is not a 64-bit ELF file passes
// here and is left to dlopen to refuse.
bool SegmentsWithinFile(const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return true;
    struct stat st;
    Elf64_Ehdr header;
    bool ok = true;
    if (fstat(fd, &st) == 0 && pread(fd, &header, sizeof header, 0) == (ssize_t)sizeof header &&
        std::memcmp(header.e_ident, ELFMAG, SELFMAG) == 0 && header.e_ident[EI_CLASS] == ELFCLASS64) {
        const uint64_t size = static_cast<uint64_t>(st.st_size);
        if (header.e_phentsize != sizeof(Elf64_Phdr) || header.e_phoff > size ||
            header.e_phnum * sizeof(Elf64_Phdr) > size - header.e_phoff) {
            ok = false;
        }
        for (int i = 0; ok && i < header.e_phnum; ++i) {
            Elf64_Phdr segment;
            if (pread(fd, &segment, sizeof segment, header.e_phoff + i * sizeof segment) != (ssize_t)sizeof segment) {
                ok = false;
            } else if (segment.p_type == PT_LOAD || segment.p_type == PT_DYNAMIC) {
                ok = segment.p_offset <= size && segment.p_filesz <= size - segment.p_offset;
            }
        }
    }
    close(fd);
    return ok;
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
    if (FaultFires(&platform.faults.loadLibrary)) return nullptr;
    std::string path = ModulePath(fileName);
    if (!SegmentsWithinFile(path)) {
        std::fprintf(stderr, "LoadLibraryA: %s: file too short for its segments\n", path.c_str());
        return nullptr;
    }
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

DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
    if (module || !fileName || size == 0) return 0;
    const std::string& program = ProgramPath();
    size_t slash = program.rfind('/');
    if (slash == std::string::npos) return 0;
    std::string dir = PlatformModuleDir();
    if (dir.empty() || dir.back() != '/') dir += '/';
    std::string path = dir + program.substr(slash + 1);
    size_t copied = path.size() < size ? path.size() : size - 1;
    std::memcpy(fileName, path.data(), copied);
    fileName[copied] = '\0';
    return path.size() < size ? static_cast<DWORD>(path.size()) : size;
}

void OutputDebugStringA(LPCSTR text) {
    if (!text) return;
    size_t length = std::strlen(text);
    std::fputs(text, stderr);
    if (length == 0 || text[length - 1] != '\n') std::fputc('\n', stderr);
    std::fflush(stderr);
}

}  // extern "C"
