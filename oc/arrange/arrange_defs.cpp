#include "oc/arrange/arrange_defs.h"

XC_DEFINE_ERROR_ROOT(xcOCArrangeDefs::Errors, xcExceptionWithString)
XC_DEFINE_ERROR(xcOCArrangeDefs::BadParams, xcOCArrangeDefs::Errors)
XC_DEFINE_ERROR(xcOCArrangeDefs::BadMask, xcOCArrangeDefs::Errors)
