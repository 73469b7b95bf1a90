#include "diag/graphics.h"

#include "diag/diag_errors.h"
#include "support/caught.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

TEST(GraphicProps, ColourNamesAndDescriptions) {
    EXPECT_EQ(xcColor(xcColor::eOrange), xcColor(255, 165, 0));
    EXPECT_EQ(xcColor(128, 128, 128).name(), "grey");
    EXPECT_EQ(xcColor(1, 2, 3).name(), "rgb(1, 2, 3)");
    EXPECT_EQ(xcGraphicProps().describe(), "red, solid, width 1");
    EXPECT_EQ(xcGraphicProps(xcColor::eBlue, eDashDot).describe(), "blue, dash-dot, width 1");
    EXPECT_EQ(xcGraphicProps(xcColor::eGreen, eDashDotDot, 2).describe(),
              "green, dash-dot-dot, width 2");
}

TEST(Graphics, ShapesDescribeThemselvesAndPointIconsCheckFirst) {
    const xcGraphicSimple seg(xcLineSeg(xcVector<2>(0, 0), xcVector<2>(5, 0.5)));
    EXPECT_EQ(seg.describe(), "line segment (0, 0) to (5, 0.5)");
    EXPECT_EQ(seg.get<xcCoordAxes>(), nullptr);
    EXPECT_EQ(xcGraphicSimple(xcAffineRectangle(xcRect(1, 2, 3, 4))).describe(),
              "affine rectangle Po (1, 2) Px (4, 2) Py (1, 6)");
    EXPECT_EQ(xcGraphicSimple(
                  xcEllipseArc2(xcVector<2>(10, 10), 5, 5, xcRadian(0), xcRadian(0), xcDegree(90)))
                  .describe(),
              "ellipse arc centre (10, 10) radii 5, 5 rotation 0 deg start 0 deg span 90 deg");
    EXPECT_EQ(xcGraphicRect(xcRect(1, 2, 3, 4), xcGraphicProps(xcColor::eOrange), true).describe(),
              "rectangle (1, 2, 3, 4), fill on");
    xcGraphicPointIcon icon(xcVector<2>(7, -1), xcGraphicProps(xcColor::eYellow),
                            xcGraphicPointIcon::eCross, 3);
    EXPECT_EQ(icon.describe(), "point icon cross at (7, -1), size 3");
    EXPECT_THROW(icon.sizePels(0), xcDiagDefs::BadParams);
    EXPECT_THROW(icon.icon(static_cast<xcGraphicPointIcon::Icon>(9)), xcDiagDefs::BadParams);
    EXPECT_EQ(icon.sizePels(), 3);
    EXPECT_THROW(xcGraphicPointIcon(xcVector<2>(), {}, xcGraphicPointIcon::eSquare, -1),
                 xcDiagDefs::BadParams);
}

TEST(GraphicList, KeepsShapesInOrderAndRefusesBadIndexOrNull) {
    xcGraphicList list;
    const xcGraphicProps green(xcColor::eGreen, eSolid, 2), blue(xcColor::eBlue, eDash, 1);
    list.push(xcGraphicRect(xcRect(0, 0, 4, 4), green));
    list.push(xcGraphicSimple(xcLineSeg(xcVector<2>(0, 0), xcVector<2>(2, 0)), blue));
    list.push(std::make_unique<xcGraphicPointIcon>(xcVector<2>(1, 1), green));
    ASSERT_EQ(list.size(), 3);
    EXPECT_EQ(list.at(1).props(), blue);
    EXPECT_EQ(list.get<xcGraphicRect>(0)->rect(), xcRect(0, 0, 4, 4));
    EXPECT_EQ(list.get<xcGraphicRect>(1), nullptr);
    EXPECT_NE(list.get<xcGraphicPointIcon>(2), nullptr);
    for (long bad : {3L, -1L}) {
        EXPECT_EQ(std::string(caught<xcDiagDefs::BadIndex>([&] { (void)list.at(bad); }).what()),
                  "Graphic index out of range");
    }
    EXPECT_THROW(list.push(std::unique_ptr<xcGraphic>()), xcDiagDefs::BadParams);
    EXPECT_EQ(list.size(), 3);
}

TEST(GraphicList, CopiesAreDeepAndCompareByContent) {
    xcGraphicList a;
    a.push(xcGraphicRect(xcRect(1, 1, 2, 2), xcGraphicProps(xcColor::eGreen)));
    xcGraphicList b = a;
    EXPECT_EQ(a, b);
    EXPECT_NE(&a.at(0), &b.at(0));
    b.push(xcGraphicRect(xcRect(1, 1, 2, 2)));
    EXPECT_EQ(a.size(), 1);
    // Props, fill and kind of graphic each make lists differ.
    xcGraphicList c, d, e;
    c.push(xcGraphicRect(xcRect(1, 1, 2, 2), xcGraphicProps(xcColor::eOrange)));
    d.push(xcGraphicRect(xcRect(1, 1, 2, 2), xcGraphicProps(xcColor::eGreen), true));
    e.push(xcGraphicSimple(xcAffineRectangle(xcRect(1, 1, 2, 2)), xcGraphicProps(xcColor::eGreen)));
    EXPECT_TRUE(a != c && a != d && a != e);
}
