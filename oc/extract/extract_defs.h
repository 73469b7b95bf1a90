// The extraction tool's symmetry classes and its exception class.
#pragma once

#include "core/base/exception.h"
#include "core/persist/instantiator.h"
#include "foundation/export.h"

#include <cstdint>
#include <string>

class xcArchive;

struct xc_OCExtractDefs {
    // How a character's image looks when turned (stored as a 32-bit value).
    enum Symmetry : std::uint32_t {
        eNoSymmetry = 0,  // it does not match itself turned by 180 degrees
        e180Symmetry = 1, // it matches itself at 180 degrees but not at every probe angle
        eFullSymmetry = 2 // it matches itself at 180 degrees and at every probe angle
    };

    // Error number 0x10007402. Archive: version byte 0, then the xcExceptionWithString part;
    // registered for archives when the library is loaded.
    class OC_API xc_OCExtractError : public xcExceptionWithString {
    public:
        explicit xc_OCExtractError(const std::string& message = "");
        xc_OCExtractError(const xc_OCExtractError& other);
        xc_OCExtractError& operator=(const xc_OCExtractError& other);
        ~xc_OCExtractError() override;
        long errorNumber() const override;
        [[noreturn]] void suicideAndRethrow() override;

    protected:
        void dispatchSerialize(xcArchive& ar) override;
        void serialize_(xcArchive& ar, unsigned char version);

    private:
        static xcPersistent* make();
        static xc_Instantiator sExemplar;
    };
};
