#include "align/detail/model.h"

#include "align/align_defs.h"
#include "align/detail/gradient.h"
#include "align/detail/grain.h"
#include "align/detail/pyramid.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace xc_align {

namespace {

// The grey score covers the pels within this share of the window's larger side of a trained
// edge point: what lies farther out is background that neither tells glyphs apart nor stays put
// (neighbours reach into a wide cell, a turned canvas shows its corners).
constexpr double kScoreReach = 0.2;

// Marks the full-resolution template pels the grey score uses (see kScoreReach).
void markScored(Model& m) {
    const double reach = kScoreReach * double(std::max(m.width, m.height));
    const long W = m.width, H = m.height;
    // Chamfer distance (1 and the square root of 2 per step) from the edge points, in pels.
    std::vector<float> d(std::size_t(W * H), 1e9f);
    for (const EdgeFeature& e : m.edges) {
        const long x = std::clamp(long(std::floor(e.x + 0.5 * double(W))), 0L, W - 1);
        const long y = std::clamp(long(std::floor(e.y + 0.5 * double(H))), 0L, H - 1);
        d[std::size_t(y * W + x)] = 0;
    }
    const float a = 1.0f, b = 1.41421356f;
    for (long y = 0; y < H; ++y)
        for (long x = 0; x < W; ++x) {
            float& v = d[std::size_t(y * W + x)];
            if (x > 0) v = std::min(v, d[std::size_t(y * W + x - 1)] + a);
            if (y > 0) {
                v = std::min(v, d[std::size_t((y - 1) * W + x)] + a);
                if (x > 0) v = std::min(v, d[std::size_t((y - 1) * W + x - 1)] + b);
                if (x + 1 < W) v = std::min(v, d[std::size_t((y - 1) * W + x + 1)] + b);
            }
        }
    for (long y = H - 1; y >= 0; --y)
        for (long x = W - 1; x >= 0; --x) {
            float& v = d[std::size_t(y * W + x)];
            if (x + 1 < W) v = std::min(v, d[std::size_t(y * W + x + 1)] + a);
            if (y + 1 < H) {
                v = std::min(v, d[std::size_t((y + 1) * W + x)] + a);
                if (x + 1 < W) v = std::min(v, d[std::size_t((y + 1) * W + x + 1)] + b);
                if (x > 0) v = std::min(v, d[std::size_t((y + 1) * W + x - 1)] + b);
            }
        }
    for (TemplatePel& p : m.levels.front().pels) {
        const long x = std::clamp(long(std::floor(p.x + 0.5 * double(W))), 0L, W - 1);
        const long y = std::clamp(long(std::floor(p.y + 0.5 * double(H))), 0L, H - 1);
        p.forScore = d[std::size_t(y * W + x)] <= reach;
    }
}

// A pattern needs at least this many full-resolution edge points, and a coarse level this many
// coarse features to be usable.
constexpr std::size_t kMinEdges = 12;
constexpr std::size_t kMinCoarse = 8;
// Smallest train window side in pels.
constexpr long kMinSide = 6;
// The structure tensor of the edge normals: its smaller eigenvalue must be at least this share
// of the larger, else the edges all run one way and cannot fix the pose along it.
constexpr double kMinSpread = 0.15;
// Edge points are kept above this share of the strongest gradient (and above an absolute floor
// of a step of about 3 grey levels).
constexpr float kRelEdge = 0.15f;
constexpr float kAbsEdge = 12.0f;
constexpr std::size_t kMaxEdges = 2000;

GreyPlane padReplicate(const GreyView& src, long pad) {
    GreyPlane out(src.width + 2 * pad, src.height + 2 * pad);
    for (long y = 0; y < out.height; ++y) {
        const std::uint8_t* s = src.row(std::clamp(y - pad, 0L, src.height - 1));
        std::uint8_t* d = out.row(y);
        for (long x = 0; x < out.width; ++x) d[x] = s[std::clamp(x - pad, 0L, src.width - 1)];
    }
    return out;
}

// Non-maximum-suppressed edge points of a level whose pel centres lie inside [x0, x1) x
// [y0, y1), positions relative to (ax, ay), at least `floor` strong and kRelEdge of the
// strongest in the window.
std::vector<EdgeFeature> edgePoints(const Gradient& g, double x0, double y0, double x1, double y1,
                                    double ax, double ay, float floor, float* strongest) {
    const long w = g.gx.width, h = g.gx.height;
    auto mag = [&](long x, long y) {
        x = std::clamp(x, 0L, w - 1);
        y = std::clamp(y, 0L, h - 1);
        return std::hypot(float(g.gx.at(x, y)), float(g.gy.at(x, y)));
    };
    const long i0 = std::max(0L, long(std::ceil(x0 - 0.5))),
               i1 = std::min(w, long(std::ceil(x1 - 0.5)));
    const long j0 = std::max(0L, long(std::ceil(y0 - 0.5))),
               j1 = std::min(h, long(std::ceil(y1 - 0.5)));
    float top = 0;
    for (long j = j0; j < j1; ++j)
        for (long i = i0; i < i1; ++i) top = std::max(top, mag(i, j));
    if (strongest) *strongest = top;
    const float thr = std::max(floor, kRelEdge * top);
    std::vector<EdgeFeature> out;
    for (long j = j0; j < j1; ++j)
        for (long i = i0; i < i1; ++i) {
            const float m = mag(i, j);
            if (m < thr) continue;
            const float gx = g.gx.at(i, j), gy = g.gy.at(i, j);
            // The neighbour step closest to the gradient direction (modulo 180 degrees).
            double a = std::atan2(gy, gx);
            if (a < 0) a += std::numbers::pi;
            const int sector = int(std::lround(a / (std::numbers::pi / 4))) % 4;
            static constexpr int kStep[4][2] = {{1, 0}, {1, 1}, {0, 1}, {-1, 1}};
            const int dx = kStep[sector][0], dy = kStep[sector][1];
            const float mp = mag(i + dx, j + dy), mm = mag(i - dx, j - dy);
            if (!(m >= mp && m > mm)) continue;
            // Parabola through the three magnitudes for the sub-pel peak along the step.
            const float den = mm - 2 * m + mp;
            const float t = den < 0 ? std::clamp(0.5f * (mm - mp) / den, -0.5f, 0.5f) : 0.0f;
            EdgeFeature f;
            f.x = float(i + 0.5 + t * dx - ax);
            f.y = float(j + 0.5 + t * dy - ay);
            f.nx = gx / m;
            f.ny = gy / m;
            f.mag = m;
            out.push_back(f);
        }
    return out;
}

// Up to n strong features at least some distance apart, the distance shrinking until n are
// found or it reaches one pel.
std::vector<EdgeFeature> selectSpread(std::vector<EdgeFeature> cand, std::size_t n) {
    std::stable_sort(cand.begin(), cand.end(),
                     [](const EdgeFeature& a, const EdgeFeature& b) { return a.mag > b.mag; });
    if (cand.size() <= n) return cand;
    // Edge points lie along curves, so n evenly spaced ones are about size / n apart.
    double d = std::max(1.0, 0.9 * double(cand.size()) / double(n));
    for (;;) {
        std::vector<EdgeFeature> picked;
        const double d2 = d * d;
        for (const EdgeFeature& c : cand) {
            bool near = false;
            for (const EdgeFeature& p : picked)
                if ((c.x - p.x) * (c.x - p.x) + (c.y - p.y) * (c.y - p.y) < d2) {
                    near = true;
                    break;
                }
            if (!near) picked.push_back(c);
            if (picked.size() == n) return picked;
        }
        if (d <= 1.0) return picked;
        d = std::max(1.0, d * 0.8);
    }
}

// The smaller over the larger eigenvalue of the sum of n n^T over the features.
double directionSpread(const std::vector<EdgeFeature>& f) {
    double sxx = 0, sxy = 0, syy = 0;
    for (const EdgeFeature& e : f) {
        sxx += e.nx * e.nx;
        sxy += e.nx * e.ny;
        syy += e.ny * e.ny;
    }
    const double tr = sxx + syy, det = sxx * syy - sxy * sxy;
    const double disc = std::sqrt(std::max(0.0, tr * tr / 4 - det));
    const double big = tr / 2 + disc, small = tr / 2 - disc;
    return big > 0 ? std::max(0.0, small) / big : 0.0;
}

} // namespace

