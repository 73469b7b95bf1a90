// Exceptions of the per-thread time limits (see core/sys/attention.h).
#pragma once

#include "core/base/error_class.h"
#include "core/export.h"

#include <string>

// Error numbers: Expired 0x10000201, InternalExpired 0x10000202, BadParams 0x10000203.
//
// Expired and InternalExpired are siblings: a handler for one never takes the other, so a
// caller's limit that passes inside a search tool still reaches the caller's Expired handler.
struct xcTimeout {
    // An ordinary time limit of the calling thread has passed.
    class XCORE_API Expired : public xcException {
    public:
        Expired() = default;

        void message_(std::ostream& os) const override;
        // Archive: version byte 0, then the xcException part.
        XC_ERROR_MEMBERS(Expired, 0x10000201)
    };

    // A custom-coded time limit of the calling thread has passed; code() is the limit's code.
    class XCORE_API InternalExpired : public xcException {
    public:
        explicit InternalExpired(long code = 0) : code_(code) {}

        long code() const { return code_; }

        void message_(std::ostream& os) const override;
        // Archive: version byte 0, the code's low 32 bits (unsigned 32-bit), its high 32 bits
        // (signed 32-bit), then the xcException part. The two halves keep any long exactly.
        XC_ERROR_MEMBERS(InternalExpired, 0x10000202)

    private:
        long code_ = 0;
    };

    // A time limit that is not a number >= 0, or a tag used on a thread other than its own.
    XC_ERROR_CLASS(XCORE_API, BadParams, xcExceptionWithString, 0x10000203);
};
