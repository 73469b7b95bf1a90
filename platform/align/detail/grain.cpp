#include "align/detail/grain.h"

#include "align/detail/sample.h"
#include "align/detail/solve.h"

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
// Centre-line points keep a curvature across of at least this share of the strongest; a fit
// needs this many of them. The weak ones lie mostly on the outer flanks of curved strokes, where
// the grey curves most along the stroke: on dotted print they slide along it onto single dots
// and turn the pose (with a share of 0.2 the mean angle error on the dotted test print was 0.65
// degrees instead of 0.60).
constexpr double kRidge = 0.3;
constexpr std::size_t kMinRidge = 12;
// The centre lines' Gaussian over the dot pitch: it joins dots a pitch apart into one ridge; a
// wider one pulls the ridges of curves and junctions further from where the dots lie (half a
// pitch: mean angle error 0.73 degrees on the dotted test print).
constexpr double kGrainSigmaShare = 0.4;
// The fit at the grain may move the pattern this far (pels); the smoothed patch reaches that
// much past the placed window.
constexpr long kGrainReach = 5;
constexpr int kGrainIterations = 10;

// The w x h pels from (x0, y0) of src smoothed by a Gaussian of sigma pels (reads past src's
// borders replicate them).
std::vector<float> gaussian(const GreyView& src, long x0, long y0, long w, long h, double sigma) {
    const long r = std::max(1L, long(std::ceil(3.0 * sigma)));
    std::vector<float> k(std::size_t(2 * r + 1));
    float sum = 0;
    for (long i = -r; i <= r; ++i)
        sum += k[std::size_t(i + r)] = float(std::exp(-0.5 * double(i * i) / (sigma * sigma)));
    for (float& v : k) v /= sum;
    // Rows first over the rows the columns pass needs.
    const long rows = h + 2 * r;
    std::vector<float> tmp(std::size_t(rows * w));
    for (long j = 0; j < rows; ++j) {
        const std::uint8_t* s = src.row(std::clamp(y0 - r + j, 0L, src.height - 1));
        for (long i = 0; i < w; ++i) {
            float acc = 0;
            for (long t = -r; t <= r; ++t)
                acc += k[std::size_t(t + r)] * float(s[std::clamp(x0 + i + t, 0L, src.width - 1)]);
            tmp[std::size_t(j * w + i)] = acc;
        }
    }
    std::vector<float> out(std::size_t(w * h), 0.0f);
    for (long j = 0; j < h; ++j)
        for (long t = 0; t <= 2 * r; ++t) {
            const float kt = k[std::size_t(t)];
            const float* s = tmp.data() + (j + t) * w;
            float* d = out.data() + j * w;
            for (long i = 0; i < w; ++i) d[i] += kt * s[i];
        }
    return out;
}

} // namespace

double grainSigma(const Model& m) {
    return kGrainSigmaShare * m.inkExtent * kPitchShare;
}

bool mayBeDotted(const Model& m) {
    const double pitch = m.inkExtent * kPitchShare;
    return m.levels.size() >= 2 &&
           pitch <= 2.0 * kMergedPitch * double(1 << (int(m.levels.size()) - 1));
}

void inkStatistics(Model& m) {
    const std::vector<TemplatePel>& pels = m.levels.front().pels;
    double mean = 0, sq = 0;
    for (const TemplatePel& p : pels) {
        mean += p.raw;
        sq += double(p.raw) * p.raw;
    }
    const double n = double(pels.size());
    mean /= n;
    const auto below = std::count_if(pels.begin(), pels.end(),
                                     [mean](const TemplatePel& p) { return p.raw < mean; });
    m.inkMean = mean;
    m.inkSd = std::sqrt(std::max(0.0, sq / n - mean * mean));
    m.inkSign = 2.0 * double(below) < n ? -1.0 : 1.0;
}

