// Character codes and numbers as text.
#include "core/text/charcode.h"
#include "core/text/str.h"
#include "support/caught.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <limits>
#include <locale>
#include <set>

TEST(CharCode, RepresentableCodesAndTheirCharacters) {
    // 8-bit: 0 .. 0xFF and the sign extensions of negative chars, in 32 and 64 bits; wide: up to
    // 0x10FFFF. Other values above 32 bits are no code at all.
    using C = xcCharCode;
    for (unsigned long c : {0x0ul, 0xFFul, 0xFFFFFF80ul, 0xFFFFFFFFul, 0xFFFFFFFFFFFFFF80ul})
        EXPECT_TRUE(C::isRepresentableAsChar(c) && C::isRepresentableAsTChar(c)) << std::hex << c;
    for (unsigned long c :
         {0x100ul, 0xFFFFFF7Ful, 0xFFFFFFFFFFFFFF7Ful, 0x100000041ul, 0x1FFFFFF80ul})
        EXPECT_FALSE(C::isRepresentableAsChar(c) || C::isRepresentableAsTChar(c)) << std::hex << c;
    EXPECT_TRUE(C::isRepresentableAsWChar(0) && C::isRepresentableAsWChar(0x10FFFF));
    for (unsigned long c : {0x110000ul, 0xFFFFFF80ul, 0x100000041ul})
        EXPECT_FALSE(C::isRepresentableAsWChar(c)) << std::hex << c;
    EXPECT_EQ(xcCharCode::getAsChar(0x41), 'A');
    EXPECT_EQ(static_cast<unsigned char>(xcCharCode::getAsChar(0xFFFFFFE9)), 0xE9);
    EXPECT_EQ(static_cast<unsigned char>(xcCharCode::getAsTChar(0xFFFFFFFFFFFFFF80ul)), 0x80);
    EXPECT_EQ(xcCharCode::getAsWChar(0x10FFFF), static_cast<wchar_t>(0x10FFFF));
    EXPECT_EQ(
        caught<xcCharCodeDefs::NotRepresentable>([&] { xcCharCode::getAsChar(0x100); }).message(),
        "Character code 0x00000100 is not representable as char");
    EXPECT_THROW(xcCharCode::getAsTChar(0xFFFFFF7F), xcCharCodeDefs::NotRepresentable);
    EXPECT_EQ(caught<xcCharCodeDefs::NotRepresentable>([&] {
                  xcCharCode::getAsWChar(0x110000);
              }).message(),
              "Character code 0x00110000 is not representable as wchar_t");
}

// Every code up to 0x3100 against the Unicode White_Space set (which leaves out look-alikes
// such as U+200B, U+180E and U+FEFF), and values beyond 32 bits whose low half is a space.
TEST(CharCode, SpacesAreTheUnicodeWhiteSpaceSet) {
    const std::set<unsigned long> spaces = {0x09,   0x0A,   0x0B,   0x0C,   0x0D,   0x20,   0x85,
                                            0xA0,   0x1680, 0x2000, 0x2001, 0x2002, 0x2003, 0x2004,
                                            0x2005, 0x2006, 0x2007, 0x2008, 0x2009, 0x200A, 0x2028,
                                            0x2029, 0x202F, 0x205F, 0x3000};
    for (unsigned long code = 0; code < 0x3100; ++code)
        ASSERT_EQ(xcCharCode::isSpace(code), spaces.count(code) == 1) << std::hex << code;
    for (unsigned long code : {0xFEFFul, 0xFFFFFFA0ul, 0x100000020ul, 0xFFFFFFFFFFFFFF20ul})
        EXPECT_FALSE(xcCharCode::isSpace(code)) << std::hex << code;
}

namespace {

std::string join(std::initializer_list<std::string> parts) {
    std::string all;
    for (const std::string& p : parts) all += (all.empty() ? "" : " ") + p;
    return all;
}

// A global C++ locale with a decimal comma and thousands grouping changes what streams write;
// the text helpers must not follow it.
struct CommaDecimal : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

} // namespace

TEST(Str, HandComputedTextsInAnyLocale) {
    const std::locale old =
        std::locale::global(std::locale(std::locale::classic(), new CommaDecimal));
    const std::string ints = join({xfStr(INT_MIN), xfStr(LONG_MIN), xfStr(ULONG_MAX),
                                   xfStr(1234567L), xfStr(true), xfStr('A')});
    // Doubles: the shortest text that reads back, fixed on a tie.
    const std::string doubles =
        join({xfStr(100.0), xfStr(-0.0), xfStr(1234.5), xfStr(1e20), xfStr(1.5e-7),
              xfStr(0.1 + 0.2), xfStr(std::numeric_limits<double>::infinity()),
              xfStr(-std::numeric_limits<double>::quiet_NaN())});
    // Fixed and scientific with the given decimals, an exact half to even.
    const std::string decimals =
        join({xfDbl(0.5, 0, false), xfDbl(1.5, 0, false), xfDbl(1234.5, 3, false),
              xfDbl(-0.0004, 2, false), xfDbl(12345.678, 3, true), xfDbl(0.0, 2, true),
              xfDbl(-1e-100, 0, true), xfDbl(-std::numeric_limits<double>::infinity(), 3, true)});
    // Hexadecimal: uppercase, zero-padded, 64-bit two's complement.
    const std::string hex = join({xfHex(-1, 8), xfHex(255, 4), xfHex(0, 0), xfHex(LLONG_MIN, 0)});
    std::locale::global(old);
    EXPECT_EQ(ints, "-2147483648 -9223372036854775808 18446744073709551615 1234567 true 65");
    EXPECT_EQ(doubles, "100 -0 1234.5 1e+20 1.5e-07 0.30000000000000004 inf -nan");
    EXPECT_EQ(decimals, "0 2 1234.500 -0.00 1.235e+04 0.00e+00 -1e-100 -inf");
    EXPECT_EQ(hex, "FFFFFFFFFFFFFFFF 00FF 0 8000000000000000");
    EXPECT_EQ(xfHex(1, 64), std::string(63, '0') + "1");
    // Every decimal of the smallest subnormal, and all 309 integer digits of the largest double.
    EXPECT_EQ(xfDbl(std::numeric_limits<double>::denorm_min(), 1100, false).size(), 1102u);
    EXPECT_EQ(xfDbl(-std::numeric_limits<double>::max(), 1100, false).size(), 1 + 309 + 1 + 1100u);

    EXPECT_THROW(xfDbl(1.0, -1, false), xcStrDefs::BadParams);
    EXPECT_EQ(caught<xcStrDefs::BadParams>([&] { xfDbl(1.0, 1101, true); }).message(),
              "Number of decimals must be between 0 and 1100");
    EXPECT_THROW(xfHex(1, -1), xcStrDefs::BadParams);
    EXPECT_EQ(caught<xcStrDefs::BadParams>([&] { xfHex(1, 65); }).message(),
              "Hexadecimal width must be between 0 and 64");
}
