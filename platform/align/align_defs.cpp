#include "align/align_defs.h"

XC_DEFINE_ERROR(xc_AlignDefs::Errors, xcExceptionWithString)
XC_DEFINE_ERROR(xc_AlignDefs::InternalError, xc_AlignDefs::Errors)
XC_DEFINE_ERROR(xc_AlignDefs::BadParams, xcExceptionWithString)
