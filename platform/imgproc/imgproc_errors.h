// Exceptions of the image-processing library.
#pragma once

#include "core/base/error_class.h"
#include "imgproc/export.h"

#include <string>

// Error numbers: BadParams 0x10000601, BadImage 0x10000602.
struct xcImgProcDefs {
    // A parameter outside the range an operation accepts.
    XC_ERROR_CLASS(XIMGPROC_API, BadParams, xcExceptionWithString, 0x10000601);
    // An image or mask that an operation cannot use: unbound, empty, or of the wrong size.
    XC_ERROR_CLASS(XIMGPROC_API, BadImage, xcExceptionWithString, 0x10000602);
};
