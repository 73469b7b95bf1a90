#include "core/text/str.h"

#include "core/persist/archive.h"

#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <typeinfo>

namespace {

constexpr int kMaxDigits = 1100; // enough for every decimal of the smallest subnormal (1074)
constexpr int kMaxHexWidth = 64;

template <class T>
std::string integerText(T value) {
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    assert(res.ec == std::errc());
    return std::string(buf, res.ptr);
}

// to_chars writes "inf"/"nan" for special values in every format; it never consults the
// locale, which is why it is used instead of printf or streams.
std::string nonFinite(double value) {
    if (std::isnan(value)) return std::signbit(value) ? "-nan" : "nan";
    return value < 0 ? "-inf" : "inf";
}

} // namespace

XC_DEFINE_ERROR(xcStrDefs::BadParams, xcExceptionWithString)

std::string xfStr(int value) {
    return integerText(value);
}
std::string xfStr(unsigned int value) {
    return integerText(value);
}
std::string xfStr(long value) {
    return integerText(value);
}
std::string xfStr(unsigned long value) {
    return integerText(value);
}
std::string xfStr(long long value) {
    return integerText(value);
}
std::string xfStr(unsigned long long value) {
    return integerText(value);
}
std::string xfStr(bool value) {
    return value ? "true" : "false";
}

std::string xfStr(double value) {
    if (!std::isfinite(value)) return nonFinite(value);
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    assert(res.ec == std::errc());
    return std::string(buf, res.ptr);
}

std::string xfDbl(double value, int digits, bool scientific) {
    if (digits < 0 || digits > kMaxDigits)
        throw xcStrDefs::BadParams("Number of decimals must be between 0 and 1100");
    if (!std::isfinite(value)) return nonFinite(value);
    // Fixed form needs at most 309 integer digits, a sign, a point and the decimals.
    std::string text(static_cast<std::size_t>(digits) + 320, '\0');
    const auto format = scientific ? std::chars_format::scientific : std::chars_format::fixed;
    const auto res = std::to_chars(text.data(), text.data() + text.size(), value, format, digits);
    assert(res.ec == std::errc());
    text.resize(static_cast<std::size_t>(res.ptr - text.data()));
    return text;
}

std::string xfHex(long long value, int width) {
    if (width < 0 || width > kMaxHexWidth)
        throw xcStrDefs::BadParams("Hexadecimal width must be between 0 and 64");
    static constexpr char kDigits[] = "0123456789ABCDEF";
    auto bits = static_cast<std::uint64_t>(value);
    std::string text;
    do {
        text.insert(text.begin(), kDigits[bits & 0xF]);
        bits >>= 4;
    } while (bits != 0);
    if (text.size() < static_cast<std::size_t>(width))
        text.insert(0, static_cast<std::size_t>(width) - text.size(), '0');
    return text;
}
