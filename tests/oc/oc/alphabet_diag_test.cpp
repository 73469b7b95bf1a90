// The alphabet's diagnostics: the confusion matrix text and the records.
#include "core/image/pel_ops.h"
#include "core/persist/archive.h"
#include "core/persist/archive_geom.h"
#include "core/persist/archive_vector.h"
#include "diag/diag_object.h"
#include "oc/oc/alphabet.h"
#include "oc/oc/alphabet_diag.h"

#include <gtest/gtest.h>

namespace {

using Image = xcPelBuffer_const<unsigned char>;
using Handle = xcPtrHandle_const<xcOCModel>;

// A 6 x 5 image with pels 10 x + y + 20, area (1, 1, 4, 3), and a mask ignoring the area's two
// left pels of its first row.
Handle letterA() {
    xcPelBuffer<unsigned char> image(6, 5), mask(6, 5);
    xfPelSet(mask, 255);
    for (long y = 0; y < 5; ++y)
        for (long x = 0; x < 6; ++x)
            *image.pointToPel(x, y) = static_cast<unsigned char>(10 * x + y + 20);
    *mask.pointToPel(1, 1) = 0;
    *mask.pointToPel(2, 1) = 127;
    return Handle(
        new xcOCModel(65, image, mask, xcPelRect(1, 1, 4, 3), xcOCModel::eNormal, "A", "letter a"));
}

// A 10 x 12 image of grey 90 with a negative key.
Handle letterB() {
    xcPelBuffer<unsigned char> image(10, 12);
    xfPelSet(image, 90);
    return Handle(
        new xcOCModel(-2, image, xcPelRect(0, 0, 10, 12), xcOCModel::eNormal, "B", "letter b"));
}

Handle space() {
    return Handle(new xcOCModel(32, Image(), xcPelRect(0, 0, 4, 12), xcOCModel::eBlank, " ", ""));
}

// A compiled alphabet of A, B and the space, as an archive gives it: A in B scores 0.7 at
// (1.5, -2), B in A 0.2, the space row 0.3 against A.
xcOCAlphabet compiledAB() {
    xcMemoryArchive ar;
    unsigned char version = 1;
    std::string name = "ab";
    double threshold = 0.5;
    xcOCAlphabet::Models models{letterA(), letterB(), space()};
    bool compiled = true;
    xcNMMatrix m(3, 3);
    for (long i = 0; i < 3; ++i) m(i, i) = 1.0;
    m(0, 1) = 0.7, m(1, 0) = 0.2, m(2, 0) = 0.3;
    std::vector<std::vector<xcXform<2>>> offsets(3, std::vector<xcXform<2>>(3));
    offsets[0][1] = xcXform<2>::translation(xcVector<2>(1.5, -2.0));
    ar || version || name || threshold || models || compiled || m || offsets;
    xcOCAlphabet a;
    xcMemoryArchive in(ar.bytes());
    in || static_cast<xcPersistent&>(a);
    return a;
}

} // namespace

TEST(OCAlphabetDiag, ConfusionMatrixText) {
    const xcOCAlphabet a = compiledAB();
    const std::string matrix = "Confusion matrix:\n"
                               "\t'A'\t'B'\t' '\n"
                               "'A'\t1.000\t0.700\t0.000\n"
                               "'B'\t0.200\t1.000\t0.000\n"
                               "' '\t0.300\t0.000\t1.000\n";
    EXPECT_EQ(xf_ConfusionMatrix(&a, false), matrix);
    // One pair above the threshold; the blank row uses the plain threshold too.
    EXPECT_EQ(xf_ConfusionMatrix(&a, true),
              matrix + "Confusing pairs:\n"
                       "score 0.700 for ('A', 'B') keys(00000041, FFFFFFFFFFFFFFFE) at "
                       "(1.500, -2.000)\n");
    const xcOCAlphabet uncompiled({letterA()}, 0.5, false, "u");
    EXPECT_EQ(xf_ConfusionMatrix(&uncompiled, true), "");
    EXPECT_EQ(xf_ConfusionMatrix(nullptr, true), "");
}

