// Print whose strokes are rows of separate dots (ink-jet and dot-matrix codes): telling it from
// solid print, and the edge evidence at the grain where its dots merge into strokes.
#pragma once

#include "align/detail/image_data.h"
#include "align/detail/model.h"
#include "align/detail/pose.h"
#include "align/detail/refine.h"

namespace xc_align {

// The finest pyramid level where the dots of print of the pattern's size lie at most 3 level
// pels apart, merged into strokes that keep the glyph's shape: dot-matrix printers space their
// dots about a fifth of the cap height apart (the trained ink's larger extent over 5.5, times the
// scale). 0 when the model or the image has no such level.
int grainLevel(const Model& m, const Frame& frame, double scale, int imageLevels);

// The Gaussian's standard deviation (pels of the pattern) that merges the dots of print of the
// pattern's size into strokes: 0.4 of the dot pitch.
double grainSigma(const Model& m);

// Whether print of the pattern down to half its trained size has a grain level (the only print
// the centre lines are fitted to; they are not built for others, which bounds the training).
bool mayBeDotted(const Model& m);

// Sets the model's inkMean, inkSd and inkSign from its full-resolution template: the ink is the
// side of the mean grey that fewer pels lie on.
void inkStatistics(Model& m);

// The centre lines of the ink of the train window (at (x0, y0) in `padded`, anchor at its
// centre) smoothed by a Gaussian of sigma pels: points where the grey, turned so that the ink is
// bright (inkSign -1 for dark ink, 1 for bright), peaks across a stroke (sub-pel), their unit
// normals across and the curvature there (mag).
std::vector<EdgeFeature> centreLines(const GreyView& padded, long x0, long y0, long width,
                                     long height, double sigma, double inkSign);

// Fits the pose so that the centre lines lie on the ridges of the image smoothed alike around the
// pose (the Gaussian scaled with it): dots and solid strokes merge into ridges along the same
// centre lines, and the fit moves each point across its line only, so the dots' uneven spacing
// along a stroke does not pull it. False when the fit fails or wanders off.
bool fitCentreLines(const Model& m, const RunImage& img, const Frame& frame, const FreeDofs& dofs,
                    Hypothesis& h, double gain);

// How much the image under the template's ink at the pose looks like round dots: over the ink's
// pels, the sum of the squared smaller curvature of the grey (second differences half a dot
// pitch wide, signed so that the middle of the ink curves positively; negative ones count 0)
// over the sum of the squared larger one. A solid stroke curves across itself only (near 0); a
// dot curves both ways alike.
double dotSignature(const Model& m, const FitLevel& img, const Frame& frame, const Hypothesis& h,
                    double gain);

// The share of the level's coarse edge points met by an image edge of their direction and
// strength on that level (the edge rule of the final score).
double grainEdges(const Model& m, const FitLevel& img, int level, const Frame& frame,
                  const Hypothesis& h, double gain);

} // namespace xc_align
