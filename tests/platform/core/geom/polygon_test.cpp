#include "core/geom/polygon.h"

#include "core/geom/geom_errors.h"

#include <gtest/gtest.h>

namespace {

TEST(Polygon, KeepsVerticesInOrderWithItsFillMode) {
    const std::vector<xcVector<2>> v = {{1, 2}, {4, 2}, {4, 6}, {1, 6}};
    const xcPolygon p(v);
    EXPECT_EQ(p.vertices(), v);
    EXPECT_EQ(p.numVertices(), 4);
    EXPECT_EQ(p.fillMode(), 0);
    EXPECT_EQ(xcPolygon(v, 1).fillMode(), xcPolygon::eWinding);
    EXPECT_TRUE(xcPolygon().vertices().empty());
    EXPECT_NE(p, xcPolygon(v, 1));
}

TEST(Polygon, BadFillModeThrowsAndChangesNothing) {
    EXPECT_THROW(xcPolygon({{0, 0}}, 2), xcGeomDefs::BadParams);
    EXPECT_THROW(xcPolygon({{0, 0}}, -1), xcGeomDefs::BadParams);
    xcPolygon p({{0, 0}, {1, 0}});
    EXPECT_THROW(p.fillMode(7), xcGeomDefs::BadParams);
    EXPECT_EQ(p.fillMode(), 0);
    p.fillMode(1);
    EXPECT_EQ(p.fillMode(), 1);
}

TEST(Polygon, MapsEveryVertexAndKeepsTheFillMode) {
    const xcPolygon p({{1, 2}, {4, 2}, {4, 6}}, 1);
    // Rotation by +90 degrees then a shift by (10, 0): (x, y) -> (10 - y, x).
    const xcXform<2> x(xcMatrix<2>(0, -1, 1, 0), xcVector<2>(10, 0));
    const xcPolygon m = p.map(x);
    EXPECT_EQ(m.vertices(), (std::vector<xcVector<2>>{{8, 1}, {8, 4}, {4, 4}}));
    EXPECT_EQ(m.fillMode(), 1);
    EXPECT_EQ(x * p, m);
    // Mapping by a transform and back gives the polygon again.
    const xcPolygon back = m.map(x.inverse());
    for (long i = 0; i < p.numVertices(); ++i)
        EXPECT_TRUE(xfRealEq(back.vertices()[i], p.vertices()[i], 1e-14));
}

TEST(Polygon, BoundingBox) {
    const xcPolygon p({{3, -1}, {-2, 4}, {0, 7}, {5, 2}});
    EXPECT_EQ(p.boundingBox(), xcRect(-2, -1, 7, 8));
    EXPECT_EQ(xcPolygon({{2, 3}}).boundingBox(), xcRect(2, 3, 0, 0));
    EXPECT_EQ(xcPolygon().boundingBox(), xcRect());
    EXPECT_TRUE(xcPolygon().boundingBox().degen());
}

} // namespace
