// The exhaustive coarse search: every angle and scale of a grid at every kCell-th pel of a
// reduced pyramid level, scored with the spread direction responses.
#pragma once

#include "align/detail/image_data.h"
#include "align/detail/model.h"
#include "align/detail/pose.h"

#include <functional>
#include <vector>

namespace xc_align {

// The zones of one run in client terms: angles in radians, scales as ratios. A degree of
// freedom that is not free has low == high (its nominal value).
struct Zones {
    double angleLow = 0, angleHigh = 0;
    bool angleFree = false;
    double scaleLow = 1, scaleHigh = 1;
    bool scaleFree = false;
    // The angle zone is searched as the whole circle when it spans 358 degrees or more (the
    // extraction's -179..180, for one, leaves no gap worth clamping at).
    bool fullCircle() const {
        return angleFree && angleHigh - angleLow >= (358.0 / 180.0) * 3.14159265358979;
    }
};

// One grid point of the coarse search: a turned and scaled copy of a level's coarse features.
struct GridPose {
    double theta = 0, scale = 1;
    int level = 0;
    // Half the grid spacing around this point (radians, natural-log scale).
    double angleHalf = 0, logScaleHalf = 0;
};

// The grid of angles and scales: per scale step the coarsest level on which the pattern keeps
// about 12 pels across, an angle step of atan(1 / radius) on that level and a scale step that
// moves the outermost feature by one pel.
std::vector<GridPose> buildGrid(const Model& m, const Frame& frame, const Zones& z, int runLevels);

struct Candidate {
    Hypothesis h;
    GridPose grid;
    double score = 0; // share of the best possible response, 0..1
};

// Scores every grid pose at every cell, keeps the local maxima scoring at least minScore
// (always the best few when none does), and returns up to maxCandidates of them, best first,
// with the grid pose that won at each. poll() is called once per grid pose.
std::vector<Candidate> coarseSearch(const Model& m, const RunImage& img, const Frame& frame,
                                    const std::vector<GridPose>& grid, double minScore,
                                    std::size_t maxCandidates, const std::function<void()>& poll);

} // namespace xc_align
