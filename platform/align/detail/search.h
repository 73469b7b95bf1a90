// One run of the tool on prepared data: coarse search, refinement of every candidate, and the
// collection of results with overlap merging.
#pragma once

#include "align/detail/coarse_search.h"
#include "align/detail/image_data.h"
#include "align/detail/model.h"
#include "align/detail/refine.h"

#include <functional>
#include <vector>

namespace xc_align {

struct RunSettings {
    Zones zones;
    double acceptThreshold = 0.5;
    double contrastThreshold = 10.0;
    double xyOverlap = 0.8;
    bool scoreUsingClutter = false;
    long numToFind = 1;
};

// A refined instance.
struct Found {
    Hypothesis h;
    double score = 0;
    bool accepted = false;
    double gain = 1;
    Evaluation ev;
    // Bounding box (x0, y0, x1, y1) of the placed train window, full-resolution pels.
    double box[4] = {0, 0, 0, 0};
};

// Runs the search. After every refined candidate `publish` receives the current results: the
// accepted ones best first (at most numToFind), or when none is accepted the best unaccepted
// one alone. poll() is called often enough to stop within a few milliseconds.
void runSearch(const Model& m, const RunImage& img, const Frame& frame, const RunSettings& s,
               const std::function<void(const std::vector<Found>&)>& publish,
               const std::function<void()>& poll);

// The overlap rule of two placed boxes: their intersection over the smaller one's area.
double boxOverlap(const double a[4], const double b[4]);

} // namespace xc_align
