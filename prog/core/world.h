// Module-wide game state made once by the set-up, and the one random source.
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
