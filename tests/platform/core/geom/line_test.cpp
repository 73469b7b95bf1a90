#include "core/geom/line.h"

#include "core/geom/geom_errors.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>

TEST(Line, NormalFormAngleIsTheDirection) {
    // Direction 90 (running to +y), distance 2: the left normal is (-1, 0), so x = -2.
    const xcLine v(xcDegree(90), 2.0);
    EXPECT_TRUE(xfRealEq(v.point(), xcVector<2>(-2, 0), 1e-15));
    EXPECT_TRUE(xfRealEq(v.direction(), xcVector<2>(0, 1), 1e-15));
    EXPECT_TRUE(xfRealEq(v.normal(), xcVector<2>(-1, 0), 1e-15));
    EXPECT_EQ(xcLine(xcDegree(0), 1.0).point(), xcVector<2>(0, 1));
}

TEST(Line, OffsetDistanceAndProjectionDecomposeEveryPoint) {
    const xcLine l(xcVector<2>(1, 1), xcDegree(90));
    EXPECT_NEAR(l.offset(xcVector<2>(5, 4)), 3.0, 1e-15);
    EXPECT_NEAR(l.distance(xcVector<2>(5, 4)), -4.0, 1e-15);
    EXPECT_TRUE(xfRealEq(l.project(xcVector<2>(5, 4)), xcVector<2>(1, 4), 1e-15));
    EXPECT_TRUE(xfRealEq(l.pointAt(-2.0), xcVector<2>(1, -1), 1e-15));

    std::mt19937 rng(47);
    std::uniform_real_distribution<double> ang(-400.0, 400.0), c(-100.0, 100.0);
    for (int i = 0; i < 500; ++i) {
        const xcLine r(xcVector<2>(c(rng), c(rng)), xcDegree(ang(rng)));
        const xcVector<2> p(c(rng), c(rng));
        // p = point + offset * u + distance * n.
        ASSERT_TRUE(xfRealEq(r.point() + r.direction() * r.offset(p) + r.normal() * r.distance(p),
                             p, 1e-10));
        ASSERT_NEAR(r.distance(r.project(p)), 0.0, 1e-10);
        // The normal form gives the same line back.
        const xcLine n(r.angleDeg(), r.normalDistance());
        ASSERT_NEAR(n.distance(r.point()), 0.0, 1e-10);
        ASSERT_TRUE(xfRealEq(n.direction(), r.direction(), 1e-12));
    }
}
