// The extraction classes' private parts that the tests check directly.
#pragma once

#include "align/align_pattern.h"
#include "oc/extract/extract_model.h"

struct xc_OCExtractTestAccess {
    using R = xc_OCExtractCharResult;
    using Handle = xcPtrHandle<R>;
    static void append(R& r, const xc_OCExtractCharInstance& i) { r.append_(i); }
    static void sort(R& r) { r.sortByScore_(); }
    static void removeOverlapping(R& r, long i, double t) { r.removeOverlapping_(i, t); }
    static bool doesOverlap(const R& r, long i, long j, double t) {
        return r.doesOverlap_(i, j, t);
    }
    static void rot180(R& r, const xcXform<2>& x) { r.rot180Pose_ = x; }
    static void addToResult(xc_OCExtractStringResult& s, long k, const Handle& r) {
        s.addToResult_(k, r);
    }
    static const auto& byKey(const xc_OCExtractStringResult& s) { return s.charResultsByKey_; }
    static const xcAlignPattern* pattern(const xc_OCExtractModel& m, long i) {
        return m.patterns[std::size_t(i)].get();
    }
};
