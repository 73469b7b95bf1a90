// Angles, vectors, ranges, rectangles, matrices, transforms, lines and shapes.
#include "core/base/errors.h"
#include "core/geom/affine_rect.h"
#include "core/geom/circle.h"
#include "core/geom/coord_axes.h"
#include "core/geom/ellipse_arc.h"
#include "core/geom/fit.h"
#include "core/geom/geom_errors.h"
#include "core/geom/line.h"
#include "core/geom/nmmatrix.h"
#include "core/geom/polygon.h"
#include "core/geom/range.h"
#include "core/geom/rect.h"
#include "core/geom/rigid.h"
#include "core/geom/xform_base.h"
#include "support/caught.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <numbers>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

xcRadian randomAngle(std::mt19937& rng) {
    return xcRadian(std::uniform_real_distribution<double>(-kPi, kPi)(rng));
}

xcVector<2> randomPoint(std::mt19937& rng, double range = 100.0) {
    std::uniform_real_distribution<double> c(-range, range);
    return xcVector<2>(c(rng), c(rng));
}

xcXform<2> randomXform(std::mt19937& rng) {
    std::uniform_real_distribution<double> sc(0.2, 5.0);
    return xcXform<2>(xcMatrix<2>(randomAngle(rng), randomAngle(rng), sc(rng), sc(rng)),
                      randomPoint(rng));
}

} // namespace

TEST(Angle, ConversionsAndHalfOpenNorms) {
    EXPECT_DOUBLE_EQ(xcRadian(xcDegree(180)).toDouble(), kPi);
    EXPECT_DOUBLE_EQ(xcDegree(xcRadian(kPi / 4)).toDouble(), 45.0);
    // A degree value passed where radians are expected converts, it is not taken as radians.
    EXPECT_NEAR(sin(xcDegree(30)), 0.5, 1e-15);
    EXPECT_EQ(xfAtan2(0.0, -1.0).toDouble(), kPi); // (-pi, pi]
    EXPECT_EQ(xcRadian(2 * kPi).norm().toDouble(), 0.0);
    // A tiny negative angle would round up to 2 pi after adding it; it must wrap to 0.
    EXPECT_EQ(xcRadian(-1e-20).norm().toDouble(), 0.0);
    EXPECT_EQ(xcDegree(-1e-20).norm().toDouble(), 0.0);
    EXPECT_EQ(xcDegree(725).norm().toDouble(), 5.0);
    EXPECT_DOUBLE_EQ(xcRadian(kPi).signedNorm().toDouble(), -kPi);
    EXPECT_EQ(xcDegree(540).signedNorm().toDouble(), -180.0);
    EXPECT_EQ(xcDegree(-181).signedNorm().toDouble(), 179.0);
    EXPECT_NEAR(xcRadian(-20.0).norm().toDouble(), 8 * kPi - 20.0, 1e-14);
}

TEST(Vector, ProductsPerpUnitAndInclusiveRealEq) {
    // +x turned by +90 degrees is +y (clockwise on a y-down screen).
    EXPECT_EQ(xcVector<2>(1, 0).cross(xcVector<2>(0, 1)), 1.0);
    EXPECT_EQ(xcVector<2>(1, 0).perp(), xcVector<2>(0, 1));
    EXPECT_TRUE(xfRealEq(xcVector<2>::polar(xcDegree(90), 2.0), xcVector<2>(0, 2), 1e-15));
    EXPECT_EQ(xcVector<2>().unit(), xcVector<2>());
    EXPECT_DOUBLE_EQ(xcVector<2>(3, -4).unit().y(), -0.8);
    EXPECT_TRUE(xfRealEq(1.0, 1.5, 0.5));
    EXPECT_FALSE(xfRealEq(1.0, 1.5000001, 0.5) || xfRealEq(kNaN, 0.0, 1e300));
    EXPECT_FALSE(xfRealEq(xcVector<2>(1, 2), xcVector<2>(1, 2.2), 0.1));
}

TEST(Range, EmptyAndFullAreKindsOfTheirOwn) {
    // Equal or infinite ends do not make a normal range empty or full.
    EXPECT_NE(xcRange::EmptyRange(), xcRange(0, 0));
    EXPECT_NE(xcRange::FullRange(), xcRange(-kInf, kInf));
    EXPECT_EQ(xcRange(10, -5).kind(), xcRange::eNormal);
    EXPECT_TRUE(xcRange(1, 2).contains(2.0) && xcRange::FullRange().contains(1e300));
    EXPECT_FALSE(xcRange(1, 2).contains(2.5) || xcRange::EmptyRange().contains(0.0));
}

