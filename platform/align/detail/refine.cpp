#include "align/detail/refine.h"

#include "align/detail/sample.h"
#include "align/detail/simd.h"
#include "align/detail/solve.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace xc_align {

namespace {

// Least-squares gain and bias of image on template over the cared pels at the pose.
XC_ALIGN_HOT bool photometric(const ModelLevel& ml, const FitLevel& img, double f, const Mat2& A,
                              const Hypothesis& h, double& gain, double& bias, double& sigma,
                              double& ncc) {
    const double ax = h.x * f - 0.5, ay = h.y * f - 0.5;
    double n = 0, sT = 0, sI = 0, sTT = 0, sTI = 0, sII = 0;
    for (const TemplatePel& p : ml.pels) {
        if (!p.forFit) continue;
        const double px = A.a * p.x + A.b * p.y + ax, py = A.c * p.x + A.d * p.y + ay;
        if (px < -0.5 || py < -0.5 || px > img.width - 0.5 || py > img.height - 0.5) continue;
        const Sample s = sampleAt(img, px, py);
        if (!s.care) continue;
        n += 1;
        sT += p.value;
        sI += s.grey;
        sTT += double(p.value) * p.value;
        sTI += p.value * s.grey;
        sII += s.grey * s.grey;
    }
    if (n < 10) return false;
    const double vT = sTT - sT * sT / n, cTI = sTI - sT * sI / n, vI = sII - sI * sI / n;
    if (!(vT > 0)) return false;
    gain = cTI / vT;
    bias = (sI - gain * sT) / n;
    sigma = std::sqrt(std::max(0.0, (vI - gain * cTI) / n));
    ncc = vI > 0 ? cTI / std::sqrt(vT * vI) : 0.0;
    return true;
}

} // namespace

namespace {

// A level's coarse features turned and scaled by one angle and scale: offsets from the anchor
// in the level's pels and unit gradient directions.
struct Posed {
    std::vector<float> dx, dy, nx, ny;
};

void poseFeatures(const std::vector<EdgeFeature>& features, const Frame& frame, double theta,
                  double scale, Posed& out) {
    const Mat2 A = frame.A(theta, scale);
    const Mat2 N = A.inverse().transpose();
    const std::size_t n = features.size();
    out.dx.resize(n);
    out.dy.resize(n);
    out.nx.resize(n);
    out.ny.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const EdgeFeature& c = features[i];
        out.dx[i] = float(A.a * c.x + A.b * c.y);
        out.dy[i] = float(A.c * c.x + A.d * c.y);
        const double nx = N.a * c.nx + N.b * c.ny, ny = N.c * c.nx + N.d * c.ny;
        const double inv = 1.0 / std::sqrt(nx * nx + ny * ny);
        out.nx[i] = float(nx * inv);
        out.ny[i] = float(ny * inv);
    }
}

// The direction score with the anchor at (ax, ay) in the level's edge coordinates. Written
// without branches: whether a feature lands inside and whether its gradient points its way vary
// from feature to feature, and mispredicted jumps would cost more than the arithmetic.
XC_ALIGN_HOT double scoreAt(const Posed& p, const EdgeLevel& e, double ax, double ay) {
    const long W = e.dir.width / 2, H = e.dir.height;
    const std::size_t n = p.dx.size();
    const float* dx = p.dx.data();
    const float* dy = p.dy.data();
    const float* nx = p.nx.data();
    const float* ny = p.ny.data();
    const std::int8_t* dir = e.dir.px;
    const long stride = e.dir.width;
    const float fx = float(ax), fy = float(ay), fw = float(W), fh = float(H);
    float sum = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const float px = fx + dx[i], py = fy + dy[i];
        const bool in = px >= 0 && py >= 0 && px < fw && py < fh;
        const long at = in ? long(py) * stride + 2 * long(px) : 0;
        const float dot = nx[i] * float(dir[at]) + ny[i] * float(dir[at + 1]);
        sum += in ? std::max(dot, 0.0f) : 0.0f;
    }
    return n == 0 ? 0.0 : double(sum) / (127.0 * double(n));
}

} // namespace

