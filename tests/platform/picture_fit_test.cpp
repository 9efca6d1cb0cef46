#include "platform/picture_fit.h"

#include <gtest/gtest.h>

#include <vector>

TEST(PictureFit, LetterBoxedRectangleAndScalingSteps) {
    const int cases[][9] = {
        // window width, height, largest texture side; x, y, w, h, prescale, smooth
        {1024, 768, 0, 0, 0, 1024, 768, 1, 0},         // one to one
        {1366, 768, 0, 171, 0, 1024, 768, 1, 0},       // bars at the sides, still one to one
        {2048, 1536, 0, 0, 0, 2048, 1536, 2, 0},       // a whole multiple: nearest-neighbour only
        {1920, 1080, 0, 240, 0, 1440, 1080, 2, 1},     // twice, then smoothed down
        {3840, 2160, 0, 480, 0, 2880, 2160, 3, 1},     // three times
        {3840, 2160, 2048, 480, 0, 2880, 2160, 2, 1},  // the largest texture allowed
        {3840, 2160, 1000, 480, 0, 2880, 2160, 1, 1},  // none larger than the picture: smoothed up
        {1280, 1024, 0, 0, 32, 1280, 960, 2, 1},       // bars above and below
        {1000, 1000, 0, 0, 125, 1000, 750, 1, 1},      // smaller than the picture
        {3, 1, 0, 1, 0, 1, 1, 1, 1},                   // never thinner than a pixel
        {0, 768, 0, 0, 0, 0, 0, 1, 0},                 // no window
    };
    for (const auto& c : cases) {
        const PictureFit f = PictureFitMake(c[0], c[1], 1024, 768, c[2]);
        EXPECT_EQ(std::vector<int>({f.x, f.y, f.w, f.h, f.prescale, f.smooth}), std::vector<int>(c + 3, c + 9)) << c[0];
    }
}

// Sizes showing the picture at least at its own size round-trip each pixel centre; bars map outside.
TEST(PictureFit, PointerMappingRoundTripsAndBars) {
    std::vector<int> p(2);
    auto picture = [&](const PictureFit& f, int x, int y) {
        PictureFitToPicture(f, 1024, 768, x, y, &p[0], &p[1]);
        return p;
    };
    for (const auto& size : {std::pair(1024, 768), {1920, 1080}, {1280, 1024}, {1600, 1200}, {3840, 2160}}) {
        const PictureFit f = PictureFitMake(size.first, size.second, 1024, 768, 0);
        for (int i = 0, x = 0, y = 0; i < 1024; ++i) {
            PictureFitToWindow(f, 1024, 768, i, i * 3 / 4, &x, &y);
            ASSERT_EQ(picture(f, x, y), std::vector<int>({i, i * 3 / 4})) << size.first;
        }
        EXPECT_EQ(picture(f, f.x - 1, f.y - 1), std::vector<int>({-1, -1}));
        EXPECT_EQ(picture(f, f.x + f.w, f.y + f.h), std::vector<int>({1024, 768}));
    }
    // 760.5 / 1.40625 = 540.8 and 600.5 / 1.40625 = 427.02
    EXPECT_EQ(picture(PictureFitMake(1920, 1080, 1024, 768, 0), 1000, 600), std::vector<int>({540, 427}));
}
