// The box overlap test: corners of either box inside the other, edges included.
#include "prog/objects/overlap.h"

#include <gtest/gtest.h>

namespace {

Sprite Box(int32_t x, int32_t y, uint32_t w, uint32_t h) {
    Sprite s{};
    s.x = x;
    s.y = y;
    s.w = w;
    s.h = h;
    return s;
}

TEST(PointInBox, EdgesAreInside) {
    EXPECT_EQ(PointInBox(10, 20, 10, 20, 5, 5), 1);  // top-left corner
    EXPECT_EQ(PointInBox(15, 25, 10, 20, 5, 5), 1);  // bx + bw, by + bh: one beyond the pixels
    EXPECT_EQ(PointInBox(9, 22, 10, 20, 5, 5), 0);
    EXPECT_EQ(PointInBox(16, 22, 10, 20, 5, 5), 0);
    EXPECT_EQ(PointInBox(12, 19, 10, 20, 5, 5), 0);
    EXPECT_EQ(PointInBox(12, 26, 10, 20, 5, 5), 0);
}

TEST(PointInBox, NegativeCoordinates) {
    EXPECT_EQ(PointInBox(-5, -5, -10, -10, 5, 5), 1);
    EXPECT_EQ(PointInBox(-4, -5, -10, -10, 5, 5), 0);
}

TEST(BoxesOverlap, TouchingEdgesOverlap) {
    Sprite a = Box(0, 0, 10, 10), b = Box(10, 0, 10, 10);
    EXPECT_EQ(BoxesOverlap(&a, &b), 1);
    EXPECT_EQ(BoxesOverlap(&b, &a), 1);
    Sprite c = Box(11, 0, 10, 10);
    EXPECT_EQ(BoxesOverlap(&a, &c), 0);
    Sprite d = Box(0, 10, 10, 10), e = Box(0, 11, 10, 10);
    EXPECT_EQ(BoxesOverlap(&a, &d), 1);
    EXPECT_EQ(BoxesOverlap(&a, &e), 0);
}

TEST(BoxesOverlap, ContainmentEitherWay) {
    Sprite outer = Box(0, 0, 100, 100), inner = Box(40, 40, 10, 10);
    EXPECT_EQ(BoxesOverlap(&outer, &inner), 1);  // found by the inner box's corners
    EXPECT_EQ(BoxesOverlap(&inner, &outer), 1);  // found by the outer box containing them
}

TEST(BoxesOverlap, PlusSignCrossingIsNoOverlap) {
    Sprite a = Box(10, 0, 5, 100), b = Box(0, 40, 100, 5);
    EXPECT_EQ(BoxesOverlap(&a, &b), 0);
    EXPECT_EQ(BoxesOverlap(&b, &a), 0);
}

TEST(BoxesOverlap, ZeroSizedBoxesActAsPoints) {
    Sprite p = Box(5, 5, 0, 0), box = Box(0, 0, 10, 10), far = Box(20, 20, 0, 0);
    EXPECT_EQ(BoxesOverlap(&p, &box), 1);
    EXPECT_EQ(BoxesOverlap(&box, &p), 1);
    EXPECT_EQ(BoxesOverlap(&far, &box), 0);
    Sprite q = Box(5, 5, 0, 0);
    EXPECT_EQ(BoxesOverlap(&p, &q), 1);
}

TEST(BoxesOverlap, PartialOverlapAtOneCorner) {
    Sprite a = Box(0, 0, 10, 10), b = Box(8, 8, 10, 10);
    EXPECT_EQ(BoxesOverlap(&a, &b), 1);
    Sprite c = Box(-8, 8, 10, 10);
    EXPECT_EQ(BoxesOverlap(&a, &c), 1);
}

}  // namespace
