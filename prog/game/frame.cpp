// The frame driver: every call from the engine updates the frame-rate
// statistics, runs one fixed 10 ms tick for every whole 10 ms accumulated,
// rebuilds the HUD text and then applies the input event of the call.
#include "prog/game/frame.h"

#include <cstdio>

#include "interface/prog.h"
#include "platform/winapi.h"
#include "prog/core/alloc.h"
#include "prog/core/atlas.h"
#include "prog/core/highscore.h"
#include "prog/core/layers.h"
#include "prog/core/text.h"
#include "prog/core/world.h"
#include "prog/objects/debris.h"
#include "prog/objects/records.h"
#include "prog/objects/shots.h"

int32_t pendingMs = 0;
int32_t windowMs = 0;
int32_t windowFrames = 0;
uint32_t totalFrames = 0;
uint32_t totalMs = 0;
double currentFps = 0;
double instantFps = 0;
double averageFps = 0;
bool trailOn = false;
bool autopilot = false;
bool restarting = false;
bool worldReady = false;
void (*UpdateEnemiesStep)(int32_t ms) = UpdateEnemies;

void ResetFrameDriver() {
    pendingMs = windowMs = windowFrames = 0;
    totalFrames = totalMs = 0;
    currentFps = instantFps = averageFps = 0;
    trailOn = autopilot = restarting = false;
    worldReady = false;
    UpdateEnemiesStep = UpdateEnemies;
}

static void CountFrame(int elapsedMs) {
    windowMs += elapsedMs;
    pendingMs += elapsedMs;
    ++windowFrames;
    if (windowMs >= 250) {
        totalFrames += (uint32_t)windowFrames;
        totalMs += (uint32_t)windowMs;
        currentFps = windowFrames / (windowMs * 0.001);
        windowMs -= 250;
        windowFrames = 0;
    }
    if (elapsedMs > 0) instantFps = (double)(1000 / elapsedMs);
    averageFps = (double)totalFrames / ((double)totalMs * 0.001);
}

// Parallax: the back map at a quarter of the speed, the main map at half, the
// top map at full speed; each scroll position wraps by whole tiles.
static void Scroll(int32_t speed, int32_t sideSpeed) {
    TileMap* maps[3] = {backmap, MainMap, TopMap};
    const int32_t forward[3] = {speed / 4, speed / 2, speed};
    const int32_t sideways[3] = {sideSpeed, 2 * sideSpeed, 4 * sideSpeed};
    const int32_t lowest[3] = {-256, -256, -512};
    for (int i = 0; i < 3; ++i) {
        maps[i]->scrollY += forward[i];
        while (maps[i]->scrollY >= -128) maps[i]->scrollY -= 128;
    }
    for (int i = 0; i < 3; ++i) {
        TileMap* map = maps[i];
        const int32_t tileW = (int32_t)map->tileW;
        map->scrollX += sideways[i];
        if (i == 0) {
            if (map->scrollX >= -128) map->scrollX -= tileW;  // the back map wraps once
        } else {
            while (map->scrollX >= -128) map->scrollX -= tileW;
        }
    }
    for (int i = 0; i < 3; ++i)
        if (maps[i]->scrollX <= lowest[i]) maps[i]->scrollX += (int32_t)maps[i]->tileW;
}

// Moves the banner's source window 2 rows down the sheet unless it has reached
// `row`; true when it had.
static bool SlideBanner(int32_t row) {
    if (GetSrcY(&Banner->sprite) >= row) return true;
    SetSrcY(&Banner->sprite, GetSrcY(&Banner->sprite) + 2);
    return false;
}

// Whether the player flies the ship: it is neither down nor flying in, and no
// restart is under way.
static bool PlayerFlies(const Ship* ship) {
    return !restarting && ship->mode != SHIP_DOWN && ship->mode != SHIP_ENTERING;
}

static void ModeStep(Ship* ship) {
    Sprite* s = &ship->sprite;
    const int32_t w = (int32_t)GetW(s), h = (int32_t)GetH(s);
    switch (ship->mode) {
        case SHIP_DOWN:
            if (ship->speed > 4) --ship->speed;
            if (ship->sideSpeed > 0) --ship->sideSpeed;
            if (ship->sideSpeed < 0) ++ship->sideSpeed;
            SlideBanner(BANNER_CLICK.y);
            break;
        case SHIP_PLAYING:
            if (autopilot) {
                // A relative pointer move; the ship follows when the move comes back.
                int32_t dx = (512 - w / 2 - GetX(s)) / 75;
                int32_t dy = (512 - h / 2 - GetY(s)) / 75;
                mouse_event(MOUSEEVENTF_MOVE, (DWORD)dx, (DWORD)dy, 0, 0);
            }
            break;
        case SHIP_ENTERING:
            SlideBanner(BANNER_LAUNCH.y);
            if (GetY(s) >= 384) {
                SetY(s, GetY(s) - 5);
            } else if (ship->speed < 6144 / GetY(s) + 10) {
                ++ship->speed;
            } else {
                // The fly-in is over: put the pointer on the ship's centre, in
                // absolute units of 65535 / 1024 (63) and 65535 / 768 (85).
                SetSrcY(&Banner->sprite, BANNER_READY.y);
                ship->mode = SHIP_READY;
                ship->readyTicks = 100;
                mouse_event(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, (DWORD)((GetX(s) + w / 2) * 63),
                            (DWORD)((GetY(s) + h / 2) * 85), 0, 0);
            }
            break;
        default:
            break;
    }
}