Model trainModel(const GreyView& window, double windowX, double windowY,
                 const TrainLimits& limits) {
    const long W = window.width, H = window.height;
    if (W < kMinSide || H < kMinSide)
        throw xc_AlignDefs::Errors("image too small to train: it needs at least 6 x 6 pels");
    int maxLevel = limits.automatic ? kMaxLevelsAuto : limits.maxLevel;
    if (!limits.automatic && std::min(W, H) < 4L << maxLevel)
        throw xc_AlignDefs::Errors(
            "image too small for the coarse grain limit: each side needs 4 coarse grains");
    // Limit the levels to those where the window keeps at least 4 pels a side.
    while (maxLevel > 0 && (std::min(W, H) >> maxLevel) < 4) --maxLevel;

    // Grey statistics of the window.
    double sum = 0, sum2 = 0;
    for (long y = 0; y < H; ++y)
        for (long x = 0; x < W; ++x) {
            const double v = window.row(y)[x];
            sum += v;
            sum2 += v * v;
        }
    const double n = double(W * H);
    const double sd = std::sqrt(std::max(0.0, sum2 / n - (sum / n) * (sum / n)));
    if (sd < 2.0) throw xc_AlignDefs::Errors("image too flat to train: no grey structure");

    // Replicated borders around the window keep the gradients of its edge pels meaningful.
    const long pad = 2L << maxLevel;
    const GreyPlane padded = padReplicate(window, pad);
    const std::vector<GreyPlane> pyr = buildPyramid(padded.view(), maxLevel + 1, [] {});

    Model m;
    m.width = W;
    m.height = H;
    m.anchorX = windowX + 0.5 * double(W);
    m.anchorY = windowY + 0.5 * double(H);

    for (int k = 0; k < int(pyr.size()) && k <= maxLevel; ++k) {
        const double f = 1.0 / double(1L << k);
        const double x0 = double(pad) * f, y0 = double(pad) * f;
        const double x1 = x0 + double(W) * f, y1 = y0 + double(H) * f;
        const double ax = 0.5 * (x0 + x1), ay = 0.5 * (y0 + y1);
        const Gradient g = sobel(pyr[std::size_t(k)].view());
        float strongest = 0;
        std::vector<EdgeFeature> pts = edgePoints(g, x0, y0, x1, y1, ax, ay, kAbsEdge, &strongest);
        if (k == 0) {
            if (strongest < 4 * kAbsEdge)
                throw xc_AlignDefs::Errors("image too flat to train: no edge stands out");
            if (pts.size() < kMinEdges)
                throw xc_AlignDefs::Errors("too few edge features to train on");
            if (directionSpread(pts) < kMinSpread)
                throw xc_AlignDefs::Errors(
                    "edges run in one direction only and cannot fix the pattern's pose");
            m.edges = pts;
            if (m.edges.size() > kMaxEdges) {
                std::vector<EdgeFeature> thin;
                const double step = double(m.edges.size()) / double(kMaxEdges);
                for (std::size_t i = 0; i < kMaxEdges; ++i)
                    thin.push_back(m.edges[std::size_t(double(i) * step)]);
                m.edges.swap(thin);
            }
        }
        ModelLevel lv;
        lv.coarse = selectSpread(pts, kMaxCoarseFeatures);
        lv.scan = selectSpread(pts, kMaxScanFeatures);
        if (k > 0 && lv.coarse.size() < kMinCoarse) break;
        lv.width = double(W) * f;
        lv.height = double(H) * f;
        for (const EdgeFeature& e : lv.coarse)
            lv.radius = std::max(lv.radius, std::hypot(double(e.x), double(e.y)));

        // The grey template; at full resolution the fit uses the pels near edges and every
        // other pel of every other row elsewhere, at coarser levels all pels.
        // Full resolution keeps the smoothed pels, as the run image is fitted smoothed too.
        const GreyPlane smoothed = k == 0 ? smooth121(pyr[0].view()) : GreyPlane();
        const GreyPlane& img = k == 0 ? smoothed : pyr[std::size_t(k)];
        float gmax = 1;
        const long i0 = long(std::ceil(x0 - 0.5)), i1 = long(std::ceil(x1 - 0.5));
        const long j0 = long(std::ceil(y0 - 0.5)), j1 = long(std::ceil(y1 - 0.5));
        for (long j = j0; j < j1; ++j)
            for (long i = i0; i < i1; ++i)
                gmax = std::max(gmax, std::hypot(float(g.gx.at(i, j)), float(g.gy.at(i, j))));
        for (long j = j0; j < j1; ++j)
            for (long i = i0; i < i1; ++i) {
                TemplatePel p;
                p.x = float(i + 0.5 - ax);
                p.y = float(j + 0.5 - ay);
                p.value = img.at(i, j);
                p.raw = pyr[std::size_t(k)].at(i, j);
                const float gm = std::hypot(float(g.gx.at(i, j)), float(g.gy.at(i, j)));
                p.forFit = k > 0 || gm >= 0.1f * gmax || ((i - i0) % 2 == 0 && (j - j0) % 2 == 0);
                lv.pels.push_back(p);
            }
        m.levels.push_back(std::move(lv));
    }
    markScored(m);

    // Full-resolution pels within 2 pels of an edge point.
    m.nearEdge = Plane<std::uint8_t>(W, H, 0);
    for (const EdgeFeature& e : m.edges) {
        const long cx = long(std::floor(e.x + m.anchorX - windowX));
        const long cy = long(std::floor(e.y + m.anchorY - windowY));
        for (long y = std::max(0L, cy - 2); y <= std::min(H - 1, cy + 2); ++y)
            for (long x = std::max(0L, cx - 2); x <= std::min(W - 1, cx + 2); ++x)
                m.nearEdge.at(x, y) = 1;
    }
    for (std::uint8_t v : m.nearEdge.px) m.nearEdgeCount += v;
    float x0 = m.edges.front().x, x1 = x0, y0 = m.edges.front().y, y1 = y0;
    for (const EdgeFeature& e : m.edges) {
        x0 = std::min(x0, e.x);
        x1 = std::max(x1, e.x);
        y0 = std::min(y0, e.y);
        y1 = std::max(y1, e.y);
    }
    m.inkExtent = std::max(x1 - x0, y1 - y0);
    inkStatistics(m);
    if (mayBeDotted(m))
        m.centreLines = centreLines(padded.view(), pad, pad, W, H, grainSigma(m), m.inkSign);
    std::vector<float> mags;
    for (const EdgeFeature& e : m.edges) mags.push_back(e.mag);
    std::nth_element(mags.begin(), mags.begin() + long(mags.size() / 2), mags.end());
    m.edgeStrength = mags[mags.size() / 2];
    return m;
}

} // namespace xc_align