double directionScore(const ModelLevel& ml, const EdgeLevel& e, int level, const Frame& frame,
                      const Hypothesis& h) {
    Posed p;
    poseFeatures(ml.coarse, frame, h.theta, h.scale, p);
    const double f = std::ldexp(1.0, -level);
    return scoreAt(p, e, h.x * f, h.y * f);
}

double localSearch(const ModelLevel& ml, const EdgeLevel& e, int level, const Frame& frame,
                   const FreeDofs& dofs, double angleHalf, double logScaleHalf, Hypothesis& h) {
    const double f = std::ldexp(1.0, -level);
    // The first, wide shift search scores the widely spread subset of the features only; the
    // finer steps use them all.
    Posed posed;
    poseFeatures(ml.scan.empty() ? ml.coarse : ml.scan, frame, h.theta, h.scale, posed);
    double best = scoreAt(posed, e, h.x * f, h.y * f);
    // Positions are tried with the pose's features turned once; angles and scales re-turn them.
    auto tryShifts = [&](double reach, int n) {
        const double bx = h.x * f, by = h.y * f;
        double bestX = bx, bestY = by;
        for (int j = -n; j <= n; ++j)
            for (int i = -n; i <= n; ++i) {
                if (i == 0 && j == 0) continue;
                const double x = bx + i * reach / n, y = by + j * reach / n;
                const double s = scoreAt(posed, e, x, y);
                if (s > best) {
                    best = s;
                    bestX = x;
                    bestY = y;
                }
            }
        h.x = bestX / f;
        h.y = bestY / f;
    };
    auto tryPose = [&](double theta, double scale) {
        Posed p;
        poseFeatures(ml.coarse, frame, theta, scale, p);
        const double s = scoreAt(p, e, h.x * f, h.y * f);
        if (s > best) {
            best = s;
            h.theta = theta;
            h.scale = scale;
            posed = std::move(p);
        }
    };
    tryShifts(1.0, 2);
    poseFeatures(ml.coarse, frame, h.theta, h.scale, posed);
    best = scoreAt(posed, e, h.x * f, h.y * f);
    if (dofs.angle && angleHalf > 0) {
        // Out to a whole grid step: where the coarse scores saturate, the grid pose that won can
        // be a step off.
        const double base = h.theta;
        for (double k : {-2.0, -1.0, -0.5, 0.5, 1.0, 2.0}) tryPose(base + k * angleHalf, h.scale);
    }
    if (dofs.scale && logScaleHalf > 0) {
        const double base = h.scale;
        for (double k : {-1.0, 1.0}) tryPose(h.theta, base * std::exp(k * logScaleHalf));
    }
    tryShifts(0.5, 1);
    return best;
}

namespace {

// Packed samples of one fit iteration: template offsets, template and image values and image
// gradients, padded with zero-weight entries to a multiple of kLanes.
constexpr int kLanes = 8;
struct FitScratch {
    std::vector<float> ux, uy, t, i, gx, gy, valid;
    std::size_t n = 0;

