#include "corrsearch/detail/subpel.h"

#include "corrsearch/detail/hot.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace xc_corrsearch {

namespace {

// The vertex of the parabola through (-1, a), (0, b), (1, c), when it has a maximum within half
// a pel; else 0.
double parabolaVertex(double a, double b, double c) {
    const double d = a - 2.0 * b + c;
    if (!(d < 0.0)) return 0.0;
    const double t = 0.5 * (a - c) / d;
    return std::abs(t) <= 0.5 ? t : 0.0;
}

// Inverts a symmetric 4 x 4 matrix by Gauss-Jordan with partial pivoting; false when singular
// relative to its largest diagonal entry.
bool invert4(double a[4][4], double inv[4][4]) {
    double scale = 0.0;
    for (int i = 0; i < 4; ++i) scale = std::max(scale, std::abs(a[i][i]));
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) inv[i][j] = i == j ? 1.0 : 0.0;
    for (int col = 0; col < 4; ++col) {
        int piv = col;
        for (int r = col + 1; r < 4; ++r)
            if (std::abs(a[r][col]) > std::abs(a[piv][col])) piv = r;
        if (!(std::abs(a[piv][col]) > 1e-12 * scale)) return false;
        std::swap(a[piv], a[col]);
        std::swap(inv[piv], inv[col]);
        const double p = a[col][col];
        for (int j = 0; j < 4; ++j) {
            a[col][j] /= p;
            inv[col][j] /= p;
        }
        for (int r = 0; r < 4; ++r) {
            if (r == col) continue;
            const double f = a[r][col];
            for (int j = 0; j < 4; ++j) {
                a[r][j] -= f * a[col][j];
                inv[r][j] -= f * inv[col][j];
            }
        }
    }
    return true;
}

typedef float V8 __attribute__((vector_size(32)));

// The sums of the bilinearly sampled image times each basis image: rhs = (S I m, S I gx,
// S I gy, S I) over the inner pels, the image sampled at (x + c + ix + fx, y + r + iy + fy).
// Whole vectors of eight: the padding of the basis rows is zero, `one` included.
XC_CS_HOT
void sampleSums(const FloatPlane& plane, const GradientModel& g, long x, long y, long ix, long iy,
                float fx, float fy, double rhs[4]) {
    const float w00 = (1 - fx) * (1 - fy), w01 = fx * (1 - fy), w10 = (1 - fx) * fy, w11 = fx * fy;
    const V8 b00 = {w00, w00, w00, w00, w00, w00, w00, w00};
    const V8 b01 = {w01, w01, w01, w01, w01, w01, w01, w01};
    const V8 b10 = {w10, w10, w10, w10, w10, w10, w10, w10};
    const V8 b11 = {w11, w11, w11, w11, w11, w11, w11, w11};
    V8 a0 = {}, a1 = {}, a2 = {}, a3 = {};
    for (long r = 0; r < g.innerHeight; ++r) {
        const float* p0 = plane.row(y + 1 + r + iy) + x + 1 + ix;
        const float* p1 = p0 + plane.stride;
        const long k0 = r * g.stride;
        for (long c = 0; c < g.stride; c += 8) {
            V8 q00, q01, q10, q11, m, gx, gy, one;
            std::memcpy(&q00, p0 + c, sizeof(V8));
            std::memcpy(&q01, p0 + c + 1, sizeof(V8));
            std::memcpy(&q10, p1 + c, sizeof(V8));
            std::memcpy(&q11, p1 + c + 1, sizeof(V8));
            std::memcpy(&m, g.m.data() + k0 + c, sizeof(V8));
            std::memcpy(&gx, g.gx.data() + k0 + c, sizeof(V8));
            std::memcpy(&gy, g.gy.data() + k0 + c, sizeof(V8));
            std::memcpy(&one, g.one.data() + k0 + c, sizeof(V8));
            const V8 v = b00 * q00 + b01 * q01 + b10 * q10 + b11 * q11;
            a0 += v * m;
            a1 += v * gx;
            a2 += v * gy;
            a3 += v * one;
        }
    }
    const V8* acc[4] = {&a0, &a1, &a2, &a3};
    for (int i = 0; i < 4; ++i) {
        double t = 0.0;
        for (int k = 0; k < 8; ++k) t += double((*acc[i])[k]);
        rhs[i] = t;
    }
}

} // namespace

