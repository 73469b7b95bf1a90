#include "core/geom/angle.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

namespace {

constexpr double kPi = std::numbers::pi;

TEST(Angle, ConversionAndAtan2Range) {
    EXPECT_DOUBLE_EQ(xcRadian(xcDegree(180)).toDouble(), kPi);
    EXPECT_DOUBLE_EQ(xcDegree(xcRadian(kPi / 4)).toDouble(), 45.0);
    // A degree value passed where radians are expected converts, it is not taken as radians.
    EXPECT_NEAR(sin(xcDegree(30)), 0.5, 1e-15);
    EXPECT_EQ(xfAtan2(0.0, -1.0).toDouble(), kPi); // (-pi, pi]
}

TEST(Angle, NormIsHalfOpenAtTwoPiAndSignedNormAtPi) {
    EXPECT_EQ(xcRadian(2 * kPi).norm().toDouble(), 0.0);
    EXPECT_DOUBLE_EQ(xcRadian(-kPi / 2).norm().toDouble(), 1.5 * kPi);
    // A tiny negative angle would round up to 2 pi after adding it; it must wrap to 0.
    EXPECT_EQ(xcRadian(-1e-20).norm().toDouble(), 0.0);
    EXPECT_EQ(xcDegree(-1e-20).norm().toDouble(), 0.0);
    EXPECT_EQ(xcDegree(725).norm().toDouble(), 5.0);
    EXPECT_DOUBLE_EQ(xcRadian(kPi).signedNorm().toDouble(), -kPi);
    EXPECT_DOUBLE_EQ(xcRadian(std::nextafter(kPi, 0.0)).signedNorm().toDouble(),
                     std::nextafter(kPi, 0.0));
    EXPECT_EQ(xcDegree(540).signedNorm().toDouble(), -180.0);
    EXPECT_EQ(xcDegree(-181).signedNorm().toDouble(), 179.0);

    std::mt19937 rng(7);
    std::uniform_real_distribution<double> any(-50.0, 50.0);
    for (int i = 0; i < 1000; ++i) {
        const xcRadian a(any(rng));
        const double n = a.norm().toDouble(), s = a.signedNorm().toDouble();
        ASSERT_TRUE(n >= 0.0 && n < 2 * kPi && s >= -kPi && s < kPi) << a.toDouble();
        for (double v : {n, s}) {
            ASSERT_NEAR(std::cos(v), cos(a), 1e-12);
            ASSERT_NEAR(std::sin(v), sin(a), 1e-12);
        }
    }
}

} // namespace
