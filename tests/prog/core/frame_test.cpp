// The frame driver: statistics, fixed ticks, parallax scrolling, the HUD
// text, the events, the restart sequence and the pointer moves it makes.
#include "prog/core/frame.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/headless.h"
#include "prog/core/alloc.h"
#include "prog/core/highscore.h"
#include "prog/core/text.h"
#include "prog/core/world.h"
#include "prog/objects/debris.h"
#include "prog/objects/records.h"
#include "prog/objects/shots.h"
#include "tests/support/fake_prog.h"

namespace {

using V = std::vector<int32_t>;
V enemyUpdates;  // milliseconds given to each enemy update

void RecordEnemyUpdate(int32_t ms) {
    enemyUpdates.push_back(ms);
    UpdateEnemies(ms);
}

struct FrameFixture : ::testing::Test {
    fake::TempDir dir;
    Prog prog = fake::MakeProg();
    Ship* ship = nullptr;

    void SetUp() override {
        HeadlessReset();
        ASSERT_EQ(VProgInterface(&prog), 1);
        ship = TheShip;
        enemyUpdates.clear();
        UpdateEnemiesStep = RecordEnemyUpdate;
    }
    void TearDown() override {
        GameAllocFailAt(0);
        ResetWorld();
    }
    int Call(uint32_t event, int ms) {
        prog.event = event;
        return VProgProcedure(ms);
    }
    int Ticks(int n) {  // n ticks in n idle calls
        for (int i = 0; i < n; ++i) Call(EV_FRAME, 10);
        return n;
    }
    void Play(int32_t x = 503, int32_t y = 400) {  // a ship in play, no restart pending
        ship->mode = SHIP_PLAYING;
        ship->sprite.x = x;
        ship->sprite.y = y;
    }
    void MoveTo(int32_t x, int32_t y) {
        prog.mouseX = x;
        prog.mouseY = y;
        Call(EV_MOUSE_MOVE, 0);
    }
    void KeyUp(uint8_t key) {
        prog.key = key;
        Call(EV_KEY_UP, 0);
    }
    std::string HudLine(int index) {
        std::istringstream in(Hud->text);
        std::string line;
        for (int i = 0; i <= index; ++i) std::getline(in, line);
        return line;
    }
    V ShipPlace() { return {ship->sprite.x, ship->sprite.y, ship->speed, ship->sideSpeed}; }
    V ScrollX() { return {backmap->scrollX, MainMap->scrollX, TopMap->scrollX}; }
    V ScrollY() { return {backmap->scrollY, MainMap->scrollY, TopMap->scrollY}; }
    V Cursor() { return {HeadlessCursor().x, HeadlessCursor().y}; }
};

// ---- Statistics, ticks and the HUD ----------------------------------------

TEST_F(FrameFixture, ElapsedZeroThenSevenMillisecondCalls) {
    instantFps = 42;
    EXPECT_EQ(Call(EV_START, 0), 1);
    EXPECT_EQ(windowFrames, 1);
    EXPECT_EQ(instantFps, 42);
    EXPECT_TRUE(enemyUpdates.empty());

    const V ticks = {0, 1, 2, 2}, pending = {7, 4, 1, 8};
    for (int i = 0; i < 4; ++i) {
        Call(EV_FRAME, 7);
        EXPECT_EQ((V{(int32_t)enemyUpdates.size(), pendingMs}), (V{ticks[i], pending[i]})) << "call " << i + 1;
    }
    EXPECT_EQ(enemyUpdates, (V{14, 11})) << "given the pending time, not 10";
    EXPECT_EQ(instantFps, 142);  // 1000 / 7 as a whole number
}

TEST_F(FrameFixture, LongPauseRunsEveryMissedTickBeforeTheHud) {
    // A score that appears during the ticks must be on the HUD of the same call.
    UpdateEnemiesStep = [](int32_t ms) {
        RecordEnemyUpdate(ms);
        if (ms == 500) TheShip->score = 77;
    };
    Call(EV_FRAME, 1000);
    ASSERT_EQ(enemyUpdates.size(), 100u);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(enemyUpdates[i], 1000 - 10 * i);
    EXPECT_EQ(pendingMs, 0);
    EXPECT_EQ(HudLine(1), "High Score: 77");
    EXPECT_EQ(HudLine(2), "Your Score: 77");
}

TEST_F(FrameFixture, StatisticsWindowAndHudText) {
    highScore = 1234;
    ship->score = 56;
    ship->missiles = 2;
    for (int i = 0; i < 9; ++i) Call(EV_FRAME, 26);
    EXPECT_EQ(windowMs, 234);
    EXPECT_EQ(totalFrames, 0u);
    EXPECT_TRUE(std::isnan(averageFps)) << "0 / 0 before the first window closes";
    char nan[32];
    std::snprintf(nan, sizeof nan, "%3.2f", averageFps);
    EXPECT_EQ(HudLine(5), "CurrentFPS: 0.00 (38.00)");
    EXPECT_EQ(HudLine(6), std::string("AverageFPS: ") + nan);

    Call(EV_FRAME, 26);
    EXPECT_EQ((V{windowMs, windowFrames, (int32_t)totalFrames, (int32_t)totalMs}), (V{10, 0, 10, 260}));
    EXPECT_DOUBLE_EQ(currentFps, 10 / 0.26);
    EXPECT_STREQ(Hud->text,
                 "Kestra v2.0e\nHigh Score: 1234\nYour Score: 56\n  Missiles: 2\n     Speed: 0 clicks/sec\n"
                 "CurrentFPS: 38.46 (38.00)\nAverageFPS: 38.46");

    // The 10 ms carried over are counted again when the next window closes.
    for (int i = 0; i < 10; ++i) Call(EV_FRAME, 24);
    EXPECT_EQ((V{windowMs, windowFrames, (int32_t)totalFrames, (int32_t)totalMs}), (V{0, 0, 20, 260 + 250}));

    // Rebuilt on every call, whatever the event.
    ship->speed = 24;
    Call(EV_RBUTTON_DOWN, 0);
    EXPECT_EQ(HudLine(4), "     Speed: 20 clicks/sec");
}

TEST_F(FrameFixture, BeatingTheBestWritesTheFile) {
    ship->score = 350;
    Ticks(1);
    EXPECT_EQ(highScore, 350);
    std::ifstream in(HIGH_SCORE_FILE);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "350");
    std::remove(HIGH_SCORE_FILE);
    Ticks(1);  // equal is not better
    EXPECT_FALSE(std::ifstream(HIGH_SCORE_FILE).good());
}

