// The trained data of a correlation model and the search of one image for it.
#pragma once

#include "core/geom/vector.h"
#include "corrsearch/detail/smooth_score.h"
#include "corrsearch/detail/subpel.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace xc_corrsearch {

// What training keeps: the pels and their sums at full resolution and, when the model is large
// enough, at 2 x 2 pel sums for the coarse step.
struct Model {
    long width = 0, height = 0;
    double nVarX = 0.0; // n Sx2 - Sx^2 over the pels
    // The pels less their mean, rows paddedModelWidth(width) apart and padded with zeros.
    std::vector<float> zeroMean;
    bool hasCoarse = false;
    long coarseWidth = 0, coarseHeight = 0;
    std::vector<float> coarseZeroMean; // 2 x 2 sums less their mean, padded alike
    double coarseNVarX = 0.0;
    // For the gradient-based sub-pel fit; null for models too small or degenerate for it.
    std::unique_ptr<const GradientModel> gradient;
    // For the score of a find at the finest accuracy; null for models too small for it.
    std::unique_ptr<const SmoothModel> smooth;
    // The model's client origin in pel coordinates relative to the window's first pel.
    xcVector<2> origin;
};

// Builds a model from w x h pels; null when they all have one grey value.
std::shared_ptr<Model> buildModel(const unsigned char* pels, long rowUpdate, long w, long h,
                                  const xcVector<2>& origin);

struct SearchSettings {
    bool coarseToFine = true;
    // 1 whole pels, 2 parabolas, 3 quadratic surface, 4 gradient fit and the smoothed score
    long accuracy = 4;
    double accept = 0.5;
    double xyOverlap = 0.3;
    long maxResults = 1;
};

// One reported placement: the model's first pel on image pel (x, y) of the window (relative to
// its first pel), refined to (fx, fy).
struct Peak {
    long x = 0, y = 0;
    double fx = 0.0, fy = 0.0;
    double score = 0.0;
};

// Searches the width x height pels for the model (which must fit inside them), polling the
// calling thread's time limit; the peaks come best first, as `settings` ask.
std::vector<Peak> search(const Model& model, const unsigned char* pels, long rowUpdate, long width,
                         long height, const SearchSettings& settings);

} // namespace xc_corrsearch
