#include "core/geom/fit.h"
#include "support/caught.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

xcCircle fit(const std::vector<xcVector<2>>& pts) {
    return xfCircleFit(pts, 0, 1.0, 0, kInf);
}

std::vector<xcVector<2>> arc(const xcCircle& c, double fromDeg, double toDeg, int n) {
    std::vector<xcVector<2>> pts;
    for (int i = 0; i < n; ++i)
        pts.push_back(c.pointAt(xcDegree(fromDeg + (toDeg - fromDeg) * i / (n - 1))));
    return pts;
}

TEST(CircleFit, ExactOnPointsOfKnownCircles) {
    // Full circle, short arc far from the origin, huge coordinates; tolerances in radii.
    const struct {
        xcCircle truth;
        double fromDeg, toDeg, tol;
        int n;
    } cases[] = {{xcCircle(xcVector<2>(3, -2), 5.0), 0, 315, 1e-12, 8},
                 {xcCircle(xcVector<2>(1000, -500), 100.0), 40, 70, 1e-10, 6},
                 {xcCircle(xcVector<2>(1e150, -1e150), 1e148), 0, 270, 1e-7, 7}};
    for (const auto& k : cases) {
        const xcCircle c = fit(arc(k.truth, k.fromDeg, k.toDeg, k.n));
        const double tol = k.tol * k.truth.radius();
        EXPECT_TRUE(xfRealEq(c.centre(), k.truth.centre(), tol)) << k.truth.radius();
        EXPECT_NEAR(c.radius(), k.truth.radius(), tol);
    }
    // The circumscribed circle of a right triangle has its hypotenuse as diameter.
    const xcCircle three = fit({{0, 0}, {2, 0}, {0, 2}});
    EXPECT_TRUE(xfRealEq(three.centre(), xcVector<2>(1, 1), 1e-13));
    EXPECT_NEAR(three.radius(), std::sqrt(2.0), 1e-13);
}

TEST(CircleFit, GeometricRefinementRemovesShortArcBias) {
    // On a 60-degree arc with noise of sigma 2 the algebraic fit alone averages a radius of
    // about 83 instead of 100; the geometric refinement brings it back close to the truth.
    std::mt19937 rng(67);
    std::normal_distribution<double> noise(0.0, 2.0);
    double sumRadius = 0, sumGeomError = 0;
    const int trials = 40;
    for (int k = 0; k < trials; ++k) {
        std::vector<xcVector<2>> pts;
        for (int i = 0; i < 40; ++i)
            pts.push_back(xcVector<2>::polar(xcDegree(30.0 + 60.0 * i / 39), 100.0 + noise(rng)));
        const xcCircle c = fit(pts);
        sumRadius += c.radius();
        for (const auto& p : pts) sumGeomError += c.distance(p) * c.distance(p);
    }
    EXPECT_NEAR(sumRadius / trials, 100.0, 3.0);
    EXPECT_LT(std::sqrt(sumGeomError / (trials * 40)), 2.1); // about the noise
}

TEST(CircleFit, CollinearOrSingularInputGivesRadiusZeroBadInputThrows) {
    const std::vector<std::vector<xcVector<2>>> flat = {
        {{3, 0}, {3, 2}, {3, -9}, {3, 4}},
        {{0, 0}, {1, 1e-13}, {2, 0}}, // within rounding of a line
        {{2, 2}, {2, 2}, {2, 2}},
        {{0, 0}, {1, 0}, {0, 0}, {1, 0}}}; // one or two places
    for (const auto& pts : flat) EXPECT_EQ(fit(pts).radius(), 0.0) << pts.size();
    EXPECT_GT(fit({{0, 0}, {1, 0.01}, {2, 0}}).radius(), 0.0);

    EXPECT_EQ(std::string(caught<xcGeomDefs::BadParams>([&] {
                              (void)fit({{0, 0}, {1, 1}});
                          }).what()),
              "Circle fit needs at least 3 points");
    EXPECT_THROW((void)fit({{0, 0}, {1, 1}, {2, std::nan("")}}), xcGeomDefs::BadParams);
}

} // namespace
