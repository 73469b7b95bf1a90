#include "core/geom/rect.h"

#include "core/geom/geom_errors.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(Rect, CornersAreEdgeCorners) {
    const xcPelRect r(1, 2, 3, 4);
    EXPECT_EQ(r.ul(), xcVector<2>(1, 2));
    EXPECT_EQ(r.ur(), xcVector<2>(4, 2));
    EXPECT_EQ(r.ll(), xcVector<2>(1, 6));
    EXPECT_EQ(r.lr(), xcVector<2>(4, 6));
    EXPECT_EQ(r.center(), xcVector<2>(2.5, 4));
    EXPECT_EQ(r.right(), 4);
    EXPECT_EQ(r.bottom(), 6);
    EXPECT_EQ(r.area(), 12);
    const xcRect d(0.5, 1.5, 2, 1);
    EXPECT_EQ(d.lr(), xcVector<2>(2.5, 2.5));
    EXPECT_EQ(d.center(), xcVector<2>(1.5, 2));
}

TEST(Rect, NullAndDegenerate) {
    EXPECT_TRUE(xcPelRect().isNull());
    EXPECT_TRUE(xcPelRect(5, 5, 0, 3).isNull());
    EXPECT_TRUE(xcPelRect(5, 5, 3, -1).isNull());
    EXPECT_FALSE(xcPelRect(5, 5, 1, 1).isNull());
    EXPECT_EQ(xcPelRect(5, 5, -2, 3).area(), 0);
    EXPECT_TRUE(xcRect().degen());
    EXPECT_TRUE(xcRect(0, 0, std::numeric_limits<double>::quiet_NaN(), 1).degen());
    EXPECT_FALSE(xcRect(0, 0, 1e-300, 1e-300).degen());
}

TEST(Rect, IntersectionAndEnclosure) {
    const xcPelRect a(0, 0, 10, 10), b(5, 6, 10, 10);
    EXPECT_EQ(a.intersect(b), xcPelRect(5, 6, 5, 4));
    EXPECT_EQ(b.intersect(a), xcPelRect(5, 6, 5, 4));
    EXPECT_EQ(a.enclose(b), xcPelRect(0, 0, 15, 16));
    // Disjoint, and merely touching, give the default null rectangle.
    EXPECT_EQ(a.intersect(xcPelRect(20, 20, 3, 3)), xcPelRect());
    EXPECT_EQ(a.intersect(xcPelRect(10, 0, 3, 3)), xcPelRect());
    EXPECT_EQ(xcRect(0, 0, 1, 1).intersect(xcRect(2, 2, 1, 1)), xcRect());
    EXPECT_EQ(xcRect(0, 0, 2, 2).intersect(xcRect(1.5, 0.5, 2, 1)), xcRect(1.5, 0.5, 0.5, 1));
}

TEST(Rect, Containment) {
    const xcPelRect a(0, 0, 10, 10);
    EXPECT_TRUE(a.contains(a));
    EXPECT_TRUE(a.contains(xcPelRect(2, 3, 8, 7)));
    EXPECT_FALSE(a.contains(xcPelRect(2, 3, 9, 7)));
    EXPECT_FALSE(a.contains(xcPelRect(-1, 0, 1, 1)));
    // Points: the low edges are inside, the high edges outside.
    EXPECT_TRUE(a.contains(0.0, 0.0));
    EXPECT_TRUE(a.contains(9.999, 9.999));
    EXPECT_FALSE(a.contains(10.0, 5.0));
    EXPECT_FALSE(a.contains(5.0, 10.0));
}

TEST(Rect, TrimMovesEdgesInwardsAndNegativeWidens) {
    const xcPelRect r(10, 10, 5, 5);
    EXPECT_EQ(r.trim(1, 1, 2, 0, false), xcPelRect(11, 12, 3, 3));
    EXPECT_EQ(r.trim(-2, -3, -1, -4, false), xcPelRect(8, 9, 10, 10));
    EXPECT_EQ(r.trim(3, 3, 0, 0, false), xcPelRect(13, 10, -1, 5));
    EXPECT_EQ(r.trim(3, 3, 0, 0, true), xcPelRect(13, 10, 0, 5));
    EXPECT_EQ(r.translate(-10, 5), xcPelRect(0, 15, 5, 5));
}

TEST(Rect, EnclosePelRectIsExactFloorAndCeil) {
    EXPECT_EQ(xcRect(1, 2, 3, 4).enclosePelRect(), xcPelRect(1, 2, 3, 4));
    EXPECT_EQ(xcRect(-7, -3, 2, 1).enclosePelRect(), xcPelRect(-7, -3, 2, 1));
    // x: 1.5 .. 4.5 -> 1 .. 5; y: -2.25 .. -1.25 -> -3 .. -1.
    EXPECT_EQ(xcRect(1.5, -2.25, 3, 1).enclosePelRect(), xcPelRect(1, -3, 4, 2));
    // No tolerance: a hair past an integer takes the next pel.
    EXPECT_EQ(xcRect(0, 0, 2 + 1e-12, 1).enclosePelRect(), xcPelRect(0, 0, 3, 1));
    EXPECT_EQ(xfEnclosePel(0.1, 0.9, 0.2, 1.0), xcPelRect(0, 0, 1, 1));
    EXPECT_EQ(xfToRect(xcPelRect(1, 2, 3, 4)), xcRect(1, 2, 3, 4));
    EXPECT_EQ(xfRectFromCorners(xcVector<2>(4, 1), xcVector<2>(1, 5)), xcRect(1, 1, 3, 4));
}

TEST(Rect, EnclosePelRectRejectsNaNAndHugeValues) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_THROW((void)xcRect(nan, 0, 1, 1).enclosePelRect(), xcGeomDefs::BadParams);
    EXPECT_THROW((void)xcRect(0, 0, inf, 1).enclosePelRect(), xcGeomDefs::BadParams);
    EXPECT_THROW((void)xcRect(0, -1e13, 1, 1).enclosePelRect(), xcGeomDefs::BadParams);
    try {
        (void)xfEnclosePel(0, 0, 1e300, 1);
        FAIL() << "no exception";
    } catch (const xcGeomDefs::BadParams& e) {
        EXPECT_EQ(std::string(e.what()), "Rectangle coordinates out of range");
        EXPECT_EQ(e.errorNumber(), 0x10000102);
    }
    // Large but sane coordinates pass.
    EXPECT_EQ(xcRect(1e9, 0, 0.5, 1).enclosePelRect(), xcPelRect(1000000000, 0, 1, 1));
}

} // namespace
