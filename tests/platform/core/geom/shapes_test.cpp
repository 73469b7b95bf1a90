// Circles, ellipse arcs and coordinate axes.
#include "core/geom/circle.h"
#include "core/geom/coord_axes.h"
#include "core/geom/ellipse_arc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

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
