#include "prog/core/world.h"

#include "prog/core/highscore.h"

// Module-wide state, all null or zero at load.
Prog* TheProg = nullptr;
Image* TilesImage = nullptr;
Image* SpritesImage = nullptr;
Image* TextImage = nullptr;
Layer* BackLayer = nullptr;
Layer* MainLayer = nullptr;
Layer* TopLayer = nullptr;
TileMap* backmap = nullptr;
TileMap* MainMap = nullptr;
TileMap* TopMap = nullptr;
Ship* TheShip = nullptr;
TextBlock* Hud = nullptr;
Enemy* Banner = nullptr;
int32_t highScore = 0;
