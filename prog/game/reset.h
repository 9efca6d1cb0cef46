// Puts the whole module back to its load-time state, so that tests and
// benchmarks can start a fresh game in-process.
#pragma once

// Frees every object, text block, map and layer the module made, sets every
// module-wide variable back to its load-time value and disarms the module's
// injected faults (alloc.h).
void ResetWorld();