// ---- Scrolling --------------------------------------------------------------

TEST_F(FrameFixture, ParallaxAtSpeedFour) {
    ASSERT_EQ(ship->speed, 4);
    Ticks(1);
    EXPECT_EQ(ScrollY(), (V{-255, -254, -252})) << "0 + 1, 2 and 4, wrapped";
    const int32_t step[3] = {1, 2, 4};
    for (int t = 0; t < 300; ++t) {
        const V before = ScrollY();
        Ticks(1);
        for (int m = 0; m < 3; ++m) {
            EXPECT_TRUE(ScrollY()[m] >= -256 && ScrollY()[m] <= -129) << ScrollY()[m];
            EXPECT_EQ(((ScrollY()[m] - before[m]) % 128 + 128) % 128, step[m]);
        }
    }
}

TEST_F(FrameFixture, SidewaysScrollWrapsEachMap) {
    Play();
    ship->sideSpeed = 5;
    ship->speed = 12;
    Ticks(1);
    EXPECT_EQ(ScrollX(), (V{-123, -246, -236})) << "the back map wraps a tick later";
    EXPECT_EQ(ScrollY(), (V{-253, -250, -244}));
    Ticks(1);
    EXPECT_EQ(ScrollX()[0], -246);

    // Drifting the other way: the top map may go down to -511 before it wraps.
    // A ship that is ready neither spawns nor collides, and keeps its speeds.
    ship->mode = SHIP_READY;
    backmap->scrollX = MainMap->scrollX = TopMap->scrollX = 0;
    const V expected[8] = {{-140, -152, -176}, {-152, -176, -224}, {-164, -200, -272}, {-176, -224, -320},
                           {-188, -248, -368}, {-200, -144, -416}, {-212, -168, -464}, {-224, -192, -384}};
    for (int t = 0; t < 8; ++t) {
        ship->readyTicks = 1000;
        ship->sideSpeed = -12;
        Ticks(1);
        EXPECT_EQ(ScrollX(), expected[t]) << "tick " << t + 1;
    }
}

TEST_F(FrameFixture, ShipDownWindsTheSpeedsDown) {
    ship->speed = 10;
    ship->sideSpeed = -3;
    Banner->sprite.srcY = 124;
    Ticks(1);
    EXPECT_EQ((V{ship->speed, ship->sideSpeed, Banner->sprite.srcY}), (V{9, -2, 126}));
    Ticks(40);
    EXPECT_EQ((V{ship->speed, ship->sideSpeed, Banner->sprite.srcY}), (V{4, 0, 186}));
}

// ---- Pointer and keys -------------------------------------------------------

