// The allocation-failure sweep: the game's set-up followed by 2,000 ticks of
// a busy seeded run (autopilot, fire held, spark trail, missiles, divers)
// while the module's allocation function fails at the Nth call, for N across
// every call such a run makes. Whatever fails, the run must not crash, must
// stay silent once set up (a failed object is simply not made), must leave
// every draw-list link pointing at a live object, must free everything it
// made, and must still answer events afterwards.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/headless.h"
#include "prog/core/alloc.h"
#include "prog/core/frame.h"
#include "prog/core/world.h"
#include "prog/objects/records.h"
#include "tests/core/fake_prog.h"

namespace {

const int kTicks = 2000;
const unsigned kSeed = 20240611;

struct RunOutcome {
    int setUp;            // what VProgInterface returned
    long calls;           // GameAlloc calls the run made
    size_t reports;       // message boxes during the run
    long liveAfterReset;  // blocks still allocated after ResetWorld
    bool answered;        // the procedure answered events afterwards as it should
};

// Reads every field of every sprite in the draw lists, so that a link left
// pointing at a freed object shows up under the address sanitizer, and
// checks the links agree with their layer.
bool DrawListsSound(const Prog& prog) {
    for (Layer* layer = prog.layers; layer; layer = layer->next) {
        long count = 0;
        for (SpriteLink* link = layer->drawFirst; link; link = link->older) {
            if (link->layer != layer || !link->object) return false;
            if (link->older && link->older->newer != link) return false;
            const Sprite* s = static_cast<const Sprite*>(link->object);
            volatile int32_t touch = s->x + s->y + s->srcX + s->srcY + s->srcW + s->srcH + s->state;
            (void)touch;
            if (++count > 1000000) return false;  // a loop in the list
        }
    }
    return true;
}

struct Driver {
    Prog prog;
    POINT cursor{0, 0};

