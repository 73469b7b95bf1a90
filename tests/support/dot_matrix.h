// Dot-matrix print with known truth: font glyphs whose strokes are printed as separate round
// dots on a square grid, as ink-jet and dot-matrix printers print date and lot codes.
#pragma once

#include "support/glyph_render.h"

#include <cstdint>
#include <vector>

namespace oc_test {

// The dots of one glyph in its glyph coordinates (those of its upright train image).
//
// The grid has a pitch of inkHeight / pitchDivisor and is centred on the ink box; a node gets a
// dot when the glyph's ink covers at least `fill` of the pitch x pitch cell around it. Dots are
// discs of diameter dotShare x pitch.
class DotGlyph {
public:
    explicit DotGlyph(const GlyphImage& glyph, double pitchDivisor = 5.5, double fill = 0.4,
                      double dotShare = 0.8);

    const GlyphImage& glyph() const { return *glyph_; }
    double pitch() const { return pitch_; }
    double radius() const { return radius_; }
    const std::vector<xcVector<2>>& dots() const { return dots_; }
    // 1 inside a dot, else 0 (glyph coordinates).
    bool inked(double gx, double gy) const;

private:
    const GlyphImage* glyph_;
    double pitch_, radius_;
    std::vector<xcVector<2>> dots_;
};

// A run image of dot-matrix glyphs, with the same pose convention, blur and noise as Scene.
class DotScene {
public:
    DotScene(long width, long height, double paper = 200.0);

    const std::vector<Placement>& placements() const { return placements_; }
    // Prints the glyph's dots at the pose (train client to run client), 4 x 4 samples a pel.
    // The placement's glyph is the solid glyph the dots were made from.
    const Placement& place(const DotGlyph& dots, double angleDeg, double scale,
                           const xcVector<2>& centre, double ink = 40.0);
    // True when the glyph's train window at the pose keeps `gap` pels from every earlier one and
    // `border` pels from the image's edges.
    bool fits(const GlyphImage& glyph, const xcXform<2>& pose, double gap, double border) const;
    // Gaussian blur, Gaussian noise and quantisation as Scene::finish.
    xcPelBuffer<unsigned char> finish(double blurSigma, double noiseSigma,
                                      std::uint64_t seed) const;

private:
    long w_, h_;
    std::vector<double> v_;
    std::vector<Placement> placements_;
};

} // namespace oc_test
