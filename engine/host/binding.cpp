#include "engine/host/binding.h"

#include <cstdio>

#include "engine/host/engine.h"
#include "platform/win32.h"

VProgInterfaceFn boundInterface = nullptr;
VProgProcedureFn boundProcedure = nullptr;

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

int BindModule() {
    // The platform's loader looks only in the engine's own folder.
    HMODULE module = LoadLibraryA(PROG_MODULE_NAME);
    if (!module) return ShowModuleError("%s was not found or is not a valid DLL.");

    boundInterface = EntryPoint<VProgInterfaceFn>(module, VPROG_INTERFACE_NAME);
    boundProcedure = EntryPoint<VProgProcedureFn>(module, VPROG_PROCEDURE_NAME);
    if (boundInterface && boundProcedure) return 1;

    if (!boundInterface && !boundProcedure)
        return ShowModuleError("VProgInterface and VProgProcedure was not found in %s - invalid DLL");
    if (!boundInterface) return ShowModuleError("VProgInterface was not found in %s - invalid DLL");
    return ShowModuleError("VProgProcedure was not found in %s - invalid DLL");
}

int ModuleBound() { return boundInterface && boundProcedure; }

void ResetBindingForTests() {
    boundInterface = nullptr;
    boundProcedure = nullptr;
}
