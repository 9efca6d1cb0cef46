// Binding of the game module: load it by its fixed file name from the
// engine's folder and look up its two entry points.
#pragma once
#include "interface/prog.h"

// What the lookups found; each stays stored even when the other is missing.
extern VProgInterfaceFn boundInterface;
extern VProgProcedureFn boundProcedure;

// 1 when both entry points were found; 0 after one "Error!" message box.
int BindModule();
// Nonzero when both entry points are present, the only case in which the
// engine calls either of them.
int ModuleBound();
void ResetBindingForTests();