std::vector<EdgeFeature> centreLines(const GreyView& padded, long x0, long y0, long width,
                                     long height, double sigma, double inkSign) {
    // One pel more each side for the differences; the ink made bright.
    const long w = width + 2, h = height + 2;
    std::vector<float> sm = gaussian(padded, x0 - 1, y0 - 1, w, h, sigma);
    for (float& v : sm) v *= float(inkSign);
    auto at = [&](long i, long j) { return double(sm[std::size_t((j + 1) * w + i + 1)]); };
    std::vector<EdgeFeature> out;
    double strongest = 0;
    for (long j = 0; j < height; ++j)
        for (long i = 0; i < width; ++i) {
            const double c = at(i, j);
            const double fxx = at(i + 1, j) + at(i - 1, j) - 2 * c;
            const double fyy = at(i, j + 1) + at(i, j - 1) - 2 * c;
            const double fxy =
                0.25 * (at(i + 1, j + 1) + at(i - 1, j - 1) - at(i + 1, j - 1) - at(i - 1, j + 1));
            // The curvature across a bright ridge: the Hessian's lower eigenvalue, clearly below
            // the other one, and its direction.
            const double half = 0.5 * (fxx + fyy);
            const double disc = std::sqrt(0.25 * (fxx - fyy) * (fxx - fyy) + fxy * fxy);
            const double across = half - disc, along = half + disc;
            if (!(across < 0) || std::fabs(along) > 0.5 * std::fabs(across)) continue;
            double nx = fxy, ny = across - fxx;
            if (std::fabs(fxy) < 1e-9 && std::fabs(ny) < 1e-9) {
                nx = fxx <= fyy ? 1.0 : 0.0;
                ny = 1.0 - nx;
            }
            const double len = std::hypot(nx, ny);
            nx /= len;
            ny /= len;
            const double gx = 0.5 * (at(i + 1, j) - at(i - 1, j));
            const double gy = 0.5 * (at(i, j + 1) - at(i, j - 1));
            // The ridge lies where the derivative across vanishes; this pel keeps it when that
            // is within half a pel.
            const double t = -(gx * nx + gy * ny) / across;
            if (std::fabs(t) > 0.5) continue;
            EdgeFeature e;
            e.x = float(double(i) + 0.5 + t * nx - 0.5 * double(width));
            e.y = float(double(j) + 0.5 + t * ny - 0.5 * double(height));
            e.nx = float(nx);
            e.ny = float(ny);
            e.mag = float(-across);
            strongest = std::max(strongest, -across);
            out.push_back(e);
        }
    std::erase_if(out, [&](const EdgeFeature& e) { return e.mag < kRidge * strongest; });
    return out;
}

namespace {

// The run image around a pose smoothed to the grain, the ink made bright.
struct GrainPatch {
    long x0 = 0, y0 = 0, w = 0, h = 0;
    std::vector<float> v;
    const GreyPlane* mask = nullptr;

    // Bilinear sample at a point in edge coordinates of the image (pel centres at +0.5); false
    // outside the patch or on ignored pels.
    bool at(double px, double py, double& out) const {
        px -= double(x0) + 0.5;
        py -= double(y0) + 0.5;
        if (!(px >= 0 && py >= 0 && px < double(w - 1) && py < double(h - 1))) return false;
        const long i = long(px), j = long(py);
        if (mask && (mask->at(x0 + i, y0 + j) == 0 || mask->at(x0 + i + 1, y0 + j) == 0 ||
                     mask->at(x0 + i, y0 + j + 1) == 0 || mask->at(x0 + i + 1, y0 + j + 1) == 0))
            return false;
        const double fx = px - double(i), fy = py - double(j);
        const float* r0 = v.data() + j * w + i;
        const float* r1 = r0 + w;
        out = (1 - fy) * ((1 - fx) * r0[0] + fx * r0[1]) + fy * ((1 - fx) * r1[0] + fx * r1[1]);
        return true;
    }
};

} // namespace

