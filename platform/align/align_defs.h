// Exceptions of the pattern-alignment tool.
#pragma once

#include "align/export.h"
#include "core/base/exception.h"

#include <string>

// Error numbers: Errors 0x10000401, InternalError 0x10000402, BadParams 0x10000403.
struct xc_AlignDefs {
    // Training refused: the image gives too little to train on (too small, flat, too few edge
    // features, or edges whose directions cannot fix the pose).
    class XALIGN_API Errors : public xcExceptionWithString {
    public:
        explicit Errors(const std::string& message = "") : xcExceptionWithString(message) {}
        ~Errors() override;
        // Archive: version byte 0, then the xcExceptionWithString part.
        void dispatchSerialize(xcArchive& ar) override;
        XC_EXCEPTION_CONCRETE(Errors, 0x10000401)
    };
    // A run failed inside the tool for a reason other than its input; its result set is empty.
    class XALIGN_API InternalError : public Errors {
    public:
        explicit InternalError(const std::string& message = "") : Errors(message) {}
        ~InternalError() override;
        // Archive: version byte 0, then the Errors part.
        void dispatchSerialize(xcArchive& ar) override;
        XC_EXCEPTION_CONCRETE(InternalError, 0x10000402)
    };
    // An argument the tool cannot use: a parameter out of range, an unbound or mismatched image,
    // a run before training.
    class XALIGN_API BadParams : public xcExceptionWithString {
    public:
        explicit BadParams(const std::string& message = "") : xcExceptionWithString(message) {}
        ~BadParams() override;
        // Archive: version byte 0, then the xcExceptionWithString part.
        void dispatchSerialize(xcArchive& ar) override;
        XC_EXCEPTION_CONCRETE(BadParams, 0x10000403)
    };
};
