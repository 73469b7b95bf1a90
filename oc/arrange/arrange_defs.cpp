#include "oc/arrange/arrange_defs.h"

#include "foundation/exception_impl.h"

XC_OC_ERRORS_BASE_IMPL(xcOCArrangeDefs)

XC_OC_EXCEPTION_IMPL(xcOCArrangeDefs, BadParams, 0x10007400)
XC_OC_EXCEPTION_IMPL(xcOCArrangeDefs, BadMask, 0x10007401)
