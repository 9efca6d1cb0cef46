// The box overlap test: corners of either box inside the other, edges included;
// x + w and y + h, one beyond the last pixel, count as inside.
#include "prog/objects/overlap.h"

#include <gtest/gtest.h>

namespace {

TEST(BoxesOverlap, EdgesContainmentAndCrossing) {
    struct Case {
        const char* what;
        int32_t ax, ay;
        uint32_t aw, ah;
        int32_t bx, by;
        uint32_t bw, bh;
        int overlap;
    } cases[] = {
        {"touching right edge", 0, 0, 10, 10, 10, 0, 10, 10, 1},
        {"one beyond right edge", 0, 0, 10, 10, 11, 0, 10, 10, 0},
        {"touching bottom edge", 0, 0, 10, 10, 0, 10, 10, 10, 1},
        {"one beyond bottom edge", 0, 0, 10, 10, 0, 11, 10, 10, 0},
        {"containment", 0, 0, 100, 100, 40, 40, 10, 10, 1},
        {"plus-sign crossing", 10, 0, 5, 100, 0, 40, 100, 5, 0},
        {"corner to the lower right", 0, 0, 10, 10, 8, 8, 10, 10, 1},
        {"corner to the lower left", 0, 0, 10, 10, -8, 8, 10, 10, 1},
        {"point inside", 5, 5, 0, 0, 0, 0, 10, 10, 1},
        {"point outside", 20, 20, 0, 0, 0, 0, 10, 10, 0},
        {"two equal points", 5, 5, 0, 0, 5, 5, 0, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Sprite a{}, b{};
        a.x = c.ax, a.y = c.ay, a.w = c.aw, a.h = c.ah;
        b.x = c.bx, b.y = c.by, b.w = c.bw, b.h = c.bh;
        EXPECT_EQ(BoxesOverlap(&a, &b), c.overlap);
        EXPECT_EQ(BoxesOverlap(&b, &a), c.overlap);  // either order
    }
}

}  // namespace
