// State of the frame driver (VProgProcedure), module-wide so that tests can
// read and set it. ResetFrameDriver puts all of it back to 0.
#pragma once
#include <cstdint>

// Frame-rate statistics and the tick accumulator.
extern int32_t pendingMs;     // elapsed milliseconds not yet turned into ticks
extern int32_t windowMs;      // length of the current measuring window
extern int32_t windowFrames;  // calls counted in the current window
extern uint32_t totalFrames;  // calls counted in all closed windows
extern uint32_t totalMs;      // lengths of all closed windows
extern double currentFps;     // calls per second over the last closed window
extern double instantFps;     // 1000 / elapsed of the last call that had any
extern double averageFps;     // totalFrames per second of totalMs

// Play flags.
extern bool trailOn;     // the ship leaves a trail of sparks (F key)
extern bool autopilot;   // the game steers the pointer (A key)
extern bool restarting;  // set by the restarting click, cleared when the ship enters

// Set by a set-up that made everything; until then VProgProcedure touches
// nothing and returns 0, so the engine never draws a half-built scene.
extern bool worldReady;

// One fixed 10 ms tick of the whole game, in its fixed order (the frame driver
// runs it for every whole 10 ms accumulated; the tick benchmark times it).
void RunTick();

// The enemy update of each tick goes through this pointer (UpdateEnemies by
// default), so that tests can watch the milliseconds it is given.
extern void (*UpdateEnemiesStep)(int32_t ms);

// Puts the statistics, the flags and the enemy step back to their load-time
// values (ResetWorld's part for the frame driver).
void ResetFrameDriver();
