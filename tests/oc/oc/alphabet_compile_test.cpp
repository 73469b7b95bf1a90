// Alphabet compilation on characters rendered from a font, and the alphabet's diagnostics: the
// confusion matrix text and the records.
#include "core/image/pel_ops.h"
#include "core/persist/archive.h"
#include "core/persist/archive_geom.h"
#include "core/persist/archive_vector.h"
#include "core/sys/attention.h"
#include "core/sys/timeout.h"
#include "diag/diag_object.h"
#include "oc/imageutil/blankness.h"
#include "oc/oc/alphabet_diag.h"
#include "oc/oc/detail/compile_row.h"
#include "oc/oc/glyph_alphabet.h"
#include "submodel/submodel_defs.h"

#include <gtest/gtest.h>

using namespace oc_test;
using Models = xcOCAlphabet::Models;

// An alphabet archive marked compiled, written field by field; version 0 stores no scores.
static xcMemoryArchive archived(unsigned char version, Models models, xcNMMatrix m = {},
                                std::vector<std::vector<xcXform<2>>> offsets = {}) {
    xcMemoryArchive ar;
    std::string name = "ab";
    double threshold = 0.5;
    bool compiled = true;
    ar || version || name || threshold || models || compiled;
    if (version > 0) ar || m || offsets;
    return xcMemoryArchive(ar.bytes());
}

static xcOCAlphabet compiled(const Models& models, long workers = 1) {
    oc_detail::compileWorkers(workers);
    xcOCAlphabet a(models, 0.5, true, "glyphs");
    oc_detail::compileWorkers(1);
    return a;
}

TEST(OCAlphabetCompile, BlankRows) {
    // Five scores: k = 2, m = 0.2, and only 0.1 lies below m.
    std::vector<double> s{0.7, 0.1, 0.9, 0.3, 0.5};
    EXPECT_EQ(oc_detail::blankRowScores(s), xcVector<2>(0.2, 0.5));
    EXPECT_EQ(s, (std::vector<double>{0.0, 0.5, 0.0, 0.0, 0.0}));
    // Four normal characters: k = 1, so m is the smallest score, which nothing lies below; the
    // blank comes first, so the statistics land on the diagonal's offset.
    const Models m = glyphModels(U"-I8M", 1);
    const xcOCAlphabet a = compiled(m);
    double smallest = 1e300;
    for (std::size_t j = 1; j < m.size(); ++j) {
        smallest =
            std::min(smallest, xfScoreBlankness(m[j]->image(), {}, {}, {}, m[0]->imageArea(), {}));
        EXPECT_EQ(a.confusion(32, m[j]->key()), 0.0);
    }
    EXPECT_EQ(a.characterOffset(32, 32), xcXform<2>::translation(xcVector<2>(smallest, 0.0)));
}

TEST(OCAlphabetCompile, RenderedAlphabetScores) {
    // Two blanks first; W = 4 gives the same matrix as W = 1.
    const Models m = glyphModels(U"0O8B1I5SA7M", 2);
    const xcOCAlphabet a = compiled(m), threaded = compiled(m, 4);
    EXPECT_EQ(threaded.confusionMatrix(), a.confusionMatrix());
    EXPECT_EQ(threaded.offsets(), a.offsets());
    for (long i = 0; i < a.numChars(); ++i) {
        // 1 on the diagonal; blank columns score nothing, in normal rows and the other blank's.
        for (long blank : {0L, 1L})
            EXPECT_EQ(a.confusionMatrix()(i, blank), i == blank ? 1.0 : 0.0);
        EXPECT_EQ(a.confusionMatrix()(i, i), 1.0);
    }
    for (auto [x, y] : {std::pair(U'0', U'O'), {U'8', U'B'}, {U'1', U'I'}, {U'5', U'S'}})
        EXPECT_GT(std::min(a.confusion(x, y), a.confusion(y, x)), 0.5) << char(x);
    for (auto [x, y] : {std::pair(U'A', U'7'), {U'M', U'1'}})
        EXPECT_LT(std::max(a.confusion(x, y), a.confusion(y, x)), 0.5) << char(x);
}

TEST(OCAlphabetCompile, ShiftScaleAndTurn) {
    // O moved by (3, -2); O twice as large; R turned by 30 degrees: the last two are resampled
    // into the row's pels and score like the upright O and R.
    const xcOCAlphabet a = compiled(
        {glyphModel(U'0', 1), glyphModel(U'O', 2), glyphModel(U'O', 3, 1.0, 0.0, {3.0, -2.0}),
         glyphModel(U'O', 4, 2.0, 0.0, {}, 48, 56), glyphModel(U'R', 5, 1.0, 30.0, {}, 48, 48),
         glyphModel(U'R', 6)});
    EXPECT_GT(a.confusion(2, 3), 0.95);
    EXPECT_TRUE(xfRealEq(a.characterOffset(2, 3), xcXform<2>::translation({3.0, -2.0}), 0.05));
    EXPECT_NEAR(a.confusion(1, 4), a.confusion(1, 2), 0.05);
    for (auto [row, other] : {std::pair(2L, 4L), {6L, 5L}}) {
        EXPECT_GT(a.confusion(row, other), 0.85) << other;
        EXPECT_TRUE(xfRealEq(a.characterOffset(row, other), xcXform<2>(), 0.5)) << other;
    }
}