TEST(Rect, CornersIntersectionContainmentAndTrim) {
    const xcPelRect a(0, 0, 10, 10), b(5, 6, 10, 10);
    EXPECT_EQ(xcPelRect(1, 2, 3, 4).lr(), xcVector<2>(4, 6));
    EXPECT_EQ(xcPelRect(1, 2, 3, 4).center(), xcVector<2>(2.5, 4));
    EXPECT_TRUE(xcPelRect(5, 5, 0, 3).isNull() && xcPelRect(5, 5, 3, -1).isNull());
    EXPECT_EQ(xcPelRect(5, 5, -2, 3).area(), 0);
    EXPECT_TRUE(xcRect(0, 0, kNaN, 1).degen());
    EXPECT_FALSE(xcRect(0, 0, 1e-300, 1e-300).degen());
    EXPECT_EQ(a.intersect(b), xcPelRect(5, 6, 5, 4));
    EXPECT_EQ(a.enclose(b), xcPelRect(0, 0, 15, 16));
    // Disjoint, and merely touching, give the default null rectangle.
    EXPECT_EQ(a.intersect(xcPelRect(10, 0, 3, 3)), xcPelRect());
    EXPECT_EQ(xcRect(0, 0, 2, 2).intersect(xcRect(1.5, 0.5, 2, 1)), xcRect(1.5, 0.5, 0.5, 1));
    EXPECT_TRUE(a.contains(xcPelRect(2, 3, 8, 7)));
    EXPECT_FALSE(a.contains(xcPelRect(2, 3, 9, 7)));
    // Points: the low edges are inside, the high edges outside.
    EXPECT_TRUE(a.contains(0.0, 0.0));
    EXPECT_FALSE(a.contains(10.0, 5.0) || a.contains(5.0, 10.0));
    // Trim moves edges inwards, negative widens; the last flag stops at zero width.
    const xcPelRect r(10, 10, 5, 5);
    EXPECT_EQ(r.trim(1, 1, 2, 0, false), xcPelRect(11, 12, 3, 3));
    EXPECT_EQ(r.trim(-2, -3, -1, -4, false), xcPelRect(8, 9, 10, 10));
    EXPECT_EQ(r.trim(3, 3, 0, 0, false), xcPelRect(13, 10, -1, 5));
    EXPECT_EQ(r.trim(3, 3, 0, 0, true), xcPelRect(13, 10, 0, 5));
}

TEST(Rect, EnclosePelRectIsExactFloorAndCeilAndRejectsNaNAndHugeValues) {
    // x: 1.5 .. 4.5 -> 1 .. 5; y: -2.25 .. -1.25 -> -3 .. -1.
    EXPECT_EQ(xcRect(1.5, -2.25, 3, 1).enclosePelRect(), xcPelRect(1, -3, 4, 2));
    // No tolerance: a hair past an integer takes the next pel.
    EXPECT_EQ(xcRect(0, 0, 2 + 1e-12, 1).enclosePelRect(), xcPelRect(0, 0, 3, 1));
    EXPECT_EQ(xfRectFromCorners(xcVector<2>(4, 1), xcVector<2>(1, 5)), xcRect(1, 1, 3, 4));
    EXPECT_EQ(xcRect(1e9, 0, 0.5, 1).enclosePelRect(), xcPelRect(1000000000, 0, 1, 1));
    for (const xcRect& bad : {xcRect(kNaN, 0, 1, 1), xcRect(0, 0, kInf, 1), xcRect(0, -1e13, 1, 1)})
        EXPECT_THROW((void)bad.enclosePelRect(), xcGeomDefs::BadParams);
    EXPECT_EQ(caught<xcGeomDefs::BadParams>([&] { (void)xfEnclosePel(0, 0, 1e300, 1); }).message(),
              "Rectangle coordinates out of range");
}

