#include "core/geom/fit.h"

#include "core/geom/geom_errors.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <numbers>
#include <utility>

namespace {

void checkPoints(const std::vector<xcVector<2>>& pts, std::size_t minCount, const char* tooFew) {
    if (pts.size() < minCount) throw xcGeomDefs::BadParams(tooFew);
    for (const auto& p : pts)
        if (!std::isfinite(p.x()) || !std::isfinite(p.y()))
            throw xcGeomDefs::BadParams("Fit points must be finite");
}

// Centroid and second moments about it. The points are first scaled by a power of two (exact)
// that brings every coordinate into [-1, 1], so squares of huge coordinates cannot overflow;
// the moments are returned in that scale. Offsets are taken from the first point, so points
// with equal y give a y spread of exactly 0.
struct Scatter {
    xcVector<2> centroid; // in the original units
    double unit = 1.0;    // original units per scaled unit
    double sxx = 0, sxy = 0, syy = 0;
};

Scatter scatterOf(const std::vector<xcVector<2>>& pts) {
    Scatter s;
    double big = 0;
    for (const auto& p : pts) big = std::max({big, std::fabs(p.x()), std::fabs(p.y())});
    int e = 0;
    std::frexp(big, &e);
    s.unit = std::ldexp(1.0, e);
    const xcVector<2> q0 = pts[0] / s.unit;
    xcVector<2> m;
    for (const auto& p : pts) m += p / s.unit - q0;
    m /= double(pts.size());
    for (const auto& p : pts) {
        const xcVector<2> d = p / s.unit - q0 - m;
        s.sxx += d.x() * d.x();
        s.sxy += d.x() * d.y();
        s.syy += d.y() * d.y();
    }
    s.centroid = (q0 + m) * s.unit;
    return s;
}

// Solves the 3 x 3 system m x = b by elimination with partial pivoting; false when singular.
bool solve3(std::array<std::array<double, 3>, 3> m, std::array<double, 3> b,
            std::array<double, 3>& x) {
    for (int c = 0; c < 3; ++c) {
        int p = c;
        for (int r = c + 1; r < 3; ++r)
            if (std::fabs(m[r][c]) > std::fabs(m[p][c])) p = r;
        if (!(std::fabs(m[p][c]) > 0)) return false;
        std::swap(m[p], m[c]);
        std::swap(b[p], b[c]);
        for (int r = c + 1; r < 3; ++r) {
            const double f = m[r][c] / m[c][c];
            for (int k = c; k < 3; ++k) m[r][k] -= f * m[c][k];
            b[r] -= f * b[c];
        }
    }
    for (int c = 2; c >= 0; --c) {
        double v = b[c];
        for (int k = c + 1; k < 3; ++k) v -= m[c][k] * x[k];
        x[c] = v / m[c][c];
    }
    return std::isfinite(x[0]) && std::isfinite(x[1]) && std::isfinite(x[2]);
}

// Sum of squared geometric residuals of the circle (a, b, r) over the points q.
double circleCost(const std::vector<xcVector<2>>& q, double a, double b, double r) {
    double cost = 0;
    for (const auto& p : q) {
        const double dx = p.x() - a, dy = p.y() - b;
        const double e = std::sqrt(dx * dx + dy * dy) - r;
        cost += e * e;
    }
    return cost;
}

// Levenberg-Marquardt refinement of the circle (a, b, r) on the geometric residuals. Only
// steps that lower the cost are taken, so the result is never worse than the start.
void refineCircle(const std::vector<xcVector<2>>& q, double& a, double& b, double& r) {
    double cost = circleCost(q, a, b, r);
    double lambda = 1e-3;
    // The points are about the origin at unit spread, so plain square roots neither overflow nor
    // underflow, and a residual cost of kExact means agreement to about 1e-10 of the spread.
    constexpr double kExact = 1e-20;
    for (int iter = 0; iter < 50 && cost > kExact; ++iter) {
        std::array<std::array<double, 3>, 3> jtj{};
        std::array<double, 3> jte{};
        for (const auto& p : q) {
            const double dx = p.x() - a, dy = p.y() - b, d = std::sqrt(dx * dx + dy * dy);
            // A point at the centre has no gradient direction; it still pulls on the radius.
            const std::array<double, 3> j = {d > 0 ? -dx / d : 0.0, d > 0 ? -dy / d : 0.0, -1.0};
            const double e = d - r;
            for (int i = 0; i < 3; ++i) {
                jte[i] += j[i] * e;
                for (int k = 0; k < 3; ++k) jtj[i][k] += j[i] * j[k];
            }
        }
        bool improved = false;
        while (lambda < 1e12) {
            auto m = jtj;
            for (int i = 0; i < 3; ++i) m[i][i] *= 1.0 + lambda;
            std::array<double, 3> step{};
            if (!solve3(m, {-jte[0], -jte[1], -jte[2]}, step)) {
                lambda *= 10;
                continue;
            }
            const double na = a + step[0], nb = b + step[1], nr = r + step[2];
            const double c = circleCost(q, na, nb, nr);
            if (nr > 0 && c < cost) {
                // Steps that change the circle or its cost only in the last digits end the
                // refinement; chasing them costs dozens of passes on nearly straight rows.
                const bool tiny = std::fabs(step[0]) + std::fabs(step[1]) + std::fabs(step[2]) <=
                                      1e-12 * (std::fabs(a) + std::fabs(b) + r) ||
                                  cost - c <= 1e-12 * cost;
                a = na;
                b = nb;
                r = nr;
                cost = c;
                lambda = std::max(lambda / 10, 1e-12);
                improved = !tiny;
                break;
            }
            lambda *= 10;
        }
        if (!improved) return;
    }
}

} // namespace

