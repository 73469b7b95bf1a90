#include "oc/extract/string_result.h"

void xc_OCExtractStringResult::init() {
    charResultsByKey_.clear();
    uniqueCharResults_.clear();
    results_.clear();
    searchTime_ = 0.0;
    trainTime_ = 0.0;
}

void xc_OCExtractStringResult::addToResult_(long key, const Handle& r) {
    const auto it = charResultsByKey_.find(key);
    if (it == charResultsByKey_.end())
        charResultsByKey_.emplace(key, r);
    else
        *it->second += *r;
}

void xc_OCExtractStringResult::deleteOverlappingCandidate_(Handle& r, long index, double tolerance,
                                                           xcDiagObject*, unsigned long) {
    if (r) r->removeOverlapping_(index, tolerance);
}