TEST(OCAlphabetDiag, GeneralRecord) {
    const xcOCAlphabet uncompiled({letterA()}, 0.25, false, "u");
    xcDiagObject diag;
    EXPECT_EQ(xf_AddAlphabet(nullptr, &uncompiled, "t", true), nullptr);
    EXPECT_EQ(xf_AddAlphabet(&diag, nullptr, "t", true), nullptr);
    xcDiagRecord* r = xf_AddAlphabet(&diag, &uncompiled, "title", false);
    ASSERT_EQ(diag.numRecords(), 1);
    ASSERT_EQ(r, diag.diagRecord(0));
    EXPECT_EQ(r->annotations(), std::vector<std::string>{"title"});
    ASSERT_EQ(r->texts().size(), 1u);
    EXPECT_EQ(r->texts()[0].title(), "Alphabet general info");
    EXPECT_EQ(r->texts()[0].body(), "Alphabet general info\n"
                                    "  name = 'u'\n"
                                    "  numChars = 1\n"
                                    "  confusionThreshold = 0.250\n"
                                    "  isCompiled = false\n"
                                    "\n");
}

TEST(OCAlphabetDiag, PerCharacterRecords) {
    const xcOCAlphabet a = compiledAB();
    xcDiagObject diag;
    xcDiagRecord* general = xf_AddAlphabet(&diag, &a, "all", true);
    EXPECT_EQ(diag.level(), 0);
    ASSERT_EQ(diag.numRecords(), 5);
    EXPECT_EQ(general, diag.diagRecord(0));
    const std::string body = general->texts()[0].body(), tail = xf_ConfusionMatrix(&a, true) + "\n";
    EXPECT_EQ(body.substr(body.size() - tail.size()), tail);

    // A's image, then its mask one level deeper, then B and the space.
    const long levels[] = {0, 1, 2, 1, 1};
    const char* titles[] = {"Alphabet general info", "Character #0: 'A'", "mask",
                            "Character #1: 'B'", "Character #2: ' '"};
    for (long i = 0; i < 5; ++i) {
        EXPECT_EQ(diag.diagRecord(i)->level(), levels[i]) << i;
        EXPECT_EQ(diag.diagRecord(i)->title(), titles[i]) << i;
    }
    const xcDiagRecord* charA = diag.diagRecord(1);
    EXPECT_EQ(charA->displayOptions(), 1u);
    EXPECT_EQ(charA->texts()[0].title(), "Character info");
    EXPECT_EQ(charA->texts()[0].body(), "Character info\n"
                                        "  key = 00000041\n"
                                        "  name = 'A'\n"
                                        "  description = 'letter a'\n"
                                        "  type = eNormal\n"
                                        "  imageArea = ul(1, 1) lr(5, 4) size(4, 3)\n"
                                        "  minPixelValue = 31\n"
                                        "  maxPixelValue = 63\n");
    EXPECT_EQ(diag.diagRecord(2)->texts()[0].body(),
              "Mask info\n  nCarePixels = 10\n  nDontCarePixels = 2\n");
    EXPECT_EQ(diag.diagRecord(2)->texts()[0].title(), "Mask info");

    // The image area in image pels and the client axes, on the mask's record too.
    for (long i : {1L, 2L}) {
        const auto& g = diag.diagRecord(i)->graphics();
        ASSERT_EQ(g.size(), 2u);
        EXPECT_EQ(g[0].title(), "Image area");
        EXPECT_EQ(g[0].coordinateSystem(), 1);
        EXPECT_TRUE(g[0].list().at(0).equals(
            xcGraphicRect(xcRect(1, 1, 4, 3), xcGraphicProps(xcColor::eGreen), false)));
        EXPECT_EQ(g[1].title(), "Client coordinate axes");
        EXPECT_EQ(g[1].coordinateSystem(), 2);
        EXPECT_TRUE(g[1].list().at(0).equals(
            xcGraphicSimple(xcCoordAxes(xcVector<2>(0, 0), xcVector<2>(3, 0), xcVector<2>(0, 3)),
                            xcGraphicProps(xcColor::eBlue))));
    }
    // Half the smaller side when that is above 3.
    EXPECT_TRUE(diag.diagRecord(3)->graphics()[1].list().at(0).equals(
        xcGraphicSimple(xcCoordAxes(xcVector<2>(0, 0), xcVector<2>(5, 0), xcVector<2>(0, 5)),
                        xcGraphicProps(xcColor::eBlue))));
    // The blank: no pixel values, no mask record.
    EXPECT_EQ(diag.diagRecord(4)->texts()[0].body(),
              "Character info\n"
              "  key = 00000020\n"
              "  name = ' '\n"
              "  description = ''\n"
              "  type = eBlank\n"
              "  imageArea = ul(0, 0) lr(4, 12) size(4, 12)\n");
}
