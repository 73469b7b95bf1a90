#include "core/geom/affine_rect.h"

#include "core/geom/geom_errors.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(AffineRect, LengthsAndAnglesGiveTheThreeCornerRectangle) {
    const xcAffineRectangle fromCorners(xcVector<2>(2, 3), xcVector<2>(6, 3), xcVector<2>(2, 8));
    EXPECT_TRUE(xfRealEq(xcAffineRectangle(xcVector<2>(2, 3), 4.0, 5.0, xcRadian(0), xcRadian(0)),
                         fromCorners, 1e-14));
    EXPECT_EQ(xcAffineRectangle(xcRect(2, 3, 4, 5)), fromCorners);
    EXPECT_EQ(fromCorners.cornerPopp(), xcVector<2>(6, 8));
    EXPECT_EQ(fromCorners.centre(), xcVector<2>(4, 5.5));
    EXPECT_TRUE(xcAffineRectangle().degen());
    // Turned by 90 degrees the x side points down and the y side to the left.
    const xcAffineRectangle turned(xcVector<2>(), 2.0, 1.0, xcDegree(90), xcRadian(0));
    EXPECT_TRUE(xfRealEq(turned.cornerPx(), xcVector<2>(0, 2), 1e-15));
    EXPECT_TRUE(xfRealEq(turned.cornerPy(), xcVector<2>(-1, 0), 1e-15));

    const xcAffineRectangle r(xcVector<2>(1, 1), 6.0, 2.0, xcDegree(30), xcDegree(-15));
    const xcXform<2> f = r.affRectFromUnitSq();
    EXPECT_TRUE(xfRealEq(f.mapPoint(xcVector<2>(1, 0)), r.cornerPx(), 1e-14));
    EXPECT_TRUE(xfRealEq(f.mapPoint(xcVector<2>(1, 1)), r.cornerPopp(), 1e-14));
    EXPECT_NEAR(std::fabs(f.det()), r.area(), 1e-12);
}

TEST(AffineRect, MappingAndEnclosingRectangles) {
    const xcAffineRectangle r(xcRect(3, 4, 10, 20));
    EXPECT_EQ(r.encloseImageRect(xcXform<2>()), xcPelRect(3, 4, 10, 20));
    EXPECT_EQ(r.encloseImageRect(xcXform<2>::translation(xcVector<2>(0.5, -0.25))),
              xcPelRect(3, 3, 11, 21));
    // A unit square turned by 45 degrees about its origin corner.
    const xcAffineRectangle d(xcVector<2>(), 1.0, 1.0, xcDegree(45), xcRadian(0));
    const double h = std::sqrt(0.5);
    const xcRect box = d.boundingBox();
    EXPECT_TRUE(xfRealEq(box.x(), -h, 1e-15) && xfRealEq(box.y(), 0, 1e-15) &&
                xfRealEq(box.width(), 2 * h, 1e-15) && xfRealEq(box.height(), 2 * h, 1e-15));
    EXPECT_EQ(d.encloseImageRect(xcXform<2>()), xcPelRect(-1, 0, 2, 2));

    const xcXform<2> x(xcMatrix<2>(0, -1, 1, 0), xcVector<2>(10, 0));
    const xcAffineRectangle m = r.map(x);
    EXPECT_EQ(m, x * r);
    EXPECT_EQ(m, xcAffineRectangle(x.mapPoint(r.cornerPo()), x.mapPoint(r.cornerPx()),
                                   x.mapPoint(r.cornerPy())));
}
