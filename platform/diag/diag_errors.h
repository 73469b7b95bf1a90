// Exceptions of the diagnostics recorder.
#pragma once

#include "core/base/exception.h"
#include "diag/export.h"

#include <string>

// Error numbers: BadIndex 0x10000501, BadParams 0x10000502.
struct xcDiagDefs {
    // A record or graphic index outside 0 .. count - 1.
    class XDIAG_API BadIndex : public xcExceptionWithString {
    public:
        explicit BadIndex(const std::string& message = "") : xcExceptionWithString(message) {}
        ~BadIndex() override;
        // Archive: version byte 0, then the xcExceptionWithString part.
        void dispatchSerialize(xcArchive& ar) override;
        XC_EXCEPTION_CONCRETE(BadIndex, 0x10000501)
    };
    // An argument the recorder or a graphic does not accept (negative level, unknown
    // coordinate system, pen style or icon, pen width below 1, null graphic).
    class XDIAG_API BadParams : public xcExceptionWithString {
    public:
        explicit BadParams(const std::string& message = "") : xcExceptionWithString(message) {}
        ~BadParams() override;
        // Archive: version byte 0, then the xcExceptionWithString part.
        void dispatchSerialize(xcArchive& ar) override;
        XC_EXCEPTION_CONCRETE(BadParams, 0x10000502)
    };
};
