#include "core/base/errors.h"

#include "core/persist/archive.h"
#include "core/persist/instantiator.h"

#include <cstdint>
#include <cstdio>
#include <ostream>

namespace {

xcPersistent* makeBadPointer() {
    return new xcBadPointer();
}
xcPersistent* makeFailureCode() {
    return new xcFailureCode();
}
xcPersistent* makeBadParams() {
    return new xcBadParams();
}

const xc_Instantiator sBadPointer(typeid(xcBadPointer), &makeBadPointer);
const xc_Instantiator sFailureCode(typeid(xcFailureCode), &makeFailureCode);
const xc_Instantiator sBadParams(typeid(xcBadParams), &makeBadParams);

// Exchanges one class level's version byte; only version 0 exists.
void exchangeVersion(xcArchive& ar, const char* className) {
    unsigned char version = 0;
    ar || version;
    if (version != 0) throw xcArchive::UnknownVersion(className, version);
}

} // namespace

xcBadPointer::~xcBadPointer() = default;

void xcBadPointer::dispatchSerialize(xcArchive& ar) {
    if (haveVisited(ar)) return;
    exchangeVersion(ar, "xcBadPointer");
    xcExceptionWithString::dispatchSerialize(ar);
    setVisited(ar);
}

// Failure codes are 32-bit; keeping the sign-extended value makes every copy of a code agree
// whether it came in as a negative int32 or as an LP64 literal such as 0x800013EEL.
xcFailureCode::xcFailureCode(long code) : code_(static_cast<std::int32_t>(code)) {
}

xcFailureCode::~xcFailureCode() = default;

void xcFailureCode::dispatchSerialize(xcArchive& ar) {
    if (haveVisited(ar)) return;
    exchangeVersion(ar, "xcFailureCode");
    long code = code_;
    ar || code;
    xcException::dispatchSerialize(ar);
    code_ = code;
    setVisited(ar);
}

void xcFailureCode::message_(std::ostream& os) const {
    char text[32];
    std::snprintf(text, sizeof text, "Failure code 0x%08X",
                  static_cast<unsigned>(static_cast<std::uint32_t>(code_)));
    os << text;
}

xcBadParams::~xcBadParams() = default;

void xcBadParams::dispatchSerialize(xcArchive& ar) {
    if (haveVisited(ar)) return;
    exchangeVersion(ar, "xcBadParams");
    xcExceptionWithString::dispatchSerialize(ar);
    setVisited(ar);
}
