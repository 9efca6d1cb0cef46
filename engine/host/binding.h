// Binding of the game module: load it by its fixed file name from the
// engine's folder and look up its two entry points.
#pragma once
#include "engine/base/session.h"

// Stores what the lookups found in boundInterface and boundProcedure. 1 when
// both entry points were found; 0 after one "Error!" message box.
int BindModule();