    // Room for `count` samples plus padding; keeps the memory between calls.
    void reserve(std::size_t count) {
        const std::size_t cap = count + kLanes;
        for (std::vector<float>* v : {&ux, &uy, &t, &i, &gx, &gy, &valid})
            if (v->size() < cap) v->resize(cap);
        n = 0;
    }
    void push(float x, float y, float tv, float iv, float gxv, float gyv) {
        ux[n] = x;
        uy[n] = y;
        t[n] = tv;
        i[n] = iv;
        gx[n] = gxv;
        gy[n] = gyv;
        valid[n] = 1.0f;
        ++n;
    }
    // Pads with zero-weight samples to a multiple of kLanes; returns the padded count.
    std::size_t pad() {
        std::size_t m = n;
        for (; m % kLanes; ++m) {
            ux[m] = uy[m] = t[m] = i[m] = gx[m] = gy[m] = valid[m] = 0.0f;
        }
        return m;
    }
    std::size_t size() const { return n; }
};

FitScratch& scratch() {
    thread_local FitScratch s;
    return s;
}

// The normal equations' 21 lower-triangle entries (tx, ty, angle, log scale, gain, bias), the
// 6 right-hand sides, then the sums of T, I, T^2, I^2, T I and r^2.
constexpr int kSums = 33;

XC_ALIGN_HOT void normalSums(const FitScratch& sc, std::size_t n, const Mat2& A, const Mat2& D,
                             double gain, double bias, double huber, double out[kSums]) {
    float acc[kSums][kLanes] = {};
    const float aa = float(A.a), ab = float(A.b), ac = float(A.c), ad = float(A.d);
    const float da = float(D.a), db = float(D.b), dc = float(D.c), dd = float(D.d);
    const float g = float(gain), b0 = float(bias), c = float(huber);
    for (std::size_t k = 0; k < n; k += kLanes) {
        // Each statement below runs over the eight lanes, one vector operation per line.
        const float* x = sc.ux.data() + k;
        const float* y = sc.uy.data() + k;
        const float* T = sc.t.data() + k;
        const float* I = sc.i.data() + k;
        const float* gx = sc.gx.data() + k;
        const float* gy = sc.gy.data() + k;
        const float* v = sc.valid.data() + k;
        float J[6][kLanes], wJ[6][kLanes], r[kLanes], w[kLanes];
        for (int l = 0; l < kLanes; ++l) {
            const float dx = aa * x[l] + ab * y[l], dy = ac * x[l] + ad * y[l];
            const float tx = da * x[l] + db * y[l], ty = dc * x[l] + dd * y[l];
            J[0][l] = gx[l];
            J[1][l] = gy[l];
            J[2][l] = gx[l] * tx + gy[l] * ty;
            J[3][l] = gx[l] * dx + gy[l] * dy;
            J[4][l] = -T[l];
            J[5][l] = -1.0f;
            r[l] = I[l] - g * T[l] - b0;
            // Huber weight: residuals beyond c count linearly.
            const float ar = std::fabs(r[l]);
            w[l] = v[l] * (ar <= c ? 1.0f : c / std::max(ar, 1e-6f));
        }
        for (int a = 0; a < 6; ++a)
            for (int l = 0; l < kLanes; ++l) wJ[a][l] = w[l] * J[a][l];
        int m = 0;
        for (int a = 0; a < 6; ++a)
            for (int bb = 0; bb <= a; ++bb, ++m)
                for (int l = 0; l < kLanes; ++l) acc[m][l] += wJ[a][l] * J[bb][l];
        for (int a = 0; a < 6; ++a)
            for (int l = 0; l < kLanes; ++l) acc[21 + a][l] += wJ[a][l] * r[l];
        for (int l = 0; l < kLanes; ++l) {
            acc[27][l] += v[l] * T[l];
            acc[28][l] += v[l] * I[l];
            acc[29][l] += v[l] * T[l] * T[l];
            acc[30][l] += v[l] * I[l] * I[l];
            acc[31][l] += v[l] * T[l] * I[l];
            acc[32][l] += v[l] * r[l] * r[l];
        }
    }
    for (int s = 0; s < kSums; ++s) {
        double t = 0;
        for (int l = 0; l < kLanes; ++l) t += acc[s][l];
        out[s] = t;
    }
}

} // namespace

double startFit(const ModelLevel& ml, const FitLevel& img, int level, const Frame& frame,
                FitState& st) {
    double ncc = 0;
    if (!photometric(ml, img, std::ldexp(1.0, -level), frame.A(st.h.theta, st.h.scale), st.h,
                     st.gain, st.bias, st.sigma, ncc))
        return -2;
    st.photometricReady = true;
    return ncc;
}

