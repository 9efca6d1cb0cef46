// The allocation-failure sweep: the set-up and 2,000 ticks of a busy seeded run (autopilot, fire held, spark trail,
// missiles, divers) while the Nth allocation fails, or every one from the Nth on, for N across the whole run. Whatever
// fails, the run must not crash, must stay silent once set up (a failed object is simply not made), must leave every
// draw-list link on a live object, must free everything it made, and must still answer events.
#include <cstdio>

#include "platform/headless.h"
#include "prog/game/frame.h"
#include "tests/support/temp_dir.h"
#include "tests/support/world.h"

namespace {

// Reads every sprite in the draw lists (a link left on a freed object shows up under the address sanitizer) and checks
// the links agree with their layer.
bool DrawListsSound(const Prog& prog) {
    for (Layer* layer = prog.layers; layer; layer = layer->next) {
        long count = 0;
        for (SpriteLink* link = layer->drawFirst; link; link = link->older) {
            if (link->layer != layer || !link->object || (link->older && link->older->newer != link)) return false;
            const Sprite* s = static_cast<const Sprite*>(link->object);
            [[maybe_unused]] volatile int32_t touch = s->x + s->y + s->srcX + s->srcY + s->srcW + s->srcH + s->state;
            if (++count > 1000000) return false;  // a loop in the list
        }
    }
    return true;
}

struct Driver {
    Prog prog = fake::MakeProg();
    POINT cursor{0, 0};
    // The pointer moves the game makes come back as mouse moves, as the engine would deliver them.
    int Call(uint32_t event, int ms) {
        prog.event = event;
        const int result = VProgProcedure(ms);
        const POINT now = HeadlessCursor();
        if (now.x != cursor.x || now.y != cursor.y) {
            cursor = now, prog.mouseX = now.x, prog.mouseY = now.y, prog.event = EV_MOUSE_MOVE;
            VProgProcedure(0);
        }
        return result;
    }
    void KeyUp(char key) { prog.key = static_cast<uint8_t>(key), Call(EV_KEY_UP, 0); }
};

struct RunOutcome {
    int setUp;               // what VProgInterface returned
    long setUpCalls, calls;  // GameAlloc calls of the set-up and of the whole run
};

// Set-up and 2,000 ticks, one per idle call, with the player's input mixed in, and the checks on what the run left.
// failAt = 0 runs without failures.
RunOutcome BusyRun(long failAt, bool sticky) {
    SCOPED_TRACE((sticky ? "every call from " : "call ") + std::to_string(failAt));
    support::TempDir dir(true);  // the high-score file is written where the game stands
    HeadlessReset();
    const long liveBefore = GameAllocLive(), callsBefore = GameAllocCalls();
    Driver d;
    GameGetFaults()->alloc = FailNth((int)failAt, sticky);
    RunOutcome outcome{VProgInterface(&d.prog), GameAllocCalls() - callsBefore, 0};
    std::srand(20240611);
    d.Call(EV_START, 0), d.prog.mouseX = 512, d.prog.mouseY = 600, d.Call(EV_MOUSE_MOVE, 0);
    for (char key : {'A', 'F', '2', '3', 'S'}) d.KeyUp(key);  // autopilot, trail, more guns
    bool sound = true;                                        // the draw lists, checked every 50 ticks
    for (int tick = 0; tick < 2000 && sound; ++tick) {
        if (tick % 100 == 0) d.Call(EV_LBUTTON_DOWN, 0);  // restarts a downed ship, or fires and holds
        if (tick % 37 == 0) d.Call(EV_RBUTTON_UP, 0);     // a missile
        if (tick % 150 == 75) d.KeyUp('M');               // a diver
        d.Call(EV_FRAME, 10);
        sound = tick % 50 || DrawListsSound(d.prog);
    }
    outcome.calls = GameAllocCalls() - callsBefore;
    GameGetFaults()->alloc = Fault{};
    // A failed set-up shows exactly one message and answers 0 to each event, a complete one shows none and answers 1;
    // neither touches what is not there.
    EXPECT_EQ(fake::reports.size(), outcome.setUp == 1 ? 0u : 1u);
    EXPECT_TRUE(sound && DrawListsSound(d.prog));
    for (uint32_t event : {EV_MOUSE_MOVE, EV_KEY_DOWN, EV_KEY_UP, EV_LBUTTON_DOWN, EV_LBUTTON_UP, EV_RBUTTON_DOWN,
                           EV_RBUTTON_UP, EV_FRAME})
        EXPECT_EQ(d.Call(event, 20), outcome.setUp) << "event " << event;
    d.prog.event = EV_SHUTDOWN, VProgProcedure(0), ResetWorld();
    EXPECT_EQ(GameAllocLive() - liveBefore, 0) << "blocks were lost";
    return outcome;
}
// Every call of the set-up is made to fail, then the rest of the run at an even step (KESTRA_SWEEP_POINTS sets how many
// points by hand); every other point is also tried as a failure that lasts to the end of the run.
TEST(AllocationSweep, EveryFailurePointOfABusyRunIsSurvived) {
    const RunOutcome clean = BusyRun(0, false);
    ASSERT_EQ(clean.setUp, 1);
    ASSERT_GT(clean.calls, 10000) << "the run is not busy enough to be worth sweeping";
    const char* text = std::getenv("KESTRA_SWEEP_POINTS");
    const long points = text && std::atol(text) > 0 ? std::atol(text) : 80;
    const long step = std::max(1L, (clean.calls - clean.setUpCalls) / points);
    long tried = 0, setUpFailures = 0;
    for (long n = 1; n <= clean.calls && !::testing::Test::HasFailure(); n += n <= clean.setUpCalls ? 1 : step) {
        setUpFailures += BusyRun(n, false).setUp == 0;
        if (tried++ % 2 == 0) BusyRun(n, true);
    }
    std::printf("allocation calls in the run: %ld (set-up: %ld); failure points tried: %ld, set-up failures: %ld\n",
                clean.calls, clean.setUpCalls, tried, setUpFailures);
    EXPECT_EQ(setUpFailures, 12) << "the nine layer steps, the ship, the HUD block and the banner";
}

}  // namespace
