// Placeholder until the frame driver lands.
#include "interface/prog.h"
#include "prog/core/world.h"

void ResetFrameDriver() {}

PROG_EXPORT int VProgProcedure(int) { return 0; }
