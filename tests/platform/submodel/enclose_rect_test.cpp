#include "submodel/enclose_rect.h"

#include "core/geom/geom_errors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <random>

namespace {

const double kPi = std::numbers::pi;

xcPolygon square(double x0, double y0, double x1, double y1) {
    return xcPolygon({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}, 0);
}

xcRect enclose(const xcPolygon& p, const xcXform<2>& pose, const xcXform<2>& c, double tx,
               double ty, double rRad, double s) {
    return xfEncloseRect(p, pose, c, tx, ty, xcRadian(rRad), s, 0.0, 0.0, 0.0, 1);
}

void expectRectNear(const xcRect& r, double x, double y, double w, double h, double tol) {
    EXPECT_NEAR(r.x(), x, tol);
    EXPECT_NEAR(r.y(), y, tol);
    EXPECT_NEAR(r.width(), w, tol);
    EXPECT_NEAR(r.height(), h, tol);
}

// A general affine map (not a similarity when the two scales or angles differ).
xcXform<2> affine(double xRotDeg, double yRotDeg, double xs, double ys, double tx, double ty) {
    return xcXform<2>(xcMatrix<2>(xcRadian(xcDegree(xRotDeg)), xcRadian(xcDegree(yRotDeg)), xs, ys),
                      xcVector<2>(tx, ty));
}

// The bounding box of c^-1(T(d) * pose * S(sigma) * R(rho) v) over sampled perturbations.
struct Box {
    double x0 = std::numeric_limits<double>::infinity(), y0 = x0, x1 = -x0, y1 = -x0;
    void add(const xcVector<2>& p) {
        x0 = std::min(x0, p.x());
        y0 = std::min(y0, p.y());
        x1 = std::max(x1, p.x());
        y1 = std::max(y1, p.y());
    }
};

Box sampled(const xcPolygon& poly, const xcXform<2>& pose, const xcXform<2>& c, double tx,
            double ty, double r, double s, int steps) {
    const xcXform<2> cInv = c.inverse();
    const double sigmas[] = {std::max(0.0, 1.0 - s), 1.0, 1.0 + s};
    Box box;
    for (int k = 0; k <= steps; ++k) {
        const double rho = -r + 2.0 * r * k / steps;
        for (double sigma : sigmas)
            for (double dx : {-tx, tx})
                for (double dy : {-ty, ty})
                    for (const xcVector<2>& v : poly.vertices()) {
                        const xcVector<2> turned = xcMatrix<2>::rotation(xcRadian(rho), sigma) * v;
                        box.add(cInv.mapPoint(pose.mapPoint(turned) + xcVector<2>(dx, dy)));
                    }
    }
    return box;
}

} // namespace

// Without uncertainty, exactly the bounding box of the vertices placed by pose, then mapped by
// c^-1.
TEST(EncloseRect, WithoutUncertaintyIsTheBoundingBoxOfTheMappedPolygon) {
    const xcPolygon poly({{0, 0}, {7, 1}, {5, 9}, {-2, 4}}, 0);
    const xcXform<2> pose = affine(-70, -50, 0.7, 2.0, 3, 8), c = affine(15, 40, 1.2, 0.8, -7, 2);
    EXPECT_EQ(enclose(poly, pose, c, 0, 0, 0, 0), poly.map(pose).map(c.inverse()).boundingBox());
}

TEST(EncloseRect, HandComputedUncertainties) {
    // Translation acts after the pose: a unit square at (10, 20) moving by 2 in x and 3 in y.
    expectRectNear(
        enclose(square(0, 0, 1, 1), xcXform<2>::translation({10, 20}), xcXform<2>(), 2, 3, 0, 0), 8,
        17, 5, 7, 0);
    // A square about the origin turned by up to 45 degrees: the corners at distance sqrt(2)
    // reach the axes.
    const double r2 = std::sqrt(2.0);
    expectRectNear(enclose(square(-1, -1, 1, 1), xcXform<2>(), xcXform<2>(), 0, 0, kPi / 4, 0), -r2,
                   -r2, 2 * r2, 2 * r2, 1e-12);
    // A full turn covers the circle through the corners; so does any turn of pi or more.
    expectRectNear(enclose(square(-1, -1, 1, 1), xcXform<2>(), xcXform<2>(), 0, 0, kPi, 0), -r2,
                   -r2, 2 * r2, 2 * r2, 1e-12);
    expectRectNear(enclose(square(-1, -1, 1, 1), xcXform<2>(), xcXform<2>(), 0, 0, 10.0, 0), -r2,
                   -r2, 2 * r2, 2 * r2, 1e-12);
    // Scale acts about the polygon frame's origin: sigma in [0.5, 1.5], and in [0, 3] for s = 2.
    expectRectNear(enclose(square(0, 0, 1, 1), xcXform<2>(), xcXform<2>(), 0, 0, 0, 0.5), 0, 0, 1.5,
                   1.5, 1e-15);
    expectRectNear(enclose(square(1, 1, 2, 2), xcXform<2>(), xcXform<2>(), 0, 0, 0, 2.0), 0, 0, 6,
                   6, 1e-15);
    // Turn and scale act before the pose: a square about the origin placed at (50, 0) and turned
    // by 90 degrees keeps its centre at (50, 0).
    expectRectNear(enclose(square(-1, -2, 1, 2),
                           xcXform<2>(xcVector<2>(50, 0), 1.0, 1.0, xcRadian(0), xcRadian(kPi / 2)),
                           xcXform<2>(), 0, 0, 0, 0),
                   48, -1, 4, 2, 1e-12);
    // c maps from the result's frame: a client-from-image scale of 2 halves everything, the
    // translation uncertainty included: [0, 4] becomes [0, 2], widened by 1 on each side.
    expectRectNear(enclose(square(0, 0, 4, 4), xcXform<2>(), affine(0, 0, 2, 2, 0, 0), 2, 2, 0, 0),
                   -1, -1, 4, 4, 1e-15);
}

