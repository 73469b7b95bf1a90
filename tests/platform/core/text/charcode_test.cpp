#include "core/persist/archive.h"
#include "core/text/charcode.h"
#include "core/text/str.h"
#include "support/caught.h"

#include <gtest/gtest.h>

#include <vector>

TEST(CharCode, EightBitBoundaries) {
    // 0 .. 0xFF and the sign extensions of negative chars, in 32 and 64 bits.
    const struct {
        unsigned long code;
        bool isChar;
    } cases[] = {{0, true},
                 {0xFF, true},
                 {0x100, false},
                 {0xFFFF, false},
                 {0xFFFFFF7F, false},
                 {0xFFFFFF80, true},
                 {0xFFFFFFFF, true},
                 {0xFFFFFFFFFFFFFF80ul, true},
                 {0xFFFFFFFFFFFFFF7Ful, false},
                 {0x100000041ul, false},
                 {0x1FFFFFF80ul, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(xcCharCode::isRepresentableAsChar(c.code), c.isChar) << std::hex << c.code;
        EXPECT_EQ(xcCharCode::isRepresentableAsTChar(c.code), c.isChar) << std::hex << c.code;
    }
    EXPECT_EQ(xcCharCode::getAsChar(0x41), 'A');
    EXPECT_EQ(static_cast<unsigned char>(xcCharCode::getAsChar(0xFFFFFFE9)), 0xE9);
    EXPECT_EQ(static_cast<unsigned char>(xcCharCode::getAsTChar(0xFFFFFFFFFFFFFF80ul)), 0x80);
    const auto e = caught<xcCharCodeDefs::NotRepresentable>([&] { xcCharCode::getAsChar(0x100); });
    EXPECT_EQ(e.message(), "Character code 0x00000100 is not representable as char");
    EXPECT_EQ(e.errorNumber(), 0x10000231);
    EXPECT_THROW(xcCharCode::getAsTChar(0xFFFFFF7F), xcCharCodeDefs::NotRepresentable);
}

TEST(CharCode, WideBoundaries) {
    for (unsigned long code : {0x0ul, 0xFFFFul, 0x10FFFFul})
        EXPECT_TRUE(xcCharCode::isRepresentableAsWChar(code)) << code;
    for (unsigned long code : {0x110000ul, 0xFFFFFF80ul, 0xFFFFFFFFFFFFFFFFul})
        EXPECT_FALSE(xcCharCode::isRepresentableAsWChar(code)) << code;
    EXPECT_EQ(xcCharCode::getAsWChar(0x10FFFF), static_cast<wchar_t>(0x10FFFF));
    EXPECT_EQ(caught<xcCharCodeDefs::NotRepresentable>([&] {
                  xcCharCode::getAsWChar(0x110000);
              }).message(),
              "Character code 0x00110000 is not representable as wchar_t");
}

TEST(CharCode, SpacesAreTheUnicodeWhiteSpaceSet) {
    const unsigned long spaces[] = {0x09,   0x0A,   0x0B,   0x0C,   0x0D,   0x20,
                                    0x85,   0xA0,   0x1680, 0x2000, 0x2005, 0x200A,
                                    0x2028, 0x2029, 0x202F, 0x205F, 0x3000};
    for (unsigned long code : spaces) EXPECT_TRUE(xcCharCode::isSpace(code)) << std::hex << code;
    // Neighbours of every range, and look-alikes that are not White_Space (zero-width space,
    // byte order mark, Mongolian vowel separator).
    const unsigned long others[] = {
        0x00,   0x08,   0x0E,   0x1F,   0x21,   0x84,     0x86,       0x9F,         0xA1,
        0x167F, 0x1681, 0x180E, 0x1FFF, 0x200B, 0x2027,   0x202A,     0x202E,       0x2030,
        0x205E, 0x2060, 0x2FFF, 0x3001, 0xFEFF, 0x110000, 0xFFFFFFA0, 0x100000020ul};
    for (unsigned long code : others) EXPECT_FALSE(xcCharCode::isSpace(code)) << std::hex << code;
}
