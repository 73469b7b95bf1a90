// Helpers shared by the alignment tool's tests: scenes of glyphs with known poses and the
// comparison of found poses with the truth.
#pragma once

#include "align/align_pattern.h"
#include "support/glyph_render.h"

#include <cmath>
#include <numbers>
#include <vector>

namespace align_test {

// Places `count` copies of the glyph at random angles in [-180, 180), scales in
// [scaleLow, scaleHigh] and sub-pel positions, at least `gap` pels apart and `border` pels
// inside the scene. Returns the number placed (fewer when the scene is full).
inline int scatter(oc_test::Scene& scene, const oc_test::GlyphImage& glyph, int count,
                   oc_test::Rng& rng, double scaleLow, double scaleHigh, double gap = 4.0,
                   double border = 2.0, double ink = 40.0) {
    int placed = 0;
    for (int tries = 0; placed < count && tries < 2000; ++tries) {
        const double angle = rng.uniform(-180.0, 180.0);
        const double scale = std::exp(rng.uniform(std::log(scaleLow), std::log(scaleHigh)));
        const xcVector<2> c(rng.uniform(0.0, double(scene.width())),
                            rng.uniform(0.0, double(scene.height())));
        const xcXform<2> pose = oc_test::placementPose(glyph, angle, scale, c);
        if (!scene.fits(glyph, pose, gap, border)) continue;
        scene.place(glyph, pose, ink);
        ++placed;
    }
    return placed;
}

// Angle of a pose's matrix (radians), as atan2(c - b, a + d).
inline double poseAngle(const xcXform<2>& p) {
    const xcMatrix<2>& m = p.matrix();
    return std::atan2(m.c() - m.b(), m.a() + m.d());
}

inline double angleDiffDeg(double a, double b) {
    double d = std::remainder(a - b, 2 * std::numbers::pi);
    return std::fabs(d) * 180.0 / std::numbers::pi;
}

// How far apart two poses put the train window's centre.
inline double centreError(const xcXform<2>& found, const xcXform<2>& truth,
                          const xcVector<2>& centre) {
    return (found.mapPoint(centre) - truth.mapPoint(centre)).len();
}

// Full angle zone, scale zone [low, high], both enabled.
inline xcAlignRunParams searchParams(double scaleLow, double scaleHigh, long numToFind,
                                     double accept = 0.5) {
    xcAlignRunParams p;
    p.acceptThreshold(accept);
    p.zoneEnable(3);
    p.zone(1, -180.0, 180.0);
    p.zone(2, scaleLow, scaleHigh);
    p.numToFind(numToFind);
    p.xyOverlap(0.3);
    return p;
}

} // namespace align_test
