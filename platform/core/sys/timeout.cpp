#include "core/sys/timeout.h"

#include "core/persist/archive.h"
#include "core/text/str.h"

#include <cstdint>
#include <ostream>

XC_DEFINE_ERROR(xcTimeout::Expired, xcException)
XC_DEFINE_ERROR_WITH_FIELDS(xcTimeout::InternalExpired)
XC_DEFINE_ERROR(xcTimeout::BadParams, xcExceptionWithString)

void xcTimeout::Expired::message_(std::ostream& os) const {
    os << "Time limit expired";
}

void xcTimeout::InternalExpired::dispatchSerialize(xcArchive& ar) {
    if (haveVisited(ar)) return;
    xfExchangeVersion(ar, "xcTimeout::InternalExpired");
    // A long is 64 bits on this platform and an archived long only 32, so the code travels
    // as two halves; the object changes only once both have been read.
    const auto bits = static_cast<std::uint64_t>(static_cast<std::int64_t>(code_));
    unsigned long low = static_cast<unsigned long>(bits & 0xFFFFFFFFu);
    long high =
        static_cast<long>(static_cast<std::int32_t>(static_cast<std::uint32_t>(bits >> 32)));
    ar || low;
    ar || high;
    xcException::dispatchSerialize(ar);
    if (ar.isLoading()) {
        const std::uint64_t loaded =
            (static_cast<std::uint64_t>(static_cast<std::uint32_t>(high)) << 32) |
            static_cast<std::uint32_t>(low);
        code_ = static_cast<long>(static_cast<std::int64_t>(loaded));
    }
    setVisited(ar);
}

void xcTimeout::InternalExpired::message_(std::ostream& os) const {
    os << "Time limit expired (code 0x" << xfHex(code_, 8) << ")";
}