xcLine xfLineFit(const std::vector<xcVector<2>>& pts, long, long, double) {
    checkPoints(pts, 2, "Line fit needs at least 2 points");
    const Scatter s = scatterOf(pts);
    // The principal axis of the scatter matrix [[sxx sxy] [sxy syy]] is at half the angle of
    // (sxx - syy, 2 sxy); atan2 gives (-pi, pi], so the half lies in (-pi/2, pi/2].
    double phi = 0.5 * std::atan2(2 * s.sxy, s.sxx - s.syy);
    // atan2(-0, negative) is -pi: a vertical line must still come out at +90 degrees.
    if (phi <= -std::numbers::pi / 2) phi += std::numbers::pi;
    double deg = phi * (180.0 / std::numbers::pi);
    if (deg <= -90.0) deg += 180.0;
    if (deg > 90.0) deg -= 180.0;
    const xcVector<2> n = xcVector<2>::polar(xcRadian(xcDegree(deg))).perp();
    return xcLine(xcDegree(deg), s.centroid.dot(n));
}

xcCircle xfCircleFit(const std::vector<xcVector<2>>& pts, long, double, long, double) {
    checkPoints(pts, 3, "Circle fit needs at least 3 points");
    const Scatter s = scatterOf(pts);
    const double n = double(pts.size());

    // Collinearity: the smaller eigenvalue of the scatter matrix against the larger one.
    const double tr = s.sxx + s.syy;
    const double lmax = 0.5 * (tr + std::hypot(s.sxx - s.syy, 2 * s.sxy));
    const double det = s.sxx * s.syy - s.sxy * s.sxy;
    if (!(lmax > 0) || !(det > 1e-12 * lmax * lmax)) return xcCircle();

    // Work in coordinates about the centroid, scaled to unit spread.
    const double spread = std::sqrt(tr / n);
    std::vector<xcVector<2>> q;
    q.reserve(pts.size());
    for (const auto& p : pts) q.push_back((p / s.unit - s.centroid / s.unit) / spread);

    // Algebraic fit: minimise sum (z + D u + E v + F)^2 with z = u^2 + v^2. With centred data
    // the sums of u and v vanish, F = -mean(z), and D, E solve the 2 x 2 scatter system.
    double suu = 0, suv = 0, svv = 0, suz = 0, svz = 0, sz = 0;
    for (const auto& p : q) {
        const double u = p.x(), v = p.y(), z = u * u + v * v;
        suu += u * u;
        suv += u * v;
        svv += v * v;
        suz += u * z;
        svz += v * z;
        sz += z;
    }
    const double d2 = suu * svv - suv * suv;
    if (!(d2 > 0)) return xcCircle();
    const double dd = (-suz * svv + svz * suv) / d2;
    const double ee = (-svz * suu + suz * suv) / d2;
    double a = -dd / 2, b = -ee / 2;
    double r = std::sqrt(a * a + b * b + sz / n);
    if (!std::isfinite(r) || !(r > 0)) return xcCircle();

    refineCircle(q, a, b, r);

    const double scale = spread * s.unit;
    const xcVector<2> centre = s.centroid + xcVector<2>(a, b) * scale;
    const double radius = r * scale;
    if (!std::isfinite(centre.x()) || !std::isfinite(centre.y()) || !std::isfinite(radius) ||
        !(radius > 0))
        return xcCircle();
    return xcCircle(centre, radius);
}
