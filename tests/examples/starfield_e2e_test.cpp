// The starfield example module end to end: engine-headless in the example's
// own folder, a scripted pointer, and screenshots that must show exactly the
// sky the module painted with the pixel services, through its tile map, with
// the ship's frame where the pointer put it.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/picture.h"
#include "tests/support/run_game.h"

namespace {

using pic::Picture;
using pic::Shown;
using pic::Widened;

const std::string kFolder = STARFIELD_DIR;

// The screen the module must show after `ticks` ticks with the ship's top
// left at (shipX, shipY): the sky cleared to (0, 0, 6), 240 one-pixel stars
// falling 1, 2 or 3 pixels a tick from scattered places (the rule written
// in examples/starfield), then the sheet's rectangle (36, 0, 18 x 24)
// without its key colour, clipped to the screen.
std::vector<uint32_t> Expected(const Picture& sheet, long ticks, int shipX, int shipY) {
    std::vector<uint32_t> screen(1024 * 768, Widened(0, 0, 6));
    const uint32_t colours[3] = {Widened(10, 20, 12), Widened(20, 42, 24), Widened(31, 63, 31)};
    for (uint32_t i = 0; i < 240; ++i) {
        const uint32_t hash = (i + 1) * 2654435761u, speed = 1 + i % 3;
        screen[((hash >> 4) % 768 + speed * ticks) % 768 * 1024 + (hash >> 22)] = colours[speed - 1];
    }
    const uint32_t key = Shown(sheet.At(0, 0));
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 18; ++x) {
            const uint32_t c = Shown(sheet.At(36 + x, y));
            const int sx = shipX + x, sy = shipY + y;
            if (c != key && sx >= 0 && sx < 1024 && sy >= 0 && sy < 768) screen[sy * 1024 + sx] = c;
        }
    return screen;
}

int Differences(const std::string& path, const std::vector<uint32_t>& expected) {
    const Picture shot(path);
    if (shot.w != 1024 || shot.h != 768) return -1;
    int differ = 0;
    for (int y = 0; y < 768; ++y)
        for (int x = 0; x < 1024; ++x) differ += shot.At(x, y) != expected[y * 1024 + x];
    return differ;
}

// The pointer at (300, 400), then at (1020, 760), where the ship is cut by
// the right and bottom edges. With 10 ms steps the frame at t ms comes after
// t / 10 ticks.
TEST(StarfieldExample, ShowsThePaintedSkyAndTheShipAtThePointer) {
    rel::TempFolder dir;
    for (const char* file : {"sprites.bmp", "song.mid"})
        rel::WriteFile(dir / file, rel::ReadFile(kFolder + "/" + file));
    rel::WriteFile(dir / "pointer.txt", "200 move 300 400\n1200 move 1020 760\n");
    const rel::RunResult run = rel::RunGame(dir.path, 1600, "--script pointer.txt --shot 1000:a.png --shot 1500:b.png",
                                            kFolder + "/engine-headless");
    rel::ExpectCleanEnd(run);
    EXPECT_EQ(run.boxes, (std::vector<rel::Box>{{"Report", "doing something stupid"}})) << run.out;

    const Picture sheet(kFolder + "/sprites.bmp");
    ASSERT_FALSE(sheet.rgb.empty());
    EXPECT_EQ(Differences(dir / "a.png", Expected(sheet, 100, 291, 388)), 0);
    EXPECT_EQ(Differences(dir / "b.png", Expected(sheet, 150, 1011, 748)), 0);
}

}  // namespace
