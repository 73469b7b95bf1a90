// Sub-pel refinement of a correlation peak: quadratic fits to the scores around it, and a
// gradient-based fit of the model to the image.
#pragma once

#include "core/geom/vector.h"
#include "corrsearch/detail/planes.h"

#include <memory>
#include <vector>

namespace xc_corrsearch {

// The offset of a peak from its 3 x 3 scores f[dy + 1][dx + 1]; xOk and yOk tell whether the
// neighbours along x and y exist. accuracy 2: a parabola through the three scores along each
// axis. accuracy 3 and more: the stationary point of the least-squares quadratic surface
//   f = a + b x + c y + d x^2 + e x y + g y^2,
// when it is a maximum within 0.75 pel (clamped to half a pel); else the parabolas.
xcVector<2> quadraticPeakOffset(const double f[3][3], bool xOk, bool yOk, long accuracy);

// What the gradient fit needs of a model: its inner pels (all but the outermost ring) with their
// central-difference gradients and a mask of ones, in rows `stride` apart (a multiple of 8)
// padded with zeros, and the inverse of the normal matrix of the basis (model, gradient x,
// gradient y, 1) over them.
struct GradientModel {
    long innerWidth = 0, innerHeight = 0, stride = 0;
    std::vector<float> m, gx, gy, one;
    double inverse[4][4] = {};
};

// Builds it from the model's zero-mean values (rows `stride` apart); null when the model is
// smaller than 5 x 5 or its basis is degenerate.
std::unique_ptr<GradientModel> buildGradientModel(const float* zm, long stride, long w, long h);

// Refines the shift t (from placement (x, y), |t| < 1 on both axes) at which the model best
// matches a linear grey map of the image, sampled bilinearly: a few Gauss-Newton steps of
//   image(x + c + t) ~ a model(c) + b.
// Returns false, leaving t, when a step leaves the +-1 pel range or the fit breaks down.
bool gradientRefine(const FloatPlane& plane, const GradientModel& g, long x, long y,
                    xcVector<2>& t);

} // namespace xc_corrsearch
