// The OC library's exception classes, their error numbers, and the mark polarity.
#pragma once

#include "core/base/error_class.h"
#include "foundation/export.h"

#include <string>

struct xcOCDefs {
    // How marks differ from their background (bit values; no other value is valid).
    enum Polarity : unsigned int {
        eDarkOnLight = 1,    // mark pels are below the threshold
        eLightOnDark = 2,    // mark pels are at or above the threshold
        eUnknownPolarity = 4 // determined from the image where needed
    };

    // Base of every OC exception; the message is the base's string.
    XC_ERROR_ROOT_CLASS(OC_API, Errors, xcExceptionWithString);

    // Error numbers (errorNumber()); 0x10005E07, 0x10005E08 and 0x10005E0C belong to no class.
    XC_ERROR_CLASS(OC_API, BadParams, Errors, 0x10005E00);
    XC_ERROR_CLASS(OC_API, BadImage, Errors, 0x10005E01);
    XC_ERROR_CLASS(OC_API, NotImplemented, Errors, 0x10005E02);
    XC_ERROR_CLASS(OC_API, SameKey, Errors, 0x10005E03);
    XC_ERROR_CLASS(OC_API, BadKey, Errors, 0x10005E04);
    XC_ERROR_CLASS(OC_API, BadIndex, Errors, 0x10005E05);
    XC_ERROR_CLASS(OC_API, NotCompiled, Errors, 0x10005E06);
    XC_ERROR_CLASS(OC_API, RectNotSpecified, Errors, 0x10005E09);
    XC_ERROR_CLASS(OC_API, MetricNotSpecified, Errors, 0x10005E0A);
    XC_ERROR_CLASS(OC_API, ThresholdAndInvertNotSpecified, Errors, 0x10005E0B);
    XC_ERROR_CLASS(OC_API, IntegerOverflow, Errors, 0x10005E0D);
    XC_ERROR_CLASS(OC_API, UnrepresentableKey, Errors, 0x10005E0E);
    XC_ERROR_CLASS(OC_API, BadFileFormat, Errors, 0x10005E0F);
};
