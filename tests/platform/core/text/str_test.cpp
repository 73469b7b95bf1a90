#include "core/text/str.h"
#include "support/caught.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>
#include <locale>
#include <random>

namespace {

TEST(Str, IntegersAndBools) {
    EXPECT_EQ(xfStr(INT_MIN), "-2147483648");
    EXPECT_EQ(xfStr(LONG_MIN), "-9223372036854775808");
    EXPECT_EQ(xfStr(ULONG_MAX), "18446744073709551615");
    EXPECT_EQ(xfStr(0x80000064L), "2147483748");
    EXPECT_EQ(xfStr(true), "true");
    EXPECT_EQ(xfStr('A'), "65");
}

TEST(Str, DoublesGiveTheShortestTextThatReadsBack) {
    EXPECT_EQ(xfStr(100.0), "100");
    EXPECT_EQ(xfStr(-0.0), "-0");
    EXPECT_EQ(xfStr(1e20), "1e+20");
    EXPECT_EQ(xfStr(1.5e-7), "1.5e-07");
    EXPECT_EQ(xfStr(0.1 + 0.2), "0.30000000000000004");
    EXPECT_EQ(xfStr(std::numeric_limits<double>::infinity()), "inf");
    EXPECT_EQ(xfStr(std::numeric_limits<double>::quiet_NaN()), "nan");
    EXPECT_EQ(xfStr(std::numeric_limits<double>::max()), "1.7976931348623157e+308");

    std::mt19937_64 rng(7);
    for (int i = 0; i < 20000; ++i) { // random bits: every finite double reads back exactly
        const double v = std::bit_cast<double>(rng());
        if (!std::isfinite(v)) continue;
        const std::string text = xfStr(v);
        double back = 0;
        const auto res = std::from_chars(text.data(), text.data() + text.size(), back);
        ASSERT_EQ(res.ec, std::errc()) << text;
        ASSERT_EQ(res.ptr, text.data() + text.size()) << text;
        ASSERT_EQ(std::bit_cast<std::uint64_t>(back), std::bit_cast<std::uint64_t>(v)) << text;
    }
}

TEST(Str, DblFixedAndScientificWithTheGivenDecimals) {
    EXPECT_EQ(xfDbl(0.5, 0, false), "0"); // an exact half rounds to even
    EXPECT_EQ(xfDbl(1.5, 0, false), "2");
    EXPECT_EQ(xfDbl(0.125, 2, false), "0.12");
    EXPECT_EQ(xfDbl(-0.0004, 2, false), "-0.00");
    EXPECT_EQ(xfDbl(12345.678, 3, true), "1.235e+04");
    EXPECT_EQ(xfDbl(0.0, 2, true), "0.00e+00");
    EXPECT_EQ(xfDbl(-1e-100, 0, true), "-1e-100");
    EXPECT_EQ(xfDbl(std::numeric_limits<double>::quiet_NaN(), 3, true), "nan");
    EXPECT_EQ(xfDbl(std::numeric_limits<double>::denorm_min(), 1100, false).size(), 1102u);
    EXPECT_EQ(xfDbl(-std::numeric_limits<double>::max(), 1100, false).size(), 1 + 309 + 1 + 1100u);

    EXPECT_THROW(xfDbl(1.0, -1, false), xcStrDefs::BadParams);
    const auto e = caught<xcStrDefs::BadParams>([&] { xfDbl(1.0, 1101, true); });
    EXPECT_EQ(e.message(), "Number of decimals must be between 0 and 1100");
    EXPECT_EQ(e.errorNumber(), 0x10000241);
}

TEST(Str, HexIsUppercaseZeroPaddedTwosComplement) {
    EXPECT_EQ(xfHex(-1, 8), "FFFFFFFFFFFFFFFF");
    EXPECT_EQ(xfHex(255, 0), "FF");
    EXPECT_EQ(xfHex(0, 0), "0");
    EXPECT_EQ(xfHex(0x80000064L, 8), "80000064");
    EXPECT_EQ(xfHex(LLONG_MIN, 0), "8000000000000000");
    std::string one64(64, '0');
    one64.back() = '1';
    EXPECT_EQ(xfHex(1, 64), one64);
    EXPECT_THROW(xfHex(1, -1), xcStrDefs::BadParams);
    EXPECT_THROW(xfHex(1, 65), xcStrDefs::BadParams);
}

// A global C++ locale with a decimal comma and thousands grouping changes what streams write;
// the text helpers must not follow it.
struct CommaDecimal : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

TEST(Str, TextDoesNotFollowTheProcessLocale) {
    const std::locale old =
        std::locale::global(std::locale(std::locale::classic(), new CommaDecimal));
    const std::string all = xfDbl(1234.5, 3, false) + " " + xfDbl(1234.5, 2, true) + " " +
                            xfStr(1234.5) + " " + xfStr(1234567L);
    std::locale::global(old);
    EXPECT_EQ(all, "1234.500 1.23e+03 1234.5 1234567");
}

} // namespace
