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
#include "tests/core/fake_prog.h"

namespace {

std::vector<int32_t> enemyUpdates;  // milliseconds given to each enemy update

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
};

// ---- Statistics and ticks -------------------------------------------------

TEST_F(FrameFixture, ElapsedZeroCountsACallButRunsNoTick) {
    instantFps = 42;
    EXPECT_EQ(Call(EV_START, 0), 1);
    EXPECT_EQ(windowFrames, 1);
    EXPECT_EQ(pendingMs, 0);
    EXPECT_EQ(instantFps, 42);
    EXPECT_TRUE(enemyUpdates.empty());
    EXPECT_EQ(backmap->scrollY, 0);
    EXPECT_EQ(std::string(Hud->text).rfind("Kestra v2.0e\nHigh Score: 0\n", 0), 0u) << Hud->text;
    EXPECT_EQ(Call(EV_SHUTDOWN, 0), 1);
    EXPECT_EQ(windowFrames, 2);
}

TEST_F(FrameFixture, SevenMillisecondCalls) {
    Call(EV_FRAME, 7);
    EXPECT_EQ(enemyUpdates.size(), 0u);
    Call(EV_FRAME, 7);
    EXPECT_EQ(enemyUpdates.size(), 1u);
    EXPECT_EQ(pendingMs, 4);
    Call(EV_FRAME, 7);
    EXPECT_EQ(enemyUpdates.size(), 2u);
    EXPECT_EQ(pendingMs, 1);
    Call(EV_FRAME, 7);
    EXPECT_EQ(enemyUpdates.size(), 2u);
    EXPECT_EQ(pendingMs, 8);
    EXPECT_EQ(enemyUpdates, (std::vector<int32_t>{14, 11}));
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
    EXPECT_EQ(enemyAnimMs, 30) << "animation pace follows the milliseconds given";
    EXPECT_EQ(HudLine(1), "High Score: 77");
    EXPECT_EQ(HudLine(2), "Your Score: 77");
}

TEST_F(FrameFixture, StatisticsWindowOfTwentySixMillisecondCalls) {
    for (int i = 0; i < 9; ++i) Call(EV_FRAME, 26);
    EXPECT_EQ(windowMs, 234);
    EXPECT_EQ(totalFrames, 0u);
    EXPECT_EQ(totalMs, 0u);
    EXPECT_EQ(currentFps, 0);
    EXPECT_TRUE(std::isnan(averageFps)) << "0 / 0 before the first window closes";
    char nan[32];
    std::snprintf(nan, sizeof nan, "%3.2f", averageFps);
    EXPECT_EQ(HudLine(5), "CurrentFPS: 0.00 (38.00)");
    EXPECT_EQ(HudLine(6), std::string("AverageFPS: ") + nan);
    EXPECT_NE(HudLine(6).find("nan"), std::string::npos);

    Call(EV_FRAME, 26);
    EXPECT_EQ(windowMs, 10);
    EXPECT_EQ(windowFrames, 0);
    EXPECT_EQ(totalFrames, 10u);
    EXPECT_EQ(totalMs, 260u);
    EXPECT_DOUBLE_EQ(currentFps, 10 / 0.26);
    EXPECT_DOUBLE_EQ(averageFps, 10 / 0.26);
    EXPECT_EQ(instantFps, 38);

    // The 10 ms carried over are counted again when the next window closes.
    for (int i = 0; i < 10; ++i) Call(EV_FRAME, 24);
    EXPECT_EQ(totalMs, 260u + 250u);
    EXPECT_EQ(totalFrames, 20u);
    EXPECT_EQ(windowMs, 0);
}

TEST_F(FrameFixture, HudTextExact) {
    highScore = 1234;
    ship->score = 56;
    ship->missiles = 2;
    for (int i = 0; i < 10; ++i) Call(EV_FRAME, 26);
    EXPECT_STREQ(Hud->text,
                 "Kestra v2.0e\nHigh Score: 1234\nYour Score: 56\n  Missiles: 2\n     Speed: 0 clicks/sec\n"
                 "CurrentFPS: 38.46 (38.00)\nAverageFPS: 38.46");
    EXPECT_EQ(Hud->length, (int32_t)std::string(Hud->text).size());
    EXPECT_EQ(Hud->height, 6 * 8);
    // Rebuilt on every call, whatever the event.
    ship->speed = 24;
    Call(EV_RBUTTON_DOWN, 0);
    EXPECT_EQ(HudLine(4), "     Speed: 20 clicks/sec");
}