XC_ALIGN_HOT bool fitLevel(const ModelLevel& ml, const FitLevel& img, int level, const Frame& frame,
                           const FreeDofs& dofs, int maxIterations, FitState& st, double* ncc) {
    const double f = std::ldexp(1.0, -level);
    const double startX = st.h.x, startY = st.h.y;
    const double radius = std::max(1.0, ml.radius * st.h.scale * frame.pelScale());
    double sigma = st.sigma;
    if (!st.photometricReady && startFit(ml, img, level, frame, st) < -1) return false;
    // Parameters: tx, ty, angle, log scale, gain, bias; those held fixed are dropped from the
    // normal equations before solving.
    int map[6];
    int n = 0;
    map[n++] = 0;
    map[n++] = 1;
    if (dofs.angle) map[n++] = 2;
    if (dofs.scale) map[n++] = 3;
    map[n++] = 4;
    map[n++] = 5;

    double lastNcc = 0;
    FitScratch& sc = scratch();
    for (int it = 0; it < maxIterations; ++it) {
        const Mat2 A = frame.A(st.h.theta, st.h.scale);
        const Mat2 D = frame.dA(st.h.theta, st.h.scale);
        const double ax = st.h.x * f - 0.5, ay = st.h.y * f - 0.5;
        // Huber weights: residuals beyond c count linearly, so pels of other objects do not
        // dominate the fit.
        const double c = std::max(8.0, 2.5 * sigma);
        // Pass 1 gathers the samples; pass 2 forms the normal equations from packed arrays, eight
        // pels at a time in separate lanes so that it vectorises.
        sc.reserve(ml.pels.size());
        for (const TemplatePel& p : ml.pels) {
            if (!p.forFit) continue;
            const double px = A.a * p.x + A.b * p.y + ax, py = A.c * p.x + A.d * p.y + ay;
            if (px < 0 || py < 0 || px > img.width - 1 || py > img.height - 1) continue;
            const Sample s = sampleAt(img, px, py);
            if (!s.care) continue;
            sc.push(p.x, p.y, p.value, s.grey, s.gx, s.gy);
        }
        const double cnt = double(sc.size());
        if (cnt < 10) return false;
        const std::size_t padded = sc.pad();
        double sums[kSums];
        normalSums(sc, padded, A, D, st.gain, st.bias, c, sums);
        double full[6][6] = {};
        double gfull[6] = {};
        for (int a = 0, k = 0; a < 6; ++a)
            for (int b = 0; b <= a; ++b) full[a][b] = sums[k++];
        for (int a = 0; a < 6; ++a) gfull[a] = sums[21 + a];
        const double sT = sums[27], sI = sums[28], sTT = sums[29], sII = sums[30], sTI = sums[31],
                     sRR = sums[32];
        const double vT = sTT - sT * sT / cnt, vI = sII - sI * sI / cnt;
        lastNcc = (vT > 0 && vI > 0) ? (sTI - sT * sI / cnt) / std::sqrt(vT * vI) : 0.0;
        sigma = std::sqrt(std::max(0.0, sRR) / cnt);
        std::array<std::array<double, 6>, 6> M{};
        std::array<double, 6> g{};
        for (int a = 0; a < n; ++a) {
            for (int b = 0; b <= a; ++b) M[a][b] = M[b][a] = full[map[a]][map[b]];
            M[a][a] *= 1.0 + 1e-9;
            g[a] = -gfull[map[a]];
        }
        std::array<double, 6> d{};
        if (!solveSpd<6>(M, g, n, d)) return false;
        double step[6] = {0, 0, 0, 0, 0, 0};
        for (int a = 0; a < n; ++a) step[map[a]] = d[a];
        // Keep each step within the range where the linearisation holds.
        const double move = std::sqrt(step[0] * step[0] + step[1] * step[1]);
        if (move > 2.0) {
            step[0] *= 2.0 / move;
            step[1] *= 2.0 / move;
        }
        step[2] = std::clamp(step[2], -0.1, 0.1);
        step[3] = std::clamp(step[3], -0.1, 0.1);
        st.h.x += step[0] / f;
        st.h.y += step[1] / f;
        st.h.theta += step[2];
        st.h.scale *= std::exp(step[3]);
        st.gain += step[4];
        st.bias += step[5];
        if ((st.h.x - startX) * (st.h.x - startX) + (st.h.y - startY) * (st.h.y - startY) >
                16.0 / (f * f) ||
            !(st.h.scale > 0.05) || st.h.scale > 20.0)
            return false;
        // Full resolution is fitted to a hundredth of a pel; coarser levels only need to hand
        // over a start well inside the next level's reach.
        const double tol = level == 0 ? 0.01 : 0.05;
        if (move < tol && std::fabs(step[2]) * radius < tol && std::fabs(step[3]) * radius < tol)
            break;
    }
    if (ncc) *ncc = lastNcc;
    return true;
}

