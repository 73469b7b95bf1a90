// Vectors, ranges, rigid transforms, polygons, circles, ellipse arcs and coordinate axes.
#include "core/geom/circle.h"
#include "core/geom/coord_axes.h"
#include "core/geom/ellipse_arc.h"
#include "core/geom/geom_errors.h"
#include "core/geom/polygon.h"
#include "core/geom/range.h"
#include "core/geom/rigid.h"
#include "core/geom/vector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <random>

TEST(Vector, ProductsCrossPerpAndUnit) {
    const xcVector<2> a(3, 4), b(-1, 2);
    EXPECT_EQ(a.dot(b), 5.0);
    EXPECT_EQ(a.distance(b), std::hypot(4.0, 2.0));
    // +x turned by +90 degrees is +y (clockwise on a y-down screen).
    const xcVector<2> x(1, 0), y(0, 1);
    EXPECT_EQ(x.cross(y), 1.0);
    EXPECT_EQ(x.perp(), y);
    EXPECT_EQ(xcVector<2>(-1, 0).angle().toDouble(), std::numbers::pi);
    EXPECT_TRUE(xfRealEq(xcVector<2>::polar(xcDegree(90), 2.0), xcVector<2>(0, 2), 1e-15));
    EXPECT_EQ(xcVector<2>().unit(), xcVector<2>());
    EXPECT_DOUBLE_EQ(xcVector<2>(3, -4).unit().y(), -0.8);
}

TEST(Vector, RealEqIsInclusiveAndRejectsNaN) {
    EXPECT_TRUE(xfRealEq(1.0, 1.5, 0.5));
    EXPECT_FALSE(xfRealEq(1.0, 1.5000001, 0.5));
    EXPECT_FALSE(xfRealEq(std::numeric_limits<double>::quiet_NaN(), 0.0, 1e300));
    EXPECT_FALSE(xfRealEq(xcVector<2>(1, 2), xcVector<2>(1, 2.2), 0.1));
}

TEST(Range, EmptyAndFullAreKindsOfTheirOwnNormalKeepsItsEnds) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_NE(xcRange::EmptyRange(), xcRange::FullRange());
    // Equal or infinite ends do not make a normal range empty or full.
    EXPECT_NE(xcRange::EmptyRange(), xcRange(0, 0));
    EXPECT_NE(xcRange::FullRange(), xcRange(-inf, inf));
    EXPECT_EQ(xcRange::FullRange().start(), -inf);
    const xcRange r(10, -5);
    EXPECT_EQ(r.end(), -5.0);
    EXPECT_EQ(r.kind(), xcRange::eNormal);
    EXPECT_TRUE(xcRange(1, 2).contains(2.0));
    EXPECT_FALSE(xcRange(1, 2).contains(2.5) || xcRange::EmptyRange().contains(0.0));
    EXPECT_TRUE(xcRange::FullRange().contains(1e300));
}

TEST(Rigid, MapsByRotationThenTranslationAndAgreesWithAffine) {
    const xc2Rigid r(xcDegree(90), xcVector<2>(10, 20));
    EXPECT_TRUE(xfRealEq(r.mapPoint(xcVector<2>(1, 0)), xcVector<2>(10, 21), 1e-14));
    EXPECT_EQ(r.linear().trans(), xcVector<2>(10, 20));

    constexpr double kPi = std::numbers::pi;
    std::mt19937 rng(43);
    std::uniform_real_distribution<double> ang(-kPi, kPi), t(-100.0, 100.0);
    for (int i = 0; i < 500; ++i) {
        const xc2Rigid a(xcRadian(ang(rng)), xcVector<2>(t(rng), t(rng)));
        const xc2Rigid b(xcRadian(ang(rng)), xcVector<2>(t(rng), t(rng)));
        ASSERT_TRUE(xfRealEq((a * b).linear(), a.linear() * b.linear(), 1e-10));
        ASSERT_TRUE(xfRealEq(a.inverse().linear(), a.linear().inverse(), 1e-10));
    }
    EXPECT_EQ((xc2Rigid(xcRadian(1.0), xcVector<2>()) * xc2Rigid(xcRadian(1.0), xcVector<2>()))
                  .angle()
                  .toDouble(),
              2.0);
}

TEST(Polygon, MapsEveryVertexAndBoundingBox) {
    const xcPolygon p({{1, 2}, {4, 2}, {4, 6}}, 1);
    // Rotation by +90 degrees then a shift by (10, 0): (x, y) -> (10 - y, x).
    const xcXform<2> x(xcMatrix<2>(0, -1, 1, 0), xcVector<2>(10, 0));
    const xcPolygon m = p.map(x);
    EXPECT_EQ(m, xcPolygon({{8, 1}, {8, 4}, {4, 4}}, 1));
    EXPECT_EQ(x * p, m);
    EXPECT_EQ(xcPolygon({{3, -1}, {-2, 4}, {0, 7}, {5, 2}}).boundingBox(), xcRect(-2, -1, 7, 8));
    EXPECT_EQ(xcPolygon({{2, 3}}).boundingBox(), xcRect(2, 3, 0, 0));
    EXPECT_TRUE(xcPolygon().boundingBox().degen());
}

TEST(Circle, PointsDistancesAndRadiusCheckedBeforeItChanges) {
    xcCircle c(xcVector<2>(1, 2), 3.0);
    EXPECT_TRUE(xfRealEq(c.pointAt(xcDegree(90)), xcVector<2>(1, 5), 1e-15));
    EXPECT_EQ(c.distance(xcVector<2>(1, 7)), 2.0);
    EXPECT_EQ(c.distance(xcVector<2>(1, 2)), -3.0);
    for (double bad : {-1.0, std::numeric_limits<double>::infinity(), std::nan("")})
        EXPECT_THROW(c.radius(bad), xcGeomDefs::BadParams) << bad;
    EXPECT_EQ(c.radius(), 3.0);
    EXPECT_THROW(xcCircle(xcVector<2>(), -0.5), xcGeomDefs::BadParams);
}

TEST(EllipseArc, PointsFollowRadiiRotationAndSpan) {
    // Radii 4 and 2, turned by 90 degrees: the x axis of the ellipse points along +y.
    const xcEllipseArc2 e(xcVector<2>(10, 10), 4.0, 2.0, xcDegree(90), xcDegree(0), xcDegree(-90));
    EXPECT_TRUE(xfRealEq(e.startPoint(), xcVector<2>(10, 14), 1e-14));
    // t = -90: (0, -2) in the ellipse frame, turned to (2, 0).
    EXPECT_TRUE(xfRealEq(e.endPoint(), xcVector<2>(12, 10), 1e-14));
    EXPECT_NEAR(xcDegree(e.span()).toDouble(), -90.0, 1e-12);
    xcEllipseArc2 b = e;
    EXPECT_THROW(b.xRadius(-1), xcGeomDefs::BadParams);
    EXPECT_THROW(b.yRadius(std::nan("")), xcGeomDefs::BadParams);
    EXPECT_EQ(b, e);
}

TEST(CoordAxes, FromATransformScaledByALength) {
    const xcXform<2> x(xcMatrix<2>(0, -2, 2, 0), xcVector<2>(5, 5));
    const xcCoordAxes a(x, 3.0);
    EXPECT_EQ(a.xEnd(), xcVector<2>(5, 11));
    EXPECT_EQ(a.yEnd(), xcVector<2>(-1, 5));
    EXPECT_EQ(xcCoordAxes(xcXform<2>(), 4.0).map(x), xcCoordAxes(x, 4.0));
    EXPECT_THROW(xcCoordAxes(x, std::nan("")), xcGeomDefs::BadParams);
}
