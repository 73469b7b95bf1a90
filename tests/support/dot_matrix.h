// Dot-matrix print with known truth: font glyphs whose strokes are printed as separate round
// dots, as ink-jet and dot-matrix printers print date and lot codes.
#pragma once

#include "support/glyph_render.h"

#include <vector>

namespace oc_test {

// The dots of one glyph in its glyph coordinates (those of its upright train image): discs of
// diameter dotShare x pitch along the centre lines of the strokes, about a pitch (inkHeight /
// pitchDivisor) apart, as a dot-matrix font drawn on the printer's grid puts them. (Dots on one
// square grid laid over the solid glyph move its strokes by up to half a pitch, so that the solid
// glyph fits them a few degrees and a pel or two off its true pose.)
class DotGlyph {
public:
    explicit DotGlyph(const GlyphImage& glyph, double pitchDivisor = 5.5, double dotShare = 0.8);

    // 1 inside a dot, else 0 (glyph coordinates).
    double coverage(double gx, double gy) const;
    // Prints the dots into the scene at the pose (the placement names the solid glyph).
    const Placement& print(Scene& scene, double angleDeg, double scale, const xcVector<2>& centre,
                           double ink = 40.0) const;

private:
    const GlyphImage* glyph_;
    double radius_;
    std::vector<xcVector<2>> dots_;
};

} // namespace oc_test