XC_ALIGN_HOT Evaluation evaluate(const Model& m, const FitLevel& img, const Frame& frame,
                                 const Hypothesis& h, double gain, bool quick) {
    Evaluation ev;
    const ModelLevel& ml = m.levels.front();
    const Mat2 A = frame.A(h.theta, h.scale);
    const double W = double(img.width), H = double(img.height);
    // Image edges stronger than 30 % of the pattern's typical edge (central differences are
    // about a quarter of the Sobel magnitude) count as clutter away from the pattern's edges.
    const double clutterThr = 0.3 * m.edgeStrength / 4.0 * std::fabs(gain);
    double n = 0, sT = 0, sI = 0, sTT = 0, sII = 0, sTI = 0;
    long inside = 0, clutter = 0, considered = 0;
    for (std::size_t i = 0; i < ml.pels.size(); ++i) {
        const TemplatePel& p = ml.pels[i];
        if (!p.forScore || (quick && (!p.forFit || (i & 1)))) continue;
        ++considered;
        const double px = A.a * p.x + A.b * p.y + h.x, py = A.c * p.x + A.d * p.y + h.y;
        if (!(px >= 0 && py >= 0 && px < W && py < H)) continue;
        ++inside;
        const Sample s = sampleAt(img, px - 0.5, py - 0.5);
        if (!s.care) continue;
        n += 1;
        sT += p.raw;
        sI += s.grey;
        sTT += double(p.raw) * p.raw;
        sII += s.grey * s.grey;
        sTI += p.raw * s.grey;
        clutter += long(!quick & !m.nearEdge.px[i] &
                        (4.0 * (s.gx * s.gx + s.gy * s.gy) >= clutterThr * clutterThr));
    }
    ev.cared = long(n);
    ev.inside = considered == 0 ? 0.0 : double(inside) / double(considered);
    if (n >= 2) {
        const double vT = sTT - sT * sT / n, vI = sII - sI * sI / n;
        ev.contrast = std::sqrt(std::max(0.0, vI / n));
        ev.ncc = (vT > 0 && vI > 0) ? (sTI - sT * sI / n) / std::sqrt(vT * vI) : 0.0;
    }
    ev.clutter = std::min(1.0, double(clutter) / double(std::max(1L, m.nearEdgeCount)));
    // Edge agreement of every trained edge point at its placed position (edgeAgreement). Points
    // on ignored pels count neither way, points outside the image as missed.
    const Mat2 N = A.inverse().transpose();
    const double pelScale = std::sqrt(std::fabs(A.det()));
    long in = 0, counted = 0;
    double met = 0;
    const std::size_t edgeStep = quick ? 2 : 1;
    for (std::size_t k = 0; k < m.edges.size(); k += edgeStep) {
        const EdgeFeature& e = m.edges[k];
        const double px = A.a * e.x + A.b * e.y + h.x, py = A.c * e.x + A.d * e.y + h.y;
        if (!(px >= 0 && py >= 0 && px < W && py < H)) {
            ++counted;
            continue;
        }
        ++in;
        const Sample s = sampleAt(img, px - 0.5, py - 0.5);
        if (!s.care) continue;
        ++counted;
        met += edgeAgreement(s, N.a * e.nx + N.b * e.ny, N.c * e.nx + N.d * e.ny,
                             std::fabs(gain) * e.mag / 8.0 / pelScale);
    }
    ev.coverage =
        m.edges.empty() ? 0.0 : double(in) / double((m.edges.size() + edgeStep - 1) / edgeStep);
    ev.edges = counted > 0 ? met / double(counted) : 0.0;
    return ev;
}

} // namespace xc_align
