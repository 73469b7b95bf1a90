#include "core/geom/vector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

TEST(Vector, ProductsCrossPerpAndUnit) {
    const xcVector<2> a(3, 4), b(-1, 2);
    EXPECT_EQ(a.dot(b), 5.0);
    EXPECT_EQ(a.distance(b), std::hypot(4.0, 2.0));
    // +x turned by +90 degrees is +y (clockwise on a y-down screen).
    const xcVector<2> x(1, 0), y(0, 1);
    EXPECT_EQ(x.cross(y), 1.0);
    EXPECT_EQ(x.perp(), y);
    EXPECT_EQ(xcVector<2>(-1, 0).angle().toDouble(), std::numbers::pi);
    EXPECT_TRUE(xfRealEq(xcVector<2>::polar(xcDegree(90), 2.0), xcVector<2>(0, 2), 1e-15));
    EXPECT_EQ(xcVector<2>().unit(), xcVector<2>());
    EXPECT_DOUBLE_EQ(xcVector<2>(3, -4).unit().y(), -0.8);
}

TEST(Vector, RealEqIsInclusiveAndRejectsNaN) {
    EXPECT_TRUE(xfRealEq(1.0, 1.5, 0.5));
    EXPECT_FALSE(xfRealEq(1.0, 1.5000001, 0.5));
    EXPECT_FALSE(xfRealEq(std::numeric_limits<double>::quiet_NaN(), 0.0, 1e300));
    EXPECT_FALSE(xfRealEq(xcVector<2>(1, 2), xcVector<2>(1, 2.2), 0.1));
}
