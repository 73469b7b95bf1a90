// Numbers as text, the same whatever the process locale.
#pragma once

#include "core/base/error_class.h"
#include "core/export.h"

#include <string>

// Error number: BadParams 0x10000241.
struct xcStrDefs {
    // A digit count or width outside the range a function accepts.
    XC_ERROR_CLASS(XCORE_API, BadParams, xcExceptionWithString, 0x10000241);
};

// Decimal integers: "-12", "4294967295".
XCORE_API std::string xfStr(int value);
XCORE_API std::string xfStr(unsigned int value);
XCORE_API std::string xfStr(long value);
XCORE_API std::string xfStr(unsigned long value);
XCORE_API std::string xfStr(long long value);
XCORE_API std::string xfStr(unsigned long long value);
// "true" or "false".
XCORE_API std::string xfStr(bool value);
// The shortest text that reads back as the same double: fixed or exponent form, whichever is
// shorter (fixed on a tie), e.g. "0.5", "100", "0.1", "1e+20", "1.5e-07", "-0"; "inf", "-inf"
// and "nan" (or "-nan") for the values that are not finite.
XCORE_API std::string xfStr(double value);
// A pointer to text would otherwise turn into a bool.
std::string xfStr(const char*) = delete;

// value with `digits` decimals (0 .. 1100), rounded to nearest: fixed ("0.500" for 0.5 and 3)
// or with an exponent of at least two digits ("1.235e+04" for 12345.678 and 3). The decimal
// point is always '.'. Infinities and NaN give "inf", "-inf", "nan" (or "-nan").
XCORE_API std::string xfDbl(double value, int digits, bool scientific);

// The 64-bit two's complement of value in uppercase hexadecimal, no prefix, zero-padded to at
// least `width` digits (0 .. 64): xfHex(255, 4) = "00FF", xfHex(-1, 8) = 16 'F's.
XCORE_API std::string xfHex(long long value, int width);
