// The zones and grain limits of one extraction search.
#pragma once

#include "core/geom/range.h"
#include "foundation/export.h"

#include <utility>

// A plain value; the fields are public and unchecked (the search tool checks them when it uses
// them).
class OC_API xc_OCExtractModelParams {
public:
    // angleRange -180 to 180, scaleRange 0.5 to 2.0, scalar 1.0, grainLimits (-1, -1).
    xc_OCExtractModelParams();
    xc_OCExtractModelParams(const xc_OCExtractModelParams&) = default;
    xc_OCExtractModelParams& operator=(const xc_OCExtractModelParams&) = default;

    // Zone of the angle of every pattern search, in degrees.
    xcRange angleRange;
    // Zone of the scale of every pattern search.
    xcRange scaleRange;
    // Kept for callers that set it; the extraction does not read it.
    double scalar = 1.0;
    // Grain limits given to pattern training (fine, coarse); -1 in either member lets the
    // pattern-alignment tool choose them.
    std::pair<double, double> grainLimits;
};