xcVector<2> quadraticPeakOffset(const double f[3][3], bool xOk, bool yOk, long accuracy) {
    double tx = xOk ? parabolaVertex(f[1][0], f[1][1], f[1][2]) : 0.0;
    double ty = yOk ? parabolaVertex(f[0][1], f[1][1], f[2][1]) : 0.0;
    if (accuracy >= 3 && xOk && yOk) {
        // Least squares over the 3 x 3 grid in closed form; the stationary point solves
        // [2d e; e 2g] t = -(b, c).
        double sx = 0, sy = 0, sxy = 0, colOut = 0, colIn = 0, rowOut = 0, rowIn = 0;
        for (int j = 0; j < 3; ++j) {
            for (int i = 0; i < 3; ++i) {
                const double v = f[j][i];
                sx += (i - 1) * v;
                sy += (j - 1) * v;
                sxy += (i - 1) * (j - 1) * v;
                (i == 1 ? colIn : colOut) += v;
                (j == 1 ? rowIn : rowOut) += v;
            }
        }
        const double b = sx / 6.0, c = sy / 6.0, e = sxy / 4.0;
        const double d = colOut / 6.0 - colIn / 3.0, g = rowOut / 6.0 - rowIn / 3.0;
        const double det = 4.0 * d * g - e * e;
        if (d < 0.0 && det > 0.0) {
            const double ux = (-b * 2.0 * g + c * e) / det;
            const double uy = (-c * 2.0 * d + b * e) / det;
            if (std::abs(ux) <= 0.75 && std::abs(uy) <= 0.75) {
                tx = std::clamp(ux, -0.5, 0.5);
                ty = std::clamp(uy, -0.5, 0.5);
            }
        }
    }
    return xcVector<2>(tx, ty);
}

std::unique_ptr<GradientModel> buildGradientModel(const float* zm, long stride, long w, long h) {
    if (w < 5 || h < 5) return nullptr;
    auto g = std::make_unique<GradientModel>();
    g->innerWidth = w - 2;
    g->innerHeight = h - 2;
    g->stride = (g->innerWidth + 7) / 8 * 8;
    const std::size_t size = static_cast<std::size_t>(g->stride * g->innerHeight);
    g->m.assign(size, 0.0f);
    g->gx.assign(size, 0.0f);
    g->gy.assign(size, 0.0f);
    g->one.assign(size, 0.0f);
    double a[4][4] = {};
    for (long r = 0; r < g->innerHeight; ++r) {
        for (long c = 0; c < g->innerWidth; ++c) {
            const float* p = zm + (r + 1) * stride + (c + 1);
            const long k = r * g->stride + c;
            g->m[k] = p[0];
            g->gx[k] = 0.5f * (p[1] - p[-1]);
            g->gy[k] = 0.5f * (p[stride] - p[-stride]);
            g->one[k] = 1.0f;
            const double basis[4] = {g->m[k], g->gx[k], g->gy[k], 1.0};
            for (int i = 0; i < 4; ++i)
                for (int j = 0; j < 4; ++j) a[i][j] += basis[i] * basis[j];
        }
    }
    if (!invert4(a, g->inverse)) return nullptr;
    return g;
}

bool gradientRefine(const FloatPlane& plane, const GradientModel& g, long x, long y,
                    xcVector<2>& t) {
    constexpr int kSteps = 4;
    double tx = t.x(), ty = t.y();
    for (int step = 0; step < kSteps; ++step) {
        // Inner pels shifted by less than one pel stay inside the placement's window.
        if (!(std::abs(tx) < 1.0 && std::abs(ty) < 1.0)) return false;
        const long ix = long(std::floor(tx)), iy = long(std::floor(ty));
        double rhs[4];
        sampleSums(plane, g, x, y, ix, iy, float(tx - double(ix)), float(ty - double(iy)), rhs);
        double u[4];
        for (int i = 0; i < 4; ++i) {
            u[i] = 0.0;
            for (int j = 0; j < 4; ++j) u[i] += g.inverse[i][j] * rhs[j];
        }
        // sample ~ a m + a (t - t*) . grad m + b, so t* = t - (u1, u2) / a; a contrast that
        // is not clearly positive leaves nothing to fit.
        if (!(u[0] > 1e-3)) return false;
        const double dx = u[1] / u[0], dy = u[2] / u[0];
        tx -= dx;
        ty -= dy;
        if (std::abs(dx) < 1e-3 && std::abs(dy) < 1e-3) break;
    }
    if (!(std::abs(tx) < 1.0 && std::abs(ty) < 1.0)) return false;
    t = xcVector<2>(tx, ty);
    return true;
}

} // namespace xc_corrsearch
