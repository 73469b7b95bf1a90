// The arranger's enumerations and exception classes.
#pragma once

#include "core/base/exception.h"
#include "core/persist/instantiator.h"
#include "foundation/export.h"
#include "foundation/oc_defs.h"

#include <cstdint>
#include <string>

class xcArchive;

struct xcOCArrangeDefs {
    // All enumerations are stored and archived as 32-bit values.
    enum LineType : std::uint32_t {
        eStraight = 0, // every line of text is straight
        eCircular = 1, // every line of text follows a circle
        eDontCare = 2  // the arranger decides per line
    };
    enum OrientationMode : std::uint32_t {
        eSpecified = 0, // the characters' expected orientation is expectedOrientation
        eAverage = 1    // the average orientation found on each line
    };
    enum OrientationReference : std::uint32_t {
        eAbsolute = 0, // measured in the image's client frame
        eRelative = 1  // measured from the line's direction (a circle's tangent)
    };
    enum CharStatus : std::uint32_t {
        eMatched = 0,  // found by the candidate search
        eInferred = 1, // not found; the pose comes from its neighbours on the line
        eUnknown = 2   // not found and no pose could be inferred
    };

    // Base of the arranger's exceptions; the message is the base's string.
    class OC_API Errors : public xcExceptionWithString {
    public:
        ~Errors() override;
        long errorNumber() const override = 0;
        void suicideAndRethrow() override = 0;

    protected:
        explicit Errors(const std::string& message);
        Errors(const Errors&) = default;
        Errors& operator=(const Errors&) = default;
        void dispatchSerialize(xcArchive& ar) override;
        void serialize_(xcArchive& ar, unsigned char version);
    };

    XC_OC_EXCEPTION_CLASS(BadParams, Errors); // 0x10007400: a parameter setter refused a value
    XC_OC_EXCEPTION_CLASS(BadMask, Errors);   // 0x10007401: the mask does not fit the image
};
