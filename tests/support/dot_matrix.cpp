#include "support/dot_matrix.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace oc_test {

namespace {

// Dots about `pitch` apart along the centre lines of the glyph's strokes.
std::vector<xcVector<2>> strokeDots(const GlyphImage& g, double pitch) {
    // The ink on a raster of an eighth of the pitch, its distance to the paper, and the ridge of
    // that distance (the strokes' centre lines).
    const double step = pitch / 8.0;
    const long w = long(double(g.trainWidth()) / step) + 1,
               h = long(double(g.trainHeight()) / step) + 1;
    std::vector<char> inked(std::size_t(w * h));
    for (long j = 0; j < h; ++j)
        for (long i = 0; i < w; ++i)
            inked[std::size_t(j * w + i)] = g.coverage(i * step, j * step) >= 0.5;
    const long reach = 16; // two pitches: no stroke is wider
    std::vector<double> dist(std::size_t(w * h), 0.0);
    for (long j = 0; j < h; ++j)
        for (long i = 0; i < w; ++i) {
            if (!inked[std::size_t(j * w + i)]) continue;
            double best = double(reach);
            for (long b = std::max(0L, j - reach); b <= std::min(h - 1, j + reach); ++b)
                for (long a = std::max(0L, i - reach); a <= std::min(w - 1, i + reach); ++a)
                    if (!inked[std::size_t(b * w + a)])
                        best = std::min(best, std::hypot(double(a - i), double(b - j)));
            dist[std::size_t(j * w + i)] = best;
        }
    // The centre lines: points at most half a raster step less far from the paper than any
    // point within half their own distance (a stroke's middle, not its flanks).
    std::vector<xcVector<2>> centre;
    for (long j = 0; j < h; ++j)
        for (long i = 0; i < w; ++i) {
            const double d = dist[std::size_t(j * w + i)];
            if (d < 1.5) continue;
            const long r = long(std::ceil(0.5 * d));
            bool ridge = true;
            for (long b = std::max(0L, j - r); b <= std::min(h - 1, j + r) && ridge; ++b)
                for (long a = std::max(0L, i - r); a <= std::min(w - 1, i + r); ++a)
                    ridge = ridge && dist[std::size_t(b * w + a)] <= d + 0.5;
            if (ridge) centre.emplace_back(double(i) * step, double(j) * step);
        }
    // From the outside in, each centre-line point takes a dot where no dot lies within 0.9
    // pitches: along a stroke that spaces the dots about a pitch apart, the outer stroke ends
    // getting theirs first (whatever gap is left over lies nearer the middle).
    const xcVector<2> mid = g.centre();
    std::stable_sort(centre.begin(), centre.end(),
                     [&mid](const xcVector<2>& a, const xcVector<2>& b) {
                         return (a - mid).len() > (b - mid).len();
                     });
    std::vector<xcVector<2>> dots;
    for (const xcVector<2>& p : centre) {
        bool free = true;
        for (const xcVector<2>& q : dots) free = free && (q - p).len() >= 0.9 * pitch;
        if (free) dots.push_back(p);
    }
    return dots;
}

} // namespace

DotGlyph::DotGlyph(const GlyphImage& glyph, double pitchDivisor, double dotShare)
    : glyph_(&glyph), radius_(0.5 * dotShare * glyph.inkHeight() / pitchDivisor) {
    if (!(pitchDivisor >= 2.0) || !(dotShare > 0.0 && dotShare <= 1.0))
        throw std::runtime_error("dot pitch or size out of range");
    dots_ = strokeDots(glyph, glyph.inkHeight() / pitchDivisor);
}

double DotGlyph::coverage(double gx, double gy) const {
    const double r2 = radius_ * radius_;
    for (const xcVector<2>& d : dots_)
        if ((gx - d.x()) * (gx - d.x()) + (gy - d.y()) * (gy - d.y()) <= r2) return 1.0;
    return 0.0;
}

const Placement& DotGlyph::print(Scene& scene, double angleDeg, double scale,
                                 const xcVector<2>& centre, double ink) const {
    return scene.paint(
        *glyph_, placementPose(*glyph_, angleDeg, scale, centre),
        [this](double gx, double gy) { return coverage(gx, gy); }, ink, 4);
}

} // namespace oc_test
