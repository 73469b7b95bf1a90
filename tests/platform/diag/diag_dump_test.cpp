#include "diag/diag_dump.h"

#include <gtest/gtest.h>

#include <sstream>

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