void RunTick() {
    Ship* ship = TheShip;
    Scroll(ship->speed, ship->sideSpeed);
    if (ship->mode == SHIP_PLAYING) SpawnEnemy();
    TickShip(ship);
    UpdateEnemiesStep(pendingMs);  // this tick's 10 ms are still counted
    UpdateAllDebris();
    UpdateShots();
    CheckCollisions(ship);
    if (trailOn)
        SparkBurst(GetX(&ship->sprite) + (int32_t)GetW(&ship->sprite) / 2,
                   GetY(&ship->sprite) + (int32_t)GetH(&ship->sprite));
    ModeStep(ship);
    if (restarting && SlideBanner(61)) {
        ship->speed = 4;
        ship->mode = SHIP_ENTERING;
        restarting = false;
    }
    if (ship->score > highScore) {
        highScore = ship->score;
        WriteHighScore();
    }
}

static void UpdateHud() {
    char text[256];
    std::snprintf(text, sizeof text,
                  "Kestra v2.0e\nHigh Score: %i\nYour Score: %i\n  Missiles: %i\n     Speed: %i clicks/sec\n"
                  "CurrentFPS: %3.2f (%3.2f)\nAverageFPS: %3.2f",
                  highScore, TheShip->score, TheShip->missiles, TheShip->speed - 4, currentFps, instantFps, averageFps);
    SetText(Hud, text);
}

static void KeyAction(uint8_t key) {
    Ship* ship = TheShip;
    switch (key) {
        case '2':
            ship->weapons ^= WEAPON_WINGS;
            break;
        case '3':
            ship->weapons ^= WEAPON_NOSE;
            break;
        case 'A':
            autopilot = !autopilot;
            break;
        case 'B':
            ship->weapons ^= WEAPON_BIG;
            break;
        case 'F':
            trailOn = !trailOn;
            break;
        case 'G':
            ship->weapons = 0;
            break;
        case 'M': {
            int32_t x = RandomMod(1024) + 1;
            Enemy* diver = (Enemy*)GameAlloc(sizeof(Enemy));
            if (diver) ConstructEnemy(diver, x, 0, ENEMY_DIVER);
            break;
        }
        case 'S':
            ship->weapons ^= WEAPON_SPREAD;
            break;
        case 'W':
            ship->weapons ^= WEAPON_WAVE;
            break;
        default:
            break;
    }
}

// The ship stands centred under the pointer, never above y 154; its height
// sets the forward speed and its distance from the centre line the drift.
static void FollowPointer() {
    Ship* ship = TheShip;
    Sprite* s = &ship->sprite;
    if (!PlayerFlies(ship)) return;
    SetX(s, TheProg->mouseX - (int32_t)GetW(s) / 2);
    int32_t top = TheProg->mouseY - (int32_t)GetH(s) / 2;
    if (top > 153) SetY(s, top);
    ship->speed = 3072 / GetY(s) + 5;
    ship->sideSpeed = (512 - GetX(s)) / 40;
}

static void ApplyEvent(uint32_t event) {
    Ship* ship = TheShip;
    switch (event) {
        case EV_KEY_UP:
            KeyAction(TheProg->key);
            FollowPointer();
            break;
        case EV_MOUSE_MOVE:
            FollowPointer();
            break;
        case EV_LBUTTON_DOWN:
            if (PlayerFlies(ship)) {
                ship->firing = 1;
                FireWeapons(ship->weapons);
            } else if (ship->mode != SHIP_ENTERING) {
                ResetShip(ship);
                restarting = true;
            }
            break;
        case EV_LBUTTON_UP:
            ship->firing = 0;
            break;
        case EV_RBUTTON_UP:
            if (PlayerFlies(ship)) FireWeapons(FIRE_MISSILE);
            break;
        default:
            break;
    }
}

PROG_EXPORT int VProgProcedure(int elapsedMs) {
    if (TheProg && TheProg->event == EV_SHUTDOWN) GameAllocReport();
    if (!worldReady) return 0;
    CountFrame(elapsedMs);
    while (pendingMs >= 10) {
        RunTick();
        pendingMs -= 10;
    }
    UpdateHud();
    ApplyEvent(TheProg->event);
    return 1;
}
