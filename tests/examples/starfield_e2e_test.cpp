// The starfield example end to end: screenshots must show exactly the sky the module painted with the pixel
// services, with the ship's frame where the scripted pointer put it.
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

// Pixels of the screenshot differing from the screen after `ticks` ticks with the ship's top left at
// (shipX, shipY): sky (0, 0, 6), 240 stars falling 1 to 3 pixels a tick (examples/starfield's rule), then
// the sheet's (36, 0, 18 x 24) without its key, clipped. -1 when the screenshot is not 1024 x 768.
int Differences(const std::string& path, const Picture& sheet, long ticks, int shipX, int shipY) {
    const Picture shot(path);
    if (shot.w != 1024 || shot.h != 768) return -1;
    std::vector<uint32_t> screen(1024 * 768, Widened(0, 0, 6));
    const uint32_t colours[3] = {Widened(10, 20, 12), Widened(20, 42, 24), Widened(31, 63, 31)};
    for (uint32_t i = 0; i < 240; ++i) {
        const uint32_t hash = (i + 1) * 2654435761u, speed = 1 + i % 3;
        screen[((hash >> 4) % 768 + speed * ticks) % 768 * 1024 + (hash >> 22)] = colours[speed - 1];
    }
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 18; ++x) {
            const uint32_t c = Shown(sheet.At(36 + x, y));
            const int sx = shipX + x, sy = shipY + y;
            if (c != Shown(sheet.At(0, 0)) && sx >= 0 && sx < 1024 && sy >= 0 && sy < 768) screen[sy * 1024 + sx] = c;
        }
    int differ = 0;
    for (int i = 0; i < 1024 * 768; ++i) differ += shot.At(i % 1024, i / 1024) != screen[i];
    return differ;
}

// The pointer at (300, 400), then at (1020, 760) where the edges cut the ship; 10 ms a tick.
TEST(StarfieldExample, ShowsThePaintedSkyAndTheShipAtThePointer) {
    const rel::TempDir dir;
    for (const char* file : {"sprites.bmp", "song.mid"})
        rel::WriteFile(dir / file, rel::ReadFile(kFolder + "/" + file));
    rel::WriteFile(dir / "pointer.txt", "200 move 300 400\n1200 move 1020 760\n");
    const rel::RunResult run = rel::RunGame(dir.path, 1600, "--script pointer.txt --shot 1000:a.png --shot 1500:b.png",
                                            kFolder + "/engine-headless");
    rel::ExpectCleanEnd(run);
    EXPECT_EQ(run.boxes, (std::vector<rel::Box>{{"Report", "doing something stupid"}})) << run.out;
    const Picture sheet(kFolder + "/sprites.bmp");
    ASSERT_FALSE(sheet.rgb.empty());
    EXPECT_EQ(Differences(dir / "a.png", sheet, 100, 291, 388), 0);
    EXPECT_EQ(Differences(dir / "b.png", sheet, 150, 1011, 748), 0);
}

}  // namespace