    int Call(uint32_t event, int ms) {
        prog.event = event;
        int result = VProgProcedure(ms);
        // The pointer moves the game makes come back as mouse moves, as the
        // engine would deliver them.
        POINT now = HeadlessCursor();
        if (now.x != cursor.x || now.y != cursor.y) {
            cursor = now;
            prog.mouseX = now.x;
            prog.mouseY = now.y;
            prog.event = EV_MOUSE_MOVE;
            VProgProcedure(0);
        }
        return result;
    }
    int KeyUp(char key) {
        prog.key = static_cast<uint8_t>(key);
        return Call(EV_KEY_UP, 0);
    }
};

// Set-up and kTicks ticks, one per idle call, with the player's input mixed
// in. failAt = 0 runs without failures.
RunOutcome BusyRun(long failAt, bool sticky) {
    RunOutcome outcome{};
    fake::TempDir dir;  // the high-score file is written where the game stands
    HeadlessReset();
    long liveBefore = GameAllocLive();
    long callsBefore = GameAllocCalls();
    Driver d;
    d.prog = fake::MakeProg();
    GameAllocFailAt(failAt, sticky);
    outcome.setUp = VProgInterface(&d.prog);
    std::srand(kSeed);
    d.Call(EV_START, 0);
    d.prog.mouseX = 512;
    d.prog.mouseY = 600;
    d.Call(EV_MOUSE_MOVE, 0);
    for (char key : {'A', 'F', '2', '3', 'S'}) d.KeyUp(key);  // autopilot, trail, more guns
    for (int tick = 0; tick < kTicks; ++tick) {
        if (tick % 100 == 0) d.Call(EV_LBUTTON_DOWN, 0);  // restarts a downed ship, or fires and holds
        if (tick % 37 == 0) d.Call(EV_RBUTTON_UP, 0);     // a missile
        if (tick % 150 == 75) d.KeyUp('M');               // a diver
        d.Call(EV_FRAME, 10);
        if (tick % 50 == 0 && !DrawListsSound(d.prog)) {
            ADD_FAILURE() << "draw lists broken at tick " << tick;
            break;
        }
    }
    outcome.calls = GameAllocCalls() - callsBefore;
    GameAllocFailAt(0);
    outcome.reports = fake::Reports().size();

    // Events after the failures: a complete set-up answers 1 to each, a
    // failed one 0, and neither touches anything that is not there.
    bool answered = DrawListsSound(d.prog);
    const uint32_t events[] = {EV_MOUSE_MOVE, EV_KEY_DOWN,     EV_KEY_UP,     EV_LBUTTON_DOWN,
                               EV_LBUTTON_UP, EV_RBUTTON_DOWN, EV_RBUTTON_UP, EV_FRAME};
    for (uint32_t event : events) answered = answered && d.Call(event, 20) == outcome.setUp;
    d.prog.event = EV_SHUTDOWN;
    VProgProcedure(0);
    ResetWorld();
    outcome.answered = answered;
    outcome.liveAfterReset = GameAllocLive() - liveBefore;
    return outcome;
}

void Check(long n, bool sticky, const RunOutcome& r) {
    SCOPED_TRACE((sticky ? "every call from " : "call ") + std::to_string(n));
    EXPECT_TRUE(r.answered);
    EXPECT_EQ(r.liveAfterReset, 0) << "blocks were lost";
    if (r.setUp == 1)
        EXPECT_EQ(r.reports, 0u) << "a failure during play showed a message";
    else
        EXPECT_EQ(r.reports, 1u) << "a failed set-up shows exactly one message";
}

// How many points to try; KESTRA_SWEEP_POINTS sets more (or fewer) by hand.
long Points(long fallback) {
    const char* text = std::getenv("KESTRA_SWEEP_POINTS");
    long n = text ? std::strtol(text, nullptr, 10) : 0;
    return n > 0 ? n : fallback;
}

class AllocationSweep : public ::testing::Test {
  protected:
    void TearDown() override {
        GameAllocFailAt(0);
        ResetWorld();
    }
};

TEST_F(AllocationSweep, EveryFailurePointOfABusyRunIsSurvived) {
    RunOutcome clean = BusyRun(0, false);
    ASSERT_EQ(clean.setUp, 1);
    Check(0, false, clean);
    ASSERT_GT(clean.calls, 10000) << "the run is not busy enough to be worth sweeping";

    // How many of those calls the set-up makes: each of them is tried, then
    // the rest of the run at an even step.
    long early = 0;
    {
        fake::TempDir dir;
        HeadlessReset();
        Prog prog = fake::MakeProg();
        long start = GameAllocCalls();
        ASSERT_EQ(VProgInterface(&prog), 1);
        early = GameAllocCalls() - start + 1;
        ResetWorld();
    }

    const long points = Points(80);
    const long step = std::max(1L, (clean.calls - early) / points);
    long tried = 0, setUpFailures = 0;
    for (long n = 1; n <= clean.calls; n += n <= early ? 1 : step) {
        RunOutcome r = BusyRun(n, false);
        Check(n, false, r);
        ++tried;
        setUpFailures += r.setUp == 0;
        if (HasFailure()) break;
    }
    std::printf(
        "allocation calls in the run: %ld (set-up: %ld); single failures tried: %ld, "
        "of which the set-up reported %ld\n",
        clean.calls, early, tried, setUpFailures);
    EXPECT_GT(setUpFailures, 0);
}

// From the Nth call on, every allocation fails: the game runs on with what it
// has, making nothing new, and everything it made is still freed.
TEST_F(AllocationSweep, AllocationsThatStopForGoodAreSurvived) {
    RunOutcome clean = BusyRun(0, false);
    ASSERT_EQ(clean.setUp, 1);
    const long points = Points(80) / 2;
    const long step = std::max(1L, clean.calls / points);
    long tried = 0;
    for (long n = 1; n <= clean.calls; n += n < 300 ? 7 : step) {
        Check(n, true, BusyRun(n, true));
        ++tried;
        if (HasFailure()) break;
    }
    std::printf("lasting failures tried: %ld over %ld calls\n", tried, clean.calls);
}

}  // namespace
