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

// The placed train window: its corners in order, full-resolution pels.
struct Quad {
    double x[4] = {0, 0, 0, 0};
    double y[4] = {0, 0, 0, 0};
};

// A refined instance.
struct Found {
    Hypothesis h;
    double score = 0;
    bool accepted = false;
    double gain = 1;
    Evaluation ev;
    Quad quad;
};

// Runs the search. After every refined candidate `publish` receives the current results: the
// accepted ones best first (at most numToFind), or when none is accepted the best unaccepted
// one alone. poll() is called often enough to stop within a few milliseconds.
void runSearch(const Model& m, const RunImage& img, const Frame& frame, const RunSettings& s,
               const std::function<void(const std::vector<Found>&)>& publish,
               const std::function<void()>& poll);

// The overlap rule of two placed train windows: the area of their intersection over the smaller
// one's area. The windows themselves are compared, not their bounding boxes, so that the cells
// of neighbouring characters on a tilted line, which only touch, do not overlap.
double quadOverlap(const Quad& a, const Quad& b);

} // namespace xc_align
