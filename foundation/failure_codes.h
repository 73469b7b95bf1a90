// Failure codes of the character core library (facility 159) and their OC exceptions.
#pragma once

#include "foundation/export.h"

// Codes are negative 32-bit values; facility = (code & 0xFFFF) >> 5.
enum : long {
    kOCFacility = 159,
    kOCFailBadThreshold = static_cast<int>(0x800013EC),       // BadParams
    kOCFailThresholdAndInvert = static_cast<int>(0x800013ED), // ThresholdAndInvertNotSpecified
    kOCFailRectNotSpecified = static_cast<int>(0x800013EF),   // RectNotSpecified
    kOCFailFixedPointOverflow = static_cast<int>(0x800013F0), // IntegerOverflow
    kOCFailIntegerOverflow = static_cast<int>(0x800013F1),    // IntegerOverflow
};

// The converter registered for facility 159 at library load: throws the OC exception of a code
// in its table and returns for any other code.
OC_API void xf_OCConvertFailureCode(long code);
