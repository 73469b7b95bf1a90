// The diagnostic recorder, its records, graphics and the text dump.
#include "diag/diag_dump.h"
#include "diag/diag_errors.h"
#include "diag/diag_object.h"
#include "diag/graphics.h"
#include "support/caught.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

TEST(GraphicProps, ColourNamesAndDescriptions) {
    EXPECT_EQ(xcColor(xcColor::eOrange), xcColor(255, 165, 0));
    EXPECT_EQ(xcColor(128, 128, 128).name(), "grey");
    EXPECT_EQ(xcColor(1, 2, 3).name(), "rgb(1, 2, 3)");
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
    for (long bad : {3L, -1L})
        EXPECT_EQ(caught<xcDiagDefs::BadIndex>([&] { (void)list.at(bad); }).message(),
                  "Graphic index out of range");
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
    // Props, fill, kind of graphic and icon size each make lists differ.
    xcGraphicList c, d, e, f, g;
    f.push(xcGraphicPointIcon(xcVector<2>(1, 1), {}, xcGraphicPointIcon::eCross, 3));
    g.push(xcGraphicPointIcon(xcVector<2>(1, 1), {}, xcGraphicPointIcon::eCross, 4));
    c.push(xcGraphicRect(xcRect(1, 1, 2, 2), xcGraphicProps(xcColor::eOrange)));
    d.push(xcGraphicRect(xcRect(1, 1, 2, 2), xcGraphicProps(xcColor::eGreen), true));
    e.push(xcGraphicSimple(xcAffineRectangle(xcRect(1, 1, 2, 2)), xcGraphicProps(xcColor::eGreen)));
    EXPECT_TRUE(a != c && a != d && a != e && f != g);
}

TEST(DiagObject, RecordPointersStayValidAndKeepTheirLevel) {
    xcDiagObject diag;
    diag.level(1);
    xcDiagRecord* a = xf_AddText(&diag, "body a", "A");
    diag.level(5); // changing the level later does not move records already made
    for (int i = 0; i < 1000; ++i) xf_AddText(&diag, std::to_string(i), "N");
    EXPECT_EQ(a->level(), 1);
    EXPECT_EQ(a->texts().at(0).body(), "body a");
    EXPECT_EQ(diag.diagRecord(1000)->texts().at(0).body(), "999");
}

TEST(DiagObject, BadIndexAndBadLevelThrowAndChangeNothing) {
    xcDiagObject diag;
    xf_AddText(&diag, "x", "y");
    for (long bad : {-1L, 1L, 1000L}) {
        const auto e = caught<xcDiagDefs::BadIndex>([&] { (void)diag.diagRecord(bad); });
        EXPECT_EQ(std::string(e.what()), "Diagnostic record index out of range");
        EXPECT_EQ(e.errorNumber(), 0x10000501);
    }
    // Lowering below 0 is a caller's imbalance: it throws and the level stays.
    diag.level(1);
    const auto e2 = caught<xcDiagDefs::BadParams>([&] { diag.level(-1); });
    EXPECT_EQ(std::string(e2.what()), "Diagnostic level must be >= 0");
    EXPECT_EQ(e2.errorNumber(), 0x10000502);
    EXPECT_EQ(diag.level(), 1);
    EXPECT_EQ(diag.numRecords(), 1);
}

TEST(DiagObject, NullRecorderDoesNothingAndShouldRecordTable) {
    EXPECT_EQ(xf_AddText(nullptr, "body", "title"), nullptr);
    EXPECT_EQ(xf_AddImage(nullptr, xcPelBuffer_const<unsigned char>(2, 2), "t", 0), nullptr);
    // Even a bad coordinate system is not looked at without a recorder.
    EXPECT_EQ(xf_AddGraphics(nullptr, xcGraphicList(), 9, "t", 0), nullptr);

    const struct {
        unsigned long flags, what;
        bool expected;
    } rows[] = {
        {0x10000, 0x10000, true}, {0x70000, 0x40000, true},    {0x20000, 0x10000, false},
        {0, 0x10000, false},      {0x10000, 0x30000, false},   {0x30000, 0x30000, true},
        {0x10000, 0, false},      {0xFFFFFFFF, 0x20000, true}, {~0UL, ~0UL, true},
    };
    for (const auto& r : rows)
        EXPECT_EQ(xcDiagObject::shouldRecord(r.flags, r.what), r.expected)
            << std::hex << r.flags << " " << r.what;
}

