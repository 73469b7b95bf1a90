// Exceptions of the per-thread time limits (see core/sys/attention.h).
#pragma once

#include "core/base/exception.h"
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
        ~Expired() override;

        // Archive: version byte 0, then the xcException part.
        void dispatchSerialize(xcArchive& ar) override;
        void message_(std::ostream& os) const override;

        XC_EXCEPTION_CONCRETE(Expired, 0x10000201)
    };

    // A custom-coded time limit of the calling thread has passed; code() is the limit's code.
    class XCORE_API InternalExpired : public xcException {
    public:
        explicit InternalExpired(long code = 0) : code_(code) {}
        ~InternalExpired() override;

        long code() const { return code_; }

        // Archive: version byte 0, the code's low 32 bits (unsigned 32-bit), its high 32 bits
        // (signed 32-bit), then the xcException part. The two halves keep any long exactly.
        void dispatchSerialize(xcArchive& ar) override;
        void message_(std::ostream& os) const override;

        XC_EXCEPTION_CONCRETE(InternalExpired, 0x10000202)

    private:
        long code_ = 0;
    };

    // A time limit that is not a number >= 0, or a tag used on a thread other than its own.
    class XCORE_API BadParams : public xcExceptionWithString {
    public:
        explicit BadParams(const std::string& message = "") : xcExceptionWithString(message) {}
        ~BadParams() override;

        // Archive: version byte 0, then the xcExceptionWithString part.
        void dispatchSerialize(xcArchive& ar) override;

        XC_EXCEPTION_CONCRETE(BadParams, 0x10000203)
    };
};
