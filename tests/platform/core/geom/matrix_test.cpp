#include "core/geom/matrix.h"

#include "core/geom/geom_errors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <string>

namespace {

constexpr double kPi = std::numbers::pi;

// Difference of two angles as a direction, in [-pi, pi).
double angleDiff(xcRadian a, xcRadian b) {
    return (a - b).signedNorm().toDouble();
}

TEST(Matrix, FromAnglesHasScaledRotatedColumns) {
    const xcMatrix<2> m(xcDegree(30), xcDegree(30), 2.0, 3.0);
    EXPECT_NEAR(m.a(), 2 * std::sqrt(3.0) / 2, 1e-15);
    EXPECT_NEAR(m.b(), -3 * 0.5, 1e-15);
    EXPECT_NEAR(m.c(), 2 * 0.5, 1e-15);
    EXPECT_NEAR(m.d(), 3 * std::sqrt(3.0) / 2, 1e-15);
    // Different x and y rotations shear: column 1 follows the y rotation only.
    const xcMatrix<2> s(xcDegree(0), xcDegree(90), 1.0, 1.0);
    EXPECT_NEAR(s.a(), 1.0, 1e-15);
    EXPECT_NEAR(s.c(), 0.0, 1e-15);
    EXPECT_NEAR(s.b(), -1.0, 1e-15);
    EXPECT_NEAR(s.d(), 0.0, 1e-15);
    EXPECT_EQ(xcMatrix<2>::rotation(xcDegree(90), 2.0).c(), 2.0);
    EXPECT_TRUE(xcMatrix<2>().isIdentity());
    EXPECT_EQ(xcMatrix<2>::identity(), xcMatrix<2>(1, 0, 0, 1));
}

TEST(Matrix, ElementsByRowAndColumn) {
    xcMatrix<2> m(1, 2, 3, 4);
    EXPECT_EQ(m.element(0, 0), 1.0);
    EXPECT_EQ(m.element(0, 1), 2.0);
    EXPECT_EQ(m.element(1, 0), 3.0);
    EXPECT_EQ(m.element(1, 1), 4.0);
    m.element(0, 1, 7.0);
    EXPECT_EQ(m, xcMatrix<2>(1, 7, 3, 4));
    EXPECT_EQ(m.det(), 4.0 - 21.0);
    EXPECT_EQ(m.trace(), 5.0);
    EXPECT_EQ(m.transpose(), xcMatrix<2>(1, 3, 7, 4));
    // Acting on column vectors: (a x + b y, c x + d y).
    EXPECT_EQ(xcMatrix<2>(1, 2, 3, 4) * xcVector<2>(1, 10), xcVector<2>(21, 43));
    EXPECT_EQ(xcMatrix<2>(1, 2, 3, 4) * xcMatrix<2>(0, 1, 1, 0), xcMatrix<2>(2, 1, 4, 3));
}

TEST(Matrix, DecompositionRoundTripsForRandomAnglesAndScales) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> ang(-kPi + 1e-3, kPi - 1e-3), sc(0.05, 20.0);
    for (int i = 0; i < 2000; ++i) {
        const xcRadian xr(ang(rng)), yr(ang(rng));
        const double xs = sc(rng), ys = sc(rng);
        const xcMatrix<2> m(xr, yr, xs, ys);
        ASSERT_NEAR(angleDiff(m.xRot(), xr), 0.0, 1e-12);
        ASSERT_NEAR(angleDiff(m.yRot(), yr), 0.0, 1e-12);
        ASSERT_NEAR(m.xScale(), xs, 1e-12 * xs);
        ASSERT_NEAR(m.yScale(), ys, 1e-12 * ys);
        ASSERT_NEAR(angleDiff(m.skew(), yr - xr), 0.0, 1e-12);
        ASSERT_GE(m.skew().toDouble(), -kPi);
        ASSERT_LT(m.skew().toDouble(), kPi);
        const xcMatrix<2> back(m.xRot(), m.yRot(), m.xScale(), m.yScale());
        ASSERT_TRUE(xfRealEq(back, m, 1e-12 * (xs + ys))) << i;
    }
}

TEST(Matrix, MirrorShowsAsSkewPiWithPositiveScales) {
    const xcMatrix<2> flipY(1, 0, 0, -1);
    EXPECT_EQ(flipY.xScale(), 1.0);
    EXPECT_EQ(flipY.yScale(), 1.0);
    EXPECT_EQ(flipY.xRot().toDouble(), 0.0);
    EXPECT_NEAR(std::fabs(flipY.skew().toDouble()), kPi, 1e-15);
    EXPECT_TRUE(xfRealEq(xcMatrix<2>(flipY.xRot(), flipY.yRot(), 1, 1), flipY, 1e-15));

    std::mt19937 rng(5);
    std::uniform_real_distribution<double> ang(-kPi, kPi), sc(0.1, 10.0);
    for (int i = 0; i < 1000; ++i) {
        // A rotation times a reflection: det < 0.
        const double a = ang(rng), sx = sc(rng), sy = sc(rng);
        const xcMatrix<2> m = xcMatrix<2>::rotation(xcRadian(a)) * xcMatrix<2>(sx, 0, 0, -sy);
        ASSERT_LT(m.det(), 0.0);
        ASSERT_NEAR(std::fabs(m.skew().toDouble()), kPi, 1e-12);
        ASSERT_NEAR(m.xScale(), sx, 1e-12 * sx);
        ASSERT_NEAR(m.yScale(), sy, 1e-12 * sy);
        const xcMatrix<2> back(m.xRot(), m.yRot(), m.xScale(), m.yScale());
        ASSERT_TRUE(xfRealEq(back, m, 1e-12 * (sx + sy))) << i;
    }
}

TEST(Matrix, InverseRoundTripsAndSingularThrows) {
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> e(-5.0, 5.0);
    for (int i = 0; i < 1000; ++i) {
        const xcMatrix<2> m(e(rng), e(rng), e(rng), e(rng));
        if (std::fabs(m.det()) < 0.1) continue;
        ASSERT_TRUE(xfRealEq(m * m.inverse(), xcMatrix<2>(), 1e-12));
        ASSERT_TRUE(xfRealEq(m.inverse() * m, xcMatrix<2>(), 1e-12));
    }
    EXPECT_EQ(xcMatrix<2>(2, 0, 0, 4).inverse(), xcMatrix<2>(0.5, 0, 0, 0.25));

    const xcMatrix<2> singular(1, 2, 2, 4);
    EXPECT_TRUE(singular.isSingular());
    try {
        (void)singular.inverse();
        FAIL() << "no exception";
    } catch (const xcGeomDefs::Singular& e) {
        EXPECT_EQ(std::string(e.what()), "Matrix is singular");
        EXPECT_EQ(e.errorNumber(), 0x10000101);
    }
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(xcMatrix<2>(nan, 0, 0, 1).isSingular());
    EXPECT_THROW((void)xcMatrix<2>(nan, 0, 0, 1).inverse(), xcGeomDefs::Singular);
    EXPECT_THROW((void)xcMatrix<2>(1e300, 0, 0, 1e300).inverse(), xcGeomDefs::Singular);
}

} // namespace
