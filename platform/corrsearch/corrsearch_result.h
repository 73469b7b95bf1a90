// One find of the correlation search tool.
#pragma once

#include "core/geom/vector.h"

// A placement of a correlation model in a searched image.
class xcCorrSearchResult {
public:
    // Not found, score 0, location (0, 0).
    xcCorrSearchResult() = default;
    xcCorrSearchResult(bool found, double score, const xcVector<2>& location)
        : found_(found), score_(score), location_(location) {}

    // True when the score reached the run's accept threshold.
    bool found() const { return found_; }
    // The normalised correlation of model and image at the placement, clamped at 0: 0..1, 1 for
    // a perfect match (up to a linear change of grey values).
    double score() const { return score_; }
    // The point of the searched image's client coordinates where the model's client origin
    // lands at the placement, to sub-pel accuracy when the run asked for it.
    const xcVector<2>& location() const { return location_; }

private:
    bool found_ = false;
    double score_ = 0.0;
    xcVector<2> location_;
};
