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

TEST(Xform, MapsByMatrixThenTranslationAndProductAppliesTheRightFactorFirst) {
    // Rotation by +90 degrees, then a shift by (10, 20): (1, 0) -> (0, 1) -> (10, 21).
    const xcXform<2> x(xcMatrix<2>(0, -1, 1, 0), xcVector<2>(10, 20));
    EXPECT_EQ(x.mapPoint(xcVector<2>(1, 0)), xcVector<2>(10, 21));
    EXPECT_EQ(x.mapVector(xcVector<2>(1, 0)), xcVector<2>(0, 1));
    EXPECT_FALSE(xcXform<2>::translation(xcVector<2>(0, 1e-300)).isIdentity());
}

TEST(Xform, ProductAndInverseRoundTripAndSingularThrows) {
    std::mt19937 rng(17);
    std::uniform_real_distribution<double> c(-50.0, 50.0);
    for (int i = 0; i < 500; ++i) {
        const xcXform<2> x = randomXform(rng), y = randomXform(rng);
        const xcVector<2> p(c(rng), c(rng));
        ASSERT_TRUE(xfRealEq((x * y).mapPoint(p), x.mapPoint(y.mapPoint(p)), 1e-9));
        if (std::fabs(x.det()) < 0.05) continue;
        ASSERT_TRUE(xfRealEq(x * x.inverse(), xcXform<2>(), 1e-9)) << i;
        ASSERT_TRUE(xfRealEq(x.inverse().mapPoint(x.mapPoint(p)), p, 1e-9));
    }
    EXPECT_THROW((void)xcXform<2>(xcMatrix<2>(1, 1, 1, 1), xcVector<2>(3, 4)).inverse(),
                 xcGeomDefs::Singular);
}

TEST(Xform, FiveArgumentConstructorPlacesATurnedScaledObject) {
    std::mt19937 rng(29);
    std::uniform_real_distribution<double> ang(-kPi, kPi), sc(0.1, 10.0), t(-100.0, 100.0);
    for (int i = 0; i < 200; ++i) {
        const xcVector<2> tr(t(rng), t(rng));
        const double s = sc(rng);
        const xcRadian a(ang(rng));
        const xcXform<2> expected =
            xcXform<2>::translation(tr) * xcXform<2>(xcMatrix<2>::rotation(a) * s, xcVector<2>());
        ASSERT_TRUE(xfRealEq(xcXform<2>(tr, s, 1.0, xcRadian(0), a), expected, 1e-12 * (1 + s)));
    }
    // Aspect scales the y side, shear turns it further.
    const xcXform<2> sheared(xcVector<2>(), 2.0, 1.5, xcDegree(90), xcRadian(0));
    EXPECT_TRUE(xfRealEq(sheared.matrix(), xcMatrix<2>(2, -3, 0, 0), 1e-14));
}

} // namespace
