// The score of a find at its sub-pel position, on model and image smoothed alike.
#pragma once

#include "core/geom/vector.h"
#include "corrsearch/detail/planes.h"

#include <memory>
#include <vector>

namespace xc_corrsearch {

// The model smoothed by a Gaussian of kSmoothSigma pels, kept for its inner pels (all but a
// border of kSmoothReach pels, where the kernel would need pels beyond the model): values less
// their mean in rows `stride` apart (a multiple of 8) padded with zeros, and n Sx2 - Sx^2 of them.
struct SmoothModel {
    long innerWidth = 0, innerHeight = 0, stride = 0;
    std::vector<float> m;
    double nVarX = 0.0;
};

// The smoothing's standard deviation and its kernel's reach (three of them), in pels: enough to
// even out the blur of bilinear resampling (a quarter pel squared at half-pel phases), little
// enough to keep the correlation sharp over a small turn or scaling.
inline constexpr double kSmoothSigma = 1.0;
inline constexpr long kSmoothReach = 3;

// Builds it from the model's zero-mean values (rows `stride` apart); null when the model is
// smaller than 9 x 9 or flat once smoothed.
std::unique_ptr<SmoothModel> buildSmoothModel(const float* zm, long stride, long w, long h);

// The normalised correlation of the smoothed model with the image smoothed by the same Gaussian
// centred on the placement (x, y) of a w x h model moved by t, into `score` (clamped to 0..1).
// It needs pels x + floor(t) to x + floor(t) + w (and alike down): t is first clamped so that
// they lie inside the plane, and false is returned, leaving `score`, when the plane is not
// larger than the model both ways. Whatever the sub-pel position, both sides carry the same
// blur, so neither whole-pel placements nor models whose pels were resampled at whole-pel phases
// are favoured.
bool smoothScore(const FloatPlane& plane, const SmoothModel& s, long w, long h, long x, long y,
                 const xcVector<2>& t, double& score);

} // namespace xc_corrsearch
