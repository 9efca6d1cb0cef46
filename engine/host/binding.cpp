#include "engine/host/binding.h"

#include <cstdio>
#include <cstring>

#include "platform/winapi.h"

// Shows one message formatted with the module's file name.
static int ShowModuleError(const char* format) {
    char text[256];
    snprintf(text, sizeof text, format, PROG_MODULE_NAME);
    return ShowError(text);
}

// FARPROC stands for any function; going through void (*)() says that the
// conversion to the entry point's real type is meant.
template <typename Function>
static Function EntryPoint(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// The module's full path: the folder of the running program plus the
// module's name. Loading by full path keeps the current directory and the
// system's search path out of it. Empty when the program's path is unknown
// or too long.
static void ModulePathBesideProgram(char* path, DWORD size) {
    path[0] = '\0';
    DWORD length = GetModuleFileNameA(nullptr, path, size);
    if (length == 0 || length >= size) {
        path[0] = '\0';
        return;
    }
    char* cut = path;  // just past the last separator
    for (char* p = path; *p; ++p)
        if (*p == '\\' || *p == '/') cut = p + 1;
    if (static_cast<size_t>(cut - path) + sizeof PROG_MODULE_NAME > size) {
        path[0] = '\0';
        return;
    }
    memcpy(cut, PROG_MODULE_NAME, sizeof PROG_MODULE_NAME);
}

int BindModule() {
    char path[1024];
    ModulePathBesideProgram(path, sizeof path);
    HMODULE module = path[0] ? LoadLibraryA(path) : nullptr;
    if (!module) return ShowModuleError("%s was not found or is not a valid DLL.");

    boundInterface = EntryPoint<VProgInterfaceFn>(module, VPROG_INTERFACE_NAME);
    boundProcedure = EntryPoint<VProgProcedureFn>(module, VPROG_PROCEDURE_NAME);
    if (boundInterface && boundProcedure) return 1;

    if (!boundInterface && !boundProcedure)
        return ShowModuleError("VProgInterface and VProgProcedure was not found in %s - invalid DLL");
    if (!boundInterface) return ShowModuleError("VProgInterface was not found in %s - invalid DLL");
    return ShowModuleError("VProgProcedure was not found in %s - invalid DLL");
}
