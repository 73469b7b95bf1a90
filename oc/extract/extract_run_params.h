// The thresholds and time limit of one extraction search.
#pragma once

#include "foundation/export.h"

// A plain value; the fields are public. Only timeout and acceptThreshold steer the search; the
// confusion threshold and the overlap are shown in the run-time diagnostics.
class OC_API xc_OCExtractRunParams {
public:
    // timeout 10.0, acceptThreshold 0.5, confusionThreshold 0.6, overlap 0.1, reserved -1.
    xc_OCExtractRunParams();
    xc_OCExtractRunParams(const xc_OCExtractRunParams&) = default;
    xc_OCExtractRunParams& operator=(const xc_OCExtractRunParams&) = default;

    // Seconds allowed for the search of each character model, armed anew for every model.
    double timeout;
    // Accept threshold of every pattern search (0..1).
    double acceptThreshold;
    double confusionThreshold;
    double overlap;
    // Kept for callers that set it; the extraction does not read it.
    long reserved;
};
