#include "core/geom/rect.h"

#include "core/geom/geom_errors.h"
#include "support/caught.h"

#include <gtest/gtest.h>

#include <limits>

TEST(Rect, EdgeCornersNullAndDegenerate) {
    const xcPelRect r(1, 2, 3, 4);
    EXPECT_EQ(r.lr(), xcVector<2>(4, 6));
    EXPECT_EQ(r.center(), xcVector<2>(2.5, 4));
    EXPECT_TRUE(xcPelRect(5, 5, 0, 3).isNull());
    EXPECT_TRUE(xcPelRect(5, 5, 3, -1).isNull());
    EXPECT_EQ(xcPelRect(5, 5, -2, 3).area(), 0);
    EXPECT_TRUE(xcRect(0, 0, std::numeric_limits<double>::quiet_NaN(), 1).degen());
    EXPECT_FALSE(xcRect(0, 0, 1e-300, 1e-300).degen());
}

TEST(Rect, IntersectionEnclosureContainmentAndTrim) {
    const xcPelRect a(0, 0, 10, 10), b(5, 6, 10, 10);
    EXPECT_EQ(a.intersect(b), xcPelRect(5, 6, 5, 4));
    EXPECT_EQ(a.enclose(b), xcPelRect(0, 0, 15, 16));
    // Disjoint, and merely touching, give the default null rectangle.
    EXPECT_EQ(a.intersect(xcPelRect(10, 0, 3, 3)), xcPelRect());
    EXPECT_EQ(xcRect(0, 0, 2, 2).intersect(xcRect(1.5, 0.5, 2, 1)), xcRect(1.5, 0.5, 0.5, 1));
    EXPECT_TRUE(a.contains(xcPelRect(2, 3, 8, 7)));
    EXPECT_FALSE(a.contains(xcPelRect(2, 3, 9, 7)));
    // Points: the low edges are inside, the high edges outside.
    EXPECT_TRUE(a.contains(0.0, 0.0));
    EXPECT_FALSE(a.contains(10.0, 5.0) || a.contains(5.0, 10.0));
    // Trim moves edges inwards, negative widens; the last flag stops at zero width.
    const xcPelRect r(10, 10, 5, 5);
    EXPECT_EQ(r.trim(1, 1, 2, 0, false), xcPelRect(11, 12, 3, 3));
    EXPECT_EQ(r.trim(-2, -3, -1, -4, false), xcPelRect(8, 9, 10, 10));
    EXPECT_EQ(r.trim(3, 3, 0, 0, false), xcPelRect(13, 10, -1, 5));
    EXPECT_EQ(r.trim(3, 3, 0, 0, true), xcPelRect(13, 10, 0, 5));
}

TEST(Rect, EnclosePelRectIsExactFloorAndCeilAndRejectsNaNAndHugeValues) {
    // x: 1.5 .. 4.5 -> 1 .. 5; y: -2.25 .. -1.25 -> -3 .. -1.
    EXPECT_EQ(xcRect(1.5, -2.25, 3, 1).enclosePelRect(), xcPelRect(1, -3, 4, 2));
    // No tolerance: a hair past an integer takes the next pel.
    EXPECT_EQ(xcRect(0, 0, 2 + 1e-12, 1).enclosePelRect(), xcPelRect(0, 0, 3, 1));
    EXPECT_EQ(xfRectFromCorners(xcVector<2>(4, 1), xcVector<2>(1, 5)), xcRect(1, 1, 3, 4));
    EXPECT_EQ(xcRect(1e9, 0, 0.5, 1).enclosePelRect(), xcPelRect(1000000000, 0, 1, 1));

    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (const xcRect& bad : {xcRect(nan, 0, 1, 1), xcRect(0, 0, inf, 1), xcRect(0, -1e13, 1, 1)})
        EXPECT_THROW((void)bad.enclosePelRect(), xcGeomDefs::BadParams);
    const auto e = caught<xcGeomDefs::BadParams>([&] { (void)xfEnclosePel(0, 0, 1e300, 1); });
    EXPECT_EQ(std::string(e.what()), "Rectangle coordinates out of range");
    EXPECT_EQ(e.errorNumber(), 0x10000102);
}
