#include "core/sys/timeout.h"

#include "core/persist/archive.h"
#include "core/persist/instantiator.h"
#include "core/text/str.h"

#include <cstdint>
#include <ostream>
#include <typeinfo>

namespace {

xcPersistent* makeExpired() {
    return new xcTimeout::Expired();
}
xcPersistent* makeInternalExpired() {
    return new xcTimeout::InternalExpired();
}
xcPersistent* makeBadParams() {
    return new xcTimeout::BadParams();
}

const xc_Instantiator sExpired(typeid(xcTimeout::Expired), &makeExpired);
const xc_Instantiator sInternalExpired(typeid(xcTimeout::InternalExpired), &makeInternalExpired);
const xc_Instantiator sBadParams(typeid(xcTimeout::BadParams), &makeBadParams);

// Exchanges this level's version byte; only version 0 exists.
void exchangeVersion(xcArchive& ar, const char* className) {
    unsigned char version = 0;
    ar || version;
    if (version != 0) throw xcArchive::UnknownVersion(className, version);
}

} // namespace

xcTimeout::Expired::~Expired() = default;

void xcTimeout::Expired::dispatchSerialize(xcArchive& ar) {
    if (haveVisited(ar)) return;
    exchangeVersion(ar, "xcTimeout::Expired");
    xcException::dispatchSerialize(ar);
    setVisited(ar);
}

void xcTimeout::Expired::message_(std::ostream& os) const {
    os << "Time limit expired";
}

xcTimeout::InternalExpired::~InternalExpired() = default;

void xcTimeout::InternalExpired::dispatchSerialize(xcArchive& ar) {
    if (haveVisited(ar)) return;
    exchangeVersion(ar, "xcTimeout::InternalExpired");
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

xcTimeout::BadParams::~BadParams() = default;

void xcTimeout::BadParams::dispatchSerialize(xcArchive& ar) {
    if (haveVisited(ar)) return;
    exchangeVersion(ar, "xcTimeout::BadParams");
    xcExceptionWithString::dispatchSerialize(ar);
    setVisited(ar);
}
