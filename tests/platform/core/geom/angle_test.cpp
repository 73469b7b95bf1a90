#include "core/geom/angle.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

namespace {

constexpr double kPi = std::numbers::pi;

TEST(Angle, DegreesAndRadiansConvertByValue) {
    EXPECT_DOUBLE_EQ(xcRadian(xcDegree(180)).toDouble(), kPi);
    EXPECT_DOUBLE_EQ(xcRadian(xcDegree(-90)).toDouble(), -kPi / 2);
    EXPECT_DOUBLE_EQ(xcDegree(xcRadian(kPi / 4)).toDouble(), 45.0);
    EXPECT_DOUBLE_EQ(xcDegree(xcRadian(kPi / 2)).toDouble(), 90.0);
    // A degree value passed where radians are expected converts, it is not taken as radians.
    const xcRadian r = xcDegree(30);
    EXPECT_NEAR(r.toDouble(), kPi / 6, 1e-15);
    EXPECT_NEAR(sin(xcDegree(30)), 0.5, 1e-15);
    // atan2 covers (-pi, pi]: the negative x axis is +pi.
    EXPECT_EQ(xfAtan2(0.0, -1.0).toDouble(), kPi);
    EXPECT_EQ(xfAtan2(1.0, 0.0).toDouble(), kPi / 2);
}

TEST(Angle, NormIsHalfOpenAtTwoPi) {
    EXPECT_EQ(xcRadian(0).norm().toDouble(), 0.0);
    EXPECT_EQ(xcRadian(2 * kPi).norm().toDouble(), 0.0);
    EXPECT_DOUBLE_EQ(xcRadian(-kPi).norm().toDouble(), kPi);
    EXPECT_DOUBLE_EQ(xcRadian(-kPi / 2).norm().toDouble(), 1.5 * kPi);
    EXPECT_NEAR(xcRadian(5 * kPi).norm().toDouble(), kPi, 1e-14);
    // A tiny negative angle would round up to 2 pi after adding it; it must wrap to 0.
    EXPECT_EQ(xcRadian(-1e-20).norm().toDouble(), 0.0);
    EXPECT_LT(xcRadian(-1e-12).norm().toDouble(), 2 * kPi);

    EXPECT_EQ(xcDegree(360).norm().toDouble(), 0.0);
    EXPECT_EQ(xcDegree(-90).norm().toDouble(), 270.0);
    EXPECT_EQ(xcDegree(-1e-20).norm().toDouble(), 0.0);
    EXPECT_EQ(xcDegree(725).norm().toDouble(), 5.0);
}

TEST(Angle, SignedNormIsHalfOpenAtPi) {
    EXPECT_DOUBLE_EQ(xcRadian(kPi).signedNorm().toDouble(), -kPi);
    EXPECT_DOUBLE_EQ(xcRadian(-kPi).signedNorm().toDouble(), -kPi);
    EXPECT_DOUBLE_EQ(xcRadian(std::nextafter(kPi, 0.0)).signedNorm().toDouble(),
                     std::nextafter(kPi, 0.0));
    EXPECT_NEAR(xcRadian(3.5 * kPi).signedNorm().toDouble(), -kPi / 2, 1e-14);
    EXPECT_EQ(xcRadian(0).signedNorm().toDouble(), 0.0);
    EXPECT_EQ(xcDegree(180).signedNorm().toDouble(), -180.0);
    EXPECT_EQ(xcDegree(-180).signedNorm().toDouble(), -180.0);
    EXPECT_EQ(xcDegree(540).signedNorm().toDouble(), -180.0);
    EXPECT_EQ(xcDegree(179.5).signedNorm().toDouble(), 179.5);
    EXPECT_EQ(xcDegree(-181).signedNorm().toDouble(), 179.0);
}

TEST(Angle, NormKeepsTheDirectionForRandomAngles) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> any(-50.0, 50.0);
    for (int i = 0; i < 1000; ++i) {
        const xcRadian a(any(rng));
        const double n = a.norm().toDouble(), s = a.signedNorm().toDouble();
        ASSERT_GE(n, 0.0);
        ASSERT_LT(n, 2 * kPi);
        ASSERT_GE(s, -kPi);
        ASSERT_LT(s, kPi);
        ASSERT_NEAR(std::cos(n), cos(a), 1e-12);
        ASSERT_NEAR(std::sin(n), sin(a), 1e-12);
        ASSERT_NEAR(std::cos(s), cos(a), 1e-12);
        ASSERT_NEAR(std::sin(s), sin(a), 1e-12);
    }
}

} // namespace
