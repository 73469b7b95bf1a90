#include "core/base/failure.h"

#include "core/base/errors.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

namespace {

using Converter = void (*)(long);
constexpr long kFacilities = 2048;

// One slot per facility: lookups take no lock and see a converter fully registered or not.
std::array<std::atomic<Converter>, kFacilities>& converters() {
    static std::array<std::atomic<Converter>, kFacilities> table{};
    return table;
}

} // namespace

void xfThrowExceptionOnFailure(long code) {
    // On LP64 hosts a long literal such as 0x800013EC is positive; the code is 32-bit.
    const auto c = static_cast<std::int32_t>(code);
    if (c >= 0) return;
    const std::uint32_t facility = (static_cast<std::uint32_t>(c) & 0xFFFFu) >> 5;
    if (Converter convert = converters()[facility].load(std::memory_order_acquire))
        convert(static_cast<long>(c));
    throw xcFailureCode(c);
}

void xfRegisterExceptionConverter(long facility, void (*converter)(long code)) {
    if (facility < 0 || facility >= kFacilities)
        throw xcBadParams("Facility " + std::to_string(facility) + " is not in 0 .. 2047");
    converters()[static_cast<std::size_t>(facility)].store(converter, std::memory_order_release);
}
