// Checks a screenshot of the running game against the game's own bitmaps, for
// the end-to-end runs of the Windows build under Wine:
//   screen_check SHOT GAME_DIR waiting       the first frames' HUD lines and the waiting panel
//   screen_check SHOT GAME_DIR high DIGITS   the HUD's high score shows DIGITS
// Prints the scores; exit code 0 when the screenshot shows it, 1 when not,
// 2 on a usage error or an unreadable picture.
#include <cstdio>
#include <cstring>
#include <string>

#include "tests/support/picture.h"

int main(int argc, char** argv) {
    if (argc < 4 || (std::strcmp(argv[3], "high") == 0 && argc != 5)) {
        std::fprintf(stderr, "usage: screen_check SHOT GAME_DIR waiting|high DIGITS\n");
        return 2;
    }
    const std::string game = argv[2];
    const pic::Picture shot(argv[1]), font(game + "/text.bmp"), sprites(game + "/sprites.bmp");
    if (shot.rgb.empty() || font.rgb.empty() || sprites.rgb.empty() || shot.w != 1024 || shot.h != 768) {
        std::fprintf(stderr, "screen_check: cannot read a 1024 x 768 screenshot and the game's bitmaps\n");
        return 2;
    }
    bool shown = true;
    if (std::strcmp(argv[3], "waiting") == 0) {
        int line = 0;
        for (const char* text : pic::kFirstHud) {
            const double score = pic::TextMatch(shot, font, text, 0, 8 * line++);
            std::printf("HUD \"%s\": %.2f\n", text, score);
            shown = shown && score > 0.8;
        }
        const double panel = pic::WaitingPanelMatch(shot, sprites);
        std::printf("waiting panel at (442, 323): %.2f\n", panel);
        shown = shown && panel > 0.8;
    } else if (std::strcmp(argv[3], "high") == 0) {
        const double label = pic::TextMatch(shot, font, "High Score: ", 0, pic::kHighScoreY);
        const pic::NumberScore number = pic::NumberMatch(shot, font, argv[4], pic::kHighScoreX, pic::kHighScoreY);
        std::printf("\"High Score: \": %.2f, \"%s\": %.2f (changed digits: %.2f)\n", label, argv[4], number.right,
                    number.other);
        shown = label > 0.6 && number.Shown();
    } else {
        std::fprintf(stderr, "screen_check: unknown check %s\n", argv[3]);
        return 2;
    }
    std::puts(shown ? "shown" : "NOT shown");
    return shown ? 0 : 1;
}
