#include "submodel/enclose_rect.h"

#include "core/geom/geom_errors.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace {

// Extremes of sigma * (a cos rho + b sin rho) over |rho| <= r and sigma in [s0, s1], s0 >= 0.
// a cos rho + b sin rho = A cos(rho - alpha); its maximum A is reached inside the range when
// |alpha| <= r and its minimum -A when |alpha| >= pi - r; otherwise the extremes lie at the ends.
struct Extent {
    double lo, hi;
};

Extent turnScaleExtent(double a, double b, double r, double s0, double s1) {
    double gMax, gMin;
    if (r == 0.0) {
        gMax = gMin = a; // exactly a, so that an exact placement stays exact
    } else {
        const double amp = std::hypot(a, b);
        if (r >= std::numbers::pi) {
            gMax = amp;
            gMin = -amp;
        } else {
            const double cr = std::cos(r), sr = std::sin(r);
            const double g0 = a * cr - b * sr, g1 = a * cr + b * sr;
            gMax = std::max(g0, g1);
            gMin = std::min(g0, g1);
            const double alpha = std::fabs(std::atan2(b, a));
            if (alpha <= r) gMax = amp;
            if (alpha >= std::numbers::pi - r) gMin = -amp;
        }
    }
    // A uniform scale pushes a positive extreme outwards with the largest factor and a negative
    // one with the largest too; an extreme of the other sign is best held with the smallest.
    return {gMin <= 0.0 ? s1 * gMin : s0 * gMin, gMax >= 0.0 ? s1 * gMax : s0 * gMax};
}

void checkUncertainty(double v, const char* what) {
    if (!(v >= 0.0))
        throw xcGeomDefs::BadParams(std::string("xfEncloseRect: ") + what +
                                    " uncertainty must be >= 0");
}

} // namespace

xcRect xfEncloseRect(const xcPolygon& poly, const xcXform<2>& pose, const xcXform<2>& c, double tx,
                     double ty, xcRadian r, double s, double /*u1*/, double /*u2*/, double /*u3*/,
                     long /*n*/) {
    const std::vector<xcVector<2>>& verts = poly.vertices();
    if (verts.empty()) throw xcGeomDefs::BadParams("xfEncloseRect: the polygon has no vertices");
    checkUncertainty(tx, "x translation");
    checkUncertainty(ty, "y translation");
    checkUncertainty(r.toDouble(), "rotation");
    checkUncertainty(s, "scale");

    const xcXform<2> cInv = c.inverse();
    // The linear map from the polygon's frame to the result's frame; its rows give, per result
    // axis, the functional whose extremes over the turn and scale are wanted.
    const xcMatrix<2> w = cInv.matrix() * pose.matrix();
    const double s0 = std::max(0.0, 1.0 - s), s1 = 1.0 + s;
    // A translation by (dx, dy) moves the result by cInv's matrix times (dx, dy); its reach per
    // axis is independent of the vertex.
    const xcMatrix<2>& m = cInv.matrix();
    const double ex = std::fabs(m.a()) * tx + std::fabs(m.b()) * ty;
    const double ey = std::fabs(m.c()) * tx + std::fabs(m.d()) * ty;

    double x0 = std::numeric_limits<double>::infinity(), y0 = x0;
    double x1 = -x0, y1 = -x0;
    for (const xcVector<2>& v : verts) {
        // The nominal placement, mapped the plain way so that zero uncertainties give exactly
        // the bounding box of the mapped vertices.
        const xcVector<2> q = cInv.mapPoint(pose.mapPoint(v));
        const xcVector<2> p = v.perp(); // R(rho) v = cos(rho) v + sin(rho) perp(v)
        const double ax = w.a() * v.x() + w.b() * v.y(), bx = w.a() * p.x() + w.b() * p.y();
        const double ay = w.c() * v.x() + w.d() * v.y(), by = w.c() * p.x() + w.d() * p.y();
        const Extent gx = turnScaleExtent(ax, bx, r.toDouble(), s0, s1);
        const Extent gy = turnScaleExtent(ay, by, r.toDouble(), s0, s1);
        x0 = std::min(x0, q.x() + (gx.lo - ax) - ex);
        x1 = std::max(x1, q.x() + (gx.hi - ax) + ex);
        y0 = std::min(y0, q.y() + (gy.lo - ay) - ey);
        y1 = std::max(y1, q.y() + (gy.hi - ay) + ey);
    }
    if (!std::isfinite(x0) || !std::isfinite(x1) || !std::isfinite(y0) || !std::isfinite(y1) ||
        !std::isfinite(x1 - x0) || !std::isfinite(y1 - y0))
        throw xcGeomDefs::BadParams("xfEncloseRect: the enclosing rectangle is not finite");
    return xcRect(x0, y0, x1 - x0, y1 - y0);
}
