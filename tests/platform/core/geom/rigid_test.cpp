#include "core/geom/rigid.h"

#include <gtest/gtest.h>

#include <numbers>
#include <random>

namespace {

constexpr double kPi = std::numbers::pi;

TEST(Rigid, MapsByRotationThenTranslation) {
    const xc2Rigid r(xcDegree(90), xcVector<2>(10, 20));
    EXPECT_TRUE(xfRealEq(r.mapPoint(xcVector<2>(1, 0)), xcVector<2>(10, 21), 1e-14));
    EXPECT_TRUE(xfRealEq(r * xcVector<2>(0, 1), xcVector<2>(9, 20), 1e-14));
    EXPECT_EQ(xc2Rigid().mapPoint(xcVector<2>(3, 4)), xcVector<2>(3, 4));
}

TEST(Rigid, LinearKeepsTheTranslation) {
    const xc2Rigid r(xcDegree(30), xcVector<2>(5, 6));
    const xcXform<2> x = r.linear();
    EXPECT_EQ(x.trans(), xcVector<2>(5, 6));
    EXPECT_TRUE(xfRealEq(x.matrix(), xcMatrix<2>::rotation(xcDegree(30)), 1e-15));
    EXPECT_NEAR(xcDegree(x.xRot()).toDouble(), 30.0, 1e-12);
    EXPECT_NEAR(x.xScale(), 1.0, 1e-15);
}

TEST(Rigid, ProductAndInverseAgreeWithAffineOnes) {
    std::mt19937 rng(43);
    std::uniform_real_distribution<double> ang(-kPi, kPi), t(-100.0, 100.0);
    for (int i = 0; i < 500; ++i) {
        const xc2Rigid a(xcRadian(ang(rng)), xcVector<2>(t(rng), t(rng)));
        const xc2Rigid b(xcRadian(ang(rng)), xcVector<2>(t(rng), t(rng)));
        ASSERT_TRUE(xfRealEq((a * b).linear(), a.linear() * b.linear(), 1e-10));
        ASSERT_TRUE(xfRealEq(a.inverse().linear(), a.linear().inverse(), 1e-10));
        ASSERT_TRUE(xfRealEq((a * a.inverse()).linear(), xcXform<2>(), 1e-10));
        const xcVector<2> p(t(rng), t(rng));
        ASSERT_TRUE(xfRealEq((a * b).mapPoint(p), a.mapPoint(b.mapPoint(p)), 1e-10));
    }
    // The angle adds; accessors give back what was set.
    xc2Rigid r(xcRadian(1.0), xcVector<2>(1, 2));
    EXPECT_EQ((r * r).angle().toDouble(), 2.0);
    r.angle(xcRadian(0.5));
    r.translation(xcVector<2>(3, 4));
    EXPECT_EQ(r, xc2Rigid(xcRadian(0.5), xcVector<2>(3, 4)));
}

} // namespace
