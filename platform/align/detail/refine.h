// Per-candidate work: the local search on the coarse level, the least-squares fit of the grey
// template down the pyramid, and the final full-resolution evaluation.
#pragma once

#include "align/detail/image_data.h"
#include "align/detail/model.h"
#include "align/detail/pose.h"

namespace xc_align {

// Which degrees of freedom a refinement may move.
struct FreeDofs {
    bool angle = true;
    bool scale = true;
};

// The share (0..1) of the level's coarse features that meet an image gradient pointing their way,
// weighted by the cosine of the angle between them (directions at the nearest pel).
double directionScore(const ModelLevel& ml, const EdgeLevel& e, int level, const Frame& frame,
                      const Hypothesis& h);

// Improves h on `level` by trying nearby positions, angles (within 2 angleHalf) and scales
// (within logScaleHalf) one after the other; returns the best direction score.
double localSearch(const ModelLevel& ml, const EdgeLevel& e, int level, const Frame& frame,
                   const FreeDofs& dofs, double angleHalf, double logScaleHalf, Hypothesis& h);

// The state of a fit carried down the pyramid.
struct FitState {
    Hypothesis h;
    double gain = 1, bias = 0;
    double sigma = 10; // residual standard deviation
    bool photometricReady = false;
};
// Sets the state's gain and bias by least squares at its pose on the level and returns the
// normalised correlation there (-2 when too few pels lie inside the image).
double startFit(const ModelLevel& ml, const FitLevel& img, int level, const Frame& frame,
                FitState& st);
// Gauss-Newton fit of image = gain * template + bias over the template pels of one level,
// moving position, angle and scale (those free). Huber weights keep clutter from pulling the
// fit. Returns false when the pattern wanders off the image or the system is singular; ncc
// receives the normalised correlation of the last iteration's samples.
bool fitLevel(const ModelLevel& ml, const FitLevel& img, int level, const Frame& frame,
              const FreeDofs& dofs, int maxIterations, FitState& st, double* ncc);

// The full-resolution verdict on a pose.
struct Evaluation {
    double ncc = 0;      // normalised correlation over the cared-for pels inside the image
    double inside = 0;   // share of template pels inside the image
    double contrast = 0; // grey standard deviation under those pels
    double coverage = 0; // share of edge points inside the image
    double edges = 0;   // share of edge points met by an image edge of their direction and strength
    double clutter = 0; // strong image-edge pels away from the pattern's edges, per pel near them
    long cared = 0;     // number of pels the correlation used
};
// quick: an estimate from every other pel the fit uses and every other edge point,
// without the clutter, for deciding early whether a candidate is worth its full fit.
Evaluation evaluate(const Model& m, const FitLevel& img, const Frame& frame, const Hypothesis& h,
                    double gain, bool quick = false);

} // namespace xc_align
