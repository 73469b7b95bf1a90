#include "core/geom/xform.h"

#include "core/geom/geom_errors.h"

#include <gtest/gtest.h>

#include <numbers>
#include <random>

namespace {

constexpr double kPi = std::numbers::pi;

xcXform<2> randomXform(std::mt19937& rng) {
    std::uniform_real_distribution<double> ang(-kPi, kPi), sc(0.2, 5.0), t(-100.0, 100.0);
    return xcXform<2>(xcMatrix<2>(xcRadian(ang(rng)), xcRadian(ang(rng)), sc(rng), sc(rng)),
                      xcVector<2>(t(rng), t(rng)));
}

TEST(Xform, MapsByMatrixThenTranslation) {
    // Rotation by +90 degrees, then a shift by (10, 20): (1, 0) -> (0, 1) -> (10, 21).
    const xcXform<2> x(xcMatrix<2>(0, -1, 1, 0), xcVector<2>(10, 20));
    EXPECT_EQ(x.mapPoint(xcVector<2>(1, 0)), xcVector<2>(10, 21));
    EXPECT_EQ(x * xcVector<2>(0, 2), xcVector<2>(8, 20));
    EXPECT_EQ(x.mapVector(xcVector<2>(1, 0)), xcVector<2>(0, 1));
    EXPECT_TRUE(xcXform<2>().isIdentity());
    EXPECT_FALSE(xcXform<2>::translation(xcVector<2>(0, 1e-300)).isIdentity());
    EXPECT_EQ(xcXform<2>::translation(xcVector<2>(2, 3)).mapPoint(xcVector<2>(1, 1)),
              xcVector<2>(3, 4));
}

TEST(Xform, ProductAppliesTheRightFactorFirst) {
    const xcXform<2> shift = xcXform<2>::translation(xcVector<2>(5, 0));
    const xcXform<2> rot(xcMatrix<2>(0, -1, 1, 0), xcVector<2>());
    // shift * rot: rotate first, then shift.
    EXPECT_EQ((shift * rot).mapPoint(xcVector<2>(1, 0)), xcVector<2>(5, 1));
    EXPECT_EQ((rot * shift).mapPoint(xcVector<2>(1, 0)), xcVector<2>(0, 6));

    std::mt19937 rng(17);
    std::uniform_real_distribution<double> c(-50.0, 50.0);
    for (int i = 0; i < 500; ++i) {
        const xcXform<2> x = randomXform(rng), y = randomXform(rng);
        const xcVector<2> p(c(rng), c(rng));
        const xcVector<2> direct = x.mapPoint(y.mapPoint(p));
        ASSERT_TRUE(xfRealEq((x * y).mapPoint(p), direct, 1e-9));
        ASSERT_EQ(x.compose(y), x * y);
    }
}

TEST(Xform, InverseRoundTrips) {
    std::mt19937 rng(23);
    std::uniform_real_distribution<double> c(-50.0, 50.0);
    for (int i = 0; i < 500; ++i) {
        const xcXform<2> x = randomXform(rng);
        if (std::fabs(x.det()) < 0.05) continue;
        ASSERT_TRUE(xfRealEq(x * x.inverse(), xcXform<2>(), 1e-9)) << i;
        ASSERT_TRUE(xfRealEq(x.inverse() * x, xcXform<2>(), 1e-9)) << i;
        const xcVector<2> p(c(rng), c(rng));
        ASSERT_TRUE(xfRealEq(x.inverse().mapPoint(x.mapPoint(p)), p, 1e-9));
    }
}

TEST(Xform, SingularInverseThrows) {
    const xcXform<2> flat(xcMatrix<2>(1, 1, 1, 1), xcVector<2>(3, 4));
    EXPECT_THROW((void)flat.inverse(), xcGeomDefs::Singular);
    EXPECT_THROW((void)xcXform<2>(xcMatrix<2>(0, 0, 0, 0), xcVector<2>()).inverse(),
                 xcGeomDefs::Singular);
}

TEST(Xform, FiveArgumentConstructorPlacesATurnedScaledObject) {
    std::mt19937 rng(29);
    std::uniform_real_distribution<double> ang(-kPi, kPi), sc(0.1, 10.0), t(-100.0, 100.0);
    for (int i = 0; i < 200; ++i) {
        const xcVector<2> tr(t(rng), t(rng));
        const double s = sc(rng);
        const xcRadian a(ang(rng));
        const xcXform<2> x(tr, s, 1.0, xcRadian(0), a);
        const xcXform<2> expected =
            xcXform<2>::translation(tr) * xcXform<2>(xcMatrix<2>::rotation(a) * s, xcVector<2>());
        ASSERT_TRUE(xfRealEq(x, expected, 1e-12 * (1 + s)));
        ASSERT_NEAR((x.xRot() - a).signedNorm().toDouble(), 0.0, 1e-12);
        ASSERT_NEAR(x.xScale(), s, 1e-12 * s);
    }
    // (0, 0) lands on the translation and (1, 0) one scaled unit along the rotation.
    const xcXform<2> x(xcVector<2>(7, 8), 2.0, 1.0, xcRadian(0), xcDegree(90));
    EXPECT_TRUE(xfRealEq(x.mapPoint(xcVector<2>(1, 0)), xcVector<2>(7, 10), 1e-14));
    // Aspect scales the y side, shear turns it further.
    const xcXform<2> sheared(xcVector<2>(), 2.0, 1.5, xcDegree(90), xcRadian(0));
    EXPECT_TRUE(xfRealEq(sheared.matrix(), xcMatrix<2>(2, -3, 0, 0), 1e-14));
}

TEST(Xform, DecompositionAccessorsFollowTheMatrix) {
    const xcXform<2> x(xcMatrix<2>(xcDegree(30), xcDegree(40), 2.0, 3.0), xcVector<2>(1, 2));
    EXPECT_NEAR(xcDegree(x.xRot()).toDouble(), 30.0, 1e-12);
    EXPECT_NEAR(xcDegree(x.yRot()).toDouble(), 40.0, 1e-12);
    EXPECT_NEAR(xcDegree(x.skew()).toDouble(), 10.0, 1e-12);
    EXPECT_NEAR(x.xScale(), 2.0, 1e-15);
    EXPECT_NEAR(x.yScale(), 3.0, 1e-15);
    EXPECT_NEAR(x.det(), 6.0 * std::cos(kPi / 18), 1e-14);
    EXPECT_TRUE(xfRealEq(x, x, 0.0));
    xcXform<2> y = x;
    y.trans(xcVector<2>(1, 2.5));
    EXPECT_FALSE(xfRealEq(x, y, 0.4));
    EXPECT_TRUE(xfRealEq(x, y, 0.5));
}

} // namespace
