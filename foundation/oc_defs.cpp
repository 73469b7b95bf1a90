#include "foundation/oc_defs.h"

#include "foundation/exception_impl.h"

XC_OC_ERRORS_BASE_IMPL(xcOCDefs)

XC_OC_EXCEPTION_IMPL(xcOCDefs, BadParams, 0x10005E00)
XC_OC_EXCEPTION_IMPL(xcOCDefs, BadImage, 0x10005E01)
XC_OC_EXCEPTION_IMPL(xcOCDefs, NotImplemented, 0x10005E02)
XC_OC_EXCEPTION_IMPL(xcOCDefs, SameKey, 0x10005E03)
XC_OC_EXCEPTION_IMPL(xcOCDefs, BadKey, 0x10005E04)
XC_OC_EXCEPTION_IMPL(xcOCDefs, BadIndex, 0x10005E05)
XC_OC_EXCEPTION_IMPL(xcOCDefs, NotCompiled, 0x10005E06)
XC_OC_EXCEPTION_IMPL(xcOCDefs, RectNotSpecified, 0x10005E09)
XC_OC_EXCEPTION_IMPL(xcOCDefs, MetricNotSpecified, 0x10005E0A)
XC_OC_EXCEPTION_IMPL(xcOCDefs, ThresholdAndInvertNotSpecified, 0x10005E0B)
XC_OC_EXCEPTION_IMPL(xcOCDefs, IntegerOverflow, 0x10005E0D)
XC_OC_EXCEPTION_IMPL(xcOCDefs, UnrepresentableKey, 0x10005E0E)
XC_OC_EXCEPTION_IMPL(xcOCDefs, BadFileFormat, 0x10005E0F)
