// Vectors whose elements have no archive operator of their own (enumerations), in the vector
// archive format of core/persist/archive_vector.h: a version byte 0, the element count as
// unsigned long, then the elements.
#pragma once

#include "core/persist/archive.h"

#include <cstddef>
#include <vector>

// Exchanges a vector with the archive, each element through `element(ar, e)`. Loading reads into
// a new vector and swaps it in only when every element was read, so a failed load leaves `v` as
// it was; a count that the bytes left cannot hold at `minElementBytes` each is refused before
// anything is allocated.
template <class T, class F>
void xf_ArchiveVector(xcArchive& ar, std::vector<T>& v, F&& element, std::size_t minElementBytes) {
    xfExchangeVersion(ar, "vector");
    if (ar.isStoring()) {
        unsigned long count = static_cast<unsigned long>(v.size());
        ar || count;
        for (T& e : v) element(ar, e);
        return;
    }
    unsigned long count = 0;
    ar || count;
    ar.checkCount(count, minElementBytes);
    std::vector<T> loaded(count);
    for (T& e : loaded) element(ar, e);
    v.swap(loaded);
}
