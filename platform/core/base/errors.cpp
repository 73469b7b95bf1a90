#include "core/base/errors.h"

#include <cstdint>
#include <cstdio>
#include <ostream>

XC_DEFINE_ERROR(xcBadPointer, xcExceptionWithString)
XC_DEFINE_ERROR_WITH_FIELDS(xcFailureCode)
XC_DEFINE_ERROR(xcBadParams, xcExceptionWithString)

// Failure codes are 32-bit; keeping the sign-extended value makes every copy of a code agree
// whether it came in as a negative int32 or as an LP64 literal such as 0x800013EEL.
xcFailureCode::xcFailureCode(long code) : code_(static_cast<std::int32_t>(code)) {
}

void xcFailureCode::dispatchSerialize(xcArchive& ar) {
    if (haveVisited(ar)) return;
    xfExchangeVersion(ar, "xcFailureCode");
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