TEST(Matrix, FromAnglesActsOnColumnsAndDecomposesBackIncludingMirrors) {
    const xcMatrix<2> m(xcDegree(30), xcDegree(30), 2.0, 3.0);
    EXPECT_TRUE(xfRealEq(m, xcMatrix<2>(std::sqrt(3.0), -1.5, 1.0, 1.5 * std::sqrt(3.0)), 1e-15));
    // Different x and y rotations shear: column 1 follows the y rotation only.
    EXPECT_TRUE(xfRealEq(xcMatrix<2>(xcDegree(0), xcDegree(90), 1.0, 1.0), xcMatrix<2>(1, -1, 0, 0),
                         1e-15));
    xcMatrix<2> e(1, 2, 3, 4);
    e.element(0, 1, 7.0);
    EXPECT_EQ(e, xcMatrix<2>(1, 7, 3, 4));
    EXPECT_EQ(xcMatrix<2>(1, 2, 3, 4) * xcVector<2>(1, 10), xcVector<2>(21, 43));
    EXPECT_EQ(xcMatrix<2>(1, 2, 3, 4) * xcMatrix<2>(0, 1, 1, 0), xcMatrix<2>(2, 1, 4, 3));

    std::mt19937 rng(11);
    std::uniform_real_distribution<double> sc(0.05, 20.0);
    auto diff = [](xcRadian a, xcRadian b) { return (a - b).signedNorm().toDouble(); };
    for (int i = 0; i < 2000; ++i) {
        const xcRadian xr = randomAngle(rng), yr = randomAngle(rng);
        const double xs = sc(rng), ys = sc(rng);
        const xcMatrix<2> r(xr, yr, xs, ys);
        ASSERT_NEAR(diff(r.xRot(), xr), 0.0, 1e-12);
        ASSERT_NEAR(diff(r.skew(), yr - xr), 0.0, 1e-12);
        ASSERT_NEAR(r.yScale(), ys, 1e-12 * ys);
        ASSERT_TRUE(r.skew().toDouble() >= -kPi && r.skew().toDouble() < kPi);
        // A rotation times a reflection (det < 0) shows as skew pi with positive scales.
        const xcMatrix<2> mirror = xcMatrix<2>::rotation(xr) * xcMatrix<2>(xs, 0, 0, -ys);
        ASSERT_NEAR(std::fabs(mirror.skew().toDouble()), kPi, 1e-12);
        ASSERT_NEAR(mirror.xScale(), xs, 1e-12 * xs);
        for (const xcMatrix<2>& a : {r, mirror})
            ASSERT_TRUE(xfRealEq(xcMatrix<2>(a.xRot(), a.yRot(), a.xScale(), a.yScale()), a,
                                 1e-12 * (xs + ys)))
                << i;
    }
}

TEST(Matrix, SingularMatricesRefuseToInvert) {
    const auto err = caught<xcGeomDefs::Singular>([&] { (void)xcMatrix<2>(1, 2, 2, 4).inverse(); });
    EXPECT_EQ(err.message(), "Matrix is singular");
    EXPECT_THROW((void)xcMatrix<2>(kNaN, 0, 0, 1).inverse(), xcGeomDefs::Singular);
    EXPECT_THROW((void)xcMatrix<2>(1e300, 0, 0, 1e300).inverse(), xcGeomDefs::Singular);
}

