// Conversion of the mark polarity to and from the character core library's enumeration.
#pragma once

#include "foundation/export.h"
#include "foundation/oc_defs.h"
#include "occore/xoc_polarity.h"

// Both map 1, 2 and 4 to themselves; any other value throws xcOCDefs::BadParams "Illegal
// polarity" and leaves `to` unchanged.
OC_API void xfConvertPolarity(xoc_charPolarity from, xcOCDefs::Polarity& to);
OC_API void xfConvertPolarity(xcOCDefs::Polarity from, xoc_charPolarity& to);

// True for 1, 2 and 4.
inline bool xfIsValidPolarity(long value) {
    return value == 1 || value == 2 || value == 4;
}
