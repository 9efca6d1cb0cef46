// A loadable module that is not a whole game: it exports VProgInterface or
// VProgProcedure only when asked to at build time, and always one unrelated
// function, so that it is a valid library whatever it lacks.
#include "interface/prog.h"

extern "C" __attribute__((visibility("default"))) int KestraUnrelatedExport() { return 7; }

#ifdef WITH_INTERFACE
PROG_EXPORT int VProgInterface(Prog*) { return 1; }
#endif
#ifdef WITH_PROCEDURE
PROG_EXPORT int VProgProcedure(int) { return 1; }
#endif
