// Checks a screenshot of the game in a real window (installed package, Wine) against the game's bitmaps:
//   screen_check SHOT GAME_DIR waiting       the first frames' HUD and waiting panel
//   screen_check SHOT GAME_DIR ready         the panel the fly-in ends with, where the waiting panel was
//   screen_check SHOT GAME_DIR high DIGITS   the HUD's high score shows DIGITS
//   screen_check SHOT GAME_DIR again DIGITS  that, and the player's score 0
// Prints "shown" or the scores seen; exit code 0 when shown, 1 when not, 2 on a usage error or bad picture.
#include <cstdio>
#include <string>

#include "tests/support/picture.h"

int main(int argc, char** argv) {
    const std::string check = argc > 3 ? argv[3] : "";
    const bool bare = check == "waiting" || check == "ready";
    if (argc != (bare ? 4 : 5) || (!bare && check != "high" && check != "again")) {
        std::fprintf(stderr, "usage: screen_check SHOT GAME_DIR waiting | ready | high DIGITS | again DIGITS\n");
        return 2;
    }
    // Under SDL's renderers a colour may be one off from the 16-bit colour's repeated top bits.
    const pic::Screen screen(argv[1], argv[2], 2);
    if (!screen.Readable()) {
        std::fprintf(stderr, "screen_check: cannot read a 1024 x 768 %s and the game's bitmaps\n", argv[1]);
        return 2;
    }
    const std::string problems = check == "waiting" ? screen.Waiting()
                                 : check == "ready" ? screen.Ready()
                                                    : screen.High(argv[4], check == "again");
    std::puts(problems.empty() ? "shown" : problems.c_str());
    return problems.empty() ? 0 : 1;
}
