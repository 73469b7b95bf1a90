#include "core/text/charcode.h"

#include "core/persist/archive.h"
#include "core/text/str.h"

#include <cstdint>
#include <optional>
#include <typeinfo>

namespace {

// The 32-bit code an unsigned long stands for, if any.
std::optional<std::uint32_t> code32(unsigned long code) {
    const auto low = static_cast<std::uint32_t>(code);
    if (code == low) return low;
    const auto signExtended =
        static_cast<unsigned long>(static_cast<long>(static_cast<std::int32_t>(low)));
    if (code == signExtended) return low;
    return std::nullopt;
}

xcCharCodeDefs::NotRepresentable notRepresentable(unsigned long code, const char* type) {
    return xcCharCodeDefs::NotRepresentable("Character code 0x" +
                                            xfHex(static_cast<long long>(code), 8) +
                                            " is not representable as " + type);
}

} // namespace

XC_DEFINE_ERROR(xcCharCodeDefs::NotRepresentable, xcExceptionWithString)

bool xcCharCode::isRepresentableAsChar(unsigned long code) {
    const auto c = code32(code);
    return c && (*c <= 0xFFu || *c >= 0xFFFFFF80u);
}

bool xcCharCode::isRepresentableAsWChar(unsigned long code) {
    const auto c = code32(code);
    return c && *c <= 0x10FFFFu;
}

bool xcCharCode::isRepresentableAsTChar(unsigned long code) {
    return isRepresentableAsChar(code);
}

char xcCharCode::getAsChar(unsigned long code) {
    if (!isRepresentableAsChar(code)) throw notRepresentable(code, "char");
    return static_cast<char>(static_cast<unsigned char>(code & 0xFFu));
}

wchar_t xcCharCode::getAsWChar(unsigned long code) {
    if (!isRepresentableAsWChar(code)) throw notRepresentable(code, "wchar_t");
    return static_cast<wchar_t>(code);
}

xcTChar xcCharCode::getAsTChar(unsigned long code) {
    if (!isRepresentableAsTChar(code)) throw notRepresentable(code, "char");
    return getAsChar(code);
}

bool xcCharCode::isSpace(unsigned long code) {
    const auto c = code32(code);
    if (!c) return false;
    switch (*c) {
    case 0x0009:
    case 0x000A:
    case 0x000B:
    case 0x000C:
    case 0x000D:
    case 0x0020:
    case 0x0085:
    case 0x00A0:
    case 0x1680:
    case 0x2028:
    case 0x2029:
    case 0x202F:
    case 0x205F:
    case 0x3000:
        return true;
    default:
        return *c >= 0x2000 && *c <= 0x200A;
    }
}