// Products apply the right factor first; the five-argument constructor and rigid transforms place
// a turned, scaled object.
TEST(Xform, ProductsInversesFiveArgumentConstructorAndRigid) {
    // Rotation by +90 degrees, then a shift by (10, 20): (1, 0) -> (0, 1) -> (10, 21).
    const xcXform<2> x(xcMatrix<2>(0, -1, 1, 0), xcVector<2>(10, 20));
    EXPECT_EQ(x.mapPoint(xcVector<2>(1, 0)), xcVector<2>(10, 21));
    EXPECT_EQ(x.mapVector(xcVector<2>(1, 0)), xcVector<2>(0, 1));
    EXPECT_FALSE(xcXform<2>::translation(xcVector<2>(0, 1e-300)).isIdentity());
    EXPECT_THROW((void)xcXform<2>(xcMatrix<2>(1, 1, 1, 1), xcVector<2>(3, 4)).inverse(),
                 xcGeomDefs::Singular);
    // Aspect scales the y side, shear turns it further.
    const xcXform<2> sheared(xcVector<2>(), 2.0, 1.5, xcDegree(90), xcRadian(0));
    EXPECT_TRUE(xfRealEq(sheared.matrix(), xcMatrix<2>(2, -3, 0, 0), 1e-14));
    EXPECT_TRUE(xfRealEq(xc2Rigid(xcDegree(90), xcVector<2>(10, 20)).mapPoint(xcVector<2>(1, 0)),
                         xcVector<2>(10, 21), 1e-14));
    std::mt19937 rng(17);
    std::uniform_real_distribution<double> sc(0.1, 10.0);
    for (int i = 0; i < 200; ++i) {
        const xcXform<2> f = randomXform(rng), g = randomXform(rng);
        const xcVector<2> p = randomPoint(rng, 50.0);
        ASSERT_TRUE(xfRealEq((f * g).mapPoint(p), f.mapPoint(g.mapPoint(p)), 1e-9));
        ASSERT_TRUE(std::fabs(f.det()) < 0.05 || xfRealEq(f * f.inverse(), xcXform<2>(), 1e-9));
        const xcVector<2> t = randomPoint(rng);
        const double s = sc(rng);
        const xcRadian a = randomAngle(rng);
        const xcXform<2> expected =
            xcXform<2>::translation(t) * xcXform<2>(xcMatrix<2>::rotation(a) * s, xcVector<2>());
        ASSERT_TRUE(xfRealEq(xcXform<2>(t, s, 1.0, xcRadian(0), a), expected, 1e-12 * (1 + s)));
        const xc2Rigid r(a, t), q(randomAngle(rng), randomPoint(rng));
        ASSERT_TRUE(xfRealEq(r.linear(), xcXform<2>(t, 1.0, 1.0, xcRadian(0), a), 1e-12));
        ASSERT_TRUE(xfRealEq((r * q).linear(), r.linear() * q.linear(), 1e-10));
        ASSERT_TRUE(xfRealEq(r.inverse().linear(), r.linear().inverse(), 1e-10));
    }
}

TEST(Line, NormalFormAndDecompositionOfEveryPoint) {
    // Direction 90 (running to +y), distance 2: the left normal is (-1, 0), so x = -2.
    const xcLine v(xcDegree(90), 2.0);
    EXPECT_TRUE(xfRealEq(v.point(), xcVector<2>(-2, 0), 1e-15));
    EXPECT_TRUE(xfRealEq(v.normal(), xcVector<2>(-1, 0), 1e-15));
    const xcLine l(xcVector<2>(1, 1), xcDegree(90));
    EXPECT_NEAR(l.offset(xcVector<2>(5, 4)), 3.0, 1e-15);
    EXPECT_NEAR(l.distance(xcVector<2>(5, 4)), -4.0, 1e-15);
    EXPECT_TRUE(xfRealEq(l.project(xcVector<2>(5, 4)), xcVector<2>(1, 4), 1e-15));
    // At 135 degrees u = (-h, h), n = (-h, -h), h = sqrt(1/2); (5, 4) - (1, 1) = (4, 3).
    const double h = std::sqrt(0.5);
    const xcLine d(xcVector<2>(1, 1), xcDegree(135));
    EXPECT_NEAR(d.offset(xcVector<2>(5, 4)), -h, 1e-14);
    EXPECT_NEAR(d.distance(xcVector<2>(5, 4)), -7 * h, 1e-14);
    EXPECT_NEAR(d.normalDistance(), -2 * h, 1e-14);
    // The normal form gives the same line back.
    const xcLine n(d.angleDeg(), d.normalDistance());
    EXPECT_TRUE(xfRealEq(n.point(), xcVector<2>(1, 1), 1e-14));
    EXPECT_TRUE(xfRealEq(n.direction(), d.direction(), 1e-14));
}

