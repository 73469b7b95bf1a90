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

// A compiled alphabet as an archive gives it: 'A' (key 65, a 6 x 5 image of pels 10 x + y + 20,
// area (1, 1, 4, 3), a mask ignoring two pels of the area), 'B' (key -2, 10 x 12 of grey 90)
// and a blank; A in B scores 0.7 at (1.5, -2), B in A 0.2, the blank row 0.3 against A.
xcOCAlphabet compiledAB() {
    xcPelBuffer<unsigned char> a(6, 5), mask(6, 5), b(10, 12);
    xfPelSet(mask, 255);
    xfPelSet(b, 90);
    for (long y = 0; y < 5; ++y)
        for (long x = 0; x < 6; ++x)
            *a.pointToPel(x, y) = static_cast<unsigned char>(10 * x + y + 20);
    *mask.pointToPel(1, 1) = 0;
    *mask.pointToPel(2, 1) = 127;
    using H = xcPtrHandle_const<xcOCModel>;
    xcOCAlphabet::Models models{
        H(new xcOCModel(65, a, mask, {1, 1, 4, 3}, xcOCModel::eNormal, "A", "letter a")),
        H(new xcOCModel(-2, b, {0, 0, 10, 12}, xcOCModel::eNormal, "B", "letter b")),
        H(new xcOCModel(32, {}, {0, 0, 4, 12}, xcOCModel::eBlank, " ", ""))};
    xcNMMatrix m(3, 3);
    m(0, 0) = m(1, 1) = m(2, 2) = 1.0, m(0, 1) = 0.7, m(1, 0) = 0.2, m(2, 0) = 0.3;
    std::vector<std::vector<xcXform<2>>> offsets(3, std::vector<xcXform<2>>(3));
    offsets[0][1] = xcXform<2>::translation(xcVector<2>(1.5, -2.0));
    unsigned char version = 1;
    std::string name = "ab";
    double threshold = 0.5;
    bool compiled = true;
    xcMemoryArchive ar;
    ar || version || name || threshold || models || compiled || m || offsets;
    xcOCAlphabet alphabet;
    xcMemoryArchive in(ar.bytes());
    in || static_cast<xcPersistent&>(alphabet);
    return alphabet;
}

} // namespace

TEST(OCAlphabetDiag, GeneralRecordAndMatrix) {
    const xcOCAlphabet a = compiledAB(), uncompiled(a.characters(), 0.25, false, "u");
    xcDiagObject diag;
    EXPECT_EQ(xf_AddAlphabet(nullptr, &a, "t", true), xf_AddAlphabet(&diag, nullptr, "t", true));
    EXPECT_EQ(xf_AddAlphabet(&diag, &uncompiled, "t", false)->texts()[0].body(),
              "Alphabet general info\n  name = 'u'\n  numChars = 3\n  confusionThreshold = 0.250\n"
              "  isCompiled = false\n\n");
    // The one pair above the threshold; the blank row uses the plain threshold too.
    const xcDiagRecord* r = xf_AddAlphabet(&diag, &a, "title", false);
    ASSERT_EQ(diag.numRecords(), 2);
    EXPECT_EQ(r->annotations(), std::vector<std::string>{"title"});
    EXPECT_EQ(r->texts()[0].title(), "Alphabet general info");
    EXPECT_EQ(r->texts()[0].body(),
              "Alphabet general info\n  name = 'ab'\n  numChars = 3\n  confusionThreshold = 0.500\n"
              "  isCompiled = true\nConfusion matrix:\n\t'A'\t'B'\t' '\n'A'\t1.000\t0.700\t0.000\n"
              "'B'\t0.200\t1.000\t0.000\n' '\t0.300\t0.000\t1.000\nConfusing pairs:\n"
              "score 0.700 for ('A', 'B') keys(00000041, FFFFFFFFFFFFFFFE) at (1.500, -2.000)\n\n");
}

TEST(OCAlphabetDiag, PerCharacterRecords) {
    const xcOCAlphabet a = compiledAB();
    xcDiagObject diag;
    const xcDiagRecord* general = xf_AddAlphabet(&diag, &a, "all", true);
    EXPECT_EQ(general, diag.diagRecord(0));
    EXPECT_EQ(diag.level(), 0);
    ASSERT_EQ(diag.numRecords(), 5);
    // A's image, its mask one level deeper, then B and the blank.
    const long levels[] = {0, 1, 2, 1, 1};
    const char* titles[] = {"Alphabet general info", "Character #0: 'A'", "mask",
                            "Character #1: 'B'", "Character #2: ' '"};
    for (long i = 0; i < 5; ++i) {
        EXPECT_EQ(diag.diagRecord(i)->level(), levels[i]);
        EXPECT_EQ(diag.diagRecord(i)->title(), titles[i]);
    }
    const auto text = [&](long i) { return diag.diagRecord(i)->texts().at(0).body(); };
    EXPECT_EQ(text(1),
              "Character info\n  key = 00000041\n  name = 'A'\n  description = 'letter a'\n"
              "  type = eNormal\n  imageArea = ul(1, 1) lr(5, 4) size(4, 3)\n"
              "  minPixelValue = 31\n  maxPixelValue = 63\n");
    EXPECT_EQ(text(2), "Mask info\n  nCarePixels = 10\n  nDontCarePixels = 2\n");
    EXPECT_EQ(text(4), "Character info\n  key = 00000020\n  name = ' '\n  description = ''\n"
                       "  type = eBlank\n  imageArea = ul(0, 0) lr(4, 12) size(4, 12)\n");

    // The area in image pels (green) and the client axes (blue, at least 3 long).
    const xcGraphicProps blue(xcColor::eBlue);
    for (auto [i, len] : {std::pair(1L, 3.0), {2L, 3.0}, {3L, 5.0}}) {
        const auto& g = diag.diagRecord(i)->graphics();
        ASSERT_EQ(g.size(), 2u);
        EXPECT_EQ(g[0].title() + g[1].title(), "Image areaClient coordinate axes");
        EXPECT_EQ(g[0].coordinateSystem() * 10 + g[1].coordinateSystem(), 12);
        if (i < 3) {
            EXPECT_TRUE(g[0].list().at(0).equals(xcGraphicRect({1, 1, 4, 3}, {xcColor::eGreen})));
        }
        EXPECT_TRUE(g[1].list().at(0).equals(
            xcGraphicSimple(xcCoordAxes({0, 0}, {len, 0}, {0, len}), blue)));
    }
}
