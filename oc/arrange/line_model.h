// Straight and circular line models of an arrangement and their five geometric cost terms.
#pragma once

#include "core/geom/circle.h"
#include "core/geom/line.h"
#include "foundation/export.h"
#include "oc/arrange/arrange_context.h"
#include "oc/arrange/arrange_fit.h"
#include "oc/arrange/arrange_path.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

struct xc_LineOutcome;

// The costs of the lines one search has already fitted, keyed by each line's start and its
// choices up to its last matched character, so that extending a path refits only the line that
// changed. Holds at most kMaxEntries lines; the search gives it to the evaluation through its
// context, and the final evaluation never uses it.
class OC_API xc_LineCostCache {
public:
    static constexpr std::size_t kMaxEntries = 1 << 18;
    xc_LineCostCache();
    ~xc_LineCostCache();
    xc_LineCostCache(const xc_LineCostCache&) = delete;
    xc_LineCostCache& operator=(const xc_LineCostCache&) = delete;

    const xc_LineOutcome* find(const std::string& key) const;
    void insert(const std::string& key, const xc_LineOutcome& outcome);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// For every line of the path: fits a straight and, where allowed, a circular model through its
// matched candidates, predicts each character's position and angle, and adds the line's
// normal, tangential, orientation, scale and spacing errors to the five geometric terms of
// `fit` (which the caller has reset and filled with the non-geometric terms). Appends one entry
// per line to lineTypes, lineAngles and lineScales; when isFinal, also the segments, arcs and
// the per-character vectors (sized to the path's depth). Returns false when a line with two or
// more matched characters has no valid model, which rejects the path.
OC_API bool xf_ArrangeLineCosts_(const xc_ArrangeContext& ctx, const xc_ArrangePath& path,
                                 bool isFinal, xc_ArrangeFit& fit);
