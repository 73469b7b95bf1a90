// What training learns from a pattern image: edge features and grey templates per pyramid
// level, all relative to the pattern's anchor (the centre of its train window).
#pragma once

#include "align/detail/raw_image.h"

#include <cstdint>
#include <vector>

namespace xc_align {

// An edge point: position relative to the anchor in the level's pels, unit gradient
// direction (dark to light) and Sobel magnitude.
struct EdgeFeature {
    float x = 0, y = 0;
    float nx = 0, ny = 0;
    float mag = 0;
};

// A template pel: its centre relative to the anchor in the level's pels, its grey value as the
// fit sees it (smoothed at full resolution), its unsmoothed value (what the score compares),
// whether the fit uses it (pels on or near edges, plus a sparse grid of the others) and whether
// the grey score does (full-resolution pels within reach of an edge).
struct TemplatePel {
    float x = 0, y = 0;
    float value = 0;
    float raw = 0;
    bool forFit = true;
    bool forScore = true;
};

struct ModelLevel {
    // Up to kMaxCoarseFeatures strong, well-spread edge points for the coarse search.
    std::vector<EdgeFeature> coarse;
    // Up to kMaxScanFeatures of them, spread more widely, for the exhaustive scan.
    std::vector<EdgeFeature> scan;
    // The grey template: every pel of the train window at this level.
    std::vector<TemplatePel> pels;
    // The largest distance of a coarse feature from the anchor.
    double radius = 0;
    // The train window's extent at this level, in its pels.
    double width = 0, height = 0;
};

struct Model {
    // The train window's size in pels and its centre (anchor) in train image coordinates.
    long width = 0, height = 0;
    double anchorX = 0, anchorY = 0;
    // Levels 0 .. coarsest usable.
    std::vector<ModelLevel> levels;
    // Every edge point found at full resolution (coverage and clutter use them).
    std::vector<EdgeFeature> edges;
    // The larger side of those edge points' bounding box (about the ink's cap height).
    double inkExtent = 0;
    // The template's mean grey, its standard deviation and the ink's side of the mean (-1 dark,
    // 1 bright).
    double inkMean = 0, inkSd = 0, inkSign = -1;
    // The centre lines of the ink smoothed to the grain where printed dots merge (a Gaussian of
    // 0.4 of a dot pitch), for fitting dot-matrix print.
    std::vector<EdgeFeature> centreLines;
    // The median Sobel magnitude of those edge points.
    double edgeStrength = 0;
    // The number of full-resolution pels near an edge (the clutter's yardstick).
    long nearEdgeCount = 0;
    // Full-resolution window: 1 within 2 pels of a trained edge (clutter ignores image edges
    // there).
    Plane<std::uint8_t> nearEdge;
};

constexpr int kMaxCoarseFeatures = 48;
constexpr int kMaxScanFeatures = 16;
// The coarsest level automatic grain limits may use.
constexpr int kMaxLevelsAuto = 4;

// Limits the caller may put on the pyramid levels: the coarsest level used is at most
// maxLevel; auto lets training choose it.
struct TrainLimits {
    bool automatic = true;
    int maxLevel = 0;
};

// Learns the model from the train window (window-relative view; anchorX/Y are filled from
// windowX/Y and the size). Throws xc_AlignDefs::Errors with the reason when the image gives
// too little to train on.
Model trainModel(const GreyView& window, double windowX, double windowY, const TrainLimits& limits);

} // namespace xc_align