TEST_F(FrameFixture, HudGlyphsAreReplacedNotAccumulated) {
    Call(EV_FRAME, 0);
    long live = GameAllocLive();
    for (int i = 0; i < 20; ++i) Call(EV_FRAME, 0);
    EXPECT_EQ(GameAllocLive(), live);
}

TEST_F(FrameFixture, BeatingTheBestWritesTheFile) {
    ship->score = 350;
    Ticks(1);
    EXPECT_EQ(highScore, 350);
    std::ifstream in(HIGH_SCORE_FILE);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "350");
    ship->score = 350;  // equal is not better
    std::remove(HIGH_SCORE_FILE);
    Ticks(1);
    EXPECT_FALSE(std::ifstream(HIGH_SCORE_FILE).good());
}

// ---- Scrolling --------------------------------------------------------------

TEST_F(FrameFixture, ParallaxAtSpeedFour) {
    ASSERT_EQ(ship->speed, 4);
    Ticks(1);
    EXPECT_EQ(backmap->scrollY, -255);  // 0 + 1, wrapped
    EXPECT_EQ(MainMap->scrollY, -254);  // 0 + 2
    EXPECT_EQ(TopMap->scrollY, -252);   // 0 + 4
    for (int i = 0; i < 300; ++i) {
        int32_t before[3] = {backmap->scrollY, MainMap->scrollY, TopMap->scrollY};
        Ticks(1);
        int32_t after[3] = {backmap->scrollY, MainMap->scrollY, TopMap->scrollY};
        const int32_t step[3] = {1, 2, 4};
        for (int m = 0; m < 3; ++m) {
            EXPECT_GE(after[m], -256);
            EXPECT_LE(after[m], -129);
            EXPECT_EQ(((after[m] - before[m]) % 128 + 128) % 128, step[m]);
        }
    }
}

TEST_F(FrameFixture, SidewaysScrollWrapsAndKeepsItsBounds) {
    Play();
    ship->sideSpeed = 5;
    ship->speed = 12;
    Ticks(1);
    EXPECT_EQ(backmap->scrollX, -123);  // wrapped once: the back map lags a tick
    EXPECT_EQ(MainMap->scrollX, -246);
    EXPECT_EQ(TopMap->scrollX, -236);
    EXPECT_EQ(backmap->scrollY, -253);  // 12 / 4
    EXPECT_EQ(MainMap->scrollY, -250);  // 12 / 2
    EXPECT_EQ(TopMap->scrollY, -244);
    Ticks(1);
    EXPECT_EQ(backmap->scrollX, -246);

    // Drifting the other way: the top map may go down to -511 before it wraps.
    ship->mode = SHIP_READY;  // no spawning, no collisions; the speeds stay
    ship->readyTicks = 1000;
    backmap->scrollX = MainMap->scrollX = TopMap->scrollX = 0;
    ship->sideSpeed = -12;
    const int32_t expected[8][3] = {{-140, -152, -176}, {-152, -176, -224}, {-164, -200, -272}, {-176, -224, -320},
                                    {-188, -248, -368}, {-200, -144, -416}, {-212, -168, -464}, {-224, -192, -384}};
    for (int t = 0; t < 8; ++t) {
        Ticks(1);
        EXPECT_EQ(backmap->scrollX, expected[t][0]) << "tick " << t + 1;
        EXPECT_EQ(MainMap->scrollX, expected[t][1]) << "tick " << t + 1;
        EXPECT_EQ(TopMap->scrollX, expected[t][2]) << "tick " << t + 1;
    }
    for (int32_t side : {13, -12, 1, -1, 0, 7}) {
        for (int i = 0; i < 60; ++i) {
            ship->mode = SHIP_READY;  // no spawning, no collisions; the speeds stay
            ship->readyTicks = 1000;
            ship->sideSpeed = side;
            Ticks(1);
            EXPECT_GT(backmap->scrollX, -256) << side;
            EXPECT_LE(backmap->scrollX, -128) << side;
            EXPECT_GT(MainMap->scrollX, -256) << side;
            EXPECT_LE(MainMap->scrollX, -128) << side;
            EXPECT_GT(TopMap->scrollX, -512) << side;
            EXPECT_LE(TopMap->scrollX, -128) << side;
        }
    }
}

