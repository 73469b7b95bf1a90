#include "core/text/charcode.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

// The value a signed char takes when widened to unsigned long (what a byte-by-byte widening
// of text gives on this platform).
unsigned long widened(signed char c) {
    return static_cast<unsigned long>(static_cast<long>(c));
}

TEST(CharCode, EightBitBoundaries) {
    EXPECT_TRUE(xcCharCode::isRepresentableAsChar(0));
    EXPECT_TRUE(xcCharCode::isRepresentableAsChar(0xFF));
    EXPECT_FALSE(xcCharCode::isRepresentableAsChar(0x100));
    EXPECT_FALSE(xcCharCode::isRepresentableAsChar(0xFFFF));
    EXPECT_FALSE(xcCharCode::isRepresentableAsChar(0xFFFFFF7F));
    EXPECT_TRUE(xcCharCode::isRepresentableAsChar(0xFFFFFF80));
    EXPECT_TRUE(xcCharCode::isRepresentableAsChar(0xFFFFFFFF));
    // The same two ranges as 64-bit sign extensions; other 64-bit values are no codes.
    EXPECT_TRUE(xcCharCode::isRepresentableAsChar(0xFFFFFFFFFFFFFF80ul));
    EXPECT_FALSE(xcCharCode::isRepresentableAsChar(0xFFFFFFFFFFFFFF7Ful));
    EXPECT_FALSE(xcCharCode::isRepresentableAsChar(0x100000041ul));
    EXPECT_FALSE(xcCharCode::isRepresentableAsChar(0x00000000FFFFFF80ul + (1ul << 32)));
    for (unsigned long code : {0x0ul, 0x41ul, 0xFFul, 0x100ul, 0xFFFFFF7Ful, 0xFFFFFF80ul})
        EXPECT_EQ(xcCharCode::isRepresentableAsTChar(code),
                  xcCharCode::isRepresentableAsChar(code));

    EXPECT_EQ(xcCharCode::getAsChar(0x41), 'A');
    EXPECT_EQ(static_cast<unsigned char>(xcCharCode::getAsChar(0xE9)), 0xE9);
    EXPECT_EQ(static_cast<unsigned char>(xcCharCode::getAsChar(0xFFFFFFE9)), 0xE9);
    EXPECT_EQ(static_cast<unsigned char>(xcCharCode::getAsTChar(0xFFFFFFFFFFFFFF80ul)), 0x80);

    try {
        xcCharCode::getAsChar(0x100);
        FAIL() << "0x100 narrowed to char";
    } catch (const xcCharCodeDefs::NotRepresentable& e) {
        EXPECT_EQ(e.message(), "Character code 0x00000100 is not representable as char");
        EXPECT_EQ(e.errorNumber(), 0x10000231);
    }
    EXPECT_THROW(xcCharCode::getAsTChar(0xFFFFFF7F), xcCharCodeDefs::NotRepresentable);
    EXPECT_THROW(xcCharCode::getAsChar(0x10FFFF), xcCharCodeDefs::NotRepresentable);
}

TEST(CharCode, BytesWidenedOneByOneNarrowBackUnchanged) {
    for (int b = -128; b < 128; ++b) {
        const auto c = static_cast<signed char>(b);
        for (unsigned long code :
             {widened(c), static_cast<unsigned long>(static_cast<std::uint32_t>(widened(c))),
              static_cast<unsigned long>(static_cast<unsigned char>(c))}) {
            ASSERT_TRUE(xcCharCode::isRepresentableAsTChar(code)) << code;
            ASSERT_EQ(xcCharCode::getAsTChar(code), static_cast<char>(c)) << code;
        }
    }
}

TEST(CharCode, WideBoundaries) {
    EXPECT_TRUE(xcCharCode::isRepresentableAsWChar(0));
    EXPECT_TRUE(xcCharCode::isRepresentableAsWChar(0xFFFF));
    EXPECT_TRUE(xcCharCode::isRepresentableAsWChar(0x10FFFF));
    EXPECT_FALSE(xcCharCode::isRepresentableAsWChar(0x110000));
    EXPECT_FALSE(xcCharCode::isRepresentableAsWChar(0xFFFFFF80));
    EXPECT_FALSE(xcCharCode::isRepresentableAsWChar(0xFFFFFFFFFFFFFFFFul));
    EXPECT_EQ(xcCharCode::getAsWChar(0x10FFFF), static_cast<wchar_t>(0x10FFFF));
    EXPECT_EQ(xcCharCode::getAsWChar(0x3000), L'\u3000');
    try {
        xcCharCode::getAsWChar(0x110000);
        FAIL() << "0x110000 converted to wchar_t";
    } catch (const xcCharCodeDefs::NotRepresentable& e) {
        EXPECT_EQ(e.message(), "Character code 0x00110000 is not representable as wchar_t");
    }
}

TEST(CharCode, SpacesAreTheUnicodeWhiteSpaceSet) {
    const unsigned long spaces[] = {0x09,   0x0A,   0x0B,   0x0C,   0x0D,   0x20,
                                    0x85,   0xA0,   0x1680, 0x2000, 0x2005, 0x200A,
                                    0x2028, 0x2029, 0x202F, 0x205F, 0x3000};
    for (unsigned long code : spaces) EXPECT_TRUE(xcCharCode::isSpace(code)) << std::hex << code;
    // Neighbours of every range, and look-alikes that are not White_Space (zero-width space,
    // byte order mark, Mongolian vowel separator).
    const unsigned long others[] = {
        0x00,   0x08,   0x0E,   0x1F,   0x21,   0x41,   0x84,     0x86,       0x9F,
        0xA1,   0x167F, 0x1681, 0x180E, 0x1FFF, 0x200B, 0x2027,   0x202A,     0x202E,
        0x2030, 0x205E, 0x2060, 0x2FFF, 0x3001, 0xFEFF, 0x110000, 0xFFFFFFA0, 0x100000020ul};
    for (unsigned long code : others) EXPECT_FALSE(xcCharCode::isSpace(code)) << std::hex << code;
}

} // namespace
