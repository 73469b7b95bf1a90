// Exceptions of the pel buffers, the pel operations and the affine sampler.
#pragma once

#include "core/base/error_class.h"
#include "core/export.h"

#include <string>

// Error numbers: UnboundWindow 0x10000301, BadWindow 0x10000302, SizeMismatch 0x10000303,
// BadParams 0x10000304.
struct xcPel {
    // A window, size or pel was asked of a buffer that holds no pels.
    XC_ERROR_CLASS(XCORE_API, UnboundWindow, xcExceptionWithString, 0x10000301);
    // A window that does not lie where it must (outside the current window), a negative or too
    // large size, or a position out of range.
    XC_ERROR_CLASS(XCORE_API, BadWindow, xcExceptionWithString, 0x10000302);
    // Two buffers that an operation pairs pel by pel differ in width or height.
    XC_ERROR_CLASS(XCORE_API, SizeMismatch, xcExceptionWithString, 0x10000303);
    // A parameter outside the range an operation accepts (row alignment, sample counts,
    // sampling rectangle, interpolation mode, missing table).
    XC_ERROR_CLASS(XCORE_API, BadParams, xcExceptionWithString, 0x10000304);
};
