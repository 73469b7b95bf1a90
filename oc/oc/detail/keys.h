// Small helpers on vectors of keys shared by the alphabet, key sets and lines.
#pragma once

#include <algorithm>
#include <vector>

namespace oc_detail {

// True when any two entries are equal.
inline bool hasDuplicates(const std::vector<long>& keys) {
    std::vector<long> sorted(keys);
    std::sort(sorted.begin(), sorted.end());
    return std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end();
}

} // namespace oc_detail