TEST(Shapes, MappedPointsAndCheckedSizes) {
    // Rotation by +90 degrees then a shift by (10, 0): (x, y) -> (10 - y, x).
    const xcXform<2> x(xcMatrix<2>(0, -1, 1, 0), xcVector<2>(10, 0));
    EXPECT_EQ(x * xcPolygon({{1, 2}, {4, 2}, {4, 6}}, 1), xcPolygon({{8, 1}, {8, 4}, {4, 4}}, 1));
    EXPECT_EQ(xcPolygon({{3, -1}, {-2, 4}, {0, 7}, {5, 2}}).boundingBox(), xcRect(-2, -1, 7, 8));
    EXPECT_TRUE(xcPolygon().boundingBox().degen());

    xcCircle c(xcVector<2>(1, 2), 3.0);
    EXPECT_TRUE(xfRealEq(c.pointAt(xcDegree(90)), xcVector<2>(1, 5), 1e-15));
    EXPECT_EQ(c.distance(xcVector<2>(1, 7)), 2.0);
    EXPECT_EQ(c.distance(xcVector<2>(1, 2)), -3.0);
    for (double bad : {-1.0, kInf, kNaN}) EXPECT_THROW(c.radius(bad), xcGeomDefs::BadParams) << bad;
    EXPECT_EQ(c.radius(), 3.0);

    // Radii 4 and 2, turned by 90 degrees: the x axis of the ellipse points along +y; at
    // t = -90 the point (0, -2) of the ellipse frame turns to (2, 0).
    const xcEllipseArc2 e(xcVector<2>(10, 10), 4.0, 2.0, xcDegree(90), xcDegree(0), xcDegree(-90));
    EXPECT_TRUE(xfRealEq(e.startPoint(), xcVector<2>(10, 14), 1e-14));
    EXPECT_TRUE(xfRealEq(e.endPoint(), xcVector<2>(12, 10), 1e-14));
    xcEllipseArc2 b = e;
    EXPECT_THROW(b.yRadius(kNaN), xcGeomDefs::BadParams);
    EXPECT_EQ(b, e);

    const xcCoordAxes axes(xcXform<2>(xcMatrix<2>(0, -2, 2, 0), xcVector<2>(5, 5)), 3.0);
    EXPECT_EQ(axes.xEnd(), xcVector<2>(5, 11));
    EXPECT_EQ(axes.yEnd(), xcVector<2>(-1, 5));
    EXPECT_THROW(xcCoordAxes(xcXform<2>(), kNaN), xcGeomDefs::BadParams);
}

TEST(AffineRect, CornersUnitSquareMapAndEnclosingRectangles) {
    const xcAffineRectangle fromCorners(xcVector<2>(2, 3), xcVector<2>(6, 3), xcVector<2>(2, 8));
    EXPECT_TRUE(xfRealEq(xcAffineRectangle(xcVector<2>(2, 3), 4.0, 5.0, xcRadian(0), xcRadian(0)),
                         fromCorners, 1e-14));
    EXPECT_EQ(xcAffineRectangle(xcRect(2, 3, 4, 5)), fromCorners);
    EXPECT_EQ(fromCorners.cornerPopp(), xcVector<2>(6, 8));
    EXPECT_EQ(fromCorners.centre(), xcVector<2>(4, 5.5));
    // Turned by 45 degrees and skewed by 45 more: the x side points down-right, the y side left.
    const xcAffineRectangle turned(xcVector<2>(), 2.0, 1.0, xcDegree(45), xcDegree(45));
    EXPECT_TRUE(xfRealEq(turned.cornerPx(), xcVector<2>(std::sqrt(2.0), std::sqrt(2.0)), 1e-15));
    EXPECT_TRUE(xfRealEq(turned.cornerPy(), xcVector<2>(-1, 0), 1e-15));
    const xcAffineRectangle r(xcVector<2>(1, 1), 6.0, 2.0, xcDegree(30), xcDegree(-15));
    const xcXform<2> f = r.affRectFromUnitSq();
    EXPECT_TRUE(xfRealEq(f.mapPoint(xcVector<2>(1, 1)), r.cornerPopp(), 1e-14));
    EXPECT_NEAR(std::fabs(f.det()), r.area(), 1e-12);

    const xcAffineRectangle p(xcRect(3, 4, 10, 20));
    EXPECT_EQ(p.encloseImageRect(xcXform<2>::translation(xcVector<2>(0.5, -0.25))),
              xcPelRect(3, 3, 11, 21));
    // A unit square turned by 45 degrees about its origin corner.
    const xcAffineRectangle d(xcVector<2>(), 1.0, 1.0, xcDegree(45), xcRadian(0));
    const double h = std::sqrt(0.5);
    EXPECT_TRUE(xfRealEq(d.boundingBox().x(), -h, 1e-15) &&
                xfRealEq(d.boundingBox().width(), 2 * h, 1e-15));
    EXPECT_EQ(d.encloseImageRect(xcXform<2>()), xcPelRect(-1, 0, 2, 2));
    const xcXform<2> x(xcMatrix<2>(0, -1, 1, 0), xcVector<2>(10, 0));
    EXPECT_EQ(x * p, xcAffineRectangle(x.mapPoint(p.cornerPo()), x.mapPoint(p.cornerPx()),
                                       x.mapPoint(p.cornerPy())));
}