TEST_F(FrameFixture, PointerPlacesShipAndSetsSpeeds) {
    Play(503, 400);
    MoveTo(100, 300);
    EXPECT_EQ(ShipPlace(), (V{91, 288, 3072 / 288 + 5, 10}));  // (512 - 91) / 40
    MoveTo(1023, 500);
    EXPECT_EQ(ShipPlace(), (V{1014, 488, 3072 / 488 + 5, -12}));  // -502 / 40 truncates towards zero
    MoveTo(200, 165);                                             // 153 from the top: the height stays
    EXPECT_EQ(ShipPlace(), (V{191, 488, 3072 / 488 + 5, (512 - 191) / 40}));
    MoveTo(0, 166);
    EXPECT_EQ(ShipPlace(), (V{-9, 154, 24, 13}));

    // Ignored while down, entering or restarting.
    for (int32_t mode : {SHIP_DOWN, SHIP_ENTERING, SHIP_PLAYING}) {
        ship->mode = mode;
        restarting = mode == SHIP_PLAYING;
        MoveTo(600, 600);
        EXPECT_EQ(ShipPlace(), (V{-9, 154, 24, 13})) << mode;
    }
}

TEST_F(FrameFixture, KeysActOnRelease) {
    Play(503, 400);
    ship->weapons = WEAPON_FAST;
    prog.mouseX = 100;
    prog.mouseY = 600;
    for (uint8_t key : {'G', 'A', 'F', 'M', '2'}) {
        prog.key = key;
        Call(EV_KEY_DOWN, 0);
    }
    EXPECT_EQ(ship->weapons, WEAPON_FAST);
    EXPECT_FALSE(autopilot);
    EXPECT_FALSE(trailOn);
    EXPECT_EQ(ship->sprite.x, 503) << "a key press does not follow the pointer";
    EXPECT_EQ(EnemyChain.newest, Banner);

    const std::pair<uint8_t, int32_t> bits[] = {
        {'2', WEAPON_WINGS}, {'3', WEAPON_NOSE}, {'B', WEAPON_BIG}, {'S', WEAPON_SPREAD}, {'W', WEAPON_WAVE}};
    for (auto [key, bit] : bits) {
        KeyUp(key);
        EXPECT_EQ(ship->weapons, WEAPON_FAST | bit) << key;
        KeyUp(key);
        EXPECT_EQ(ship->weapons, WEAPON_FAST) << key;
    }
    KeyUp('A');
    EXPECT_TRUE(autopilot);
    KeyUp('F');
    EXPECT_TRUE(trailOn);
    KeyUp('A');
    EXPECT_FALSE(autopilot);
    KeyUp('X');
    KeyUp('g');  // a virtual-key code is upper case
    EXPECT_EQ(ship->weapons, WEAPON_FAST);
    // Releasing G clears every bit and then follows the pointer.
    prog.mouseX = 300;
    prog.mouseY = 500;
    KeyUp('G');
    EXPECT_EQ(ship->weapons, 0);
    EXPECT_EQ(ShipPlace(), (V{291, 488, 3072 / 488 + 5, (512 - 291) / 40}));
    // Keys work in every mode; M drops a diver from the top edge.
    ship->mode = SHIP_DOWN;
    ship->weapons = WEAPON_FAST;
    KeyUp('G');
    EXPECT_EQ(ship->weapons, 0);
    KeyUp('M');
    Enemy* diver = EnemyChain.newest;
    ASSERT_NE(diver, Banner);
    EXPECT_EQ(diver->kind, ENEMY_DIVER);
    EXPECT_EQ(diver->sprite.y, -6);
    EXPECT_TRUE(diver->sprite.x >= 1 - 6 && diver->sprite.x <= 1024 - 6) << diver->sprite.x;
    GameAllocFailAt(1, true);  // out of memory: no diver, no crash
    KeyUp('M');
    EXPECT_EQ(EnemyChain.newest, diver);
}

TEST_F(FrameFixture, TrailMakesSparksEveryTick) {
    Ticks(1);
    EXPECT_EQ(DebrisChain.oldest, nullptr);
    KeyUp('F');
    Ticks(1);
    ASSERT_NE(DebrisChain.oldest, nullptr);
    // Made this tick after the debris moved: every spark is still within the
    // burst's scatter around the middle of the ship's lower edge (512, 793).
    for (Debris* d = DebrisChain.oldest; d; d = d->next) {
        EXPECT_NEAR(d->sprite.x + (int32_t)d->sprite.w / 2, 512, 7);
        EXPECT_NEAR(d->sprite.y + (int32_t)d->sprite.h / 2, 793, 7);
    }
}

// ---- Buttons and the restart ------------------------------------------------