TEST_F(FrameFixture, ShipDownWindsTheSpeedsDown) {
    ship->speed = 10;
    ship->sideSpeed = -3;
    Banner->sprite.srcY = 124;
    Ticks(1);
    EXPECT_EQ(ship->speed, 9);
    EXPECT_EQ(ship->sideSpeed, -2);
    EXPECT_EQ(Banner->sprite.srcY, 126);
    Ticks(40);
    EXPECT_EQ(ship->speed, 4);
    EXPECT_EQ(ship->sideSpeed, 0);
    EXPECT_EQ(Banner->sprite.srcY, 186);
}

// ---- Pointer and keys -------------------------------------------------------

TEST_F(FrameFixture, PointerPlacesShipAndSetsSpeeds) {
    Play();
    MoveTo(100, 300);
    EXPECT_EQ(ship->sprite.x, 91);
    EXPECT_EQ(ship->sprite.y, 288);
    EXPECT_EQ(ship->speed, 3072 / 288 + 5);
    EXPECT_EQ(ship->sideSpeed, 10);  // (512 - 91) / 40
    MoveTo(0, 767);
    EXPECT_EQ(ship->sideSpeed, 13);
    EXPECT_EQ(ship->speed, 9);
    MoveTo(1023, 500);
    EXPECT_EQ(ship->sideSpeed, -12);  // -502 / 40 truncates towards zero
}

TEST_F(FrameFixture, PointerNearTheTopKeepsHeight) {
    Play(503, 400);
    MoveTo(200, 165);  // t = 153
    EXPECT_EQ(ship->sprite.y, 400);
    EXPECT_EQ(ship->sprite.x, 191);
    EXPECT_EQ(ship->speed, 3072 / 400 + 5);
    EXPECT_EQ(ship->sideSpeed, (512 - 191) / 40);
    MoveTo(200, 166);  // t = 154
    EXPECT_EQ(ship->sprite.y, 154);
    EXPECT_EQ(ship->speed, 24);
}

TEST_F(FrameFixture, PointerIgnoredWhileDownEnteringOrRestarting) {
    for (int32_t mode : {SHIP_DOWN, SHIP_ENTERING}) {
        ship->mode = mode;
        ship->sprite.x = 503;
        ship->sprite.y = 700;
        ship->speed = 7;
        MoveTo(100, 300);
        EXPECT_EQ(ship->sprite.x, 503);
        EXPECT_EQ(ship->sprite.y, 700);
        EXPECT_EQ(ship->speed, 7);
    }
    Play();
    restarting = true;
    MoveTo(100, 300);
    EXPECT_EQ(ship->sprite.x, 503);
}

TEST_F(FrameFixture, ReleasingGClearsWeaponsThenFollowsPointer) {
    Play(503, 400);
    ship->weapons = 0x3F;
    prog.mouseX = 300;
    prog.mouseY = 500;
    KeyUp('G');
    EXPECT_EQ(ship->weapons, 0);
    EXPECT_EQ(ship->sprite.x, 291);
    EXPECT_EQ(ship->sprite.y, 488);
}