TEST(DiagRecord, BadCoordinateSystemThrowsAndAddsNothing) {
    xcDiagObject diag;
    xcDiagRecord* r = xf_AddText(&diag, "b", "t");
    for (long cs : {0L, 3L, -1L}) {
        EXPECT_EQ(std::string(caught<xcDiagDefs::BadParams>([&] {
                                  r->graphics(xcGraphicList(), cs, "g");
                              }).what()),
                  "Coordinate system must be 1 (image) or 2 (client)");
    }
    EXPECT_TRUE(r->graphics().empty());
    EXPECT_THROW(xf_AddGraphics(&diag, xcGraphicList(), 0, "g", 0), xcDiagDefs::BadParams);
    EXPECT_EQ(diag.numRecords(), 1);
    // Without a coordinate system a graphics record is drawn in client coordinates.
    xcDiagRecord* g = xf_AddGraphics(&diag, xcGraphicList(), "Result", 3);
    EXPECT_EQ(g->graphics().at(0).coordinateSystem(), 2);
    EXPECT_EQ(g->displayOptions(), 3UL);
}

TEST(DiagDump, ListsRecordsWithKindLevelTitleAndBody) {
    xcDiagObject diag;
    xcDiagRecord* in = xf_AddImage(&diag, xcPelBuffer_const<unsigned char>(xcPelRect(10, 20, 6, 4)),
                                   "OC Arranger: Input", 1);
    in->text("Size:\t6 x 4\nOffset:\t10 x 20\n", "Image info");
    diag.level(1);
    xcDiagRecord* g = diag.newDiagRecord();
    g->recordAnnotation("Alphabet \"A\"");
    g->text("Alphabet general info\n  numChars = 0\n\n", "Alphabet general info");
    xcGraphicList list;
    list.push(xcGraphicRect(xcRect(1, 2, 3, 4), xcGraphicProps(xcColor::eGreen)));
    list.push(xcGraphicSimple(xcCoordAxes(xcXform<2>(), 3.0), xcGraphicProps(xcColor::eBlue)));
    g->graphics(list, 1, "Image area");
    diag.level(0);
    xcGraphicList one;
    one.push(xcGraphicPointIcon(xcVector<2>(0.5, 1), xcGraphicProps(xcColor::eYellow)));
    xf_AddGraphics(&diag, one, 2, "Character 'A' Result #0", 0);
    xf_AddText(&diag, std::string("Final Results\n\0", 15), "Result details");
    xf_AddImage(&diag, xcPelBuffer_const<unsigned char>(), "mask", 0);
    diag.newDiagRecord();

    const std::string expected =
        "#0 image, level 0, \"OC Arranger: Input\"\n"
        "  image \"OC Arranger: Input\": 6 x 4 at (10, 20), options 1\n"
        "  text \"Image info\"\n"
        "    | Size:\t6 x 4\n"
        "    | Offset:\t10 x 20\n"
        "  #1 text, level 1, \"Alphabet general info\"\n"
        "    annotation \"Alphabet \\\"A\\\"\"\n"
        "    text \"Alphabet general info\"\n"
        "      | Alphabet general info\n"
        "      |   numChars = 0\n"
        "      | \n"
        "    graphics \"Image area\" in image coordinates, 2 shapes\n"
        "      0: rectangle (1, 2, 3, 4), fill off; green, solid, width 1\n"
        "      1: coordinate axes origin (0, 0) x end (3, 0) y end (0, 3); "
        "blue, solid, width 1\n"
        "#2 graphics, level 0, \"Character 'A' Result #0\"\n"
        "  graphics \"Character 'A' Result #0\" in client coordinates, "
        "1 shape\n"
        "    0: point icon plus at (0.5, 1), size 5; yellow, solid, width 1\n"
        "#3 text, level 0, \"Result details\"\n"
        "  text \"Result details\"\n"
        "    | Final Results\n"
        "    | \\0\n"
        "#4 image, level 0, \"mask\"\n"
        "  image \"mask\": unbound, options 0\n"
        "#5 empty, level 0, \"\"\n";
    EXPECT_EQ(xf_DiagDumpText(diag), expected);
    std::ostringstream os;
    xf_DiagDump(diag, os);
    EXPECT_EQ(os.str(), expected);
}

TEST(DiagDump, EscapesControlCharactersAndEmptyRecorder) {
    xcDiagObject empty;
    EXPECT_EQ(xf_DiagDumpText(empty), "");

    xcDiagObject diag;
    xf_AddText(&diag,
               "a\rb\x01"
               "c\\d\"e",
               "t\ni\\t\x7f");
    EXPECT_EQ(xf_DiagDumpText(diag), "#0 text, level 0, \"t\\ni\\\\t\\x7F\"\n"
                                     "  text \"t\\ni\\\\t\\x7F\"\n"
                                     "    | a\\rb\\x01c\\d\"e\n");
}