TEST_F(FrameFixture, ButtonsWhilePlaying) {
    Play();
    Call(EV_LBUTTON_DOWN, 0);
    EXPECT_EQ(ship->firing, 1);
    EXPECT_NE(ShotChain.oldest, nullptr) << "a volley is fired at once";
    Call(EV_LBUTTON_UP, 0);
    EXPECT_EQ(ship->firing, 0);

    Shot* newest = ShotChain.newest;
    Call(EV_RBUTTON_DOWN, 0);
    EXPECT_EQ(ship->missiles, 3);
    EXPECT_EQ(ShotChain.newest, newest);
    Call(EV_RBUTTON_UP, 0);
    EXPECT_EQ(ship->missiles, 2);
    EXPECT_EQ(HudLine(3), "  Missiles: 3") << "the HUD is written before the event acts";
    ASSERT_NE(ShotChain.newest, newest);
    EXPECT_EQ(ShotChain.newest->kind, SHOT_MISSILE);
    for (int32_t mode : {SHIP_DOWN, SHIP_ENTERING, SHIP_READY}) {
        ship->mode = mode;
        restarting = mode == SHIP_READY;
        Call(EV_RBUTTON_UP, 0);
        EXPECT_EQ(ship->missiles, 2);
    }
}

TEST_F(FrameFixture, ClicksWhileDownResetWhileEnteringDoNothing) {
    ship->score = 40;
    ship->sprite.y = 600;
    Banner->sprite.srcY = 40;  // not yet slid down to the entering panel
    Call(EV_LBUTTON_DOWN, 0);
    EXPECT_EQ((V{ship->mode, restarting, ship->score, ship->firing}), (V{SHIP_RESET, 1, 0, 0}));
    ship->score = 5;
    Call(EV_LBUTTON_DOWN, 0);  // before the next tick: resets again
    EXPECT_EQ(ship->score, 0);
    int ticks = 0;
    while (ship->mode == SHIP_RESET && ticks < 100) ticks += Ticks(1);
    EXPECT_EQ(ticks, 12);  // 40 -> 62 in 11 ticks, the 12th switches
    EXPECT_EQ((V{ship->mode, restarting, ship->speed}), (V{SHIP_ENTERING, 0, 4}));

    ship->score = 9;
    const int32_t y = ship->sprite.y;
    Call(EV_LBUTTON_DOWN, 0);
    EXPECT_EQ((V{ship->mode, restarting, ship->score, ship->firing, ship->sprite.y}), (V{SHIP_ENTERING, 0, 9, 0, y}));
}

TEST_F(FrameFixture, RestartSequenceForTheShip) {
    Call(EV_LBUTTON_DOWN, 0);
    ASSERT_EQ((V{ship->sprite.x, ship->sprite.y, (int32_t)ship->sprite.w, (int32_t)ship->sprite.h}),
              (V{503, 768, 18, 25}));
    const V start = Cursor();
    Ticks(1);
    ASSERT_EQ(ship->mode, SHIP_ENTERING);
    for (int i = 1; i <= 77; ++i) {
        Ticks(1);
        ASSERT_EQ(ship->sprite.y, 768 - 5 * i) << "climbing tick " << i;
        ASSERT_EQ(ship->speed, 4);
    }
    for (int i = 1; i <= 22; ++i) {
        Ticks(1);
        ASSERT_EQ(ship->speed, 4 + i) << "speed tick " << i;
        ASSERT_EQ(ship->mode, SHIP_ENTERING);
    }
    EXPECT_EQ(Cursor(), start);
    Ticks(1);  // the 100th tick of entering
    EXPECT_EQ((V{ship->mode, ship->readyTicks, Banner->sprite.srcY}), (V{SHIP_READY, 100, 124}));
    // Absolute (32256, 33575) on the 65536-unit scale is the pixel (504, 393).
    EXPECT_EQ(Cursor(), (V{504, 393}));
}

TEST_F(FrameFixture, AutopilotMovesThePointerRelatively) {
    Play(100, 600);
    KeyUp('A');  // also follows the pointer: put the ship back
    for (bool on : {true, false}) {
        ship->sprite.x = 100;
        ship->sprite.y = 600;
        mouse_event(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, 32768, 32768, 0, 0);  // pointer at (512, 384)
        ASSERT_EQ(Cursor(), (V{512, 384}));
        Ticks(1);
        // dx = (512 - 9 - 100) / 75 = 5, dy = (512 - 12 - 600) / 75 = -1 (truncated towards zero)
        EXPECT_EQ(Cursor(), on ? V({517, 383}) : V({512, 384}));
        KeyUp('A');
    }
}

}  // namespace
