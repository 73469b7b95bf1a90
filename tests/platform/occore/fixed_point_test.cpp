#include "occore/xoc_failure.h"
#include "occore/xoc_rect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

int32_t toFixed(double x, double y, double w, double h, int32_t bits, xoc_rect32& out) {
    const xoc_rectD r{x, y, w, h};
    return xoc_rect32FixedInitFromRectD_(&out, &r, bits);
}

TEST(FixedPoint, ValueIsIntegerOverTwoToTheFractionBits) {
    const xoc_rect32 fixed{65536, -98304, 1, 0x7FFFFFFF};
    xoc_rectD r{};
    ASSERT_EQ(xoc_rectDInitFromRect32Fixed_(&r, &fixed, 16), XOC_OK);
    EXPECT_EQ(r.y, -1.5);
    EXPECT_EQ(r.height, 2147483647.0 / 65536.0);
    xoc_rect32 f{};
    const double half = std::ldexp(1.0, -17); // half a unit: rounds away from zero
    ASSERT_EQ(toFixed(1.0 + half, -1.0 - half, half * 0.99, 0.5, 16, f), XOC_OK);
    EXPECT_EQ(std::vector<int32_t>({f.x, f.y, f.width}), std::vector<int32_t>({65537, -65537, 0}));
    ASSERT_EQ(toFixed(2.5, -2.5, 0.49, 0.5, 0, f), XOC_OK);
    EXPECT_EQ(std::vector<int32_t>({f.x, f.y, f.width, f.height}),
              std::vector<int32_t>({3, -3, 0, 1}));
    std::mt19937 rng(7);
    std::uniform_int_distribution<int32_t> value(-(1 << 30), 1 << 30);
    for (int i = 0; i < 2000; ++i) {
        const xoc_rect32 in{value(rng), value(rng), value(rng) / 2, value(rng) / 2};
        xoc_rectD d{};
        xoc_rect32 out{};
        ASSERT_EQ(xoc_rectDInitFromRect32Fixed_(&d, &in, 16), XOC_OK);
        ASSERT_EQ(xoc_rect32FixedInitFromRectD_(&out, &d, 16), XOC_OK);
        EXPECT_TRUE(out.x == in.x && out.y == in.y && out.width == in.width &&
                    out.height == in.height);
    }
}

TEST(FixedPoint, Overflow) {
    xoc_rect32 f{1, 2, 3, 4};
    // With 16 fraction bits every value from 32768 up overflows, as do NaN and infinity.
    for (double bad : {32768.0, 40000.0, -32768.5, std::nan(""), HUGE_VAL})
        EXPECT_EQ(toFixed(0, bad, 1, 1, 16, f), XOC_FAIL_FIXED_POINT_OVERFLOW) << bad;
    EXPECT_EQ(f.x, 1); // untouched on failure
    EXPECT_EQ(f.height, 4);
    ASSERT_EQ(toFixed(32767.99999, -32768.0, 0, 0, 16, f), XOC_OK);
    EXPECT_EQ(f.x, 2147483647);
    EXPECT_EQ(f.y, INT32_MIN);
    // Each value fits, but a far edge does not.
    EXPECT_EQ(toFixed(20000.0, 0, 20000.0, 1, 16, f), XOC_FAIL_INTEGER_OVERFLOW);
    EXPECT_EQ(toFixed(0, -20000.0, 1, -20000.0, 16, f), XOC_FAIL_INTEGER_OVERFLOW);
    EXPECT_EQ(toFixed(20000.0, 0, -20000.0, 1, 16, f), XOC_OK);
    xoc_rectD d{};
    const xoc_rect32 big{INT32_MAX, 0, 0, 0};
    EXPECT_EQ(xoc_rectDInitFromRect32Fixed_(&d, &big, -2000), XOC_FAIL_FIXED_POINT_OVERFLOW);
    EXPECT_EQ(xoc_rect32FixedInitFromRectD_(&f, nullptr, 16), XOC_FAIL_NULL_ARGUMENT);
}

} // namespace
