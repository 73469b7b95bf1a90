// What one arrangement run found.
#pragma once

#include "core/base/handle.h"
#include "core/geom/xform.h"
#include "foundation/export.h"
#include "oc/arrange/arrange_defs.h"
#include "oc/oc/line_arrangement.h"

#include <vector>

class xcArchive;
class xcOCArrangeResults;

// Version byte 1, then isFound, isSearchTruncated (bools), the arrangement (a shared handle,
// null allowed), clientFromArrangementXform, statusFlags (vector of unsigned longs) and scores
// (vector of doubles). A version-0 archive has two further doubles, which are read and dropped.
OC_API xcArchive& operator||(xcArchive& ar, xcOCArrangeResults& r);

// Filled by the arranger alone: it has no public setters. Copies share the arrangement.
class OC_API xcOCArrangeResults {
public:
    // Not found, not truncated, no arrangement, identity transform, empty vectors.
    xcOCArrangeResults();
    xcOCArrangeResults(const xcOCArrangeResults&) = default;
    xcOCArrangeResults& operator=(const xcOCArrangeResults&) = default;

    // The run completed and arrangement() holds its line arrangement.
    bool isFound() const { return isFound_; }
    // The candidate or arrangement search stopped before it was complete.
    bool isSearchTruncated() const { return isSearchTruncated_; }
    const xcPtrHandle_const<xcOCLineArrangement>& arrangement() const { return arrangement_; }
    // Maps the arrangement's frame to the image's client frame.
    const xcXform<2>& clientFromArrangementXform() const { return clientFromArrangement_; }
    // Per expected character, in the order of the caller's keys.
    const std::vector<xcOCArrangeDefs::CharStatus>& statusFlags() const { return statusFlags_; }
    const std::vector<double>& scores() const { return scores_; }

    // Flags, transform and vectors equal; both arrangements null, or both set and equal by value.
    bool operator==(const xcOCArrangeResults& o) const;
    bool operator!=(const xcOCArrangeResults& o) const { return !(*this == o); }

private:
    friend class xc_OCArrangeResultsAccess;
    friend xcArchive& operator||(xcArchive& ar, xcOCArrangeResults& r);

    bool isFound_ = false;
    bool isSearchTruncated_ = false;
    xcPtrHandle_const<xcOCLineArrangement> arrangement_;
    xcXform<2> clientFromArrangement_;
    std::vector<xcOCArrangeDefs::CharStatus> statusFlags_;
    std::vector<double> scores_;
};

// The arranger's write access to its results (the only way to change them).
class xc_OCArrangeResultsAccess {
public:
    static bool& isFound(xcOCArrangeResults& r) { return r.isFound_; }
    static bool& isSearchTruncated(xcOCArrangeResults& r) { return r.isSearchTruncated_; }
    static xcPtrHandle_const<xcOCLineArrangement>& arrangement(xcOCArrangeResults& r) {
        return r.arrangement_;
    }
    static xcXform<2>& clientFromArrangementXform(xcOCArrangeResults& r) {
        return r.clientFromArrangement_;
    }
    static std::vector<xcOCArrangeDefs::CharStatus>& statusFlags(xcOCArrangeResults& r) {
        return r.statusFlags_;
    }
    static std::vector<double>& scores(xcOCArrangeResults& r) { return r.scores_; }
};