TEST(EncloseRect, ContainsEveryPerturbedPlacementAndNoMore) {
    std::mt19937 rng(20240611);
    std::uniform_real_distribution<double> coord(-20, 20), angle(-180, 180), scale(0.3, 3),
        unc(0, 5), rot(0, 1.2), sc(0, 0.6);
    for (int trial = 0; trial < 60; ++trial) {
        std::vector<xcVector<2>> verts;
        const int n = 1 + trial % 5;
        for (int i = 0; i < n; ++i) verts.emplace_back(coord(rng), coord(rng));
        const xcPolygon poly(verts, 0);
        // Half the trials with similarities, half with general affine maps.
        const bool general = trial % 2 == 1;
        const double pa = angle(rng), ca = angle(rng), ps = scale(rng), cs = scale(rng);
        const xcXform<2> pose = affine(pa, general ? angle(rng) : pa, ps, general ? scale(rng) : ps,
                                       coord(rng), coord(rng));
        const xcXform<2> c = affine(ca, general ? angle(rng) : ca, cs, general ? scale(rng) : cs,
                                    coord(rng), coord(rng));
        const double tx = unc(rng), ty = unc(rng), r = trial % 7 == 0 ? 0.0 : rot(rng),
                     s = trial % 5 == 0 ? 0.0 : sc(rng);
        const xcRect got = enclose(poly, pose, c, tx, ty, r, s);
        const int steps = 4000;
        const Box b = sampled(poly, pose, c, tx, ty, r, s, steps);
        // Every sampled placement lies inside; the box is no larger than the sampling error
        // allows: a point at distance d from the turning origin moves by at most
        // d * (1 - cos(step / 2)) ~ d * step^2 / 8 between samples, and d is below 2 * span.
        const double span =
            std::max({std::fabs(b.x0), std::fabs(b.x1), std::fabs(b.y0), std::fabs(b.y1), 1.0});
        const double step = 2 * r / steps;
        const double tol = 1e-9 * span + span * step * step / 4;
        SCOPED_TRACE(trial);
        EXPECT_LE(got.x(), b.x0 + 1e-9 * span);
        EXPECT_LE(b.x1, got.x() + got.width() + 1e-9 * span);
        EXPECT_LE(got.y(), b.y0 + 1e-9 * span);
        EXPECT_LE(b.y1, got.y() + got.height() + 1e-9 * span);
        EXPECT_NEAR(got.x(), b.x0, tol);
        EXPECT_NEAR(got.x() + got.width(), b.x1, tol);
        EXPECT_NEAR(got.y(), b.y0, tol);
        EXPECT_NEAR(got.y() + got.height(), b.y1, tol);
    }
}

TEST(EncloseRect, IgnoresTheTrailingTermsAndRefusesBadInput) {
    const xcPolygon poly = square(0, 0, 3, 2);
    const xcXform<2> pose = affine(20, 20, 1, 1, 5, 5);
    const xcRect ref = enclose(poly, pose, xcXform<2>(), 1, 2, 0.3, 0.1);
    EXPECT_EQ(xfEncloseRect(poly, pose, xcXform<2>(), 1, 2, xcRadian(0.3), 0.1, 7.0, -3.0, 1e9, 42),
              ref);

    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_THROW(enclose(xcPolygon(), pose, xcXform<2>(), 0, 0, 0, 0), xcGeomDefs::BadParams);
    EXPECT_THROW(enclose(poly, pose, xcXform<2>(), -1, 0, 0, 0), xcGeomDefs::BadParams);
    EXPECT_THROW(enclose(poly, pose, xcXform<2>(), 0, nan, 0, 0), xcGeomDefs::BadParams);
    EXPECT_THROW(enclose(poly, pose, xcXform<2>(), 0, 0, -0.1, 0), xcGeomDefs::BadParams);
    EXPECT_THROW(enclose(poly, pose, xcXform<2>(), 0, 0, 0, nan), xcGeomDefs::BadParams);
    EXPECT_THROW(
        enclose(poly, pose, xcXform<2>(), std::numeric_limits<double>::infinity(), 0, 0, 0),
        xcGeomDefs::BadParams);
    EXPECT_THROW(enclose(poly, pose, affine(0, 0, 0, 1, 0, 0), 0, 0, 0, 0), xcGeomDefs::Singular);
}
