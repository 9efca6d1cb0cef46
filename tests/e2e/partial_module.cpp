// A valid library lacking entry points: VProgInterface or VProgProcedure only when asked at build time.
#include "interface/prog.h"

extern "C" __attribute__((visibility("default"))) int KestraUnrelatedExport() { return 7; }

#ifdef WITH_INTERFACE
PROG_EXPORT int VProgInterface(Prog*) { return 1; }
#endif
#ifdef WITH_PROCEDURE
PROG_EXPORT int VProgProcedure(int) { return 1; }
#endif
