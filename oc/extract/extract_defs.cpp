#include "oc/extract/extract_defs.h"

XC_DEFINE_ERROR(xc_OCExtractDefs::xc_OCExtractError, xcExceptionWithString)
