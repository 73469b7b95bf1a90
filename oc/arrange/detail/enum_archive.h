// Exchange of the arranger's enumerations with an archive, as unsigned 32-bit values.
#pragma once

#include "core/persist/archive.h"

namespace oc_detail {

// Stores the value as an unsigned long; loading refuses a value above `last`, the enumeration's
// largest, as damage.
template <class Enum>
void archiveEnum(xcArchive& ar, Enum& e, Enum last) {
    unsigned long v = static_cast<unsigned long>(e);
    ar || v;
    if (ar.isStoring()) return;
    if (v > static_cast<unsigned long>(last))
        throw xcArchive::BadFormat("oc/arrange: an enumeration value is out of range");
    e = static_cast<Enum>(v);
}

} // namespace oc_detail
