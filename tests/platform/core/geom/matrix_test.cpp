#include "core/geom/matrix.h"

#include "core/geom/geom_errors.h"
#include "support/caught.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <string>

namespace {

constexpr double kPi = std::numbers::pi;

TEST(Matrix, FromAnglesHasScaledRotatedColumnsAndActsOnColumns) {
    const xcMatrix<2> m(xcDegree(30), xcDegree(30), 2.0, 3.0);
    EXPECT_TRUE(xfRealEq(m, xcMatrix<2>(std::sqrt(3.0), -1.5, 1.0, 1.5 * std::sqrt(3.0)), 1e-15));
    // Different x and y rotations shear: column 1 follows the y rotation only.
    EXPECT_TRUE(xfRealEq(xcMatrix<2>(xcDegree(0), xcDegree(90), 1.0, 1.0), xcMatrix<2>(1, -1, 0, 0),
                         1e-15));
    xcMatrix<2> e(1, 2, 3, 4);
    e.element(0, 1, 7.0);
    EXPECT_EQ(e, xcMatrix<2>(1, 7, 3, 4));
    EXPECT_EQ(xcMatrix<2>(1, 2, 3, 4) * xcVector<2>(1, 10), xcVector<2>(21, 43));
    EXPECT_EQ(xcMatrix<2>(1, 2, 3, 4) * xcMatrix<2>(0, 1, 1, 0), xcMatrix<2>(2, 1, 4, 3));
}

TEST(Matrix, DecompositionRoundTripsIncludingMirrors) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> ang(-kPi + 1e-3, kPi - 1e-3), sc(0.05, 20.0);
    auto diff = [](xcRadian a, xcRadian b) { return (a - b).signedNorm().toDouble(); };
    for (int i = 0; i < 2000; ++i) {
        const xcRadian xr(ang(rng)), yr(ang(rng));
        const double xs = sc(rng), ys = sc(rng);
        const xcMatrix<2> m(xr, yr, xs, ys);
        ASSERT_NEAR(diff(m.xRot(), xr), 0.0, 1e-12);
        ASSERT_NEAR(diff(m.skew(), yr - xr), 0.0, 1e-12);
        ASSERT_NEAR(m.yScale(), ys, 1e-12 * ys);
        ASSERT_TRUE(m.skew().toDouble() >= -kPi && m.skew().toDouble() < kPi);
        // A rotation times a reflection (det < 0) shows as skew pi with positive scales.
        const xcMatrix<2> r = xcMatrix<2>::rotation(xr) * xcMatrix<2>(xs, 0, 0, -ys);
        ASSERT_NEAR(std::fabs(r.skew().toDouble()), kPi, 1e-12);
        ASSERT_NEAR(r.xScale(), xs, 1e-12 * xs);
        for (const xcMatrix<2>& a : {m, r})
            ASSERT_TRUE(xfRealEq(xcMatrix<2>(a.xRot(), a.yRot(), a.xScale(), a.yScale()), a,
                                 1e-12 * (xs + ys)))
                << i;
    }
}

TEST(Matrix, InverseRoundTripsAndSingularThrows) {
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> e(-5.0, 5.0);
    for (int i = 0; i < 1000; ++i) {
        const xcMatrix<2> m(e(rng), e(rng), e(rng), e(rng));
        if (std::fabs(m.det()) < 0.1) continue;
        ASSERT_TRUE(xfRealEq(m * m.inverse(), xcMatrix<2>(), 1e-12));
    }
    const auto err = caught<xcGeomDefs::Singular>([&] { (void)xcMatrix<2>(1, 2, 2, 4).inverse(); });
    EXPECT_EQ(std::string(err.what()), "Matrix is singular");
    EXPECT_EQ(err.errorNumber(), 0x10000101);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(xcMatrix<2>(nan, 0, 0, 1).isSingular());
    EXPECT_THROW((void)xcMatrix<2>(nan, 0, 0, 1).inverse(), xcGeomDefs::Singular);
    EXPECT_THROW((void)xcMatrix<2>(1e300, 0, 0, 1e300).inverse(), xcGeomDefs::Singular);
}

} // namespace