namespace {

// A mild lens-like distortion around an affine map; invertible over [-50, 50]^2.
xcXformHandle distortion() {
    const xcXform<2> affine(xcMatrix<2>(xcDegree(10), xcDegree(12), 1.2, 0.9), xcVector<2>(3, -4));
    return std::make_shared<xc2XformPoly2>(affine, std::array<double, 3>{1e-3, -5e-4, 2e-4},
                                           std::array<double, 3>{-3e-4, 8e-4, 1e-3});
}

// Jacobian of a map at p by central differences.
xcMatrix<2> numericJacobian(const xc2XformBase& f, const xcVector<2>& p) {
    const double h = 1e-3;
    const xcVector<2> dx = (f * (p + xcVector<2>(h, 0)) - f * (p - xcVector<2>(h, 0))) / (2 * h);
    const xcVector<2> dy = (f * (p + xcVector<2>(0, h)) - f * (p - xcVector<2>(0, h))) / (2 * h);
    return xcMatrix<2>(dx.x(), dy.x(), dx.y(), dy.y());
}

} // namespace

TEST(XformBase, LinearWrapsAnAffineMapAndEqualityComparesTheMap) {
    const xcXform<2> x(xcMatrix<2>(0, -2, 2, 0), xcVector<2>(1, 1));
    const xcXformHandle h = xfMakeXform(x);
    EXPECT_TRUE(h->isLinear());
    EXPECT_EQ(h->linearXform(xcVector<2>(123, -7)), x);
    // Linear transforms compare by their affine map, whatever class holds them.
    EXPECT_TRUE(xfXformEqual(*h, xc2XformPoly2(x, {0, 0, 0}, {0, 0, 0})));
    EXPECT_FALSE(xfXformEqual(*distortion(), xc2XformPoly2(xcXform<2>(), {1e-3, 0, 0}, {0, 0, 0})));
    // Hand value: x' = x + x^2 at (2, 0) has slope 1 + 2 x = 5.
    const xc2XformPoly2 q(xcXform<2>(), {1, 0, 0}, {0, 0, 0});
    EXPECT_EQ(q.mapPoint(xcVector<2>(2, 0)), xcVector<2>(6, 0));
    EXPECT_EQ(q.linearXform(xcVector<2>(2, 0)),
              xcXform<2>(xcMatrix<2>(5, 0, 0, 1), xcVector<2>(-4, 0)));
    EXPECT_THROW((void)q.xform(), xcGeomDefs::BadParams);
    // With no quadratic terms the polynomial is linear and inverts exactly.
    const xc2XformPoly2 flat(xcXform<2>::translation(xcVector<2>(1, 2)), {0, 0, 0}, {0, 0, 0});
    EXPECT_EQ(flat.inverse()->xform(), xcXform<2>::translation(xcVector<2>(-1, -2)));
}

// Every first-order approximation matches the numeric Jacobian; inverses and compositions (the
// second applied first) map points back and forth.
TEST(XformBase, Poly2InverseAndCompositionMatchNumericValues) {
    const xcXform<2> a(xcMatrix<2>(0, -1, 1, 0), xcVector<2>(5, 0));
    EXPECT_EQ(
        xfCompose(xfMakeXform(a), xfMakeXform(xcXform<2>::translation(xcVector<2>(1, 2))))->xform(),
        a * xcXform<2>::translation(xcVector<2>(1, 2)));
    const xcXformHandle f = distortion();
    const xcXformHandle g = f->inverse();
    EXPECT_FALSE(g->isLinear());
    EXPECT_TRUE(xfXformEqual(*g->inverse(), *f));
    const xcXformHandle af = xfCompose(xfMakeXform(a), f);
    const xcXformHandle fa = xfCompose(f, xfMakeXform(a));
    std::mt19937 rng(31);
    for (int i = 0; i < 200; ++i) {
        const xcVector<2> p = randomPoint(rng, 30.0);
        const xcXform<2> l = f->linearXform(p);
        ASSERT_TRUE(xfRealEq(l.mapPoint(p), f->mapPoint(p), 1e-10));
        ASSERT_TRUE(xfRealEq(l.matrix(), numericJacobian(*f, p), 1e-8));
        ASSERT_TRUE(xfRealEq(g->mapPoint(f->mapPoint(p)), p, 1e-9)) << i;
        ASSERT_TRUE(
            xfRealEq(g->linearXform(f->mapPoint(p)).matrix() * l.matrix(), xcMatrix<2>(), 1e-9));
        ASSERT_TRUE(xfRealEq(af->mapPoint(p), a.mapPoint(f->mapPoint(p)), 1e-10));
        ASSERT_TRUE(xfRealEq(fa->mapPoint(p), f->mapPoint(a.mapPoint(p)), 1e-10));
        ASSERT_TRUE(xfRealEq(fa->linearXform(p).matrix(), numericJacobian(*fa, p), 1e-8));
        ASSERT_TRUE(xfRealEq(af->inverse()->mapPoint(af->mapPoint(p)), p, 1e-8));
    }
}

