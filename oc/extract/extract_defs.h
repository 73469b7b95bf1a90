// The extraction tool's symmetry classes and its exception class.
#pragma once

#include "core/base/error_class.h"
#include "foundation/export.h"

#include <cstdint>
#include <string>

struct xc_OCExtractDefs {
    // How a character's image looks when turned (stored as a 32-bit value).
    enum Symmetry : std::uint32_t {
        eNoSymmetry = 0,  // it does not match itself turned by 180 degrees
        e180Symmetry = 1, // it matches itself at 180 degrees but not at every probe angle
        eFullSymmetry = 2 // it matches itself at 180 degrees and at every probe angle
    };

    // Error number 0x10007402; archived as version byte 0, then the xcExceptionWithString part.
    class OC_API xc_OCExtractError : public xcExceptionWithString {
    public:
        explicit xc_OCExtractError(const std::string& message = "")
            : xcExceptionWithString(message) {}
        // Like the library's other exceptions, an unknown version byte is reported as number 0.
        static constexpr long kUnknownVersionNumber = 0;
        XC_ERROR_MEMBERS(xc_OCExtractError, 0x10007402)
    };
};
