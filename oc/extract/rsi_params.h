// Training and run parameters of the refinement searcher.
#pragma once

#include "core/geom/range.h"
#include "core/geom/rect.h"
#include "foundation/export.h"

// Which turned and scaled correlation models the searcher trains: every angle from
// angleRange's start in steps of angleStep (degrees) up to its end, at every scale from
// scaleRange's start multiplied by (1 + scaleStep) up to its end, each over baseScale.
class OC_API xcRSIParams {
public:
    // angleRange -180 to 180, angleStep 5.0, scaleRange 0.5 to 2.0, scaleStep 0.25,
    // baseScale 1.0.
    xcRSIParams();

    xcRange angleRange;
    double angleStep;
    xcRange scaleRange;
    double scaleStep;
    double baseScale;
};

// What one run of the searcher accepts and reports.
class OC_API xcRSIRunParams {
public:
    // accept 0.5, confusion 0.6, overlap 0.1, maxNumResults -1, region (0, 0, 1, 1).
    xcRSIRunParams();

    double accept;
    double confusion;
    // Kept for callers that set it; the run does not read it.
    double overlap;
    // The run keeps at most this many finds, so it must be 1 or more when the run is used.
    long maxNumResults;
    xcPelRect region;
};
