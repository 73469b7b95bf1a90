// The result of one extraction search: one character result per model and per position.
#pragma once

#include "core/base/handle.h"
#include "foundation/export.h"
#include "oc/extract/char_result.h"

#include <map>
#include <vector>

class xcDiagObject;

// Copies share the character results through their handles.
class OC_API xc_OCExtractStringResult {
public:
    using Handle = xcPtrHandle<xc_OCExtractCharResult>;

    xc_OCExtractStringResult() = default;
    xc_OCExtractStringResult(const xc_OCExtractStringResult&) = default;
    xc_OCExtractStringResult& operator=(const xc_OCExtractStringResult&) = default;

    // Empties the map and both vectors; both times 0.
    void init();

    // One result per character model, in ascending key order.
    const std::vector<Handle>& uniqueCharResults() const { return uniqueCharResults_; }
    // One result per position of the requested key list; equal keys share one object.
    const std::vector<Handle>& results() const { return results_; }
    // Milliseconds of the search and post-processing, without training.
    double searchTime() const { return searchTime_; }
    // Milliseconds of training.
    double trainTime() const { return trainTime_; }

private:
    friend class xc_OCExtractModel;
    friend struct xc_OCExtractTestAccess;

    // Enters r under the key, or merges it into the result already there (operator+=).
    void addToResult_(long key, const Handle& r);
    // removeOverlapping_(index, tolerance) on r when it is not null.
    void deleteOverlappingCandidate_(Handle& r, long index, double tolerance, xcDiagObject* rec,
                                     unsigned long flags);

    double searchTime_ = 0.0;
    double trainTime_ = 0.0;
    std::vector<Handle> uniqueCharResults_;
    std::vector<Handle> results_;
    std::map<long, Handle> charResultsByKey_;
};
