// The arranger's enumerations and exception classes.
#pragma once

#include "core/base/error_class.h"
#include "foundation/export.h"
#include "foundation/oc_defs.h"

#include <cstdint>
#include <string>

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
    XC_ERROR_ROOT_CLASS(OC_API, Errors, xcExceptionWithString);
    // A parameter setter refused a value.
    XC_ERROR_CLASS(OC_API, BadParams, Errors, 0x10007400);
    // The mask does not fit the image.
    XC_ERROR_CLASS(OC_API, BadMask, Errors, 0x10007401);
};
