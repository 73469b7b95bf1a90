// Tests and conversions of 32-bit character codes (Unicode code points).
#pragma once

#include "core/base/error_class.h"
#include "core/export.h"

#include <string>

// Error number: NotRepresentable 0x10000231.
struct xcCharCodeDefs {
    // A character code has no form of the asked-for character type.
    XC_ERROR_CLASS(XCORE_API, NotRepresentable, xcExceptionWithString, 0x10000231);
};

// The text character type of this system.
using xcTChar = char;

// Codes are 32-bit. An unsigned long holding a 32-bit code sign-extended to 64 bits (what a
// widened signed char gives) counts as that 32-bit code; any other value above 0xFFFFFFFF is no
// character code: not representable and not a space.
//
// 8-bit (char, and T = char): codes 0 .. 0xFF, and 0xFFFFFF80 .. 0xFFFFFFFF, the sign-extended
// bytes 0x80 .. 0xFF, so text widened byte by byte narrows back unchanged. The char is the
// code's low byte.
// Wide (wchar_t): codes 0 .. 0x10FFFF.
// Space: the Unicode White_Space set: U+0009..U+000D, U+0020, U+0085, U+00A0, U+1680,
// U+2000..U+200A, U+2028, U+2029, U+202F, U+205F, U+3000.
class XCORE_API xcCharCode {
public:
    xcCharCode() = delete;

    static bool isRepresentableAsChar(unsigned long code);
    static bool isRepresentableAsWChar(unsigned long code);
    static bool isRepresentableAsTChar(unsigned long code);
    // The character of the code; a code without one throws xcCharCodeDefs::NotRepresentable.
    static char getAsChar(unsigned long code);
    static wchar_t getAsWChar(unsigned long code);
    static xcTChar getAsTChar(unsigned long code);
    static bool isSpace(unsigned long code);
};