bool fitCentreLines(const Model& m, const RunImage& img, const Frame& frame, const FreeDofs& dofs,
                    Hypothesis& h, double gain) {
    const GreyPlane& grey = img.grey(0);
    const double sigma = grainSigma(m) * h.scale * frame.pelScale();
    if (m.centreLines.size() < kMinRidge || !(sigma > 0)) return false;
    // The placed window's bounding box, kGrainReach pels wider each side, inside the image.
    const Mat2 A0 = frame.A(h.theta, h.scale);
    const double hw = 0.5 * double(m.width), hh = 0.5 * double(m.height);
    const double ex = std::fabs(A0.a) * hw + std::fabs(A0.b) * hh,
                 ey = std::fabs(A0.c) * hw + std::fabs(A0.d) * hh;
    GrainPatch patch;
    patch.x0 = std::max(0L, long(std::floor(h.x - ex)) - kGrainReach);
    patch.y0 = std::max(0L, long(std::floor(h.y - ey)) - kGrainReach);
    patch.w = std::min(grey.width, long(std::ceil(h.x + ex)) + kGrainReach) - patch.x0;
    patch.h = std::min(grey.height, long(std::ceil(h.y + ey)) + kGrainReach) - patch.y0;
    if (patch.w < 4 || patch.h < 4) return false;
    patch.v = gaussian(grey.view(), patch.x0, patch.y0, patch.w, patch.h, sigma);
    patch.mask = img.mask(0);
    // The image's ink is the template's turned over when the gain is negative.
    const float pol = float(gain >= 0 ? m.inkSign : -m.inkSign);
    for (float& v : patch.v) v *= pol;
    const double maxShift = std::max(1.0, sigma);
    const double startX = h.x, startY = h.y;
    int map[4], n = 0;
    map[n++] = 0;
    map[n++] = 1;
    if (dofs.angle) map[n++] = 2;
    if (dofs.scale) map[n++] = 3;
    for (int it = 0; it < kGrainIterations; ++it) {
        const Mat2 A = frame.A(h.theta, h.scale), D = frame.dA(h.theta, h.scale);
        const Mat2 N = A.inverse().transpose();
        std::array<std::array<double, 4>, 4> M{};
        std::array<double, 4> r{}, d{};
        std::size_t used = 0;
        for (const EdgeFeature& e : m.centreLines) {
            const double qx = A.a * e.x + A.b * e.y, qy = A.c * e.x + A.d * e.y;
            double nx = N.a * e.nx + N.b * e.ny, ny = N.c * e.nx + N.d * e.ny;
            const double len = std::hypot(nx, ny);
            nx /= len;
            ny /= len;
            const double px = h.x + qx, py = h.y + qy;
            double vm, v0, vp;
            if (!patch.at(px - nx, py - ny, vm) || !patch.at(px, py, v0) ||
                !patch.at(px + nx, py + ny, vp))
                continue;
            const double d2 = vp + vm - 2 * v0;
            if (!(d2 < 0)) continue;
            // The image's ridge lies t pels along the normal (a Newton step on the derivative
            // across); how the dots are spaced along the stroke does not move it.
            const double t = -0.5 * (vp - vm) / d2;
            if (std::fabs(t) > maxShift) continue;
            const double dx = D.a * e.x + D.b * e.y, dy = D.c * e.x + D.d * e.y;
            const double J[4] = {nx, ny, nx * dx + ny * dy, nx * qx + ny * qy};
            // Weighted by the ridge's sharpness, offsets beyond a pel counting linearly.
            const double wgt = double(e.mag) * std::min(1.0, 1.0 / std::fabs(t));
            for (int a = 0; a < n; ++a) {
                for (int b = 0; b < n; ++b) M[a][b] += wgt * J[map[a]] * J[map[b]];
                r[a] += wgt * J[map[a]] * t;
            }
            ++used;
        }
        double step[4] = {};
        if (used < kMinRidge || !solveSpd<4>(M, r, n, d)) return false;
        for (int a = 0; a < n; ++a) step[map[a]] = d[a];
        // Steps kept where the linearisation holds.
        const double move = std::hypot(step[0], step[1]);
        if (move > 1.0) {
            step[0] /= move;
            step[1] /= move;
        }
        step[2] = std::clamp(step[2], -0.05, 0.05);
        step[3] = std::clamp(step[3], -0.05, 0.05);
        h.x += step[0];
        h.y += step[1];
        h.theta += step[2];
        h.scale *= std::exp(step[3]);
        if (std::hypot(h.x - startX, h.y - startY) > double(kGrainReach - 1)) return false;
        const double radius = std::max(1.0, m.levels.front().radius * h.scale * frame.pelScale());
        if (move < 0.01 && std::fabs(step[2]) * radius < 0.01 && std::fabs(step[3]) * radius < 0.01)
            break;
    }
    return true;
}

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
    // The ink: the template's pels on its ink side of the mean grey, half a standard deviation
    // or more from it.
    const double mean = m.inkMean, sd = m.inkSd, inkSign = m.inkSign;
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
        met += edgeAgreement(s, N.a * e.nx + N.b * e.ny, N.c * e.nx + N.d * e.ny,
                             std::fabs(gain) * e.mag / 8.0 / pelScale);
    }
    return counted > 0 ? met / double(counted) : 0.0;
}

} // namespace xc_align
