// Exceptions of the pattern-alignment tool.
#pragma once

#include "align/export.h"
#include "core/base/error_class.h"

#include <string>

// Error numbers: Errors 0x10000401, InternalError 0x10000402, BadParams 0x10000403.
struct xc_AlignDefs {
    // Training refused: the image gives too little to train on (too small, flat, too few edge
    // features, or edges whose directions cannot fix the pose).
    XC_ERROR_CLASS(XALIGN_API, Errors, xcExceptionWithString, 0x10000401);
    // A run failed inside the tool for a reason other than its input; its result set is empty.
    XC_ERROR_CLASS(XALIGN_API, InternalError, Errors, 0x10000402);
    // An argument the tool cannot use: a parameter out of range, an unbound or mismatched image,
    // a run before training.
    XC_ERROR_CLASS(XALIGN_API, BadParams, xcExceptionWithString, 0x10000403);
};
