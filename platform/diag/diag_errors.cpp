#include "diag/diag_errors.h"

XC_DEFINE_ERROR(xcDiagDefs::BadIndex, xcExceptionWithString)
XC_DEFINE_ERROR(xcDiagDefs::BadParams, xcExceptionWithString)