TEST(NMMatrix, RowMajorResizeAndRefusals) {
    xcNMMatrix m(2, 3, 0.5);
    m(0, 1) = 7;
    m(1, 0) = -1;
    EXPECT_EQ(m.data()[1], 7); // row by row
    EXPECT_EQ(m.data()[3], -1);
    EXPECT_FALSE(xcNMMatrix(2, 3) == xcNMMatrix(3, 2));
    // The upper-left block keeps its values; new elements take the fill.
    m.resize(3, 2, 9);
    const double expected[3][2] = {{0.5, 7}, {-1, 0.5}, {9, 9}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 2; ++c) EXPECT_EQ(m(r, c), expected[r][c]) << r << c;
    m.resize(1, 1);
    EXPECT_THROW(xcNMMatrix(-1, 2), xcBadParams);
    EXPECT_THROW(xcNMMatrix(1L << 20, 1L << 20), xcBadParams);
    EXPECT_THROW(m.resize(2, -2), xcBadParams);
    EXPECT_EQ(m, xcNMMatrix(1, 1, 0.5)); // a refused resize changes nothing
}

namespace {

xcLine lineFit(const std::vector<xcVector<2>>& pts) {
    return xfLineFit(pts, 0, 0, kInf);
}

xcCircle circleFit(const std::vector<xcVector<2>>& pts) {
    return xfCircleFit(pts, 0, 1.0, 0, kInf);
}

} // namespace

TEST(LineFit, HandComputedAnglesAndSignedDistances) {
    const struct {
        std::vector<xcVector<2>> pts;
        double angleDeg, distance;
    } cases[] = {
        {{{0, 1}, {5, 1}, {10, 1}}, 0, 1},
        {{{10, 1}, {5, 1}, {0, 1}}, 0, 1}, // the order of the points does not turn the line
        // Vertical: +90, never -90. The left normal of +y is (-1, 0), so x = 3 is at -3.
        {{{3, 0}, {3, 2}, {3, 7}}, 90, -3},
        {{{-2, 9}, {-2, -1}}, 90, 2},
        {{{0, 0}, {1, 1}, {2, 2}}, 45, 0},
        // y = 5 - x: nearest point to the origin (2.5, 2.5), along n = (sin 45, cos 45).
        {{{0, 5}, {1, 4}, {2, 3}}, -45, 5 / std::sqrt(2.0)},
        // Huge coordinates do not overflow.
        {{{1e200, 1e199}, {2e200, 1e199}, {3e200, 1e199}}, 0, 1e199},
    };
    for (const auto& k : cases) {
        const xcLine l = lineFit(k.pts);
        EXPECT_NEAR(l.angleDeg().toDouble(), k.angleDeg, 1e-12) << k.pts[0].x();
        EXPECT_NEAR(l.normalDistance() / std::max(1.0, k.distance),
                    k.distance / std::max(1.0, k.distance), 1e-12)
            << k.pts[0].x();
    }
    // A cross of points, long along x, turned by 30 degrees. Total least squares finds 30
    // degrees exactly; regressing y on x would give about 21.8 degrees.
    std::vector<xcVector<2>> cross;
    for (const xcVector<2> p :
         {xcVector<2>(2, 0), xcVector<2>(-2, 0), xcVector<2>(0, 1), xcVector<2>(0, -1)})
        cross.push_back(xcMatrix<2>::rotation(xcDegree(30)) * p + xcVector<2>(10, 20));
    EXPECT_NEAR(lineFit(cross).angleDeg().toDouble(), 30.0, 1e-12);
    EXPECT_NEAR(lineFit(cross).distance(xcVector<2>(10, 20)), 0.0, 1e-12);
    EXPECT_NEAR(lineFit({{4, -2}, {4, -2}, {4, -2}}).distance(xcVector<2>(4, -2)), 0.0, 1e-14);
    EXPECT_EQ(caught<xcGeomDefs::BadParams>([&] {
                  (void)lineFit({{1, 1}});
              }).message(),
              "Line fit needs at least 2 points");
    EXPECT_THROW((void)lineFit({{0, 0}, {kNaN, 1}}), xcGeomDefs::BadParams);
}

