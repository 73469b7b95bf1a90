#include "foundation/failure_codes.h"

#include "core/base/failure.h"
#include "foundation/oc_defs.h"

#include <cstdint>

void xf_OCConvertFailureCode(long code) {
    switch (static_cast<std::int32_t>(code)) {
    case kOCFailBadThreshold:
        throw xcOCDefs::BadParams("Threshold must be between 0 and 256 inclusive");
    case kOCFailThresholdAndInvert:
        throw xcOCDefs::ThresholdAndInvertNotSpecified("Threshold and invert not specified");
    case kOCFailRectNotSpecified:
        throw xcOCDefs::RectNotSpecified("Rect not specified");
    case kOCFailFixedPointOverflow:
        throw xcOCDefs::IntegerOverflow("Value overflows fixed point value range");
    case kOCFailIntegerOverflow:
        throw xcOCDefs::IntegerOverflow("Value overflows integer value range");
    default:
        return;
    }
}

namespace {
// Registered when the library is loaded; nothing to undo at unload.
const bool sConverterRegistered =
    (xfRegisterExceptionConverter(kOCFacility, &xf_OCConvertFailureCode), true);
} // namespace
