#include "core/geom/polygon.h"

#include "core/geom/geom_errors.h"

#include <gtest/gtest.h>

TEST(Polygon, FillModeIsCheckedBeforeItChanges) {
    EXPECT_THROW(xcPolygon({{0, 0}}, 2), xcGeomDefs::BadParams);
    EXPECT_THROW(xcPolygon({{0, 0}}, -1), xcGeomDefs::BadParams);
    xcPolygon p({{0, 0}, {1, 0}});
    EXPECT_THROW(p.fillMode(7), xcGeomDefs::BadParams);
    EXPECT_EQ(p.fillMode(), 0);
    EXPECT_NE(p, xcPolygon({{0, 0}, {1, 0}}, xcPolygon::eWinding));
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