TEST_F(FrameFixture, KeyToggles) {
    Play();
    const std::pair<uint8_t, int32_t> bits[] = {
        {'2', WEAPON_WINGS}, {'3', WEAPON_NOSE}, {'B', WEAPON_BIG}, {'S', WEAPON_SPREAD}, {'W', WEAPON_WAVE}};
    for (auto [key, bit] : bits) {
        ship->weapons = WEAPON_FAST;
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
    ship->weapons = 0x3F;
    KeyUp('X');
    KeyUp('g');  // a virtual-key code is upper case
    EXPECT_EQ(ship->weapons, 0x3F);
    // Keys work in every mode.
    ship->mode = SHIP_DOWN;
    KeyUp('G');
    EXPECT_EQ(ship->weapons, 0);
}

TEST_F(FrameFixture, KeyPressDoesNothing) {
    Play(503, 400);
    ship->weapons = 0x3F;
    prog.mouseX = 100;
    prog.mouseY = 600;
    for (uint8_t key : {'G', 'A', 'F', 'M', '2'}) {
        prog.key = key;
        Call(EV_KEY_DOWN, 0);
    }
    EXPECT_EQ(ship->weapons, 0x3F);
    EXPECT_FALSE(autopilot);
    EXPECT_FALSE(trailOn);
    EXPECT_EQ(ship->sprite.x, 503);
    EXPECT_EQ(EnemyChain.newest, Banner);
}

TEST_F(FrameFixture, MDropsADiver) {
    KeyUp('M');
    Enemy* diver = EnemyChain.newest;
    ASSERT_NE(diver, Banner);
    EXPECT_EQ(diver->kind, ENEMY_DIVER);
    EXPECT_EQ(diver->sprite.y, -6);
    EXPECT_GE(diver->sprite.x, 1 - 6);
    EXPECT_LE(diver->sprite.x, 1024 - 6);
    // Out of memory: no diver, no crash.
    GameAllocFailAt(1, true);
    KeyUp('M');
    GameAllocFailAt(0);
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
        int32_t cx = d->sprite.x + (int32_t)d->sprite.w / 2, cy = d->sprite.y + (int32_t)d->sprite.h / 2;
        EXPECT_NEAR(cx, 512, 7);
        EXPECT_NEAR(cy, 793, 7);
    }
}

// ---- Buttons ----------------------------------------------------------------

TEST_F(FrameFixture, LeftButtonFiresWhilePlaying) {
    Play();
    Call(EV_LBUTTON_DOWN, 0);
    EXPECT_EQ(ship->firing, 1);
    EXPECT_NE(ShotChain.oldest, nullptr) << "a volley is fired at once";
    Call(EV_LBUTTON_UP, 0);
    EXPECT_EQ(ship->firing, 0);
}

TEST_F(FrameFixture, RightButtonReleaseLaunchesMissile) {
    Play();
    Call(EV_RBUTTON_DOWN, 0);
    EXPECT_EQ(ship->missiles, 3);
    EXPECT_EQ(ShotChain.oldest, nullptr);
    Call(EV_RBUTTON_UP, 0);
    EXPECT_EQ(ship->missiles, 2);
    EXPECT_EQ(HudLine(3), "  Missiles: 3") << "the HUD is written before the event acts";
    Call(EV_FRAME, 0);
    EXPECT_EQ(HudLine(3), "  Missiles: 2");
    ASSERT_NE(ShotChain.oldest, nullptr);
    EXPECT_EQ(ShotChain.oldest->kind, SHOT_MISSILE);
    for (int32_t mode : {SHIP_DOWN, SHIP_ENTERING}) {
        ship->mode = mode;
        Call(EV_RBUTTON_UP, 0);
        EXPECT_EQ(ship->missiles, 2);
    }
    ship->mode = SHIP_READY;
    restarting = true;
    Call(EV_RBUTTON_UP, 0);
    EXPECT_EQ(ship->missiles, 2);
}

TEST_F(FrameFixture, ClicksWhileDownResetWhileEnteringDoNothing) {
    ship->score = 40;
    ship->sprite.y = 600;
    Call(EV_LBUTTON_DOWN, 0);
    EXPECT_EQ(ship->mode, SHIP_RESET);
    EXPECT_TRUE(restarting);
    EXPECT_EQ(ship->score, 0);
    EXPECT_EQ(ship->firing, 0);
    // A second click before the next tick resets again.
    ship->score = 5;
    Call(EV_LBUTTON_DOWN, 0);
    EXPECT_EQ(ship->score, 0);
    EXPECT_TRUE(restarting);
    Ticks(1);
    EXPECT_EQ(ship->mode, SHIP_ENTERING);
    EXPECT_FALSE(restarting);
    // While entering a click does nothing.
    ship->score = 9;
    int32_t y = ship->sprite.y;
    Call(EV_LBUTTON_DOWN, 0);
    EXPECT_EQ(ship->mode, SHIP_ENTERING);
    EXPECT_EQ(ship->score, 9);
    EXPECT_EQ(ship->firing, 0);
    EXPECT_EQ(ship->sprite.y, y);
    EXPECT_FALSE(restarting);
}

