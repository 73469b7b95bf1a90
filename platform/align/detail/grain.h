// Print whose strokes are rows of separate dots (ink-jet and dot-matrix codes): telling it from
// solid print, and the edge evidence at the grain where its dots merge into strokes.
#pragma once

#include "align/detail/image_data.h"
#include "align/detail/model.h"
#include "align/detail/pose.h"

namespace xc_align {

// The finest pyramid level where the dots of print of the pattern's size lie at most 3 level
// pels apart, merged into strokes that keep the glyph's shape: dot-matrix printers space their
// dots about a fifth of the cap height apart (the trained ink's larger extent over 5.5, times the
// scale). 0 when the model or the image has no such level.
int grainLevel(const Model& m, const Frame& frame, double scale, int imageLevels);

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
