// Module-wide game state made once by the set-up, the one random source and
// the size of a speed.
// The objects' own records are declared only: this header sits below them.
#pragma once
#include <cstdint>
#include <cstdlib>

#include "interface/prog.h"

struct Ship;
struct Enemy;
struct TextBlock;

extern Prog* TheProg;
extern Image* TilesImage;
extern Image* SpritesImage;
extern Image* TextImage;
extern Layer* BackLayer;
extern Layer* MainLayer;
extern Layer* TopLayer;
extern TileMap* backmap;
extern TileMap* MainMap;
extern TileMap* TopMap;
extern Ship* TheShip;
extern TextBlock* Hud;
extern Enemy* Banner;

// A random number modulo n: the remainder of a rand() result, 0 .. n-1.
inline int RandomMod(int n) { return std::rand() % n; }

// The size of a speed, whatever its direction.
inline int32_t Magnitude(int32_t v) { return v < 0 ? -v : v; }