TEST_F(FrameFixture, RestartWaitsForTheBannerPanel) {
    Banner->sprite.srcY = 40;  // not yet slid down to the entering panel
    Call(EV_LBUTTON_DOWN, 0);
    int ticks = 0;
    while (ship->mode == SHIP_RESET && ticks < 100) ticks += Ticks(1);
    EXPECT_EQ(ticks, 12);  // 40 -> 62 in 11 ticks, the 12th switches
    EXPECT_EQ(ship->speed, 4);
}

// ---- Restart sequence and pointer moves -------------------------------------

TEST_F(FrameFixture, RestartSequenceForTheShip) {
    Call(EV_LBUTTON_DOWN, 0);
    ASSERT_EQ(ship->sprite.x, 503);
    ASSERT_EQ(ship->sprite.y, 768);
    ASSERT_EQ(ship->sprite.w, 18u);
    ASSERT_EQ(ship->sprite.h, 25u);
    POINT start = HeadlessCursor();
    Ticks(1);
    ASSERT_EQ(ship->mode, SHIP_ENTERING);
    for (int i = 1; i <= 77; ++i) {
        Ticks(1);
        ASSERT_EQ(ship->sprite.y, 768 - 5 * i) << "climbing tick " << i;
        ASSERT_EQ(ship->speed, 4);
    }
    EXPECT_EQ(ship->sprite.y, 383);
    for (int i = 1; i <= 22; ++i) {
        Ticks(1);
        ASSERT_EQ(ship->speed, 4 + i) << "speed tick " << i;
        ASSERT_EQ(ship->mode, SHIP_ENTERING);
    }
    EXPECT_EQ(ship->speed, 26);
    POINT before = HeadlessCursor();
    EXPECT_EQ(before.x, start.x);
    EXPECT_EQ(before.y, start.y);
    Ticks(1);  // the 100th tick of entering
    EXPECT_EQ(ship->mode, SHIP_READY);
    EXPECT_EQ(ship->readyTicks, 100);
    EXPECT_EQ(Banner->sprite.srcY, 124);
    // Absolute (32256, 33575) on the 65536-unit scale is the pixel (504, 393),
    // and the system sends the move back as a message.
    POINT after = HeadlessCursor();
    EXPECT_EQ(after.x, 504);
    EXPECT_EQ(after.y, 393);
    MSG msg;
    bool moved = false;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        if (msg.message == WM_MOUSEMOVE) {
            moved = true;
            EXPECT_EQ(msg.lParam & 0xFFFF, 504);
            EXPECT_EQ((msg.lParam >> 16) & 0xFFFF, 393);
        }
    EXPECT_TRUE(moved);
}

TEST_F(FrameFixture, AutopilotMovesThePointerRelatively) {
    Play(100, 600);
    KeyUp('A');  // also follows the pointer: put the ship back
    ship->sprite.x = 100;
    ship->sprite.y = 600;
    mouse_event(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, 32768, 32768, 0, 0);  // pointer at (512, 384)
    ASSERT_EQ(HeadlessCursor().x, 512);
    ASSERT_EQ(HeadlessCursor().y, 384);
    Ticks(1);
    EXPECT_EQ(HeadlessCursor().x, 512 + (512 - 9 - 100) / 75);   // + 5
    EXPECT_EQ(HeadlessCursor().y, 384 + (512 - 12 - 600) / 75);  // - 1, truncated towards zero
    // Off: no move.
    KeyUp('A');
    ship->sprite.x = 100;
    ship->sprite.y = 600;
    Ticks(1);
    EXPECT_EQ(HeadlessCursor().x, 517);
    EXPECT_EQ(HeadlessCursor().y, 383);
}

}  // namespace
