#include "align/detail/grain.h"

#include "align/detail/sample.h"

#include <algorithm>
#include <cmath>

namespace xc_align {

namespace {

// Dot pitch over cap height of ink-jet and dot-matrix date codes.
constexpr double kPitchShare = 1.0 / 5.5;
// Dots this far apart (level pels) have merged into strokes that keep the glyph's shape.
constexpr double kMergedPitch = 3.0;
// The signature looks at about this many of the template's pels.
constexpr std::size_t kSignaturePels = 320;

} // namespace

int grainLevel(const Model& m, const Frame& frame, double scale, int imageLevels) {
    const double pitch = m.inkExtent * kPitchShare * scale * frame.pelScale();
    const int last = std::min(int(m.levels.size()), imageLevels) - 1;
    for (int k = 1; k <= last; ++k)
        if (pitch <= kMergedPitch * double(1 << k)) return k;
    return 0;
}

double dotSignature(const Model& m, const FitLevel& img, const Frame& frame, const Hypothesis& h,
                    double gain) {
    const Mat2 A = frame.A(h.theta, h.scale);
    const double step = 0.5 * m.inkExtent * kPitchShare * std::sqrt(std::fabs(A.det()));
    const std::vector<TemplatePel>& pels = m.levels.front().pels;
    // The ink: the template's pels on the minority side of its mean grey, half a standard
    // deviation or more from it.
    double mean = 0, sq = 0;
    for (const TemplatePel& p : pels) {
        mean += p.raw;
        sq += double(p.raw) * p.raw;
    }
    const double n = double(pels.size());
    mean /= n;
    const double sd = std::sqrt(std::max(0.0, sq / n - mean * mean));
    const auto below = std::count_if(pels.begin(), pels.end(),
                                     [mean](const TemplatePel& p) { return p.raw < mean; });
    const double inkSign = 2.0 * double(below) < n ? -1.0 : 1.0;
    // The image's ink is the template's turned over when the gain is negative.
    const double pol = gain >= 0 ? -inkSign : inkSign;
    const std::size_t stride = std::max<std::size_t>(1, pels.size() / kSignaturePels);
    const double W = double(img.width), H = double(img.height);
    double small2 = 0, big2 = 0;
    for (std::size_t k = 0; k < pels.size(); k += stride) {
        const TemplatePel& p = pels[k];
        if (inkSign * (double(p.raw) - mean) < 0.5 * sd) continue;
        const double px = A.a * p.x + A.b * p.y + h.x - 0.5, py = A.c * p.x + A.d * p.y + h.y - 0.5;
        if (!(px >= step && py >= step && px < W - 1 - step && py < H - 1 - step)) continue;
        auto g = [&](double dx, double dy) { return double(sampleAt(img, px + dx, py + dy).grey); };
        const double c = g(0, 0);
        const double fxx = g(step, 0) + g(-step, 0) - 2 * c;
        const double fyy = g(0, step) + g(0, -step) - 2 * c;
        const double fxy =
            0.25 * (g(step, step) + g(-step, -step) - g(step, -step) - g(-step, step));
        // The Hessian's eigenvalues, signed so that the ink's middle curves positively.
        const double half = 0.5 * (fxx + fyy);
        const double disc = std::sqrt(0.25 * (fxx - fyy) * (fxx - fyy) + fxy * fxy);
        const double big = std::max(pol * (half + disc), pol * (half - disc));
        const double small = std::min(pol * (half + disc), pol * (half - disc));
        if (big <= 0) continue;
        big2 += big * big;
        small2 += small > 0 ? small * small : 0.0;
    }
    return big2 > 0 ? small2 / big2 : 0.0;
}

double grainEdges(const Model& m, const FitLevel& img, int level, const Frame& frame,
                  const Hypothesis& h, double gain) {
    const ModelLevel& ml = m.levels[std::size_t(level)];
    const double f = std::ldexp(1.0, -level);
    const Mat2 A = frame.A(h.theta, h.scale);
    const Mat2 N = A.inverse().transpose();
    const double pelScale = std::sqrt(std::fabs(A.det()));
    const double ax = h.x * f, ay = h.y * f;
    const double W = double(img.width), H = double(img.height);
    long counted = 0;
    double met = 0;
    for (const EdgeFeature& e : ml.coarse) {
        const double px = A.a * e.x + A.b * e.y + ax, py = A.c * e.x + A.d * e.y + ay;
        if (!(px >= 0 && py >= 0 && px < W && py < H)) {
            ++counted;
            continue;
        }
        const Sample s = sampleAt(img, px - 0.5, py - 0.5);
        if (!s.care) continue;
        ++counted;
        const double nx = N.a * e.nx + N.b * e.ny, ny = N.c * e.nx + N.d * e.ny;
        const double along = (s.gx * nx + s.gy * ny) / std::sqrt(nx * nx + ny * ny);
        const double len = std::sqrt(double(s.gx) * s.gx + double(s.gy) * s.gy);
        const double expected = std::fabs(gain) * e.mag / 8.0 / pelScale;
        met += along >= 0.92 * len && len >= 0.25 * expected
                   ? 1.0
                   : (along >= 0.7 * len && len >= 0.17 * expected ? 0.5 : 0.0);
    }
    return counted > 0 ? met / double(counted) : 0.0;
}

} // namespace xc_align
