#include "core/geom/fit.h"

#include "core/geom/matrix.h"
#include "support/caught.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <string>

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

xcLine fit(const std::vector<xcVector<2>>& pts) {
    return xfLineFit(pts, 0, 0, kInf);
}

TEST(LineFit, AxisAndDiagonalLinesHaveExactAnglesAndSignedDistances) {
    const struct {
        std::vector<xcVector<2>> pts;
        double angleDeg, distance;
    } cases[] = {
        {{{0, 1}, {5, 1}, {10, 1}}, 0, 1},
        {{{10, 1}, {5, 1}, {0, 1}}, 0, 1}, // the order of the points does not turn the line
        {{{-3, -2}, {4, -2}}, 0, -2},
        // Vertical: +90, never -90. The left normal of +y is (-1, 0), so x = 3 is at -3.
        {{{3, 0}, {3, 2}, {3, 7}}, 90, -3},
        {{{-2, 9}, {-2, -1}}, 90, 2},
        {{{0, 0}, {1, 1}, {2, 2}}, 45, 0},
        // y = 5 - x: nearest point to the origin (2.5, 2.5), along n = (sin 45, cos 45).
        {{{0, 5}, {1, 4}, {2, 3}}, -45, 5 / std::sqrt(2.0)},
    };
    for (const auto& k : cases) {
        const xcLine l = fit(k.pts);
        EXPECT_NEAR(l.angleDeg().toDouble(), k.angleDeg, 1e-12) << k.pts[0].x();
        EXPECT_NEAR(l.normalDistance(), k.distance, 1e-12) << k.pts[0].x();
    }
    EXPECT_EQ(fit({{0, 1}, {5, 1}, {10, 1}}).point(), xcVector<2>(0, 1));
}

TEST(LineFit, IsOrthogonalRegressionNotOrdinary) {
    // A cross of points, long along x, turned by 30 degrees. Total least squares finds 30
    // degrees exactly; regressing y on x would give about 21.8 degrees.
    std::vector<xcVector<2>> pts;
    const xcMatrix<2> r = xcMatrix<2>::rotation(xcDegree(30));
    for (const xcVector<2> p :
         {xcVector<2>(2, 0), xcVector<2>(-2, 0), xcVector<2>(0, 1), xcVector<2>(0, -1)})
        pts.push_back(r * p + xcVector<2>(10, 20));
    const xcLine l = fit(pts);
    EXPECT_NEAR(l.angleDeg().toDouble(), 30.0, 1e-12);
    EXPECT_NEAR(l.distance(xcVector<2>(10, 20)), 0.0, 1e-12);
}

TEST(LineFit, AngleAlwaysInHalfOpenRangeAndNoisyFitsWithinTolerance) {
    std::mt19937 rng(53);
    std::uniform_real_distribution<double> ang(-180.0, 180.0), c(-100.0, 100.0);
    for (int i = 0; i < 500; ++i) {
        const double a = ang(rng);
        const xcLine truth(xcVector<2>(c(rng), c(rng)), xcDegree(a));
        const std::vector<xcVector<2>> pts = {truth.pointAt(-10), truth.pointAt(3),
                                              truth.pointAt(25)};
        const double got = fit(pts).angleDeg().toDouble();
        ASSERT_TRUE(got > -90.0 && got <= 90.0) << a;
        // Same line: equal direction modulo 180 degrees, and the points lie on it.
        ASSERT_NEAR(xcDegree(2 * (got - a)).signedNorm().toDouble(), 0.0, 1e-9) << a;
        for (const auto& p : pts) ASSERT_NEAR(fit(pts).distance(p), 0.0, 1e-9);
    }
    // 200 points on the line at 25 degrees, distance 7, with +-0.05 perpendicular noise.
    std::uniform_real_distribution<double> t(-50.0, 50.0), noise(-0.05, 0.05);
    const xcLine truth(xcDegree(25), 7.0);
    std::vector<xcVector<2>> pts;
    for (int i = 0; i < 200; ++i)
        pts.push_back(truth.pointAt(t(rng)) + truth.normal() * noise(rng));
    const xcLine l = fit(pts);
    EXPECT_NEAR(l.angleDeg().toDouble(), 25.0, 0.01);
    EXPECT_NEAR(l.normalDistance(), 7.0, 0.01);
    std::shuffle(pts.begin(), pts.end(), rng);
    EXPECT_NEAR(fit(pts).normalDistance(), l.normalDistance(), 1e-10);
}

TEST(LineFit, DegenerateAndBadInput) {
    EXPECT_NEAR(fit({{4, -2}, {4, -2}, {4, -2}}).distance(xcVector<2>(4, -2)), 0.0, 1e-14);
    // Huge coordinates do not overflow.
    const xcLine big = fit({{1e200, 1e199}, {2e200, 1e199}, {3e200, 1e199}});
    EXPECT_EQ(big.angleDeg().toDouble(), 0.0);
    EXPECT_NEAR(big.normalDistance() / 1e199, 1.0, 1e-12);
    EXPECT_EQ(std::string(caught<xcGeomDefs::BadParams>([&] {
                              (void)fit({{1, 1}});
                          }).what()),
              "Line fit needs at least 2 points");
    EXPECT_THROW((void)fit({{0, 0}, {std::nan(""), 1}}), xcGeomDefs::BadParams);
}

} // namespace
