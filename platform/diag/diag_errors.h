// Exceptions of the diagnostics recorder.
#pragma once

#include "core/base/error_class.h"
#include "diag/export.h"

#include <string>

// Error numbers: BadIndex 0x10000501, BadParams 0x10000502.
struct xcDiagDefs {
    // A record or graphic index outside 0 .. count - 1.
    XC_ERROR_CLASS(XDIAG_API, BadIndex, xcExceptionWithString, 0x10000501);
    // An argument the recorder or a graphic does not accept (negative level, unknown
    // coordinate system, pen style or icon, pen width below 1, null graphic).
    XC_ERROR_CLASS(XDIAG_API, BadParams, xcExceptionWithString, 0x10000502);
};