TEST(OCAlphabetCompile, StopsEarly) {
    const Models m = glyphModels(U"0O8", 0);
    xcOCAlphabet a(m, 0.5, false, "x");
    {
        // A limit that has passed stops compilation after the first batch.
        xcAttentionTag tag;
        tag.attachTimeout(0.0);
        EXPECT_THROW(a.compile(nullptr, 0), xcTimeout::Expired);
    }
    EXPECT_FALSE(a.isCompiled());
    EXPECT_GT(a.confusionMatrix()(0, 1), 0.5); // row 0 done, row 1 not begun
    EXPECT_EQ(a.confusionMatrix()(1, 1), 0.0);

    // A worker's failure reaches the caller: a mask that cares for nothing cannot be trained.
    xcPelBuffer<unsigned char> none(kCellW, kCellH);
    xfPelSet(none, 0);
    const Models bad{
        m[0], xcPtrHandle_const<xcOCModel>(new xcOCModel(9, m[1]->image(), none, m[1]->imageArea(),
                                                         xcOCModel::eNormal, "o", ""))};
    EXPECT_THROW(a.characters(bad, true), xc_SubModelDefs::NoCarePels);
    EXPECT_FALSE(a.isCompiled());
    EXPECT_EQ(a.confusionMatrix()(0, 0), 1.0);

    // An old compiled archive whose characters cannot be compiled leaves the alphabet as it was:
    // it keeps the characters it took before the failure.
    xcMemoryArchive in = archived(0, {bad[1]});
    EXPECT_THROW(in || static_cast<xcPersistent&>(a), xc_SubModelDefs::NoCarePels);
    EXPECT_EQ(a.name() + std::to_string(a.characters().size()), "x2");
}

TEST(OCAlphabetCompile, RecordsArchivesAndCompilingSetters) {
    const Models m = glyphModels(U"0O", 1);
    xcOCAlphabet a(m, 0.5, true, "x");
    // Compiled already: only the input (with its 3 characters), details and results records.
    xcDiagObject diag;
    a.compile(&diag, 0x70000);
    ASSERT_EQ(diag.numRecords(), 6);
    EXPECT_EQ(diag.diagRecord(4)->annotations()[0] + ", " + diag.diagRecord(5)->annotations()[0],
              "Alphabet Compilation Details, Alphabet Compilation Results");

    // The archive keeps matrix and offsets bit for bit; a compiled version-0 archive compiles.
    xcMemoryArchive out;
    out || static_cast<xcPersistent&>(a);
    for (const auto& bytes : {out.bytes(), archived(0, m).bytes()}) {
        xcOCAlphabet back;
        xcMemoryArchive in(bytes);
        in || static_cast<xcPersistent&>(back);
        EXPECT_TRUE(back.isCompiled());
        EXPECT_EQ(back.confusionMatrix(), a.confusionMatrix());
        EXPECT_EQ(back.offsets(), a.offsets());
    }
    a.add(glyphModel(U'Q', long(U'Q')), true);
    EXPECT_GT(a.confusion(long(U'O'), long(U'Q')), 0.5);
}

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
    xcOCAlphabet alphabet;
    xcMemoryArchive in = archived(1, models, m, offsets);
    in || static_cast<xcPersistent&>(alphabet);
    return alphabet;
}

} // namespace

TEST(OCAlphabetDiag, RecordsTextsAndGraphics) {
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

    // With the characters: A's image, its mask one level deeper, then B and the blank.
    xcDiagObject rec;
    const xcDiagRecord* general = xf_AddAlphabet(&rec, &a, "all", true);
    EXPECT_EQ(general, rec.diagRecord(0));
    EXPECT_EQ(rec.level(), 0);
    ASSERT_EQ(rec.numRecords(), 5);
    std::string titles;
    for (long i = 0; i < 5; ++i)
        titles += std::to_string(rec.diagRecord(i)->level()) + rec.diagRecord(i)->title() + ";";
    EXPECT_EQ(titles, "0Alphabet general info;1Character #0: 'A';2mask;1Character #1: 'B';"
                      "1Character #2: ' ';");
    const auto text = [&](long i) { return rec.diagRecord(i)->texts().at(0).body(); };
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
        const auto& g = rec.diagRecord(i)->graphics();
        ASSERT_EQ(g.size(), 2u);
        EXPECT_EQ(g[0].title() + g[1].title(), "Image areaClient coordinate axes");
        EXPECT_EQ(g[0].coordinateSystem() * 10 + g[1].coordinateSystem(), 12);
        EXPECT_TRUE(i == 3 ||
                    g[0].list().at(0).equals(xcGraphicRect({1, 1, 4, 3}, {xcColor::eGreen})));
        EXPECT_TRUE(g[1].list().at(0).equals(
            xcGraphicSimple(xcCoordAxes({0, 0}, {len, 0}, {0, len}), blue)));
    }
}
