// Exceptions of the geometry classes (error numbers 0x10000101, 0x10000102).
#pragma once

#include "core/base/error_class.h"
#include "core/export.h"

struct xcGeomDefs {
    // A transform or matrix that must be inverted is singular (or not finite).
    XC_ERROR_CLASS(XCORE_API, Singular, xcExceptionWithString, 0x10000101);
    // A geometric argument is invalid (degenerate rectangle, empty point set, NaN, ...).
    XC_ERROR_CLASS(XCORE_API, BadParams, xcExceptionWithString, 0x10000102);
};
