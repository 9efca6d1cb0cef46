// Placing the 4:3 picture in windows of any size, its scaling steps, and the
// pointer mapping between window and picture pixels.
#include "platform/picture_fit.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

typedef std::pair<int, int> Point;

Point ToPicture(const PictureFit& f, int x, int y) {
    Point p;
    PictureFitToPicture(f, 1024, 768, x, y, &p.first, &p.second);
    return p;
}

struct FitCase {
    int windowW, windowH, maxSide;
    PictureFit expected;
};

TEST(PictureFit, LetterBoxedRectangleAndScalingSteps) {
    const FitCase cases[] = {
        {1024, 768, 0, {0, 0, 1024, 768, 1, false}},        // one to one
        {1366, 768, 0, {171, 0, 1024, 768, 1, false}},      // bars at the sides, still one to one
        {2048, 1536, 0, {0, 0, 2048, 1536, 2, false}},      // a whole multiple: nearest-neighbour only
        {1920, 1080, 0, {240, 0, 1440, 1080, 2, true}},     // twice, then smoothed down
        {2560, 1440, 0, {320, 0, 1920, 1440, 2, true}},     //
        {3840, 2160, 0, {480, 0, 2880, 2160, 3, true}},     //
        {3840, 2160, 2048, {480, 0, 2880, 2160, 2, true}},  // the largest texture allowed
        {3840, 2160, 1000, {480, 0, 2880, 2160, 1, true}},  // none larger than the picture: smoothed up
        {1280, 1024, 0, {0, 32, 1280, 960, 2, true}},       // bars above and below
        {1000, 1000, 0, {0, 125, 1000, 750, 1, true}},      // smaller than the picture
        {3, 1, 0, {1, 0, 1, 1, 1, true}},                   // never thinner than a pixel
        {0, 768, 0, {0, 0, 0, 0, 1, false}},                // no window
    };
    for (const FitCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.windowW << "x" << c.windowH << " max " << c.maxSide);
        const PictureFit f = PictureFitMake(c.windowW, c.windowH, 1024, 768, c.maxSide);
        const PictureFit& e = c.expected;
        EXPECT_EQ((std::vector<int>{f.x, f.y, f.w, f.h, f.prescale, f.smooth}),
                  (std::vector<int>{e.x, e.y, e.w, e.h, e.prescale, e.smooth}));
    }
}

// Every picture pixel's centre lands in a window pixel that maps back to it,
// at every size that shows the picture at least at its own size; the bars
// map outside the picture, and the corners to its corners.
TEST(PictureFit, PointerMappingRoundTripsAndBars) {
    const int sizes[][2] = {{1024, 768}, {1920, 1080}, {2560, 1440}, {1280, 1024}, {1600, 1200}, {3840, 2160}};
    for (const auto& s : sizes) {
        SCOPED_TRACE(testing::Message() << s[0] << "x" << s[1]);
        const PictureFit f = PictureFitMake(s[0], s[1], 1024, 768, 0);
        int wx = 0, wy = 0, px = 0, py = 0;
        for (int p = 0; p < 1024; ++p) {
            PictureFitToWindow(f, 1024, 768, p, p * 3 / 4, &wx, &wy);
            PictureFitToPicture(f, 1024, 768, wx, wy, &px, &py);
            ASSERT_EQ(px, p);
            ASSERT_EQ(py, p * 3 / 4);
        }
        EXPECT_EQ(ToPicture(f, f.x, f.y), Point(0, 0));
        EXPECT_EQ(ToPicture(f, f.x + f.w - 1, f.y + f.h - 1), Point(1023, 767));
        EXPECT_EQ(ToPicture(f, f.x - 1, f.y - 1), Point(-1, -1));
        EXPECT_EQ(ToPicture(f, f.x + f.w, f.y + f.h), Point(1024, 768));
    }
    const PictureFit hd = PictureFitMake(1920, 1080, 1024, 768, 0);
    Point w;
    PictureFitToWindow(hd, 1024, 768, 504, 393, &w.first, &w.second);
    EXPECT_EQ(w, Point(949, 553));
    // By the window pixel's centre: 760.5 / 1.40625 = 540.8, 600.5 / 1.40625 = 427.02.
    EXPECT_EQ(ToPicture(hd, 1000, 600), Point(540, 427));
}

}  // namespace
