// Placeholder until the set-up lands.
#include "interface/prog.h"

PROG_EXPORT int VProgInterface(Prog*) { return 0; }
