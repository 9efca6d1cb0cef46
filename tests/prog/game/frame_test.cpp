// The frame driver: statistics, parallax, the HUD, the events and the restart sequence.
#include "prog/game/frame.h"

#include <cmath>
#include <sstream>

#include "platform/headless.h"
#include "prog/core/highscore.h"
#include "prog/core/text.h"
#include "tests/support/temp_dir.h"
#include "tests/support/world.h"

namespace {

struct FrameFixture : ::testing::Test {
    support::TempDir dir{true};  // the high-score file is written where the game stands
    Prog prog = fake::MakeProg();
    Ship* ship = nullptr;

    void SetUp() override {
        HeadlessReset();
        ASSERT_EQ(VProgInterface(&prog), 1);
        ship = TheShip;
    }
    void TearDown() override { ResetWorld(); }
    int Call(uint32_t event, int ms) { return prog.event = event, VProgProcedure(ms); }
    int Ticks(int n) {  // n ticks in n idle calls
        for (int i = 0; i < n; ++i) Call(EV_FRAME, 10);
        return n;
    }
    void Play(int32_t x = 503, int32_t y = 400) { ship->mode = SHIP_PLAYING, ship->sprite.x = x, ship->sprite.y = y; }
    void KeyUp(uint8_t key) { prog.key = key, Call(EV_KEY_UP, 0); }
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

// Windows of 250 ms: frames and time join the totals when one closes, the time beyond 250 carries over (and is counted
// again); the HUD is rebuilt on every call.
TEST_F(FrameFixture, StatisticsWindowAndHudText) {
    highScore = 1234, ship->score = 56, ship->missiles = 2;
    for (int i = 0; i < 9; ++i) Call(EV_FRAME, 26);
    EXPECT_EQ((V{windowMs, (int32_t)totalFrames}), (V{234, 0}));
    ASSERT_TRUE(std::isnan(averageFps)) << "0 / 0 before the first window closes";
    EXPECT_EQ(HudLine(5) + "|" + HudLine(6), "CurrentFPS: 0.00 (38.00)|AverageFPS: " + std::to_string(averageFps));
    Call(EV_FRAME, 26);
    EXPECT_EQ((V{windowMs, windowFrames, (int32_t)totalFrames, (int32_t)totalMs}), (V{10, 0, 10, 260}));
    EXPECT_DOUBLE_EQ(currentFps, 10 / 0.26);
    EXPECT_STREQ(Hud->text,
                 "Kestra v2.0e\nHigh Score: 1234\nYour Score: 56\n  Missiles: 2\n     Speed: 0 clicks/sec\n"
                 "CurrentFPS: 38.46 (38.00)\nAverageFPS: 38.46");
    for (int i = 0; i < 10; ++i) Call(EV_FRAME, 24);
    EXPECT_EQ((V{windowMs, windowFrames, (int32_t)totalFrames, (int32_t)totalMs}), (V{0, 0, 20, 260 + 250}));
    ship->speed = 24;
    Call(EV_RBUTTON_DOWN, 0);
    EXPECT_EQ(HudLine(4), "     Speed: 20 clicks/sec");
}
// Forward a quarter, half and all of the speed, each map wrapped into -256 .. -129.
TEST_F(FrameFixture, ParallaxAtSpeedFour) {
    EXPECT_EQ((Ticks(1), ScrollY()), (V{-255, -254, -252})) << "0 + 1, 2 and 4, wrapped";
    for (int t = 0; t < 300; ++t) {
        const V before = ScrollY();
        Ticks(1);
        for (int m = 0; m < 3; ++m)
            ASSERT_TRUE(ScrollY()[m] >= -256 && ScrollY()[m] <= -129 &&
                        ((ScrollY()[m] - before[m]) % 128 + 128) % 128 == 1 << m)
                << ScrollY()[m];
    }
}
// Sideways 1, 2 and 4 times the side speed: the back map wraps once a tick at most, the others until below -128; the
// top map goes down to -511. A ship that is ready neither spawns nor collides, and keeps its speeds.
TEST_F(FrameFixture, SidewaysScrollWrapsEachMap) {
    Play(), ship->sideSpeed = 5, ship->speed = 12, Ticks(1);
    EXPECT_EQ(ScrollX(), (V{-123, -246, -236})) << "the back map wraps a tick later";
    EXPECT_EQ(ScrollY(), (V{-253, -250, -244}));
    EXPECT_EQ((Ticks(1), ScrollX()[0]), -246);
    ship->mode = SHIP_READY, backmap->scrollX = MainMap->scrollX = TopMap->scrollX = 0;
    const V expected[8] = {{-140, -152, -176}, {-152, -176, -224}, {-164, -200, -272}, {-176, -224, -320},
                           {-188, -248, -368}, {-200, -144, -416}, {-212, -168, -464}, {-224, -192, -384}};
    for (int t = 0; t < 8; ++t) {
        ship->readyTicks = 1000, ship->sideSpeed = -12, Ticks(1);
        EXPECT_EQ(ScrollX(), expected[t]) << "tick " << t + 1;
    }
}
// Keys act on release, in every mode, and the ship then follows the pointer: weapon keys toggle their bit, G clears
// them all, A and F toggle the autopilot and the spark trail (made below the ship after the debris moved), M drops a
// diver on the top edge. Key; weapons, autopilot and trail after.
TEST_F(FrameFixture, KeysActOnRelease) {
    Play(503, 400);
    ship->weapons = WEAPON_FAST, prog.mouseX = 300, prog.mouseY = 500;
    for (uint8_t key : {'G', 'A', 'F', 'M', '2'}) prog.key = key, Call(EV_KEY_DOWN, 0);
    EXPECT_EQ((V{ship->weapons, autopilot, trailOn, ship->sprite.x, EnemyChain.newest == Banner}),
              (V{WEAPON_FAST, 0, 0, 503, 1}));
    const V cases[] = {{'2', 0x11, 0, 0}, {'2', 0x01, 0, 0}, {'3', 0x21, 0, 0}, {'B', 0x25, 0, 0}, {'S', 0x2D, 0, 0},
                       {'W', 0x2F, 0, 0}, {'3', 0x0F, 0, 0}, {'A', 0x0F, 1, 0}, {'F', 0x0F, 1, 1}, {'A', 0x0F, 0, 1},
                       {'X', 0x0F, 0, 1}, {'g', 0x0F, 0, 1}, {'G', 0, 0, 1}};
    for (const V& c : cases) {
        KeyUp((uint8_t)c[0]);
        EXPECT_EQ((V{c[0], ship->weapons, autopilot, trailOn}), c);
        EXPECT_EQ(ShipPlace(), (V{291, 488, 3072 / 488 + 5, (512 - 291) / 40}));
    }
    srand(9);
    const int32_t x = std::rand() % 1024 + 1;  // the first draw: where the diver's centre goes
    srand(9), ship->mode = SHIP_DOWN, ship->sprite.x = 503, ship->sprite.y = 768, KeyUp('M');
    const Enemy* diver = EnemyChain.newest;
    EXPECT_EQ((V{diver->kind, diver->sprite.x, diver->sprite.y}), (V{ENEMY_DIVER, x - 6, -6}));
    const Spread sparks = (Ticks(1), SpreadOf(DEBRIS_SPARK));  // the trail, below the ship
    EXPECT_TRUE(sparks.n >= 9 && sparks.Within(512 - 6, 512 + 5, 793 - 6, 793 + 5));
}
// Left press fires at once and holds fire, release stops; a missile goes on the right release, only while playing. The
// HUD is written before the event acts.
TEST_F(FrameFixture, ButtonsWhilePlaying) {
    Play(), Call(EV_LBUTTON_DOWN, 0);
    EXPECT_EQ((V{ship->firing, WorldFixture::Count(ShotChain)}), (V{1, 2}));
    Call(EV_LBUTTON_UP, 0), Call(EV_RBUTTON_DOWN, 0);
    EXPECT_EQ((V{ship->firing, ship->missiles, WorldFixture::Count(ShotChain)}), (V{0, 3, 2}));
    EXPECT_EQ((Call(EV_RBUTTON_UP, 0), V{ship->missiles, ShotChain.newest->kind}), (V{2, SHOT_MISSILE}));
    EXPECT_EQ(HudLine(3), "  Missiles: 3");
    for (int32_t mode : {SHIP_DOWN, SHIP_ENTERING, SHIP_READY}) {
        ship->mode = mode, restarting = mode == SHIP_READY, Call(EV_RBUTTON_UP, 0);
        EXPECT_EQ(ship->missiles, 2);
    }
}
// A click while down resets the ship and starts the restart (again before the next tick); the Banner slides down 2 a
// tick to 61, then the ship enters (sheet column 7) from the bottom edge, where a click does nothing: 77 ticks climbing
// 5 a tick, 22 gaining speed, the 100th makes it ready with the pointer put on its centre; the autopilot then moves the
// pointer by ((512 - 9 - x) / 75, (512 - 12 - y) / 75), truncated.
TEST_F(FrameFixture, RestartSequence) {
    ship->score = 40, Banner->sprite.srcY = 40, Call(EV_LBUTTON_DOWN, 0);
    EXPECT_EQ((V{ship->mode, restarting, ship->score, ship->firing}), (V{SHIP_RESET, 1, 0, 0}));
    ship->score = 5, Call(EV_LBUTTON_DOWN, 0);
    int ticks = 0;
    while (ship->mode == SHIP_RESET && ticks < 100) ticks += Ticks(1);
    EXPECT_EQ((V{ticks, ship->score, restarting, ship->speed, ship->sprite.x, ship->sprite.y}),
              (V{12, 0, 0, 4, 503, 768}));  // 40 -> 62 in 11 ticks
    ship->score = 9, Call(EV_LBUTTON_DOWN, 0);
    EXPECT_EQ((V{ship->mode, restarting, ship->score, ship->firing}), (V{SHIP_ENTERING, 0, 9, 0}));
    const V start = Cursor();
    for (int i = 1; i <= 99; ++i)
        ASSERT_EQ((Ticks(1), V{ship->sprite.y, ship->speed, ship->mode, ship->sprite.srcX}),
                  (V{768 - 5 * std::min(i, 77), 4 + std::max(i - 77, 0), SHIP_ENTERING, 7 * SHIP_FRAMES.w}))
            << i;
    EXPECT_EQ(Cursor(), start);
    EXPECT_EQ((Ticks(1), V{ship->mode, ship->readyTicks, Banner->sprite.srcY}), (V{SHIP_READY, 100, BANNER_READY.y}));
    EXPECT_EQ(Cursor(), (V{504, 393}));  // absolute (32256, 33575) of 65536
    KeyUp('A');
    for (bool on : {true, false}) {
        Play(100, 600), Ticks(1);
        EXPECT_EQ(Cursor(), on ? V({504 + 5, 393 - 1}) : V({504, 393}));
        KeyUp('A'), mouse_event(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, 32256, 33575, 0, 0);
    }
}

}  // namespace
