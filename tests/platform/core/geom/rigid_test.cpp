#include "core/geom/rigid.h"

#include <gtest/gtest.h>

#include <numbers>
#include <random>

TEST(Rigid, MapsByRotationThenTranslationAndAgreesWithAffine) {
    const xc2Rigid r(xcDegree(90), xcVector<2>(10, 20));
    EXPECT_TRUE(xfRealEq(r.mapPoint(xcVector<2>(1, 0)), xcVector<2>(10, 21), 1e-14));
    EXPECT_EQ(r.linear().trans(), xcVector<2>(10, 20));

    constexpr double kPi = std::numbers::pi;
    std::mt19937 rng(43);
    std::uniform_real_distribution<double> ang(-kPi, kPi), t(-100.0, 100.0);
    for (int i = 0; i < 500; ++i) {
        const xc2Rigid a(xcRadian(ang(rng)), xcVector<2>(t(rng), t(rng)));
        const xc2Rigid b(xcRadian(ang(rng)), xcVector<2>(t(rng), t(rng)));
        ASSERT_TRUE(xfRealEq((a * b).linear(), a.linear() * b.linear(), 1e-10));
        ASSERT_TRUE(xfRealEq(a.inverse().linear(), a.linear().inverse(), 1e-10));
    }
    EXPECT_EQ((xc2Rigid(xcRadian(1.0), xcVector<2>()) * xc2Rigid(xcRadian(1.0), xcVector<2>()))
                  .angle()
                  .toDouble(),
              2.0);
}
