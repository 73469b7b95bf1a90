#include "core/geom/affine_rect.h"

#include "core/geom/geom_errors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

TEST(AffineRect, LengthsAndAnglesGiveTheThreeCornerRectangle) {
    const xcVector<2> ul(2, 3);
    const xcAffineRectangle fromLengths(ul, 4.0, 5.0, xcRadian(0), xcRadian(0));
    const xcAffineRectangle fromCorners(ul, xcVector<2>(6, 3), xcVector<2>(2, 8));
    EXPECT_TRUE(xfRealEq(fromLengths, fromCorners, 1e-14));
    EXPECT_EQ(xcAffineRectangle(xcRect(2, 3, 4, 5)), fromCorners);
    EXPECT_EQ(fromCorners.cornerPopp(), xcVector<2>(6, 8));
    EXPECT_EQ(fromCorners.centre(), xcVector<2>(4, 5.5));
    EXPECT_EQ(fromCorners.xLength(), 4.0);
    EXPECT_EQ(fromCorners.yLength(), 5.0);
    EXPECT_EQ(fromCorners.xRotation().toDouble(), 0.0);
    EXPECT_EQ(fromCorners.skew().toDouble(), 0.0);
    EXPECT_EQ(fromCorners.area(), 20.0);
    EXPECT_FALSE(fromCorners.degen());
    EXPECT_TRUE(xcAffineRectangle().degen());

    // Turned by 90 degrees the x side points down and the y side to the left.
    const xcAffineRectangle turned(xcVector<2>(), 2.0, 1.0, xcDegree(90), xcRadian(0));
    EXPECT_TRUE(xfRealEq(turned.cornerPx(), xcVector<2>(0, 2), 1e-15));
    EXPECT_TRUE(xfRealEq(turned.cornerPy(), xcVector<2>(-1, 0), 1e-15));
    const xcAffineRectangle skewed(xcVector<2>(), 2.0, 1.0, xcDegree(20), xcDegree(10));
    EXPECT_NEAR(xcDegree(skewed.xRotation()).toDouble(), 20.0, 1e-12);
    EXPECT_NEAR(xcDegree(skewed.skew()).toDouble(), 10.0, 1e-12);
}

TEST(AffineRect, UnitSquareMapsOntoTheCorners) {
    const xcAffineRectangle r(xcVector<2>(1, 1), 6.0, 2.0, xcDegree(30), xcDegree(-15));
    const xcXform<2> f = r.affRectFromUnitSq();
    EXPECT_TRUE(xfRealEq(f.mapPoint(xcVector<2>(0, 0)), r.cornerPo(), 1e-14));
    EXPECT_TRUE(xfRealEq(f.mapPoint(xcVector<2>(1, 0)), r.cornerPx(), 1e-14));
    EXPECT_TRUE(xfRealEq(f.mapPoint(xcVector<2>(0, 1)), r.cornerPy(), 1e-14));
    EXPECT_TRUE(xfRealEq(f.mapPoint(xcVector<2>(1, 1)), r.cornerPopp(), 1e-14));
    EXPECT_TRUE(xfRealEq(f.mapPoint(xcVector<2>(0.5, 0.5)), r.centre(), 1e-14));
    EXPECT_NEAR(std::fabs(f.det()), r.area(), 1e-12);
}

TEST(AffineRect, SettersKeepTheOriginCorner) {
    xcAffineRectangle r(xcVector<2>(1, 2), 4.0, 3.0, xcDegree(30), xcDegree(5));
    const xcVector<2> po = r.cornerPo();
    r.xLength(8.0);
    EXPECT_EQ(r.cornerPo(), po);
    EXPECT_NEAR(r.xLength(), 8.0, 1e-14);
    EXPECT_NEAR(xcDegree(r.xRotation()).toDouble(), 30.0, 1e-12);
    EXPECT_NEAR(r.yLength(), 3.0, 1e-14);
    r.yLength(1.5);
    EXPECT_EQ(r.cornerPo(), po);
    EXPECT_NEAR(r.yLength(), 1.5, 1e-14);
    EXPECT_NEAR(xcDegree(r.skew()).toDouble(), 5.0, 1e-12);
    r.xRotation(xcDegree(-60));
    EXPECT_EQ(r.cornerPo(), po);
    EXPECT_NEAR(xcDegree(r.xRotation()).toDouble(), -60.0, 1e-12);
    EXPECT_NEAR(xcDegree(r.skew()).toDouble(), 5.0, 1e-12);
    EXPECT_NEAR(r.xLength(), 8.0, 1e-12);
    r.skew(xcDegree(-20));
    EXPECT_EQ(r.cornerPo(), po);
    EXPECT_NEAR(xcDegree(r.skew()).toDouble(), -20.0, 1e-12);
    EXPECT_NEAR(xcDegree(r.xRotation()).toDouble(), -60.0, 1e-12);
    EXPECT_NEAR(r.yLength(), 1.5, 1e-12);

    // A bad length throws and leaves the rectangle as it was.
    const xcAffineRectangle before = r;
    EXPECT_THROW(r.xLength(-1.0), xcGeomDefs::BadParams);
    EXPECT_THROW(r.yLength(std::nan("")), xcGeomDefs::BadParams);
    EXPECT_EQ(r, before);

    // The centre setter moves the whole shape.
    r.centre(xcVector<2>(100, 200));
    EXPECT_TRUE(xfRealEq(r.centre(), xcVector<2>(100, 200), 1e-12));
    EXPECT_NEAR(r.xLength(), 8.0, 1e-12);
    EXPECT_NEAR(r.yLength(), 1.5, 1e-12);
}

TEST(AffineRect, MappingAndEnclosingRectangles) {
    const xcAffineRectangle r(xcRect(3, 4, 10, 20));
    EXPECT_EQ(r.encloseImageRect(xcXform<2>()), xcPelRect(3, 4, 10, 20));
    EXPECT_EQ(r.boundingBox(), xcRect(3, 4, 10, 20));
    EXPECT_EQ(r.encloseImageRect(xcXform<2>::translation(xcVector<2>(0.5, -0.25))),
              xcPelRect(3, 3, 11, 21));
    // A unit square turned by 45 degrees about its origin corner.
    const xcAffineRectangle d(xcVector<2>(), 1.0, 1.0, xcDegree(45), xcRadian(0));
    const xcRect box = d.boundingBox();
    const double h = std::sqrt(0.5);
    EXPECT_NEAR(box.x(), -h, 1e-15);
    EXPECT_NEAR(box.y(), 0.0, 1e-15);
    EXPECT_NEAR(box.width(), 2 * h, 1e-15);
    EXPECT_NEAR(box.height(), 2 * h, 1e-15);
    EXPECT_EQ(d.encloseImageRect(xcXform<2>()), xcPelRect(-1, 0, 2, 2));

    const xcXform<2> x(xcMatrix<2>(0, -1, 1, 0), xcVector<2>(10, 0));
    const xcAffineRectangle m = r.map(x);
    EXPECT_EQ(m, x * r);
    EXPECT_EQ(m.cornerPo(), x.mapPoint(r.cornerPo()));
    EXPECT_EQ(m.cornerPx(), x.mapPoint(r.cornerPx()));
    EXPECT_EQ(m.cornerPy(), x.mapPoint(r.cornerPy()));
    EXPECT_TRUE(xfRealEq(m.cornerPopp(), x.mapPoint(r.cornerPopp()), 1e-12));
}

} // namespace