TEST(CircleFit, ExactOnKnownCirclesRadiusZeroWhenFlat) {
    // Full circle, short arc far from the origin, huge coordinates; tolerances in radii.
    const struct {
        xcCircle truth;
        double fromDeg, toDeg, tol;
        int n;
    } cases[] = {{xcCircle(xcVector<2>(3, -2), 5.0), 0, 315, 1e-12, 8},
                 {xcCircle(xcVector<2>(1000, -500), 100.0), 40, 70, 1e-10, 6},
                 {xcCircle(xcVector<2>(1e150, -1e150), 1e148), 0, 270, 1e-7, 7}};
    for (const auto& k : cases) {
        std::vector<xcVector<2>> pts;
        for (int i = 0; i < k.n; ++i)
            pts.push_back(
                k.truth.pointAt(xcDegree(k.fromDeg + (k.toDeg - k.fromDeg) * i / (k.n - 1))));
        const xcCircle c = circleFit(pts);
        const double tol = k.tol * k.truth.radius();
        EXPECT_TRUE(xfRealEq(c.centre(), k.truth.centre(), tol)) << k.truth.radius();
        EXPECT_NEAR(c.radius(), k.truth.radius(), tol);
    }
    // The circumscribed circle of a right triangle has its hypotenuse as diameter.
    const xcCircle three = circleFit({{0, 0}, {2, 0}, {0, 2}});
    EXPECT_TRUE(xfRealEq(three.centre(), xcVector<2>(1, 1), 1e-13));
    EXPECT_NEAR(three.radius(), std::sqrt(2.0), 1e-13);

    // Collinear, nearly so, or only one or two places: radius 0.
    for (const auto& pts : std::vector<std::vector<xcVector<2>>>{{{3, 0}, {3, 2}, {3, -9}, {3, 4}},
                                                                 {{0, 0}, {1, 1e-6}, {2, 0}},
                                                                 {{2, 2}, {2, 2}, {2, 2}},
                                                                 {{0, 0}, {1, 0}, {0, 0}, {1, 0}}})
        EXPECT_EQ(circleFit(pts).radius(), 0.0) << pts.size();
    // The smaller principal spread of (0, 0), (1, h), (2, 0) is h / sqrt(3) of the larger: below
    // 1e-6 above for h = 1e-6, above it for h = 1e-5, whose circle has radius (1 + h^2) / 2h.
    EXPECT_NEAR(circleFit({{0, 0}, {1, 1e-5}, {2, 0}}).radius(), 5e4, 1e-3);
    EXPECT_EQ(caught<xcGeomDefs::BadParams>([&] {
                  (void)circleFit({{0, 0}, {1, 1}});
              }).message(),
              "Circle fit needs at least 3 points");
    EXPECT_THROW((void)circleFit({{0, 0}, {1, 1}, {2, kNaN}}), xcGeomDefs::BadParams);
}

TEST(CircleFit, GeometricRefinementRemovesShortArcBias) {
    // On a 60-degree arc with noise of sigma 2 the algebraic fit alone averages a radius of
    // about 83 instead of 100; the geometric refinement brings it back close to the truth.
    std::mt19937 rng(67);
    std::normal_distribution<double> noise(0.0, 2.0);
    double sumRadius = 0, sumGeomError = 0;
    const int trials = 40;
    for (int k = 0; k < trials; ++k) {
        std::vector<xcVector<2>> pts;
        for (int i = 0; i < 40; ++i)
            pts.push_back(xcVector<2>::polar(xcDegree(30.0 + 60.0 * i / 39), 100.0 + noise(rng)));
        const xcCircle c = circleFit(pts);
        sumRadius += c.radius();
        for (const auto& p : pts) sumGeomError += c.distance(p) * c.distance(p);
    }
    EXPECT_NEAR(sumRadius / trials, 100.0, 3.0);
    EXPECT_LT(std::sqrt(sumGeomError / (trials * 40)), 2.1); // about the noise
}
