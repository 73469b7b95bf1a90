// The extraction classes' private parts that the tests check directly.
#pragma once

#include "align/align_pattern.h"
#include "oc/extract/extract_model.h"
#include "oc/extract/search_result2.h"

struct xc_OCExtractTestAccess {
    using Handle = xcPtrHandle<xc_OCExtractCharResult>;
    static void append(xc_OCExtractCharResult& r, const xc_OCExtractCharInstance& i) {
        r.append_(i);
    }
    static void sort(xc_OCExtractCharResult& r) { r.sortByScore_(); }
    static void add(xc_OCExtractCharResult& r, const xc_OCExtractCharResult& o) { r += o; }
    static void removeOverlapping(xc_OCExtractCharResult& r, long i, double t) {
        r.removeOverlapping_(i, t);
    }
    static bool doesOverlap(const xc_OCExtractCharResult& r, long i, long j, double t) {
        return r.doesOverlap_(i, j, t);
    }
    static void rot180(xc_OCExtractCharResult& r, const xcXform<2>& x) { r.rot180Pose_ = x; }
    static void addToResult(xc_OCExtractStringResult& s, long key, const Handle& r) {
        s.addToResult_(key, r);
    }
    static const std::map<long, Handle>& byKey(const xc_OCExtractStringResult& s) {
        return s.charResultsByKey_;
    }
    static const xcAlignPattern* pattern(const xc_OCExtractModel& m, long i) {
        return m.patterns[static_cast<std::size_t>(i)].get();
    }
    static const xcXform<2>& rot180(const xc_OCExtractModel& m, long i) {
        return m.rot180Poses[static_cast<std::size_t>(i)];
    }
    static bool refineOverlap(const xc_SearchResult2& r, long i, long j) {
        return r.doesOverlap_(i, j, 0.1);
    }
};
